// The solutions the reader tests are built from: a few named stations with
// simple parameter values, and numbered stations in any count.
#ifndef TESTS_UNIT_SAMPLE_SOLUTIONS_H
#define TESTS_UNIT_SAMPLE_SOLUTIONS_H

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/unit/solution_text.h"

// Four stations; positions chosen so their geodetic coordinates differ.
inline const Site kS1{"S1", 4027893.6719, 307045.9064, 4919475.1704};
inline const Site kR{"R", 4075580.385, 931853.847, 4801568.244};
inline const Site kS2{"S2", 3194469.145, 3194469.145, 4487419.12};
inline const Site kS3{"S3", 6378137.0, 0.0, 0.0};

inline double sigmaOf(int k) { return 0.001 * k; }
inline double valueOf(int k) { return 0.01 * k; }
inline double rhoOf(int i, int j) { return 0.01 * (i + 2 * j); }

// Header with count n, the given station records, and parameter groups
// (indices 3s-2 .. 3s) named after `groups`, then every correlation.
inline std::string solution(int n, const char *ref, const std::vector<Site> &stations,
                            const std::vector<std::string> &groups) {
  return solutionText(n, ref, stations, groups, SolutionValues{valueOf, sigmaOf, rhoOf});
}

// Covariance element of parameters i, j as such a solution defines it.
inline double fileCov(int i, int j) {
  if (i == j) return sigmaOf(i) * sigmaOf(i);
  const int a = i > j ? i : j, b = i > j ? j : i;
  return rhoOf(a, b) * std::sqrt((sigmaOf(a) * sigmaOf(a)) * (sigmaOf(b) * sigmaOf(b)));
}

// Station j of a numbered solution, a kilometre or two from the last.
inline Site numberedSite(int j, const std::string &name) {
  return Site{name, 4027893.6719 + 1000.0 * j, 307045.9064 + 2000.0 * j, 4919475.1704 - 500.0 * j};
}

// `stations` station records: record `refAt` is the reference station (REF),
// the others are named ST01, ST02, ...; parameter groups for the first
// `groups` records, named like them, every sigma and correlation set.  The
// header count is n, or 3 * groups when n is negative.
inline std::string numberedSolution(int stations, int refAt, int groups, int n = -1) {
  std::vector<Site> sites;
  for (int j = 1; j <= stations; ++j) {
    char name[16];
    std::snprintf(name, sizeof name, "ST%02d", j);
    sites.push_back(numberedSite(j, j == refAt ? "REF" : name));
  }
  std::vector<std::string> names;
  for (int g = 0; g < groups; ++g) names.push_back(sites[g].name);
  const SolutionValues values{[](int k) { return 0.001 * k; },
                              [](int k) { return 0.0001 * (1 + k % 5); },
                              [](int i, int j) { return 0.01 * (1 + (i + j) % 7); }};
  return solutionText(n >= 0 ? n : 3 * groups, "REF", sites, names, values);
}

#endif  // TESTS_UNIT_SAMPLE_SOLUTIONS_H
