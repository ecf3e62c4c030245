// Calls the reading routine for tests: result areas of exactly their sizes
// on the heap (so a sanitizer build catches any write outside them), zero on
// entry, and the diagnostic lines of the call.
#ifndef TESTS_UNIT_READER_RESULTS_H
#define TESTS_UNIT_READER_RESULTS_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "reader/tosqum.h"

struct ReaderResults {
  std::vector<double> vel = std::vector<double>(geomex::kVelRows * geomex::kVelCols, 0.0);
  std::vector<double> outcov = std::vector<double>(geomex::kOutcovDim * geomex::kOutcovDim, 0.0);
  std::vector<double> nvec = std::vector<double>(1, 0.0);
  std::vector<double> llh = std::vector<double>(geomex::kLlhRows * geomex::kLlhCols, 0.0);
  std::vector<std::string> lines;
  geomex::TosqumStatus status{};

  double velAt(int r, int c) const { return vel[(r - 1) + (c - 1) * geomex::kVelRows]; }
  double covAt(int r, int c) const { return outcov[(r - 1) + (c - 1) * geomex::kOutcovDim]; }
  double llhAt(int r, int c) const { return llh[(r - 1) + (c - 1) * geomex::kLlhRows]; }
  // Elements of an area that are not 0.0.
  static int nonzero(const std::vector<double> &a) {
    int count = 0;
    for (double v : a) count += v != 0.0;
    return count;
  }
  bool allZero() const {
    return nonzero(vel) + nonzero(outcov) + nonzero(nvec) + nonzero(llh) == 0;
  }
  std::string message() const { return status.message; }
};

namespace reader_results_detail {
inline std::vector<std::string> &said() {
  static std::vector<std::string> lines;
  return lines;
}
inline void remember(const char *line) { said().push_back(line); }
}  // namespace reader_results_detail

// The file's bytes from memory, in a block of exactly their size.
inline ReaderResults readText(const std::string &text, const char *name = "test.sol") {
  ReaderResults r;
  reader_results_detail::said().clear();
  std::vector<char> bytes(text.begin(), text.end());
  r.status = geomex::tosqumText(bytes.data(), bytes.size(), name, r.vel.data(), r.outcov.data(),
                        r.nvec.data(), r.llh.data(), reader_results_detail::remember);
  r.lines = reader_results_detail::said();
  return r;
}

// Through the file system, the name in its blank-padded 150-character field
// (a block of exactly that size: no NUL after it either).
inline ReaderResults readFile(const std::string &path) {
  ReaderResults r;
  std::vector<char> field(geomex::kFileNameField, ' ');
  EXPECT_LE(path.size(), field.size());
  std::memcpy(field.data(), path.data(), std::min(path.size(), field.size()));
  reader_results_detail::said().clear();
  r.status = geomex::tosqum(field.data(), r.vel.data(), r.outcov.data(), r.nvec.data(), r.llh.data(),
                    reader_results_detail::remember);
  r.lines = reader_results_detail::said();
  return r;
}

#endif  // TESTS_UNIT_READER_RESULTS_H
