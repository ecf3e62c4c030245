// The matrix is nearly all of a frame-sized file (7.4 million lines, about
// 600 MB, at 1111 sites), so its lines are built by hand into a large
// buffer, indices from a table of their texts, values by the exact
// formatter of fortran_e.h; the few other lines go through fprintf.
#include "tools/sinex_writer.h"

#include <cmath>
#include <cstring>
#include <string>

#include "tools/fortran_e.h"
#include "tools/output_buffer.h"

namespace gensol {
namespace {

constexpr int kMaxIndex = 99999;  // I5

// "YY:DDD:SSSSS".
std::string timeText(const SinexTime &t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%03d:%05d", t.year % 100, t.doy, t.sec);
  return buf;
}

// An angle as SITE/ID writes it, I3 degrees, I2 minutes, F4.1 seconds,
// rounded to a tenth of a second (a sign on the degrees, also for -0).
std::string angleText(double deg) {
  const long tenths = std::lround(std::fabs(deg) * 36000.0);
  const long d = tenths / 36000, m = tenths % 36000 / 600;
  const double s = static_cast<double>(tenths % 600) / 10.0;
  char buf[32];
  const std::string degrees = (deg < 0 ? "-" : "") + std::to_string(d);
  std::snprintf(buf, sizeof buf, "%3s %2ld %4.1f", degrees.c_str(), m, s);
  return buf;
}

// "%5d" of 0 .. 99999.
struct IndexTexts {
  std::vector<char> text;
  explicit IndexTexts(int count) : text(5 * static_cast<std::size_t>(count + 1)) {
    char buf[8];
    for (int k = 0; k <= count; ++k) {
      std::snprintf(buf, sizeof buf, "%5d", k);
      std::memcpy(&text[5 * static_cast<std::size_t>(k)], buf, 5);
    }
  }
  const char *at(int k) const { return &text[5 * static_cast<std::size_t>(k)]; }
};

// A blank and scientificE right-aligned in 21 columns.
char *putValue(char *p, double v) {
  char e[kFortranEMax];
  const std::size_t n = scientificE(v, e);
  *p++ = ' ';
  if (n < 21) {
    std::memset(p, ' ', 21 - n);
    p += 21 - n;
  }
  std::memcpy(p, e, n);
  return p + n;
}

const char *const kTypes[6] = {"STAX", "STAY", "STAZ", "VELX", "VELY", "VELZ"};
const char *const kUnits[6] = {"m", "m", "m", "m/y", "m/y", "m/y"};

void writeHeadBlocks(std::FILE *f, const SinexSolution &sol, int p) {
  const SinexTime created{2021, 1, 0};
  SinexTime first = sol.windows.front().start, last = sol.windows.front().end;
  for (const DataWindow &w : sol.windows) {
    if (w.start.year * 1000 + w.start.doy < first.year * 1000 + first.doy) first = w.start;
    if (w.end.year * 1000 + w.end.doy > last.year * 1000 + last.doy) last = w.end;
  }
  std::fprintf(f, "%%=SNX 2.02 SYN %s SYN %s %s P %05d 2 S\n", timeText(created).c_str(),
               timeText(first).c_str(), timeText(last).c_str(), p);
  std::fprintf(f,
               "+FILE/REFERENCE\n"
               " DESCRIPTION        synthetic frame solution, positions and velocities\n"
               " OUTPUT             station positions and velocities with covariance\n"
               " SOFTWARE           gensnx (geodesy-mex test data generator)\n"
               " INPUT              none: every value drawn from the seed\n"
               "-FILE/REFERENCE\n");

  std::fprintf(f, "+SITE/ID\n*CODE PT __DOMES__ T _STATION DESCRIPTION__ APPROX_LON_ "
                  "APPROX_LAT_ _APP_H_\n");
  for (std::size_t s = 0; s < sol.windows.size(); ++s) {
    const Station &st = sol.sites[s];
    const double lon = st.lon < 0 ? st.lon + 360.0 : st.lon;
    const std::string description = "synthetic site " + st.name;
    std::fprintf(f, " %4s  A %05dM%03d P %-22s %s %s %7.1f\n", st.name.c_str(),
                 10000 + static_cast<int>(s) % 90000, 1, description.c_str(),
                 angleText(lon).c_str(), angleText(st.lat).c_str(), st.h);
  }
  std::fprintf(f, "-SITE/ID\n");

  std::fprintf(f, "+SOLUTION/EPOCHS\n*CODE PT SOLN T _DATA_START_ __DATA_END__ _MEAN_EPOCH_\n");
  for (std::size_t s = 0; s < sol.windows.size(); ++s) {
    const DataWindow &w = sol.windows[s];
    std::fprintf(f, " %4s  A    1 P %s %s %s\n", sol.sites[s].name.c_str(),
                 timeText(w.start).c_str(), timeText(w.end).c_str(), timeText(w.mean).c_str());
  }
  std::fprintf(f, "-SOLUTION/EPOCHS\n");

  std::fprintf(f, "+SOLUTION/STATISTICS\n %-30s %22.15f\n-SOLUTION/STATISTICS\n",
               "VARIANCE FACTOR", 1.0);

  std::fprintf(f, "+SOLUTION/ESTIMATE\n*INDEX TYPE__ CODE PT SOLN _REF_EPOCH__ UNIT S "
                  "__ESTIMATED VALUE____ _STD_DEV___\n");
  const std::string ref = timeText(sol.reference);
  for (int a = 0; a < p; ++a) {
    const Station &st = sol.sites[a / 6];
    const int c = a % 6;
    const double value = c < 3 ? st.xyz[c] : sol.velocity[3 * (a / 6) + c - 3];
    std::fprintf(f, " %5d %-6s %4s  A    1 %s %-4s 2 %21.14E %11.5E\n", a + 1, kTypes[c],
                 st.name.c_str(), ref.c_str(), kUnits[c], value,
                 std::sqrt(sol.covariance.covariance(a, a)));
  }
  std::fprintf(f, "-SOLUTION/ESTIMATE\n");
}

}  // namespace

bool writeSinex(std::FILE *f, const SinexSolution &sol, Triangle triangle, MatrixKind kind) {
  const int p = sol.covariance.size();
  if (p > kMaxIndex || sol.windows.empty()) return false;
  writeHeadBlocks(f, sol, p);

  static const char *const kKinds[3] = {"COVA", "CORR", "INFO"};
  const char *name = kKinds[static_cast<int>(kind)];
  const char tri = triangle == Triangle::Lower ? 'L' : 'U';
  std::fprintf(f, "+SOLUTION/MATRIX_ESTIMATE %c %s\n*PARA1 PARA2 ____PARA2+0__________ "
                  "____PARA2+1__________ ____PARA2+2__________\n", tri, name);

  std::vector<double> sigma(static_cast<std::size_t>(p));
  for (int a = 0; a < p; ++a) sigma[a] = std::sqrt(sol.covariance.covariance(a, a));
  auto element = [&](int a, int b) {
    switch (kind) {
      case MatrixKind::Covariance:
        return sol.covariance.covariance(a, b);
      case MatrixKind::Correlation:
        return a == b ? sigma[a] : sol.covariance.covariance(a, b) / (sigma[a] * sigma[b]);
      case MatrixKind::Information:
        break;
    }
    return sol.covariance.information(a, b);
  };

  const IndexTexts index(p);
  OutputBuffer out(f);
  constexpr std::size_t kLine = 1 + 5 + 1 + 5 + 3 * 22 + 1;
  for (int a = 0; a < p; ++a) {
    // Three elements a line: (a, b), (a, b + 1), (a, b + 2) of the row's
    // part of the triangle.
    const int first = triangle == Triangle::Lower ? 0 : a;
    const int last = triangle == Triangle::Lower ? a : p - 1;
    for (int b = first; b <= last; b += 3) {
      char *const start = out.reserve(kLine + 3);  // room for three-digit exponents
      char *q = start;
      *q++ = ' ';
      std::memcpy(q, index.at(a + 1), 5);
      q[5] = ' ';
      std::memcpy(q + 6, index.at(b + 1), 5);
      q += 11;
      for (int c = b; c <= last && c < b + 3; ++c) q = putValue(q, element(a, c));
      *q++ = '\n';
      out.commit(static_cast<std::size_t>(q - start));
    }
  }
  if (!out.flush()) return false;
  std::fprintf(f, "-SOLUTION/MATRIX_ESTIMATE %c %s\n%%ENDSNX\n", tri, name);
  return !std::ferror(f);
}

}  // namespace gensol
