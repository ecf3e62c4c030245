// Unix compress (.Z) through libarchive's filters and its raw format,
// which hands out the decompressed bytes as one entry.
#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <new>

#include "sinex/decoders.h"

namespace geomex {

namespace {

constexpr std::size_t kInput = std::size_t{64} << 10;

class CompressDecoder final : public Decoder {
 public:
  explicit CompressDecoder(ByteSource &compressed) : in_(compressed), a_(archive_read_new()) {
    if (!a_) throw std::bad_alloc();
    archive_read_support_filter_all(a_);
    archive_read_support_format_raw(a_);
    archive_entry *entry = nullptr;
    if (archive_read_open(a_, this, nullptr, &CompressDecoder::readCallback, nullptr) !=
            ARCHIVE_OK ||
        archive_read_next_header(a_, &entry) != ARCHIVE_OK)
      fail();
  }
  ~CompressDecoder() override { archive_read_free(a_); }

  long long decode(char *out, std::size_t n) override {
    if (failed_) return -1;
    const la_ssize_t got = archive_read_data(a_, out, n);
    if (got < 0) {
      fail();
      return -1;
    }
    return static_cast<long long>(got);
  }

  std::string reason() const override { return reason_; }

 private:
  static la_ssize_t readCallback(archive *a, void *self, const void **buffer) {
    auto *d = static_cast<CompressDecoder *>(self);
    const long long got = d->in_.readAt(d->offset_, d->buffer_, kInput);
    if (got < 0) {
      archive_set_error(a, d->in_.error(), "the compressed file could not be read: %s",
                        std::strerror(d->in_.error()));
      return -1;
    }
    d->offset_ += static_cast<uint64_t>(got);
    *buffer = d->buffer_;
    return static_cast<la_ssize_t>(got);
  }

  void fail() {
    failed_ = true;
    const char *why = archive_error_string(a_);
    reason_ = std::string("the compressed data is cut or corrupt (") +
              (why ? why : "libarchive gave no reason") + ")";
  }

  ByteSource &in_;
  archive *a_;
  char buffer_[kInput];
  uint64_t offset_ = 0;
  bool failed_ = false;
  std::string reason_;
};

}  // namespace

std::unique_ptr<Decoder> makeCompressDecoder(ByteSource &compressed) {
  return std::unique_ptr<Decoder>(new CompressDecoder(compressed));
}

}  // namespace geomex
