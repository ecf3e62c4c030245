// MEX gateway of enurotate for MATLAB, which hands MEX results over
// without copying them (Octave uses the oct-file beside this one).
//
//   Y = enurotate (C, groups, R, ref)
#include <cstddef>

#include "host/mexgate.h"
#include "enu/rotate_covariance.h"
#include "enu/rotate_request.h"

namespace {

[[noreturn]] void refuse(const char *msg) {
  mexErrMsgIdAndTxt("velsol2enu:internal", "%s", msg);
  std::abort();
}

bool isRealDouble(const mxArray *a) {
  return mxIsDouble(a) && !mxIsSparse(a) && !mxIsComplex(a);
}

}  // namespace

extern "C" GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs,
                                          const mxArray *prhs[]) {
  if (nrhs != 4 || nlhs > 1) refuse("enurotate: four arguments and one result");
  for (int k = 0; k < 4; ++k)
    if (!isRealDouble(prhs[k])) refuse("enurotate: arguments must be full real double arrays");
  if (mxGetNumberOfElements(prhs[3]) != 1) refuse("enurotate: REF must be a scalar");
  if (mxGetNumberOfDimensions(prhs[0]) != 2) refuse("enurotate: C must be a matrix");

  // Data pointers first: Octave's mxGetN on an argument that mxGetPr must
  // convert (a diagonal or range matrix, say) leaks the dimensions it caches,
  // while taking the data first, and counting columns from the element
  // count, does not.
  const double *cov = mxGetPr(prhs[0]);
  const double *groups = mxGetPr(prhs[1]);
  const double *rotations = mxGetPr(prhs[2]);
  geomex::RotateRequest request;
  const char *refused = geomex::checkRotateRequest(
      mxGetM(prhs[0]), mxGetNumberOfElements(prhs[0]) / (mxGetM(prhs[0]) ? mxGetM(prhs[0]) : 1),
      groups, mxGetNumberOfElements(prhs[1]), mxGetNumberOfElements(prhs[2]),
      mxGetScalar(prhs[3]), request);
  if (refused) refuse(refused);

  const std::size_t m = request.groups.size();
  // Every element is written by the core, so the result needs no zeroing.
  plhs[0] = mxCreateUninitNumericMatrix(3 * m, 3 * m, mxDOUBLE_CLASS, mxREAL);
  const geomex::RotationPlan plan{request.groups.data(), rotations, m, request.reference};
  geomex::rotateCovariance(cov, mxGetM(prhs[0]), plan, mxGetPr(plhs[0]), request.threads);
}
