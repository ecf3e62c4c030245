// Field conversion: one pass over the field that gathers the significand in
// an integer, an exact one-operation conversion for the common case, and the
// standard library's correctly rounding conversion for the rare rest.
#include "core/fields.h"

#include "core/canonical.h"
#include "core/swar.h"

#include <charconv>
#include <cstddef>
#include <limits>

namespace geomex {

namespace {

constexpr char kBlank = ' ';

// The significand is gathered while it stays below this bound (no uint64_t
// overflow on the next digit or chunk); a longer one goes to the slow path.
constexpr uint64_t kGatherLimit = pow10u(18);

// 10^0 to 10^kChunkChars: the scale of the up to eight digits of one chunk.
constexpr uint64_t kPow10u[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
static_assert(sizeof kPow10u / sizeof kPow10u[0] == kChunkChars + 1,
              "one power of ten for each digit count of a chunk");

// Below this a significand takes a whole chunk more and stays under
// kGatherLimit.
constexpr uint64_t kChunkGatherLimit = kGatherLimit / kPow10u[kChunkChars];  // 10^10

// Keeps an exponent far outside the double range from overflowing an int
// while it is read; anything this large saturates to infinity or zero anyway.
constexpr int kExponentClamp = 100000;

// Room slowConvert needs for the exponent it appends: 'e', a sign and the
// digits of an unsigned int (at most ten), with some to spare.
constexpr int kExponentRoom = 16;

// digits * 10^exp10, correctly rounded, for what the fast path cannot take:
// more than 19 significant digits, a significand above 2^53 or a large
// exponent.  Rescans the field's mantissa for its digits.
double slowConvert(const char *mantissa, const char *mantissaEnd, int exp10) {
  char text[kMaxRealFieldWidth + kExponentRoom];
  int len = 0;
  for (const char *p = mantissa; p < mantissaEnd; ++p)
    if (digitOf(*p) < 10 && (len > 0 || *p != '0')) text[len++] = *p;
  const int significant = len;
  text[len++] = 'e';
  if (exp10 < 0) text[len++] = '-';
  unsigned e = exp10 < 0 ? 0u - static_cast<unsigned>(exp10) : static_cast<unsigned>(exp10);
  char reversed[kExponentRoom];
  int n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + e % 10);
    e /= 10;
  } while (e);
  while (n) text[len++] = reversed[--n];

  double v = 0.0;
  const auto r = std::from_chars(text, text + len, v);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the double range: the value is at least 10^(significant +
    // exp10 - 1), so a positive sum means overflow, anything else underflow.
    return significant + exp10 > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return v;
}

}  // namespace

bool parseInteger(const char *field, int width, int32_t &out) noexcept {
  if (width == 4 && blanksThenDigits4(load4(field), out)) return true;
  const char *p = field, *end = field + width;
  while (p < end && *p == kBlank) ++p;

  bool negative = false, sign = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    sign = true;
    ++p;
  }
  int32_t value = 0;
  bool digits = false;
  for (; p < end; ++p) {
    const unsigned d = digitOf(*p);
    if (d < 10) {
      value = value * 10 + static_cast<int32_t>(d);
      digits = true;
    } else if (*p != kBlank) {
      return false;
    }
  }
  if (sign && !digits) return false;
  out = negative ? -value : value;
  return true;
}

bool parseReal(const char *field, int width, int implied, double &out) noexcept {
  if (implied == kCanonicalFraction && parseCanonicalE15(field, width, out)) return true;
  if (width > kMaxRealFieldWidth) return false;
  const char *p = field, *end = field + width;
  while (p < end && *p == kBlank) ++p;
  if (p == end) {
    out = 0.0;
    return true;
  }
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char *mantissa = p;

  // Mantissa: digits with at most one point; blanks anywhere.  Runs of
  // digits are taken up to eight at a time, the usual 15 or 16 digits of a
  // field in three steps.
  uint64_t m = 0;
  bool gathered = true;  // m holds the whole significand
  int digits = 0, fraction = 0;
  bool point = false;
  while (p < end) {
    if (end - p >= static_cast<std::ptrdiff_t>(kChunkChars)) {
      const uint64_t chunk = load8(p);
      const unsigned k = leadingDigits(chunk);
      if (k > 0) {
        // Below 10^10, eight more digits keep m under 10^18.
        if (m < kChunkGatherLimit) {
          m = m * kPow10u[k] +
              (k == kChunkChars ? eightDigitValue(chunk) : leadingDigitValue(chunk, k));
        } else {
          gathered = false;
        }
        digits += k;
        fraction += point ? k : 0;
        p += k;
        continue;
      }
    }
    const unsigned d = digitOf(*p);
    if (d < 10) {
      if (m < kGatherLimit) {
        m = m * 10 + d;
      } else {
        gathered = false;
      }
      ++digits;
      fraction += point;
    } else if (*p == '.') {
      if (point) return false;
      point = true;
    } else if (*p != kBlank) {
      break;
    }
    ++p;
  }
  if (digits == 0) return false;  // a lone sign or point is not a number
  const char *mantissaEnd = p;

  // Exponent: a letter with an optional sign, or a bare sign.
  int exponent = 0;
  if (p < end) {
    if (*p == 'E' || *p == 'D' || *p == 'e' || *p == 'd') {
      ++p;
      while (p < end && *p == kBlank) ++p;
    } else if (*p != '+' && *p != '-') {
      return false;
    }
    bool minus = false;
    if (p < end && (*p == '+' || *p == '-')) {
      minus = *p == '-';
      ++p;
    }
    bool expDigits = false;
    for (; p < end; ++p) {
      const unsigned d = digitOf(*p);
      if (d < 10) {
        if (exponent < kExponentClamp) exponent = exponent * 10 + static_cast<int>(d);
        expDigits = true;
      } else if (*p != kBlank) {
        return false;
      }
    }
    if (!expDigits) return false;
    if (minus) exponent = -exponent;
  }

  double magnitude;
  if (m == 0 && gathered) {
    magnitude = 0.0;
  } else {
    const int exp10 = exponent - (point ? fraction : implied);
    if (!gathered || !exactScaled(m, exp10, magnitude))
      magnitude = slowConvert(mantissa, mantissaEnd, exp10);
  }
  out = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace geomex
