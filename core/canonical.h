// The field layouts that Fortran and C programs write, converted without
// the general scanner.  Each function accepts only its exact layout and
// returns false for anything else, which then goes to the general
// conversion; where it accepts, the result is the same as the general one.
#ifndef CORE_CANONICAL_H
#define CORE_CANONICAL_H

#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "fields.h"
#include "swar.h"

namespace geomex {

// What the one-operation conversion below needs of the compiler.  A double
// operation must round once, to double: FLT_EVAL_METHOD 0.  Where it is not
// (the x87 unit, FLT_EVAL_METHOD 2) the product is rounded to 64 bits of
// significand first and to 53 on storing, which can differ from the
// correctly rounded value in the last place.
static_assert(FLT_EVAL_METHOD == 0,
              "double arithmetic must be evaluated in double (FLT_EVAL_METHOD 0)");
static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<double>::digits == 53,
              "double must be the IEEE 754 binary64 format");
// Fast-math and contraction rewrite the arithmetic that must match the
// legacy routines bit for bit (see the flags in cmake/sources.mk).
#if defined(__FAST_MATH__) || defined(_M_FP_FAST) || defined(_M_FP_CONTRACT)
#error "build without -ffast-math, /fp:fast and /fp:contract: results must be bit for bit"
#endif
// Visual C++ before 2022 fuses a*b+c even under /fp:precise where FMA is there.
#if defined(_MSC_VER) && !defined(__clang__) && _MSC_VER < 1930 && defined(__AVX2__)
#error "Visual C++ before 2022 contracts a*b+c under /arch:AVX2: build without /arch:AVX2"
#endif

// Integers up to 2^53 (2 to the number of significand bits) are exact doubles.
constexpr uint64_t kMaxExactInt = uint64_t{1} << std::numeric_limits<double>::digits;

// The largest k for which 10^k is an exact double: 10^k = 2^k 5^k, and 5^k
// fits the significand up to k = 22 (5^22 < 2^53 < 5^23); 10^23 is not exact.
constexpr int kMaxExactPow10 = 22;
constexpr uint64_t pow5(unsigned k) { return k == 0 ? 1 : 5 * pow5(k - 1); }
static_assert(pow5(kMaxExactPow10) < kMaxExactInt && pow5(kMaxExactPow10 + 1) > kMaxExactInt,
              "kMaxExactPow10 is the last power of ten that is an exact double");

// 10^0 to 10^kMaxExactPow10, all exact doubles.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
static_assert(sizeof kExactPow10 / sizeof kExactPow10[0] == kMaxExactPow10 + 1,
              "kExactPow10 holds 10^0 to 10^kMaxExactPow10");

// 10^k as an integer, for k up to 19.
constexpr uint64_t pow10u(unsigned k) { return k == 0 ? 1 : 10 * pow10u(k - 1); }

// m * 10^exp10 in one IEEE operation, which rounds correctly because both
// operands are exact doubles (m up to 2^53, |exp10| up to 22); false when
// they are not.
inline bool exactScaled(uint64_t m, int exp10, double &out) {
  if (m > kMaxExactInt || exp10 < -kMaxExactPow10 || exp10 > kMaxExactPow10) return false;
  const double x = static_cast<double>(m);
  out = exp10 < 0 ? x / kExactPow10[-exp10] : x * kExactPow10[exp10];
  return true;
}

