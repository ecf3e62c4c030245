// The data lines of the SINEX blocks we read, by their fixed columns.
//
// A line shorter than its layout reads as if padded with blanks; what
// follows the last field is ignored.  Texts are kept trimmed.  Each reader
// fills `out` and returns true, or names the failing field in `fault`
// (core/records.h) and returns false.
#ifndef SINEX_SINEX_RECORDS_H
#define SINEX_SINEX_RECORDS_H

#include <cstdint>
#include <string>

#include "core/lines.h"
#include "core/records.h"
#include "sinex/sinex.h"

namespace geomex {

// The text of columns first..last (1-based, inclusive), blanks trimmed.
std::string sinexText(const Line &line, int first, int last);

// YY:DDD:SSSSS in columns first..first+11: [year doy sec] with the year
// in four digits (YY <= 50 is 20YY, else 19YY), 00:000:00000 as [0 0 0];
// a blank field is NaN.
bool readSinexTime(const Line &line, int first, const char *field, SinexTime &out,
                   FieldFault &fault);

// %=SNX header line.  Tolerates blank agencies, an estimate count that is
// not padded to its five columns and times that are not times (NaN).
bool readSinexHeader(const Line &line, SinexHeader &out, FieldFault &fault);

bool readSinexEstimate(const Line &line, SinexEstimate &out, FieldFault &fault);

// SITE/ID: site code, point code, DOMES number, description.
struct SinexSiteId {
  std::string site, point, domes, description;
};
bool readSinexSiteId(const Line &line, SinexSiteId &out, FieldFault &fault);

// SOLUTION/EPOCHS: site, point, soln and the validity window.
struct SinexEpochs {
  std::string site, point, soln;
  SinexTime from, to;
};
bool readSinexEpochs(const Line &line, SinexEpochs &out, FieldFault &fault);

// SOLUTION/STATISTICS: true with isVarianceFactor set for the VARIANCE
// FACTOR line (its value in `value`); other lines are not looked into.
bool readSinexStatistic(const Line &line, bool &isVarianceFactor, double &value,
                        FieldFault &fault);

// A SOLUTION/MATRIX_ESTIMATE line, 1X,I5,1X,I5,3(1X,E21.14): the row and
// the first column, and the values up to the last non-blank field (a blank
// field before it is 0).  `text` need not be NUL-terminated.
struct SinexMatrixLine {
  int32_t row, column;
  int count;  // 0 to 3 values
  double value[3];
};
bool readSinexMatrixLine(const char *text, std::size_t length, SinexMatrixLine &out,
                         FieldFault &fault) noexcept;

// The key that SITE/ID, SOLUTION/EPOCHS and the rows share.
inline std::string sinexSiteKey(const std::string &site, const std::string &point) {
  return site + '\n' + point;
}

}  // namespace geomex

#endif  // SINEX_SINEX_RECORDS_H
