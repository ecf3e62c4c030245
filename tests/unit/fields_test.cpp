// Fixed-column field conversion: blanks, implied decimals, exponent forms,
// correct rounding, and what is refused.
#include "fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "canonical.h"
#include "same_bits.h"

using namespace geomex;

namespace {

// A field of `width` columns holding `text` left-aligned, blank-filled.
std::string field(const std::string &text, int width) {
  std::string f = text;
  f.resize(width, ' ');
  return f;
}

bool intOf(const std::string &text, int32_t &v) {
  return parseInteger(field(text, 4).data(), 4, v);
}

bool realOf(const std::string &text, int width, int implied, double &v) {
  return parseReal(field(text, width).data(), width, implied, v);
}

double e22(const std::string &text) {
  double v = -999.0;
  EXPECT_TRUE(realOf(text, 22, 15, v)) << '"' << text << '"';
  return v;
}

// An independent correctly rounding conversion (glibc's strtod, C locale).
double library(const std::string &decimal) { return std::strtod(decimal.c_str(), nullptr); }

TEST(IntegerField, BlanksAnywhereAreIgnored) {
  int32_t v = -1;
  EXPECT_TRUE(intOf("  12", v));
  EXPECT_EQ(12, v);
  EXPECT_TRUE(intOf(" 1 2", v));
  EXPECT_EQ(12, v);
  EXPECT_TRUE(intOf("12  ", v));
  EXPECT_EQ(12, v);
  EXPECT_TRUE(intOf("-  3", v));
  EXPECT_EQ(-3, v);
  EXPECT_TRUE(intOf("+7", v));
  EXPECT_EQ(7, v);
  EXPECT_TRUE(intOf("9999", v));
  EXPECT_EQ(9999, v);
  EXPECT_TRUE(intOf("    ", v));
  EXPECT_EQ(0, v);
}

TEST(IntegerField, AnythingButSignAndDigitsIsRefused) {
  for (const char *bad : {"1-2", "12a", "1.0", "-", "+ ", "--1", "1\t2", "0x1", "1e2"}) {
    int32_t v = 42;
    EXPECT_FALSE(intOf(bad, v)) << bad;
    EXPECT_EQ(42, v) << "left untouched: " << bad;
  }
}

TEST(RealField, ImpliedDecimalsApplyOnlyWithoutAPoint) {
  double v;
  ASSERT_TRUE(realOf("1234567", 19, 7, v));
  EXPECT_EQ(0.1234567, v);
  ASSERT_TRUE(realOf("   12345678", 19, 7, v));
  EXPECT_EQ(1.2345678, v);
  EXPECT_EQ(1.23e-13, e22("123"));
  EXPECT_EQ(-1e-15, e22("-1"));
  EXPECT_EQ(-1.0, e22("-1."));
  EXPECT_EQ(1.5e-12, e22("15E2"));  // implied decimals and an exponent
  ASSERT_TRUE(realOf("4487419.1200000", 19, 7, v));
  EXPECT_EQ(4487419.12, v);
}

TEST(RealField, ExponentForms) {
  for (const char *text : {"1.5E3", "1.5D3", "1.5e3", "1.5d3", "1.5+3", "1.5E+03", "1.5D+3",
                           " 1 . 5 E 3 ", "0.15E4", ".15+004", "+1500."})
    EXPECT_EQ(1500.0, e22(text)) << text;
  for (const char *text : {"1.5E-3", "1.5-3", "1.5d-03", "1.5 - 3"})
    EXPECT_EQ(1.5e-3, e22(text)) << text;
}

TEST(RealField, BlankFieldIsZeroAndSignedZeroKeepsItsSign) {
  EXPECT_EQ(bitsOf(0.0), bitsOf(e22("")));
  double v;
  ASSERT_TRUE(realOf("-0.0000000", 19, 7, v));
  EXPECT_EQ(bitsOf(-0.0), bitsOf(v));
  EXPECT_EQ(bitsOf(-0.0), bitsOf(e22("-0")));
  EXPECT_EQ(bitsOf(0.0), bitsOf(e22("0.0E+999999999999")));
}

TEST(RealField, ValuesBeyondTheDoubleRangeSaturate) {
  EXPECT_EQ(HUGE_VAL, e22("1.0E400"));
  EXPECT_EQ(-HUGE_VAL, e22("-1.0E99999999999"));
  EXPECT_EQ(bitsOf(0.0), bitsOf(e22("1.0E-400")));
  EXPECT_EQ(bitsOf(-0.0), bitsOf(e22("-1.0E-99999999999")));
  EXPECT_EQ(4.9406564584124654e-324, e22("4.94065645841247E-324"));
}

TEST(RealField, MalformedFieldsAreRefusedAndLeaveTheValue) {
  for (const char *bad : {"1.2.3", "abc", ".", "-", "+", "E5", "1E", "1E+", "1.5E3x", "1.5E3.",
                          "--1.0", "1.0E--3", "NaN", "Inf", "1,5", "1.5\t", "0x1p3", "1.5Q3",
                          "1.5E3E3", "- .E"}) {
    double v = 42.0;
    EXPECT_FALSE(realOf(bad, 22, 15, v)) << '"' << bad << '"';
    EXPECT_EQ(42.0, v) << bad;
  }
}

TEST(RealField, HardRoundingCasesMatchTheCorrectlyRoundedValue) {
  // Halfway and near-halfway decimals, long significands, subnormals: each
  // must be the double nearest to the decimal, with ties to even.
  for (const char *text : {"9007199254740993", "9007199254740993.", "0.1", "0.3",
                           "2.2250738585072011E-308", "2.2250738585072012E-308",
                           "1.7976931348623157E308", "1.7976931348623158E308",
                           "123456789012345678901.", "0.000000000000000000001234567",
                           "4.35679140638050E-01", "7.038531E-26", "1.00000000000000011102230246251565E0"}) {
    std::string f = text;
    if (f.size() > 22) continue;  // does not fit an E22.15 field
    std::string norm = f;
    if (norm.find('.') == std::string::npos && norm.find('E') == std::string::npos)
      norm += "e-15";  // implied decimals
    EXPECT_EQ(bitsOf(library(norm)), bitsOf(e22(f))) << text;
  }
  // Wider than any record field, but the conversion must still be exact.
  double v;
  const std::string longText = "1.00000000000000011102230246251565E0";
  ASSERT_TRUE(parseReal(longText.data(), static_cast<int>(longText.size()), 15, v));
  EXPECT_EQ(bitsOf(library("1.00000000000000011102230246251565")), bitsOf(v));
}

TEST(RealField, RandomDecimalsAgreeWithTheLibraryConversion) {
  std::mt19937_64 rng(20261208);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  for (int trial = 0; trial < 200000; ++trial) {
    // Up to 20 digits with a point somewhere, and an exponent.
    const int ndig = 1 + pick(20);
    std::string digits;
    for (int i = 0; i < ndig; ++i) digits += static_cast<char>('0' + pick(10));
    const int pointAt = pick(ndig + 1);
    std::string mant = digits.substr(0, pointAt) + "." + digits.substr(pointAt);
    const int exp = pick(700) - 350;
    const char *sign = pick(2) ? "-" : "";
    const std::string text = std::string(sign) + mant + "E" + std::to_string(exp);
    if (text.size() > 22) continue;
    ASSERT_EQ(bitsOf(library(text)), bitsOf(e22(text))) << text;
  }
}

// The usual layouts with exponents beyond the one-operation range (SINEX
// covariances of 1e-9 and below): the extended-precision path or the
// library, always the correctly rounded value.
TEST(RealField, CanonicalFieldsWithFarExponentsAreCorrectlyRounded) {
  std::mt19937_64 rng(20261209);
  char text[64];
  for (int trial = 0; trial < 400000; ++trial) {
    const long long lead = 1 + static_cast<long long>(rng() % 9);
    const unsigned long long fraction = rng() % 1000000000000000ULL;
    const int exp = static_cast<int>(rng() % 80) - 40;
    const bool e14 = trial % 2 == 0;
    std::snprintf(text, sizeof text, e14 ? " %s%lld.%014lluE%+03d" : "%s%lld.%015lluE%+03d",
                  rng() % 2 ? "-" : " ", lead, e14 ? fraction / 10 : fraction, exp);
    double v = 0;
    const int width = static_cast<int>(std::strlen(text));
    ASSERT_TRUE(e14 ? parseCanonicalE<14>(text, width, v) : parseCanonicalE15(text, width, v)) << text;
    std::string plain = text;
    plain.erase(0, plain.find_first_not_of(' '));
    ASSERT_EQ(bitsOf(library(plain)), bitsOf(v)) << text;
  }
}

}  // namespace

