// Reads a whole file into one reusable buffer.
#ifndef READER_FILEBUFFER_H
#define READER_FILEBUFFER_H

#include <cstddef>

struct FileContents {
  const char *data;  // valid until the next call of loadFile
  std::size_t size;
};

// Reads the file at `path` into a buffer kept between calls, so repeated
// reads of files of similar size allocate nothing.  Returns false when the
// file cannot be opened or read (missing, no permission, a directory) or
// memory runs out.  Not reentrant.
bool loadFile(const char *path, FileContents &out) noexcept;

#endif  // READER_FILEBUFFER_H
