// Builds velocity solution files in their fixed columns, for tests.
#ifndef TESTS_UNIT_SOLUTION_TEXT_H
#define TESTS_UNIT_SOLUTION_TEXT_H

#include <cstdio>
#include <string>

using namespace geomex;

struct SolutionText {
  std::string text;

  SolutionText &header(int n, const char *refsta, const char *crdsys = "ITR") {
    return line(" %4d%-8.8s %-3.3s", n, refsta, crdsys);
  }
  SolutionText &station(const char *name, double x, double y, double z) {
    return line("%-8.8s%19.7f%19.7f%19.7f", name, x, y, z);
  }
  SolutionText &parameter(int k, const char *name, double value, double sigma) {
    return line(" %4d          %-8.8s  %22.15E      %21.15E", k, name, value, sigma);
  }
  SolutionText &correlation(int i, int j, double rho) {
    return line(" %4d  %4d  %22.15E", i, j, rho);
  }
  // Every correlation record of n parameters in the usual order, rho(i, j).
  template <typename Rho>
  SolutionText &correlations(int n, Rho rho) {
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j < i; ++j) correlation(i, j, rho(i, j));
    return *this;
  }
  SolutionText &raw(const std::string &s) {
    text += s;
    text += '\n';
    return *this;
  }

 private:
  template <typename... Args>
  SolutionText &line(const char *fmt, Args... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return raw(buf);
  }
};

#endif  // TESTS_UNIT_SOLUTION_TEXT_H
