// Error ellipses, single precision where the legacy routine used it.
//
// The precision of every step is part of the results users compare against,
// so each narrowing (double -> float) and widening (float -> double) below is
// written out.  This file must be compiled without floating-point contraction
// (-ffp-contract=off): a fused multiply-add would change the last bits.
#include "ellipse/brisol.h"

#include <cmath>

namespace geomex {

namespace {

// sqrt of the 95 % point of chi-square with 2 degrees of freedom, to three
// decimals.  The general case scales in single, the circular case in double.
constexpr float kScaleSingle = 2.448f;   // holds 2.447999954223633
constexpr double kScaleDouble = 2.448;

// Orientation given to a circle (no preferred direction).  Deliberately a
// different single value from the quarter turn added by the exchange below,
// and neither is pi/2 narrowed to single: both are what the legacy code used.
constexpr float kCircleTheta = 1.570796f;     // 1.570796012878418
constexpr float kQuarterTurn = 1.5707963f;    // 1.570796251296997

// Radians per degree to seven significant digits; angles are turned into
// degrees by dividing by it.
constexpr double kRadPerDeg = 0.01745329;

struct Axes {
  double major;
  double minor;
  float theta;  // direction of the major axis, radians from component 1
};

// 2.448 * sqrt(lambda) in single, or 0 for a negative or NaN variance.
double scaledAxis(float lambda) {
  if (lambda >= 0.0f) return static_cast<double>(kScaleSingle * std::sqrt(lambda));
  return 0.0;
}

Axes ellipseOf(double s11, double s22, double s21) {
  const float x = static_cast<float>(2.0 * s21);
  const float d = static_cast<float>(s11 - s22);

  if (x == 0.0f && d == 0.0f) {
    // Circular (or indistinguishable from circular in single precision).
    // Variances that differ only below single resolution give no axes.
    double r = 0.0;
    if (s11 == s22) r = kScaleDouble * std::sqrt(s22);
    return {r, r, kCircleTheta};
  }

  const float theta = 0.5f * std::atan2(x, d);
  const float c = std::cos(theta);
  const float s = std::sin(theta);
  const float c2 = c * c;
  const float s2 = s * s;
  const float s2t = std::sin(2.0f * theta);

  // Rotate the block: variance along theta and across it, in double from the
  // widened single factors, then narrowed.
  const double c2d = c2, s2d = s2, s2td = s2t;
  const float lambda1 = static_cast<float>((s11 * c2d + s21 * s2td) + s22 * s2d);
  const float lambda2 = static_cast<float>((s11 * s2d - s21 * s2td) + s22 * c2d);

  Axes a{scaledAxis(lambda1), scaledAxis(lambda2), theta};
  // Single-precision rounding or negative variances can invert the order.
  if (a.major < a.minor) {
    const double t = a.major;
    a.major = a.minor;
    a.minor = t;
    a.theta = a.theta + kQuarterTurn;
  }
  return a;
}

// Each point's block lies two columns further on, so in a large matrix
// every point is a fresh pair of cache lines far from the last: asking for
// them a few points ahead lets the memory fetches overlap the arithmetic.
constexpr long kPrefetchAhead = 8;

inline void prefetchBlock(const double *covm, long q, long ld) {
#if defined(__GNUC__)
  __builtin_prefetch(covm + q + q * ld);
  __builtin_prefetch(covm + (q + 1) + (q + 1) * ld);
#else
  (void)covm, (void)q, (void)ld;
#endif
}

}  // namespace

void brisol(const double *covm, int nrow, int ldim, double *smaj, double *smin,
            double *azim) noexcept {
  const long ld = ldim;
  const long points = nrow / 2;
  for (long p = 0; p < points; ++p) {
    const long q = 2 * p;  // zero-based row/column of the first component
    if (p + kPrefetchAhead < points) prefetchBlock(covm, q + 2 * kPrefetchAhead, ld);
    const double s11 = covm[q + q * ld];
    const double s22 = covm[(q + 1) + (q + 1) * ld];
    const double s21 = covm[(q + 1) + q * ld];

    const Axes a = ellipseOf(s11, s22, s21);
    smaj[p] = a.major;
    smin[p] = a.minor;
    azim[p] = 90.0 - static_cast<double>(a.theta) / kRadPerDeg;
  }
}

}  // namespace geomex
