// The E22.15 formatter.  A solution of 3333 stations holds 50 million
// correlations; snprintf spends about a microsecond on each, so the common
// case is done here with exact integer arithmetic instead:
//
// |v| = m * 2^b with m an integer below 2^53.  For the decimal exponent E of
// |v| (10^E <= |v| < 10^(E+1)) the fifteen digits are |v| * 10^(14 - E)
// rounded to an integer, and with s = 14 - E that is
//     m * 5^s * 2^(s + b),
// a 181-bit integer product shifted right: no step rounds, so the digits,
// ties included, are exactly printf's.  5^s fits in 128 bits for s <= 55,
// that is for |v| >= 1e-41; every other number (and NaN, Inf) goes through
// snprintf.
#include "tools/fortran_e.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gensol {
namespace {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

constexpr int kMaxPow5 = 55;  // 5^55 < 2^128 < 5^56

struct Pow5Table {
  u128 p[kMaxPow5 + 1];
  constexpr Pow5Table() : p() {
    p[0] = 1;
    for (int s = 1; s <= kMaxPow5; ++s) p[s] = p[s - 1] * 5;
  }
};
constexpr Pow5Table kPow5;

// "00" "01" ... "99".
struct DigitPairs {
  char d[200];
  constexpr DigitPairs() : d() {
    for (int i = 0; i < 100; ++i) {
      d[2 * i] = static_cast<char>('0' + i / 10);
      d[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
};
constexpr DigitPairs kPairs;

// The doubles nearest to 10^k over the fast path's range of exponents,
// read by strtod, which rounds correctly.
constexpr int kMinPow10 = -45, kMaxPow10 = 20;
struct Pow10Table {
  double p[kMaxPow10 - kMinPow10 + 1];
  Pow10Table() {
    for (int k = kMinPow10; k <= kMaxPow10; ++k) {
      char text[16];
      std::snprintf(text, sizeof text, "1e%d", k);
      p[k - kMinPow10] = std::strtod(text, nullptr);
    }
  }
  double at(int k) const { return p[k - kMinPow10]; }
};
const Pow10Table kPow10;

constexpr char kZero[] = "0.000000000000000E+00";

// The 192-bit product m * p, as three 64-bit words, least significant first.
struct U192 {
  u64 w[3];
};

U192 multiply(u64 m, u128 p) {
  const u128 lo = static_cast<u128>(m) * static_cast<u64>(p);
  const u128 hi = static_cast<u128>(m) * static_cast<u64>(p >> 64);
  const u128 mid = (lo >> 64) + static_cast<u64>(hi);
  return {{static_cast<u64>(lo), static_cast<u64>(mid), static_cast<u64>(hi >> 64) +
                                                           static_cast<u64>(mid >> 64)}};
}

u64 bit(const U192 &r, int k) { return (r.w[k >> 6] >> (k & 63)) & 1u; }

// floor(r / 2^sh), 0 < sh < 192, known to fit in 64 bits.
u64 shiftRight(const U192 &r, int sh) {
  const int wi = sh >> 6, bi = sh & 63;
  u64 q = r.w[wi] >> bi;
  if (bi != 0 && wi + 1 < 3) q |= r.w[wi + 1] << (64 - bi);
  return q;
}

// Whether any of the bits below bit k of r is set.
bool anyBelow(const U192 &r, int k) {
  const int wi = k >> 6, bi = k & 63;
  for (int i = 0; i < wi; ++i)
    if (r.w[i] != 0) return true;
  return bi != 0 && (r.w[wi] & ((u64{1} << bi) - 1)) != 0;
}

// Whether any bit of r at or above bit k is set.
bool anyFrom(const U192 &r, int k) {
  if (k >= 192) return false;
  const int wi = k >> 6, bi = k & 63;
  for (int i = wi + 1; i < 3; ++i)
    if (r.w[i] != 0) return true;
  return (r.w[wi] >> bi) != 0;
}

// |v| * 10^s for |v| = m * 2^b: its integer part, and whether rounding to
// nearest (ties to even) goes one up.  False when out of the table's reach.
struct Scaled {
  u64 floor;
  bool up;
};

bool scale(u64 m, int b, int s, Scaled &out) {
  if (s < 0 || s > kMaxPow5) return false;
  const int sh = -(s + b);
  if (sh <= 0 || sh >= 192) return false;
  const U192 r = multiply(m, kPow5.p[s]);
  if (anyFrom(r, sh + 64)) return false;  // the integer part needs more than 64 bits
  out.floor = shiftRight(r, sh);
  out.up = bit(r, sh - 1) != 0 && (anyBelow(r, sh - 1) || (out.floor & 1u) != 0);
  return true;
}

// Writes the digits of q (below 10^15) as fifteen characters.
void fifteenDigits(u64 q, char *out) {
  const u64 hi = q / 100000000u;  // seven digits
  u64 lo = q % 100000000u;        // eight digits
  for (int i = 6; i >= 0; i -= 2) {
    std::memcpy(out + 7 + i, kPairs.d + 2 * (lo % 100), 2);
    lo /= 100;
  }
  u64 h = hi;
  for (int i = 5; i >= 1; i -= 2) {
    std::memcpy(out + i, kPairs.d + 2 * (h % 100), 2);
    h /= 100;
  }
  out[0] = static_cast<char>('0' + h);
}

}  // namespace

std::size_t fortranEPrintf(double v, char *out) {
  char buf[40] = {};  // "inf" and "nan" are short: the exponent then reads as 0
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));  // d.dddddddddddddde+XX
  const int exp = std::atoi(buf + 17) + 1;
  if (v == 0.0 || exp < -99) {
    std::memcpy(out, kZero, sizeof kZero - 1);
    return sizeof kZero - 1;
  }
  char text[48];
  const int n = std::snprintf(text, sizeof text, "%s0.%c%.14sE%c%02d", v < 0.0 ? "-" : "",
                              buf[0], buf + 2, exp < 0 ? '-' : '+', std::abs(exp));
  std::memcpy(out, text, static_cast<std::size_t>(n));
  return static_cast<std::size_t>(n);
}

std::size_t fortranE(double v, char *out) {
  if (v == 0.0) {
    std::memcpy(out, kZero, sizeof kZero - 1);
    return sizeof kZero - 1;
  }
  u64 bits;
  std::memcpy(&bits, &v, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  if (biased == 0 || biased == 0x7ff) return fortranEPrintf(v, out);  // subnormal, Inf, NaN
  const u64 m = (bits & ((u64{1} << 52) - 1)) | (u64{1} << 52);
  const int b = biased - 1075;  // |v| = m * 2^b, 2^(b+52) <= |v| < 2^(b+53)
  // E is floor((b + 52) log10 2) or one more; the nearest double to the
  // next power of ten tells which, except right at it, where the check on
  // the exact integer part (before rounding, so that a number just below a
  // power of ten keeps all its nines) corrects the guess.
  constexpr u64 kLow = 100000000000000u, kHigh = 1000000000000000u;  // 10^14, 10^15
  // (floor(n log10 2) = floor(n * 78913 / 2^18) for every |n| <= 1100, a
  // multiplier Ryu uses (U. Adams, PLDI 2018); here |n| = |b + 52| <= 1023.
  // Written as a division that rounds down: no libm call.)
  const int n = (b + 52) * 78913;
  int e = n >= 0 ? n / 262144 : -((-n + 262143) / 262144);
  if (e + 1 >= kMinPow10 && e + 1 <= kMaxPow10 && std::fabs(v) >= kPow10.at(e + 1)) ++e;
  Scaled x;
  if (!scale(m, b, 14 - e, x)) return fortranEPrintf(v, out);
  if (x.floor >= kHigh || x.floor < kLow) {
    e += x.floor >= kHigh ? 1 : -1;
    if (!scale(m, b, 14 - e, x) || x.floor >= kHigh || x.floor < kLow)
      return fortranEPrintf(v, out);
  }
  u64 q = x.floor + x.up;
  if (q == kHigh) {  // rounded up to the next power of ten: 0.100...E(e+2)
    q = kLow;
    ++e;
  }
  const int exp = e + 1;  // Fortran's mantissa is 0.d..., one place lower
  if (exp < -99) {
    std::memcpy(out, kZero, sizeof kZero - 1);
    return sizeof kZero - 1;
  }
  if (exp > 99) return fortranEPrintf(v, out);
  char *p = out;
  if (v < 0.0) *p++ = '-';
  *p++ = '0';
  *p++ = '.';
  fifteenDigits(q, p);
  p += 15;
  *p++ = 'E';
  *p++ = exp < 0 ? '-' : '+';
  std::memcpy(p, kPairs.d + 2 * std::abs(exp), 2);
  return static_cast<std::size_t>(p + 2 - out);
}

std::size_t scientificE(double v, char *out) {
  // fortranE's "[-]0.DDD...E+XX" moved one place: "[-]D.DD...E+YY", YY = XX - 1.
  char f[kFortranEMax + 1];
  f[fortranE(v, f)] = '\0';  // the exponent is read up to the end
  const std::size_t sign = f[0] == '-' ? 1 : 0;
  const char *digits = f + sign + 2;
  int exp = std::atoi(f + sign + 18);
  char *p = out;
  if (sign) *p++ = '-';
  *p++ = digits[0];
  *p++ = '.';
  std::memcpy(p, digits + 1, 14);
  p += 14;
  if (digits[0] != '0') --exp;  // zero stays E+00
  *p++ = 'E';
  *p++ = exp < 0 ? '-' : '+';
  const int a = std::abs(exp);
  if (a >= 100) *p++ = static_cast<char>('0' + a / 100);
  std::memcpy(p, kPairs.d + 2 * (a % 100), 2);
  return static_cast<std::size_t>(p + 2 - out);
}

}  // namespace gensol
