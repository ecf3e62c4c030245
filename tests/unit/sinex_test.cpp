// readsinex's core on files written here: the same bits for either
// triangle, any thread count, any line order and gzip or compress; COVA,
// CORR and INFO of one solution agree; the struct's contents; the quirks
// of real files; every error and warning.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/xyz2llh.h"
#include "same_bits.h"
#include "sinex/lapack.h"
#include "sinex/sinex.h"
#include "sinex/sinex_source.h"

namespace {

using namespace geomex;

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char *fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

// A solution of m sites with position and velocity (P = 6m), its
// covariance C (column-major) and C's inverse N, both exact doubles that
// the file writes to 15 digits.
struct Solution {
  int m = 0, P = 0;
  std::vector<double> value, sigma, C, N;
};

Solution makeSolution(int m, unsigned seed) {
  Solution s;
  s.m = m;
  s.P = 6 * m;
  const std::size_t P = static_cast<std::size_t>(s.P);
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  // N = B B' + P I: positive definite, C its inverse through LAPACK.
  std::vector<double> B(P * 3);
  for (double &b : B) b = u(rng);
  s.N.assign(P * P, 0.0);
  for (std::size_t j = 0; j < P; ++j)
    for (std::size_t i = 0; i < P; ++i) {
      double v = i == j ? static_cast<double>(P) : 0.0;
      for (std::size_t k = 0; k < 3; ++k) v += B[i + k * P] * B[j + k * P];
      s.N[i + j * P] = std::stod(format("%.14E", v));  // as the file writes it
    }
  s.C = s.N;
  lapack_int n = s.P, info = 0;
  dpotrf_("L", &n, s.C.data(), &n, &info, 1);
  dpotri_("L", &n, s.C.data(), &n, &info, 1);
  for (std::size_t j = 0; j < P; ++j)
    for (std::size_t i = 0; i < j; ++i) s.C[i + j * P] = s.C[j + i * P];
  for (std::size_t k = 0; k < P; ++k) {
    const bool position = k % 6 < 3;
    s.value.push_back(position ? 4e6 * (0.5 + 0.1 * static_cast<double>(k % 3)) + u(rng)
                               : 0.01 * u(rng));
    s.sigma.push_back(std::sqrt(s.C[k + k * P]));
  }
  return s;
}

enum class Kind { kCova, kCorr, kInfo };

// The file's text: header, SITE/ID, EPOCHS, ESTIMATE, the matrix block in
// triangle `tri` ('L' or 'U') of `kind`, STATISTICS.
std::string sinexText(const Solution &s, char tri, Kind kind, const char *count = nullptr) {
  const std::size_t P = static_cast<std::size_t>(s.P);
  std::string t = format("%%=SNX 2.02 TST 24:100:00000 DAT 20:001:00000 24:001:00000 P %s 2 S\n",
                         count ? count : format("%05d", s.P).c_str());
  t += "+SITE/ID\n";
  for (int i = 0; i < s.m; ++i)
    t += format(" S%03d  A %05dM001 P Site number %-10d  10 20 30.0  45 10 20.0  100.0\n", i,
                10000 + i, i);
  t += "-SITE/ID\n+SOLUTION/EPOCHS\n";
  for (int i = 0; i < s.m; ++i)
    t += format(" S%03d  A    1 P 20:001:00000 24:001:00000 22:001:00000\n", i);
  t += "-SOLUTION/EPOCHS\n+SOLUTION/ESTIMATE\n";
  static const char *const kTypes[] = {"STAX", "STAY", "STAZ", "VELX", "VELY", "VELZ"};
  for (std::size_t k = 0; k < P; ++k)
    t += format(" %5zu %-6s S%03zu  A    1 22:001:00000 %-4s 2 %21.14E %11.5E\n", k + 1,
                kTypes[k % 6], k / 6, k % 6 < 3 ? "m" : "m/y", s.value[k], s.sigma[k]);
  const char *type = kind == Kind::kCova ? "COVA" : kind == Kind::kCorr ? "CORR" : "INFO";
  t += format("-SOLUTION/ESTIMATE\n+SOLUTION/MATRIX_ESTIMATE %c %s\n", tri, type);
  auto element = [&](std::size_t i, std::size_t j) {
    if (kind == Kind::kInfo) return s.N[i + j * P];
    if (kind == Kind::kCova) return s.C[i + j * P];
    return i == j ? s.sigma[i] : s.C[i + j * P] / (s.sigma[i] * s.sigma[j]);
  };
  for (std::size_t r = 0; r < P; ++r) {
    const std::size_t first = tri == 'L' ? 0 : r, last = tri == 'L' ? r : P - 1;
    for (std::size_t c = first; c <= last; c += 3) {
      t += format(" %5zu %5zu", r + 1, c + 1);
      for (std::size_t k = c; k <= std::min(last, c + 2); ++k)
        t += format(" %21.14E", element(r, k));
      t += '\n';
    }
  }
  t += format("-SOLUTION/MATRIX_ESTIMATE %c %s\n", tri, type);
  t += "+SOLUTION/STATISTICS\n VARIANCE FACTOR                  1.234000000000000\n"
       "-SOLUTION/STATISTICS\n%ENDSNX\n";
  return t;
}

struct Outcome {
  bool ok = false;
  std::string id, error;
  std::vector<SinexWarning> warnings;
  SinexSolution sol;
};

Outcome readText(const std::string &bytes, unsigned threads = 2) {
  MemorySource file(bytes.data(), bytes.size());
  std::unique_ptr<ByteSource> holder;
  ByteSource &source = sinexSource(file, holder);
  Outcome o;
  o.ok = readSinex(source, "t.snx", threads, o.sol, &o.id, &o.error, &o.warnings);
  return o;
}

bool sameBits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

std::string gzipped(const std::string &text) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, text.size()), '\0');
  z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef *>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string compressed(const std::string &text) {  // Unix compress (.Z)
  archive *a = archive_write_new();
  archive_write_add_filter_compress(a);
  archive_write_set_format_raw(a);
  std::string out(text.size() + 65536, '\0');
  std::size_t used = 0;
  EXPECT_EQ(archive_write_open_memory(a, &out[0], out.size(), &used), ARCHIVE_OK);
  archive_entry *e = archive_entry_new();
  archive_entry_set_filetype(e, AE_IFREG);
  archive_write_header(a, e);
  archive_write_data(a, text.data(), text.size());
  archive_entry_free(e);
  archive_write_close(a);
  archive_write_free(a);
  out.resize(used);
  return out;
}

