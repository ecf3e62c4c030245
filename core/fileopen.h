// Opening a solution file, apart from reading it: only regular files, and
// without waiting on a named pipe.  Readers stream what they open
// (bytesource.h), so a file of any size is never held whole in memory.
#ifndef CORE_FILEOPEN_H
#define CORE_FILEOPEN_H

namespace geomex {

// Each way a file can fail to open has its own outcome, so that callers can
// word them apart; `error` receives the system's errno value where there is
// one (0 otherwise).  A failure while reading is the reader's to report
// (ByteSource::readAt), as is a file too large for its caller.
enum class OpenResult {
  kOpened,
  kNotOpened,   // missing, no permission
  kNotRegular,  // a directory, a named pipe, a device
  kReadError,   // the system failed to tell the file's kind or size
};

// Opens the regular file at `path` read-only, without waiting on a named
// pipe; gives its descriptor and size.  The caller closes fd.
OpenResult openRegularFile(const char *path, int &fd, unsigned long long &size,
                           int *error = nullptr) noexcept;

// A short text for an OpenResult, such as "is not a regular file", to
// follow the file's name in a message.
const char *describe(OpenResult r) noexcept;

}  // namespace geomex

#endif  // CORE_FILEOPEN_H
