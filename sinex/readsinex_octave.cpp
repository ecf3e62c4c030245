// Octave-native gateway of readsinex: fills Octave's own arrays in place,
// so the P x P matrix (355 MB for a frame of 1111 sites) is written once
// and never copied (Octave copies the results of a MEX file on return).
#include <cctype>
#include <memory>
#include <new>
#include <string>

#include "host/octgate.h"
#include "core/largearea.h"
#include "readsinex_help.h"  // generated from help/readsinex.m
#include "sinex/gateway_texts.h"
#include "sinex/sinex.h"
#include "sinex/sinex_source.h"
#include "velsol/gateway_common.h"

namespace {

using namespace geomex;
namespace text = geomex::readsinex_text;

[[noreturn]] void usageError(const char *what) {
  error_with_id(sinex_id::kUsage, "readsinex: %s", what);
}

// Any char array of one row, N-d included (its characters in order).
std::string fileNameArgument(const octave_value &arg) {
  if (!arg.is_string() || arg.dims()(0) > 1)
    error_with_id(sinex_id::kName, "readsinex: %s", text::kNameNotChar);
  const charNDArray chars = arg.char_array_value();
  const std::string name(chars.data(), static_cast<std::size_t>(chars.numel()));
  if (name.find('\0') != std::string::npos)
    error_with_id(sinex_id::kName, "readsinex: %s", text::kNameNul);
  return name;
}

bool matrixOption(const octave_value &key, const octave_value &value) {
  std::string k = key.is_string() && key.rows() == 1 ? key.string_value() : "";
  for (char &c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (k != "matrix") usageError(text::kOptionName);
  if (!(value.islogical() || value.isnumeric()) || value.iscomplex() || value.numel() != 1)
    usageError(text::kOptionValue);
  const double v = value.double_value();
  if (v != 0 && v != 1) usageError(text::kOptionValue);
  return v != 0;
}

// A square whose elements are left for the reader to write: Octave's own
// constructors would zero every page first.
NDArray uninitializedSquare(octave_idx_type n) {
  const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(n) * n;
  std::unique_ptr<void, void (*)(void *)> data(::operator new(bytes ? bytes : 1),
                                               [](void *p) { ::operator delete(p); });
  adviseLargeArea(data.get(), bytes);
  NDArray square(Array<double>(static_cast<double *>(data.get()), dim_vector(n, n)));
  data.release();  // Octave's array owns it now
  return square;
}

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
  if (args.length() != 1 && args.length() != 3) usageError(text::kUsage);
  if (nargout > 1) usageError(text::kOneResult);
  const std::string name = fileNameArgument(args(0));
  const bool wantMatrix = args.length() == 3 ? matrixOption(args(1), args(2)) : true;

  FileSource file;
  int error = 0;
  const LoadResult how = file.open(name.c_str(), &error);
  if (how != LoadResult::kLoaded)
    error_with_id(sinex_id::kOpen, "readsinex: %s", openFailure(name, how, error).c_str());

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
      const std::string message = reader.errorMessage();
      error_with_id(reader.errorId(), "readsinex: %s", message.c_str());
    }
    for (const SinexWarning &w : reader.warnings())
      warning_with_id(w.id, "readsinex: %s", w.message.c_str());

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
    error_with_id(sinex_id::kMemory, ("readsinex: " + std::string(text::kMemory)).c_str(),
                  name.c_str());
  }
}
GEOMEX_DEFAULT_VISIBILITY_END
