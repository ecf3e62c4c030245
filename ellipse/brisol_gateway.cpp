// Host gateway of the command brisol:
//   [smaj, smin, azim] = brisol(C)
// C is a square covariance matrix holding two components for each of k points;
// the results are 1 x k rows (see brisol.h for their meaning).
#include <cstdio>

#include "../host/mexgate.h"
#include "brisol.h"

using namespace geomex;

namespace {

// Refuses anything whose data area is not real doubles, naming what it got.
// Checked after the squareness test so that every non-square argument keeps
// the long-standing "must be square" message.
void requireFullDouble(const mxArray *a) {
  if (mxIsSparse(a)) mexFail("Input matrix must be a full matrix, not sparse");
  if (!mxIsDouble(a)) {
    static char msg[128];
    std::snprintf(msg, sizeof msg, "Input matrix must be of class double, not %s",
                  mxGetClassName(a));
    mexFail(msg);
  }
}

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs != 1) mexFail("BRISOL requires one input argument");
  if (nlhs != 3) mexFail("BRISOL requires three output arguments");

  const mxArray *in = prhs[0];
  const mwSize m = mxGetM(in);
  const mwSize n = mxGetN(in);
  if (m != n) mexFail("Input matrix must be square");
  requireFullDouble(in);

  const mwSize k = m / 2;
  for (int slot = 0; slot < 3; ++slot) plhs[slot] = mxCreateDoubleMatrix(1, k, mxREAL);

  brisol(mxGetPr(in), static_cast<int>(m), static_cast<int>(m), mxGetPr(plhs[0]),
         mxGetPr(plhs[1]), mxGetPr(plhs[2]));
}
