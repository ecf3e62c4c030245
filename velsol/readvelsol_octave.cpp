// Octave-native gateway of readvelsol: fills Octave's own arrays in place,
// so a 9999 x 9999 covariance is written once and never copied (Octave
// copies the results of a MEX file when the call returns).
#include <new>
#include <string>
#include <vector>

#include "host/octarrays.h"
#include "host/octrequest.h"
#include "readvelsol_help.h"  // generated from help/readvelsol.m
#include "velsol/readvelsol_command.h"
#include "velsol/velsol.h"

namespace {

using namespace geomex;

Cell names(const std::vector<char> &text, octave_idx_type count) {
  Cell cell(dim_vector(count, 1));
  for (octave_idx_type k = 0; k < count; ++k)
    cell(k) = octave_value(std::string(text.data() + k * kNameLength, kNameLength));
  return cell;
}

}  // namespace

GEOMEX_DEFAULT_VISIBILITY_BEGIN
DEFUN_DLD(readvelsol, args, nargout, kHelpText)
{
  GatewayRequest request(kReadvelsolCommand);
  if (!request.acceptCall(args.length(), nargout)) raiseRequestError(request);
  takeFileName(request, args(0));

  FileSource source;
  if (!request.openFile(source)) raiseRequestError(request);
  const std::string &name = request.fileName();

  VelsolReader reader(source, name);
  try {
    VelsolHeader header;
    if (!reader.readHeader(header)) {
      request.fail(reader.errorId(), reader.errorMessage());
      raiseRequestError(request);
    }
    const SectionCounts &c = header.counts;
    const octave_idx_type S = c.stations, G = c.nvec, P = c.parameters;
    std::vector<char> station(static_cast<std::size_t>(S) * kNameLength);
    std::vector<char> site(static_cast<std::size_t>(G) * kNameLength);
    Matrix xyz(S, 3), llh(S, 3), vel(G, 3), sigma(G, 3);
    NDArray cov = uninitializedSquare(P);
    VelsolAreas areas{station.data(), xyz.fortran_vec(), llh.fortran_vec(), site.data(),
                      vel.fortran_vec(), sigma.fortran_vec(), cov.fortran_vec()};
    if (!reader.readBody(header, areas, readerThreads())) {
      request.fail(reader.errorId(), reader.errorMessage());
      raiseRequestError(request);
    }
    for (const VelsolWarning &w : reader.warnings())
      warning_with_id(w.id, "%s: %s", request.command().name, w.message.c_str());

    octave_scalar_map sol;
    sol.assign("refname", octave_value(std::string(header.refname, kNameLength)));
    sol.assign("crdsys", octave_value(std::string(header.crdsys, sizeof header.crdsys)));
    sol.assign("station", names(station, S));
    sol.assign("xyz", xyz);
    sol.assign("llh", llh);
    sol.assign("refstation", areas.refstation);
    sol.assign("site", names(site, G));
    sol.assign("vel", vel);
    sol.assign("sigma", sigma);
    sol.assign("cov", cov);
    return octave_value(sol);
  } catch (const std::bad_alloc &) {
    request.failMemory();
  }
  raiseRequestError(request);
}
GEOMEX_DEFAULT_VISIBILITY_END
