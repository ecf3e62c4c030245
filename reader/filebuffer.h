// Reads a whole file into one reusable buffer.
#ifndef READER_FILEBUFFER_H
#define READER_FILEBUFFER_H

#include <cstddef>

struct FileContents {
  const char *data;  // valid until the next call of loadFile
  std::size_t size;
};

enum class LoadResult {
  kLoaded,
  kNotOpened,  // missing, no permission, not a regular file, read error
  kTooLarge,   // larger than kMaxFileSize
};

// Far beyond any solution file (the largest is a few megabytes): a larger
// file is refused rather than read into memory.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

// Reads the regular file at `path` into a buffer kept between calls, so
// repeated reads of files of similar size allocate nothing.  Directories,
// pipes and devices count as files that cannot be opened.  Not reentrant.
LoadResult loadFile(const char *path, FileContents &out) noexcept;

#endif  // READER_FILEBUFFER_H
