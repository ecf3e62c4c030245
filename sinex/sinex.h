// A SINEX solution read whole: the header line, SITE/ID, SOLUTION/EPOCHS,
// SOLUTION/ESTIMATE, SOLUTION/MATRIX_ESTIMATE and SOLUTION/STATISTICS;
// every other block is skipped.  Nothing host-specific: the caller gives
// the bytes (plain or decompressed, see sinex/sinex_source.h) and, when
// the matrix block begins, the P x P area the matrix is written into.
//
// Reentrant: all state lives in the reader object and the caller's areas.
// The matrix block, nearly all of a large file, is converted by several
// threads when its lines come in the order programs write them (row by
// row, columns rising); the result is the same bits for any number of
// threads.
#ifndef SINEX_SINEX_H
#define SINEX_SINEX_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/bytesource.h"

namespace geomex {

class LineStream;
struct Line;

// [year doy sec] of a YY:DDD:SSSSS time; NaN in all three where there is none.
struct SinexTime {
  double year, doy, sec;
};

// Identifiers of errors and warnings (the host's "component:mnemonic").
namespace sinex_id {
constexpr const char *kOpen = "readsinex:open";
constexpr const char *kFormat = "readsinex:format";
constexpr const char *kIndex = "readsinex:index";
constexpr const char *kMatrix = "readsinex:matrix";
constexpr const char *kRead = "readsinex:read";
constexpr const char *kMemory = "readsinex:memory";
constexpr const char *kName = "readsinex:name";
constexpr const char *kUsage = "readsinex:usage";
constexpr const char *kCount = "readsinex:count";
constexpr const char *kNoMatrix = "readsinex:nomatrix";
}  // namespace sinex_id

struct SinexHeader {
  std::string version, agency, dataagency, technique, contents;
  SinexTime created, start, end;
  long count = -1;  // the estimate count the header declares
};

// One line of SOLUTION/ESTIMATE; texts as written, trimmed.
struct SinexEstimate {
  int32_t index;
  std::string type, site, point, soln, unit;
  SinexTime epoch;
  double constraint;  // NaN where blank
  double value, sigma;
};

// One site-solution: a distinct (site, point, soln) with a STA? or VEL?
// estimate, in the order of its first one.
struct SinexSiteRow {
  std::string station, point, soln, domes, description;
  SinexTime epoch;            // of its position estimates
  SinexTime validFrom, validTo;
  double xyz[3], sxyz[3], llh[3], vel[3], sigma[3];
  int32_t position[3], velocity[3];  // estimate index of each component, 0 if none
};

enum class SinexMatrixType { kNone, kCova, kCorr, kInfo };

struct SinexContents {
  SinexHeader header;
  double varfactor;  // NaN where SOLUTION/STATISTICS does not state it
  std::vector<SinexEstimate> estimates;  // file order
  std::vector<SinexSiteRow> rows;
  SinexMatrixType matrixType = SinexMatrixType::kNone;
  std::string matrixTypeText;  // COVA, CORR, INFO as written, or empty
};

struct SinexWarning {
  const char *id;
  std::string message;
};

// Gives the P x P area (column-major) for the matrix when its block
// begins; its contents on entry do not matter, every element is written.
// May throw std::bad_alloc, which leaves the reader through read().
using SinexMatrixArea = std::function<double *(std::size_t P)>;

class SinexReader {
 public:
  // `name` is used in messages only.
  SinexReader(ByteSource &source, std::string name);
  ~SinexReader();
  SinexReader(const SinexReader &) = delete;
  SinexReader &operator=(const SinexReader &) = delete;

  // Reads the whole file with up to `threads` threads.  Without `area`
  // the reader keeps the matrix in memory of its own (for the site
  // covariances only).  False on failure (errorId, errorMessage).
  bool read(const SinexMatrixArea &area, unsigned threads);

  const SinexContents &contents() const { return contents_; }
  // The matrix read, or null when the file has none.
  const double *matrix() const { return matrix_; }

  // The 3m x 3m covariance of the rows' velocities (or positions): rows and
  // columns 3i-2..3i are the X, Y, Z components of row i, NaN where a
  // component has no estimate; without a matrix the squared sigmas on the
  // diagonal and 0 elsewhere.
  void siteCovariance(bool velocities, double *out) const;

  const char *errorId() const { return errorId_; }
  const std::string &errorMessage() const { return error_; }
  const std::vector<SinexWarning> &warnings() const { return warnings_; }

 private:
  bool fail(const char *id, long line, const std::string &what);
  bool failRead();
  bool readHeaderLine(const Line &line);
  bool readBlock(const Line &opening, const SinexMatrixArea &area, unsigned threads);
  bool readMatrixBlock(const Line &opening, const SinexMatrixArea &area, unsigned threads);
  bool checkEstimateIndices();
  void assembleRows();

  ByteSource &source_;
  std::string name_;
  std::unique_ptr<LineStream> lines_;
  SinexContents contents_;
  std::vector<long> estimateLines_;  // the line of each estimate, for messages
  std::vector<std::string> siteIdKeys_, siteIdDomes_, siteIdDescriptions_;
  std::vector<std::string> epochKeys_;
  std::vector<SinexTime> epochFrom_, epochTo_;
  std::unique_ptr<double[]> ownMatrix_;
  double *matrix_ = nullptr;
  bool sawMatrix_ = false;
  const char *errorId_ = "";
  std::string error_;
  std::vector<SinexWarning> warnings_;
};

// Whole-file convenience for tests and fuzzing: the matrix is sized and
// owned by the result (empty without a matrix block).
struct SinexSolution {
  SinexContents contents;
  std::vector<double> matrix, cov, poscov;
};
bool readSinex(ByteSource &source, const std::string &name, unsigned threads, SinexSolution &out,
               std::string *errorId = nullptr, std::string *error = nullptr,
               std::vector<SinexWarning> *warnings = nullptr);

}  // namespace geomex

#endif  // SINEX_SINEX_H
