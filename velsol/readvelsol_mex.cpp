// MEX gateway of readvelsol, for MATLAB (which does not copy a MEX file's
// results) and for checking in Octave that both gateways agree.
//   sol = readvelsol(filename)
#include <new>
#include <string>
#include <vector>

#include "../host/mexgate.h"
#include "gateway_common.h"
#include "largearea.h"
#include "velsol.h"

using namespace geomex;

namespace {

const char *const kFields[] = {"refname", "crdsys", "station", "xyz",   "llh",
                               "refstation", "site", "vel",     "sigma", "cov"};
constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];

// The error text must outlive the gateway's frame: the host reads it after
// unwinding, so it lives in a static.
[[noreturn]] void fail(const char *id, const std::string &message) {
  static std::string text;
  text = message;
  mexErrMsgIdAndTxt(id, "%s", text.c_str());
  std::abort();
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

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs != 1) fail("readvelsol:usage", "usage: sol = readvelsol (filename)");
  if (nlhs > 1) fail("readvelsol:usage", "readvelsol returns one result");
  const std::string name = fileNameArgument(prhs[0]);

  FileSource source;
  int error = 0;
  const LoadResult how = source.open(name.c_str(), &error);
  if (how != LoadResult::kLoaded) fail(velsol_id::kOpen, openFailure(name, how, error));

  // Octave's allocation failures are C++ exceptions, which must not leave
  // the gateway: everything that allocates runs in the try block, and what
  // went wrong is reported after it.
  VelsolReader reader(source, name);
  mxArray *sol = nullptr;
  bool ok = false, memory = false;
  mwSize S = 0;
  try {
    VelsolHeader header;
    ok = reader.readHeader(header);
    if (ok) {
      const SectionCounts &c = header.counts;
      S = c.stations;
      const mwSize G = c.nvec, P = c.parameters;
      std::vector<char> station(S * kNameLength), site(G * kNameLength);
      mxArray *xyz = mxCreateDoubleMatrix(S, 3, mxREAL);
      mxArray *llh = mxCreateDoubleMatrix(S, 3, mxREAL);
      mxArray *vel = mxCreateDoubleMatrix(G, 3, mxREAL);
      mxArray *sigma = mxCreateDoubleMatrix(G, 3, mxREAL);
      mxArray *cov = mxCreateUninitNumericMatrix(P, P, mxDOUBLE_CLASS, mxREAL);
      if (!cov) throw std::bad_alloc();
      adviseLargeArea(mxGetPr(cov), sizeof(double) * P * P);
      VelsolAreas areas{station.data(), mxGetPr(xyz), mxGetPr(llh), site.data(),
                        mxGetPr(vel),   mxGetPr(sigma), mxGetPr(cov)};
      ok = reader.readBody(header, areas, readerThreads());
      sol = mxCreateStructMatrix(1, 1, kFieldCount, const_cast<const char **>(kFields));
      mxSetField(sol, 0, "refname", charRow(header.refname, kNameLength));
      mxSetField(sol, 0, "crdsys", charRow(header.crdsys, sizeof header.crdsys));
      mxSetField(sol, 0, "station", names(station, S));
      mxSetField(sol, 0, "xyz", xyz);
      mxSetField(sol, 0, "llh", llh);
      mxSetField(sol, 0, "refstation", mxCreateDoubleScalar(areas.refstation));
      mxSetField(sol, 0, "site", names(site, G));
      mxSetField(sol, 0, "vel", vel);
      mxSetField(sol, 0, "sigma", sigma);
      mxSetField(sol, 0, "cov", cov);
    }
  } catch (const std::bad_alloc &) {
    memory = true;
  }
  if (memory)
    fail("readvelsol:memory", "out of memory for the results of '" + name + "' (" +
                                  std::to_string(S) + " stations)");
  if (!ok) {
    if (sol) mxDestroyArray(sol);
    fail(reader.errorId(), reader.errorMessage());
  }
  for (const VelsolWarning &w : reader.warnings()) mexWarnMsgIdAndTxt(w.id, "%s", w.message.c_str());
  plhs[0] = sol;
}
