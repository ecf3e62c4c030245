// The correlation records are nearly all of a large file (50 million of
// them, 1.8 GB, at 3333 stations), so they are built by hand into a large
// buffer: the row's first index once per row, the second from a table of
// the 9999 four-column texts, the value by the exact E22.15 formatter.  The
// few other records go through fprintf as before.
#include "tools/solution_writer.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "tools/fortran_e.h"
#include "tools/output_buffer.h"

namespace gensol {
namespace {

constexpr int kMaxIndex = 9999;  // I4

// " %4d" for 1 .. 9999 without the blank: four columns, right-aligned.
struct IndexTexts {
  char text[kMaxIndex + 1][4];
  IndexTexts() {
    for (int k = 0; k <= kMaxIndex; ++k) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%4d", k);
      std::memcpy(text[k], buf, 4);
    }
  }
};

// fortranE right-aligned in `width` columns.
char *putE(char *p, double v, std::size_t width) {
  char e[kFortranEMax];
  const std::size_t n = fortranE(v, e);
  if (n < width) {
    std::memset(p, ' ', width - n);
    p += width - n;
  }
  std::memcpy(p, e, n);
  return p + n;
}

}  // namespace

bool writeSolution(std::FILE *f, const std::vector<Station> &st, int ref,
                   const std::vector<double> &vel, const CovarianceModel &cov) {
  const int m = cov.size();
  // (X,I4,A8,X,A3): parameter count, reference station, coordinate system.
  std::fprintf(f, " %4d%-8s %-3s\n", m, st[ref - 1].name.c_str(), "XYZ");
  // (A8,3(F19.7)): Cartesian positions, metres.
  for (const Station &s : st)
    std::fprintf(f, "%-8s%19.7f%19.7f%19.7f\n", s.name.c_str(), s.xyz[0], s.xyz[1], s.xyz[2]);
  // (X,I4,10X,A8,2X,E22.15,6X,E21.15): velocity component and sigma, m/yr;
  // the skipped columns label the component for a human reader.
  static const char *const comp[3] = {"  VX      ", "  VY      ", "  VZ      "};
  for (int k = 0; k < m; ++k) {
    char value[kFortranEMax + 1], sigma[kFortranEMax + 1];
    value[fortranE(vel[k], value)] = '\0';
    sigma[fortranE(std::sqrt(cov.variance(k)), sigma)] = '\0';
    std::fprintf(f, " %4d%s%-8s  %22s  +-  %21s\n", k + 1, comp[k % 3], st[k / 3].name.c_str(),
                 value, sigma);
  }

  // (X,I4,2X,I4,2X,E22.15): correlations, strict lower triangle row by row.
  static const IndexTexts index;
  OutputBuffer out(f);
  std::vector<double> rho(static_cast<std::size_t>(m));
  constexpr std::size_t kRecord = 1 + 4 + 2 + 4 + 2 + 22 + 1;
  for (int i = 1; i < m; ++i) {
    cov.correlationRow(i, rho.data());
    char head[7] = {' ', 0, 0, 0, 0, ' ', ' '};
    std::memcpy(head + 1, index.text[i + 1], 4);
    for (int j = 0; j < i; ++j) {
      char *const start = out.reserve(kRecord + 1);  // one spare for a wider value
      char *p = start;
      std::memcpy(p, head, 7);
      std::memcpy(p + 7, index.text[j + 1], 4);
      p[11] = ' ';
      p[12] = ' ';
      p = putE(p + 13, rho[j], 22);
      *p++ = '\n';
      out.commit(static_cast<std::size_t>(p - start));
    }
  }
  return out.flush() && !std::ferror(f);
}

}  // namespace gensol
