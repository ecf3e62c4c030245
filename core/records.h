// The four record kinds of a velocity solution file, read by fixed columns.
//
// Every record is one line.  A line shorter than its format reads as if it
// were padded with blanks; characters after the last field are ignored.
// Names are kept as exactly 8 (or 3) characters, blanks and case included.
#ifndef CORE_RECORDS_H
#define CORE_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/lines.h"

namespace geomex {

constexpr int kNameLength = 8;

// Whether two names of kNameLength characters are the same, blanks and case
// included (the legacy command compares them so).
inline bool sameName(const char *a, const char *b) noexcept {
  return std::memcmp(a, b, kNameLength) == 0;
}

// The widest record format (the parameter record) ends at column 74.
constexpr int kMaxRecordWidth = 74;

// (X,I4,A8,X,A3)
struct Header {
  int32_t n;                 // number of parameters
  char refsta[kNameLength];  // reference station
  char crdsys[3];            // coordinate-system code, not used
};

// (A8,3(F19.7))
struct StationRecord {
  char stanam[kNameLength];
  double xyz[3];  // Cartesian X, Y, Z, metres
};

// (X,I4,10X,A8,2X,E22.15,6X,E21.15)
struct ParameterRecord {
  int32_t k;  // parameter index, 1-based
  char stanam[kNameLength];
  double value;  // velocity component
  double sigma;  // its standard deviation
};

// (X,I4,2X,I4,2X,E22.15)
struct CorrelationRecord {
  int32_t iread;  // first parameter index, 1-based
  int32_t jread;  // second parameter index
  double rho;     // correlation coefficient
};

// Where a record failed: the field whose characters do not convert.
struct FieldFault {
  const char *field;  // the field's name, e.g. "sigma"
  int firstColumn;    // 1-based, inclusive
  int lastColumn;
};

// Each reader fills `out` and returns true, or describes the failing field
// in `fault` and returns false (out is then partly filled).
bool readHeader(const Line &line, Header &out, FieldFault &fault) noexcept;
bool readStation(const Line &line, StationRecord &out, FieldFault &fault) noexcept;
bool readParameter(const Line &line, ParameterRecord &out, FieldFault &fault) noexcept;
bool readCorrelation(const Line &line, CorrelationRecord &out, FieldFault &fault) noexcept;

// A correlation record as programs write it, " %4d  %4d  %22.15E": exactly
// kCorrelationWidth characters, indices of blanks and digits, the value in
// the usual E22.15 layout.  Reads `text` (that many characters) and returns
// true only for that layout, with the values readCorrelation would give;
// false sends the record to readCorrelation.
constexpr std::size_t kCorrelationWidth = 35;
bool readCanonicalCorrelation(const char *text, CorrelationRecord &out) noexcept;

// How many records each section holds, all derived from the header's n.
struct SectionCounts {
  int32_t nvec;        // stations of the parameter section: n / 3, truncated
  int32_t stations;    // station records: nvec + 1 (0 when nvec < 0)
  int32_t parameters;  // 3 * nvec
  int64_t correlations;  // N (N - 1) / 2 with N = 3 nvec
};
SectionCounts sectionCounts(int32_t n) noexcept;

}  // namespace geomex

#endif  // CORE_RECORDS_H
