// The reader without limits: the same numbers as the legacy assembly for
// every file both accept, the same bits for any number of threads, and its
// errors and warnings.
#include "velsol/velsol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/linestream.h"
#include "tests/unit/reader_results.h"
#include "tests/unit/solution_text.h"

namespace {

using geomex::MemorySource;
using geomex::VelsolSolution;
using geomex::VelsolWarning;

struct Outcome {
  bool ok = false;
  std::string id, error;
  std::vector<VelsolWarning> warnings;
  VelsolSolution sol;
};

Outcome readSolution(const std::string &text, unsigned threads) {
  MemorySource source(text.data(), text.size());
  Outcome o;
  o.ok = geomex::readVelsol(source, "t.sol", threads, o.sol, &o.id, &o.error, &o.warnings);
  return o;
}

bool sameBits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// A random solution of up to `maxStations` stations, usually as programs
// write it, sometimes with what a hand-edited file holds: a reference that
// is missing or repeated, groups naming several stations, correlation
// records out of order, repeated, on the diagonal, in another layout, or
// CR LF line ends.
std::string randomSolution(std::mt19937_64 &rng, int maxStations) {
  auto pick = [&](int n) { return n > 0 ? static_cast<int>(rng() % static_cast<unsigned>(n)) : 0; };
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const int nvec = pick(maxStations);
  const int P = 3 * nvec;
  std::vector<std::string> names;
  for (int s = 0; s <= nvec; ++s) names.push_back("ST" + std::to_string(pick(8) == 0 ? pick(nvec + 1) : s));
  const int ref = pick(nvec + 2);  // nvec + 1: no station named like it
  const std::string refname = ref <= nvec ? names[ref] : "NOWHERE";

  SolutionText t;
  t.header(P + pick(3) * (pick(4) == 0), refname.c_str());
  for (int s = 0; s <= nvec; ++s)
    t.station(names[s].c_str(), 6.4e6 * u(rng), 6.4e6 * u(rng), 6.4e6 * u(rng));
  for (int k = 1; k <= P; ++k) {
    const int group = (k - 1) / 3 + (pick(20) == 0);
    const int index = pick(30) == 0 ? 1 + pick(P) : k;
    t.parameter(index, names[group % (nvec + 1)].c_str(), u(rng), 1e-3 * (1.5 + u(rng)));
  }
  const bool quirky = pick(3) == 0;
  for (int i = 2; i <= P; ++i)
    for (int j = 1; j < i; ++j) {
      const int q = quirky ? pick(200) : 99;
      const double rho = u(rng);
      if (q == 0) t.correlation(j, i, rho);                  // upper triangle
      else if (q == 1) t.correlation(i, i, 0.5);              // diagonal
      else if (q == 2) t.correlation(1 + pick(P), 1 + pick(P), rho);  // repeated pair
      else if (q == 3) t.correlation(i, j, 0.25).raw("");  // a blank line next: a short record
      else t.correlation(i, j, rho);
    }
  std::string text = t.text;
  if (pick(10) == 0) {  // CR LF
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    text = crlf;
  }
  return text;
}

TEST(Velsol, SameBitsForAnyThreadCount) {
  std::mt19937_64 rng(7);
  for (int round = 0; round < 60; ++round) {
    const std::string text = randomSolution(rng, 60);
    const Outcome one = readSolution(text, 1);
    for (unsigned threads : {2u, 3u, 8u}) {
      const Outcome many = readSolution(text, threads);
      ASSERT_EQ(one.ok, many.ok) << round;
      ASSERT_EQ(one.error, many.error) << round;
      ASSERT_TRUE(sameBits(one.sol.cov, many.sol.cov)) << round << " threads " << threads;
    }
  }
}

// For every file both readers accept, tosqumg's results are readvelsol's
// rearranged: the covariance without the reference station's rows and
// columns, the velocities of the groups not named like the reference, the
// positions with the reference moved last.
TEST(Velsol, AgreesWithTheLegacyAssembly) {
  std::mt19937_64 rng(11);
  int compared = 0;
  for (int round = 0; round < 400; ++round) {
    const std::string text = randomSolution(rng, 40);
    const Outcome o = readSolution(text, 1 + round % 3);
    const ReaderResults legacy = readText(text, "t.sol");
    ASSERT_EQ(o.ok, legacy.status.ok) << round << ": " << o.error << " / " << legacy.message();
    if (!o.ok) {
      EXPECT_EQ(o.error, legacy.message()) << round;
      continue;
    }
    ++compared;
    const VelsolSolution &s = o.sol;
    const int S = s.header.counts.stations, G = s.header.counts.nvec, P = 3 * G;
    const int ref = s.refstation > 0 ? static_cast<int>(s.refstation) : S;
    // Covariance without parameters 3 ref - 2 .. 3 ref.
    std::vector<int> keep;
    for (int p = 1; p <= P; ++p)
      if (p < 3 * ref - 2 || p > 3 * ref) keep.push_back(p);
    for (std::size_t b = 0; b < keep.size(); ++b)
      for (std::size_t a = 0; a < keep.size(); ++a)
        ASSERT_EQ(legacy.covAt(static_cast<int>(a) + 1, static_cast<int>(b) + 1),
                  s.cov[(keep[a] - 1) + static_cast<std::size_t>(keep[b] - 1) * P])
            << round;
    // Velocities of the groups not named like the reference.
    int column = 0;
    for (int g = 0; g < G; ++g) {
      if (std::memcmp(&s.site[8 * g], s.header.refname, 8) == 0) continue;
      ++column;
      for (int q = 0; q < 3; ++q)
        ASSERT_EQ(legacy.velAt(q + 1, column), s.vel[g + q * G]) << round;
    }
    // Positions, the reference last.
    int out = 0;
    for (int k = 1; k <= S; ++k) {
      if (k == ref) continue;
      ++out;
      for (int q = 0; q < 3; ++q) ASSERT_EQ(legacy.llhAt(q + 1, out), s.llh[(k - 1) + q * S]);
    }
    for (int q = 0; q < 3; ++q) ASSERT_EQ(legacy.llhAt(q + 1, S), s.llh[(ref - 1) + q * S]);
  }
  EXPECT_GT(compared, 200);
}

TEST(Velsol, ErrorsAndWarnings) {
  struct Row {
    std::string text;
    const char *id;        // "" when the file is read
    const char *expected;  // the error, or the first warning's id
  };
  const std::string good2 = SolutionText()
                                .header(3, "A")
                                .station("A", 1, 2, 3)
                                .station("B", 4e6, 1e6, 4e6)
                                .parameter(1, "B", 0.1, 0.001)
                                .parameter(2, "B", 0.2, 0.001)
                                .parameter(3, "B", 0.3, 0.001)
                                .correlations(3, [](int, int) { return 0.5; })
                                .text;
  const Row rows[] = {
      {SolutionText().header(-3, "A").text, "readvelsol:count",
       "file 't.sol', line 1: the parameter count -3 is negative"},
      {"", "readvelsol:record", "file 't.sol', line 1: the file ends before header record 1 of 1"},
      {SolutionText().header(3, "A").station("A", 1, 2, 3).text, "readvelsol:record",
       "file 't.sol', line 3: the file ends before station record 2 of 2"},
      {SolutionText().header(3, "A").station("A", 1, 2, 3).station("B", 1, 2, 3)
           .parameter(4, "B", 0, 0).text,
       "readvelsol:index", "file 't.sol', line 4: parameter index 4 is outside 1 to 3"},
      {good2.substr(0, good2.size() - 2) + "x\n", "readvelsol:record",
       "file 't.sol', line 9: correlation record: correlation (columns 14-35) is not a number: "
       "\" 5.000000000000000E-0x\""},
      {good2, "", ""},
  };
  for (const Row &r : rows) {
    const Outcome o = readSolution(r.text, 2);
    EXPECT_EQ(o.ok, r.id[0] == '\0') << r.expected;
    EXPECT_EQ(o.id, r.id);
    EXPECT_EQ(o.error, r.expected);
  }

  // Warnings: no reference, a group naming several stations, a count that
  // is not a multiple of 3; the file is read all the same.
  std::string text = good2;
  text.replace(text.find(" 3A "), 4, " 4Z ");
  text.replace(text.find("    2          B"), 16, "    2          C");
  const Outcome w = readSolution(text, 1);
  ASSERT_TRUE(w.ok) << w.error;
  ASSERT_EQ(w.warnings.size(), 3u);
  EXPECT_EQ(std::string(w.warnings[0].id), "readvelsol:countNotMultipleOf3");
  EXPECT_EQ(std::string(w.warnings[1].id), "readvelsol:noReference");
  EXPECT_EQ(w.warnings[1].message,
            "file 't.sol': no station record is named like the reference 'Z       '");
  EXPECT_EQ(std::string(w.warnings[2].id), "readvelsol:mixedGroup");
  EXPECT_EQ(w.warnings[2].message,
            "file 't.sol', line 4: the records of parameter group 1 name different stations "
            "('B       ', 'C       ', 'B       '); the third one's is taken");
  EXPECT_EQ(w.sol.refstation, 0.0);
}

// A source that fails every read that reaches `from` (as a disk with a bad
// block would): what lies before it is still delivered.
class FailingSource final : public geomex::ByteSource {
 public:
  FailingSource(std::string text, uint64_t from) : text_(std::move(text)), from_(from) {}
  long long readAt(uint64_t offset, char *buf, std::size_t n) noexcept override {
    if (offset >= from_) {
      failures_.fetch_add(1);
      return -1;
    }
    MemorySource inner(text_.data(), static_cast<std::size_t>(std::min<uint64_t>(from_, text_.size())));
    return inner.readAt(offset, buf, n);
  }
  uint64_t size() const noexcept override { return text_.size(); }
  int error() const noexcept override { return 5; }  // EIO

