#include "core/fileopen.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#ifndef S_ISREG
#define S_ISREG(m) (((m) & S_IFMT) == S_IFREG)
#endif
#if defined(_WIN32)
#define open _open
#define close _close
#define fstat _fstat64
#define stat _stat64
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif
// Opening does not wait: a named pipe without a writer would otherwise
// block the host for good before it could be looked at.
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif

namespace geomex {

namespace {

void setError(int *error, int value) {
  if (error) *error = value;
}

}  // namespace

OpenResult openRegularFile(const char *path, int &fd, unsigned long long &size,
                           int *error) noexcept {
  setError(error, 0);
  const int opened = open(path, O_RDONLY | O_NONBLOCK | O_BINARY);
  if (opened < 0) {
    setError(error, errno);
    return OpenResult::kNotOpened;
  }
  struct stat st;
  if (fstat(opened, &st) != 0) {
    setError(error, errno);
    close(opened);
    return OpenResult::kReadError;
  }
  if (!S_ISREG(st.st_mode)) {
    close(opened);
    return OpenResult::kNotRegular;
  }
  fd = opened;
  size = st.st_size < 0 ? 0 : static_cast<unsigned long long>(st.st_size);
  return OpenResult::kOpened;
}

const char *describe(OpenResult r) noexcept {
  switch (r) {
    case OpenResult::kOpened: return "was opened";
    case OpenResult::kNotOpened: return "cannot be opened";
    case OpenResult::kNotRegular: return "is not a regular file";
    case OpenResult::kReadError: return "could not be read";
  }
  return "cannot be read";
}

}  // namespace geomex
