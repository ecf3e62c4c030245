// Octave-native gateway of readsinex: fills Octave's own arrays in place,
// so the P x P matrix (355 MB for a frame of 1111 sites) is written once
// and never copied (Octave copies the results of a MEX file on return).
#include <memory>
#include <new>
#include <string>

#include "host/octarrays.h"
#include "host/octrequest.h"
#include "readsinex_help.h"  // generated from help/readsinex.m
#include "sinex/readsinex_command.h"
#include "sinex/sinex.h"
#include "sinex/sinex_source.h"

namespace {

using namespace geomex;
template <typename Get>
Cell texts(std::size_t n, Get get) {
  Cell cell(dim_vector(static_cast<octave_idx_type>(n), 1));
  for (std::size_t k = 0; k < n; ++k) cell(static_cast<octave_idx_type>(k)) = octave_value(get(k));
  return cell;
}

RowVector timeRow(const SinexTime &t) {
  RowVector r(3);
  r(0) = t.year;
  r(1) = t.doy;
  r(2) = t.sec;
  return r;
}

void putTime(Matrix &m, octave_idx_type row, octave_idx_type col, const SinexTime &t) {
  m(row, col) = t.year;
  m(row, col + 1) = t.doy;
  m(row, col + 2) = t.sec;
}

octave_scalar_map estimateStruct(const std::vector<SinexEstimate> &e) {
  const octave_idx_type P = static_cast<octave_idx_type>(e.size());
  ColumnVector index(P), constraint(P), value(P), sigma(P);
  Matrix epoch(P, 3);
  for (octave_idx_type k = 0; k < P; ++k) {
    index(k) = e[k].index;
    constraint(k) = e[k].constraint;
    value(k) = e[k].value;
    sigma(k) = e[k].sigma;
    putTime(epoch, k, 0, e[k].epoch);
  }
  octave_scalar_map s;
  s.assign("index", index);
  s.assign("type", texts(e.size(), [&](std::size_t k) { return e[k].type; }));
  s.assign("site", texts(e.size(), [&](std::size_t k) { return e[k].site; }));
  s.assign("point", texts(e.size(), [&](std::size_t k) { return e[k].point; }));
  s.assign("soln", texts(e.size(), [&](std::size_t k) { return e[k].soln; }));
  s.assign("epoch", epoch);
  s.assign("unit", texts(e.size(), [&](std::size_t k) { return e[k].unit; }));
  s.assign("constraint", constraint);
  s.assign("value", value);
  s.assign("sigma", sigma);
  return s;
}

}  // namespace

GEOMEX_DEFAULT_VISIBILITY_BEGIN
DEFUN_DLD(readsinex, args, nargout, kHelpText)
{
  GatewayRequest request(kReadsinexCommand);
  const int n = args.length();
  if (!request.acceptCall(n, nargout)) raiseRequestError(request);
  takeFileName(request, args(0));
  const bool keyIsText = n == 3 && args(1).is_string() && args(1).rows() == 1;
  const bool isFlag = n == 3 && (args(2).islogical() || args(2).isnumeric()) &&
                      !args(2).iscomplex() && args(2).numel() == 1;
  bool wantMatrix = true;
  if (!acceptMatrixOption(request, n, keyIsText ? args(1).string_value() : std::string(), isFlag,
                          isFlag ? args(2).double_value() : 0.0, wantMatrix))
    raiseRequestError(request);

  FileSource file;
  if (!request.openFile(file)) raiseRequestError(request);
  const std::string &name = request.fileName();

  try {
    std::unique_ptr<ByteSource> decompressed;
    ByteSource &source = sinexSource(file, decompressed);
    SinexReader reader(source, name);
    NDArray matrix;
    SinexMatrixArea area;
    if (wantMatrix)
      area = [&](std::size_t P) {
        matrix = uninitializedSquare(static_cast<octave_idx_type>(P));
        return matrix.fortran_vec();
      };
    if (!reader.read(area, readerThreads())) {
      request.fail(reader.errorId(), reader.errorMessage());
      raiseRequestError(request);
    }
    for (const SinexWarning &w : reader.warnings())
      warning_with_id(w.id, "%s: %s", request.command().name, w.message.c_str());

    const SinexContents &c = reader.contents();
    const std::vector<SinexSiteRow> &rows = c.rows;
    const octave_idx_type m = static_cast<octave_idx_type>(rows.size());
    Matrix epoch(m, 3), valid(m, 6), xyz(m, 3), sxyz(m, 3), llh(m, 3), vel(m, 3), sigma(m, 3);
    for (octave_idx_type i = 0; i < m; ++i) {
      const SinexSiteRow &r = rows[i];
      putTime(epoch, i, 0, r.epoch);
      putTime(valid, i, 0, r.validFrom);
      putTime(valid, i, 3, r.validTo);
      for (int k = 0; k < 3; ++k) {
        xyz(i, k) = r.xyz[k];
        sxyz(i, k) = r.sxyz[k];
        llh(i, k) = r.llh[k];
        vel(i, k) = r.vel[k];
        sigma(i, k) = r.sigma[k];
      }
    }
    NDArray cov = uninitializedSquare(3 * m), poscov = uninitializedSquare(3 * m);
    reader.siteCovariance(true, cov.fortran_vec());
    reader.siteCovariance(false, poscov.fortran_vec());

    octave_scalar_map snx;
    snx.assign("version", c.header.version);
    snx.assign("agency", c.header.agency);
    snx.assign("dataagency", c.header.dataagency);
    snx.assign("technique", c.header.technique);
    snx.assign("contents", c.header.contents);
    snx.assign("created", timeRow(c.header.created));
    snx.assign("start", timeRow(c.header.start));
    snx.assign("end", timeRow(c.header.end));
    snx.assign("varfactor", c.varfactor);
    snx.assign("estimate", estimateStruct(c.estimates));
    snx.assign("matrix", wantMatrix && reader.matrix() ? octave_value(matrix) : octave_value(Matrix()));
    snx.assign("matrixtype", c.matrixTypeText);
    snx.assign("station", texts(rows.size(), [&](std::size_t k) { return rows[k].station; }));
    snx.assign("point", texts(rows.size(), [&](std::size_t k) { return rows[k].point; }));
    snx.assign("soln", texts(rows.size(), [&](std::size_t k) { return rows[k].soln; }));
    snx.assign("domes", texts(rows.size(), [&](std::size_t k) { return rows[k].domes; }));
    snx.assign("description",
               texts(rows.size(), [&](std::size_t k) { return rows[k].description; }));
    snx.assign("epoch", epoch);
    snx.assign("valid", valid);
    snx.assign("xyz", xyz);
    snx.assign("sxyz", sxyz);
    snx.assign("llh", llh);
    snx.assign("vel", vel);
    snx.assign("sigma", sigma);
    snx.assign("cov", cov);
    snx.assign("poscov", poscov);
    return octave_value(snx);
  } catch (const std::bad_alloc &) {
    request.failMemory();
  }
  raiseRequestError(request);
}
GEOMEX_DEFAULT_VISIBILITY_END
