// Bad input to the reader and the ellipse routine: files that are not
// solutions, fields that do not convert, indices and counts at and beyond
// their limits, and anomalous numbers.  The result areas are heap blocks of
// exactly their sizes, so a sanitizer build (scripts/checks/sanitize.sh)
// also catches any write outside them.
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "brisol.h"
#include "reader_results.h"
#include "tosqum.h"

using namespace geomex;

namespace {

using Read = ReaderResults;

// A solution in its fixed columns: stations named ST01, ST02, ... with the
// parameter groups of the first `groups` of them, every sigma and
// correlation set.
struct Solution {
  std::string text;

  __attribute__((format(printf, 2, 3))) Solution &line(const char *fmt, ...) {
    char buf[160];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    text += buf;
    text += '\n';
    return *this;
  }
  Solution &header(int n, const char *ref) { return line(" %4d%-8.8s ITR", n, ref); }
  Solution &station(const char *name, int j) {
    return line("%-8.8s%19.7f%19.7f%19.7f", name, 4027893.6719 + 1000.0 * j,
                307045.9064 + 2000.0 * j, 4919475.1704 - 500.0 * j);
  }
  Solution &parameter(int k, const char *name, double value, double sigma) {
    return line(" %4d          %-8.8s  %22.15E      %21.15E", k, name, value, sigma);
  }
  Solution &correlation(int i, int j, double rho) { return line(" %4d  %4d  %22.15E", i, j, rho); }
};

std::string stationName(int j) {
  char name[16];
  std::snprintf(name, sizeof name, "ST%02d", j);
  return name;
}

// `stations` station records; the reference station's record is number
// `refAt` (named REF), the others STjj; parameter groups for the first
// `groups` records, named like them.
std::string solution(int stations, int refAt, int groups, int n = -1) {
  Solution s;
  s.header(n >= 0 ? n : 3 * groups, "REF");
  std::vector<std::string> names;
  for (int j = 1; j <= stations; ++j) {
    names.push_back(j == refAt ? "REF" : stationName(j));
    s.station(names.back().c_str(), j);
  }
  for (int g = 1; g <= groups; ++g)
    for (int q = 1; q <= 3; ++q) {
      const int k = 3 * (g - 1) + q;
      s.parameter(k, names[g - 1].c_str(), 0.001 * k, 0.0001 * (1 + k % 5));
    }
  for (int i = 1; i <= 3 * groups; ++i)
    for (int j = 1; j < i; ++j) s.correlation(i, j, 0.01 * (1 + (i + j) % 7));
  return s.text;
}

std::vector<std::string> linesOf(const std::string &text) {
  std::vector<std::string> lines;
  for (std::size_t p = 0, q; (q = text.find('\n', p)) != std::string::npos; p = q + 1)
    lines.push_back(text.substr(p, q - p));
  return lines;
}

std::string joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &l : lines) text += l + "\n";
  return text;
}

// A temporary directory removed with everything in it at the end.
struct TempDir {
  std::string path;
  TempDir() {
    char buf[] = "/tmp/bad_input_XXXXXX";
    path = mkdtemp(buf) ? buf : "";
  }
  ~TempDir() {
    if (!path.empty())
      nftw(path.c_str(), [](const char *p, const struct stat *, int, FTW *) { return std::remove(p); },
           8, FTW_DEPTH | FTW_PHYS);
  }
  std::string write(const std::string &name, const std::string &text) const {
    const std::string f = path + "/" + name;
    FILE *out = std::fopen(f.c_str(), "wb");
    if (out) {
      std::fwrite(text.data(), 1, text.size(), out);
      std::fclose(out);
    }
    return f;
  }
};

const std::vector<std::string> kOpenError{" ** Error in opening file ** "};

