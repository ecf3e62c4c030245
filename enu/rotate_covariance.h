// Rotation of a station-velocity covariance into local frames, block by block.
//
// A solution's covariance holds one 3 x 3 group per station (X, Y, Z
// velocity).  Turning it into east/north/up means Y = R C R' with R
// block-diagonal, one 3 x 3 rotation per station.  Done as dense products
// that costs O(n^3); block by block it is O(n^2), a few multiplications per
// element read, so the work is bounded by memory traffic: each input element
// of the lower triangle is read once and each result element written once.
#ifndef ENU_ROTATE_COVARIANCE_H
#define ENU_ROTATE_COVARIANCE_H

#include <cstddef>

namespace geomex {

// The groups to rotate and their rotations.
struct RotationPlan {
  const std::size_t *groups;  // 0-based group number of each result group
  const double *rotations;    // one 3 x 3 matrix per result group, column-major
  std::size_t count;          // number of result groups, m
  // Result group whose velocity is subtracted from every other (differences
  // V_i - V_ref), or kNoReference for the covariance of the velocities
  // themselves.
  std::size_t reference;
};

constexpr std::size_t kNoReference = static_cast<std::size_t>(-1);

// Writes the 3m x 3m column-major matrix Y = R D C D' R' into `result`,
// where D selects the plan's groups of the column-major covariance C (leading
// dimension `ldc`) and, with a reference, forms the differences to it.  Only
// the lower triangle of C is read (C is taken as symmetric) and Y is written
// exactly symmetric: the lower triangle is computed, the upper one mirrored.
// The reference group's rows and columns come out exactly zero.
//
// Every element of `result` is written once; nothing is allocated.  With
// threads > 1 the work is shared among that many threads; the result is the
// same bit for bit whatever their number.
void rotateCovariance(const double *cov, std::size_t ldc,
                      const RotationPlan &plan, double *result,
                      unsigned threads);

}  // namespace geomex

#endif  // ENU_ROTATE_COVARIANCE_H
