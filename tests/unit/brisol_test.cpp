// Error-ellipse routine: the exact values the legacy arithmetic yields, the
// anomalies that come back as numbers, and which matrix elements are read.
// Exact bits at blocks sensitive to the order of operations are in
// brisol_exact_test.cpp.
#include "ellipse/brisol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/unit/same_bits.h"

using namespace geomex;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
// Azimuth of every circular block: 90 - 1.570796f / 0.01745329.
const double kCircleAzim = 90.0 - 1.570796012878418 / 0.01745329;

struct Ellipse {
  double smaj, smin, azim;
};

Ellipse ellipseOf(double s11, double s22, double s21) {
  // Column-major 2 x 2; the element above the diagonal holds garbage that
  // must never be read.
  const double covm[4] = {s11, s21, 12345.0, s22};
  Ellipse e{-1, -1, -1};
  brisol(covm, 2, 2, &e.smaj, &e.smin, &e.azim);
  return e;
}

TEST(Brisol, AxisAlignedBlocksGiveExactSinglePrecisionAxes) {
  Ellipse e = ellipseOf(4, 1, 0);
  EXPECT_SAME_BITS(4.895999908447266, e.smaj);
  EXPECT_SAME_BITS(2.447999954223633, e.smin);
  EXPECT_SAME_BITS(90.0, e.azim);

  // Major axis along the second component: theta is half of pi narrowed to
  // single, so the azimuth oversteps 0 slightly.
  e = ellipseOf(1, 4, 0);
  EXPECT_SAME_BITS(4.895999908447266, e.smaj);
  EXPECT_SAME_BITS(2.447999954223633, e.smin);
  EXPECT_SAME_BITS(90.0 - 1.5707963705062866 / 0.01745329, e.azim);
  EXPECT_NEAR(-1.5499e-5, e.azim, 1e-9);
}

TEST(Brisol, CorrelatedBlockAtFortyFiveDegrees) {
  const Ellipse e = ellipseOf(1, 1, 0.5);
  EXPECT_NEAR(2.998175, e.smaj, 1e-6);
  EXPECT_NEAR(1.730997, e.smin, 1e-6);
  EXPECT_SAME_BITS(44.9999922505646, e.azim);
}

TEST(Brisol, SemiMajorAxisCarriesSinglePrecisionTrigonometry) {
  // In exact arithmetic this would be 2.448 * 2 = 4.896.
  const Ellipse e = ellipseOf(3, 3, -1);
  EXPECT_NE(4.896, e.smaj);
  EXPECT_NEAR(4.8959994, e.smaj, 2e-7);
  EXPECT_GT(e.azim, 90.0);  // negative correlation: major axis past east
}

TEST(Brisol, CircularBlocksUseDoublePrecisionAndAFixedAzimuth) {
  Ellipse e = ellipseOf(4, 4, 0);
  EXPECT_SAME_BITS(4.896, e.smaj);
  EXPECT_SAME_BITS(4.896, e.smin);
  EXPECT_SAME_BITS(kCircleAzim, e.azim);
  EXPECT_NEAR(4.9917e-6, e.azim, 1e-9);

  e = ellipseOf(0, 0, 0);
  EXPECT_SAME_BITS(0.0, e.smaj);
  EXPECT_SAME_BITS(0.0, e.smin);
  EXPECT_SAME_BITS(kCircleAzim, e.azim);

  // Negative zeros count as zero.
  e = ellipseOf(-0.0, 0.0, -0.0);
  EXPECT_SAME_BITS(0.0, e.smaj);
  EXPECT_SAME_BITS(kCircleAzim, e.azim);

  // Variances that differ below single resolution: no axes at all.
  e = ellipseOf(1e-300, 2e-300, 0);
  EXPECT_SAME_BITS(0.0, e.smaj);
  EXPECT_SAME_BITS(0.0, e.smin);
  EXPECT_SAME_BITS(kCircleAzim, e.azim);
}

TEST(Brisol, NegativeAndNaNVariancesComeBackAsNumbers) {
  Ellipse e = ellipseOf(-1, -2, 0);
  EXPECT_SAME_BITS(0.0, e.smaj);
  EXPECT_SAME_BITS(0.0, e.smin);
  EXPECT_SAME_BITS(90.0, e.azim);

  // Equal negative variances are circular: the double square root gives NaN.
  e = ellipseOf(-1, -1, 0);
  EXPECT_TRUE(std::isnan(e.smaj));
  EXPECT_TRUE(std::isnan(e.smin));
  EXPECT_SAME_BITS(kCircleAzim, e.azim);

  for (int where = 0; where < 3; ++where) {
    double v[3] = {4, 1, 0.5};
    v[where] = kNaN;
    e = ellipseOf(v[0], v[1], v[2]);
    EXPECT_SAME_BITS(0.0, e.smaj) << where;
    EXPECT_SAME_BITS(0.0, e.smin) << where;
    EXPECT_TRUE(std::isnan(e.azim)) << where;
  }
}

