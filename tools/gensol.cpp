// gensol: writes a synthetic but realistic station-velocity solution file,
// in the fixed-column layout that tosqumg reads, for examples and tests.
//
//   gensol --stations N [--seed S] [--ref K] [--out FILE]
//
// N stations (1..99) carry velocity parameters; the station section holds
// N + 1 records, and record K (1..N+1, default N/2 + 1) is the reference
// station named in the header.  With K <= N the reference station's
// parameter group sits at position K like any other station's, and the last
// station record has no parameters; with K = N + 1 the reference station is
// the extra record and has none.
//
// The stations are spread over Europe, 50 m below to 3000 m above the
// ellipsoid, and move with the Eurasian plate (about 2-3 cm/yr) plus a little
// noise.  The covariance is built in each station's east/north/up frame
// (horizontal sigmas smaller than vertical ones), rotated to X/Y/Z, and tied
// across stations by a few common-mode factors, so it is positive definite by
// construction.  Output depends on the seed alone: the generator draws its
// numbers from mt19937_64 bits, not from the library's distributions, whose
// algorithms differ between standard libraries.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kMasPerYear = kPi / (180.0 * 3600.0 * 1000.0);  // rad/yr

// WGS 84, the ellipsoid tosqumg converts positions on.
constexpr double kA = 6378137.0;
constexpr double kF = 1.0 / 298.257223563;
constexpr double kE2 = 2.0 * kF - kF * kF;

// Eurasian plate rotation in ITRF2014 (Altamimi et al. 2017), mas/yr.
constexpr double kOmega[3] = {-0.085 * kMasPerYear, -0.531 * kMasPerYear,
                              0.770 * kMasPerYear};

// The region the stations are drawn from, degrees.
constexpr double kLatMin = 36.0, kLatMax = 64.0;
constexpr double kLonMin = -9.0, kLonMax = 28.0;

constexpr int kMaxStations = 99;  // tosqumg's vel holds 99 columns

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

struct Station {
  std::string name;  // 4 letters; padded to 8 when written
  double lat, lon, h;  // degrees, degrees, metres
  double xyz[3];
  double enu[3][3];    // rows: unit vectors east, north, up in X/Y/Z
};

void toCartesian(Station &s) {
  const double phi = s.lat * kDeg, lam = s.lon * kDeg;
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double sl = std::sin(lam), cl = std::cos(lam);
  const double n = kA / std::sqrt(1.0 - kE2 * sp * sp);
  s.xyz[0] = (n + s.h) * cp * cl;
  s.xyz[1] = (n + s.h) * cp * sl;
  s.xyz[2] = (n * (1.0 - kE2) + s.h) * sp;
  const double e[3][3] = {{-sl, cl, 0.0}, {-sp * cl, -sp * sl, cp}, {cp * cl, cp * sl, sp}};
  std::memcpy(s.enu, e, sizeof e);
}

// Pronounceable four-letter codes (consonant, vowel, consonant, vowel or
// consonant) read better on the map than random letters.
std::string makeName(Random &rnd) {
  static const char cons[] = "BCDFGHKLMNPRSTVZ";
  static const char vow[] = "AEIOU";
  std::string s;
  s += cons[rnd.below(sizeof cons - 1)];
  s += vow[rnd.below(sizeof vow - 1)];
  s += cons[rnd.below(sizeof cons - 1)];
  s += rnd.unit() < 0.5 ? vow[rnd.below(sizeof vow - 1)] : cons[rnd.below(sizeof cons - 1)];
  return s;
}

// Stations keep a minimum distance so that their labels stay apart on a map;
// the distance shrinks when the region fills up.
std::vector<Station> placeStations(int count, Random &rnd) {
  std::vector<Station> st;
  double dmin = 4.0;  // degrees of arc, roughly
  while (static_cast<int>(st.size()) < count) {
    Station s{};
    bool placed = false;
    for (int attempt = 0; attempt < 500 && !placed; ++attempt) {
      s.lat = rnd.uniform(kLatMin, kLatMax);
      s.lon = rnd.uniform(kLonMin, kLonMax);
      placed = true;
      for (const Station &o : st) {
        const double dlat = s.lat - o.lat;
        const double dlon = (s.lon - o.lon) * std::cos(0.5 * (s.lat + o.lat) * kDeg);
        if (dlat * dlat + dlon * dlon < dmin * dmin) {
          placed = false;
          break;
        }
      }
    }
    if (!placed) {
      dmin *= 0.8;
      continue;
    }
    // Most stations sit low; a few are on mountains.
    const double u = rnd.unit();
    s.h = -50.0 + 3050.0 * u * u * u;
    for (bool unique = false; !unique;) {
      s.name = makeName(rnd);
      unique = true;
      for (const Station &o : st) unique = unique && o.name != s.name;
    }
    toCartesian(s);
    st.push_back(s);
  }
  return st;
}

