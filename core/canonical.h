// The field layouts that Fortran and C programs write, converted without
// the general scanner.  Each function accepts only its exact layout and
// returns false for anything else, which then goes to the general
// conversion; where it accepts, the result is the same as the general one.
#ifndef CORE_CANONICAL_H
#define CORE_CANONICAL_H

#include <charconv>
#include <cstdint>

#include "fields.h"
#include "swar.h"

namespace geomex {

// Powers of ten that are exact doubles (5^22 < 2^53; 10^23 is not exact).
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// Integers up to 2^53 are exact doubles.
constexpr uint64_t kMaxExactInt = uint64_t{1} << 53;

// m * 10^exp10 in one IEEE operation, which rounds correctly because both
// operands are exact doubles (m up to 2^53, |exp10| up to 22); false when
// they are not.
inline bool exactScaled(uint64_t m, int exp10, double &out) {
  if (m > kMaxExactInt || exp10 < -22 || exp10 > 22) return false;
  const double x = static_cast<double>(m);
  out = exp10 < 0 ? x / kExactPow10[-exp10] : x * kExactPow10[exp10];
  return true;
}

// The layout Fortran and C programs write for E22.15 and E21.15: blanks, an
// optional sign, one digit, a point, fifteen digits, then E or D, a sign and
// two digits.  Nearly every field of a solution file has it, so it is
// checked first; false sends the field to the general scanner.
inline bool parseCanonicalE15(const char *field, int width, double &out) {
  constexpr int kFraction = 15;
  if (width < kFraction + 6 || width > kMaxRealFieldWidth) return false;
  const char *exp = field + width - 4;
  const char *frac = exp - kFraction;
  const char *lead = frac - 2;
  if ((exp[0] | 0x20) != 'e' && (exp[0] | 0x20) != 'd') return false;
  if (exp[1] != '+' && exp[1] != '-') return false;
  const unsigned e1 = digitOf(exp[2]), e2 = digitOf(exp[3]), l = digitOf(lead[0]);
  if (e1 > 9 || e2 > 9 || l > 9 || frac[-1] != '.') return false;

  bool negative = false;
  const char *blanksEnd = lead;
  if (lead > field && (lead[-1] == '-' || lead[-1] == '+')) {
    negative = lead[-1] == '-';
    --blanksEnd;
  }
  for (const char *p = field; p < blanksEnd; ++p)
    if (*p != ' ') return false;

  // Fifteen digits: eight, then seven (the eighth byte loaded is the E).
  const uint64_t c1 = load8(frac), c2 = load8(frac + 8);
  if (leadingDigits(c1) != 8 || leadingDigits(c2) != 7) return false;
  const uint64_t m = l * 1000000000000000ull + eightDigitValue(c1) * 10000000ull +
                     leadingDigitValue(c2, 7);
  const int e = static_cast<int>(e1 * 10 + e2);
  const int exp10 = (exp[1] == '-' ? -e : e) - kFraction;
  double magnitude = 0.0;
  if (!exactScaled(m, exp10, magnitude)) {
    // Sixteen significant digits or a far exponent: the library converts
    // the field as it stands (it knows E, not D).
    if ((exp[0] | 0x20) != 'e') return false;
    const auto r = std::from_chars(lead, field + width, magnitude);
    if (r.ec != std::errc() || r.ptr != field + width) return false;
  }
  out = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace geomex

#endif  // CORE_CANONICAL_H
