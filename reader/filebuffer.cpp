#include "filebuffer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#if defined(O_NONBLOCK)
#include <unistd.h>
#endif
#include <cstdlib>

#ifndef S_ISREG
#define S_ISREG(m) (((m) & S_IFMT) == S_IFREG)
#endif

namespace {

// The buffer lives as long as the module and is freed when the host unloads
// it (clear tosqumg), so repeated loading leaks nothing.
struct Buffer {
  char *data = nullptr;
  std::size_t capacity = 0;

  ~Buffer() { std::free(data); }

  bool reserve(std::size_t wanted) {
    if (wanted <= capacity) return true;
    char *p = static_cast<char *>(std::realloc(data, wanted));
    if (!p) return false;
    data = p;
    capacity = wanted;
    return true;
  }

  // A buffer grown for an unusually large file is given back afterwards,
  // rather than held for the rest of the host session.
  void trim() {
    if (capacity > kKeepCapacity) {
      std::free(data);
      data = nullptr;
      capacity = 0;
    }
  }

  static constexpr std::size_t kKeepCapacity = std::size_t{16} << 20;
};

Buffer gBuffer;

// Closes the file on every way out.
struct FileCloser {
  std::FILE *f;
  ~FileCloser() {
    if (f) std::fclose(f);
  }
};

// Opens `path` for reading only if it is a regular file.  Opening does not
// wait: a named pipe without a writer would otherwise block the host for
// good before it could be looked at.
std::FILE *openRegularFile(const char *path, struct stat &st) {
#if defined(O_NONBLOCK)
  const int fd = open(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE *f = fdopen(fd, "rb");
  if (!f) close(fd);
  return f;
#else
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return std::fopen(path, "rb");
#endif
}

}  // namespace

LoadResult loadFile(const char *path, FileContents &out) noexcept {
  gBuffer.trim();
  struct stat st;
  FileCloser file{openRegularFile(path, st)};
  if (!file.f) return LoadResult::kNotOpened;
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > kMaxFileSize)
    return LoadResult::kTooLarge;

  // One byte more than the size, so that a file that grew since fstat is
  // noticed and read on.
  std::size_t want = static_cast<std::size_t>(st.st_size) + 1;
  std::size_t size = 0;
  for (;;) {
    if (!gBuffer.reserve(want)) return LoadResult::kNotOpened;
    size += std::fread(gBuffer.data + size, 1, gBuffer.capacity - size, file.f);
    if (size < gBuffer.capacity) break;
    if (size > kMaxFileSize) return LoadResult::kTooLarge;
    want = gBuffer.capacity * 2;
  }
  if (std::ferror(file.f)) return LoadResult::kNotOpened;
  out = FileContents{gBuffer.data, size};
  return LoadResult::kLoaded;
}
