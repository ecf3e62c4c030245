// Getting a solution file's bytes into memory, apart from reading them.
//
// Two ways: loadFile copies a file into one buffer that is kept between
// calls (the legacy command reads small files over and over, and reuses the
// buffer), and MappedFile maps a file of any size read-only without copying
// it (the reader without limits takes files of gigabytes).
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

// A read-only view of a whole regular file, mapped where the system can map
// (and read into an owned buffer where it cannot).  Never a second copy of
// the file.  Reentrant: each object owns its view.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile &) = delete;
  MappedFile &operator=(const MappedFile &) = delete;
  ~MappedFile();

  // Opens and maps `path`; on failure the object stays empty.
  LoadResult open(const char *path, int *error = nullptr) noexcept;

  // Asks the system to read ahead the whole view (a hint; no effect where
  // it is not supported).
  void adviseSequential() const noexcept;

  const char *data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void release() noexcept;

  const char *data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
};

// A short text for a LoadResult, such as "is not a regular file", to
// follow the file's name in a message.
const char *describe(LoadResult r) noexcept;

}  // namespace geomex

#endif  // CORE_FILELOAD_H
