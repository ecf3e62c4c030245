#include "core/linestream.h"

#include <algorithm>
#include <cstring>

namespace geomex {

LineStream::LineStream(ByteSource &source)
    : source_(source),
      capacity_(static_cast<std::size_t>(
          std::min<uint64_t>(kBlock, source.size() + 1) + kMaxKeptLine)),
      buf_(nullptr) {
  storage_.reset(new char[capacity_]);
  buf_ = storage_.get();
}

LineStream::LineStream(ByteSource &source, char *buffer, std::size_t capacity)
    : source_(source), capacity_(capacity), buf_(buffer) {}

bool LineStream::refill() {
  if (atEnd_) return false;
  if (begin_ > 0) {
    std::memmove(buf_, buf_ + begin_, end_ - begin_);
    base_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) return false;  // full: the caller handles a long line
  const long long got = source_.readAt(base_ + end_, buf_ + end_, capacity_ - end_);
  if (got < 0) {
    failed_ = true;
    atEnd_ = true;
    return false;
  }
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

bool LineStream::next(Line &line) {
  if (skipping_ && !finishSkip()) return false;
  std::size_t scanned = 0;  // bytes after begin_ known to hold no '\n'
  for (;;) {
    const char *start = buf_ + begin_;
    const char *nl =
        static_cast<const char *>(std::memchr(start + scanned, '\n', end_ - begin_ - scanned));
    if (nl) {
      std::size_t len = static_cast<std::size_t>(nl - start);
      if (len > 0 && start[len - 1] == '\r') --len;
      line = Line{start, len, ++number_};
      begin_ = static_cast<std::size_t>(nl - buf_) + 1;
      return true;
    }
    scanned = end_ - begin_;
    if (refill()) continue;
    if (failed_) return false;
    if (atEnd_) {
      if (end_ == begin_) return false;
      std::size_t len = end_ - begin_;
      if (buf_[begin_ + len - 1] == '\r') --len;
      line = Line{buf_ + begin_, len, ++number_};
      begin_ = end_;
      return true;
    }
    // The buffer is full of one line: keep its first characters at the
    // front of the buffer.  The rest of it is skipped only when another
    // line is asked for: a file whose first line never ends (a pseudo-file
    // of zeros) is then read no further than one buffer.
    line = Line{buf_, kMaxKeptLine, ++number_};
    skipFrom_ = base_ + end_;
    skipping_ = true;
    begin_ = end_ = 0;
    return true;
  }
}

bool LineStream::finishSkip() {
  if (!skipping_) return true;
  skipping_ = false;
  uint64_t offset = skipFrom_;
  for (;;) {
    char chunk[4096];
    const long long got = source_.readAt(offset, chunk, sizeof chunk);
    if (got < 0) {
      failed_ = atEnd_ = true;
      return false;
    }
    if (got == 0) {
      atEnd_ = true;
      base_ = offset;
      return false;
    }
    const char *p = static_cast<const char *>(std::memchr(chunk, '\n', static_cast<std::size_t>(got)));
    if (p) {
      base_ = offset + static_cast<uint64_t>(p - chunk) + 1;
      return true;
    }
    offset += static_cast<uint64_t>(got);
  }
}

const char *LineStream::peekExact(std::size_t width) {
  if (skipping_ && !finishSkip()) return nullptr;
  while (end_ - begin_ <= width) {
    if (!refill()) return nullptr;
  }
  const char *p = buf_ + begin_;
  return p[width] == '\n' ? p : nullptr;
}

void LineStream::takeExact(std::size_t width, Line &line) {
  line = Line{buf_ + begin_, width, ++number_};
  begin_ += width + 1;
}

uint64_t LineStream::position() {
  finishSkip();
  return base_ + begin_;
}

void LineStream::seek(uint64_t offset, long linesRead) {
  skipping_ = false;
  base_ = offset;
  begin_ = end_ = 0;
  atEnd_ = failed_;  // a stream that failed stays failed
  number_ = linesRead;
}

}  // namespace geomex