// m * 10^exp10 for |exp10| up to 2 kMaxExtendedPow10 through the x87
// unit's 64-bit significand, where the one-operation path cannot go
// (covariances of 1e-9 and below in E21.14 have exp10 < -22).  10^k is an
// exact long double up to k = 27 (5^27 < 2^64), so q = m / 10^k (or two
// such steps) is within two units of its 64th bit of the true value.
// Rounding q to double then gives the correctly rounded value unless q
// lies within those two units of a midpoint between doubles (its 11 bits
// below the double's 53 within 3 of 0x400): false then, and on any other
// platform, and the caller takes the library's conversion.
constexpr int kMaxExtendedPow10 = 27;
inline bool extendedScaled(uint64_t m, int exp10, double &out) {
#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64 && !defined(_MSC_VER)
  static constexpr long double kPow10[] = {
      1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
      1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
      1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
  static_assert(sizeof kPow10 / sizeof kPow10[0] == kMaxExtendedPow10 + 1, "10^0 to 10^27");
  int k = exp10 < 0 ? -exp10 : exp10;
  if (m == 0 || k > 2 * kMaxExtendedPow10) return false;
  long double q = static_cast<long double>(m);  // exact: m < 2^64
  if (k > kMaxExtendedPow10) {
    q = exp10 < 0 ? q / kPow10[kMaxExtendedPow10] : q * kPow10[kMaxExtendedPow10];
    k -= kMaxExtendedPow10;
  }
  q = exp10 < 0 ? q / kPow10[k] : q * kPow10[k];
  uint64_t significand;  // x87: the 64-bit significand, integer bit included, comes first
  std::memcpy(&significand, &q, sizeof significand);
  const unsigned below = static_cast<unsigned>(significand & 0x7FF);
  if (below >= 0x400 - 3 && below <= 0x400 + 3) return false;
  out = static_cast<double>(q);
  return true;
#else
  (void)m;
  (void)exp10;
  (void)out;
  return false;
#endif
}

// The canonical E layout, right to left: the exponent (E or D, a sign, two
// digits), kCanonicalFraction digits of fraction, a point and one digit;
// blanks and an optional sign before them.  E21.15 leaves no room for blanks
// or a sign, E22.15 room for one.
constexpr int kCanonicalFraction = 15;
constexpr int kExponentChars = 4;
constexpr int kCanonicalMinWidth = 2 + kCanonicalFraction + kExponentChars;  // 21

// The layout Fortran and C programs write for Ew.d: blanks, an optional
// sign, one digit, a point, d (kFraction) digits, then E or D, a sign and
// two digits.  Nearly every field of a solution file has it (E22.15 and
// E21.15 of the fixed-column format, E21.14 of a SINEX matrix), so it is
// checked first; false sends the field to the general scanner.
template <int kFraction>
inline bool parseCanonicalE(const char *field, int width, double &out) {
  // The fraction's digits come in two loads: kChunkChars, then the rest.
  static_assert(kFraction > static_cast<int>(kChunkChars) && kFraction < 2 * static_cast<int>(kChunkChars),
                "the fraction takes one whole chunk and part of a second");
  static_assert(kFraction + 1 < std::numeric_limits<uint64_t>::digits10,
                "the significand fits an integer");
  constexpr unsigned kSecondChunkDigits = kFraction - kChunkChars;
  constexpr int kMinWidth = 2 + kFraction + kExponentChars;
  if (width < kMinWidth || width > kMaxRealFieldWidth) return false;
  const char *exp = field + width - kExponentChars;
  const char *frac = exp - kFraction;
  const char *lead = frac - 2;  // the leading digit, then the point
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

  // Eight digits, then the rest (the bytes loaded after them are the E and
  // what follows it).
  const uint64_t c1 = load8(frac), c2 = load8(frac + kChunkChars);
  if (leadingDigits(c1) != kChunkChars || leadingDigits(c2) != kSecondChunkDigits) return false;
  constexpr uint64_t kLeadWeight = pow10u(kFraction);
  constexpr uint64_t kFirstChunkWeight = pow10u(kSecondChunkDigits);
  const uint64_t m = l * kLeadWeight + eightDigitValue(c1) * kFirstChunkWeight +
                     leadingDigitValue(c2, kSecondChunkDigits);
  const int e = static_cast<int>(e1 * 10 + e2);
  const int exp10 = (exp[1] == '-' ? -e : e) - kFraction;
  double magnitude = 0.0;
  if (!exactScaled(m, exp10, magnitude) && !extendedScaled(m, exp10, magnitude)) {
    // Seventeen significant digits or a far exponent: the library converts
    // the field as it stands (it knows E, not D).
    if ((exp[0] | 0x20) != 'e') return false;
    const auto r = std::from_chars(lead, field + width, magnitude);
    if (r.ec != std::errc() || r.ptr != field + width) return false;
  }
  out = negative ? -magnitude : magnitude;
  return true;
}

// E22.15 and E21.15, the fields of the fixed-column format.
inline bool parseCanonicalE15(const char *field, int width, double &out) {
  return parseCanonicalE<kCanonicalFraction>(field, width, out);
}

}  // namespace geomex

#endif  // CORE_CANONICAL_H