TEST(BadInputFile, ThingsThatAreNotReadableSolutionFiles) {
  TempDir dir;
  ASSERT_FALSE(dir.path.empty());

  // A directory opens on Linux but cannot be read: as a missing file.
  Read r = readFile(dir.path);
  EXPECT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(kOpenError, r.lines);
  EXPECT_TRUE(r.allZero());

  r = readFile(dir.path + "/missing.sol");
  EXPECT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(kOpenError, r.lines);
  EXPECT_TRUE(r.allZero());

  // An empty file is a solution without a header: an error naming it.
  const std::string empty = dir.write("empty.sol", "");
  r = readFile(empty);
  EXPECT_FALSE(r.status.ok);
  EXPECT_EQ("file '" + empty + "', line 1: the file ends before header record 1 of 1",
            r.message());
  EXPECT_TRUE(r.lines.empty());

  // A name that fills the whole field, with no blank after it.
  std::string deep = dir.path;
  while (deep.size() + 1 + 20 < static_cast<std::size_t>(kFileNameField)) {
    deep += "/d";
    ASSERT_EQ(0, mkdir(deep.c_str(), 0700));
  }
  std::string full = deep + "/";
  full += std::string(kFileNameField - full.size() - 4, 's') + ".sol";
  ASSERT_EQ(static_cast<std::size_t>(kFileNameField), full.size());
  dir.write(full.substr(dir.path.size() + 1), solution(3, 2, 2));
  r = readFile(full);
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(std::vector<std::string>{" match 2"}, r.lines);
  EXPECT_EQ(2.0, r.nvec[0]);
}

// Every numeric field kind in every record: a letter in the field is an
// error that names the line, the record, the field and its columns, and
// quotes what the field holds.
TEST(BadInputFile, NonNumericFieldInEachNumericColumn) {
  const std::vector<std::string> good = linesOf(solution(3, 2, 2));  // 1 + 3 + 6 + 15 lines
  struct Case {
    int line;        // 1-based
    int column;      // where the letter goes
    const char *what;  // "<record> record: <field> (columns a-b)"
    int first, last;
  };
  const Case cases[] = {
      {1, 3, "header record: parameter count", 2, 5},                       // I4
      {2, 20, "station record: X", 9, 27},                                  // F19.7
      {3, 40, "station record: Y", 28, 46},
      {4, 65, "station record: Z", 47, 65},
      {5, 4, "parameter record: parameter index", 2, 5},                    // I4
      {6, 30, "parameter record: velocity", 26, 47},                        // E22.15
      {7, 74, "parameter record: sigma", 54, 74},                           // E21.15
      {11, 2, "correlation record: first parameter index", 2, 5},           // I4
      {12, 11, "correlation record: second parameter index", 8, 11},
      {25, 35, "correlation record: correlation", 14, 35},                  // E22.15
  };
  for (const Case &c : cases) {
    std::vector<std::string> lines = good;
    std::string &l = lines[c.line - 1];
    ASSERT_GE(l.size(), static_cast<std::size_t>(c.column)) << c.what;
    l[c.column - 1] = 'x';
    const Read r = readText(joined(lines), "bad.sol");
    EXPECT_FALSE(r.status.ok) << c.what;
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "file 'bad.sol', line %d: %s (columns %d-%d) is not a number: \"%s\"", c.line,
                  c.what, c.first, c.last, l.substr(c.first - 1, c.last - c.first + 1).c_str());
    EXPECT_EQ(expected, r.message());
  }

  // A tab is no blank; a decimal comma is no point.
  std::vector<std::string> lines = good;
  lines[1][10] = '\t';
  EXPECT_NE(std::string::npos, readText(joined(lines), "bad.sol").message().find("station record: X"));
  lines = good;
  lines[2][lines[2].find('.')] = ',';
  EXPECT_NE(std::string::npos, readText(joined(lines), "bad.sol").message().find("station record: X"));
}

