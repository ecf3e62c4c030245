#include "core/sections.h"

#include <algorithm>
#include <cstdio>

namespace geomex {

void escapeBytes(const char *text, std::size_t length, char *out) noexcept {
  static const char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      *out++ = '\\';
      *out++ = '\\';
    } else if (c >= 0x20 && c < 0x7F) {
      *out++ = static_cast<char>(c);
    } else {
      *out++ = '\\';
      *out++ = 'x';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 0xF];
    }
  }
  *out = '\0';
}

bool holdsBareCr(const Line &line) noexcept {
  return line.length > 0 && std::memchr(line.text, '\r', line.length) != nullptr;
}

void describeBadField(const Line &line, const char *section, const FieldFault &field,
                      RecordFault &fault) noexcept {
  fault.kind = RecordFault::Kind::kNotANumber;
  fault.line = line.number;
  fault.section = section;
  fault.field = field;
  // What the line holds in the field's columns (a field past the line's end
  // reads as blanks, which are not quoted).
  const long start = field.firstColumn - 1;
  const long width = field.lastColumn - start;
  const long shown = std::max(0L, std::min(width, static_cast<long>(line.length) - start));
  escapeBytes(shown > 0 ? line.text + start : "", static_cast<std::size_t>(shown), fault.text);
  fault.crOnly = holdsBareCr(line);
}

namespace {

const char *crOnlyNote(const RecordFault &f) {
  return f.crOnly ? " (the file's lines end in CR alone)" : "";
}

}  // namespace

std::size_t formatFault(const RecordFault &f, const char *name, char *out,
                        std::size_t size) noexcept {
  int n = 0;
  switch (f.kind) {
    case RecordFault::Kind::kNone:
      n = std::snprintf(out, size, "file '%s': no fault", name);
      break;
    case RecordFault::Kind::kMissing:
      n = std::snprintf(out, size,
                        "file '%s', line %ld: the file ends before %s record %ld of %ld%s", name,
                        f.line, f.section, f.index, f.count, crOnlyNote(f));
      break;
    case RecordFault::Kind::kNotANumber:
      n = std::snprintf(out, size,
                        "file '%s', line %ld: %s record: %s (columns %d-%d) is not a number: "
                        "\"%s\"%s",
                        name, f.line, f.section, f.field.field, f.field.firstColumn,
                        f.field.lastColumn, f.text, crOnlyNote(f));
      break;
    case RecordFault::Kind::kIndex:
      n = std::snprintf(out, size, "file '%s', line %ld: %s %d is outside 1 to %d", name, f.line,
                        f.what, static_cast<int>(f.value), static_cast<int>(f.limit));
      break;
  }
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::string faultText(const RecordFault &fault, const std::string &name) {
  char small[512];
  const std::size_t need = formatFault(fault, name.c_str(), small, sizeof small);
  if (need < sizeof small) return small;
  std::string big(need + 1, '\0');
  formatFault(fault, name.c_str(), &big[0], big.size());
  big.resize(need);
  return big;
}

}  // namespace geomex
