// Host gateway of the command tosqumg:
//   [vel, outcov, nvec, llh] = tosqumg(filename)
// Reads a station-velocity solution file; see tosqum.h for the results.
#include <cstdio>
#include <cstring>

#include "../host/mexgate.h"
#include "tosqum.h"

using namespace geomex;

namespace {

// The file name, blank-padded to its fixed field, plus room for the NUL
// that mxGetString always writes.
char fname[kFileNameField + 1];

void printLine(const char *line) { mexPrintf("%s\n", line); }

// The name must fit the field whole: a cut name could open another file.
void copyFileName(const mxArray *arg) {
  if (mxGetM(arg) > 1) mexFail("file name must be a one-row character string");
  // All the characters (a 0-row array has none, whatever its width).
  const mwSize count = mxGetNumberOfElements(arg);
  if (count > static_cast<mwSize>(kFileNameField)) {
    static char msg[96];
    std::snprintf(msg, sizeof msg, "file name longer than %d characters (it has %lu)",
                  kFileNameField, static_cast<unsigned long>(count));
    mexFail(msg);
  }
  // A NUL would end the C name early, and so open another file.
  const mxChar *chars = mxGetChars(arg);
  for (mwSize i = 0; i < count; ++i)
    if (chars[i] == 0) mexFail("file name must not contain NUL characters");

  std::memset(fname, ' ', sizeof fname);
  if (count > 0) {
    // MATLAB writes the name in a multibyte encoding, which can take more
    // bytes than characters; Octave writes one byte a character.
    if (mxGetString(arg, fname, kFileNameField + 1) != 0)
      mexFail("file name longer than 150 bytes once encoded");
    fname[std::strlen(fname)] = ' ';  // back to blank padding
  }
}

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs != 1) mexFail("one input arguments required");
  if (nlhs != 4) mexFail("tosqum requires 4 output arguments");
  if (!mxIsChar(prhs[0])) mexFail("argument must be a string");
  copyFileName(prhs[0]);

  plhs[0] = mxCreateDoubleMatrix(kVelRows, kVelCols, mxREAL);
  plhs[1] = mxCreateDoubleMatrix(kOutcovDim, kOutcovDim, mxREAL);
  plhs[2] = mxCreateDoubleMatrix(1, 1, mxREAL);
  plhs[3] = mxCreateDoubleMatrix(kLlhRows, kLlhCols, mxREAL);

  // The error text must outlive this frame: the host reads it after unwinding.
  static TosqumStatus status;
  status = tosqum(fname, mxGetPr(plhs[0]), mxGetPr(plhs[1]), mxGetPr(plhs[2]),
                  mxGetPr(plhs[3]), printLine);
  if (!status.ok) mexFail(status.message);
}
