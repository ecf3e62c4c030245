// Fixed-column reading of the SINEX lines we use.
#include "sinex/sinex_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/canonical.h"
#include "core/fields.h"

namespace geomex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Matrix lines: 1X,I5,1X,I5,3(1X,E21.14).
constexpr int kMatrixRow = 2, kMatrixColumn = 8, kMatrixValue = 14;
constexpr int kIndexWidth = 5, kValueWidth = 21, kValueStride = kValueWidth + 1;
constexpr int kMatrixFraction = 14;
// SOLUTION/ESTIMATE: value E21.15 in 48-68, sigma E11.6 in 70-80.
constexpr int kEstimateFraction = 15;
constexpr int kTimeWidth = 12;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The characters of columns first..first+width-1, padded with blanks past
// the line's end into `pad` (at least width bytes).
const char *columns(const char *text, std::size_t length, int first, int width, char *pad) {
  const std::size_t begin = static_cast<std::size_t>(first - 1);
  if (begin + static_cast<std::size_t>(width) <= length) return text + begin;
  std::memset(pad, ' ', static_cast<std::size_t>(width));
  if (begin < length) std::memcpy(pad, text + begin, length - begin);
  return pad;
}

// A fault quotes at most kMaxRecordWidth characters (core/sections.h keeps
// that many): a word that runs on is named by its first ones.
FieldFault faultAt(const char *field, int first, int last) {
  return FieldFault{field, first, std::min(last, first + kMaxRecordWidth - 1)};
}

bool readInt(const Line &line, int first, int width, const char *name, int32_t &out,
             FieldFault &fault) {
  char pad[kMaxRealFieldWidth];
  if (parseInteger(columns(line.text, line.length, first, width, pad), width, out)) return true;
  fault = faultAt(name, first, first + width - 1);
  return false;
}

// A real in columns first..last; `fraction` digits is the layout programs
// write, tried first.
template <int kFraction>
bool readReal(const Line &line, int first, int last, const char *name, double &out,
              FieldFault &fault) {
  const int width = last - first + 1;
  char pad[kMaxRealFieldWidth];
  if (width <= kMaxRealFieldWidth) {
    const char *field = columns(line.text, line.length, first, width, pad);
    if (parseCanonicalE<kFraction>(field, width, out) || parseReal(field, width, 0, out))
      return true;
  }
  fault = faultAt(name, first, last);
  return false;
}

// The last column of a field that nominally ends at `last` but that real
// files write wider: it goes on to the end of its word.
int wordEnd(const Line &line, int last) {
  std::size_t end = static_cast<std::size_t>(last);
  while (end < line.length && !isBlank(line.text[end])) ++end;
  return static_cast<int>(end);
}

}  // namespace

std::string sinexText(const Line &line, int first, int last) {
  std::size_t b = static_cast<std::size_t>(first - 1);
  std::size_t e = std::min(line.length, static_cast<std::size_t>(last));
  while (b < e && isBlank(line.text[b])) ++b;
  while (e > b && isBlank(line.text[e - 1])) --e;
  return b < e ? std::string(line.text + b, e - b) : std::string();
}

bool readSinexTime(const Line &line, int first, const char *field, SinexTime &out,
                   FieldFault &fault) {
  char pad[kTimeWidth];
  const char *t = columns(line.text, line.length, first, kTimeWidth, pad);
  fault = faultAt(field, first, first + kTimeWidth - 1);
  if (std::all_of(t, t + kTimeWidth, isBlank)) {
    out = SinexTime{kNaN, kNaN, kNaN};
    return true;
  }
  int32_t yy, doy, sec;
  if (t[2] != ':' || t[6] != ':' || !parseInteger(t, 2, yy) || !parseInteger(t + 3, 3, doy) ||
      !parseInteger(t + 7, 5, sec) || yy < 0 || doy < 0 || sec < 0)
    return false;
  const bool unset = yy == 0 && doy == 0 && sec == 0;  // "the file's start/end"
  out = SinexTime{unset ? 0.0 : (yy <= 50 ? 2000.0 : 1900.0) + yy, static_cast<double>(doy),
                  static_cast<double>(sec)};
  return true;
}

