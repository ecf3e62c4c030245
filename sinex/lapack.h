// The two LAPACK routines the INFO matrix needs, declared here rather than
// taken from a header: the module resolves them from the host's own LAPACK
// (Octave's, or MATLAB's with GEOMEX_LAPACK_ILP64 for its 64-bit
// integers), the tests and fuzzers link the system's liblapack.  Fortran
// passes the length of a character argument after the others.
#ifndef SINEX_LAPACK_H
#define SINEX_LAPACK_H

#include <cstddef>
#include <cstdint>

namespace geomex {
#if defined(GEOMEX_LAPACK_ILP64)
using lapack_int = std::int64_t;
#else
using lapack_int = int;
#endif
}  // namespace geomex

extern "C" {
void dpotrf_(const char *uplo, const geomex::lapack_int *n, double *a,
             const geomex::lapack_int *lda, geomex::lapack_int *info, std::size_t uplo_len);
void dpotri_(const char *uplo, const geomex::lapack_int *n, double *a,
             const geomex::lapack_int *lda, geomex::lapack_int *info, std::size_t uplo_len);
}

#endif  // SINEX_LAPACK_H
