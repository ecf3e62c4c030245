// The whole reader on arbitrary file contents.
//
// Result areas are heap blocks of exactly their sizes (3 x 99, 297 x 297, 1,
// 3 x 100 doubles): a write outside them is an ASan report.  Inside them,
// everything beyond what the file's station count allows must stay 0.0.
// The diagnostic lines must be the known ones, a failure must name the file
// and the line, and a second reading of the same contents after another
// solution (which fills the working tables) must give the same results bit
// for bit: nothing of an earlier call may show.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "reader/tosqum.h"

using namespace geomex;

namespace {

constexpr std::size_t kVel = kVelRows * kVelCols;
constexpr std::size_t kCov = std::size_t{kOutcovDim} * kOutcovDim;
constexpr std::size_t kLlh = kLlhRows * kLlhCols;
const char kName[] = "fuzz.sol";

std::vector<std::string> *gLines = nullptr;
void collect(const char *line) { gLines->push_back(line); }

// The result areas, allocated once at their exact sizes and cleared before
// every reading (as the gateway's fresh matrices are).
struct Results {
  double *vel = new double[kVel];
  double *outcov = new double[kCov];
  double *nvec = new double[1];
  double *llh = new double[kLlh];
  std::vector<std::string> lines;
  TosqumStatus status{};
  void clear() {
    std::memset(vel, 0, kVel * sizeof(double));
    std::memset(outcov, 0, kCov * sizeof(double));
    *nvec = 0.0;
    std::memset(llh, 0, kLlh * sizeof(double));
    lines.clear();
  }
};

void read(const uint8_t *data, std::size_t size, Results &r) {
  r.clear();
  // Exactly sized copy of the file: reading past its end is an ASan report.
  char *text = new char[size ? size : 1];
  if (size) std::memcpy(text, data, size);
  gLines = &r.lines;
  r.status = tosqumText(text, size, kName, r.vel, r.outcov, r.nvec, r.llh, collect);
  gLines = nullptr;
  delete[] text;
}

// A solution of 10 stations with every covariance entry set, read between
// the two readings of the fuzz input.
const std::string &otherSolution() {
  static const std::string text = [] {
    constexpr int nvec = 10, n = 3 * nvec;
    std::string t;
    char line[128];
    std::snprintf(line, sizeof line, " %4dPOISON03 XYZ\n", n);
    t += line;
    for (int j = 1; j <= nvec + 1; ++j) {
      std::snprintf(line, sizeof line, "POISON%02d%19.7f%19.7f%19.7f\n", j, 4000000.0 + j,
                    300000.0 * j, 4900000.0 - j);
      t += line;
    }
    for (int k = 1; k <= n; ++k) {
      std::snprintf(line, sizeof line, " %4d          POISON%02d  %22.15E      %21.15E\n", k,
                    (k + 2) / 3, 0.001 * k, 0.0001 * k);
      t += line;
    }
    for (int i = 2; i <= n; ++i)
      for (int j = 1; j < i; ++j) {
        std::snprintf(line, sizeof line, " %4d  %4d  %22.15E\n", i, j, 0.3);
        t += line;
      }
    return t;
  }();
  return text;
}

const double kZeros[kCov] = {};

// The checks below are not part of what is fuzzed: keep them out of the
// coverage feedback (and fast).
#define NOT_FUZZED __attribute__((no_sanitize("coverage")))

NOT_FUZZED bool zeroFrom(const double *a, std::size_t from, std::size_t to) {
  return from >= to || std::memcmp(a + from, kZeros, (to - from) * sizeof(double)) == 0;
}

NOT_FUZZED void checkShape(const Results &r) {
  const TosqumStatus &s = r.status;
  FUZZ_CHECK(std::memchr(s.message, '\0', sizeof s.message) != nullptr, "message not ended");
  if (!s.ok) {
    const std::string msg = s.message;
    FUZZ_CHECK(msg.rfind(std::string("file '") + kName + "', line ", 0) == 0,
               "failure message does not name the file and line: %s", s.message);
    return;
  }
  FUZZ_CHECK(s.message[0] == '\0', "message on success: %s", s.message);

  const double v = *r.nvec;
  for (const std::string &l : r.lines)
    FUZZ_CHECK(l == " ** Error in opening file ** " || l == " ** Number of Vectors exceeds Maxvec ** " ||
                   l == " ** Reference station not found ** " || l.rfind(" match ", 0) == 0,
               "unknown line \"%s\"", l.c_str());

  if (!r.lines.empty() && r.lines[0] == " ** Number of Vectors exceeds Maxvec ** ") {
    FUZZ_CHECK(r.lines.size() == 2 && r.lines[1] == " ** Error in opening file ** ",
               "station-limit lines");
    FUZZ_CHECK(zeroFrom(r.vel, 0, kVel) && zeroFrom(r.outcov, 0, kCov) && sameBits(v, 0.0) &&
                   zeroFrom(r.llh, 0, kLlh),
               "results written after the station-limit message");
    return;
  }

  const int nvec = static_cast<int>(v);
  FUZZ_CHECK(static_cast<double>(nvec) == v && nvec >= -333 && nvec < Maxvec, "nvec output %g", v);
  if (nvec < 0) {
    FUZZ_CHECK(r.lines.empty(), "lines for a negative count");
    FUZZ_CHECK(zeroFrom(r.vel, 0, kVel) && zeroFrom(r.outcov, 0, kCov) && zeroFrom(r.llh, 0, kLlh),
               "results written for a negative count");
    return;
  }

  // Which station the reference is: the last "match", else the last record.
  int refind = 0, lastMatch = 0;
  bool notFound = false;
  for (const std::string &l : r.lines) {
    if (l == " ** Reference station not found ** ") {
      notFound = true;
      continue;
    }
    const int j = std::atoi(l.c_str() + 7);
    FUZZ_CHECK(j > lastMatch && j <= nvec + 1, "match %d after %d, %d stations", j, lastMatch,
               nvec + 1);
    lastMatch = refind = j;
  }
  FUZZ_CHECK(notFound == (refind == 0), "not-found line and match lines disagree");
  if (refind == 0) refind = nvec + 1;

  const std::size_t n = 3 * static_cast<std::size_t>(nvec);
  const std::size_t kept = refind <= nvec ? n - 3 : n;  // outcov's order
  FUZZ_CHECK(zeroFrom(r.vel, n, kVel), "vel written beyond station %d", nvec);
  FUZZ_CHECK(zeroFrom(r.llh, 3 * (nvec + 1), kLlh), "llh written beyond column %d", nvec + 1);
  for (std::size_t c = 0; c < kOutcovDim; ++c) {
    const std::size_t from = c < kept ? kept : 0;
    FUZZ_CHECK(zeroFrom(r.outcov + c * kOutcovDim, from, kOutcovDim),
               "outcov column %zu written beyond row %zu (order %zu)", c + 1, from, kept);
    for (std::size_t i = 0; i < c && c < kept; ++i)
      FUZZ_CHECK(sameBits(r.outcov[i + c * kOutcovDim], r.outcov[c + i * kOutcovDim]),
                 "outcov not symmetric at (%zu, %zu)", i + 1, c + 1);
  }
}

NOT_FUZZED void checkSame(const Results &a, const Results &b) {
  FUZZ_CHECK(a.status.ok == b.status.ok && std::strcmp(a.status.message, b.status.message) == 0,
             "status differs on rereading: \"%s\" vs \"%s\"", a.status.message, b.status.message);
  FUZZ_CHECK(a.lines == b.lines, "lines differ on rereading");
  if (!a.status.ok) return;  // the areas are discarded then
  FUZZ_CHECK(std::memcmp(a.vel, b.vel, kVel * sizeof(double)) == 0, "vel differs on rereading");
  FUZZ_CHECK(std::memcmp(a.outcov, b.outcov, kCov * sizeof(double)) == 0,
             "outcov differs on rereading");
  FUZZ_CHECK(sameBits(*a.nvec, *b.nvec), "nvec differs on rereading");
  FUZZ_CHECK(std::memcmp(a.llh, b.llh, kLlh * sizeof(double)) == 0, "llh differs on rereading");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  static Results first, between, again;
  read(data, size, first);
  checkShape(first);

  const std::string &other = otherSolution();
  read(reinterpret_cast<const uint8_t *>(other.data()), other.size(), between);
  FUZZ_CHECK(between.status.ok && *between.nvec == 10.0, "the other solution does not read: %s",
             between.status.message);

  read(data, size, again);
  checkSame(first, again);
  return 0;
}
