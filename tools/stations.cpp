// Station placement: random positions kept a minimum distance apart (so
// that labels stay apart on a map), the distance shrinking whenever 500
// draws in a row find no free spot.  The stations already placed are kept in
// a grid of cells at least that distance wide, so a draw is compared only
// with the stations of its own and the neighbouring cells: thousands of
// stations take milliseconds, and the draws, hence the files, are the same
// as comparing with every station.
#include "tools/stations.h"

#include <cmath>
#include <cstring>
#include <unordered_set>

#include "core/wgs84.h"

namespace gensol {
namespace {

constexpr double kDeg = kPi / 180.0;

// The region the stations are drawn from, degrees.
constexpr double kLatMin = 36.0, kLatMax = 64.0;
constexpr double kLonMin = -9.0, kLonMax = 28.0;

void toCartesian(Station &s) {
  using geomex::wgs84::kA;
  using geomex::wgs84::kE2;
  const double phi = s.lat * kDeg, lam = s.lon * kDeg;
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double sl = std::sin(lam), cl = std::cos(lam);
  const double n = kA / std::sqrt(1.0 - kE2 * sp * sp);
  s.xyz[0] = (n + s.h) * cp * cl;
  s.xyz[1] = (n + s.h) * cp * sl;
  s.xyz[2] = (n * (1.0 - kE2) + s.h) * sp;
  const double e[3][3] = {{-sl, cl, 0.0}, {-sp * cl, -sp * sl, cp}, {cp * cl, cp * sl, sp}};
  std::memcpy(s.enu, e, sizeof e);
}

// Pronounceable four-letter codes (consonant, vowel, consonant, vowel or
// consonant) read better on the map than random letters; there are 26,880
// of them, plenty for the 3334 station records of the largest solution.
std::string makeName(Random &rnd) {
  static const char cons[] = "BCDFGHKLMNPRSTVZ";
  static const char vow[] = "AEIOU";
  std::string s;
  s += cons[rnd.below(sizeof cons - 1)];
  s += vow[rnd.below(sizeof vow - 1)];
  s += cons[rnd.below(sizeof cons - 1)];
  s += rnd.unit() < 0.5 ? vow[rnd.below(sizeof vow - 1)] : cons[rnd.below(sizeof cons - 1)];
  return s;
}

// Whether two positions are closer than dmin, in degrees of arc, roughly.
bool tooClose(double lat, double lon, const Station &o, double dmin) {
  const double dlat = lat - o.lat;
  const double dlon = (lon - o.lon) * std::cos(0.5 * (lat + o.lat) * kDeg);
  return dlat * dlat + dlon * dlon < dmin * dmin;
}

// The placed stations by cell.  A cell is 1 % more than dmin high and wide
// enough that dmin of longitude at the region's northern edge fits, so two
// stations farther apart than one cell can never be too close.
class Grid {
 public:
  Grid(const std::vector<Station> &placed, double dmin)
      : h_(1.01 * dmin), w_(1.01 * dmin / kMinCos),
        rows_(static_cast<int>((kLatMax - kLatMin) / h_) + 1),
        cols_(static_cast<int>((kLonMax - kLonMin) / w_) + 1),
        cells_(static_cast<std::size_t>(rows_) * cols_) {
    for (std::size_t k = 0; k < placed.size(); ++k) add(placed[k], static_cast<int>(k));
  }

  void add(const Station &s, int k) { cells_[cell(row(s.lat), col(s.lon))].push_back(k); }

  bool anyTooClose(double lat, double lon, const std::vector<Station> &placed,
                   double dmin) const {
    const int r = row(lat), c = col(lon);
    for (int i = r - 1; i <= r + 1; ++i)
      for (int j = c - 1; j <= c + 1; ++j) {
        if (i < 0 || i >= rows_ || j < 0 || j >= cols_) continue;
        for (int k : cells_[cell(i, j)])
          if (tooClose(lat, lon, placed[k], dmin)) return true;
      }
    return false;
  }

 private:
  // Below cos 64 deg = 0.438: the smallest scale of longitude in the region.
  static constexpr double kMinCos = 0.43;
  int row(double lat) const { return static_cast<int>((lat - kLatMin) / h_); }
  int col(double lon) const { return static_cast<int>((lon - kLonMin) / w_); }
  std::size_t cell(int i, int j) const { return static_cast<std::size_t>(i) * cols_ + j; }

  double h_, w_;
  int rows_, cols_;
  std::vector<std::vector<int>> cells_;
};

}  // namespace

std::vector<Station> placeStations(int count, Random &rnd) {
  std::vector<Station> st;
  st.reserve(static_cast<std::size_t>(count));
  std::unordered_set<std::string> names;
  double dmin = 4.0;  // degrees of arc, roughly
  Grid grid(st, dmin);
  while (static_cast<int>(st.size()) < count) {
    Station s{};
    bool placed = false;
    for (int attempt = 0; attempt < 500 && !placed; ++attempt) {
      s.lat = rnd.uniform(kLatMin, kLatMax);
      s.lon = rnd.uniform(kLonMin, kLonMax);
      placed = !grid.anyTooClose(s.lat, s.lon, st, dmin);
    }
    if (!placed) {
      dmin *= 0.8;
      grid = Grid(st, dmin);
      continue;
    }
    // Most stations sit low; a few are on mountains.
    const double u = rnd.unit();
    s.h = -50.0 + 3050.0 * u * u * u;
    do s.name = makeName(rnd);
    while (!names.insert(s.name).second);
    toCartesian(s);
    grid.add(s, static_cast<int>(st.size()));
    st.push_back(s);
  }
  return st;
}

}  // namespace gensol
