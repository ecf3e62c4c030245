// The few compiler-specific things the core relies on, in one place: the
// trailing-zero count the digit scanning uses, and the byte order it
// assumes.  GCC and Clang (clang-cl included) take their builtins, Microsoft
// Visual C++ its _BitScanForward family (as the fast_float library does for
// its bit scans), any other compiler a portable loop.
#ifndef CORE_INTRINSICS_H
#define CORE_INTRINSICS_H

#include <cstdint>

#if !defined(__GNUC__) && !defined(__clang__) && defined(_MSC_VER)
#include <intrin.h>
#endif

namespace geomex {

// True where the first byte in memory of a multi-byte integer is its least
// significant one.  Every target of Microsoft Visual C++ is little-endian.
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
#elif defined(_MSC_VER)
constexpr bool kLittleEndian = true;
#else
#error "cannot tell the byte order of this target; the digit scanning needs to know it"
#endif

// The number of zero bits below the lowest set bit.  x must not be 0.
inline unsigned countTrailingZeros64(uint64_t x) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(x));
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_ARM64))
  unsigned long index;
  _BitScanForward64(&index, x);
  return static_cast<unsigned>(index);
#elif defined(_MSC_VER)
  // 32-bit targets: scan the low half, or the high one when the low is 0.
  unsigned long index;
  if (_BitScanForward(&index, static_cast<unsigned long>(x))) return static_cast<unsigned>(index);
  _BitScanForward(&index, static_cast<unsigned long>(x >> 32));
  return 32u + static_cast<unsigned>(index);
#else
  unsigned n = 0;
  while ((x & 1u) == 0) {
    x >>= 1;
    ++n;
  }
  return n;
#endif
}

// The same for 32 bits.  x must not be 0.
inline unsigned countTrailingZeros32(uint32_t x) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctz(x));
#elif defined(_MSC_VER)
  unsigned long index;
  _BitScanForward(&index, static_cast<unsigned long>(x));
  return static_cast<unsigned>(index);
#else
  return countTrailingZeros64(x);
#endif
}

}  // namespace geomex

#endif  // CORE_INTRINSICS_H
