#include "tools/plate_velocity.h"

namespace gensol {
namespace {

constexpr double kMasPerYear = kPi / (180.0 * 3600.0 * 1000.0);  // rad/yr

// Eurasian plate rotation in ITRF2014 (Altamimi et al. 2017), mas/yr.
constexpr double kOmega[3] = {-0.085 * kMasPerYear, -0.531 * kMasPerYear,
                              0.770 * kMasPerYear};

}  // namespace

void plateVelocity(const Station &s, Random &rnd, double v[3]) {
  const double *r = s.xyz;
  const double *w = kOmega;
  const double rot[3] = {w[1] * r[2] - w[2] * r[1], w[2] * r[0] - w[0] * r[2],
                         w[0] * r[1] - w[1] * r[0]};
  const double local[3] = {0.4e-3 * rnd.normal(), 0.4e-3 * rnd.normal(), 1.0e-3 * rnd.normal()};
  for (int i = 0; i < 3; ++i)
    v[i] = rot[i] + local[0] * s.enu[0][i] + local[1] * s.enu[1][i] + local[2] * s.enu[2][i];
}

}  // namespace gensol
