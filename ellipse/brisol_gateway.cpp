// Host gateway of the command brisol:
//   [smaj, smin, azim] = brisol(C)
// C is a square covariance matrix holding two components for each of k points;
// the results are 1 x k rows (see brisol.h for their meaning).
//
// The error texts are the legacy command's, word for word, and are kept so
// on purpose: scripts match them.  The checks run in the legacy order too
// (argument count, result count, squareness, then what the host can hand
// over as doubles), so every argument keeps the message it always had.
#include <cstddef>
#include <cstdio>

#include "host/mexgate.h"
#include "ellipse/brisol.h"

using namespace geomex;

namespace {

// Whether `a`, of m rows, is square; an N-d array's column count is the
// product of its trailing sizes.
//
// The column count is the element count over the rows, not mxGetN: Octave
// caches a dimensions array in mxGetN and loses it when mxGetPr then has to
// convert the argument (a diagonal, permutation-indexed or complex matrix),
// about 80 bytes a call.  Only an argument without rows needs mxGetN, and
// the data of such an argument is never taken (see mexFunction).
bool isSquare(const mxArray *a, mwSize m) {
  if (m == 0) return mxGetN(a) == 0;
  return mxGetNumberOfElements(a) / static_cast<std::size_t>(m) == static_cast<std::size_t>(m);
}

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
  if (!isSquare(in, m)) mexFail("Input matrix must be square");
  requireFullDouble(in);

  const mwSize k = m / 2;
  for (int slot = 0; slot < 3; ++slot) plhs[slot] = mxCreateDoubleMatrix(1, k, mxREAL);

  // An empty matrix has no points to read; asking for its data after mxGetN
  // would leak (see isSquare).
  const double *covm = m > 0 ? mxGetPr(in) : nullptr;
  brisol(covm, static_cast<int>(m), static_cast<int>(m), mxGetPr(plhs[0]), mxGetPr(plhs[1]),
         mxGetPr(plhs[2]));
}
