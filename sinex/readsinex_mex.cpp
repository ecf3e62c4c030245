// MEX gateway of readsinex, for MATLAB (which does not copy a MEX file's
// results) and for checking in Octave that both gateways agree.
//   snx = readsinex(filename)
//   snx = readsinex(filename, 'matrix', false)
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/mexrequest.h"
#include "sinex/readsinex_command.h"
#include "sinex/sinex.h"
#include "sinex/sinex_source.h"

using namespace geomex;

namespace {

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

// Reads the file named in the request into a new struct, or leaves the
// error in the request (and gives back what the struct holds so far in
// `snx`, for the caller to destroy).
void readFile(GatewayRequest &request, bool wantMatrix, mxArray *&snx,
              std::vector<SinexWarning> &warnings) {
  FileSource file;
  if (!request.openFile(file)) return;
  std::unique_ptr<ByteSource> decompressed;
  ByteSource &source = sinexSource(file, decompressed);
  SinexReader reader(source, request.fileName());
  snx = mxCreateStructMatrix(1, 1, kFieldCount, const_cast<const char **>(kFields));
  SinexMatrixArea area;
  if (wantMatrix)
    area = [&](std::size_t P) {
      mxArray *matrix = uninitializedSquare(P);
      mxSetField(snx, 0, "matrix", matrix);
      return mxGetPr(matrix);
    };
  if (!reader.read(area, readerThreads())) {
    request.fail(reader.errorId(), reader.errorMessage());
    return;
  }
  warnings = reader.warnings();
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
  const mxArray *matrix = mxGetField(snx, 0, "matrix");
  reserveHostCopy(sizeof(double) * ((matrix ? mxGetNumberOfElements(matrix) : 0) + 18 * m * m));
}

// The whole call but raising its error: false when there is one to raise
// (kept by keepRequestError).  Everything it allocates is released when it
// returns.
bool call(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  GatewayRequest request(kReadsinexCommand);
  mxArray *snx = nullptr;
  std::vector<SinexWarning> warnings;
  // Allocation failures must not leave the gateway as C++ exceptions (see
  // host/mexrequest.h).
  try {
    bool wantMatrix = true;
    if (request.acceptCall(nrhs, nlhs) && takeFileName(request, prhs[0])) {
      std::string key;
      bool isFlag = false;
      double value = 0;
      if (nrhs == 3) {
        if (mxIsChar(prhs[1]) && mxGetM(prhs[1]) == 1) {
          char *text = mxArrayToString(prhs[1]);
          if (text) key = text;
          mxFree(text);
        }
        isFlag = (mxIsLogical(prhs[2]) || mxIsNumeric(prhs[2])) && !mxIsComplex(prhs[2]) &&
                 mxGetNumberOfElements(prhs[2]) == 1;
        if (isFlag) value = mxGetScalar(prhs[2]);
      }
      if (acceptMatrixOption(request, nrhs, key, isFlag, value, wantMatrix))
        readFile(request, wantMatrix, snx, warnings);
    }
  } catch (const std::bad_alloc &) {
    request.failMemory();
  } catch (const std::runtime_error &) {
    request.failMemory();
  }
  if (request.failed()) {
    if (snx) mxDestroyArray(snx);
    keepRequestError(request);
    return false;
  }
  for (const SinexWarning &w : warnings) mexWarnMsgIdAndTxt(w.id, "%s", w.message.c_str());
  plhs[0] = snx;
  return true;
}

}  // namespace

GEOMEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (!call(nlhs, plhs, nrhs, prhs)) raiseKeptRequestError();
}