// A file that ends early: in each section an error naming the record that
// is missing; a file cut inside its last line reads that line as it stands
// (a short line is padded with blanks), so the cut field just reads shorter.
TEST(BadInputFile, TruncatedFiles) {
  const std::string text = solution(3, 3, 2);  // reference last: the whole 6 x 6 kept
  const std::vector<std::string> lines = linesOf(text);
  struct Case {
    std::size_t keep;
    const char *message;
  };
  const Case cases[] = {
      {1, "line 2: the file ends before station record 1 of 3"},
      {9, "line 10: the file ends before parameter record 6 of 6"},
      {24, "line 25: the file ends before correlation record 15 of 15"},
  };
  for (const Case &c : cases) {
    const std::vector<std::string> head(lines.begin(), lines.begin() + c.keep);
    const Read r = readText(joined(head), "cut.sol");
    EXPECT_FALSE(r.status.ok);
    EXPECT_EQ(std::string("file 'cut.sol', ") + c.message, r.message());
  }

  const Read whole = readText(text);
  ASSERT_TRUE(whole.status.ok) << whole.message();
  // The last correlation (6,5) loses its exponent "E-02" and more, and the
  // line end: 4.0000000000 instead of 4.0E-02.
  const std::string cut = text.substr(0, text.size() - 1 - 10);
  const Read r = readText(cut);
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_DOUBLE_EQ(100.0 * whole.covAt(6, 5), r.covAt(6, 5));
  EXPECT_EQ(whole.covAt(6, 4), r.covAt(6, 4));
}