// Plate rotation plus a small intraplate and noise term, m/yr.
void velocity(const Station &s, Random &rnd, double v[3]) {
  const double *r = s.xyz;
  const double *w = kOmega;
  const double rot[3] = {w[1] * r[2] - w[2] * r[1], w[2] * r[0] - w[0] * r[2],
                         w[0] * r[1] - w[1] * r[0]};
  const double local[3] = {0.4e-3 * rnd.normal(), 0.4e-3 * rnd.normal(), 1.0e-3 * rnd.normal()};
  for (int i = 0; i < 3; ++i)
    v[i] = rot[i] + local[0] * s.enu[0][i] + local[1] * s.enu[1][i] + local[2] * s.enu[2][i];
}

// Covariance of the 3 * count velocity parameters (m/yr squared), row-major.
std::vector<double> covariance(const std::vector<Station> &st, int count, Random &rnd) {
  const int m = 3 * count;
  std::vector<double> c(static_cast<std::size_t>(m) * m, 0.0);
  auto at = [&](int i, int j) -> double & { return c[static_cast<std::size_t>(i) * m + j]; };

  for (int s = 0; s < count; ++s) {
    // East/north/up sigmas and correlations; the small correlations keep the
    // 3 x 3 matrix well inside the positive-definite range.
    const double sig[3] = {rnd.uniform(0.15e-3, 0.9e-3), rnd.uniform(0.15e-3, 0.9e-3),
                           rnd.uniform(0.6e-3, 1.9e-3)};
    const double rho_en = rnd.uniform(-0.3, 0.3);
    const double rho_eu = rnd.uniform(-0.15, 0.15);
    const double rho_nu = rnd.uniform(-0.15, 0.15);
    const double q[3][3] = {{sig[0] * sig[0], rho_en * sig[0] * sig[1], rho_eu * sig[0] * sig[2]},
                            {rho_en * sig[0] * sig[1], sig[1] * sig[1], rho_nu * sig[1] * sig[2]},
                            {rho_eu * sig[0] * sig[2], rho_nu * sig[1] * sig[2], sig[2] * sig[2]}};
    // X/Y/Z block = E^T Q E, E's rows being the local unit vectors.
    const auto &e = st[s].enu;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        double sum = 0.0;
        for (int a = 0; a < 3; ++a)
          for (int b = 0; b < 3; ++b) sum += e[a][i] * q[a][b] * e[b][j];
        at(3 * s + i, 3 * s + j) = sum;
      }
  }

  // Common-mode errors (frame realisation, shared models) correlate all
  // stations a little; each loads with its own weight.
  constexpr int kFactors = 3;
  for (int f = 0; f < kFactors; ++f) {
    double t[3] = {rnd.normal(), rnd.normal(), rnd.normal()};
    const double scale = rnd.uniform(0.05e-3, 0.12e-3) /
                         std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
    for (double &x : t) x *= scale;
    std::vector<double> load(m);
    for (int s = 0; s < count; ++s) {
      const double w = rnd.uniform(0.7, 1.3);
      for (int i = 0; i < 3; ++i) load[3 * s + i] = w * t[i];
    }
    for (int i = 0; i < m; ++i)
      for (int j = 0; j < m; ++j) at(i, j) += load[i] * load[j];
  }
  return c;
}

// Fortran's E editing: sign, "0.", fifteen digits, a signed two-digit
// exponent, e.g. "-0.123456789012345E-01" (22 characters).  Values whose
// exponent needs three digits are far below anything a solution carries and
// are written as zero.
std::string fortranE(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));  // d.dddddddddddddde+XX
  const int exp = std::atoi(buf + 17) + 1;
  if (v == 0.0 || exp < -99) return "0.000000000000000E+00";
  std::string s = v < 0.0 ? "-0." : "0.";
  s += buf[0];
  s.append(buf + 2, 14);
  std::snprintf(buf, sizeof buf, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
  return s + buf;
}

