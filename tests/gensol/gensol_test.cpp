// The solution generator beyond the 99 stations the bundled example and the
// legacy reader cover: its E22.15 formatter against printf, and the record
// layouts of a 400-station file (1200 parameters, 719,400 correlations).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "tools/covariance_model.h"
#include "tools/fortran_e.h"
#include "tools/site_covariance.h"
#include "tools/stations.h"

namespace {

std::string fast(double v) {
  char buf[gensol::kFortranEMax];
  return std::string(buf, gensol::fortranE(v, buf));
}

std::string printfE(double v) {
  char buf[gensol::kFortranEMax];
  return std::string(buf, gensol::fortranEPrintf(v, buf));
}

// The fast formatter writes printf's digits for every double: random bit
// patterns, the correlations' range densely, exact ties (2^-22 has sixteen
// significant digits ending in 5), and numbers around powers of ten that
// round up to the next one or keep all their nines.
TEST(FortranE, MatchesPrintf) {
  std::mt19937_64 gen(42);
  auto same = [](double v) { ASSERT_EQ(fast(v), printfE(v)) << std::hexfloat << v; };
  for (int i = 0; i < 300000; ++i) {
    std::uint64_t bits = gen();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) same(v);
    const double r = std::ldexp(static_cast<double>(gen() >> 11), -53 - static_cast<int>(gen() % 60));
    same(r);
    same(-r);
  }
  for (int k = -1074; k < 1024; ++k) {
    const double v = std::ldexp(1.0, k);
    for (double x : {v, std::nextafter(v, 0.0), std::nextafter(v, 2 * v)}) same(x);
  }
  for (int k = -320; k < 300; ++k) {
    const double v = std::pow(10.0, k);
    for (double x : {v, std::nextafter(v, 0.0), std::nextafter(v, 2 * v), v * (1 - 4e-16),
                     v * (1 - 6e-16), -v})
      same(x);
  }
  EXPECT_EQ(fast(std::ldexp(1.0, -22)), "0.238418579101562E-06");  // tie, to even
  EXPECT_EQ(fast(-0.0), "0.000000000000000E+00");
  EXPECT_EQ(fast(0.999999999999999999), "0.100000000000000E+01");
  EXPECT_EQ(fast(-0.0999999999999999), "-0.999999999999999E-01");
  EXPECT_EQ(fast(1e-101), "0.000000000000000E+00");
}

// "[-]0.<15 digits>E<sign><2 digits>" right-aligned in `width` columns,
// first digit not 0.
bool isE(const std::string &field, std::size_t width) {
  if (field.size() != width) return false;
  std::size_t i = field.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (field[i] == '-') ++i;
  const std::string t = field.substr(i);
  if (t.size() != 21 || t.compare(0, 2, "0.") != 0 || t[2] == '0' || t[17] != 'E' ||
      (t[18] != '+' && t[18] != '-'))
    return false;
  for (std::size_t k : {2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 16u, 19u, 20u})
    if (t[k] < '0' || t[k] > '9') return false;
  return true;
}

std::string pad4(int k) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%4d", k);
  return buf;
}

