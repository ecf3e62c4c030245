// The generator's one source of random numbers.  Every draw is made from
// mt19937_64 bits by formulas written out here, not by the standard
// library's distributions (whose algorithms differ between libraries), so a
// seed gives the same file everywhere.
#ifndef TOOLS_RANDOM_STREAM_H
#define TOOLS_RANDOM_STREAM_H

#include <cmath>
#include <cstdint>
#include <random>

namespace gensol {

constexpr double kPi = 3.14159265358979323846;

class Random {
 public:
  explicit Random(std::uint64_t seed) : gen_(seed) {}
  // Uniform in [0, 1), 53 random bits.
  double unit() { return static_cast<double>(gen_() >> 11) * 0x1.0p-53; }
  double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
  // Box-Muller; 1 - unit() lies in (0, 1], so the logarithm is finite.
  double normal() {
    const double r = std::sqrt(-2.0 * std::log(1.0 - unit()));
    return r * std::cos(2.0 * kPi * unit());
  }
  int below(int n) { return static_cast<int>(unit() * n); }

 private:
  std::mt19937_64 gen_;
};

}  // namespace gensol

#endif  // TOOLS_RANDOM_STREAM_H
