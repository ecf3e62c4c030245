// dpotrf and dpotri of the host's LAPACK, declared here rather than taken
// from a header.  Fortran passes the length of a character argument after
// the others.  MATLAB's libmwlapack takes 64-bit integers (ptrdiff_t); a
// MATLAB build defines MATLAB_MEX_FILE.
#include "sinex/cholesky.h"

#include <cstddef>
#include <cstdint>

namespace {
#if defined(MATLAB_MEX_FILE) || defined(GEOMEX_LAPACK_ILP64)
using lapack_int = std::ptrdiff_t;
#else
using lapack_int = int;
#endif
}  // namespace

extern "C" {
void dpotrf_(const char *uplo, const lapack_int *n, double *a, const lapack_int *lda,
             lapack_int *info, std::size_t uplo_len);
void dpotri_(const char *uplo, const lapack_int *n, double *a, const lapack_int *lda,
             lapack_int *info, std::size_t uplo_len);
}

namespace geomex {

long long choleskyInverse(double *a, std::size_t n, bool upper) {
  if (n == 0) return 0;
  const char uplo = upper ? 'U' : 'L';
  const lapack_int order = static_cast<lapack_int>(n);
  lapack_int info = 0;
  dpotrf_(&uplo, &order, a, &order, &info, 1);
  if (info == 0) dpotri_(&uplo, &order, a, &order, &info, 1);
  return static_cast<long long>(info);
}

}  // namespace geomex
