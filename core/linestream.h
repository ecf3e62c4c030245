// Splits a byte source into records (text lines) while reading it in
// blocks, so a file of any size is read through one small buffer.
//
// The same line rules as LineCursor: a line ends at '\n', one '\r' before
// it is part of the line end, a last line without '\n' is a line.  A line
// longer than the buffer keeps only its first kMaxKeptLine characters (no
// record reads past column 74); the rest is skipped when the next line is
// asked for.
#ifndef CORE_LINESTREAM_H
#define CORE_LINESTREAM_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/bytesource.h"
#include "core/lines.h"

namespace geomex {

class LineStream {
 public:
  // Bytes read at a time: small enough that the C library serves the buffer
  // from memory it keeps (a fresh mapping would cost a page fault a page on
  // every call), large enough that the system calls cost nothing.
  static constexpr std::size_t kBlock = std::size_t{64} << 10;
  static constexpr std::size_t kMaxKeptLine = 4096;

  // Allocates the buffer once: about kBlock bytes, less for a smaller source.
  explicit LineStream(ByteSource &source);
  // Works in the caller's buffer (of at least kMaxKeptLine + 1 bytes), which
  // a caller that reads file after file keeps.
  LineStream(ByteSource &source, char *buffer, std::size_t capacity);

  // Takes the next line; false at the end of the source or on a read error
  // (failed() tells which).  The line's text stays valid until the next call.
  bool next(Line &line);

  // The next line's text when its first `width` characters are followed by
  // '\n', else null.  The caller checks that they hold no '\n' themselves.
  const char *peekExact(std::size_t width);
  void takeExact(std::size_t width, Line &line);

  long linesRead() const { return number_; }
  // Offset in the source of the first byte not yet taken (after skipping
  // the rest of an over-long line; check failed() afterwards).
  uint64_t position();
  // Goes on from `offset`, counting the lines before it as `linesRead`.
  void seek(uint64_t offset, long linesRead);

  bool failed() const { return failed_; }

 private:
  // Moves what is left to the front and reads more after it; false when
  // nothing more could be read.
  bool refill();
  // Skips the rest of a line longer than the buffer; false at the end of
  // the source or on a read error.
  bool finishSkip();

  ByteSource &source_;
  std::unique_ptr<char[]> storage_;  // not cleared: every byte is read before use
  std::size_t capacity_;
  char *buf_;
  uint64_t base_ = 0;      // source offset of buf_[0]
  std::size_t begin_ = 0;  // first byte not yet taken
  std::size_t end_ = 0;    // end of the valid bytes
  bool atEnd_ = false;
  bool failed_ = false;
  long number_ = 0;
  bool skipping_ = false;  // the rest of the last line is still to be skipped
  uint64_t skipFrom_ = 0;
};

}  // namespace geomex

#endif  // CORE_LINESTREAM_H
