// Where a streaming reader gets its bytes: a file read by positioned reads,
// or text already in memory (tests and fuzzing).  Several threads may read
// one source at once, each at its own offsets.
#ifndef CORE_BYTESOURCE_H
#define CORE_BYTESOURCE_H

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <mutex>
#include <cstring>
#include <string>

#include "fileload.h"

namespace geomex {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to n bytes from `offset` into buf; returns how many (0 at the
  // end of the source; fewer than n where a read error follows them), or -1
  // on a read error at `offset` itself (then error() tells which).
  virtual long long readAt(uint64_t offset, char *buf, std::size_t n) noexcept = 0;
  // The size the source had when it was opened.
  virtual uint64_t size() const noexcept = 0;
  virtual int error() const noexcept { return 0; }
  // Why the last read failed, in words (a decompressing source says more
  // than an errno value can).
  virtual std::string errorText() const { return std::strerror(error()); }
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const char *text, std::size_t size) : text_(text), size_(size) {}
  long long readAt(uint64_t offset, char *buf, std::size_t n) noexcept override;
  uint64_t size() const noexcept override { return size_; }

 private:
  const char *text_;
  std::size_t size_;
};

class FileSource final : public ByteSource {
 public:
  FileSource() = default;
  FileSource(const FileSource &) = delete;
  FileSource &operator=(const FileSource &) = delete;
  ~FileSource() override;

  // Opens a regular file; `error` receives the system's errno value.
  LoadResult open(const char *path, int *error) noexcept;
  long long readAt(uint64_t offset, char *buf, std::size_t n) noexcept override;
  uint64_t size() const noexcept override { return size_; }
  int error() const noexcept override { return error_.load(); }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  std::atomic<int> error_{0};  // set by whichever reading thread fails
#if defined(_WIN32)
  std::mutex seek_;  // no positioned read: seek and read under a lock
#endif
};

}  // namespace geomex

#endif  // CORE_BYTESOURCE_H
