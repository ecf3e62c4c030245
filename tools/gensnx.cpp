// gensnx: writes a synthetic frame solution in SINEX 2.02 for the tests and
// the benchmarks of readsinex: N sites with position and velocity (6N
// estimates) and their full covariance matrix.
//
//   gensnx --stations N [--seed S] [--out FILE] [--triangle L|U]
//          [--matrix COVA|CORR|INFO]
//
// The sites are gensol's stations (stations.h: spread over Europe, moving
// with the Eurasian plate, plate_velocity.h); the covariance is built from
// two of its covariance models, one for positions and one for velocities,
// tied together by each site's data window (site_covariance.h), so every
// element of the matrix is nonzero.  The matrix is written as one triangle
// (default L) of the covariance (COVA, the default), of the correlations
// with the standard deviations on the diagonal (CORR), or of its inverse,
// the normal matrix (INFO): three forms of one solution.  Output depends on
// the seed alone.  1111 sites (6666 estimates) make about 600 MB.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/covariance_model.h"
#include "tools/plate_velocity.h"
#include "tools/random_stream.h"
#include "tools/sinex_writer.h"
#include "tools/site_covariance.h"
#include "tools/stations.h"

namespace {

using gensol::DataWindow;
using gensol::Random;
using gensol::SinexTime;

// The estimate index is written in five columns: at most 99999 estimates.
constexpr int kMaxStations = 16666;

// Every estimate refers to 2015-01-01 (day 1, second 0).
constexpr SinexTime kReference{2015, 1, 0};

[[noreturn]] void usage(const char *why) {
  if (why) std::fprintf(stderr, "gensnx: %s\n", why);
  std::fprintf(why ? stderr : stdout,
               "usage: gensnx --stations N [--seed S] [--out FILE] [--triangle L|U]\n"
               "              [--matrix COVA|CORR|INFO]\n"
               "  N  sites with position and velocity, 1..%d\n"
               "  S  random seed (default 1); equal seeds give equal files\n",
               kMaxStations);
  std::exit(why ? 2 : 0);
}

double decimalYear(const SinexTime &t) {
  return t.year + (t.doy - 1 + t.sec / 86400.0) / 365.25;
}

SinexTime fromDecimalYear(double y) {
  const int year = static_cast<int>(std::floor(y));
  const double days = (y - year) * 365.0;
  const int day = static_cast<int>(days);
  return {year, 1 + day, static_cast<int>((days - day) * 86400.0)};
}

// Some years of data between 1995 and 2021, the mean halfway.
DataWindow drawWindow(Random &rnd) {
  const double start = rnd.uniform(1995.0, 2013.0);
  const double end = start + 3.0 + rnd.unit() * (2020.9 - start - 3.0);
  return {fromDecimalYear(start), fromDecimalYear(end), fromDecimalYear(0.5 * (start + end))};
}

}  // namespace

int main(int argc, char **argv) {
  long count = 0;
  std::uint64_t seed = 1;
  const char *out = nullptr;
  gensol::Triangle triangle = gensol::Triangle::Lower;
  gensol::MatrixKind kind = gensol::MatrixKind::Covariance;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") usage(nullptr);
    if (i + 1 >= argc) usage(("missing value after " + arg).c_str());
    const std::string val = argv[++i];
    if (arg == "--stations") {
      if (!gensol::parseInteger(val.c_str(), 1, kMaxStations, count))
        usage("--stations must be an integer from 1 to 16666");
    } else if (arg == "--seed") {
      if (!gensol::parseSeed(val.c_str(), seed)) usage("--seed must be a non-negative integer");
    } else if (arg == "--out") {
      out = argv[i];
    } else if (arg == "--triangle" && (val == "L" || val == "U")) {
      triangle = val == "L" ? gensol::Triangle::Lower : gensol::Triangle::Upper;
    } else if (arg == "--matrix" && (val == "COVA" || val == "CORR" || val == "INFO")) {
      kind = val == "COVA"   ? gensol::MatrixKind::Covariance
             : val == "CORR" ? gensol::MatrixKind::Correlation
                             : gensol::MatrixKind::Information;
    } else if (arg == "--triangle" || arg == "--matrix") {
      usage((arg + " takes " + (arg == "--triangle" ? "L or U" : "COVA, CORR or INFO")).c_str());
    } else {
      usage(("unknown option " + arg).c_str());
    }
  }
  if (count == 0) usage("--stations is required");

  const int n = static_cast<int>(count);
  Random rnd(seed);
  const std::vector<gensol::Station> sites = gensol::placeStations(n, rnd);
  std::vector<double> vel(3 * static_cast<std::size_t>(n));
  for (int s = 0; s < n; ++s) gensol::plateVelocity(sites[s], rnd, &vel[3 * s]);
  const gensol::CovarianceModel velocities(sites, n, rnd);
  const gensol::CovarianceModel positions(sites, n, rnd);
  std::vector<DataWindow> windows;
  std::vector<double> offsets;
  for (int s = 0; s < n; ++s) {
    windows.push_back(drawWindow(rnd));
    offsets.push_back(decimalYear(kReference) - decimalYear(windows.back().mean));
  }
  const gensol::SiteCovariance cov(positions, velocities, offsets,
                                   kind == gensol::MatrixKind::Information);

  FILE *f = out ? std::fopen(out, "w") : stdout;
  if (!f) {
    std::fprintf(stderr, "gensnx: cannot write %s: %s\n", out, std::strerror(errno));
    return 1;
  }
  const gensol::SinexSolution sol{sites, vel, windows, kReference, cov};
  const bool written = gensol::writeSinex(f, sol, triangle, kind);
  if (!written || (out && std::fclose(f) != 0)) {
    std::fprintf(stderr, "gensnx: error writing %s\n", out ? out : "standard output");
    return 1;
  }
  return 0;
}
