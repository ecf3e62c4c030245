// MEX gateway of readsinex, for MATLAB (which does not copy a MEX file's
// results) and for checking in Octave that both gateways agree.
//   snx = readsinex(filename)
//   snx = readsinex(filename, 'matrix', false)
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/largearea.h"
#include "host/mexgate.h"
#include "sinex/gateway_texts.h"
#include "sinex/sinex.h"
#include "sinex/sinex_source.h"
#include "velsol/gateway_common.h"

using namespace geomex;
namespace text = geomex::readsinex_text;

namespace {

// The error to report.  Its text must outlive the gateway's frame (the host
// reads it after unwinding), and keeping it must not allocate (it may follow
// an allocation failure), so it lives in static buffers.
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

// Any char array of one row, N-d included (its characters in order).
std::string fileNameArgument(const mxArray *arg) {
  if (!mxIsChar(arg) || mxGetM(arg) > 1) fail(sinex_id::kName, text::kNameNotChar);
  const mwSize count = mxGetNumberOfElements(arg);
  const mxChar *chars = mxGetChars(arg);
  for (mwSize i = 0; i < count; ++i)
    if (chars[i] == 0) fail(sinex_id::kName, text::kNameNul);
  if (count == 0) return std::string();
  char *name = mxArrayToString(arg);  // the host's encoding of the name
  if (!name) fail(sinex_id::kName, text::kNameNotChar);
  std::string out(name);
  mxFree(name);
  return out;
}

bool matrixOption(const mxArray *key, const mxArray *value) {
  std::string k;
  if (mxIsChar(key) && mxGetM(key) == 1) {
    char buf[16] = {0};
    if (mxGetNumberOfElements(key) < sizeof buf && mxGetString(key, buf, sizeof buf) == 0) k = buf;
  }
  for (char &c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (k != "matrix") fail(sinex_id::kUsage, text::kOptionName);
  if (!(mxIsLogical(value) || mxIsNumeric(value)) || mxIsComplex(value) ||
      mxGetNumberOfElements(value) != 1)
    fail(sinex_id::kUsage, text::kOptionValue);
  const double v = mxGetScalar(value);
  if (v != 0 && v != 1) fail(sinex_id::kUsage, text::kOptionValue);
  return v != 0;
}

mxArray *textCell(std::size_t n, const std::string *(*get)(const void *, std::size_t),
                  const void *from) {
  mxArray *cell = mxCreateCellMatrix(n, 1);
  for (std::size_t k = 0; k < n; ++k) mxSetCell(cell, k, mxCreateString(get(from, k)->c_str()));
  return cell;
}

template <typename T, std::string T::*Field>
const std::string *fieldOf(const void *from, std::size_t k) {
  return &((*static_cast<const std::vector<T> *>(from))[k].*Field);
}

mxArray *matrixOf(std::size_t rows, std::size_t cols) {
  mxArray *a = mxCreateDoubleMatrix(rows, cols, mxREAL);
  if (!a) throw std::bad_alloc();
  return a;
}

// Both hosts end the call with their own error, without our identifier,
// when they cannot allocate an array; a large one is therefore tried with
// the C library first, so that a shortage is reported as readsinex:memory.
void checkRoomFor(std::size_t bytes) {
  void *probe = std::malloc(bytes ? bytes : 1);
  if (!probe) throw std::bad_alloc();
  std::free(probe);
}

mxArray *uninitializedSquare(std::size_t n) {
  checkRoomFor(sizeof(double) * n * n);
  mxArray *a = mxCreateUninitNumericMatrix(n, n, mxDOUBLE_CLASS, mxREAL);
  if (!a) throw std::bad_alloc();
  adviseLargeArea(mxGetPr(a), sizeof(double) * n * n);
  return a;
}

mxArray *timeRow(const SinexTime &t) {
  mxArray *a = matrixOf(1, 3);
  double *p = mxGetPr(a);
  p[0] = t.year;
  p[1] = t.doy;
  p[2] = t.sec;
  return a;
}

void putTime(double *m, std::size_t rows, std::size_t row, std::size_t col, const SinexTime &t) {
  m[row + col * rows] = t.year;
  m[row + (col + 1) * rows] = t.doy;
  m[row + (col + 2) * rows] = t.sec;
}

mxArray *estimateStruct(const std::vector<SinexEstimate> &e) {
  static const char *const kFields[] = {"index", "type",  "site",       "point", "soln",
                                        "epoch", "unit", "constraint", "value", "sigma"};
  mxArray *s = mxCreateStructMatrix(1, 1, 10, const_cast<const char **>(kFields));
  const std::size_t P = e.size();
  mxArray *index = matrixOf(P, 1), *constraint = matrixOf(P, 1), *value = matrixOf(P, 1),
          *sigma = matrixOf(P, 1), *epoch = matrixOf(P, 3);
  mxSetField(s, 0, "index", index);
  mxSetField(s, 0, "constraint", constraint);
  mxSetField(s, 0, "value", value);
  mxSetField(s, 0, "sigma", sigma);
  mxSetField(s, 0, "epoch", epoch);
  for (std::size_t k = 0; k < P; ++k) {
    mxGetPr(index)[k] = e[k].index;
    mxGetPr(constraint)[k] = e[k].constraint;
    mxGetPr(value)[k] = e[k].value;
    mxGetPr(sigma)[k] = e[k].sigma;
    putTime(mxGetPr(epoch), P, k, 0, e[k].epoch);
  }
  mxSetField(s, 0, "type", textCell(P, fieldOf<SinexEstimate, &SinexEstimate::type>, &e));
  mxSetField(s, 0, "site", textCell(P, fieldOf<SinexEstimate, &SinexEstimate::site>, &e));
  mxSetField(s, 0, "point", textCell(P, fieldOf<SinexEstimate, &SinexEstimate::point>, &e));
  mxSetField(s, 0, "soln", textCell(P, fieldOf<SinexEstimate, &SinexEstimate::soln>, &e));
  mxSetField(s, 0, "unit", textCell(P, fieldOf<SinexEstimate, &SinexEstimate::unit>, &e));
  return s;
}

const char *const kFields[] = {"version", "agency", "dataagency", "technique", "contents",
                               "created", "start",  "end",        "varfactor", "estimate",
                               "matrix",  "matrixtype", "station", "point",    "soln",
                               "domes",   "description", "epoch",  "valid",    "xyz",
                               "sxyz",    "llh",    "vel",        "sigma",     "cov",
                               "poscov"};
constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];

// Everything of a call that allocates or holds the file, so that it is all
// released before an error is reported.
struct Outcome {
  mxArray *snx = nullptr;
  std::string id, message;
  std::vector<SinexWarning> warnings;
};

void readFile(const std::string &name, bool wantMatrix, Outcome &out) {
  FileSource file;
  int error = 0;
  const LoadResult how = file.open(name.c_str(), &error);
  if (how != LoadResult::kLoaded) {
    out.id = sinex_id::kOpen;
    out.message = openFailure(name, how, error);
    return;
  }
  std::unique_ptr<ByteSource> decompressed;
  ByteSource &source = sinexSource(file, decompressed);
  SinexReader reader(source, name);
  mxArray *snx = mxCreateStructMatrix(1, 1, kFieldCount, const_cast<const char **>(kFields));
  out.snx = snx;  // destroyed by the caller on failure, with all it holds
  SinexMatrixArea area;
  if (wantMatrix)
    area = [&](std::size_t P) {
      mxArray *matrix = uninitializedSquare(P);
      mxSetField(snx, 0, "matrix", matrix);
      return mxGetPr(matrix);
    };
  if (!reader.read(area, readerThreads())) {
    out.id = reader.errorId();
    out.message = reader.errorMessage();
    return;
  }
  out.warnings = reader.warnings();
  const SinexContents &c = reader.contents();
  if (!reader.matrix()) mxSetField(snx, 0, "matrix", matrixOf(0, 0));
  const struct {
    const char *field;
    const std::string &value;
  } headerTexts[] = {{"version", c.header.version},     {"agency", c.header.agency},
                     {"dataagency", c.header.dataagency}, {"technique", c.header.technique},
                     {"contents", c.header.contents},   {"matrixtype", c.matrixTypeText}};
  for (const auto &t : headerTexts) mxSetField(snx, 0, t.field, mxCreateString(t.value.c_str()));
  mxSetField(snx, 0, "created", timeRow(c.header.created));
  mxSetField(snx, 0, "start", timeRow(c.header.start));
  mxSetField(snx, 0, "end", timeRow(c.header.end));
  mxSetField(snx, 0, "varfactor", mxCreateDoubleScalar(c.varfactor));
  mxSetField(snx, 0, "estimate", estimateStruct(c.estimates));

  const std::vector<SinexSiteRow> &rows = c.rows;
  const std::size_t m = rows.size();
  mxSetField(snx, 0, "station", textCell(m, fieldOf<SinexSiteRow, &SinexSiteRow::station>, &rows));
  mxSetField(snx, 0, "point", textCell(m, fieldOf<SinexSiteRow, &SinexSiteRow::point>, &rows));
  mxSetField(snx, 0, "soln", textCell(m, fieldOf<SinexSiteRow, &SinexSiteRow::soln>, &rows));
  mxSetField(snx, 0, "domes", textCell(m, fieldOf<SinexSiteRow, &SinexSiteRow::domes>, &rows));
  mxSetField(snx, 0, "description",
             textCell(m, fieldOf<SinexSiteRow, &SinexSiteRow::description>, &rows));
  mxArray *epoch = matrixOf(m, 3), *valid = matrixOf(m, 6);
  mxSetField(snx, 0, "epoch", epoch);
  mxSetField(snx, 0, "valid", valid);
  mxArray *xyz = matrixOf(m, 3), *sxyz = matrixOf(m, 3), *llh = matrixOf(m, 3),
          *vel = matrixOf(m, 3), *sigma = matrixOf(m, 3);
  mxSetField(snx, 0, "xyz", xyz);
  mxSetField(snx, 0, "sxyz", sxyz);
  mxSetField(snx, 0, "llh", llh);
  mxSetField(snx, 0, "vel", vel);
  mxSetField(snx, 0, "sigma", sigma);
  for (std::size_t i = 0; i < m; ++i) {
    const SinexSiteRow &r = rows[i];
    putTime(mxGetPr(epoch), m, i, 0, r.epoch);
    putTime(mxGetPr(valid), m, i, 0, r.validFrom);
    putTime(mxGetPr(valid), m, i, 3, r.validTo);
    for (std::size_t k = 0; k < 3; ++k) {
      mxGetPr(xyz)[i + k * m] = r.xyz[k];
      mxGetPr(sxyz)[i + k * m] = r.sxyz[k];
      mxGetPr(llh)[i + k * m] = r.llh[k];
      mxGetPr(vel)[i + k * m] = r.vel[k];
      mxGetPr(sigma)[i + k * m] = r.sigma[k];
    }
  }
  mxArray *cov = uninitializedSquare(3 * m), *poscov = uninitializedSquare(3 * m);
  mxSetField(snx, 0, "cov", cov);
  mxSetField(snx, 0, "poscov", poscov);
  reader.siteCovariance(true, mxGetPr(cov));
  reader.siteCovariance(false, mxGetPr(poscov));
}

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs != 1 && nrhs != 3) fail(sinex_id::kUsage, text::kUsage);
  if (nlhs > 1) fail(sinex_id::kUsage, text::kOneResult);

  // Allocation failures are C++ exceptions in Octave, which must not leave
  // the gateway: they are caught here and reported after the try block.
  Outcome out;
  std::string name;
  bool memory = false;
  try {
    name = fileNameArgument(prhs[0]);
    const bool wantMatrix = nrhs == 3 ? matrixOption(prhs[1], prhs[2]) : true;
    readFile(name, wantMatrix, out);
  } catch (const std::bad_alloc &) {
    memory = true;
  }
  if (memory || !out.message.empty()) {
    if (out.snx) mxDestroyArray(out.snx);
    out.snx = nullptr;
    if (memory)
      keepError(sinex_id::kMemory, text::kMemory, name.c_str());
    else
      keepError(out.id.c_str(), "%s", out.message.c_str());
    out = Outcome();
    std::string().swap(name);
    raiseKeptError();
  }
  for (const SinexWarning &w : out.warnings) mexWarnMsgIdAndTxt(w.id, "%s", w.message.c_str());
  plhs[0] = out.snx;
}
