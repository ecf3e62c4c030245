// Getting a solution file's bytes into memory, apart from reading them.
//
// loadFile copies a file into one buffer that is kept between calls (the
// legacy command reads small files over and over, and reuses the buffer);
// openRegularFile only opens, for readers that stream a file of any size.
#ifndef CORE_FILELOAD_H
#define CORE_FILELOAD_H

#include <cstddef>

namespace geomex {

struct FileContents {
  const char *data;  // valid until the next call of loadFile
  std::size_t size;
};

// Each way a file can fail to arrive in memory has its own outcome, so that
// callers can word them apart; `error` receives the system's errno value
// where there is one (0 otherwise).
enum class LoadResult {
  kLoaded,
  kNotOpened,    // missing, no permission
  kNotRegular,   // a directory, a named pipe, a device
  kOutOfMemory,  // no buffer (or mapping) of the file's size could be had
  kReadError,    // the system failed while reading
  kTooLarge,     // larger than the caller's limit
};

// Far beyond any solution file the legacy command takes (its largest is a
// few megabytes): a larger file is refused rather than read into memory.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

// Reads the regular file at `path` into a buffer kept between calls, so
// repeated reads of files of similar size allocate nothing.  Refuses files
// larger than kMaxFileSize.  Not reentrant.
LoadResult loadFile(const char *path, FileContents &out, int *error = nullptr) noexcept;

// Opens the regular file at `path` read-only, without waiting on a named
// pipe; gives its descriptor and size.  The caller closes fd.
LoadResult openRegularFile(const char *path, int &fd, unsigned long long &size,
                           int *error = nullptr) noexcept;

// A short text for a LoadResult, such as "is not a regular file", to
// follow the file's name in a message.
const char *describe(LoadResult r) noexcept;

}  // namespace geomex

#endif  // CORE_FILELOAD_H
