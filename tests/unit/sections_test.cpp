// How a record fault is worded: the field's bytes quoted so that the message
// is always printable text, and the note on files whose lines end in CR alone.
#include "core/sections.h"

#include <gtest/gtest.h>

#include <string>

using namespace geomex;

namespace {

std::string escaped(const std::string &bytes) {
  std::string out(4 * bytes.size() + 1, '?');
  escapeBytes(bytes.data(), bytes.size(), &out[0]);
  return out.c_str();
}

// Undoes escapeBytes; fails the test on anything it would never write.
std::string unescaped(const std::string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    EXPECT_TRUE(text[i] >= 0x20 && text[i] < 0x7F) << "byte " << i << " not printable";
    if (text[i] != '\\') {
      out += text[i];
    } else if (text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else {
      EXPECT_EQ('x', text[i + 1]);
      out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    }
  }
  return out;
}

TEST(Sections, EscapesEveryByteThatIsNotPrintableAscii) {
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"", ""},
      {" 1.5E-03 ~", " 1.5E-03 ~"},
      {std::string("  6\0", 4), "  6\\x00"},
      {"\xEF\xBB\xBF", "\\xEF\\xBB\\xBF"},
      {"a\\b", "a\\\\b"},
      {"\t\r\n\x1F\x7F\x80\xFF", "\\x09\\x0D\\x0A\\x1F\\x7F\\x80\\xFF"},
  };
  for (const auto &c : cases) EXPECT_EQ(c.text, escaped(c.bytes));

  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(all, unescaped(escaped(all)));
}

// The first fault of a file read as a header and two station records.
std::string firstFault(const std::string &text) {
  LineCursor lines(text.data(), text.size());
  SectionReader<LineCursor> in(lines);
  Header header;
  StationRecord station;
  bool ok = in.take("header", 1, 1, readHeader, header);
  for (long j = 1; ok && j <= 2; ++j) ok = in.take("station", j, 2, readStation, station);
  if (ok) return "no fault";
  char message[640];
  formatFault(in.fault(), "f.sol", message, sizeof message);
  return message;
}

TEST(Sections, QuotesTheFieldAsTheLineHoldsIt) {
  const std::string header = "    3R        ITR\n";
  const std::string count = "file 'f.sol', line 1: header record: parameter count (columns 2-5) "
                            "is not a number: ";
  const std::string x = "file 'f.sol', line 2: station record: X (columns 9-27) is not a number: ";
  const std::string cr = " (the file's lines end in CR alone)";
  const struct {
    std::string text, message;
  } cases[] = {
      {std::string("   6\0R        ITR\n", 18), count + "\"  6\\x00\""},
      {std::string(64, '\0'), count + "\"\\x00\\x00\\x00\\x00\""},
      {"\xEF\xBB\xBF" + header, count + "\"\\xBB\\xBF  \""},
      {header + "S1      C:\\12\t", x + "\"C:\\\\12\\x09\""},  // cut short: what is there
      {header + "S1      \r1.0\n", x + "\"\\x0D1.0\"" + cr},
      {"    3R        ITR\rS1      1.0\rS2      2.0\r",
       "file 'f.sol', line 2: the file ends before station record 1 of 2" + cr},
      {"    3R        ITR\r\nS1      1.0\r\n",
       "file 'f.sol', line 3: the file ends before station record 2 of 2"},
  };
  for (const auto &c : cases) EXPECT_EQ(c.message, firstFault(c.text));
}

TEST(Sections, CutsALongMessageToItsBufferAndSaysHowLongItWas) {
  RecordFault f;
  f.kind = RecordFault::Kind::kIndex;
  f.line = 12;
  f.what = "second parameter index";
  f.value = -2;
  f.limit = 6;
  const std::string full = "file 'f.sol', line 12: second parameter index -2 is outside 1 to 6";
  char out[64];
  EXPECT_EQ(full.size(), formatFault(f, "f.sol", out, sizeof out));
  EXPECT_EQ(full.substr(0, sizeof out - 1), std::string(out));
}

}  // namespace
