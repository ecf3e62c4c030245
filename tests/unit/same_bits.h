// Bit-level comparison of doubles for tests: the results must match the
// legacy arithmetic exactly, and EXPECT_EQ cannot tell -0.0 from 0.0 nor
// compare NaNs.
#ifndef TESTS_UNIT_SAME_BITS_H
#define TESTS_UNIT_SAME_BITS_H

#include <cstdint>
#include <cstring>

inline std::uint64_t bitsOf(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

#define EXPECT_SAME_BITS(expected, actual) \
  EXPECT_EQ(bitsOf(expected), bitsOf(actual)) << (expected) << " vs " << (actual)

#endif  // TESTS_UNIT_SAME_BITS_H