namespace {

// Plain reading of an integer field: blanks removed, then an optional sign
// and at least one digit.
bool referenceInteger(const std::string &f, int32_t &v) {
  std::string s;
  for (char c : f)
    if (c != ' ') s += c;
  if (s.empty()) {
    v = 0;
    return true;
  }
  size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t j = i; j < s.size(); ++j)
    if (s[j] < '0' || s[j] > '9') return false;
  v = static_cast<int32_t>(std::stol(s));
  return true;
}

TEST(IntegerField, EveryShortFieldAgreesWithAPlainReading) {
  // All four-character fields over blanks, digits, signs and a stray letter:
  // the fast layouts and the general scanner must agree everywhere.
  const std::string alphabet = " 0123456789+-x";
  std::string f(4, ' ');
  for (char a : alphabet)
    for (char b : alphabet)
      for (char c : alphabet)
        for (char d : alphabet) {
          f = {a, b, c, d};
          int32_t want = -77, got = -77;
          const bool ok = referenceInteger(f, want);
          ASSERT_EQ(ok, parseInteger(f.data(), 4, got)) << '"' << f << '"';
          if (ok) {
            ASSERT_EQ(want, got) << '"' << f << '"';
          }
        }
}

TEST(RealField, UsualLayoutsAgreeWithTheGeneralScanner) {
  // Fields in the layouts Fortran and C programs write take a shorter road;
  // the same text with a blank inside takes the general one.
  std::mt19937_64 rng(7);
  for (int trial = 0; trial < 100000; ++trial) {
    char text[40];
    const double v = std::ldexp(static_cast<double>(rng() >> 11), -52) *
                     std::pow(10.0, static_cast<int>(rng() % 60) - 30) * ((rng() & 1) ? -1 : 1);
    if (rng() & 1)
      std::snprintf(text, sizeof text, "%22.15E", v);  // one digit before the point
    else
      std::snprintf(text, sizeof text, "%22.15E", v / 10);
    std::string f = text;
    ASSERT_EQ(22u, f.size());
    std::string blanked = f;
    const size_t e = blanked.find('E');
    blanked.erase(e - 1, 1);  // drop the last fraction digit ...
    blanked.insert(4, " ");   // ... and put a blank inside the digits
    double fast = 0, general = 0, generalBlank = 0;
    ASSERT_TRUE(parseReal(f.data(), 22, 15, fast)) << f;
    ASSERT_TRUE(parseReal(blanked.data(), 22, 15, generalBlank)) << blanked;
    general = library(f);
    ASSERT_EQ(bitsOf(general), bitsOf(fast)) << f;
    std::string noBlank;
    for (char c : blanked)
      if (c != ' ') noBlank += c;
    ASSERT_EQ(bitsOf(library(noBlank)), bitsOf(generalBlank)) << blanked;
  }
  // D exponents, and a sixteen-digit significand above 2^53.
  double v;
  ASSERT_TRUE(parseReal("-0.123456789012345D-01", 22, 15, v));
  EXPECT_EQ(-0.0123456789012345, v);
  ASSERT_TRUE(parseReal(" 9.999999999999999E-01", 22, 15, v));
  EXPECT_EQ(0.9999999999999999, v);
  ASSERT_TRUE(parseReal(" 9.999999999999999D-01", 22, 15, v));
  EXPECT_EQ(0.9999999999999999, v);
  ASSERT_TRUE(parseReal(" 1.000000000000000E-30", 22, 15, v));
  EXPECT_EQ(1e-30, v);
}

}  // namespace
