// Field conversion (I, F and E edit descriptors) against a separate model:
// the field with its blanks removed must follow the field grammar, and its
// value must be the correctly rounded one that std::from_chars gives.
//
// Input: byte 0 picks the descriptor, the rest is the field's characters
// (copied to a buffer of exactly that size, so any read past the field is an
// ASan report).
//   byte0 % 4 == 0   I, width up to 9 (the readers' widest is 4)
//                1   F19.7 (7 implied decimals)
//                2   E22.15 / E21.15 (15 implied decimals)
//                3   real with (byte0 / 4) implied decimals
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/fields.h"
#include "fuzz/fuzz_support.h"

using namespace geomex;

namespace {

constexpr double kUntouched = -12345.678;
constexpr int32_t kUntouchedInt = -424242;

std::string withoutBlanks(const char *p, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != ' ') s += p[i];
  return s;
}

bool digit(char c) { return c >= '0' && c <= '9'; }

// Model of Iw: blanks ignored, then empty (zero) or a sign and digits.
bool modelInteger(const std::string &s, int64_t &value) {
  value = 0;
  if (s.empty()) return true;
  std::size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (!digit(s[i])) return false;
    value = value * 10 + (s[i] - '0');
  }
  if (negative) value = -value;
  return true;
}

// Correctly rounded value of a decimal string: from_chars, and for results
// beyond the double range (from_chars reports no value then) glibc's strtod,
// which gives the signed infinity or zero.
double decimalValue(const std::string &text) {
  double v = 0.0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  FUZZ_CHECK(r.ptr == text.data() + text.size() &&
                 (r.ec == std::errc() || r.ec == std::errc::result_out_of_range),
             "model built an unreadable decimal \"%s\"", text.c_str());
  if (r.ec == std::errc()) return v;
  return std::strtod(text.c_str(), nullptr);
}

// Model of Fw.d / Ew.d on a field without blanks.  Returns false for a
// field that must be refused.
bool modelReal(const std::string &s, int implied, double &value) {
  value = 0.0;
  if (s.empty()) return true;
  std::size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  std::string whole, fraction;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (digit(s[i])) {
      (point ? fraction : whole) += s[i];
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (whole.empty() && fraction.empty()) return false;
  long long exponent = 0;
  if (i < s.size()) {
    const char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
    } else if (c != '+' && c != '-') {
      return false;
    }
    bool minus = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) minus = s[i++] == '-';
    if (i == s.size()) return false;
    for (; i < s.size(); ++i) {
      if (!digit(s[i])) return false;
      // Saturate: with at most 64 mantissa digits, anything this large is
      // far outside the double range either way.
      if (exponent < 1000000000LL) exponent = exponent * 10 + (s[i] - '0');
    }
    if (minus) exponent = -exponent;
  }
  if (!point) exponent -= implied;  // the last `implied` digits are the fraction
  std::string text = negative ? "-" : "";
  text += whole.empty() ? "0" : whole;
  if (!fraction.empty()) text += "." + fraction;
  text += "e" + std::to_string(exponent);
  value = decimalValue(text);
  return true;
}

// A plain decimal: optional sign, digits with one point, nothing else.
bool plainDecimal(const char *p, std::size_t n) {
  std::size_t i = 0, digits = 0, points = 0;
  if (n > 0 && (p[0] == '+' || p[0] == '-')) i = 1;
  for (; i < n; ++i) {
    if (digit(p[i]))
      ++digits;
    else if (p[i] == '.')
      ++points;
    else
      return false;
  }
  return digits > 0 && points == 1;
}

void checkInteger(const char *field, int width) {
  int32_t got = kUntouchedInt;
  const bool ok = parseInteger(field, width, got);
  int64_t want = 0;
  const std::string s = withoutBlanks(field, width);
  const bool wantOk = modelInteger(s, want);
  FUZZ_CHECK(ok == wantOk, "I%d \"%.*s\": parseInteger says %d, model %d", width, width, field,
             ok, wantOk);
  if (ok)
    FUZZ_CHECK(got == want, "I%d \"%.*s\": %d, model %lld", width, width, field, got,
               static_cast<long long>(want));
  else
    FUZZ_CHECK(got == kUntouchedInt, "refused field changed the output to %d", got);
}

void checkReal(const char *field, int width, int implied) {
  double got = kUntouched;
  const bool ok = parseReal(field, width, implied, got);
  if (width > 64) {
    FUZZ_CHECK(!ok && sameBits(got, kUntouched), "a field of %d characters was accepted", width);
    return;
  }
  if (!ok) FUZZ_CHECK(sameBits(got, kUntouched), "refused field changed the output to %a", got);

  // The differential check in its plainest form.
  if (plainDecimal(field, width)) {
    const char *first = field[0] == '+' ? field + 1 : field;
    double want = 0.0;
    const auto r = std::from_chars(first, field + width, want);
    FUZZ_CHECK(r.ptr == field + width, "from_chars stopped early on \"%.*s\"", width, field);
    if (r.ec == std::errc()) {
      FUZZ_CHECK(ok && sameBits(got, want), "\"%.*s\": parseReal %a (ok %d), from_chars %a",
                 width, field, got, ok, want);
    }
  }

  double want = 0.0;
  const std::string s = withoutBlanks(field, width);
  const bool wantOk = modelReal(s, implied, want);
  FUZZ_CHECK(ok == wantOk, "real field \"%.*s\" (implied %d): parseReal says %d, model %d", width,
             field, implied, ok, wantOk);
  if (ok)
    FUZZ_CHECK(sameBits(got, want), "real field \"%.*s\" (implied %d): %a, model %a", width,
               field, implied, got, want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  if (size < 1 || size > 200) return 0;
  const int selector = data[0];
  // Exactly sized copy: reading past the field's width is an ASan report.
  std::vector<char> heap(data + 1, data + size);
  const int width = static_cast<int>(heap.size());
  char *field = new char[width > 0 ? width : 1];
  if (width > 0) std::memcpy(field, heap.data(), width);

  switch (selector % 4) {
    case 0: checkInteger(field, width < 9 ? width : 9); break;
    case 1: checkReal(field, width, 7); break;
    case 2: checkReal(field, width, 15); break;
    default: checkReal(field, width, selector / 4); break;
  }
  delete[] field;
  return 0;
}