// Without a reason (--help) the usage is the answer asked for: exit 0.
[[noreturn]] void usage(const char *why) {
  if (why) std::fprintf(stderr, "gensol: %s\n", why);
  std::fprintf(why ? stderr : stdout,
               "usage: gensol --stations N [--seed S] [--ref K] [--out FILE]\n"
               "  N  stations with velocity parameters, 1..%d\n"
               "  S  random seed (default 1); equal seeds give equal files\n"
               "  K  station record of the reference station, 1..N+1 (default N/2+1)\n",
               kMaxStations);
  std::exit(why ? 2 : 0);
}

long parseInt(const char *text, long lo, long hi, const char *what) {
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi) {
    char msg[128];
    std::snprintf(msg, sizeof msg, "%s must be an integer from %ld to %ld", what, lo, hi);
    usage(msg);
  }
  return v;
}

}  // namespace

int main(int argc, char **argv) {
  int count = 0;
  std::uint64_t seed = 1;
  long ref = 0;
  const char *out = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") usage(nullptr);
    if (i + 1 >= argc) usage(("missing value after " + arg).c_str());
    const char *val = argv[++i];
    if (arg == "--stations") {
      count = static_cast<int>(parseInt(val, 1, kMaxStations, "--stations"));
    } else if (arg == "--seed") {
      char *end = nullptr;
      errno = 0;
      seed = std::strtoull(val, &end, 10);
      if (errno != 0 || end == val || *end != '\0' || val[0] == '-')
        usage("--seed must be a non-negative integer");
    } else if (arg == "--ref") {
      ref = parseInt(val, 1, kMaxStations + 1, "--ref");
    } else if (arg == "--out") {
      out = val;
    } else {
      usage(("unknown option " + arg).c_str());
    }
  }
  if (count == 0) usage("--stations is required");
  if (ref == 0) ref = count / 2 + 1;
  if (ref > count + 1) usage("--ref must not exceed the station count plus one");

  Random rnd(seed);
  // count + 1 station records; the first `count` carry parameters.
  const std::vector<Station> st = placeStations(count + 1, rnd);
  std::vector<double> vel(3 * count);
  for (int s = 0; s < count; ++s) velocity(st[s], rnd, &vel[3 * s]);
  const std::vector<double> cov = covariance(st, count, rnd);
  const int m = 3 * count;

  FILE *f = out ? std::fopen(out, "w") : stdout;
  if (!f) {
    std::fprintf(stderr, "gensol: cannot write %s: %s\n", out, std::strerror(errno));
    return 1;
  }
  // (X,I4,A8,X,A3): parameter count, reference station, coordinate system.
  std::fprintf(f, " %4d%-8s %-3s\n", m, st[ref - 1].name.c_str(), "XYZ");
  // (A8,3(F19.7)): Cartesian positions, metres.
  for (const Station &s : st)
    std::fprintf(f, "%-8s%19.7f%19.7f%19.7f\n", s.name.c_str(), s.xyz[0], s.xyz[1], s.xyz[2]);
  // (X,I4,10X,A8,2X,E22.15,6X,E21.15): velocity component and sigma, m/yr;
  // the skipped columns label the component for a human reader.
  static const char *const comp[3] = {"  VX      ", "  VY      ", "  VZ      "};
  for (int k = 0; k < m; ++k) {
    const double sigma = std::sqrt(cov[static_cast<std::size_t>(k) * m + k]);
    std::fprintf(f, " %4d%s%-8s  %22s  +-  %21s\n", k + 1, comp[k % 3], st[k / 3].name.c_str(),
                 fortranE(vel[k]).c_str(), fortranE(sigma).c_str());
  }
  // (X,I4,2X,I4,2X,E22.15): correlations, strict lower triangle row by row.
  for (int i = 1; i < m; ++i)
    for (int j = 0; j < i; ++j) {
      const double cij = cov[static_cast<std::size_t>(i) * m + j];
      const double rho = cij / std::sqrt(cov[static_cast<std::size_t>(i) * m + i] *
                                         cov[static_cast<std::size_t>(j) * m + j]);
      std::fprintf(f, " %4d  %4d  %22s\n", i + 1, j + 1, fortranE(rho).c_str());
    }

  if (std::ferror(f) || (out && std::fclose(f) != 0)) {
    std::fprintf(stderr, "gensol: error writing %s\n", out ? out : "standard output");
    return 1;
  }
  return 0;
}
