// Helpers shared by the fuzz targets: a failed property aborts with a line
// saying what broke, which libFuzzer then reports as a crash and saves.
#ifndef FUZZ_FUZZ_SUPPORT_H
#define FUZZ_FUZZ_SUPPORT_H

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(cond, ...)                                                       \
  do {                                                                              \
    if (!(cond)) fuzzFail(__FILE__, __LINE__, #cond, __VA_ARGS__);                  \
  } while (0)

[[noreturn]] inline void fuzzFail(const char *file, int line, const char *cond, const char *fmt,
                                  ...) __attribute__((format(printf, 4, 5)));
inline void fuzzFail(const char *file, int line, const char *cond, const char *fmt,
                                  ...) {
  std::fprintf(stderr, "\n%s:%d: property failed: %s\n  ", file, line, cond);
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::abort();
}

inline uint64_t bitsOf(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Same value bit for bit (so NaN equals the same NaN and -0.0 differs from 0.0).
inline bool sameBits(double a, double b) { return bitsOf(a) == bitsOf(b); }

#endif  // FUZZ_FUZZ_SUPPORT_H
