// The covariance of a synthetic solution's velocity parameters, kept as the
// model it is made of rather than as a matrix: one 3 x 3 block per station
// plus a few common-mode factors that tie all stations together.  A 3333-
// station solution has a 9999 x 9999 covariance (800 MB); the model takes
// a few hundred kilobytes and gives any row on demand.
#ifndef TOOLS_COVARIANCE_MODEL_H
#define TOOLS_COVARIANCE_MODEL_H

#include <vector>

#include "tools/random_stream.h"
#include "tools/stations.h"

namespace gensol {

class CovarianceModel {
 public:
  // Draws the model of the first `count` stations of `st` (m/yr squared).
  CovarianceModel(const std::vector<Station> &st, int count, Random &rnd);

  int size() const { return m_; }
  // Variance of parameter i (0-based).
  double variance(int i) const { return diag_[i]; }
  // Correlations of parameter i with parameters 0 .. i-1 into rho[0 .. i).
  void correlationRow(int i, double *rho) const;
  // Covariance of parameters i and j (0-based).
  double element(int i, int j) const;

  // What the model is made of, for its inverse (covariance_inverse.h):
  // the 3 x 3 block of station s (row-major), and factor k's loads.
  static constexpr int kFactors = 3;
  const double *block(int s) const { return &blocks_[9 * static_cast<std::size_t>(s)]; }
  const std::vector<double> &load(int k) const { return load_[k]; }

 private:
  int m_;
  std::vector<double> blocks_;             // 9 per station, row-major X/Y/Z
  std::vector<double> load_[kFactors];     // each factor's load on each parameter
  std::vector<double> diag_;
};

}  // namespace gensol

#endif  // TOOLS_COVARIANCE_MODEL_H
