// The site-solution rows gathered from the estimates, their covariances
// taken from the matrix, and the whole-file convenience.
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "core/xyz2llh.h"
#include "sinex/sinex.h"
#include "sinex/sinex_records.h"

namespace geomex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// 0, 1, 2 for the X, Y, Z of a STA? (position) or VEL? type, else -1.
int component(const std::string &type, const char *prefix) {
  if (type.size() != 4 || type.compare(0, 3, prefix) != 0) return -1;
  const char c = type[3];
  return c == 'X' ? 0 : c == 'Y' ? 1 : c == 'Z' ? 2 : -1;
}

}  // namespace

void SinexReader::assembleRows() {
  std::unordered_map<std::string, std::size_t> rowOf, siteId, epochs;
  for (std::size_t k = siteIdKeys_.size(); k-- > 0;) siteId[siteIdKeys_[k]] = k;  // first wins
  for (std::size_t k = epochKeys_.size(); k-- > 0;) epochs[epochKeys_[k]] = k;
  std::vector<SinexSiteRow> &rows = contents_.rows;
  for (const SinexEstimate &e : contents_.estimates) {
    const int position = component(e.type, "STA"), velocity = component(e.type, "VEL");
    if (position < 0 && velocity < 0) continue;
    const std::string site = sinexSiteKey(e.site, e.point);
    const std::string key = site + '\n' + e.soln;
    auto found = rowOf.find(key);
    if (found == rowOf.end()) {
      found = rowOf.emplace(key, rows.size()).first;
      SinexSiteRow r;
      r.station = e.site;
      r.point = e.point;
      r.soln = e.soln;
      const auto id = siteId.find(site);
      if (id != siteId.end()) {
        r.domes = siteIdDomes_[id->second];
        r.description = siteIdDescriptions_[id->second];
      }
      r.epoch = SinexTime{kNaN, kNaN, kNaN};
      r.validFrom = r.validTo = r.epoch;
      const auto window = epochs.find(key);
      if (window != epochs.end()) {
        r.validFrom = epochFrom_[window->second];
        r.validTo = epochTo_[window->second];
      }
      for (int c = 0; c < 3; ++c) {
        r.xyz[c] = r.sxyz[c] = r.vel[c] = r.sigma[c] = kNaN;
        r.position[c] = r.velocity[c] = 0;
      }
      rows.push_back(std::move(r));
    }
    SinexSiteRow &r = rows[found->second];
    if (position >= 0) {
      if (r.position[0] == 0 && r.position[1] == 0 && r.position[2] == 0) r.epoch = e.epoch;
      r.xyz[position] = e.value;
      r.sxyz[position] = e.sigma;
      r.position[position] = e.index;
    } else {
      r.vel[velocity] = e.value;
      r.sigma[velocity] = e.sigma;
      r.velocity[velocity] = e.index;
    }
  }
  for (SinexSiteRow &r : rows) xyz2llh(r.xyz, r.llh);
}

void SinexReader::siteCovariance(bool velocities, double *out) const {
  const std::vector<SinexSiteRow> &rows = contents_.rows;
  const std::size_t n = 3 * rows.size();
  const std::size_t P = contents_.estimates.size();
  std::vector<int32_t> index(n);  // estimate index of each row and column, 0 if none
  std::vector<double> sigma(n);
  for (std::size_t a = 0; a < rows.size(); ++a)
    for (int c = 0; c < 3; ++c) {
      index[3 * a + c] = velocities ? rows[a].velocity[c] : rows[a].position[c];
      sigma[3 * a + c] = velocities ? rows[a].sigma[c] : rows[a].sxyz[c];
    }
  for (std::size_t j = 0; j < n; ++j) {
    double *column = out + j * n;
    const int32_t ij = index[j];
    if (ij == 0) {
      std::fill(column, column + n, kNaN);
      continue;
    }
    const double *source = matrix_ ? matrix_ + static_cast<std::size_t>(ij - 1) * P : nullptr;
    for (std::size_t i = 0; i < n; ++i) {
      const int32_t ii = index[i];
      if (ii == 0)
        column[i] = kNaN;
      else if (source)
        column[i] = source[ii - 1];
      else
        column[i] = i == j ? sigma[i] * sigma[i] : 0.0;
    }
  }
}

bool readSinex(ByteSource &source, const std::string &name, unsigned threads, SinexSolution &out,
               std::string *errorId, std::string *error, std::vector<SinexWarning> *warnings) {
  SinexReader reader(source, name);
  const bool ok = reader.read(
      [&](std::size_t P) {
        out.matrix.resize(P * P);
        return out.matrix.data();
      },
      threads);
  if (ok) {
    out.contents = reader.contents();
    if (!reader.matrix()) out.matrix.clear();
    const std::size_t n = 3 * out.contents.rows.size();
    out.cov.resize(n * n);
    out.poscov.resize(n * n);
    reader.siteCovariance(true, out.cov.data());
    reader.siteCovariance(false, out.poscov.data());
  }
  if (errorId) *errorId = reader.errorId();
  if (error) *error = reader.errorMessage();
  if (warnings) *warnings = reader.warnings();
  return ok;
}

}  // namespace geomex
