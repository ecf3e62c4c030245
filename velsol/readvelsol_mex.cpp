// MEX gateway of readvelsol, for MATLAB (which does not copy a MEX file's
// results) and for checking in Octave that both gateways agree.
//   sol = readvelsol(filename)
#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "host/mexgate.h"
#include "velsol/gateway_common.h"
#include "core/largearea.h"
#include "velsol/velsol.h"

using namespace geomex;

namespace {

const char *const kFields[] = {"refname", "crdsys", "station", "xyz",   "llh",
                               "refstation", "site", "vel",     "sigma", "cov"};
constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];

// The error to report.  Its text must outlive the gateway's frame (the host
// reads it after unwinding), and keeping it must not allocate (it may follow
// an allocation failure), so it lives in static buffers: a caller keeps it,
// gives back what it holds, then raises it.
char gErrorId[64], gErrorText[8192];

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void keepError(const char *id, const char *format, ...) {
  std::snprintf(gErrorId, sizeof gErrorId, "%s", id);
  va_list args;
  va_start(args, format);
  std::vsnprintf(gErrorText, sizeof gErrorText, format, args);
  va_end(args);
}

[[noreturn]] void raiseKeptError() {
  mexErrMsgIdAndTxt(gErrorId, "%s", gErrorText);
  std::abort();
}

[[noreturn]] void fail(const char *id, const char *message) {
  keepError(id, "%s", message);
  raiseKeptError();
}

std::string fileNameArgument(const mxArray *arg) {
  if (!mxIsChar(arg) || mxGetM(arg) > 1)
    fail("readvelsol:name", "FILENAME must be a one-row character string");
  const mwSize count = mxGetNumberOfElements(arg);
  const mxChar *chars = mxGetChars(arg);
  for (mwSize i = 0; i < count; ++i)
    if (chars[i] == 0) fail("readvelsol:name", "FILENAME must not contain NUL characters");
  char *text = mxArrayToString(arg);  // the host's encoding of the name
  if (!text) fail("readvelsol:name", "FILENAME cannot be converted to text");
  std::string name(text);
  mxFree(text);
  return name;
}

// 1 x 8 (or 1 x 3) char, every byte kept as it is.
mxArray *charRow(const char *text, mwSize length) {
  const mwSize dims[2] = {1, length};
  mxArray *a = mxCreateCharArray(2, dims);
  mxChar *out = mxGetChars(a);
  for (mwSize k = 0; k < length; ++k) out[k] = static_cast<unsigned char>(text[k]);
  return a;
}

mxArray *names(const std::vector<char> &text, mwSize count) {
  mxArray *cell = mxCreateCellMatrix(count, 1);
  for (mwSize k = 0; k < count; ++k)
    mxSetCell(cell, k, charRow(text.data() + k * kNameLength, kNameLength));
  return cell;
}

// Everything of a call that allocates or holds the file, so that it is all
// released before an error is reported: the host may leave the gateway
// without unwinding its frame.
struct Outcome {
  mxArray *sol = nullptr;
  std::string id, message;
  std::vector<VelsolWarning> warnings;
};

void readSolution(const std::string &name, Outcome &out) {
  FileSource source;
  int error = 0;
  const OpenResult how = source.open(name.c_str(), &error);
  if (how != OpenResult::kOpened) {
    out.id = velsol_id::kOpen;
    out.message = openFailure(name, how, error);
    return;
  }
  VelsolReader reader(source, name);
  VelsolHeader header;
  bool ok = reader.readHeader(header);
  if (ok) {
    const SectionCounts &c = header.counts;
    const mwSize S = c.stations, G = c.nvec, P = c.parameters;
    std::vector<char> station(S * kNameLength), site(G * kNameLength);
    mxArray *sol = mxCreateStructMatrix(1, 1, kFieldCount, const_cast<const char **>(kFields));
    out.sol = sol;  // destroyed by the caller on failure, with all it holds
    mxArray *xyz = mxCreateDoubleMatrix(S, 3, mxREAL);
    mxSetField(sol, 0, "xyz", xyz);
    mxArray *llh = mxCreateDoubleMatrix(S, 3, mxREAL);
    mxSetField(sol, 0, "llh", llh);
    mxArray *vel = mxCreateDoubleMatrix(G, 3, mxREAL);
    mxSetField(sol, 0, "vel", vel);
    mxArray *sigma = mxCreateDoubleMatrix(G, 3, mxREAL);
    mxSetField(sol, 0, "sigma", sigma);
    mxArray *cov = mxCreateUninitNumericMatrix(P, P, mxDOUBLE_CLASS, mxREAL);
    if (!cov) throw std::bad_alloc();
    mxSetField(sol, 0, "cov", cov);
    adviseLargeArea(mxGetPr(cov), sizeof(double) * P * P);
    VelsolAreas areas{station.data(), mxGetPr(xyz), mxGetPr(llh), site.data(),
                      mxGetPr(vel),   mxGetPr(sigma), mxGetPr(cov)};
    ok = reader.readBody(header, areas, readerThreads());
    if (ok) {
      mxSetField(sol, 0, "refname", charRow(header.refname, kNameLength));
      mxSetField(sol, 0, "crdsys", charRow(header.crdsys, sizeof header.crdsys));
      mxSetField(sol, 0, "station", names(station, S));
      mxSetField(sol, 0, "refstation", mxCreateDoubleScalar(areas.refstation));
      mxSetField(sol, 0, "site", names(site, G));
    }
  }
  if (!ok) {
    out.id = reader.errorId();
    out.message = reader.errorMessage();
  }
  out.warnings = reader.warnings();
}

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs != 1) fail("readvelsol:usage", "usage: sol = readvelsol (filename)");
  if (nlhs > 1) fail("readvelsol:usage", "readvelsol returns one result");

  // Octave's allocation failures are C++ exceptions, which must not leave
  // the gateway: they are caught here and reported after the try block.
  Outcome out;
  std::string name;
  bool memory = false;
  try {
    name = fileNameArgument(prhs[0]);
    readSolution(name, out);
  } catch (const std::bad_alloc &) {
    memory = true;
  }
  if (memory || !out.message.empty()) {
    if (out.sol) mxDestroyArray(out.sol);
    out.sol = nullptr;
    // Every string is given back before the error is raised.
    if (memory)
      keepError("readvelsol:memory", "out of memory for the results of '%s'", name.c_str());
    else
      keepError(out.id.c_str(), "%s", out.message.c_str());
    out = Outcome();
    std::string().swap(name);
    raiseKeptError();
  }
  for (const VelsolWarning &w : out.warnings) mexWarnMsgIdAndTxt(w.id, "%s", w.message.c_str());
  plhs[0] = out.sol;
}
