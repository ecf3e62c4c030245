// The least any reader of a solution file has to do: get at the file's
// bytes in the page cache and look at each of them once.
//
// The floor proper reads the file with read(2) into a buffer of ours (a
// copy, as the reader does) and then looks at every byte, one at a time, to
// count the line ends: the work of any reader that inspects each character.
// For reference, the same counting sixteen bytes a step (SSE2), after read(2)
// or through mmap(2), shows what memory bandwidth alone allows; no reader
// that converts every number comes near that.
#ifndef BENCH_FLOOR_READ_H
#define BENCH_FLOOR_READ_H

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Number of '\n' in p[0 .. size), looking at one byte at a time (the
// compiler is kept from vectorising the loop).
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-vectorize")))
#endif
inline long countLineEndsByteByByte(const char *p, std::size_t size) {
  long lines = 0;
#if defined(__clang__)
#pragma clang loop vectorize(disable) interleave(disable)
#endif
  for (std::size_t i = 0; i < size; ++i) lines += p[i] == '\n';
  return lines;
}

// The same, sixteen bytes a step with SSE2 (part of every x86-64, so no
// host-specific flags are needed), eight with plain 64-bit words elsewhere.
inline long countLineEndsWide(const char *p, std::size_t size) {
  long lines = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i nl = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  while (size - i >= 16) {
    // Byte counters of at most 255 steps cannot overflow.
    const std::size_t stop = i + 16 * std::min<std::size_t>((size - i) / 16, 255);
    __m128i acc = zero;
    for (; i < stop; i += 16) {
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(w, nl));  // a match is -1
    }
    const __m128i sums = _mm_sad_epu8(acc, zero);
    lines += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
  }
#else
  const std::uint64_t ones = 0x0101010101010101ULL, low7 = ones * 0x7f, nl = ones * '\n';
  for (; size - i >= 8; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    const std::uint64_t x = w ^ nl;                 // a line end becomes a zero byte
    const std::uint64_t z = ~(((x & low7) + low7) | x | low7);  // 0x80 on zero bytes only
    lines += static_cast<long>(((z >> 7) * ones) >> 56);
  }
#endif
  for (; i < size; ++i) lines += p[i] == '\n';
  return lines;
}

// Reads the whole file at `path` into `buf` (kept between calls, so that a
// repeated read allocates nothing, like the reader's own buffer) and returns
// the number of line ends in it, or -1 when the file cannot be read.
// Counting line ends is the cheapest useful look at every byte: a reader
// cannot do less than find where its records start.  `wide` counts sixteen
// bytes a step instead of one.
inline long readAndTouch(const char *path, std::vector<char> &buf, bool wide = false) {
  const int fd = ::open(path, O_RDONLY);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return -1;
  }
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  if (buf.size() < size) buf.resize(size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t r = ::read(fd, buf.data() + got, size - got);
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
  if (got != size) return -1;
  return wide ? countLineEndsWide(buf.data(), size) : countLineEndsByteByByte(buf.data(), size);
}

// The wide count through a read-only mapping of the file, unmapped again.
inline long mapAndTouch(const char *path) {
  const int fd = ::open(path, O_RDONLY);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return -1;
  }
  if (st.st_size == 0) {  // nothing to map
    ::close(fd);
    return 0;
  }
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  void *p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (p == MAP_FAILED) return -1;
  const long lines = countLineEndsWide(static_cast<const char *>(p), size);
  ::munmap(p, size);
  return lines;
}

#endif  // BENCH_FLOOR_READ_H
