// Builds velocity solution files in their fixed columns, for tests: record by
// record, or a whole solution from its stations and parameter groups.
#ifndef TESTS_UNIT_SOLUTION_TEXT_H
#define TESTS_UNIT_SOLUTION_TEXT_H

#include <cstdio>
#include <string>
#include <vector>

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

// A station record's name and position.
struct Site {
  std::string name;
  double x, y, z;
};

// What a whole solution gives parameter k (1-based) and the pair (i, j).
struct SolutionValues {
  double (*value)(int k);
  double (*sigma)(int k);
  double (*rho)(int i, int j);
};

// Header with count n, the station records, three parameters for each name
// in `groups` (indices 3g-2 .. 3g), then every correlation of those
// parameters in the usual order.
inline std::string solutionText(int n, const char *ref, const std::vector<Site> &stations,
                                const std::vector<std::string> &groups,
                                const SolutionValues &values) {
  SolutionText t;
  t.header(n, ref);
  for (const Site &s : stations) t.station(s.name.c_str(), s.x, s.y, s.z);
  int k = 0;
  for (const std::string &g : groups)
    for (int q = 0; q < 3; ++q, ++k) t.parameter(k + 1, g.c_str(), values.value(k + 1), values.sigma(k + 1));
  t.correlations(k, values.rho);
  return t.text;
}

// The lines of a text without their line ends, and back.
inline std::vector<std::string> linesOf(const std::string &text) {
  std::vector<std::string> lines;
  for (std::size_t p = 0, q; (q = text.find('\n', p)) != std::string::npos; p = q + 1)
    lines.push_back(text.substr(p, q - p));
  return lines;
}

inline std::string joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &l : lines) text += l + "\n";
  return text;
}

#endif  // TESTS_UNIT_SOLUTION_TEXT_H
