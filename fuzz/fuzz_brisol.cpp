// The ellipse routine on arbitrary matrices.
//
// The matrix is a heap block of exactly ldim x nrow doubles in which ASan
// poisons every element except the three that each 2 x 2 diagonal block may
// be read at (both diagonal elements and the one below): reading anything
// else, such as the upper element of a block, a cross-point covariance, an
// odd last row or the padding of a leading dimension, is an ASan report.
// The results are blocks of exactly k = nrow / 2 doubles.  Each point's
// results must equal those of its block given alone, every result must be
// written, the axes must be ordered and not negative, and a block of finite
// numbers must give a finite azimuth.
//
// Input: byte 0 gives nrow (0 to 15), byte 1 the leading dimension's excess
// (0 to 2); then per element a tag byte: below 128 a small value tag / 8 - 8,
// else the next 8 bytes as a double.
#include <sanitizer/asan_interface.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "ellipse/brisol.h"
#include "fuzz/fuzz_support.h"

using namespace geomex;

namespace {

const double kUnwritten = [] {
  const uint64_t bits = 0x7ff4deadbeef0001ULL;  // a signalling NaN no result has
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}();

struct Input {
  const uint8_t *p;
  std::size_t left;
  double next() {
    if (left == 0) return 0.0;
    const uint8_t tag = *p++;
    --left;
    if (tag < 128 || left < 8) return tag / 8.0 - 8.0;
    double d;
    std::memcpy(&d, p, sizeof d);
    p += 8;
    left -= 8;
    return d;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  if (size < 2) return 0;
  const int nrow = data[0] % 16;
  const int ldim = nrow + data[1] % 3;
  const int k = nrow / 2;
  Input in{data + 2, size - 2};

  const std::size_t count = static_cast<std::size_t>(ldim) * nrow;
  double *covm = new double[count ? count : 1];
  for (std::size_t i = 0; i < count; ++i) covm[i] = in.next();
  double *smaj = new double[k], *smin = new double[k], *azim = new double[k];
  for (int p = 0; p < k; ++p) smaj[p] = smin[p] = azim[p] = kUnwritten;

  ASAN_POISON_MEMORY_REGION(covm, sizeof(double) * (count ? count : 1));
  for (int p = 0; p < k; ++p) {
    const std::size_t q = 2 * p;
    ASAN_UNPOISON_MEMORY_REGION(&covm[q + q * ldim], sizeof(double) * 2);  // s11, s21
    ASAN_UNPOISON_MEMORY_REGION(&covm[(q + 1) + (q + 1) * ldim], sizeof(double));  // s22
  }
  brisol(covm, nrow, ldim, smaj, smin, azim);
  ASAN_UNPOISON_MEMORY_REGION(covm, sizeof(double) * (count ? count : 1));

  for (int p = 0; p < k; ++p) {
    const std::size_t q = 2 * p;
    const double s11 = covm[q + q * ldim], s21 = covm[(q + 1) + q * ldim];
    const double s22 = covm[(q + 1) + (q + 1) * ldim];
    FUZZ_CHECK(!sameBits(smaj[p], kUnwritten) && !sameBits(smin[p], kUnwritten) &&
                   !sameBits(azim[p], kUnwritten),
               "point %d of %d not written", p + 1, k);

    const double alone[4] = {s11, s21, -777.0, s22};
    double a = 0, b = 0, c = 0;
    brisol(alone, 2, 2, &a, &b, &c);
    FUZZ_CHECK(sameBits(a, smaj[p]) && sameBits(b, smin[p]) && sameBits(c, azim[p]),
               "point %d (%a %a %a) differs from its block alone", p + 1, s11, s22, s21);

    FUZZ_CHECK(!(smaj[p] < 0.0) && !(smin[p] < 0.0), "negative axis %g %g", smaj[p], smin[p]);
    FUZZ_CHECK(!(smaj[p] < smin[p]), "major %g below minor %g", smaj[p], smin[p]);
    if (std::isfinite(s11) && std::isfinite(s22) && std::isfinite(s21))
      FUZZ_CHECK(std::isfinite(azim[p]) && azim[p] >= -90.01 && azim[p] <= 180.01,
                 "azimuth %g for the block (%a %a %a)", azim[p], s11, s22, s21);
  }

  delete[] covm;
  delete[] smaj;
  delete[] smin;
  delete[] azim;
  return 0;
}
