#include "velsol/correlations.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/records.h"
#include "core/run_parts.h"
#include "core/tiled_mirror.h"

namespace geomex {

namespace {

// A record in the written layout: kCorrelationWidth characters and '\n'.
constexpr std::size_t kStride = kCorrelationWidth + 1;
// Records converted per positioned read: about 72 KB, which stays in the
// cache while it is converted, and which the C library serves from memory
// it keeps from call to call.
constexpr std::size_t kRecordsPerRead = 2048;

// The pair (i, j), 1-based, of record c (0-based) of the strict lower
// triangle written row by row: row i holds j = 1 .. i-1, and row i starts at
// record (i-1)(i-2)/2.
void pairOf(int64_t c, int32_t &i, int32_t &j) {
  auto rowStart = [](int64_t row) { return (row - 1) * (row - 2) / 2; };
  int64_t row = static_cast<int64_t>(std::sqrt(2.0 * static_cast<double>(c))) + 1;
  while (row > 2 && rowStart(row) > c) --row;
  while (rowStart(row + 1) <= c) ++row;
  i = static_cast<int32_t>(row);
  j = static_cast<int32_t>(c - rowStart(row) + 1);
}

// Converts records [first, last) of the section at `offset` into the upper
// triangle of cov; false as soon as a record is not in the written layout
// and order, or a read fails.
bool convertShare(ByteSource &source, uint64_t offset, int64_t first, int64_t last, int32_t P,
                  const double *variance, double *cov, const std::atomic<bool> &stop) {
  const std::size_t records = static_cast<std::size_t>(std::min<int64_t>(last - first, kRecordsPerRead));
  std::unique_ptr<char[]> buf(new char[records * kStride + 1]);
  int32_t i, j;
  pairOf(first, i, j);
  for (int64_t c = first; c < last;) {
    if (stop.load(std::memory_order_relaxed)) return false;
    const int64_t n = std::min<int64_t>(last - c, kRecordsPerRead);
    const std::size_t bytes = static_cast<std::size_t>(n) * kStride;
    if (source.readAt(offset + static_cast<uint64_t>(c) * kStride, buf.get(), bytes) !=
        static_cast<long long>(bytes))
      return false;
    const char *text = buf.get();
    for (int64_t r = 0; r < n; ++r, text += kStride) {
      CorrelationRecord rec;
      if (text[kCorrelationWidth] != '\n' || !readCanonicalCorrelation(text, rec) ||
          rec.iread != i || rec.jread != j)
        return false;
      // Row j < column i: the upper triangle, filled down each column.
      cov[(j - 1) + static_cast<std::size_t>(i - 1) * P] =
          rec.rho * std::sqrt(variance[i - 1] * variance[j - 1]);
      if (++j == i) {
        ++i;
        j = 1;
      }
    }
    c += n;
  }
  return true;
}

bool readInParallel(ByteSource &source, uint64_t offset, int64_t count, int32_t P,
                    const double *variance, double *cov, unsigned threads) {
  if (count == 0 || source.size() < offset + static_cast<uint64_t>(count) * kStride)
    return false;
  threads = static_cast<unsigned>(std::min<int64_t>(threads, (count + 1023) / 1024));
  threads = std::max(threads, 1u);
  std::atomic<bool> stop{false};
  const bool converted = runParts(threads, [&](unsigned t) {
    const int64_t first = count * t / threads, last = count * (t + 1) / threads;
    if (!convertShare(source, offset, first, last, P, variance, cov, stop))
      stop.store(true, std::memory_order_relaxed);
  });
  if (!converted || stop.load()) return false;
  // Mirroring allocates nothing; a part that failed to start ran in place.
  runParts(threads, [&](unsigned t) {
    mirrorTiles(cov, static_cast<std::size_t>(P), true, t, threads,
                [](double v, std::size_t, std::size_t) { return v; },
                [variance](double, std::size_t k) { return variance[k]; });
  });
  return true;
}

bool readInOrder(SectionReader<LineStream> &in, int64_t count, int32_t P,
                 const double *variance, double *cov) {
  const std::size_t n = static_cast<std::size_t>(P);
  std::fill(cov, cov + n * n, 0.0);
  for (std::size_t k = 0; k < n; ++k) cov[k + k * n] = variance[k];
  return applyCorrelations(in, count, P, [&](int32_t i, int32_t j) -> double & {
    return cov[(i - 1) + static_cast<std::size_t>(j - 1) * n];
  });
}

}  // namespace

bool readCorrelations(ByteSource &source, LineStream &lines, SectionReader<LineStream> &in,
                      int64_t count, int32_t P, const double *variance, double *cov,
                      unsigned threads) {
  const uint64_t offset = lines.position();
  if (lines.failed()) return false;  // the rest of the last parameter line could not be read
  const long before = lines.linesRead();
  if (readInParallel(source, offset, count, P, variance, cov, std::max(threads, 1u))) return true;
  lines.seek(offset, before);
  return readInOrder(in, count, P, variance, cov);
}

}  // namespace geomex