// Indices outside 1 .. 3 nvec stop the reading before anything is stored.
TEST(BadInputFile, IndicesOutsideTheParameters) {
  const std::vector<std::string> good = linesOf(solution(3, 2, 2));  // N = 6
  struct Case {
    int line;
    std::string record;
    const char *message;
  };
  const Case cases[] = {
      {5, Solution().parameter(0, "ST01", 1e-3, 1e-4).text, "parameter index 0 is outside 1 to 6"},
      {6, Solution().parameter(-5, "ST01", 1e-3, 1e-4).text, "parameter index -5 is outside 1 to 6"},
      {7, Solution().parameter(9999, "ST01", 1e-3, 1e-4).text,
       "parameter index 9999 is outside 1 to 6"},
      {11, Solution().correlation(7, 1, 0.5).text, "first parameter index 7 is outside 1 to 6"},
      {12, Solution().correlation(3, -1, 0.5).text, "second parameter index -1 is outside 1 to 6"},
      {25, Solution().correlation(6, 0, 0.5).text, "second parameter index 0 is outside 1 to 6"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> lines = good;
    lines[c.line - 1] = c.record.substr(0, c.record.size() - 1);  // without its line end
    const Read r = readText(joined(lines), "idx.sol");
    EXPECT_FALSE(r.status.ok) << c.message;
    EXPECT_EQ("file 'idx.sol', line " + std::to_string(c.line) + ": " + c.message, r.message());
  }
}

// 99 stations plus the reference fill every area to its last element;
// counts that round down to 99 stations are as good; -1 and -2 read one
// station, -3 and below nothing.
TEST(BadInputFile, CountsAtTheLimits) {
  // The reference last, no parameter group named like it: all 99 velocity
  // columns, the whole 297 x 297 covariance, all 100 positions.
  Read r = readText(solution(100, 100, 99));
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(std::vector<std::string>{" match 100"}, r.lines);
  EXPECT_EQ(99.0, r.nvec[0]);
  EXPECT_EQ(kVelRows * kVelCols, Read::nonzero(r.vel));
  EXPECT_EQ(kOutcovDim * kOutcovDim, Read::nonzero(r.outcov));
  EXPECT_EQ(kLlhRows * kLlhCols, Read::nonzero(r.llh));
  EXPECT_EQ(0.001 * 297, r.velAt(3, 99));
  EXPECT_EQ(r.covAt(297, 1), r.covAt(1, 297));

  // The reference first: 98 velocities, 294 x 294, reference in column 100.
  r = readText(solution(100, 1, 99));
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(98 * 3, Read::nonzero(r.vel));
  EXPECT_EQ(294 * 294, Read::nonzero(r.outcov));
  const Read alone = readText(solution(1, 1, 0));
  EXPECT_EQ(alone.llhAt(1, 1), r.llhAt(1, 100));
  EXPECT_EQ(alone.llhAt(3, 1), r.llhAt(3, 100));

  for (int n : {298, 299}) {
    r = readText(solution(100, 100, 99, n));
    ASSERT_TRUE(r.status.ok) << n << ": " << r.message();
    EXPECT_EQ(99.0, r.nvec[0]) << n;
  }

  for (int n : {-1, -2}) {
    r = readText(Solution().header(n, "REF").station("REF", 1).text);
    ASSERT_TRUE(r.status.ok) << n << ": " << r.message();
    EXPECT_EQ(0.0, r.nvec[0]);
    EXPECT_EQ(std::vector<std::string>{" match 1"}, r.lines);
    EXPECT_NE(0.0, r.llhAt(3, 1));
  }
  r = readText(" -999REF      ITR\nnot a station\n");
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(-333.0, r.nvec[0]);
  EXPECT_TRUE(r.lines.empty());
  r.nvec[0] = 0.0;
  EXPECT_TRUE(r.allZero());
}

// Whatever an earlier call read, or failed to read, the next file's results
// are those of that file alone.
TEST(BadInputFile, AFailedReadLeavesNothingBehind) {
  // Pair (6,5) is never given (pair (2,1) twice instead): it must read 0.0,
  // whatever an earlier file put there.
  std::vector<std::string> smallLines = linesOf(solution(3, 3, 2));
  smallLines.back() = smallLines[10];
  const std::string small = joined(smallLines);
  const Read fresh = readText(small);
  ASSERT_TRUE(fresh.status.ok) << fresh.message();
  EXPECT_EQ(0.0, fresh.covAt(6, 5));

  std::vector<std::string> lines = linesOf(solution(12, 5, 11));
  lines.back()[20] = 'x';  // fails on the last correlation, all else stored
  EXPECT_FALSE(readText(joined(lines)).status.ok);
  const Read after = readText(small);
  EXPECT_EQ(fresh.lines, after.lines);
  EXPECT_EQ(fresh.vel, after.vel);
  EXPECT_EQ(fresh.outcov, after.outcov);
  EXPECT_EQ(fresh.llh, after.llh);

  // The same after a file that stops at the station limit.
  EXPECT_EQ(2u, readText(solution(1, 1, 0, 300)).lines.size());
  const Read again = readText(small);
  EXPECT_EQ(fresh.outcov, again.outcov);
  EXPECT_EQ(fresh.llh, again.llh);
}

// NaN, infinities and negative variances come back as numbers, never as a
// failure; each point's values depend on its own block only.
TEST(BadInputEllipse, AnomalousNumbersComeBackAsNumbers) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double s11, s22, s21;
    double smaj, smin;  // NaN: expect NaN
    bool azimNaN;
  };
  const Case cases[] = {
      {nan, 1, 0, 0, 0, true},       {1, 1, nan, 0, 0, true},  {inf, inf, 0, 0, 0, true},
      {inf, 1, 0, inf, 0, false},    {4, 1, inf, inf, 0, false}, {-inf, 1, 0, 0, 0, false},
      {-4, -1, 0, 0, 0, false},      {-1, -1, 0, nan, nan, false},
  };
  for (const Case &c : cases) {
    // Each block between two ordinary points, inside a 6 x 6 matrix of
    // exactly 36 elements.
    std::vector<double> m(36, 99.0);
    auto at = [&](int i, int j) -> double & { return m[(i - 1) + (j - 1) * 6]; };
    at(1, 1) = 4, at(2, 2) = 1, at(2, 1) = 0;
    at(3, 3) = c.s11, at(4, 4) = c.s22, at(4, 3) = c.s21;
    at(5, 5) = 4, at(6, 6) = 1, at(6, 5) = 0;
    std::vector<double> smaj(3), smin(3), azim(3);
    brisol(m.data(), 6, 6, smaj.data(), smin.data(), azim.data());
    const std::string label = std::to_string(c.s11) + " " + std::to_string(c.s22) + " " +
                              std::to_string(c.s21);
    if (std::isnan(c.smaj)) {
      EXPECT_TRUE(std::isnan(smaj[1]) && std::isnan(smin[1])) << label;
    } else {
      EXPECT_EQ(c.smaj, smaj[1]) << label;
      EXPECT_EQ(c.smin, smin[1]) << label;
    }
    EXPECT_EQ(c.azimNaN, std::isnan(azim[1])) << label;
    for (int p : {0, 2}) {
      EXPECT_EQ(4.895999908447266, smaj[p]) << label;
      EXPECT_EQ(90.0, azim[p]) << label;
    }
  }
}

}  // namespace
