// MEX gateway of readvelsol, for MATLAB (which does not copy a MEX file's
// results) and for checking in Octave that both gateways agree.
//   sol = readvelsol(filename)
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/mexrequest.h"
#include "velsol/readvelsol_command.h"
#include "velsol/velsol.h"

using namespace geomex;

namespace {

const char *const kFields[] = {"refname", "crdsys", "station", "xyz",   "llh",
                               "refstation", "site", "vel",     "sigma", "cov"};
constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];

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

// Reads the file named in the request into a new struct, or leaves the
// error in the request (and gives back what the struct holds so far in
// `sol`, for the caller to destroy).
void readSolution(GatewayRequest &request, mxArray *&sol,
                  std::vector<VelsolWarning> &warnings) {
  FileSource source;
  if (!request.openFile(source)) return;
  VelsolReader reader(source, request.fileName());
  VelsolHeader header;
  bool ok = reader.readHeader(header);
  if (ok) {
    const SectionCounts &c = header.counts;
    const mwSize S = c.stations, G = c.nvec, P = c.parameters;
    std::vector<char> station(S * kNameLength), site(G * kNameLength);
    sol = mxCreateStructMatrix(1, 1, kFieldCount, const_cast<const char **>(kFields));
    mxArray *xyz = mxCreateDoubleMatrix(S, 3, mxREAL);
    mxSetField(sol, 0, "xyz", xyz);
    mxArray *llh = mxCreateDoubleMatrix(S, 3, mxREAL);
    mxSetField(sol, 0, "llh", llh);
    mxArray *vel = mxCreateDoubleMatrix(G, 3, mxREAL);
    mxSetField(sol, 0, "vel", vel);
    mxArray *sigma = mxCreateDoubleMatrix(G, 3, mxREAL);
    mxSetField(sol, 0, "sigma", sigma);
    mxArray *cov = uninitializedSquare(P);
    mxSetField(sol, 0, "cov", cov);
    VelsolAreas areas{station.data(), mxGetPr(xyz), mxGetPr(llh), site.data(),
                      mxGetPr(vel),   mxGetPr(sigma), mxGetPr(cov)};
    ok = reader.readBody(header, areas, readerThreads());
    if (ok) {
      mxSetField(sol, 0, "refname", charRow(header.refname, kNameLength));
      mxSetField(sol, 0, "crdsys", charRow(header.crdsys, sizeof header.crdsys));
      mxSetField(sol, 0, "station", names(station, S));
      mxSetField(sol, 0, "refstation", mxCreateDoubleScalar(areas.refstation));
      mxSetField(sol, 0, "site", names(site, G));
      reserveHostCopy(sizeof(double) * (P * P + 6 * S + 6 * G));
    }
  }
  if (!ok) request.fail(reader.errorId(), reader.errorMessage());
  warnings = reader.warnings();
}

// The whole call but raising its error: false when there is one to raise
// (kept by keepRequestError).  Everything it allocates is released when it
// returns.
bool call(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  GatewayRequest request(kReadvelsolCommand);
  mxArray *sol = nullptr;
  std::vector<VelsolWarning> warnings;
  // Allocation failures must not leave the gateway as C++ exceptions (see
  // host/mexrequest.h).
  try {
    if (request.acceptCall(nrhs, nlhs) && takeFileName(request, prhs[0]))
      readSolution(request, sol, warnings);
  } catch (const std::bad_alloc &) {
    request.failMemory();
  } catch (const std::runtime_error &) {
    request.failMemory();
  }
  if (request.failed()) {
    if (sol) mxDestroyArray(sol);
    keepRequestError(request);
    return false;
  }
  for (const VelsolWarning &w : warnings) mexWarnMsgIdAndTxt(w.id, "%s", w.message.c_str());
  plhs[0] = sol;
  return true;
}

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (!call(nlhs, plhs, nrhs, prhs)) raiseKeptRequestError();
}
