// The reader without limits on arbitrary file contents.
//
// One thread and several must give the same outcome and the same bits; a
// covariance read is symmetric to the bit; a failure names the file and
// carries a known identifier.  Large parameter counts are skipped after the
// header (their areas would be gigabytes).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "velsol/velsol.h"

using namespace geomex;

namespace {

struct Run {
  bool ok = false;
  std::string id, error;
  VelsolSolution sol;
};

Run read(const uint8_t *data, std::size_t size, unsigned threads) {
  MemorySource source(reinterpret_cast<const char *>(data), size);
  Run r;
  r.ok = readVelsol(source, "fuzz.sol", threads, r.sol, &r.id, &r.error);
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  {
    MemorySource source(reinterpret_cast<const char *>(data), size);
    VelsolReader probe(source, "fuzz.sol");
    VelsolHeader header;
    if (probe.readHeader(header) && header.counts.parameters > 600) return 0;
  }
  const Run one = read(data, size, 1);
  const Run three = read(data, size, 3);
  FUZZ_CHECK(one.ok == three.ok && one.id == three.id && one.error == three.error, "%s / %s",
             one.error.c_str(), three.error.c_str());
  if (!one.ok) {
    FUZZ_CHECK(one.error.rfind("file 'fuzz.sol'", 0) == 0, "%s", one.error.c_str());
    FUZZ_CHECK(one.id == "readvelsol:record" || one.id == "readvelsol:index" ||
                   one.id == "readvelsol:count",
               "%s", one.id.c_str());
    return 0;
  }
  const std::vector<double> &a = one.sol.cov, &b = three.sol.cov;
  FUZZ_CHECK(a.size() == b.size(), "sizes %zu %zu", a.size(), b.size());
  for (std::size_t k = 0; k < a.size(); ++k)
    FUZZ_CHECK(sameBits(a[k], b[k]), "element %zu", k);
  const std::size_t P = static_cast<std::size_t>(one.sol.header.counts.parameters);
  for (std::size_t j = 0; j < P; ++j)
    for (std::size_t i = 0; i < j; ++i)
      FUZZ_CHECK(sameBits(a[i + j * P], a[j + i * P]), "(%zu, %zu)", i, j);
  return 0;
}