TEST(Brisol, InfiniteVarianceGivesInfiniteAxisWithoutTrapping) {
  const double inf = std::numeric_limits<double>::infinity();
  const Ellipse e = ellipseOf(inf, 1, 0);
  EXPECT_EQ(inf, e.smaj);
  EXPECT_SAME_BITS(0.0, e.smin);  // inf * 0 is NaN: that axis stays 0
  EXPECT_SAME_BITS(90.0, e.azim);
}

TEST(Brisol, ReadsOnlyTheLowerTriangleOfDiagonalBlocks) {
  // Two points in a 5 x 5 matrix: row/column 5, the elements above the
  // diagonal and the cross-point covariances are filled with values that
  // would change any result they reached.
  const int m = 5;
  std::vector<double> c(m * m, 7.0e3);
  auto at = [&](int r, int col) -> double & { return c[(r - 1) + (col - 1) * m]; };
  at(1, 1) = 4; at(2, 2) = 1; at(2, 1) = 0;
  at(3, 3) = 1; at(4, 4) = 1; at(4, 3) = 0.5;
  at(5, 5) = kNaN;

  double out[9];
  for (double &x : out) x = -7.0;
  brisol(c.data(), m, m, out, out + 3, out + 6);

  const Ellipse p1 = ellipseOf(4, 1, 0), p2 = ellipseOf(1, 1, 0.5);
  EXPECT_SAME_BITS(p1.smaj, out[0]);
  EXPECT_SAME_BITS(p2.smaj, out[1]);
  EXPECT_SAME_BITS(p1.smin, out[3]);
  EXPECT_SAME_BITS(p2.smin, out[4]);
  EXPECT_SAME_BITS(p1.azim, out[6]);
  EXPECT_SAME_BITS(p2.azim, out[7]);
  // Exactly k = 2 elements per output are written.
  EXPECT_EQ(-7.0, out[2]);
  EXPECT_EQ(-7.0, out[5]);
  EXPECT_EQ(-7.0, out[8]);
}

TEST(Brisol, FewerThanTwoRowsWritesNothing) {
  const double c[1] = {4.0};
  double a = -7, b = -7, z = -7;
  brisol(c, 1, 1, &a, &b, &z);
  brisol(nullptr, 0, 0, &a, &b, &z);
  EXPECT_EQ(-7, a);
  EXPECT_EQ(-7, b);
  EXPECT_EQ(-7, z);
}

// NaN, infinities and negative variances come back as numbers, never as a
// failure; each point's values depend on its own block only.
TEST(Brisol, AnomalousNumbersInsideALargerMatrix) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double s11, s22, s21;
    double smaj, smin;  // NaN: expect NaN
    bool azimNaN;
  };
  const Case cases[] = {
      {nan, 1, 0, 0, 0, true},       {1, 1, nan, 0, 0, true},  {inf, inf, 0, 0, 0, true},
      {inf, 1, 0, inf, 0, false},    {4, 1, inf, inf, 0, false}, {-inf, 1, 0, 0, 0, false},
      {-4, -1, 0, 0, 0, false},      {-1, -1, 0, nan, nan, false},
  };
  for (const Case &c : cases) {
    // Each block between two ordinary points, inside a 6 x 6 matrix of
    // exactly 36 elements.
    std::vector<double> m(36, 99.0);
    auto at = [&](int i, int j) -> double & { return m[(i - 1) + (j - 1) * 6]; };
    at(1, 1) = 4, at(2, 2) = 1, at(2, 1) = 0;
    at(3, 3) = c.s11, at(4, 4) = c.s22, at(4, 3) = c.s21;
    at(5, 5) = 4, at(6, 6) = 1, at(6, 5) = 0;
    std::vector<double> smaj(3), smin(3), azim(3);
    brisol(m.data(), 6, 6, smaj.data(), smin.data(), azim.data());
    const std::string label = std::to_string(c.s11) + " " + std::to_string(c.s22) + " " +
                              std::to_string(c.s21);
    if (std::isnan(c.smaj)) {
      EXPECT_TRUE(std::isnan(smaj[1]) && std::isnan(smin[1])) << label;
    } else {
      EXPECT_EQ(c.smaj, smaj[1]) << label;
      EXPECT_EQ(c.smin, smin[1]) << label;
    }
    EXPECT_EQ(c.azimNaN, std::isnan(azim[1])) << label;
    for (int p : {0, 2}) {
      EXPECT_EQ(4.895999908447266, smaj[p]) << label;
      EXPECT_EQ(90.0, azim[p]) << label;
    }
  }
}

}  // namespace
