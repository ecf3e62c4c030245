// gzip through zlib: members one after another (as `cat a.gz b.gz` gives)
// are read as one stream; bytes after the last member that do not start
// another are ignored, as gzip does.
#include <zlib.h>

#include <cstring>
#include <new>

#include "sinex/decoders.h"

namespace geomex {

namespace {

constexpr std::size_t kInput = std::size_t{64} << 10;

class GzipDecoder final : public Decoder {
 public:
  explicit GzipDecoder(ByteSource &compressed) : in_(compressed) {
    std::memset(&z_, 0, sizeof z_);
    // 16 + MAX_WBITS: the gzip wrapper, its CRC and length checked.
    if (inflateInit2(&z_, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
  }
  ~GzipDecoder() override { inflateEnd(&z_); }

  long long decode(char *out, std::size_t n) override {
    if (failed_) return -1;
    z_.next_out = reinterpret_cast<Bytef *>(out);
    z_.avail_out = static_cast<uInt>(n > (1u << 30) ? (1u << 30) : n);
    const uInt asked = z_.avail_out;
    while (z_.avail_out > 0 && !ended_) {
      if (z_.avail_in == 0 && !fill()) {
        // The compressed bytes ended inside a member: its trailer never came.
        return failed_ ? -1 : fail("the gzip data is cut short");
      }
      const int rc = inflate(&z_, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) {
        // Another member may follow.
        if (z_.avail_in == 0 && !fill()) {
          if (failed_) return -1;
          ended_ = true;
        } else if (z_.avail_in >= 2 && z_.next_in[0] == 0x1F && z_.next_in[1] == 0x8B) {
          inflateReset(&z_);
        } else {
          ended_ = true;  // trailing bytes that start no member
        }
      } else if (rc == Z_BUF_ERROR && z_.avail_in == 0) {
        continue;  // wants more input
      } else if (rc != Z_OK) {
        return fail(rc == Z_MEM_ERROR ? "out of memory while decompressing"
                                      : std::string("the gzip data is corrupt (") +
                                            (z_.msg ? z_.msg : "inflate failed") + ")");
      }
    }
    return static_cast<long long>(asked - z_.avail_out);
  }

  std::string reason() const override { return reason_; }

 private:
  // More compressed bytes; false at their end or on a read error.
  bool fill() {
    const long long got = in_.readAt(offset_, buffer_, kInput);
    if (got < 0) {
      fail(std::string("the compressed file could not be read: ") + std::strerror(in_.error()));
      return false;
    }
    if (got == 0) return false;
    offset_ += static_cast<uint64_t>(got);
    z_.next_in = reinterpret_cast<Bytef *>(buffer_);
    z_.avail_in = static_cast<uInt>(got);
    return true;
  }

  long long fail(const std::string &why) {
    failed_ = true;
    reason_ = why;
    return -1;
  }

  ByteSource &in_;
  z_stream z_;
  char buffer_[kInput];
  uint64_t offset_ = 0;
  bool ended_ = false, failed_ = false;
  std::string reason_;
};

}  // namespace

std::unique_ptr<Decoder> makeGzipDecoder(ByteSource &compressed) {
  return std::unique_ptr<Decoder>(new GzipDecoder(compressed));
}

}  // namespace geomex
