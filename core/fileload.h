// Opening a solution file, apart from reading it: only regular files, and
// without waiting on a named pipe.  Readers stream what they open
// (bytesource.h), so a file of any size is never held whole in memory.
#ifndef CORE_FILELOAD_H
#define CORE_FILELOAD_H

#include <cstddef>

namespace geomex {

// Each way a file can fail to open has its own outcome, so that callers can
// word them apart; `error` receives the system's errno value where there is
// one (0 otherwise).  A failure while reading is the reader's to report
// (ByteSource::readAt), as is a file too large for its caller.
enum class LoadResult {
  kLoaded,
  kNotOpened,   // missing, no permission
  kNotRegular,  // a directory, a named pipe, a device
  kReadError,   // the system failed to tell the file's kind or size
};

// Far beyond any solution file the legacy command takes (its largest is a
// few megabytes): it refuses a larger file without reading it.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

// Opens the regular file at `path` read-only, without waiting on a named
// pipe; gives its descriptor and size.  The caller closes fd.
LoadResult openRegularFile(const char *path, int &fd, unsigned long long &size,
                           int *error = nullptr) noexcept;

// A short text for a LoadResult, such as "is not a regular file", to
// follow the file's name in a message.
const char *describe(LoadResult r) noexcept;

}  // namespace geomex

#endif  // CORE_FILELOAD_H
