// The blocks of a SINEX file one after another: the header line, the
// blocks we read, the matrix block through sinex/matrix_block.h, and every
// other block skipped.  Messages start with the file's name and the line,
// and quote what the line holds as readvelsol does (core/sections.h).
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>
#include <utility>

#include "core/largearea.h"
#include "core/linestream.h"
#include "core/sections.h"
#include "sinex/matrix_block.h"
#include "sinex/sinex.h"
#include "sinex/sinex_records.h"

namespace geomex {

namespace {

constexpr const char *kMatrixBlock = "SOLUTION/MATRIX_ESTIMATE";

// What a line holds, quoted: printable ASCII as it stands, anything else
// as \xHH (at most the first 80 bytes).
std::string quoted(const Line &line) {
  const std::size_t n = std::min<std::size_t>(line.length, 80);
  std::string text(4 * n + 1, '\0');
  escapeBytes(line.text, n, &text[0]);
  text.resize(std::strlen(text.c_str()));
  return "\"" + text + "\"";
}

// The first word after the opening '+' or closing '-' of a block line.
std::string blockName(const Line &line) {
  std::size_t b = 1, e;
  while (b < line.length && line.text[b] == ' ') ++b;
  for (e = b; e < line.length && line.text[e] != ' ' && line.text[e] != '\t';) ++e;
  return std::string(line.text + b, e - b);
}

std::vector<std::string> words(const Line &line) {
  std::vector<std::string> out;
  std::size_t p = 1;
  while (p < line.length) {
    while (p < line.length && (line.text[p] == ' ' || line.text[p] == '\t')) ++p;
    const std::size_t b = p;
    while (p < line.length && line.text[p] != ' ' && line.text[p] != '\t') ++p;
    if (p > b) out.emplace_back(line.text + b, p - b);
  }
  return out;
}

}  // namespace

SinexReader::SinexReader(ByteSource &source, std::string name)
    : source_(source), name_(std::move(name)), lines_(new LineStream(source)) {
  contents_.varfactor = std::numeric_limits<double>::quiet_NaN();
}

SinexReader::~SinexReader() = default;

bool SinexReader::fail(const char *id, long line, const std::string &what) {
  errorId_ = id;
  error_ = "file '" + name_ + "'" + (line > 0 ? ", line " + std::to_string(line) : "") + ": " + what;
  return false;
}

bool SinexReader::failRead() {
  errorId_ = sinex_id::kRead;
  error_ = "file '" + name_ + "' could not be read: " + source_.errorText();
  return false;
}

bool SinexReader::readHeaderLine(const Line &line) {
  if (line.length < 5 || std::memcmp(line.text, "%=SNX", 5) != 0)
    return fail(sinex_id::kFormat, line.number,
                "not a SINEX file: the first line does not start with %=SNX: " + quoted(line));
  // Such a file is one long line to the reader, which would find no block.
  if (holdsBareCr(line))
    return fail(sinex_id::kFormat, line.number,
                "the header line holds a carriage return: the file's lines end in CR alone");
  FieldFault field;
  if (readSinexHeader(line, contents_.header, field)) return true;
  RecordFault fault;
  describeBadField(line, "%=SNX header", field, fault);
  errorId_ = sinex_id::kFormat;
  error_ = faultText(fault, name_);
  return false;
}

bool SinexReader::read(const SinexMatrixArea &area, unsigned threads) {
  Line line;
  if (!lines_->next(line)) {
    if (lines_->failed()) return failRead();
    return fail(sinex_id::kFormat, 1, "not a SINEX file: the file is empty");
  }
  if (!readHeaderLine(line)) return false;
  while (lines_->next(line)) {
    if (line.length > 0 && line.text[0] == '+') {
      if (!readBlock(line, area, threads)) return false;
    } else if (line.length >= 7 && std::memcmp(line.text, "%ENDSNX", 7) == 0) {
      break;
    }
    // Comments, blank lines and stray text between blocks carry nothing.
  }
  if (lines_->failed()) return failRead();

  const long P = static_cast<long>(contents_.estimates.size());
  if (contents_.header.count >= 0 && contents_.header.count != P)
    warnings_.push_back({sinex_id::kCount, "file '" + name_ + "': the header declares " +
                                               std::to_string(contents_.header.count) +
                                               " estimates, SOLUTION/ESTIMATE holds " +
                                               std::to_string(P)});
  if (!sawMatrix_)
    warnings_.push_back({sinex_id::kNoMatrix,
                         "file '" + name_ +
                             "' has no SOLUTION/MATRIX_ESTIMATE block: cov and poscov hold "
                             "the squared standard deviations only"});
  assembleRows();
  return true;
}

bool SinexReader::readBlock(const Line &opening, const SinexMatrixArea &area, unsigned threads) {
  const std::string name = blockName(opening);
  if (name == kMatrixBlock) return readMatrixBlock(opening, area, threads);
  const bool used = name == "SITE/ID" || name == "SOLUTION/EPOCHS" ||
                    name == "SOLUTION/ESTIMATE" || name == "SOLUTION/STATISTICS";
  if (name == "SOLUTION/ESTIMATE" && !contents_.estimates.empty())
    return fail(sinex_id::kFormat, opening.number, "a second SOLUTION/ESTIMATE block");
  Line line;
  for (;;) {
    if (!lines_->next(line)) {
      if (lines_->failed()) return failRead();
      if (!used) return true;  // a skipped block left open at the end: nothing of ours lost
      return fail(sinex_id::kFormat, lines_->linesRead() + 1,
                  "the file ends inside block " + name);
    }
    if (line.length == 0 || line.text[0] == '*') continue;
    const char c = line.text[0];
    if (c == '-') {
      if (blockName(line) != name && used)
        return fail(sinex_id::kFormat, line.number,
                    "block " + name + " is closed by another name: " + quoted(line));
      break;
    }
    if (!used) continue;
    if (c != ' ')
      return fail(sinex_id::kFormat, line.number,
                  "block " + name + " is not closed before this line: " + quoted(line));
    FieldFault field;
    bool ok = true;
    if (name == "SOLUTION/ESTIMATE") {
      SinexEstimate e;
      ok = readSinexEstimate(line, e, field);
      if (ok) {
        contents_.estimates.push_back(std::move(e));
        estimateLines_.push_back(line.number);
      }
    } else if (name == "SITE/ID") {
      SinexSiteId s;
      readSinexSiteId(line, s, field);
      siteIdKeys_.push_back(sinexSiteKey(s.site, s.point));
      siteIdDomes_.push_back(std::move(s.domes));
      siteIdDescriptions_.push_back(std::move(s.description));
    } else if (name == "SOLUTION/EPOCHS") {
      SinexEpochs e;
      ok = readSinexEpochs(line, e, field);
      if (ok) {
        epochKeys_.push_back(sinexSiteKey(e.site, e.point) + '\n' + e.soln);
        epochFrom_.push_back(e.from);
        epochTo_.push_back(e.to);
      }
    } else {
      bool isFactor = false;
      double value = 0;
      ok = readSinexStatistic(line, isFactor, value, field);
      if (ok && isFactor) contents_.varfactor = value;
    }
    if (!ok) {
      RecordFault fault;
      describeBadField(line, name.c_str(), field, fault);
      errorId_ = sinex_id::kFormat;
      error_ = faultText(fault, name_);
      return false;
    }
  }
  return name == "SOLUTION/ESTIMATE" ? checkEstimateIndices() : true;
}

bool SinexReader::checkEstimateIndices() {
  const std::size_t P = contents_.estimates.size();
  std::vector<long> lineOf(P, 0);
  for (std::size_t k = 0; k < P; ++k) {
    const int32_t index = contents_.estimates[k].index;
    if (index < 1 || static_cast<std::size_t>(index) > P)
      return fail(sinex_id::kIndex, estimateLines_[k],
                  "estimate index " + std::to_string(index) + " is outside 1 to " +
                      std::to_string(P));
    long &first = lineOf[static_cast<std::size_t>(index - 1)];
    if (first != 0)
      return fail(sinex_id::kIndex, estimateLines_[k],
                  "estimate index " + std::to_string(index) + " is given on line " +
                      std::to_string(first) + " already");
    first = estimateLines_[k];
  }
  return true;
}

bool SinexReader::readMatrixBlock(const Line &opening, const SinexMatrixArea &area,
                                  unsigned threads) {
  const std::vector<std::string> w = words(opening);
  const bool shapeKnown = w.size() >= 3 && (w[1] == "L" || w[1] == "U") &&
                          (w[2] == "COVA" || w[2] == "CORR" || w[2] == "INFO");
  if (!shapeKnown)
    return fail(sinex_id::kFormat, opening.number,
                "the matrix block names no triangle (L or U) and type (COVA, CORR or INFO): " +
                    quoted(opening));
  if (sawMatrix_)
    return fail(sinex_id::kFormat, opening.number, "a second SOLUTION/MATRIX_ESTIMATE block");
  if (estimateLines_.empty() && contents_.estimates.empty())
    return fail(sinex_id::kFormat, opening.number,
                "the matrix block comes before SOLUTION/ESTIMATE, which gives its order");
  const SinexMatrixType type = w[2] == "COVA"   ? SinexMatrixType::kCova
                               : w[2] == "CORR" ? SinexMatrixType::kCorr
                                                : SinexMatrixType::kInfo;
  const MatrixLayout layout{static_cast<int32_t>(contents_.estimates.size()), w[1] == "L"};
  const std::size_t P = static_cast<std::size_t>(layout.P);

  double *m = area ? area(P) : nullptr;
  if (!area) {
    ownMatrix_.reset(new double[P * P]);
    m = ownMatrix_.get();
    adviseLargeArea(m, sizeof(double) * P * P);
  }
  std::unique_ptr<DiagonalMarks[]> diagonal(new DiagonalMarks[P > 0 ? P : 1]());

  const uint64_t offset = lines_->position();
  if (lines_->failed()) return failRead();
  const long before = lines_->linesRead();
  uint64_t end = 0;
  long count = 0;
  Line closing;
  if (readMatrixInParallel(source_, offset, layout, m, diagonal.get(), threads, end, count)) {
    lines_->seek(end, before + count);
    if (!lines_->next(closing)) {
      if (lines_->failed()) return failRead();
      return fail(sinex_id::kFormat, lines_->linesRead() + 1,
                  std::string("the file ends inside block ") + kMatrixBlock);
    }
  } else {
    lines_->seek(offset, before);
    const char *id = nullptr;
    std::string message;
    switch (readMatrixInOrder(*lines_, layout, m, diagonal.get(), name_, closing, id, message)) {
      case MatrixRead::kClosed:
        break;
      case MatrixRead::kEnded:
        if (lines_->failed()) return failRead();
        return fail(sinex_id::kFormat, lines_->linesRead() + 1,
                    std::string("the file ends inside block ") + kMatrixBlock);
      case MatrixRead::kFault:
        errorId_ = id;
        error_ = message;
        return false;
    }
  }
  if (closing.text[0] != '-' || blockName(closing) != kMatrixBlock)
    return fail(sinex_id::kFormat, closing.number,
                std::string("block ") + kMatrixBlock + " is not closed before this line: " +
                    quoted(closing));
  std::string problem;
  if (!finishMatrix(m, layout, type, diagonal.get(), threads, problem))
    return fail(sinex_id::kMatrix, 0, problem);
  matrix_ = m;
  sawMatrix_ = true;
  contents_.matrixType = type;
  contents_.matrixTypeText = w[2];
  return true;
}

}  // namespace geomex
