// gensol: writes a synthetic but realistic station-velocity solution file,
// in the fixed-column layout that the readers take, for examples, tests and
// benchmarks.
//
//   gensol --stations N [--seed S] [--ref K] [--out FILE]
//
// N stations (1..3333, the most the four-column parameter count admits)
// carry velocity parameters; the station section holds N + 1 records, and
// record K (1..N+1, default N/2 + 1) is the reference station named in the
// header.  With K <= N the reference station's parameter group sits at
// position K like any other station's, and the last station record has no
// parameters; with K = N + 1 the reference station is the extra record and
// has none.
//
// The stations are spread over Europe, 50 m below to 3000 m above the
// ellipsoid, and move with the Eurasian plate (about 2-3 cm/yr) plus a little
// noise; their covariance comes from covariance_model.h.  Output depends on
// the seed alone (random_stream.h).  3333 stations make a file of 1.8 GB,
// written in a few seconds.
#include <cerrno>
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
#include "tools/solution_writer.h"
#include "tools/stations.h"

namespace {

using gensol::Random;
using gensol::Station;

// The parameter count is written in four columns: at most 9999 parameters.
constexpr int kMaxStations = 3333;

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
  long v = 0;
  if (!gensol::parseInteger(text, lo, hi, v)) {
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
      if (!gensol::parseSeed(val, seed)) usage("--seed must be a non-negative integer");
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
  const std::vector<Station> st = gensol::placeStations(count + 1, rnd);
  std::vector<double> vel(3 * static_cast<std::size_t>(count));
  for (int s = 0; s < count; ++s) gensol::plateVelocity(st[s], rnd, &vel[3 * s]);
  const gensol::CovarianceModel cov(st, count, rnd);

  FILE *f = out ? std::fopen(out, "w") : stdout;
  if (!f) {
    std::fprintf(stderr, "gensol: cannot write %s: %s\n", out, std::strerror(errno));
    return 1;
  }
  const bool written = gensol::writeSolution(f, st, static_cast<int>(ref), vel, cov);
  if (!written || (out && std::fclose(f) != 0)) {
    std::fprintf(stderr, "gensol: error writing %s\n", out ? out : "standard output");
    return 1;
  }
  return 0;
}
