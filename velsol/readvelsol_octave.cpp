// Octave-native gateway of readvelsol: fills Octave's own arrays in place,
// so a 9999 x 9999 covariance is written once and never copied (Octave
// copies the results of a MEX file when the call returns).
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "host/octgate.h"
#include "velsol/gateway_common.h"
#include "core/largearea.h"
#include "readvelsol_help.h"  // generated from help/readvelsol.m
#include "velsol/velsol.h"

namespace {

using namespace geomex;

std::string fileNameArgument(const octave_value &arg) {
  if (!arg.is_string() || arg.rows() > 1)
    error_with_id("readvelsol:name", "readvelsol: FILENAME must be a one-row character string");
  const std::string name = arg.string_value();
  if (name.find('\0') != std::string::npos)
    error_with_id("readvelsol:name", "readvelsol: FILENAME must not contain NUL characters");
  return name;
}

Cell names(const std::vector<char> &text, octave_idx_type count) {
  Cell cell(dim_vector(count, 1));
  for (octave_idx_type k = 0; k < count; ++k)
    cell(k) = octave_value(std::string(text.data() + k * kNameLength, kNameLength));
  return cell;
}

// A P x P matrix whose elements are left for the reader to write: Octave's
// own constructors would zero every page first.
NDArray uninitializedSquare(octave_idx_type P) {
  const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(P) * P;
  // Given back if Octave cannot take it over.
  std::unique_ptr<void, void (*)(void *)> data(::operator new(bytes),
                                               [](void *p) { ::operator delete(p); });
  adviseLargeArea(data.get(), bytes);
  NDArray square(Array<double>(static_cast<double *>(data.get()), dim_vector(P, P)));
  data.release();  // Octave's array owns it now
  return square;
}

}  // namespace

GEOMEX_DEFAULT_VISIBILITY_BEGIN
DEFUN_DLD(readvelsol, args, , kHelpText)
{
  if (args.length() != 1) print_usage();
  const std::string name = fileNameArgument(args(0));

  FileSource source;
  int error = 0;
  const OpenResult how = source.open(name.c_str(), &error);
  if (how != OpenResult::kOpened)
    error_with_id(velsol_id::kOpen, "readvelsol: %s", openFailure(name, how, error).c_str());

  VelsolReader reader(source, name);
  octave_idx_type S = 0;
  try {
    VelsolHeader header;
    if (!reader.readHeader(header))
      error_with_id(reader.errorId(), "readvelsol: %s", reader.errorMessage().c_str());
    const SectionCounts &c = header.counts;
    S = c.stations;
    const octave_idx_type G = c.nvec, P = c.parameters;
    std::vector<char> station(static_cast<std::size_t>(S) * kNameLength);
    std::vector<char> site(static_cast<std::size_t>(G) * kNameLength);
    Matrix xyz(S, 3), llh(S, 3), vel(G, 3), sigma(G, 3);
    NDArray cov = uninitializedSquare(P);
    VelsolAreas areas{station.data(), xyz.fortran_vec(), llh.fortran_vec(), site.data(),
                      vel.fortran_vec(), sigma.fortran_vec(), cov.fortran_vec()};
    const bool ok = reader.readBody(header, areas, readerThreads());
    if (!ok) {
      const std::string message = reader.errorMessage();
      error_with_id(reader.errorId(), "readvelsol: %s", message.c_str());
    }
    for (const VelsolWarning &w : reader.warnings())
      warning_with_id(w.id, "readvelsol: %s", w.message.c_str());

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
    error_with_id("readvelsol:memory",
                  "readvelsol: out of memory for the results of '%s' (%ld stations)",
                  name.c_str(), static_cast<long>(S));
  }
}
GEOMEX_DEFAULT_VISIBILITY_END
