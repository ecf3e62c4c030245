// Field conversion: a small scanner plus an exact fast path, falling back on
// the standard library's correctly rounding conversion for the rare rest.
#include "fields.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr char kBlank = ' ';

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that are exact doubles (10^22 < 2^53 * 2^22 is the last).
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t kMaxExactInt = uint64_t{1} << 53;

// Keeps an exponent far outside the double range from overflowing an int
// while it is read; anything this large saturates to infinity or zero anyway.
constexpr int kExponentClamp = 100000;

// The digits of a real field, with leading zeros dropped, and the power of
// ten that scales them: value = digits * 10^exp10.
struct Decimal {
  char digits[65];
  int count = 0;
  int exp10 = 0;
};

// Correctly rounded digits * 10^exp10 for the case the fast path cannot take.
double slowConvert(const Decimal &d) {
  char text[96];
  const int len = std::snprintf(text, sizeof text, "%.*se%d", d.count, d.digits, d.exp10);
  double v = 0.0;
  const auto r = std::from_chars(text, text + len, v);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the double range: overflow if the value is at least 1, else
    // underflow.  The value's magnitude is 10^(count + exp10 - 1) or more.
    return d.count + d.exp10 > 0 ? __builtin_inf() : 0.0;
  }
  return v;
}

double convert(const Decimal &d) {
  if (d.count == 0) return 0.0;
  if (d.count <= 19) {
    uint64_t m = 0;
    for (int i = 0; i < d.count; ++i) m = m * 10 + static_cast<uint64_t>(d.digits[i] - '0');
    // Both operands exact: the one IEEE operation rounds correctly.
    if (m <= kMaxExactInt && d.exp10 >= -22 && d.exp10 <= 22) {
      const double x = static_cast<double>(m);
      return d.exp10 < 0 ? x / kExactPow10[-d.exp10] : x * kExactPow10[d.exp10];
    }
  }
  return slowConvert(d);
}

}  // namespace

bool parseInteger(const char *field, int width, int32_t &out) noexcept {
  int i = 0;
  while (i < width && field[i] == kBlank) ++i;
  bool negative = false;
  bool sign = false;
  if (i < width && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    sign = true;
    ++i;
  }
  int32_t value = 0;
  int digits = 0;
  for (; i < width; ++i) {
    const char c = field[i];
    if (c == kBlank) continue;
    if (!isDigit(c)) return false;
    value = value * 10 + (c - '0');
    ++digits;
  }
  if (sign && digits == 0) return false;
  out = negative ? -value : value;
  return true;
}

bool parseReal(const char *field, int width, int implied, double &out) noexcept {
  if (width > 64) return false;
  Decimal d;
  int i = 0;
  auto skipBlanks = [&] {
    while (i < width && field[i] == kBlank) ++i;
  };

  skipBlanks();
  bool negative = false;
  if (i < width && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }

  // Mantissa: digits with at most one point.
  bool point = false;
  int mantissaDigits = 0;
  int fractionDigits = 0;
  for (; i < width; ++i) {
    const char c = field[i];
    if (c == kBlank) continue;
    if (c == '.') {
      if (point) return false;
      point = true;
      continue;
    }
    if (!isDigit(c)) break;
    ++mantissaDigits;
    if (point) ++fractionDigits;
    if (d.count > 0 || c != '0') d.digits[d.count++] = c;
  }

  // Exponent: a letter with an optional sign, or a bare sign.
  int exponent = 0;
  if (i < width) {
    const char c = field[i];
    if (c == 'E' || c == 'D' || c == 'e' || c == 'd') {
      ++i;
      skipBlanks();
    } else if (c != '+' && c != '-') {
      return false;
    }
    bool minus = false;
    if (i < width && (field[i] == '+' || field[i] == '-')) {
      minus = field[i] == '-';
      ++i;
    }
    int digits = 0;
    for (; i < width; ++i) {
      const char e = field[i];
      if (e == kBlank) continue;
      if (!isDigit(e)) return false;
      if (exponent < kExponentClamp) exponent = exponent * 10 + (e - '0');
      ++digits;
    }
    if (digits == 0) return false;
    if (minus) exponent = -exponent;
  }

  if (mantissaDigits == 0) {
    // Only a field of blanks is zero; a lone sign, point or exponent is not a
    // number.
    for (int j = 0; j < width; ++j)
      if (field[j] != kBlank) return false;
    out = 0.0;
    return true;
  }

  // Trailing zeros only scale: dropping them keeps more fields on the fast path.
  int exp10 = exponent - (point ? fractionDigits : implied);
  while (d.count > 0 && d.digits[d.count - 1] == '0') {
    --d.count;
    ++exp10;
  }
  d.exp10 = exp10;
  d.digits[d.count] = '\0';
  const double magnitude = convert(d);
  out = negative ? -magnitude : magnitude;
  return true;
}