// The lines of the matrix block of `text` reordered by `order`.
std::string shuffledMatrix(const std::string &text, unsigned seed) {
  const std::size_t b = text.find('\n', text.find("+SOLUTION/MATRIX_ESTIMATE")) + 1;
  const std::size_t e = text.find("-SOLUTION/MATRIX_ESTIMATE");
  std::vector<std::string> lines;
  for (std::size_t p = b; p < e;) {
    const std::size_t nl = text.find('\n', p);
    lines.push_back(text.substr(p, nl + 1 - p));
    p = nl + 1;
  }
  std::shuffle(lines.begin(), lines.end(), std::mt19937(seed));
  std::string body;
  for (const std::string &l : lines) body += l;
  return text.substr(0, b) + body + text.substr(e);
}

TEST(Sinex, SameBitsForTrianglesThreadsOrderAndCompression) {
  const Solution s = makeSolution(100, 1);  // P = 600: a matrix block of several pieces
  const std::string lower = sinexText(s, 'L', Kind::kCova);
  const Outcome ref = readText(lower, 1);
  ASSERT_TRUE(ref.ok) << ref.error;
  const std::size_t P = 600;
  ASSERT_EQ(ref.sol.matrix.size(), P * P);
  for (std::size_t j = 0; j < P; ++j)
    for (std::size_t i = 0; i < P; ++i)
      ASSERT_EQ(bitsOf(ref.sol.matrix[i + j * P]), bitsOf(ref.sol.matrix[j + i * P]));
  EXPECT_SAME_BITS(std::stod(format("%.14E", s.C[5 + 3 * P])), ref.sol.matrix[5 + 3 * P]);

  // gzip members one after another (as `cat a.gz b.gz` makes) read as one.
  const std::size_t half = lower.size() / 2;
  const std::string inputs[] = {lower,          sinexText(s, 'U', Kind::kCova),
                                shuffledMatrix(lower, 7), gzipped(lower),
                                gzipped(lower.substr(0, half)) + gzipped(lower.substr(half)),
                                compressed(lower)};
  for (const std::string &in : inputs)
    for (unsigned threads : {1u, 2u, 3u, 8u}) {
      const Outcome o = readText(in, threads);
      ASSERT_TRUE(o.ok) << o.error;
      EXPECT_TRUE(sameBits(ref.sol.matrix, o.sol.matrix)) << threads << " threads";
      EXPECT_TRUE(sameBits(ref.sol.cov, o.sol.cov));
    }
  // cov and poscov are the matrix's velocity and position elements.
  const std::size_t n = 3 * 100;
  ASSERT_EQ(ref.sol.cov.size(), n * n);
  for (std::size_t a : {0u, 7u, 299u})
    for (std::size_t b : {0u, 5u, 298u}) {
      const std::size_t ia = 6 * (a / 3) + 3 + a % 3, ib = 6 * (b / 3) + 3 + b % 3;
      EXPECT_SAME_BITS(ref.sol.matrix[ia + ib * P], ref.sol.cov[a + b * n]);
      EXPECT_SAME_BITS(ref.sol.matrix[(ia - 3) + (ib - 3) * P], ref.sol.poscov[a + b * n]);
    }
}

