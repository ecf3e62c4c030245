// The SINEX reader on arbitrary file contents (gzip and compress included:
// the first bytes choose the decoder).
//
// One thread and three must give the same outcome and the same bits; a
// matrix read is symmetric to the bit; a failure names the file and
// carries a known identifier.  Matrices of more than 600 estimates are
// skipped (their areas would be large).
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sinex/sinex.h"
#include "sinex/sinex_source.h"

using namespace geomex;

namespace {

struct TooLarge {};

struct Run {
  bool ok = false, skipped = false;
  std::string id, error;
  std::vector<double> matrix, cov;
};

Run read(const uint8_t *data, std::size_t size, unsigned threads) {
  MemorySource file(reinterpret_cast<const char *>(data), size);
  std::unique_ptr<ByteSource> holder;
  ByteSource &source = sinexSource(file, holder);
  SinexReader reader(source, "fuzz.snx");
  Run r;
  try {
    r.ok = reader.read(
        [&](std::size_t P) -> double * {
          if (P > 600) throw TooLarge();
          r.matrix.resize(P * P);
          return r.matrix.data();
        },
        threads);
  } catch (const TooLarge &) {
    r.skipped = true;
    return r;
  }
  r.id = reader.errorId();
  r.error = reader.errorMessage();
  if (r.ok) {
    const std::size_t n = 3 * reader.contents().rows.size();
    if (n > 3000) {
      r.skipped = true;
      return r;
    }
    r.cov.resize(n * n);
    reader.siteCovariance(true, r.cov.data());
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const Run one = read(data, size, 1);
  if (one.skipped) return 0;
  const Run three = read(data, size, 3);
  FUZZ_CHECK(one.ok == three.ok && one.id == three.id && one.error == three.error, "%s / %s",
             one.error.c_str(), three.error.c_str());
  if (!one.ok) {
    FUZZ_CHECK(one.error.rfind("file 'fuzz.snx'", 0) == 0, "%s", one.error.c_str());
    FUZZ_CHECK(one.id == "readsinex:format" || one.id == "readsinex:index" ||
                   one.id == "readsinex:matrix" || one.id == "readsinex:read",
               "%s", one.id.c_str());
    return 0;
  }
  FUZZ_CHECK(one.matrix.size() == three.matrix.size(), "sizes");
  for (std::size_t k = 0; k < one.matrix.size(); ++k)
    FUZZ_CHECK(sameBits(one.matrix[k], three.matrix[k]), "element %zu", k);
  for (std::size_t k = 0; k < one.cov.size(); ++k)
    FUZZ_CHECK(sameBits(one.cov[k], three.cov[k]), "cov element %zu", k);
  std::size_t P = 0;
  while (P * P < one.matrix.size()) ++P;
  for (std::size_t j = 0; j < P; ++j)
    for (std::size_t i = 0; i < j; ++i)
      FUZZ_CHECK(sameBits(one.matrix[i + j * P], one.matrix[j + i * P]), "(%zu, %zu)", i, j);
  return 0;
}
