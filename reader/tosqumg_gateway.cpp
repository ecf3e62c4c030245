// Host gateway of the command tosqumg:
//   [vel, outcov, nvec, llh] = tosqumg(filename)
// Reads a station-velocity solution file; see tosqum.h for the results.
//
// The texts of the two count checks ("one input arguments required",
// "tosqum requires 4 output arguments", grammar and old command name
// included) are the legacy command's, word for word, and are kept so on
// purpose: scripts match them.  The checks after them are this module's own.
#include <cstdio>
#include <cstring>

#include "host/mexgate.h"
#include "reader/tosqum.h"

using namespace geomex;

namespace {

// The file name, blank-padded to its fixed field, plus room for the NUL
// that mxGetString always writes.
char fname[kFileNameField + 1];

void printLine(const char *line) { mexPrintf("%s\n", line); }

// Fills the field with the name taken from `arg`, padded with blanks.
//
// Trailing blanks are not part of the name (the field pads with them
// anyway), so only what comes before them must fit: a short name padded to
// the width of a longer one, as the rows of char({'a.sol', long_name}) are,
// is read.  The rest of the name must fit the field whole: a cut name could
// open another file.
void copyFileName(const mxArray *arg) {
  if (mxGetM(arg) > 1) mexFail("file name must be a one-row character string");
  // All the characters (a 0-row array has none, whatever its width).
  const mwSize count = mxGetNumberOfElements(arg);
  const mxChar *chars = mxGetChars(arg);
  mwSize length = count;
  while (length > 0 && chars[length - 1] == ' ') --length;
  if (length > static_cast<mwSize>(kFileNameField)) {
    static char msg[96];
    std::snprintf(msg, sizeof msg, "file name longer than %d characters (it has %lu)",
                  kFileNameField, static_cast<unsigned long>(length));
    mexFail(msg);
  }
  // A NUL would end the C name early, and so open another file.
  for (mwSize i = 0; i < length; ++i)
    if (chars[i] == 0) mexFail("file name must not contain NUL characters");

  // MATLAB writes the name in a multibyte encoding, which can take more
  // bytes than characters; Octave writes one byte a character.
  static const char *const kTooManyBytes = "file name longer than 150 bytes once encoded";
  std::memset(fname, ' ', sizeof fname);
  if (count == 0) return;
  if (count <= static_cast<mwSize>(kFileNameField)) {
    if (mxGetString(arg, fname, kFileNameField + 1) != 0) mexFail(kTooManyBytes);
    fname[std::strlen(fname)] = ' ';  // back to blank padding
    return;
  }
  // Padded past the field: the host's copy of the whole, without the blanks.
  char *padded = mxArrayToString(arg);
  if (padded == nullptr) mexFail(kTooManyBytes);
  std::size_t bytes = std::strlen(padded);
  while (bytes > 0 && padded[bytes - 1] == ' ') --bytes;
  const bool fits = bytes <= static_cast<std::size_t>(kFileNameField);
  if (fits) std::memcpy(fname, padded, bytes);
  mxFree(padded);
  if (!fits) mexFail(kTooManyBytes);
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