 private:
  std::string text_;
  uint64_t from_;
  std::atomic<int> failures_{0};
};

// A read error where the reader needs the bytes is an error, never a
// solution read with other numbers; one in what it does not need is none.
// A file whose lines end in CR alone says so, as tosqumg does.
TEST(Velsol, ReadErrorsAndBareCarriageReturns) {
  SolutionText t;
  t.header(60, "S0");
  for (int s = 0; s <= 20; ++s) t.station(("S" + std::to_string(s)).c_str(), 4e6 + s, 1e6, 4e6);
  for (int k = 1; k <= 60; ++k) t.parameter(k, ("S" + std::to_string((k - 1) / 3)).c_str(), 0.1, 0.001);
  t.correlations(60, [](int i, int j) { return 0.001 * (i + j); });
  const std::string good = t.text;
  const std::size_t corr = good.find("    2     1");
  for (unsigned threads : {1u, 3u}) {
    for (uint64_t from : {uint64_t{corr + 5000}, uint64_t{corr}, uint64_t{40}}) {
      FailingSource source(good, from);
      VelsolSolution sol;
      std::string id, error;
      EXPECT_FALSE(geomex::readVelsol(source, "t.sol", threads, sol, &id, &error)) << from;
      EXPECT_EQ(id, "readvelsol:read") << from << ": " << error;
    }
    FailingSource tail((good + std::string(100, 'x')), good.size());
    VelsolSolution sol;
    EXPECT_TRUE(geomex::readVelsol(tail, "t.sol", threads, sol));
  }

  // The rest of an over-long last parameter line cannot be read: its start
  // must not be taken for the first correlation record.
  std::string longLine = SolutionText().header(3, "A").station("A", 1, 2, 3).station("B", 4, 5, 6)
                             .parameter(1, "B", 0.1, 0.001).parameter(2, "B", 0.2, 0.001).text;
  std::string third = SolutionText().parameter(3, "B", 0.3, 0.001).text;
  third.pop_back();
  third += std::string(1200000, ' ') + "\n";
  longLine += third + SolutionText().correlations(3, [](int, int) { return 0.5; }).text;
  FailingSource cut(longLine, longLine.size() - 200000);
  VelsolSolution sol;
  std::string id;
  EXPECT_FALSE(geomex::readVelsol(cut, "t.sol", 1, sol, &id));
  EXPECT_EQ(id, "readvelsol:read");

  const Outcome cr = readSolution("    3HOGT     XYZ\rHOGT    1 2 3\r", 1);
  EXPECT_EQ(cr.error,
            "file 't.sol', line 2: the file ends before station record 1 of 2 "
            "(the file's lines end in CR alone)");
}

// The streaming line reader splits any text as the in-memory cursor does,
// whatever the line lengths (lines longer than its buffer keep their start).
TEST(LineStream, SplitsAsTheCursorDoes) {
  std::mt19937_64 rng(3);
  for (int round = 0; round < 20; ++round) {
    std::string text;
    const int lines = 1 + static_cast<int>(rng() % 2000);
    for (int k = 0; k < lines; ++k) {
      const std::size_t len = rng() % 400 == 0 ? rng() % (3u << 20) : rng() % 80;
      text.append(len, static_cast<char>('a' + k % 26));
      if (rng() % 5 == 0) text += '\r';
      if (k + 1 < lines || rng() % 2) text += '\n';
    }
    geomex::LineCursor cursor(text.data(), text.size());
    MemorySource source(text.data(), text.size());
    geomex::LineStream stream(source);
    geomex::Line a, b;
    for (;;) {
      const bool more = cursor.next(a);
      ASSERT_EQ(more, stream.next(b));
      if (!more) break;
      ASSERT_EQ(a.number, b.number);
      const std::size_t kept = std::min(a.length, geomex::LineStream::kMaxKeptLine);
      ASSERT_TRUE(b.length == a.length || b.length == kept) << a.length << " " << b.length;
      ASSERT_EQ(0, std::memcmp(a.text, b.text, std::min(a.length, b.length)));
    }
  }
}

}  // namespace
