#include "fileload.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#define dup _dup
#else
#include <unistd.h>
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
LoadResult openRegular(const char *path, struct stat &st, std::FILE *&f, int *error) {
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
  const LoadResult how = openRegular(path, st, opened, error);
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

LoadResult openRegularFile(const char *path, int &fd, unsigned long long &size,
                           int *error) noexcept {
  setError(error, 0);
  struct stat st;
  std::FILE *opened = nullptr;
  const LoadResult how = openRegular(path, st, opened, error);
  if (how != LoadResult::kLoaded) return how;
  fd = dup(fileno(opened));
  std::fclose(opened);
  if (fd < 0) {
    setError(error, errno);
    return LoadResult::kNotOpened;
  }
  size = st.st_size < 0 ? 0 : static_cast<unsigned long long>(st.st_size);
  return LoadResult::kLoaded;
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
