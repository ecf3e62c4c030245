// Digit scanning eight (or four) characters at a time, for the field
// conversions.  Loads are little-endian: the first character of a chunk is
// its lowest byte.
#ifndef CORE_SWAR_H
#define CORE_SWAR_H

#include <cstdint>
#include <cstring>

#include "core/intrinsics.h"

namespace geomex {

// Every function below reads the first character of a chunk from its lowest
// byte and counts digits from the lowest bit up.  On a big-endian machine
// they would read the characters backwards, so such a build stops here.
static_assert(kLittleEndian, "the digit scanning (SWAR) assumes a little-endian machine");

// Characters in one eight-byte load (a chunk).
constexpr unsigned kChunkChars = sizeof(uint64_t);

// Value of a decimal digit character, or 10 or more for any other character.
inline unsigned digitOf(char c) { return static_cast<unsigned char>(c) - unsigned{'0'}; }

inline uint64_t load8(const char *p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline uint32_t load4(const char *p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// How many of the first characters of a chunk are decimal digits, 0 to 8.
// A byte's test can only be disturbed by a carry out of an earlier
// non-digit byte, which ends the count first.
inline unsigned leadingDigits(uint64_t chunk) {
  const uint64_t notDigit = ((chunk & 0xF0F0F0F0F0F0F0F0ull) |
                             (((chunk + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) >> 4)) ^
                            0x3333333333333333ull;
  return notDigit == 0 ? 8u : countTrailingZeros64(notDigit) / 8u;
}

// The value of eight digit characters, first character most significant, in
// three multiplications: the bytes become two-digit pairs, the pairs
// four-digit groups, the groups one number.
//
// This is parse_eight_digits_unrolled of the fast_float library (Daniel
// Lemire et al., https://github.com/fastfloat/fast_float, under the
// Apache-2.0, MIT or BSL-1.0 licence; fast_float credits the trick to
// @aqrit), explained in D. Lemire, "SWAR explained: parsing eight digits"
// (2022, https://lemire.me/blog/2022/01/21/swar-explained-parsing-eight-digits/).
// blanksThenDigits4 below takes its first steps for four characters.
inline uint32_t eightDigitValue(uint64_t chunk) {
  const uint64_t mask = 0x000000FF000000FFull;
  const uint64_t mul1 = 0x000F424000000064ull;  // 100 + (1000000 << 32)
  const uint64_t mul2 = 0x0000271000000001ull;  // 1 + (10000 << 32)
  chunk -= 0x3030303030303030ull;
  chunk = (chunk * 10) + (chunk >> 8);
  chunk = (((chunk & mask) * mul1) + (((chunk >> 16) & mask) * mul2)) >> 32;
  return static_cast<uint32_t>(chunk);
}

// The value of the first k (1 to 7) digit characters of a chunk: they move
// to the least significant end and '0's fill in before them.
inline uint32_t leadingDigitValue(uint64_t chunk, unsigned k) {
  return eightDigitValue((chunk << (8 * (8 - k))) | (0x3030303030303030ull >> (8 * k)));
}

// Four characters that are blanks followed by one to four digits, as an
// integer field is usually written; false for anything else.
inline bool blanksThenDigits4(uint32_t chunk, int32_t &value) {
  const uint32_t notBlank = chunk ^ 0x20202020u;
  if (notBlank == 0) return false;
  const unsigned blanks = countTrailingZeros32(notBlank) / 8u;  // 0 to 3
  chunk ^= 0x10101010u & ((1u << (8 * blanks)) - 1u);  // leading blanks become '0'
  if (((chunk & 0xF0F0F0F0u) | (((chunk + 0x06060606u) & 0xF0F0F0F0u) >> 4)) != 0x33333333u)
    return false;
  chunk -= 0x30303030u;
  chunk = (chunk * 10) + (chunk >> 8);  // bytes 0 and 2: two-digit pairs
  value = static_cast<int32_t>((((chunk & 0x00FF00FFu) * (1u + (100u << 16))) >> 16) & 0xFFFFu);
  return true;
}

}  // namespace geomex

#endif  // CORE_SWAR_H
