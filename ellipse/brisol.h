// 95 % error ellipses of 2-component points from a covariance matrix.
#ifndef ELLIPSE_BRISOL_H
#define ELLIPSE_BRISOL_H

namespace geomex {

// For each point p = 1 .. nrow / 2, takes the 2 x 2 block on the diagonal of
// the column-major matrix covm (leading dimension ldim) whose first component
// is row/column 2p-1 and whose second is row/column 2p, and writes element
// p-1 of:
//   smaj  semi-major axis, scaled by 2.448 (95 % for two degrees of freedom)
//   smin  semi-minor axis, same scale
//   azim  azimuth of the major axis in degrees, from the second component's
//         axis toward the first (clockwise from north for east/north input)
//
// Only the diagonal elements of a block and the element below its diagonal
// are read.  Most of the arithmetic runs in single precision, step by step
// as the legacy routine did, so that results match it bit for bit; anomalies
// (NaN, negative variances) come back as numbers, never as errors.
//
// Writes nothing else; allocates nothing; reentrant.
void brisol(const double *covm, int nrow, int ldim, double *smaj, double *smin,
            double *azim) noexcept;

}  // namespace geomex

#endif  // ELLIPSE_BRISOL_H
