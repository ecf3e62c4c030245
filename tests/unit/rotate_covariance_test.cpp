// The block-wise covariance rotation behind velsol2enu, without a host:
// the same bits for any thread count, and the values of the dense product
// R D C D' R' it stands for.
#include "enu/rotate_covariance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct Case {
  std::size_t groups, ldc;
  std::vector<double> cov, rot;
  std::vector<std::size_t> pick;
};

// A random symmetric covariance of `groups` groups, random rotations, and a
// random choice of groups (some left out, order changed).
Case randomCase(std::mt19937_64 &rng, std::size_t groups) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Case c;
  c.groups = groups;
  c.ldc = 3 * groups;
  c.cov.assign(c.ldc * c.ldc, 0.0);
  for (std::size_t j = 0; j < c.ldc; ++j)
    for (std::size_t i = j; i < c.ldc; ++i)
      c.cov[i + j * c.ldc] = c.cov[j + i * c.ldc] = u(rng) * 1e-6 + (i == j ? 4e-6 : 0.0);
  for (std::size_t g = 0; g < groups; ++g)
    if (rng() % 4 != 0) c.pick.push_back(g);
  std::shuffle(c.pick.begin(), c.pick.end(), rng);
  for (std::size_t k = 0; k < 9 * c.pick.size(); ++k) c.rot.push_back(u(rng));
  return c;
}

std::vector<double> rotate(const Case &c, std::size_t reference, unsigned threads) {
  const std::size_t n = 3 * c.pick.size();
  std::vector<double> out(n * n, -1.0);
  const geomex::RotationPlan plan{c.pick.data(), c.rot.data(), c.pick.size(), reference};
  geomex::rotateCovariance(c.cov.data(), c.ldc, plan, out.data(), threads);
  return out;
}

// The dense product, term by term in long double.
long double denseElement(const Case &c, std::size_t reference, std::size_t r, std::size_t s) {
  auto selected = [&](std::size_t row, std::size_t p) -> long double {
    // Row `row` of D C as a function of parameter p: group difference or not.
    const std::size_t g = row / 3, q = row % 3;
    auto at = [&](std::size_t grp) {
      return static_cast<long double>(c.cov[(3 * c.pick[grp] + q) + p * c.ldc]);
    };
    if (reference == geomex::kNoReference) return at(g);
    return g == reference ? 0.0L : at(g) - at(reference);
  };
  long double sum = 0;
  const std::size_t gr = r / 3, gs = s / 3;
  for (std::size_t a = 0; a < 3; ++a)
    for (std::size_t b = 0; b < 3; ++b) {
      const long double rr = c.rot[9 * gr + (r % 3) + 3 * a];
      const long double rs = c.rot[9 * gs + (s % 3) + 3 * b];
      // (D C D')(3gr + a, 3gs + b)
      const std::size_t pcol = 3 * c.pick[gs] + b;
      auto col = [&](std::size_t p) { return selected(3 * gr + a, p); };
      long double dcd = col(pcol);
      if (reference != geomex::kNoReference)
        dcd = gs == reference ? 0.0L : col(pcol) - col(3 * c.pick[reference] + b);
      sum += rr * dcd * rs;
    }
  return sum;
}

TEST(RotateCovariance, SameBitsForAnyThreadCountAndTheDenseValues) {
  std::mt19937_64 rng(5);
  for (int round = 0; round < 12; ++round) {
    const Case c = randomCase(rng, 1 + rng() % 90);
    const std::size_t m = c.pick.size();
    for (std::size_t reference : {geomex::kNoReference, m > 0 ? rng() % m : geomex::kNoReference}) {
      const std::vector<double> one = rotate(c, reference, 1);
      for (unsigned threads : {2u, 3u, 4u}) {
        const std::vector<double> many = rotate(c, reference, threads);
        ASSERT_EQ(0, std::memcmp(one.data(), many.data(), one.size() * sizeof(double)))
            << round << " threads " << threads;
      }
      const std::size_t n = 3 * m;
      for (std::size_t s = 0; s < n; ++s)
        for (std::size_t r = 0; r < n; ++r) {
          ASSERT_EQ(one[r + s * n], one[s + r * n]) << "not symmetric";
          const long double want = denseElement(c, reference, r, s);
          ASSERT_NEAR(static_cast<double>(want), one[r + s * n], 1e-20) << round << " " << r << "," << s;
        }
    }
  }
}

}  // namespace
