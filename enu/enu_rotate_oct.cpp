// Octave-native gateway of enurotate, the compiled core of velsol2enu.
//
//   Y = enurotate (C, groups, R, ref)
//
// An oct-file rather than a MEX file because Octave copies every MEX result
// when the call returns: for a 9999 x 9999 covariance that copy alone would
// double the time and the memory.  Here the result is allocated once,
// uninitialised (Octave's Matrix constructor would first fill it with zeros,
// a whole extra pass over 763 MB), written once by the core, and handed to
// Octave as it is.  The input is read in place.
#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "enu/rotate_covariance.h"
#include "host/octgate.h"
#include "enu/rotate_request.h"

GEOMEX_DEFAULT_VISIBILITY_BEGIN

DEFUN_DLD(enurotate, args, ,
          "-*- texinfo -*-\n"
          "@deftypefn {} {@var{Y} =} enurotate (@var{C}, @var{groups}, @var{R}, @var{ref})\n"
          "Internal helper of @code{velsol2enu}: rotates the covariance groups\n"
          "@var{groups} of @var{C} by the 3 x 3 x m rotations @var{R}, as\n"
          "differences to group @var{ref} of the list when @var{ref} > 0.\n"
          "@end deftypefn") {
  static const char *const kId = "velsol2enu:internal";
  if (args.length() != 4) error_with_id(kId, "enurotate: four arguments required");
  for (int k = 0; k < 4; ++k) {
    const octave_value &a = args(k);
    if (!a.is_double_type() || a.iscomplex() || a.issparse())
      error_with_id(kId, "enurotate: argument %d must be a full real double array", k + 1);
  }
  if (args(3).numel() != 1) error_with_id(kId, "enurotate: REF must be a scalar");

  const NDArray cov = args(0).array_value();
  const NDArray groups = args(1).array_value();
  const NDArray rotations = args(2).array_value();
  if (cov.ndims() != 2) error_with_id(kId, "enurotate: C must be a matrix");

  geomex::RotateRequest request;
  const char *refused = geomex::checkRotateRequest(
      cov.rows(), cov.columns(), groups.data(), groups.numel(), rotations.numel(),
      args(3).double_value(), request);
  if (refused) error_with_id(kId, "enurotate: %s", refused);

  const std::size_t m = request.groups.size();
  const octave_idx_type n = static_cast<octave_idx_type>(3 * m);
  const geomex::RotationPlan plan{request.groups.data(), rotations.data(), m,
                                  request.reference};

  // The Array takes ownership of the buffer at once, so nothing leaks if
  // Octave interrupts; the core then writes every element.
  double *data = nullptr;
  try {
    data = std::allocator<double>().allocate(static_cast<std::size_t>(n) * n);
  } catch (const std::bad_alloc &) {
    data = nullptr;
  }
  if (!data && n > 0)
    error_with_id("velsol2enu:memory",
                  "velsol2enu: out of memory for the %ld x %ld result",
                  static_cast<long>(n), static_cast<long>(n));
  const NDArray result(Array<double>(data, dim_vector(n, n)));
  geomex::rotateCovariance(cov.data(), static_cast<std::size_t>(cov.rows()), plan, data,
                           request.threads);
  return octave_value(result);
}

GEOMEX_DEFAULT_VISIBILITY_END
