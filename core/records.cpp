// Fixed-column record layouts and their conversion.
#include "records.h"

#include <cstring>
#include <initializer_list>

#include "canonical.h"
#include "fields.h"
#include "swar.h"

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

// (X,I4,A8,X,A3)
constexpr Column kHeaderN{"parameter count", 2, 4};
constexpr Column kHeaderRefsta{"reference station", 6, 8};
constexpr Column kHeaderCrdsys{"coordinate system", 15, 3};

// (A8,3(F19.7))
constexpr Column kStationName{"station name", 1, 8};
constexpr Column kStationXyz[3] = {{"X", 9, 19}, {"Y", 28, 19}, {"Z", 47, 19}};
constexpr int kStationDecimals = 7;

// (X,I4,10X,A8,2X,E22.15,6X,E21.15)
constexpr Column kParamIndex{"parameter index", 2, 4};
constexpr Column kParamName{"station name", 16, 8};
constexpr Column kParamValue{"velocity", 26, 22};
constexpr Column kParamSigma{"sigma", 54, 21};
constexpr int kParamDecimals = 15;

// (X,I4,2X,I4,2X,E22.15)
constexpr Column kCorrFirst{"first parameter index", 2, 4};
constexpr Column kCorrSecond{"second parameter index", 8, 4};
constexpr Column kCorrValue{"correlation", 14, 22};
constexpr int kCorrDecimals = 15;

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
  for (int skipped : {0, 5, 6, 11, 12})
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
