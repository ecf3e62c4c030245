// Cartesian-to-geodetic conversion on WGS 84: reference points, the special
// points (origin, polar axis, near the centre) and the refinement's end.
// Exact bits at points sensitive to the order of operations are in
// xyz2llh_exact_test.cpp.
#include "core/xyz2llh.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/unit/same_bits.h"
#include "core/wgs84.h"

using namespace geomex;

namespace {

using wgs84::kA;
using wgs84::kE2;

struct Llh {
  double lat, lon, h;
};

Llh convert(double x, double y, double z) {
  const double xyz[3] = {x, y, z};
  double llh[3] = {-1, -1, -1};
  xyz2llh(xyz, llh);
  return {llh[0], llh[1], llh[2]};
}

TEST(Xyz2llh, PointsOnTheEquatorAreExact) {
  Llh r = convert(kA, 0, 0);
  EXPECT_EQ(0.0, r.lat);
  EXPECT_EQ(0.0, r.lon);
  EXPECT_EQ(0.0, r.h);

  r = convert(0, kA, 0);
  EXPECT_EQ(90.0, r.lon);
  EXPECT_EQ(0.0, r.h);
  EXPECT_EQ(180.0, convert(-kA, 0, 0).lon);
  EXPECT_EQ(-180.0, convert(-kA, -0.0, 0).lon);

  // Anywhere on the equatorial plane beyond e2 * a from the centre: height
  // is exactly p - a.
  for (double p : {42697.7, 1.0e6, 6.0e6, 7.0e6, 4.2e7}) {
    r = convert(p * 0.6, p * 0.8, 0);
    const double pp = std::sqrt((p * 0.6) * (p * 0.6) + (p * 0.8) * (p * 0.8));
    EXPECT_EQ(bitsOf(0.0), bitsOf(r.lat)) << p;
    EXPECT_EQ(pp - kA, r.h) << p;
  }
}

TEST(Xyz2llh, MidLatitudePointConvergesToKnownValues) {
  const Llh r = convert(3194469.145, 3194469.145, 4487419.120);
  EXPECT_NEAR(45.0000000034, r.lat, 1e-9);
  EXPECT_EQ(45.0, r.lon);
  EXPECT_NEAR(100.0003, r.h, 1e-4);
}

TEST(Xyz2llh, RoundTripsNearTheSurface) {
  // Forward formulas of the ellipsoid; the refinement stops within 1e-4 m of
  // height, so latitude is good to a few 1e-9 degrees.
  const double deg = std::atan(1.0) / 45.0;
  for (double lat : {-89.9, -60.0, -12.5, 0.5, 33.3, 47.0, 78.0, 89.9})
    for (double lon : {-179.0, -45.0, 0.0, 12.0, 135.0})
      for (double h : {-450.0, 0.0, 250.0, 8800.0}) {
        const double s = std::sin(lat * deg), c = std::cos(lat * deg);
        const double n = kA / std::sqrt(1 - kE2 * s * s);
        const Llh r = convert((n + h) * c * std::cos(lon * deg), (n + h) * c * std::sin(lon * deg),
                              (n * (1 - kE2) + h) * s);
        EXPECT_NEAR(lat, r.lat, 1e-8) << lat << ' ' << lon << ' ' << h;
        EXPECT_NEAR(lon, r.lon, 1e-9) << lat << ' ' << lon << ' ' << h;
        EXPECT_NEAR(h, r.h, 2e-4) << lat << ' ' << lon << ' ' << h;
      }
}

TEST(Xyz2llh, OriginGivesNaNLatitudeAndHeight) {
  const Llh r = convert(0, 0, 0);
  EXPECT_TRUE(std::isnan(r.lat));
  EXPECT_EQ(0.0, r.lon);
  EXPECT_TRUE(std::isnan(r.h));
}

TEST(Xyz2llh, PolarAxisGivesThePoleAndTheHeightAboveIt) {
  const double b = wgs84::kB;
  Llh r = convert(0, 0, b + 12.5);
  EXPECT_EQ(90.0, r.lat);
  EXPECT_EQ(0.0, r.lon);
  EXPECT_EQ((b + 12.5) - b, r.h);

  r = convert(-0.0, -0.0, -(b - 3.0));
  EXPECT_EQ(-90.0, r.lat);
  EXPECT_EQ(-180.0, r.lon);  // atan2(-0, -0)
  EXPECT_EQ((b - 3.0) - b, r.h);

  // X and Y so small that X*X + Y*Y underflows count as on the axis.
  r = convert(1e-200, 1e-200, 6.4e6);
  EXPECT_EQ(90.0, r.lat);
  EXPECT_EQ(45.0, r.lon);
  EXPECT_EQ(6.4e6 - b, r.h);
}

TEST(Xyz2llh, PointsThatNeverSettleEndWithNaN) {
  // Near the centre the latitude flips between passes; the pass cap ends it.
  Llh r = convert(1000.0, 0, 0);
  EXPECT_TRUE(std::isnan(r.lat));
  EXPECT_TRUE(std::isnan(r.h));
  EXPECT_EQ(0.0, r.lon);

  r = convert(3.0e4, 1.0e4, 100.0);
  EXPECT_TRUE(std::isnan(r.lat));
  EXPECT_TRUE(std::isnan(r.h));
}

TEST(Xyz2llh, NonFiniteInputEndsWithoutHanging) {
  const double inf = HUGE_VAL, nan = std::nan("");
  EXPECT_TRUE(std::isnan(convert(nan, 0, 0).lat));
  EXPECT_TRUE(std::isnan(convert(0, 0, nan).h));
  const Llh r = convert(inf, 0, 0);
  EXPECT_EQ(0.0, r.lat);
  EXPECT_EQ(inf, r.h);
  EXPECT_EQ(90.0, convert(1.0, 0, inf).lat);
}

}  // namespace
