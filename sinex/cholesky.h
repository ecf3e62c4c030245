// The inverse of a symmetric positive definite matrix by Cholesky, through
// LAPACK's dpotrf and dpotri.
//
// The reader calls it for an INFO matrix; its definition
// (sinex/cholesky_inverse.cpp) is compiled into each module rather than
// the library, because each host brings its own LAPACK with its own
// integer width: Octave's and the system's take 32-bit integers, MATLAB's
// (libmwlapack) 64-bit ones.  The unit tests and fuzzers compile it too.
#ifndef SINEX_CHOLESKY_H
#define SINEX_CHOLESKY_H

#include <cstddef>

namespace geomex {

// Replaces the upper (or lower) triangle of the n x n column-major matrix
// a by that of its inverse; the other triangle is not read or written.
// Returns 0, or k > 0 when the leading minor of order k is not positive
// definite (a then holds no meaningful values), or LAPACK's negative code.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((visibility("hidden")))
#endif
long long choleskyInverse(double *a, std::size_t n, bool upper);

}  // namespace geomex

#endif  // SINEX_CHOLESKY_H
