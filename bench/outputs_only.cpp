// The least a tosqumg call can cost in the host: a module that takes the
// same argument and creates the same four zero-filled results, and reads
// nothing.  scripts/bench.sh times it next to tosqumg.
#include "host/mexgate.h"

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  (void)prhs;
  if (nrhs != 1 || nlhs != 4) mexErrMsgTxt("usage: [vel, outcov, nvec, llh] = outputs_only (fname)");
  plhs[0] = mxCreateDoubleMatrix(3, 99, mxREAL);
  plhs[1] = mxCreateDoubleMatrix(297, 297, mxREAL);
  plhs[2] = mxCreateDoubleMatrix(1, 1, mxREAL);
  plhs[3] = mxCreateDoubleMatrix(3, 100, mxREAL);
}
