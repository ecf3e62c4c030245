// Solution assembly: reference-station handling, covariance, positions,
// diagnostic lines, and the failures of unreadable files.
#include "tosqum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "reader_results.h"
#include "solution_text.h"
#include "xyz2llh.h"

using namespace geomex;

namespace {

using Results = ReaderResults;

Results run(const std::string &text, const char *name = "test.sol") { return readText(text, name); }

// Four stations; positions chosen so their geodetic coordinates differ.
struct Site {
  const char *name;
  double x, y, z;
};
const Site kS1{"S1", 4027893.6719, 307045.9064, 4919475.1704};
const Site kR{"R", 4075580.385, 931853.847, 4801568.244};
const Site kS2{"S2", 3194469.145, 3194469.145, 4487419.12};
const Site kS3{"S3", 6378137.0, 0.0, 0.0};

double sigmaOf(int k) { return 0.001 * k; }
double valueOf(int k) { return 0.01 * k; }
double rhoOf(int i, int j) { return 0.01 * (i + 2 * j); }

// Header, the given station records, and parameter groups (indices
// 3s-2 .. 3s) named after `groups`, then every correlation of N parameters.
std::string solution(int n, const char *ref, std::vector<Site> stations,
                     std::vector<const char *> groups) {
  SolutionText t;
  t.header(n, ref);
  for (const Site &s : stations) t.station(s.name, s.x, s.y, s.z);
  int k = 0;
  for (const char *g : groups)
    for (int q = 0; q < 3; ++q, ++k) t.parameter(k + 1, g, valueOf(k + 1), sigmaOf(k + 1));
  t.correlations(k, rhoOf);
  return t.text;
}

// Covariance element of parameters i, j as the file defines it.
double fileCov(int i, int j) {
  if (i == j) return sigmaOf(i) * sigmaOf(i);
  const int a = i > j ? i : j, b = i > j ? j : i;
  return rhoOf(a, b) * std::sqrt((sigmaOf(a) * sigmaOf(a)) * (sigmaOf(b) * sigmaOf(b)));
}

void expectPosition(const Results &r, int column, const Site &s) {
  const double xyz[3] = {s.x, s.y, s.z};
  double llh[3];
  xyz2llh(xyz, llh);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(llh[i], r.llhAt(i + 1, column)) << s.name << ' ' << i;
}

TEST(Tosqum, ReferenceInsideTheListIsRemovedAndMovedLast) {
  const Results r = run(solution(9, "R", {kS1, kR, kS2, kS3}, {"S1", "R", "S2"}));
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ(std::vector<std::string>{" match 2"}, r.lines);
  EXPECT_EQ(3.0, r.nvec[0]);

  // Velocities of S1 and S2 only.
  for (int q = 1; q <= 3; ++q) {
    EXPECT_EQ(valueOf(q), r.velAt(q, 1));
    EXPECT_EQ(valueOf(6 + q), r.velAt(q, 2));
    EXPECT_EQ(0.0, r.velAt(q, 3));
  }
  // Covariance of parameters 1-3 and 7-9.
  const int keep[6] = {1, 2, 3, 7, 8, 9};
  for (int a = 0; a < 6; ++a)
    for (int b = 0; b < 6; ++b) EXPECT_EQ(fileCov(keep[a], keep[b]), r.covAt(a + 1, b + 1));
  for (int i = 1; i <= 9; ++i) {
    EXPECT_EQ(0.0, r.covAt(i, 7));
    EXPECT_EQ(0.0, r.covAt(7, i));
  }
  // Positions: S1, S2, S3, then R.
  expectPosition(r, 1, kS1);
  expectPosition(r, 2, kS2);
  expectPosition(r, 3, kS3);
  expectPosition(r, 4, kR);
  EXPECT_EQ(0.0, r.llhAt(1, 5));
}

TEST(Tosqum, ReferenceAfterTheParameterSectionKeepsTheWholeCovariance) {
  const Results r = run(solution(9, "R", {kS1, kS2, kS3, kR}, {"S1", "S2", "S3"}));
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ(std::vector<std::string>{" match 4"}, r.lines);
  for (int i = 1; i <= 9; ++i)
    for (int j = 1; j <= 9; ++j) EXPECT_EQ(fileCov(i, j), r.covAt(i, j));
  EXPECT_EQ(valueOf(7), r.velAt(1, 3));
  expectPosition(r, 1, kS1);
  expectPosition(r, 4, kR);
  EXPECT_EQ(3.0, r.nvec[0]);
}

TEST(Tosqum, LastOfSeveralReferenceRecordsDecides) {
  const Site rAgain{"R", 1.0e6, 2.0e6, 5.9e6};
  const Results r = run(solution(6, "R", {kR, kS1, rAgain}, {"R", "S1"}));
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ((std::vector<std::string>{" match 1", " match 3"}), r.lines);
  // Position 3 is the reference: parameters 7-9 do not exist, nothing removed.
  EXPECT_EQ(fileCov(4, 1), r.covAt(4, 1));
  expectPosition(r, 1, kR);
  expectPosition(r, 2, kS1);
  expectPosition(r, 3, rAgain);
}

TEST(Tosqum, NoStationsInTheParameterSection) {
  for (int n = 0; n <= 2; ++n) {
    const Results r = run(solution(n, "R", {kR}, {}));
    ASSERT_TRUE(r.status.ok) << r.status.message;
    EXPECT_EQ(std::vector<std::string>{" match 1"}, r.lines);
    EXPECT_EQ(0.0, r.nvec[0]);
    expectPosition(r, 1, kR);
    EXPECT_EQ(0.0, r.velAt(1, 1));
    EXPECT_EQ(0.0, r.covAt(1, 1));
  }
}

TEST(Tosqum, MissingReferenceIsReportedAndTreatedAsTheLastStation) {
  const Results r = run(solution(9, "XX", {kS1, kR, kS2, kS3}, {"S1", "R", "S2"}));
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ(std::vector<std::string>{" ** Reference station not found ** "}, r.lines);
  for (int i = 1; i <= 9; ++i)
    for (int j = 1; j <= 9; ++j) EXPECT_EQ(fileCov(i, j), r.covAt(i, j));
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(valueOf(3 * c - 2), r.velAt(1, c));
  expectPosition(r, 1, kS1);
  expectPosition(r, 2, kR);
  expectPosition(r, 3, kS2);
  expectPosition(r, 4, kS3);
}

TEST(Tosqum, ReferenceFoundAfterAFileWithoutOneUsesOnlyTheCurrentFile) {
  run(solution(9, "R", {kS1, kR, kS2, kS3}, {"S1", "R", "S2"}));  // sets position 2
  const Results r = run(solution(9, "XX", {kS1, kS2, kS3, kR}, {"S1", "S2", "S3"}));
  const Results fresh = run(solution(9, "XX", {kS1, kS2, kS3, kR}, {"S1", "S2", "S3"}));
  EXPECT_EQ(fresh.outcov, r.outcov);
  EXPECT_EQ(fileCov(5, 4), r.covAt(5, 4));
}

TEST(Tosqum, StationCountOfOneHundredOrMoreIsRefused) {
  for (int n : {300, 302, 303, 9999}) {
    const Results r = run(solution(n, "R", {kR}, {}));
    ASSERT_TRUE(r.status.ok) << r.status.message;
    EXPECT_EQ((std::vector<std::string>{" ** Number of Vectors exceeds Maxvec ** ",
                                        " ** Error in opening file ** "}),
              r.lines)
        << n;
    EXPECT_TRUE(r.allZero()) << n;
  }
}

TEST(Tosqum, NegativeCountReadsNothingAfterTheHeader) {
  const Results r = run(SolutionText().header(-4, "R").raw("not a station record at all").text);
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_TRUE(r.lines.empty());
  EXPECT_EQ(-1.0, r.nvec[0]);
  EXPECT_EQ(0.0, r.llhAt(1, 1));
}

TEST(Tosqum, CovarianceFromSigmasAndCorrelations) {
  SolutionText t;
  t.header(3, "R").station("S1", kS1.x, kS1.y, kS1.z).station("R", kR.x, kR.y, kR.z);
  t.parameter(1, "S1", 0.1, 0.002).parameter(2, "S1", 0.2, 0.003).parameter(3, "S1", 0.3, 0.004);
  // Pairs in another order and with swapped indices give the same matrix.
  t.correlation(1, 2, 0.5).correlation(3, 2, -0.25).correlation(1, 3, 0.0);
  const Results r = run(t.text);
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_DOUBLE_EQ(4.0e-6, r.covAt(1, 1));
  EXPECT_DOUBLE_EQ(3.0e-6, r.covAt(2, 1));
  EXPECT_EQ(r.covAt(2, 1), r.covAt(1, 2));
  EXPECT_EQ(-0.25 * std::sqrt((0.003 * 0.003) * (0.004 * 0.004)), r.covAt(2, 3));
  EXPECT_EQ(0.0, r.covAt(1, 3));
}

TEST(Tosqum, CorrelationOnTheDiagonalReplacesTheVarianceForLaterRecords) {
  SolutionText t;
  t.header(3, "R").station("S1", kS1.x, kS1.y, kS1.z).station("R", kR.x, kR.y, kR.z);
  t.parameter(1, "S1", 0.1, 0.002).parameter(2, "S1", 0.2, 0.003).parameter(3, "S1", 0.3, 0.004);
  t.correlation(1, 1, 0.5).correlation(2, 1, 0.5).correlation(3, 2, 0.1);
  const Results r = run(t.text);
  ASSERT_TRUE(r.status.ok) << r.status.message;
  const double v1 = 0.5 * std::sqrt((0.002 * 0.002) * (0.002 * 0.002));
  EXPECT_EQ(v1, r.covAt(1, 1));
  EXPECT_EQ(0.5 * std::sqrt(v1 * (0.003 * 0.003)), r.covAt(2, 1));
}

TEST(Tosqum, EarlierFilesNeverReachTheResults) {
  const std::string full = solution(9, "R", {kS1, kS2, kS3, kR}, {"S1", "S2", "S3"});
  // Same size, but pair (3,1) is given twice and pair (9,8) never.
  SolutionText t;
  t.header(9, "R");
  for (const Site &s : {kS1, kS2, kS3, kR}) t.station(s.name, s.x, s.y, s.z);
  for (int k = 1; k <= 9; ++k) t.parameter(k, k <= 3 ? "S1" : k <= 6 ? "S2" : "S3", 0.5, 0.001);
  for (int i = 1; i <= 9; ++i)
    for (int j = 1; j < i; ++j) (i == 9 && j == 8) ? t.correlation(3, 1, 0.7) : t.correlation(i, j, 0.1);

  const Results fresh = run(t.text);
  run(full);
  const Results after = run(t.text);
  EXPECT_EQ(fresh.outcov, after.outcov);
  EXPECT_EQ(0.0, after.covAt(9, 8));
}

TEST(Tosqum, ParameterGroupOutOfStepWithTheStationRecords) {
  // The velocity is dropped by name (group 1), the covariance rows by the
  // station record's position (2): they belong to different stations.
  const Results r = run(solution(6, "R", {kS1, kR, kS2}, {"R", "S1"}));
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ(valueOf(4), r.velAt(1, 1));
  EXPECT_EQ(0.0, r.velAt(1, 2));
  EXPECT_EQ(fileCov(2, 1), r.covAt(2, 1));
  EXPECT_EQ(0.0, r.covAt(4, 4));
}

TEST(Tosqum, WindowsLineEndsAndTrailingLinesDoNotMatter) {
  const std::string unix = solution(9, "R", {kS1, kR, kS2, kS3}, {"S1", "R", "S2"});
  std::string dos;
  for (char c : unix) dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const Results a = run(unix);
  const Results b = run(dos + "trailing rubbish 1 2 3\n");
  ASSERT_TRUE(b.status.ok) << b.status.message;
  EXPECT_EQ(a.vel, b.vel);
  EXPECT_EQ(a.outcov, b.outcov);
  EXPECT_EQ(a.llh, b.llh);
  EXPECT_EQ(a.lines, b.lines);
}

TEST(Tosqum, UnreadableRecordsFailWithFileLineAndField) {
  const std::string good = solution(6, "R", {kS1, kR, kS2}, {"S1", "R"});
  std::vector<std::string> lines;
  for (size_t p = 0, q; (q = good.find('\n', p)) != std::string::npos; p = q + 1)
    lines.push_back(good.substr(p, q - p));
  auto joined = [&](size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += lines[i] + "\n";
    return s;
  };
  struct Case {
    std::string text;
    std::string message;
  };
  std::string badSigma = lines[5];
  badSigma[60] = 'x';
  const Case cases[] = {
      {"", "file 'f.sol', line 1: the file ends before header record 1 of 1"},
      {" 9x9REF", "file 'f.sol', line 1: header record: parameter count (columns 2-5) is not a number: \"9x9R\""},
      {joined(3), "file 'f.sol', line 4: the file ends before station record 3 of 3"},
      {joined(6), "file 'f.sol', line 7: the file ends before parameter record 3 of 6"},
      {joined(10), "file 'f.sol', line 11: the file ends before correlation record 1 of 15"},
      {joined(20), "file 'f.sol', line 21: the file ends before correlation record 11 of 15"},
      {joined(5) + badSigma + "\n", "file 'f.sol', line 6: parameter record: sigma (columns 54-74) is not a number: \"" + badSigma.substr(53) + "\""},
      {joined(4) + SolutionText().parameter(7, "S1", 0.1, 0.1).text, "file 'f.sol', line 5: parameter index 7 is outside 1 to 6"},
      {joined(10) + "    2     0   0.1E0\n", "file 'f.sol', line 11: second parameter index 0 is outside 1 to 6"},
      {joined(10) + "  301     1   0.1E0\n", "file 'f.sol', line 11: first parameter index 301 is outside 1 to 6"},
  };
  for (const Case &c : cases) {
    const Results r = run(c.text, "f.sol");
    EXPECT_FALSE(r.status.ok) << c.message;
    EXPECT_EQ(c.message, std::string(r.status.message));
  }
}

TEST(Tosqum, FileThatCannotBeOpenedGivesOneLineAndZeroResults) {
  const Results r = readFile("/nonexistent/dir/solution.sol");
  EXPECT_TRUE(r.status.ok);
  EXPECT_EQ(std::vector<std::string>{" ** Error in opening file ** "}, r.lines);
  EXPECT_TRUE(r.allZero());
}

TEST(Tosqum, ReadsANamedFileWithTrailingBlanksInItsField) {
  const std::string text = solution(9, "R", {kS1, kR, kS2, kS3}, {"S1", "R", "S2"});
  char path[] = "/tmp/tosqum_test_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE *f = fdopen(fd, "w");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);

  const Results r = readFile(path);
  std::remove(path);
  ASSERT_TRUE(r.status.ok) << r.status.message;
  const Results fromMemory = run(text);
  EXPECT_EQ(fromMemory.outcov, r.outcov);
  EXPECT_EQ(fromMemory.llh, r.llh);
  EXPECT_EQ(3.0, r.nvec[0]);
}

TEST(Tosqum, DevicesAndHugeFilesAreNeverReadIntoMemory) {
  // An endless device counts as a file that cannot be opened.
  Results r = readFile("/dev/zero");
  EXPECT_TRUE(r.status.ok);
  EXPECT_EQ(std::vector<std::string>{" ** Error in opening file ** "}, r.lines);
  EXPECT_TRUE(r.allZero());

  // So does a named pipe without a writer: looking at it must not wait.
  char dir[] = "/tmp/tosqum_fifo_XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dir));
  const std::string fifo = std::string(dir) + "/pipe";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  r = readFile(fifo);
  std::remove(fifo.c_str());
  rmdir(dir);
  EXPECT_TRUE(r.status.ok);
  EXPECT_EQ(std::vector<std::string>{" ** Error in opening file ** "}, r.lines);

  // A sparse file of more than a gigabyte is refused by its size alone.
  char path[] = "/tmp/tosqum_huge_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(0, ftruncate(fd, (off_t{1} << 30) + 1));
  close(fd);
  r = readFile(path);
  std::remove(path);
  EXPECT_FALSE(r.status.ok);
  EXPECT_EQ("file '" + std::string(path) + "' is larger than 1073741824 bytes: not a velocity solution",
            std::string(r.status.message));
  EXPECT_TRUE(r.lines.empty());
}

}  // namespace

namespace {

TEST(Tosqum, NegativeZeroCoordinateReachesTheFarSideOfTheDateLine) {
  SolutionText t;
  t.header(0, "R").raw("R        -6378137.0000000        -0.0000000         0.0000000");
  const ReaderResults r = readText(t.text);
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ(0.0, r.llhAt(1, 1));
  EXPECT_EQ(-180.0, r.llhAt(2, 1));
  EXPECT_EQ(0.0, r.llhAt(3, 1));
}

}  // namespace
