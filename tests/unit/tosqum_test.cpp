// Solution assembly: reference-station handling, covariance, positions,
// diagnostic lines, counts at their limits, and independence of calls.
// Files and records that cannot be read are in tosqum_faults_test.cpp.
#include "reader/tosqum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/unit/reader_results.h"
#include "tests/unit/sample_solutions.h"
#include "core/xyz2llh.h"

using namespace geomex;

namespace {

using Results = ReaderResults;

Results run(const std::string &text, const char *name = "test.sol") { return readText(text, name); }

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
  for (const Site &s : {kS1, kS2, kS3, kR}) t.station(s.name.c_str(), s.x, s.y, s.z);
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

TEST(Tosqum, NegativeZeroCoordinateReachesTheFarSideOfTheDateLine) {
  SolutionText t;
  t.header(0, "R").raw("R        -6378137.0000000        -0.0000000         0.0000000");
  const ReaderResults r = readText(t.text);
  ASSERT_TRUE(r.status.ok) << r.status.message;
  EXPECT_EQ(0.0, r.llhAt(1, 1));
  EXPECT_EQ(-180.0, r.llhAt(2, 1));
  EXPECT_EQ(0.0, r.llhAt(3, 1));
}

// 99 stations plus the reference fill every area to its last element;
// counts that round down to 99 stations are as good; -1 and -2 read one
// station, -3 and below nothing.
TEST(Tosqum, CountsAtTheLimits) {
  // The reference last, no parameter group named like it: all 99 velocity
  // columns, the whole 297 x 297 covariance, all 100 positions.
  Results r = readText(numberedSolution(100, 100, 99));
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(std::vector<std::string>{" match 100"}, r.lines);
  EXPECT_EQ(99.0, r.nvec[0]);
  EXPECT_EQ(kVelRows * kVelCols, Results::nonzero(r.vel));
  EXPECT_EQ(kOutcovDim * kOutcovDim, Results::nonzero(r.outcov));
  EXPECT_EQ(kLlhRows * kLlhCols, Results::nonzero(r.llh));
  EXPECT_EQ(0.001 * 297, r.velAt(3, 99));
  EXPECT_EQ(r.covAt(297, 1), r.covAt(1, 297));

  // The reference first: 98 velocities, 294 x 294, reference in column 100.
  r = readText(numberedSolution(100, 1, 99));
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(98 * 3, Results::nonzero(r.vel));
  EXPECT_EQ(294 * 294, Results::nonzero(r.outcov));
  const Results alone = readText(numberedSolution(1, 1, 0));
  EXPECT_EQ(alone.llhAt(1, 1), r.llhAt(1, 100));
  EXPECT_EQ(alone.llhAt(3, 1), r.llhAt(3, 100));

  for (int n : {298, 299}) {
    r = readText(numberedSolution(100, 100, 99, n));
    ASSERT_TRUE(r.status.ok) << n << ": " << r.message();
    EXPECT_EQ(99.0, r.nvec[0]) << n;
  }

  for (int n : {-1, -2}) {
    const Site ref = numberedSite(1, "REF");
    r = readText(SolutionText().header(n, "REF").station(ref.name.c_str(), ref.x, ref.y, ref.z).text);
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
TEST(Tosqum, AFailedReadLeavesNothingBehind) {
  // Pair (6,5) is never given (pair (2,1) twice instead): it must read 0.0,
  // whatever an earlier file put there.
  std::vector<std::string> smallLines = linesOf(numberedSolution(3, 3, 2));
  smallLines.back() = smallLines[10];
  const std::string small = joined(smallLines);
  const Results fresh = readText(small);
  ASSERT_TRUE(fresh.status.ok) << fresh.message();
  EXPECT_EQ(0.0, fresh.covAt(6, 5));

  std::vector<std::string> lines = linesOf(numberedSolution(12, 5, 11));
  lines.back()[20] = 'x';  // fails on the last correlation, all else stored
  EXPECT_FALSE(readText(joined(lines)).status.ok);
  const Results after = readText(small);
  EXPECT_EQ(fresh.lines, after.lines);
  EXPECT_EQ(fresh.vel, after.vel);
  EXPECT_EQ(fresh.outcov, after.outcov);
  EXPECT_EQ(fresh.llh, after.llh);

  // The same after a file that stops at the station limit.
  EXPECT_EQ(2u, readText(numberedSolution(1, 1, 0, 300)).lines.size());
  const Results again = readText(small);
  EXPECT_EQ(fresh.outcov, again.outcov);
  EXPECT_EQ(fresh.llh, again.llh);
}

}  // namespace