bool readSinexHeader(const Line &line, SinexHeader &out, FieldFault &fault) {
  out.version = sinexText(line, 7, 10);
  out.agency = sinexText(line, 12, 14);
  out.dataagency = sinexText(line, 29, 31);
  // Times that are not times ("???" is seen in real headers) are unknown.
  const struct {
    int first;
    SinexTime *time;
  } times[] = {{16, &out.created}, {33, &out.start}, {46, &out.end}};
  for (const auto &t : times) {
    FieldFault ignored;
    if (!readSinexTime(line, t.first, "time", *t.time, ignored))
      *t.time = SinexTime{kNaN, kNaN, kNaN};
  }
  out.technique = sinexText(line, 59, 59);
  // From column 60 on, words: the count (I5, but also written unpadded and
  // shifting what follows), the constraint code, then the contents.
  std::size_t p = std::min<std::size_t>(line.length, 59);
  auto skipBlanks = [&] {
    while (p < line.length && isBlank(line.text[p])) ++p;
  };
  auto word = [&] {
    skipBlanks();
    const std::size_t b = p;
    while (p < line.length && !isBlank(line.text[p])) ++p;
    return b;
  };
  out.count = -1;
  const std::size_t countBegin = word();
  if (p > countBegin) {
    int32_t count;
    const int width = static_cast<int>(p - countBegin);
    if (width > 9 || !parseInteger(line.text + countBegin, width, count) || count < 0) {
      fault = faultAt("estimate count", static_cast<int>(countBegin) + 1, static_cast<int>(p));
      return false;
    }
    out.count = count;
  }
  word();  // the constraint code
  skipBlanks();
  out.contents = sinexText(line, static_cast<int>(p) + 1, static_cast<int>(line.length));
  return true;
}

bool readSinexEstimate(const Line &line, SinexEstimate &out, FieldFault &fault) {
  out.type = sinexText(line, 8, 13);
  out.site = sinexText(line, 15, 18);
  out.point = sinexText(line, 20, 21);
  out.soln = sinexText(line, 23, 26);
  out.unit = sinexText(line, 41, 44);
  out.constraint = kNaN;
  if (!readInt(line, 2, kIndexWidth, "index", out.index, fault) ||
      !readSinexTime(line, 28, "epoch", out.epoch, fault))
    return false;
  if (!sinexText(line, 46, 46).empty()) {
    int32_t code;
    if (!readInt(line, 46, 1, "constraint code", code, fault)) return false;
    out.constraint = code;
  }
  return readReal<kEstimateFraction>(line, 48, 68, "value", out.value, fault) &&
         readReal<kEstimateFraction>(line, 70, wordEnd(line, 80), "standard deviation",
                                     out.sigma, fault);
}

bool readSinexSiteId(const Line &line, SinexSiteId &out, FieldFault &) {
  out.site = sinexText(line, 2, 5);
  out.point = sinexText(line, 7, 8);
  out.domes = sinexText(line, 10, 18);
  out.description = sinexText(line, 22, 43);
  return true;
}

bool readSinexEpochs(const Line &line, SinexEpochs &out, FieldFault &fault) {
  out.site = sinexText(line, 2, 5);
  out.point = sinexText(line, 7, 8);
  out.soln = sinexText(line, 10, 13);
  return readSinexTime(line, 17, "start", out.from, fault) &&
         readSinexTime(line, 30, "end", out.to, fault);
}

bool readSinexStatistic(const Line &line, bool &isVarianceFactor, double &value,
                        FieldFault &fault) {
  isVarianceFactor = sinexText(line, 2, 31) == "VARIANCE FACTOR";
  if (!isVarianceFactor) return true;
  return readReal<kEstimateFraction>(line, 33, wordEnd(line, 54), "value", value, fault);
}

bool readSinexMatrixLine(const char *text, std::size_t length, SinexMatrixLine &out,
                         FieldFault &fault) noexcept {
  char pad[kMaxRealFieldWidth];
  if (!parseInteger(columns(text, length, kMatrixRow, kIndexWidth, pad), kIndexWidth, out.row)) {
    fault = faultAt("row index", kMatrixRow, kMatrixRow + kIndexWidth - 1);
    return false;
  }
  if (!parseInteger(columns(text, length, kMatrixColumn, kIndexWidth, pad), kIndexWidth,
                    out.column)) {
    fault = faultAt("column index", kMatrixColumn, kMatrixColumn + kIndexWidth - 1);
    return false;
  }
  // The values up to the last field holding anything but blanks.
  std::size_t end = length;
  while (end > 0 && isBlank(text[end - 1])) --end;
  out.count = 0;
  for (int k = 0; k < 3; ++k) {
    const int first = kMatrixValue + k * kValueStride;
    if (end < static_cast<std::size_t>(first)) break;
    const char *field = columns(text, length, first, kValueWidth, pad);
    if (!parseCanonicalE<kMatrixFraction>(field, kValueWidth, out.value[k]) &&
        !parseReal(field, kValueWidth, 0, out.value[k])) {
      static const char *const kNames[] = {"first value", "second value", "third value"};
      fault = faultAt(kNames[k], first, first + kValueWidth - 1);
      return false;
    }
    out.count = k + 1;
  }
  return true;
}

}  // namespace geomex
