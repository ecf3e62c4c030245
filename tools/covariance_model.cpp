// Each station's block is built in its east/north/up frame (horizontal
// sigmas smaller than vertical ones) and rotated to X/Y/Z; the common-mode
// factors (frame realisation, shared models) add load_i * load_j to every
// element.  The sum is positive definite by construction.
//
// Every element is summed exactly as the dense matrix used to be: the block
// value (0 outside a station's block), then each factor's product in turn.
// So the files stay bit for bit what they were when the generator stored
// the whole matrix.
#include "tools/covariance_model.h"

#include <cmath>

namespace gensol {

CovarianceModel::CovarianceModel(const std::vector<Station> &st, int count, Random &rnd)
    : m_(3 * count), blocks_(9 * static_cast<std::size_t>(count)) {
  for (int s = 0; s < count; ++s) {
    // East/north/up sigmas and correlations; the small correlations keep the
    // 3 x 3 matrix well inside the positive-definite range.
    const double sig[3] = {rnd.uniform(0.15e-3, 0.9e-3), rnd.uniform(0.15e-3, 0.9e-3),
                           rnd.uniform(0.6e-3, 1.9e-3)};
    const double rho_en = rnd.uniform(-0.3, 0.3);
    const double rho_eu = rnd.uniform(-0.15, 0.15);
    const double rho_nu = rnd.uniform(-0.15, 0.15);
    const double q[3][3] = {{sig[0] * sig[0], rho_en * sig[0] * sig[1], rho_eu * sig[0] * sig[2]},
                            {rho_en * sig[0] * sig[1], sig[1] * sig[1], rho_nu * sig[1] * sig[2]},
                            {rho_eu * sig[0] * sig[2], rho_nu * sig[1] * sig[2], sig[2] * sig[2]}};
    // X/Y/Z block = E^T Q E, E's rows being the local unit vectors.
    const auto &e = st[s].enu;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        double sum = 0.0;
        for (int a = 0; a < 3; ++a)
          for (int b = 0; b < 3; ++b) sum += e[a][i] * q[a][b] * e[b][j];
        blocks_[9 * static_cast<std::size_t>(s) + 3 * i + j] = sum;
      }
  }

  // Each station loads on each factor with its own weight.
  for (auto &load : load_) {
    double t[3] = {rnd.normal(), rnd.normal(), rnd.normal()};
    const double scale = rnd.uniform(0.05e-3, 0.12e-3) /
                         std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
    for (double &x : t) x *= scale;
    load.resize(static_cast<std::size_t>(m_));
    for (int s = 0; s < count; ++s) {
      const double w = rnd.uniform(0.7, 1.3);
      for (int i = 0; i < 3; ++i) load[3 * s + i] = w * t[i];
    }
  }

  diag_.resize(static_cast<std::size_t>(m_));
  for (int i = 0; i < m_; ++i) diag_[i] = element(i, i);
}

double CovarianceModel::element(int i, int j) const {
  double c = i / 3 == j / 3 ? blocks_[9 * static_cast<std::size_t>(i / 3) + 3 * (i % 3) + j % 3]
                            : 0.0;
  for (const auto &load : load_) c += load[i] * load[j];
  return c;
}

void CovarianceModel::correlationRow(int i, double *rho) const {
  static_assert(kFactors == 3, "the row below is written out for three factors");
  // Outside the station's own block: one pass the compiler vectorises
  // (IEEE sqrt and division, so the bits do not change).
  const double *l0 = load_[0].data(), *l1 = load_[1].data(), *l2 = load_[2].data();
  const double *d = diag_.data();
  const double li0 = l0[i], li1 = l1[i], li2 = l2[i], di = d[i];
  for (int j = 0; j < i; ++j) {
    const double c = ((0.0 + li0 * l0[j]) + li1 * l1[j]) + li2 * l2[j];
    rho[j] = c / std::sqrt(di * d[j]);
  }
  // Inside it: the block's own value first.
  for (int j = i - i % 3; j < i; ++j) rho[j] = element(i, j) / std::sqrt(di * d[j]);
}

}  // namespace gensol
