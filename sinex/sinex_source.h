// The bytes of a SINEX file as it was written, whether the file holds them
// plain or compressed: gzip (first bytes 1F 8B) and Unix compress (1F 9D)
// are recognised by content, not by name, and decompressed as they are
// read, never held whole.
#ifndef SINEX_SINEX_SOURCE_H
#define SINEX_SINEX_SOURCE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/bytesource.h"
#include "sinex/decoders.h"

namespace geomex {

// A decompressed view of a compressed source.  Reads go forward; a read
// up to kWindow bytes behind the furthest one is served from memory (a
// line reader and the matrix pipeline hand over within that), anything
// further back decompresses again from the start.  One thread at a time.
class DecompressingSource final : public ByteSource {
 public:
  static constexpr std::size_t kWindow = std::size_t{4} << 20;
  enum class Kind { kGzip, kCompress };

  DecompressingSource(ByteSource &compressed, Kind kind);
  ~DecompressingSource() override;
  long long readAt(uint64_t offset, char *buf, std::size_t n) noexcept override;
  // Unknown before the end: as large as a file can be.
  uint64_t size() const noexcept override { return uint64_t{1} << 62; }
  int error() const noexcept override { return failed_ ? 5 /* EIO */ : 0; }
  std::string errorText() const override { return reason_; }

 private:
  bool restart();
  // Decodes more after the window's end, sliding it when full; false at
  // the end of the data or on failure.
  bool decodeMore();

  ByteSource &compressed_;
  Kind kind_;
  std::unique_ptr<Decoder> decoder_;
  std::unique_ptr<char[]> window_;
  uint64_t windowStart_ = 0;  // decompressed offset of window_[0]
  std::size_t filled_ = 0;
  bool ended_ = false, failed_ = false;
  std::string reason_;
};

// The source to read `file` through: the file itself when it is plain
// text, a DecompressingSource kept in `holder` when it is compressed.
ByteSource &sinexSource(ByteSource &file, std::unique_ptr<ByteSource> &holder);

}  // namespace geomex

#endif  // SINEX_SINEX_SOURCE_H
