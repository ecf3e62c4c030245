// Record readers on arbitrary lines.  The line is copied to a buffer of
// exactly its length (a read past its end is an ASan report), and every
// reader must give the same outcome on:
//   - the line as it is,
//   - the line padded with blanks (a short line reads as if padded),
//   - the line with other characters after the format's last column
//     (those are ignored).
// The header's count also goes through sectionCounts, and so do four raw
// input bytes taken as any 32-bit count.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "core/lines.h"
#include "core/records.h"

using namespace geomex;

namespace {

struct Outcome {
  bool ok;
  FieldFault fault;
};

// Runs `read` on `text` held in a heap block of exactly its size.
template <typename Record>
Outcome run(bool (*read)(const Line &, Record &, FieldFault &) noexcept, const std::string &text,
            Record &out) {
  char *copy = new char[text.size() ? text.size() : 1];
  std::memcpy(copy, text.data(), text.size());
  std::memset(&out, 0, sizeof out);
  Outcome o{};
  o.ok = read(Line{copy, text.size(), 1}, out, o.fault);
  delete[] copy;
  return o;
}

void sameOutcome(const Outcome &a, const Outcome &b, const char *what) {
  FUZZ_CHECK(a.ok == b.ok, "%s: outcome %d vs %d", what, a.ok, b.ok);
  if (!a.ok)
    FUZZ_CHECK(std::strcmp(a.fault.field, b.fault.field) == 0 &&
                   a.fault.firstColumn == b.fault.firstColumn &&
                   a.fault.lastColumn == b.fault.lastColumn,
               "%s: fault %s %d-%d vs %s %d-%d", what, a.fault.field, a.fault.firstColumn,
               a.fault.lastColumn, b.fault.field, b.fault.firstColumn, b.fault.lastColumn);
}

bool same(const Header &a, const Header &b) {
  return a.n == b.n && std::memcmp(a.refsta, b.refsta, kNameLength) == 0 &&
         std::memcmp(a.crdsys, b.crdsys, 3) == 0;
}
bool same(const StationRecord &a, const StationRecord &b) {
  return std::memcmp(a.stanam, b.stanam, kNameLength) == 0 && sameBits(a.xyz[0], b.xyz[0]) &&
         sameBits(a.xyz[1], b.xyz[1]) && sameBits(a.xyz[2], b.xyz[2]);
}
bool same(const ParameterRecord &a, const ParameterRecord &b) {
  return a.k == b.k && std::memcmp(a.stanam, b.stanam, kNameLength) == 0 &&
         sameBits(a.value, b.value) && sameBits(a.sigma, b.sigma);
}
bool same(const CorrelationRecord &a, const CorrelationRecord &b) {
  return a.iread == b.iread && a.jread == b.jread && sameBits(a.rho, b.rho);
}

// `last`: the format's last column.
template <typename Record>
void checkReader(bool (*read)(const Line &, Record &, FieldFault &) noexcept, const char *kind,
                 std::size_t last, const std::string &line) {
  Record plain, padded, tailed;
  const Outcome a = run(read, line, plain);

  std::string withBlanks = line + std::string(100, ' ');
  const Outcome b = run(read, withBlanks, padded);
  sameOutcome(a, b, kind);
  if (a.ok) FUZZ_CHECK(same(plain, padded), "%s record changes when blank-padded", kind);

  std::string withTail = line.substr(0, last);
  withTail.resize(last, ' ');
  withTail += "#?x1.5E+3,\t-";
  const Outcome c = run(read, withTail, tailed);
  sameOutcome(a, c, kind);
  if (a.ok) FUZZ_CHECK(same(plain, tailed), "%s record changes with text after column %zu",
                       kind, last);
}

void checkCounts(int32_t n) {
  const SectionCounts c = sectionCounts(n);
  FUZZ_CHECK(c.nvec == n / 3, "nvec %d for n %d", c.nvec, n);
  if (c.nvec < 0) {
    FUZZ_CHECK(c.stations == 0 && c.parameters == 0 && c.correlations == 0,
               "negative count %d still reads records", n);
    return;
  }
  const int64_t big = 3 * static_cast<int64_t>(c.nvec);
  FUZZ_CHECK(c.stations == c.nvec + 1 && c.parameters == big &&
                 c.correlations == big * (big - 1) / 2,
             "counts of n %d", n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  if (size > 160) return 0;
  const std::string line(reinterpret_cast<const char *>(data), size);

  Header header;
  checkReader(readHeader, "header", 17, line);
  checkReader(readStation, "station", 65, line);
  checkReader(readParameter, "parameter", 74, line);
  checkReader(readCorrelation, "correlation", 35, line);

  FieldFault fault;
  if (readHeader(Line{line.data(), line.size(), 1}, header, fault)) checkCounts(header.n);
  if (size >= 4) {
    int32_t raw;
    std::memcpy(&raw, data, sizeof raw);
    checkCounts(raw);
  }
  return 0;
}
