// Record layouts: columns, short lines, trailing text, names, line ends and
// the section counts derived from the header.
#include "core/records.h"

#include <gtest/gtest.h>

#include <string>

using namespace geomex;

namespace {

Line lineOf(const std::string &s) { return Line{s.data(), s.size(), 1}; }

TEST(Records, HeaderFieldsByColumn) {
  const std::string s = "    9REF1     ITRF2014 and more";
  Header h;
  FieldFault f;
  ASSERT_TRUE(readHeader(lineOf(s), h, f));
  EXPECT_EQ(9, h.n);
  EXPECT_EQ(std::string("REF1    "), std::string(h.refsta, 8));
  EXPECT_EQ(std::string("ITR"), std::string(h.crdsys, 3));

  // Cut after the count: names read as blanks.
  ASSERT_TRUE(readHeader(lineOf("  7"), h, f));
  EXPECT_EQ(7, h.n);
  EXPECT_EQ(std::string(8, ' '), std::string(h.refsta, 8));
}

TEST(Records, ShortStationLineReadsMissingCoordinatesAsZero) {
  const std::string s = "ABCD        4027893.6719000";  // ends at column 27
  StationRecord r;
  FieldFault f;
  ASSERT_TRUE(readStation(lineOf(s), r, f));
  EXPECT_EQ(std::string("ABCD    "), std::string(r.stanam, 8));
  EXPECT_EQ(4027893.6719, r.xyz[0]);
  EXPECT_EQ(0.0, r.xyz[1]);
  EXPECT_EQ(0.0, r.xyz[2]);

  // A name cut by the end of the line is padded with blanks; case is kept.
  ASSERT_TRUE(readStation(lineOf("abcd"), r, f));
  EXPECT_EQ(std::string("abcd    "), std::string(r.stanam, 8));
}

TEST(Records, ParameterFieldsByColumn) {
  // Skipped columns hold text that must not matter.
  const std::string s = std::string(" ") + "  12" + "xxxxxxxxxx" + "STA1 ABC" + "yy" +
                        "-0.123456789012345E-01" + "zzzzzz" + "0.200000000000000E-02";
  ParameterRecord r;
  FieldFault f;
  ASSERT_TRUE(readParameter(lineOf(s), r, f)) << f.field;
  EXPECT_EQ(12, r.k);
  EXPECT_EQ(std::string("STA1 ABC"), std::string(r.stanam, 8));
  EXPECT_EQ(-0.0123456789012345, r.value);
  EXPECT_EQ(0.002, r.sigma);
}

TEST(Records, CorrelationIgnoresTextAfterItsLastField) {
  CorrelationRecord a, b;
  FieldFault f;
  ASSERT_TRUE(readCorrelation(lineOf("    3     1   0.250000000000000E+00"), a, f));
  ASSERT_TRUE(readCorrelation(lineOf("    3     1   0.250000000000000E+00 ## 9 x"), b, f));
  EXPECT_EQ(3, a.iread);
  EXPECT_EQ(1, a.jread);
  EXPECT_EQ(0.25, a.rho);
  EXPECT_EQ(a.iread, b.iread);
  EXPECT_EQ(a.rho, b.rho);
}

TEST(Records, FaultNamesTheFieldAndItsColumns) {
  StationRecord s;
  FieldFault f;
  ASSERT_FALSE(readStation(lineOf("ABCD        4027893.6719000          12x.5"), s, f));
  EXPECT_STREQ("Y", f.field);
  EXPECT_EQ(28, f.firstColumn);
  EXPECT_EQ(46, f.lastColumn);

  ParameterRecord p;
  const std::string bad = std::string("    1") + std::string(10, ' ') + "STA1    " + "  " +
                          "0.1E-01" + std::string(15, ' ') + std::string(6, ' ') + "0.2E-0x";
  ASSERT_FALSE(readParameter(lineOf(bad), p, f));
  EXPECT_STREQ("sigma", f.field);
  EXPECT_EQ(54, f.firstColumn);
  EXPECT_EQ(74, f.lastColumn);

  CorrelationRecord c;
  ASSERT_FALSE(readCorrelation(lineOf("    2  1 a1"), c, f));
  EXPECT_STREQ("second parameter index", f.field);
}

TEST(Records, LineCursorSplitsLinesAndDropsCarriageReturns) {
  const std::string text = "one\r\ntwo\n\nlast";
  LineCursor c(text.data(), text.size());
  Line l;
  std::string got;
  while (c.next(l)) got += std::to_string(l.number) + ":" + std::string(l.text, l.length) + "|";
  EXPECT_EQ("1:one|2:two|3:|4:last|", got);

  const std::string ended = "a\n";
  LineCursor d(ended.data(), ended.size());
  EXPECT_TRUE(d.next(l));
  EXPECT_FALSE(d.next(l));
  EXPECT_EQ(1, d.linesRead());
}

TEST(Records, SectionCountsDeriveFromTheStationCount) {
  SectionCounts c = sectionCounts(7);
  EXPECT_EQ(2, c.nvec);
  EXPECT_EQ(3, c.stations);
  EXPECT_EQ(6, c.parameters);
  EXPECT_EQ(15, c.correlations);

  for (int n = 0; n <= 2; ++n) {
    c = sectionCounts(n);
    EXPECT_EQ(0, c.nvec);
    EXPECT_EQ(1, c.stations);
    EXPECT_EQ(0, c.parameters);
    EXPECT_EQ(0, c.correlations);
  }

  c = sectionCounts(297);
  EXPECT_EQ(100, c.stations);
  EXPECT_EQ(43956, c.correlations);

  c = sectionCounts(-4);
  EXPECT_EQ(-1, c.nvec);
  EXPECT_EQ(0, c.stations);
  EXPECT_EQ(0, c.parameters);
  EXPECT_EQ(0, c.correlations);
  EXPECT_EQ(0, sectionCounts(-2).nvec);  // truncation toward zero
}

}  // namespace