TEST(Sinex, CovaCorrAndInfoAgree) {
  const Solution s = makeSolution(10, 2);
  const std::size_t P = 60;
  for (char tri : {'L', 'U'})
    for (Kind kind : {Kind::kCova, Kind::kCorr, Kind::kInfo}) {
      const Outcome o = readText(sinexText(s, tri, kind));
      ASSERT_TRUE(o.ok) << o.error;
      for (std::size_t j = 0; j < P; ++j)
        for (std::size_t i = 0; i < P; ++i) {
          const double scale = s.sigma[i] * s.sigma[j];
          EXPECT_NEAR(s.C[i + j * P], o.sol.matrix[i + j * P], 1e-11 * scale) << i << "," << j;
          EXPECT_EQ(bitsOf(o.sol.matrix[i + j * P]), bitsOf(o.sol.matrix[j + i * P]));
        }
    }
}

// A small file with the quirks of real ones, and what each field gets.
const char kQuirky[] =
    "%=SNX 2.01     24:100:43200     20:001:00000 00:000:00000 P  9 2 S E\r\n"
    "* a comment before any block\r\n"
    "+FILE/REFERENCE\r\n DESCRIPTION        test\r\n-FILE/REFERENCE\r\n"
    "+SITE/ID\r\n ABCD  A 10001M001 P Somewhere, France     002 20  0.0  48 50  0.0   100.0\r\n"
    "-SITE/ID\r\n"
    "+SITE/RECEIVER\r\n ABCD  A    1 P 20:001:00000 24:001:00000 XXXX\r\n-SITE/RECEIVER\r\n"
    "+SOLUTION/ESTIMATE\r\n"
    "*INDEX TYPE__ CODE PT SOLN _REF_EPOCH__ UNIT S __ESTIMATED VALUE____ _STD_DEV___\r\n"
    "     1 STAX   ABCD  A    1 22:001:00000 m    2  4.20123456789012E+06 1.00000E-03 past 80\r\n"
    "     2 STAY   ABCD  A    1 22:001:00000 m    2  1.77123456789012E+05 1.000000000E-03\r\n"
    "*    a comment inside\r\n"
    "     3 STAZ   ABCD  A    1 22:001:00000 m    2  4.77123456789012E+06 1.00000E-03\r\n"
    "     4 VELX   ABCD  A    2 23:001:00000 m/y  2 -1.23456789012345E-02 1.00000E-04\r\n"
    "     5 XPO    ----  -    1 22:001:00000 mas    1.00000000000000E-01 2.00000E-02\r\n"
    "     6 STAX   EFGH  B    1 22:001:00000 m      4.30123456789012E+06 2.00000E-03\r\n"
    "-SOLUTION/ESTIMATE\r\n"
    "+SOLUTION/APRIORI\r\n     1 STAX   ABCD  A    1 22:001:00000 m    2  4.2E+06 1.0E+00\r\n"
    "-SOLUTION/APRIORI\r\n"
    "+SOLUTION/MATRIX_ESTIMATE L COVA\r\n"
    "     1     1  1.00000000000000E-06\r\n"
    "* comment\r\n"
    "     3     1  2.00000000000000E-08  0.00000000000000E+00  3.00000000000000E-06\r\n"
    "     4     4  4.00000000000000E-08\r\n"
    "     6     4  5.00000000000000E-09  6.00000000000000E-09  7.00000000000000E-06\r\n"
    "-SOLUTION/MATRIX_ESTIMATE L COVA\r\n"
    "+SOLUTION/MATRIX_APRIORI L COVA\r\n     6     6  9.00000000000000E+00\r\n"
    "-SOLUTION/MATRIX_APRIORI L COVA\r\n%ENDSNX\r\n";

