// Reading the records of a solution's sections in order, and wording what
// went wrong when a record is missing or does not convert.
//
// Every composed message starts with the file's name and the line; the
// templates are (NAME, L, ... stand for the values):
//
//   file 'NAME', line L: the file ends before SECTION record I of COUNT
//   file 'NAME', line L: SECTION record: FIELD (columns A-B) is not a number: "TEXT"
//   file 'NAME', line L: parameter index K is outside 1 to N
//   file 'NAME', line L: first parameter index K is outside 1 to N
//   file 'NAME', line L: second parameter index K is outside 1 to N
//
// SECTION is header, station, parameter or correlation; FIELD is a field
// name of records.cpp (parameter count, X, velocity, sigma, ...).  TEXT is
// every byte of the field's columns that the line holds, printable ASCII as
// it stands and anything else as \xHH (a backslash as \\), so the message is
// always valid text and shows what is really there.  When the failing line
// (for a missing record, the last line read) holds a carriage return that
// does not end it, the file's lines end in CR alone, and the message says so
// at its end:
//
//   ... is not a number: "TEXT" (the file's lines end in CR alone)
//   ... the file ends before SECTION record I of COUNT (the file's lines end in CR alone)
//
// Such a file is one long line to the reader, so it usually fails as a
// missing second record.
#ifndef CORE_SECTIONS_H
#define CORE_SECTIONS_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/lines.h"
#include "core/records.h"

namespace geomex {

// What went wrong with a record, as data; formatFault words it.
struct RecordFault {
  enum class Kind { kNone, kMissing, kNotANumber, kIndex };
  Kind kind = Kind::kNone;
  long line = 0;
  const char *section = "";  // kMissing, kNotANumber
  long index = 0, count = 0; // kMissing: record `index` of `count`
  FieldFault field{};        // kNotANumber
  char text[4 * kMaxRecordWidth + 1] = {};  // kNotANumber: the escaped field
  bool crOnly = false;       // kMissing, kNotANumber: the line holds a bare CR
  const char *what = "";     // kIndex: "parameter index", ...
  int32_t value = 0, limit = 0;  // kIndex
};

// Writes the message for `fault` in file `name` into out (always
// NUL-terminated, cut to `size`); returns the length it would have had.
std::size_t formatFault(const RecordFault &fault, const char *name, char *out,
                        std::size_t size) noexcept;

// formatFault's text as a string, however long the file name makes it.
std::string faultText(const RecordFault &fault, const std::string &name);

// Writes `length` bytes of `text` into out (room for 4 length + 1), quoted
// byte by byte as the header comment describes; NUL-terminated.
void escapeBytes(const char *text, std::size_t length, char *out) noexcept;

// Whether `line` holds a carriage return (one before its '\n' is not part
// of it).
bool holdsBareCr(const Line &line) noexcept;

// Fills fault as kNotANumber for `field` of `line`.
void describeBadField(const Line &line, const char *section, const FieldFault &field,
                      RecordFault &fault) noexcept;

// Reads the records of one section after another from a line source with
// the interface of LineCursor (next, peekExact, takeExact, linesRead),
// recording the first failure.
template <typename Lines>
class SectionReader {
 public:
  explicit SectionReader(Lines &lines) : lines_(lines) {}

  // Takes the next record of `section` (e.g. "station"), number `index` of
  // `count`, with the record reader `read`.
  template <typename Record>
  bool take(const char *section, long index, long count,
            bool (*read)(const Line &, Record &, FieldFault &) noexcept, Record &out) {
    if (!lines_.next(line_)) {
      fault_.kind = RecordFault::Kind::kMissing;
      fault_.line = lines_.linesRead() + 1;
      fault_.section = section;
      fault_.index = index;
      fault_.count = count;
      fault_.crOnly = lastHeldBareCr_;  // the last line read, if any
      return false;
    }
    lastHeldBareCr_ = holdsBareCr(line_);
    FieldFault field;
    if (read(line_, out, field)) return true;
    describeBadField(line_, section, field, fault_);
    return false;
  }

  // Takes correlation record `index` of `count`; the usual layout is read
  // straight from the buffer, anything else by its columns.
  bool takeCorrelation(long index, long count, CorrelationRecord &out) {
    if (const char *text = lines_.peekExact(kCorrelationWidth)) {
      if (readCanonicalCorrelation(text, out)) {
        lines_.takeExact(kCorrelationWidth, line_);
        lastHeldBareCr_ = false;  // the layout checks leave no room for a CR
        return true;
      }
    }
    return take("correlation", index, count, readCorrelation, out);
  }

  // Fails the current record for an index outside 1 .. limit.
  bool indexInRange(const char *what, int32_t index, int32_t limit) {
    if (index >= 1 && index <= limit) return true;
    fault_.kind = RecordFault::Kind::kIndex;
    fault_.line = line_.number;
    fault_.what = what;
    fault_.value = index;
    fault_.limit = limit;
    return false;
  }

  const RecordFault &fault() const { return fault_; }
  const Line &line() const { return line_; }

 private:
  Lines &lines_;
  Line line_{};
  bool lastHeldBareCr_ = false;  // noted when a line is taken: a stream reuses its buffer
  RecordFault fault_{};
};

// Reads `count` correlation records in file order with `in` and applies
// each to the covariance through `at(i, j)` (a reference to the element of
// 1-based parameters i, j, both up to `parameters`): both elements of the
// pair become the coefficient scaled by the two variances as they stand at
// that record, so a later record for the same pair wins and a diagonal
// record changes the scale of the records after it.  Every reader of the
// section shares this order.  False at the first faulty record (in.fault()
// tells which).
template <typename Lines, typename At>
bool applyCorrelations(SectionReader<Lines> &in, int64_t count, int32_t parameters, At at) {
  for (int64_t c = 1; c <= count; ++c) {
    CorrelationRecord rec;
    if (!in.takeCorrelation(c, count, rec) ||
        !in.indexInRange("first parameter index", rec.iread, parameters) ||
        !in.indexInRange("second parameter index", rec.jread, parameters))
      return false;
    const double v = rec.rho * std::sqrt(at(rec.iread, rec.iread) * at(rec.jread, rec.jread));
    at(rec.iread, rec.jread) = v;
    at(rec.jread, rec.iread) = v;
  }
  return true;
}

}  // namespace geomex

#endif  // CORE_SECTIONS_H
