// What the reader refuses or cannot read: files that are not solutions
// (missing, directories, devices, pipes, huge), records that end early,
// fields that do not convert, and indices outside the parameters.  Each
// failure names the file, the line and the field.  The result areas are
// heap blocks of exactly their sizes, so a sanitizer build
// (scripts/checks/sanitize.sh) also catches any write outside them.
#include "reader/tosqum.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/unit/reader_results.h"
#include "tests/unit/sample_solutions.h"

using namespace geomex;

namespace {

using Results = ReaderResults;

Results run(const std::string &text, const char *name = "test.sol") { return readText(text, name); }

// A temporary directory removed with everything in it at the end.
struct TempDir {
  std::string path;
  TempDir() {
    char buf[] = "/tmp/tosqum_faults_XXXXXX";
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

TEST(Tosqum, UnreadableRecordsFailWithFileLineAndField) {
  const std::string good = solution(6, "R", {kS1, kR, kS2}, {"S1", "R"});
  const std::vector<std::string> lines = linesOf(good);
  auto head = [&](std::size_t count) {
    return joined(std::vector<std::string>(lines.begin(), lines.begin() + count));
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
      {head(3), "file 'f.sol', line 4: the file ends before station record 3 of 3"},
      {head(6), "file 'f.sol', line 7: the file ends before parameter record 3 of 6"},
      {head(10), "file 'f.sol', line 11: the file ends before correlation record 1 of 15"},
      {head(20), "file 'f.sol', line 21: the file ends before correlation record 11 of 15"},
      {head(5) + badSigma + "\n", "file 'f.sol', line 6: parameter record: sigma (columns 54-74) is not a number: \"" + badSigma.substr(53) + "\""},
      {head(4) + SolutionText().parameter(7, "S1", 0.1, 0.1).text, "file 'f.sol', line 5: parameter index 7 is outside 1 to 6"},
      {head(10) + "    2     0   0.1E0\n", "file 'f.sol', line 11: second parameter index 0 is outside 1 to 6"},
      {head(10) + "  301     1   0.1E0\n", "file 'f.sol', line 11: first parameter index 301 is outside 1 to 6"},
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

  // A pseudo-file that claims no size and never ends is read only as far as
  // its first records: it fails on them (it used to be read up to the
  // 1 GiB limit first).
  r = readFile("/proc/self/pagemap");
  EXPECT_FALSE(r.status.ok);
  EXPECT_EQ(0u, std::string(r.status.message).rfind("file '/proc/self/pagemap', line ", 0))
      << r.status.message;
}

TEST(Tosqum, ThingsThatAreNotReadableSolutionFiles) {
  TempDir dir;
  ASSERT_FALSE(dir.path.empty());

  // A directory opens on Linux but cannot be read: as a missing file.
  Results r = readFile(dir.path);
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
  dir.write(full.substr(dir.path.size() + 1), numberedSolution(3, 2, 2));
  r = readFile(full);
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_EQ(std::vector<std::string>{" match 2"}, r.lines);
  EXPECT_EQ(2.0, r.nvec[0]);
}

// Every numeric field kind in every record: a letter in the field is an
// error that names the line, the record, the field and its columns, and
// quotes what the field holds.
TEST(Tosqum, NonNumericFieldInEachNumericColumn) {
  const std::vector<std::string> good = linesOf(numberedSolution(3, 2, 2));  // 1 + 3 + 6 + 15 lines
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
    const Results r = readText(joined(lines), "bad.sol");
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
TEST(Tosqum, TruncatedFiles) {
  const std::string text = numberedSolution(3, 3, 2);  // reference last: the whole 6 x 6 kept
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
    const Results r = readText(joined(head), "cut.sol");
    EXPECT_FALSE(r.status.ok);
    EXPECT_EQ(std::string("file 'cut.sol', ") + c.message, r.message());
  }

  const Results whole = readText(text);
  ASSERT_TRUE(whole.status.ok) << whole.message();
  // The last correlation (6,5) loses its exponent "E-02" and more, and the
  // line end: 4.0000000000 instead of 4.0E-02.
  const std::string cut = text.substr(0, text.size() - 1 - 10);
  const Results r = readText(cut);
  ASSERT_TRUE(r.status.ok) << r.message();
  EXPECT_DOUBLE_EQ(100.0 * whole.covAt(6, 5), r.covAt(6, 5));
  EXPECT_EQ(whole.covAt(6, 4), r.covAt(6, 4));
}

// Indices outside 1 .. 3 nvec stop the reading before anything is stored.
TEST(Tosqum, IndicesOutsideTheParameters) {
  const std::vector<std::string> good = linesOf(numberedSolution(3, 2, 2));  // N = 6
  struct Case {
    int line;
    std::string record;
    const char *message;
  };
  const Case cases[] = {
      {5, SolutionText().parameter(0, "ST01", 1e-3, 1e-4).text, "parameter index 0 is outside 1 to 6"},
      {6, SolutionText().parameter(-5, "ST01", 1e-3, 1e-4).text, "parameter index -5 is outside 1 to 6"},
      {7, SolutionText().parameter(9999, "ST01", 1e-3, 1e-4).text,
       "parameter index 9999 is outside 1 to 6"},
      {11, SolutionText().correlation(7, 1, 0.5).text, "first parameter index 7 is outside 1 to 6"},
      {12, SolutionText().correlation(3, -1, 0.5).text, "second parameter index -1 is outside 1 to 6"},
      {25, SolutionText().correlation(6, 0, 0.5).text, "second parameter index 0 is outside 1 to 6"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> lines = good;
    lines[c.line - 1] = c.record.substr(0, c.record.size() - 1);  // without its line end
    const Results r = readText(joined(lines), "idx.sol");
    EXPECT_FALSE(r.status.ok) << c.message;
    EXPECT_EQ("file 'idx.sol', line " + std::to_string(c.line) + ": " + c.message, r.message());
  }
}

}  // namespace
