// Iterative Cartesian-to-geodetic conversion, in plain IEEE double precision.
// The order of operations is part of the results: compile without
// floating-point contraction.
#include "core/xyz2llh.h"
#include "core/wgs84.h"

#include <cmath>
#include <limits>

namespace geomex {

namespace {

using wgs84::kA;
using wgs84::kE2;
using wgs84::kB;
// Largest change of height that ends the refinement: 1e-4 m as the legacy
// code held it, in single precision, widened.
constexpr double kTolerance = static_cast<double>(1.0e-4f);  // 9.999999747378752e-05
// Stands for the height before the first pass, so that one always runs.
constexpr double kStartHeight = -1.0e9;
// The refinement settles in at most four passes near the surface; this cap
// only ends the cases that never settle.
constexpr int kMaxPasses = 100;

}  // namespace

void xyz2llh(const double xyz[3], double llh[3]) noexcept {
  const double x = xyz[0], y = xyz[1], z = xyz[2];
  const double deg2rad = std::atan(1.0) / 45.0;
  const double e2 = kE2;

  const double p = std::sqrt(x * x + y * y);
  const double lon = std::atan2(y, x);

  if (p == 0.0 && z != 0.0 && !std::isnan(z)) {
    // On the polar axis the latitude equation degenerates (Z / p is
    // infinite); the answer is known in closed form.
    const double b = kB;
    llh[0] = z > 0.0 ? 90.0 : -90.0;
    llh[1] = lon / deg2rad;
    llh[2] = std::fabs(z) - b;
    return;
  }

  const double num = z / p;
  double lat = std::atan2(num, 1.0 - e2);
  double s = std::sin(lat), c = std::cos(lat);
  double n = kA / std::sqrt(1.0 - e2 * (s * s));
  double h = p / c - n;

  double oldh = kStartHeight;
  int passes = 0;
  while (std::fabs(h - oldh) > kTolerance) {
    if (passes == kMaxPasses) {
      lat = std::numeric_limits<double>::quiet_NaN();
      h = std::numeric_limits<double>::quiet_NaN();
      break;
    }
    ++passes;
    oldh = h;
    const double den = 1.0 - (e2 * n) / (n + h);
    lat = std::atan2(num, den);
    s = std::sin(lat);
    c = std::cos(lat);
    n = kA / std::sqrt(1.0 - e2 * (s * s));
    h = p / c - n;
  }

  llh[0] = lat / deg2rad;
  llh[1] = lon / deg2rad;
  llh[2] = h;
}

}  // namespace geomex
