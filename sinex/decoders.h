// Decoders of the two compressions SINEX files travel in, reading their
// compressed bytes from a ByteSource from the start.  gzip goes through
// zlib, which checks each member's CRC and length (libarchive does not);
// Unix compress (.Z, LZW) through libarchive.  Neither holds more than a
// small buffer.
#ifndef SINEX_DECODERS_H
#define SINEX_DECODERS_H

#include <cstddef>
#include <memory>
#include <string>

#include "core/bytesource.h"

namespace geomex {

class Decoder {
 public:
  virtual ~Decoder() = default;
  // Decodes up to n bytes into out: how many (0 at the end of the data),
  // or -1 when the data is cut, corrupt or cannot be read (reason()).
  virtual long long decode(char *out, std::size_t n) = 0;
  virtual std::string reason() const = 0;
};

std::unique_ptr<Decoder> makeGzipDecoder(ByteSource &compressed);
std::unique_ptr<Decoder> makeCompressDecoder(ByteSource &compressed);

}  // namespace geomex

#endif  // SINEX_DECODERS_H
