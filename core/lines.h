// Splits a file held in memory into records (text lines).
#ifndef CORE_LINES_H
#define CORE_LINES_H

#include <cstddef>
#include <cstring>

namespace geomex {

struct Line {
  const char *text;
  std::size_t length;  // without the line end
  long number;         // 1 for the first line of the file
};

// Walks the lines of a buffer.  A line ends at '\n'; one '\r' before it is
// part of the line end, so files written on Windows read the same.  A last
// line without '\n' is a line; the empty rest after a final '\n' is not.
class LineCursor {
 public:
  LineCursor(const char *data, std::size_t size) : p_(data), end_(data + size) {}

  // Takes the next line; false at the end of the buffer.
  bool next(Line &line) {
    if (p_ == end_) return false;
    const char *nl = static_cast<const char *>(std::memchr(p_, '\n', end_ - p_));
    const char *stop = nl ? nl : end_;
    std::size_t len = stop - p_;
    if (len > 0 && p_[len - 1] == '\r') --len;
    line = Line{p_, len, ++number_};
    p_ = nl ? nl + 1 : end_;
    return true;
  }

  // The next line's text when the line is exactly `width` characters long
  // as far as its end is concerned (a '\n' right after them), else null.
  // The caller must check that the characters hold no earlier '\n'.
  const char *peekExact(std::size_t width) const {
    return static_cast<std::size_t>(end_ - p_) > width && p_[width] == '\n' ? p_ : nullptr;
  }

  // Takes the line that peekExact(width) returned.
  void takeExact(std::size_t width, Line &line) {
    line = Line{p_, width, ++number_};
    p_ += width + 1;
  }

  long linesRead() const { return number_; }

 private:
  const char *p_;
  const char *end_;
  long number_ = 0;
};

}  // namespace geomex

#endif  // CORE_LINES_H
