#include "enu/rotate_covariance.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace geomex {
namespace {

// Result groups per tile edge.  A tile of the input, its result and the
// mirrored result tile (3 x 96 x 96 doubles, 216 kB) stay in the L2 cache
// while the tile is worked on, so the mirrored writes, which cross columns,
// cost no extra trips to memory.
constexpr std::size_t kTile = 32;

struct Block {
  double v[9];  // column-major 3 x 3
  double &operator()(int r, int c) { return v[r + 3 * c]; }
  double operator()(int r, int c) const { return v[r + 3 * c]; }
};

class Rotator {
 public:
  Rotator(const double *cov, std::size_t ldc, const RotationPlan &plan, double *result)
      : cov_(cov), ldc_(ldc), plan_(plan), out_(result), ldo_(3 * plan.count) {}

  // Result tile (ti, tj), ti >= tj, and its mirror above the diagonal.
  void tile(std::size_t ti, std::size_t tj) const {
    const std::size_t m = plan_.count;
    const std::size_t jEnd = tj * kTile + kTile < m ? tj * kTile + kTile : m;
    const std::size_t iEnd = ti * kTile + kTile < m ? ti * kTile + kTile : m;
    for (std::size_t j = tj * kTile; j < jEnd; ++j) {
      const std::size_t iBegin = ti == tj ? j : ti * kTile;
      for (std::size_t i = iBegin; i < iEnd; ++i) block(i, j);
    }
  }

 private:
  // The 3 x 3 block of C at groups (g, h), read from the lower triangle.
  Block read(std::size_t g, std::size_t h) const {
    Block b;
    if (g >= h) {
      const double *p = cov_ + 3 * g + 3 * h * ldc_;
      for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) b(r, c) = p[r + c * ldc_];
      if (g == h) {  // the diagonal block's upper half mirrors its lower
        b(0, 1) = b(1, 0);
        b(0, 2) = b(2, 0);
        b(1, 2) = b(2, 1);
      }
    } else {
      const double *p = cov_ + 3 * h + 3 * g * ldc_;
      for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) b(r, c) = p[c + r * ldc_];
    }
    return b;
  }

  // Block (i, j) of D C D': with a reference r, (C_ij - C_ir) - (C_rj - C_rr),
  // grouped so that i = r or j = r gives exact zeros.
  Block input(std::size_t i, std::size_t j) const {
    const std::size_t gi = plan_.groups[i], gj = plan_.groups[j];
    Block x = read(gi, gj);
    if (plan_.reference != kNoReference) {
      const std::size_t gr = plan_.groups[plan_.reference];
      const Block ir = read(gi, gr), rj = read(gr, gj), rr = read(gr, gr);
      for (int k = 0; k < 9; ++k) x.v[k] = (x.v[k] - ir.v[k]) - (rj.v[k] - rr.v[k]);
    }
    return x;
  }

  void block(std::size_t i, std::size_t j) const {
    const Block x = input(i, j);
    const double *ri = plan_.rotations + 9 * i;
    const double *rj = plan_.rotations + 9 * j;
    // t = x * Rj', then y = Ri * t.
    Block t;
    for (int k = 0; k < 3; ++k)
      for (int b = 0; b < 3; ++b)
        t(k, b) = x(k, 0) * rj[b] + x(k, 1) * rj[b + 3] + x(k, 2) * rj[b + 6];
    Block y;
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
        y(a, b) = ri[a] * t(0, b) + ri[a + 3] * t(1, b) + ri[a + 6] * t(2, b);
    double *lower = out_ + 3 * i + 3 * j * ldo_;
    if (i == j) {
      for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) lower[r + c * ldo_] = r >= c ? y(r, c) : y(c, r);
      return;
    }
    double *upper = out_ + 3 * j + 3 * i * ldo_;
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) {
        lower[r + c * ldo_] = y(r, c);
        upper[c + r * ldo_] = y(r, c);
      }
  }

  const double *cov_;
  std::size_t ldc_;
  RotationPlan plan_;
  double *out_;
  std::size_t ldo_;
};

// Tiles on and below the diagonal, numbered down each tile column in turn.
void tileAt(std::size_t k, std::size_t tiles, std::size_t &ti, std::size_t &tj) {
  tj = 0;
  while (k >= tiles - tj) {
    k -= tiles - tj;
    ++tj;
  }
  ti = tj + k;
}

}  // namespace

void rotateCovariance(const double *cov, std::size_t ldc, const RotationPlan &plan,
                      double *result, unsigned threads) {
  const std::size_t tiles = (plan.count + kTile - 1) / kTile;
  const std::size_t total = tiles * (tiles + 1) / 2;
  const Rotator rotator(cov, ldc, plan, result);
  // Tiles are handed out one at a time, so threads that get less of the
  // machine simply take fewer of them.
  std::atomic<std::size_t> next{0};
  auto work = [&]() {
    for (std::size_t k = next.fetch_add(1); k < total; k = next.fetch_add(1)) {
      std::size_t ti, tj;
      tileAt(k, tiles, ti, tj);
      rotator.tile(ti, tj);
    }
  };
  if (threads <= 1 || total < 2) {
    work();
    return;
  }
  std::vector<std::thread> pool;
  pool.reserve(threads - 1);
  for (unsigned t = 1; t < threads; ++t) {
    // Fewer threads than asked for change nothing but the time.
    try {
      pool.emplace_back(work);
    } catch (const std::system_error &) {
      break;
    }
  }
  work();
  for (auto &th : pool) th.join();
}

}  // namespace geomex
