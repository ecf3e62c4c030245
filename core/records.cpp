// Fixed-column record layouts and their conversion.
#include "core/records.h"

#include <cstring>
#include <initializer_list>

#include "core/canonical.h"
#include "core/fields.h"
#include "core/swar.h"

namespace geomex {

namespace {

struct Column {
  const char *name;
  int first;  // 1-based
  int width;
};

// The characters of one field.  Points into the line when the field lies
// inside it; otherwise copies what there is into `pad` and fills with blanks.
const char *fieldText(const Line &line, const Column &c, char (&pad)[kMaxRecordWidth]) {
  const std::size_t begin = c.first - 1;
  if (begin + c.width <= line.length) return line.text + begin;
  std::memset(pad, ' ', c.width);
  if (begin < line.length) std::memcpy(pad, line.text + begin, line.length - begin);
  return pad;
}

void readName(const Line &line, const Column &c, char *out) {
  char pad[kMaxRecordWidth];
  std::memcpy(out, fieldText(line, c, pad), c.width);
}

bool readInt(const Line &line, const Column &c, int32_t &out, FieldFault &fault) {
  char pad[kMaxRecordWidth];
  if (parseInteger(fieldText(line, c, pad), c.width, out)) return true;
  fault = FieldFault{c.name, c.first, c.first + c.width - 1};
  return false;
}

bool readReal(const Line &line, const Column &c, int implied, double &out, FieldFault &fault) {
  char pad[kMaxRecordWidth];
  if (parseReal(fieldText(line, c, pad), c.width, implied, out)) return true;
  fault = FieldFault{c.name, c.first, c.first + c.width - 1};
  return false;
}

// Field widths of the formats' edit descriptors (A8 is kNameLength).
constexpr int kI4 = 4, kA3 = 3, kF19 = 19, kE22 = 22, kE21 = 21;

// The tables below follow their formats left to right: each field starts
// after the one before it and the columns the format skips (its nX).
constexpr Column kLineStart{"", 1, 0};
constexpr int after(const Column &c, int skipped) { return c.first + c.width + skipped; }
constexpr int lastColumn(const Column &c) { return c.first + c.width - 1; }

// (X,I4,A8,X,A3)
constexpr Column kHeaderN{"parameter count", after(kLineStart, 1), kI4};
constexpr Column kHeaderRefsta{"reference station", after(kHeaderN, 0), kNameLength};
constexpr Column kHeaderCrdsys{"coordinate system", after(kHeaderRefsta, 1), kA3};

// (A8,3(F19.7))
constexpr Column kStationName{"station name", after(kLineStart, 0), kNameLength};
constexpr Column kStationX{"X", after(kStationName, 0), kF19};
constexpr Column kStationY{"Y", after(kStationX, 0), kF19};
constexpr Column kStationZ{"Z", after(kStationY, 0), kF19};
constexpr Column kStationXyz[3] = {kStationX, kStationY, kStationZ};
constexpr int kStationDecimals = 7;

// (X,I4,10X,A8,2X,E22.15,6X,E21.15)
constexpr Column kParamIndex{"parameter index", after(kLineStart, 1), kI4};
constexpr Column kParamName{"station name", after(kParamIndex, 10), kNameLength};
constexpr Column kParamValue{"velocity", after(kParamName, 2), kE22};
constexpr Column kParamSigma{"sigma", after(kParamValue, 6), kE21};
constexpr int kParamDecimals = 15;

// (X,I4,2X,I4,2X,E22.15)
constexpr Column kCorrFirst{"first parameter index", after(kLineStart, 1), kI4};
constexpr Column kCorrSecond{"second parameter index", after(kCorrFirst, 2), kI4};
constexpr Column kCorrValue{"correlation", after(kCorrSecond, 2), kE22};
constexpr int kCorrDecimals = 15;

// The columns that docs/file-format.md and the error messages give.
static_assert(kHeaderRefsta.first == 6 && kHeaderCrdsys.first == 15, "header columns");
static_assert(kStationY.first == 28 && lastColumn(kStationZ) == 65, "station columns");
static_assert(kParamName.first == 16 && kParamValue.first == 26 && kParamSigma.first == 54,
              "parameter columns");
static_assert(kCorrSecond.first == 8 && kCorrValue.first == 14, "correlation columns");
static_assert(lastColumn(kParamSigma) == kMaxRecordWidth, "the parameter record is the widest");
static_assert(lastColumn(kCorrValue) == static_cast<int>(kCorrelationWidth),
              "the canonical correlation record ends with its value");

// The skipped columns of the correlation record (X, 2X, 2X), as offsets
// into the line (column - 1).
constexpr int kCorrSkipped[] = {kCorrFirst.first - 2,                                // X
                                lastColumn(kCorrFirst), lastColumn(kCorrFirst) + 1,    // 2X
                                lastColumn(kCorrSecond), lastColumn(kCorrSecond) + 1};  // 2X

}  // namespace

bool readHeader(const Line &line, Header &out, FieldFault &fault) noexcept {
  readName(line, kHeaderRefsta, out.refsta);
  readName(line, kHeaderCrdsys, out.crdsys);
  return readInt(line, kHeaderN, out.n, fault);
}

bool readStation(const Line &line, StationRecord &out, FieldFault &fault) noexcept {
  readName(line, kStationName, out.stanam);
  for (int i = 0; i < 3; ++i)
    if (!readReal(line, kStationXyz[i], kStationDecimals, out.xyz[i], fault)) return false;
  return true;
}

bool readParameter(const Line &line, ParameterRecord &out, FieldFault &fault) noexcept {
  readName(line, kParamName, out.stanam);
  return readInt(line, kParamIndex, out.k, fault) &&
         readReal(line, kParamValue, kParamDecimals, out.value, fault) &&
         readReal(line, kParamSigma, kParamDecimals, out.sigma, fault);
}

bool readCorrelation(const Line &line, CorrelationRecord &out, FieldFault &fault) noexcept {
  return readInt(line, kCorrFirst, out.iread, fault) &&
         readInt(line, kCorrSecond, out.jread, fault) &&
         readReal(line, kCorrValue, kCorrDecimals, out.rho, fault);
}

bool readCanonicalCorrelation(const char *text, CorrelationRecord &out) noexcept {
  // The skipped columns must not hide a line end.
  for (int skipped : kCorrSkipped)
    if (text[skipped] == '\n') return false;
  return blanksThenDigits4(load4(text + kCorrFirst.first - 1), out.iread) &&
         blanksThenDigits4(load4(text + kCorrSecond.first - 1), out.jread) &&
         parseCanonicalE15(text + kCorrValue.first - 1, kCorrValue.width, out.rho);
}

SectionCounts sectionCounts(int32_t n) noexcept {
  SectionCounts c{};
  c.nvec = n / 3;  // C++ division truncates toward zero, as the format wants
  if (c.nvec < 0) return SectionCounts{c.nvec, 0, 0, 0};
  c.stations = c.nvec + 1;
  c.parameters = 3 * c.nvec;
  const int64_t big = c.parameters;
  c.correlations = big * (big - 1) / 2;
  return c;
}

}  // namespace geomex
