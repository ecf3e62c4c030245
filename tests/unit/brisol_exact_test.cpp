// Exact result bits of the error-ellipse routine at blocks where the last
// bits depend on the order and the precision of each step: re-associating a
// rotated variance, a step run in double instead of single, another scale
// or degree constant all fail here.  After the exact test tables of
// GeographicLib (C. F. F. Karney), which pin each input to its expected
// output.
//
// A rotated variance is summed in double and then rounded to single, so
// summing its three terms in another order changes the result only when
// the sum lies within a few double ulps of a point halfway between two
// singles, and then only if the square root keeps the difference.  The
// first seven blocks were constructed that way (the second variance, or
// the first, set so that the sum hits such a point): the first three for
// the variance along the major axis, the next four across it.  The rest
// are realistic blocks found by random search, sensitive to the steps in
// single precision (angle, cosine squared, sine of twice the angle).
#include "ellipse/brisol.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/same_bits.h"

namespace {

struct Row {
  double s11, s22, s21;     // the block: variances and the covariance
  double smaj, smin, azim;  // the routine's results
};

const Row kRows[] = {
    {0x1.bed8a3b4f8089p-20, 0x1.6fbfd1e091058p-18, 0x1.20d48b88c0117p-19, 0x1.976264p-8, 0x1.0bc8bap-9, 0x1.838d9ba647f4p+4},
    {0x1.09d277b4353c4p-21, 0x1.ca37367937d21p-19, -0x1.62644b3f8d2e7p-21, 0x1.2e8bccp-8, 0x1.7d2942p-10, 0x1.4fa995878037ep+7},
    {0x1.b5675a234399ap-22, 0x1.065238218aa51p-17, 0x1.7778bafa261a9p-20, 0x1.c7d61ep-8, 0x1.f49c1ep-11, 0x1.4ae8c2252b3cp+3},
    {0x1.4995ac9f69d8cp-17, 0x1.4a25e0ccbe12ep-18, 0x1.88894d7de0729p-20, 0x1.00822cp-7, 0x1.54f43p-8, 0x1.2a5db5f8c1bcbp+6},
    {0x1.11a0a53c26127p-19, 0x1.837f017c62995p-22, 0x1.28b67881500b2p-22, 0x1.cf17e6p-9, 0x1.690cdep-10, 0x1.4389393625ccbp+6},
    {0x1.dfe9dd1ef68f5p-24, 0x1.2a272ebae751bp-20, 0x1.1b9e0eecd665ep-23, 0x1.54c318p-9, 0x1.8ab2bcp-11, 0x1.d9f181f9654dp+2},
    {0x1.51a8c900020dep-19, 0x1.52744276ff37ep-23, -0x1.0bbab6186108ap-22, 0x1.ff8edep-9, 0x1.d17856p-11, 0x1.7fe1920edaf66p+6},
    // Realistic blocks (m/yr)^2, the last two very elongated.
    {1.450127e-06, 2.827018e-06, 1.990083e-06, 0x1.4a852ep-8, 0x1.d0b46p-12, 0x1.1bab8f86a574bp+5},
    {1.255883e-07, 1.794454e-07, 1.477354e-07, 0x1.610f36p-10, 0x1.f174a6p-14, 0x1.3eaddaae39aa1p+5},
    {1.093952e-05, 5.356143e-06, -6.485000e-06, 0x1.38d2f8p-7, 0x1.4e9a4p-9, 0x1.ed6af55a43d7ep+6},
    {2.526612e-06, 1.228407e-09, 4.482305e-08, 0x1.fe1ab2p-9, 0x1.ab5ba4p-15, 0x1.63ef164ca7625p+6},
    {1.689958e-08, 1.630067e-11, -3.981894e-10, 0x1.4dc98ep-12, 0x1.affe3p-18, 0x1.6d66b7f365e3cp+6},
};

TEST(Brisol, ExactBitsAtBlocksSensitiveToTheOrderOfOperations) {
  for (const Row &row : kRows) {
    const double covm[4] = {row.s11, row.s21, 0.0, row.s22};
    double smaj = -1, smin = -1, azim = -1;
    geomex::brisol(covm, 2, 2, &smaj, &smin, &azim);
    const std::string block = std::to_string(row.s11) + " " + std::to_string(row.s22) + " " +
                              std::to_string(row.s21);
    EXPECT_SAME_BITS(row.smaj, smaj) << block;
    EXPECT_SAME_BITS(row.smin, smin) << block;
    EXPECT_SAME_BITS(row.azim, azim) << block;
  }
}

}  // namespace
