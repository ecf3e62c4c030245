#include "core/bytesource.h"

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace geomex {

long long MemorySource::readAt(uint64_t offset, char *buf, std::size_t n) noexcept {
  if (offset >= size_) return 0;
  const std::size_t count = static_cast<std::size_t>(
      n < size_ - offset ? n : size_ - offset);
  std::memcpy(buf, text_ + offset, count);
  return static_cast<long long>(count);
}

FileSource::~FileSource() {
  if (fd_ >= 0) {
#if defined(_WIN32)
    _close(fd_);
#else
    close(fd_);
#endif
  }
}

OpenResult FileSource::open(const char *path, int *error) noexcept {
  unsigned long long size = 0;
  const OpenResult how = openRegularFile(path, fd_, size, error);
  if (how == OpenResult::kOpened) size_ = size;
  return how;
}

long long FileSource::readAt(uint64_t offset, char *buf, std::size_t n) noexcept {
  std::size_t done = 0;
  while (done < n) {
#if defined(_WIN32)
    std::lock_guard<std::mutex> lock(seek_);
    if (_lseeki64(fd_, static_cast<long long>(offset + done), SEEK_SET) < 0) return -1;
    const int chunk = n - done > (1u << 30) ? (1 << 30) : static_cast<int>(n - done);
    const long long got = _read(fd_, buf + done, chunk);
#else
    const ssize_t got = pread(fd_, buf + done, n - done, static_cast<off_t>(offset + done));
#endif
    if (got < 0) {
      if (errno == EINTR) continue;
      error_.store(errno);
      // What was read before the error is good: the caller asks again for
      // the rest and meets the error only if it needs those bytes.
      return done > 0 ? static_cast<long long>(done) : -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long long>(done);
}

}  // namespace geomex