TEST(Sinex, ContentsOfAFileWithTheQuirksOfRealOnes) {
  const Outcome o = readText(kQuirky);
  ASSERT_TRUE(o.ok) << o.error;
  const SinexContents &c = o.sol.contents;
  EXPECT_EQ(c.header.version, "2.01");
  EXPECT_EQ(c.header.agency, "");
  EXPECT_EQ(c.header.dataagency, "");
  EXPECT_EQ(c.header.technique, "P");
  EXPECT_EQ(c.header.contents, "S E");
  EXPECT_EQ(c.header.created.year, 2024);
  EXPECT_EQ(c.header.created.sec, 43200);
  EXPECT_EQ(c.header.start.year, 2020);
  EXPECT_EQ(c.header.end.year, 0);
  EXPECT_TRUE(std::isnan(c.varfactor));
  ASSERT_EQ(c.estimates.size(), 6u);
  EXPECT_EQ(c.estimates[4].type, "XPO");
  EXPECT_EQ(c.estimates[3].soln, "2");
  EXPECT_TRUE(std::isnan(c.estimates[4].constraint));
  EXPECT_EQ(c.estimates[1].sigma, 1e-3);
  EXPECT_EQ(c.estimates[3].value, -1.23456789012345E-02);
  // Rows: ABCD/A/1 (position), ABCD/A/2 (velocity), EFGH/B/1 (position X).
  ASSERT_EQ(c.rows.size(), 3u);
  EXPECT_EQ(c.rows[0].domes, "10001M001");
  EXPECT_EQ(c.rows[0].description, "Somewhere, France");
  EXPECT_EQ(c.rows[2].domes, "");
  EXPECT_TRUE(std::isnan(c.rows[0].validFrom.year));  // no SOLUTION/EPOCHS
  EXPECT_EQ(c.rows[1].soln, "2");
  EXPECT_TRUE(std::isnan(c.rows[1].epoch.year));
  EXPECT_TRUE(std::isnan(c.rows[1].xyz[0]));
  double llh[3];
  xyz2llh(c.rows[0].xyz, llh);
  for (int k = 0; k < 3; ++k) EXPECT_SAME_BITS(llh[k], c.rows[0].llh[k]);
  // The matrix: what the file gives, 0 elsewhere; MATRIX_APRIORI ignored.
  const std::vector<double> &M = o.sol.matrix;
  ASSERT_EQ(M.size(), 36u);
  EXPECT_EQ(M[0], 1e-6);
  EXPECT_EQ(M[2 + 0 * 6], 2e-8);
  EXPECT_EQ(M[0 + 2 * 6], 2e-8);
  EXPECT_EQ(M[1 + 1 * 6], 0.0);
  EXPECT_EQ(M[5 + 5 * 6], 7e-6);
  EXPECT_EQ(M[5 + 3 * 6], 5e-9);
  // poscov: rows 1 (XYZ of estimates 1-3), 3 (X of estimate 6); NaN elsewhere.
  const std::vector<double> &pc = o.sol.poscov;
  ASSERT_EQ(pc.size(), 81u);
  EXPECT_EQ(pc[0], 1e-6);
  EXPECT_EQ(pc[6 + 0 * 9], 0.0);
  EXPECT_EQ(pc[6 + 6 * 9], 7e-6);
  EXPECT_TRUE(std::isnan(pc[3 + 3 * 9]) && std::isnan(pc[7 + 0 * 9]));
  EXPECT_EQ(o.sol.cov[3 + 3 * 9], 4e-8);
  ASSERT_EQ(o.warnings.size(), 1u);  // the header's count of 9
  EXPECT_STREQ(o.warnings[0].id, sinex_id::kCount);
}

TEST(Sinex, WithoutAMatrixTheSigmasSquared) {
  std::string text = kQuirky;
  text.erase(text.find("+SOLUTION/MATRIX_ESTIMATE"),
             text.find("+SOLUTION/MATRIX_APRIORI") - text.find("+SOLUTION/MATRIX_ESTIMATE"));
  const Outcome o = readText(text);
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_TRUE(o.sol.matrix.empty());
  EXPECT_EQ(o.sol.poscov[1 + 1 * 9], 1e-6);
  EXPECT_EQ(o.sol.poscov[1 + 0 * 9], 0.0);
  ASSERT_EQ(o.warnings.size(), 2u);
  EXPECT_STREQ(o.warnings[1].id, sinex_id::kNoMatrix);
}

