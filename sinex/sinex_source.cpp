#include "sinex/sinex_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace geomex {

DecompressingSource::DecompressingSource(ByteSource &compressed, Kind kind)
    : compressed_(compressed), kind_(kind), window_(new char[kWindow]) {
  restart();
}

DecompressingSource::~DecompressingSource() = default;

bool DecompressingSource::restart() {
  decoder_.reset();
  decoder_ = kind_ == Kind::kGzip ? makeGzipDecoder(compressed_) : makeCompressDecoder(compressed_);
  windowStart_ = 0;
  filled_ = 0;
  ended_ = false;
  return true;
}

bool DecompressingSource::decodeMore() {
  if (ended_ || failed_) return false;
  if (filled_ == kWindow) {
    // Keep the newer half: a reader goes back at most that far.
    const std::size_t keep = kWindow / 2;
    std::memmove(window_.get(), window_.get() + (filled_ - keep), keep);
    windowStart_ += filled_ - keep;
    filled_ = keep;
  }
  const long long got = decoder_->decode(window_.get() + filled_, kWindow - filled_);
  if (got < 0) {
    failed_ = true;
    reason_ = decoder_->reason();
    return false;
  }
  if (got == 0) {
    ended_ = true;
    return false;
  }
  filled_ += static_cast<std::size_t>(got);
  return true;
}

long long DecompressingSource::readAt(uint64_t offset, char *buf, std::size_t n) noexcept {
  try {
    if (offset < windowStart_) restart();
    std::size_t done = 0;
    while (done < n) {
      const uint64_t at = offset + done;
      if (at < windowStart_ + filled_) {
        const std::size_t from = static_cast<std::size_t>(at - windowStart_);
        const std::size_t take = std::min(n - done, filled_ - from);
        std::memcpy(buf + done, window_.get() + from, take);
        done += take;
      } else if (!decodeMore()) {
        break;
      }
    }
    if (failed_ && done == 0) return -1;
    return static_cast<long long>(done);
  } catch (const std::bad_alloc &) {
    failed_ = true;
    reason_ = "out of memory while decompressing";
    return -1;
  }
}

ByteSource &sinexSource(ByteSource &file, std::unique_ptr<ByteSource> &holder) {
  unsigned char magic[2] = {0, 0};
  if (file.readAt(0, reinterpret_cast<char *>(magic), 2) == 2 && magic[0] == 0x1F &&
      (magic[1] == 0x8B || magic[1] == 0x9D)) {
    holder.reset(new DecompressingSource(file, magic[1] == 0x8B
                                                   ? DecompressingSource::Kind::kGzip
                                                   : DecompressingSource::Kind::kCompress));
    return *holder;
  }
  return file;
}

}  // namespace geomex