TEST(Gensol, FourHundredStationFileHasTheFormatsLayout) {
  const int n = 400, m = 3 * n;
  const std::string file = std::string(GENSOL_TEST_DIR) + "/gensol_400.sol";
  const std::string cmd = std::string("\"") + GENSOL_PATH + "\" --stations 400 --seed 3 --out \"" +
                          file + "\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(file);
  std::string line;

  // Header (X,I4,A8,X,A3); the reference is record n/2 + 1 by default.
  ASSERT_TRUE(std::getline(in, line));
  ASSERT_EQ(line.size(), 17u);
  EXPECT_EQ(line.substr(0, 5), " 1200");
  EXPECT_EQ(line.substr(14), "XYZ");
  const std::string ref = line.substr(5, 8);

  // Stations (A8,3(F19.7)): distinct names of 4 letters and 4 blanks.
  std::set<std::string> names;
  std::string name[n + 1];
  for (int s = 0; s <= n; ++s) {
    ASSERT_TRUE(std::getline(in, line));
    ASSERT_EQ(line.size(), 65u) << line;
    name[s] = line.substr(0, 8);
    EXPECT_EQ(name[s].find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 4u) << line;
    EXPECT_EQ(name[s].substr(4), "    ");
    names.insert(name[s]);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(line[8 + 19 * c + 11], '.') << line;
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(n + 1));
  EXPECT_EQ(ref, name[n / 2]);

  // Parameters (X,I4,10X,A8,2X,E22.15,6X,E21.15): three per station in order.
  for (int k = 1; k <= m; ++k) {
    ASSERT_TRUE(std::getline(in, line));
    ASSERT_EQ(line.size(), 74u) << line;
    EXPECT_EQ(line.substr(0, 5), " " + pad4(k));
    EXPECT_EQ(line.substr(15, 8), name[(k - 1) / 3]);
    EXPECT_TRUE(isE(line.substr(25, 22), 22)) << line;
    EXPECT_EQ(line.substr(47, 6), "  +-  ");
    EXPECT_TRUE(isE(line.substr(53, 21), 21) && line[53] != '-') << line;
  }

  // Correlations (X,I4,2X,I4,2X,E22.15): the strict lower triangle row by
  // row, each a correlation.
  long records = 0;
  bool layout = true, order = true, range = true;
  for (int i = 2; i <= m; ++i)
    for (int j = 1; j < i; ++j) {
      if (!std::getline(in, line)) break;
      ++records;
      layout = layout && line.size() == 35 && isE(line.substr(13), 22);
      order = order && line.compare(0, 13, " " + pad4(i) + "  " + pad4(j) + "  ") == 0;
      range = range && std::fabs(std::strtod(line.c_str() + 13, nullptr)) < 1.0;
    }
  EXPECT_EQ(records, static_cast<long>(m) * (m - 1) / 2);
  EXPECT_TRUE(layout);
  EXPECT_TRUE(order);
  EXPECT_TRUE(range);
  EXPECT_FALSE(std::getline(in, line));
  in.close();
  std::remove(file.c_str());
}

// SINEX's values: C's %.14E, the digits of the Fortran formatter.
TEST(ScientificE, MatchesPrintf) {
  std::mt19937_64 gen(7);
  for (int i = 0; i < 200000; ++i) {
    std::uint64_t bits = gen();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v) || std::fabs(v) < 1e-99) continue;
    char want[40], got[gensol::kFortranEMax];
    std::snprintf(want, sizeof want, "%.14E", v);
    ASSERT_EQ(std::string(got, gensol::scientificE(v, got)), want) << std::hexfloat << v;
  }
  char got[gensol::kFortranEMax];
  EXPECT_EQ(std::string(got, gensol::scientificE(0.0, got)), "0.00000000000000E+00");
  EXPECT_EQ(std::string(got, gensol::scientificE(-9.999999999999999e-3, got)),
            "-1.00000000000000E-02");
}

// gensnx's three matrices of one solution: the normal matrix is the
// inverse of the covariance, and both are exactly symmetric, so L and U
// files carry the same numbers.
TEST(SiteCovariance, InformationIsTheInverse) {
  const int n = 5, p = 6 * n;
  gensol::Random rnd(11);
  const auto sites = gensol::placeStations(n, rnd);
  const gensol::CovarianceModel vel(sites, n, rnd), pos(sites, n, rnd);
  std::vector<double> t;
  for (int s = 0; s < n; ++s) t.push_back(rnd.uniform(-10.0, 10.0));
  const gensol::SiteCovariance c(pos, vel, t, true);
  ASSERT_EQ(c.size(), p);
  for (int a = 0; a < p; ++a)
    for (int b = 0; b < p; ++b) {
      double sum = 0.0, scale = 0.0;
      for (int k = 0; k < p; ++k) {
        sum += c.covariance(a, k) * c.information(k, b);
        scale += std::fabs(c.covariance(a, k) * c.information(k, b));
      }
      EXPECT_NEAR(sum, a == b ? 1.0 : 0.0, 1e-9 * scale) << a << " " << b;
      EXPECT_EQ(c.covariance(a, b), c.covariance(b, a));
      EXPECT_EQ(c.information(a, b), c.information(b, a));
    }
}

}  // namespace
