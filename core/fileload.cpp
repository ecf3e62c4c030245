#include "fileload.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#include <unistd.h>
#define GEOMEX_HAVE_MMAP 1
#endif

#ifndef S_ISREG
#define S_ISREG(m) (((m) & S_IFMT) == S_IFREG)
#endif

namespace geomex {

namespace {

void setError(int *error, int value) {
  if (error) *error = value;
}

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
LoadResult openRegularFile(const char *path, struct stat &st, std::FILE *&f, int *error) {
  f = nullptr;
#if defined(O_NONBLOCK)
  const int fd = open(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) {
    setError(error, errno);
    return LoadResult::kNotOpened;
  }
  if (fstat(fd, &st) != 0) {
    setError(error, errno);
    close(fd);
    return LoadResult::kReadError;
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    return LoadResult::kNotRegular;
  }
  f = fdopen(fd, "rb");
  if (!f) {
    setError(error, errno);
    close(fd);
    return LoadResult::kNotOpened;
  }
#else
  if (stat(path, &st) != 0) {
    setError(error, errno);
    return LoadResult::kNotOpened;
  }
  if (!S_ISREG(st.st_mode)) return LoadResult::kNotRegular;
  f = std::fopen(path, "rb");
  if (!f) {
    setError(error, errno);
    return LoadResult::kNotOpened;
  }
#endif
  return LoadResult::kLoaded;
}

}  // namespace

LoadResult loadFile(const char *path, FileContents &out, int *error) noexcept {
  setError(error, 0);
  gBuffer.trim();
  struct stat st;
  std::FILE *opened = nullptr;
  const LoadResult how = openRegularFile(path, st, opened, error);
  FileCloser file{opened};
  if (how != LoadResult::kLoaded) return how;
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > kMaxFileSize)
    return LoadResult::kTooLarge;

  // One byte more than the size, so that a file that grew since fstat is
  // noticed and read on.
  std::size_t want = static_cast<std::size_t>(st.st_size) + 1;
  std::size_t size = 0;
  for (;;) {
    if (!gBuffer.reserve(want)) return LoadResult::kOutOfMemory;
    size += std::fread(gBuffer.data + size, 1, gBuffer.capacity - size, file.f);
    if (size < gBuffer.capacity) break;
    if (size > kMaxFileSize) return LoadResult::kTooLarge;
    want = gBuffer.capacity * 2;
  }
  if (std::ferror(file.f)) {
    setError(error, errno);
    return LoadResult::kReadError;
  }
  out = FileContents{gBuffer.data, size};
  return LoadResult::kLoaded;
}

MappedFile::~MappedFile() { release(); }

void MappedFile::release() noexcept {
  if (!data_) return;
#if GEOMEX_HAVE_MMAP
  if (mapped_ && size_ > 0) munmap(const_cast<char *>(data_), size_);
#endif
  if (!mapped_) std::free(const_cast<char *>(data_));
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
}

LoadResult MappedFile::open(const char *path, int *error) noexcept {
  release();
  setError(error, 0);
  struct stat st;
  std::FILE *opened = nullptr;
  const LoadResult how = openRegularFile(path, st, opened, error);
  FileCloser file{opened};
  if (how != LoadResult::kLoaded) return how;
  if (st.st_size < 0) return LoadResult::kReadError;
  const auto size = static_cast<unsigned long long>(st.st_size);
  if (size > static_cast<unsigned long long>(static_cast<std::size_t>(-1) / 2))
    return LoadResult::kTooLarge;
  if (size == 0) {
    data_ = "";
    mapped_ = true;  // nothing to free
    return LoadResult::kLoaded;
  }
#if GEOMEX_HAVE_MMAP
  void *p = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE,
                 fileno(file.f), 0);
  if (p != MAP_FAILED) {
    data_ = static_cast<const char *>(p);
    size_ = static_cast<std::size_t>(size);
    mapped_ = true;
    return LoadResult::kLoaded;
  }
  if (errno == ENOMEM) {
    setError(error, errno);
    return LoadResult::kOutOfMemory;
  }
#endif
  // No mapping here: one owned copy of the file.
  char *buffer = static_cast<char *>(std::malloc(static_cast<std::size_t>(size)));
  if (!buffer) return LoadResult::kOutOfMemory;
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(size), file.f);
  if (got != size) {
    setError(error, std::ferror(file.f) ? errno : 0);
    std::free(buffer);
    return LoadResult::kReadError;
  }
  data_ = buffer;
  size_ = got;
  mapped_ = false;
  return LoadResult::kLoaded;
}

void MappedFile::adviseSequential() const noexcept {
#if GEOMEX_HAVE_MMAP && defined(MADV_SEQUENTIAL)
  if (mapped_ && size_ > 0) {
    madvise(const_cast<char *>(data_), size_, MADV_SEQUENTIAL);
    madvise(const_cast<char *>(data_), size_, MADV_WILLNEED);
  }
#endif
}

const char *describe(LoadResult r) noexcept {
  switch (r) {
    case LoadResult::kLoaded: return "was read";
    case LoadResult::kNotOpened: return "cannot be opened";
    case LoadResult::kNotRegular: return "is not a regular file";
    case LoadResult::kOutOfMemory: return "does not fit in memory";
    case LoadResult::kReadError: return "could not be read";
    case LoadResult::kTooLarge: return "is too large";
  }
  return "cannot be read";
}

}  // namespace geomex