// Each error: a change to a good file, the identifier and the message.
TEST(Sinex, Errors) {
  const Solution s = makeSolution(2, 3);
  const std::string good = sinexText(s, 'L', Kind::kCova);
  auto replaced = [&](const std::string &from, const std::string &to) {
    std::string t = good;
    const std::size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return t.replace(at, from.size(), to);
  };
  const std::string corr = sinexText(s, 'L', Kind::kCorr);
  std::string noDiagonal = corr;
  noDiagonal.erase(noDiagonal.find("     5     4"), noDiagonal.find("     6     1") -
                                                         noDiagonal.find("     5     4"));
  const std::string gz = gzipped(good);
  std::string corrupt = gz;
  corrupt[corrupt.size() / 2] ^= 0x55;
  std::string notPositive =
      replaced("+SOLUTION/MATRIX_ESTIMATE L COVA", "+SOLUTION/MATRIX_ESTIMATE L INFO");
  notPositive[notPositive.find("     1     1") + 13] = '-';  // a negative first variance
  std::string tab = good;
  tab[tab.find("    12     1") + 13] = '\t';  // column 14, the first value's
  const struct {
    std::string text;
    const char *id;
    std::string message;  // what the message holds
  } cases[] = {
      {"", sinex_id::kFormat, "file 't.snx', line 1: not a SINEX file: the file is empty"},
      {"%=SNY\n", sinex_id::kFormat,
       "line 1: not a SINEX file: the first line does not start with %=SNX: \"%=SNY\""},
      {replaced("P 00012", "P 0x012"), sinex_id::kFormat,
       "line 1: %=SNX header record: estimate count (columns 61-65) is not a number: \"0x012\""},
      {replaced("P 00012", "P " + std::string(100, 'y')), sinex_id::kFormat,
       "estimate count (columns 61-134) is not a number: \"" + std::string(74, 'y') + "\""},
      {replaced("2.84277E-01", "2.8427OE-01"), sinex_id::kFormat,
       "line 11: SOLUTION/ESTIMATE record: standard deviation (columns 70-80) is not a number: "
       "\"2.8427OE-01\""},
      {replaced("    11 VELY", "    1x VELY"), sinex_id::kFormat,
       "line 21: SOLUTION/ESTIMATE record: index (columns 2-6) is not a number: \"   1x\""},
      {tab, sinex_id::kFormat,
       "SOLUTION/MATRIX_ESTIMATE record: first value (columns 14-34) is not a number: \"\\x09"},
      {good.substr(0, good.find("-SOLUTION/ESTIMATE")), sinex_id::kFormat,
       "line 23: the file ends inside block SOLUTION/ESTIMATE"},
      {good.substr(0, good.find("-SOLUTION/MATRIX")), sinex_id::kFormat,
       "the file ends inside block SOLUTION/MATRIX_ESTIMATE"},
      {replaced("+SOLUTION/MATRIX_ESTIMATE L COVA", "+SOLUTION/MATRIX_ESTIMATE L COVX"),
       sinex_id::kFormat, "the matrix block names no triangle"},
      {replaced("    12 VELZ", "    13 VELZ"), sinex_id::kIndex,
       "line 22: estimate index 13 is outside 1 to 12"},
      {replaced("    12 VELZ", "    11 VELZ"), sinex_id::kIndex,
       "line 22: estimate index 11 is given on line 21 already"},
      {replaced("    12    10", "    13    10"), sinex_id::kIndex,
       "matrix row index 13 is outside 1 to 12"},
      {replaced("    12    10", "    11    10"), sinex_id::kIndex,
       "matrix element (11, 12) is outside the lower (L) triangle the block declares"},
      {noDiagonal, sinex_id::kMatrix,
       "the CORR matrix has no diagonal element (standard deviation) for estimate 5"},
      {notPositive, sinex_id::kMatrix, "the INFO matrix is not positive definite"},
      {gz.substr(0, gz.size() - 5), sinex_id::kRead, "could not be read: the gzip data is cut short"},
      {corrupt, sinex_id::kRead, "could not be read: the gzip data is corrupt"},
      {compressed(good).substr(0, 3), sinex_id::kRead, "could not be read"},
  };
  for (const auto &c : cases) {
    for (unsigned threads : {1u, 3u}) {
      const Outcome o = readText(c.text, threads);
      EXPECT_FALSE(o.ok) << c.message;
      EXPECT_EQ(o.id, c.id) << o.error;
      EXPECT_NE(o.error.find(c.message), std::string::npos) << o.error << "\n  wanted: " << c.message;
      EXPECT_EQ(o.error.rfind("file 't.snx'", 0), 0u) << o.error;
    }
  }
}

}  // namespace
