// Woodbury's identity on the model's own parts; every block of B is
// positive definite, and so is I + L^T B^-1 L, so both small inverses exist.
#include "tools/covariance_inverse.h"

#include <cstddef>

namespace gensol {
namespace {

// Inverse of the 3 x 3 matrix a (row-major) by its cofactors.
void invert3(const double *a, double *out) {
  const double c00 = a[4] * a[8] - a[5] * a[7];
  const double c01 = a[5] * a[6] - a[3] * a[8];
  const double c02 = a[3] * a[7] - a[4] * a[6];
  const double det = a[0] * c00 + a[1] * c01 + a[2] * c02;
  out[0] = c00 / det;
  out[1] = (a[2] * a[7] - a[1] * a[8]) / det;
  out[2] = (a[1] * a[5] - a[2] * a[4]) / det;
  out[3] = c01 / det;
  out[4] = (a[0] * a[8] - a[2] * a[6]) / det;
  out[5] = (a[2] * a[3] - a[0] * a[5]) / det;
  out[6] = c02 / det;
  out[7] = (a[1] * a[6] - a[0] * a[7]) / det;
  out[8] = (a[0] * a[4] - a[1] * a[3]) / det;
}

}  // namespace

CovarianceInverse::CovarianceInverse(const CovarianceModel &model) {
  static_assert(kFactors == 3, "K is inverted as a 3 x 3 matrix");
  const int m = model.size(), stations = m / 3;
  blockInverse_.resize(9 * static_cast<std::size_t>(stations));
  for (int s = 0; s < stations; ++s) invert3(model.block(s), &blockInverse_[9 * std::size_t(s)]);

  // U = B^-1 L, station by station.
  u_.assign(kFactors * static_cast<std::size_t>(m), 0.0);
  for (int i = 0; i < m; ++i) {
    const double *bi = &blockInverse_[9 * std::size_t(i / 3) + 3 * std::size_t(i % 3)];
    const int first = i - i % 3;
    for (int k = 0; k < kFactors; ++k) {
      double sum = 0.0;
      for (int c = 0; c < 3; ++c) sum += bi[c] * model.load(k)[first + c];
      u_[kFactors * std::size_t(i) + k] = sum;
    }
  }
  // K = (I + L^T U)^-1, then W = U K.
  double g[9];
  for (int a = 0; a < kFactors; ++a)
    for (int b = 0; b < kFactors; ++b) {
      double sum = a == b ? 1.0 : 0.0;
      for (int i = 0; i < m; ++i) sum += model.load(a)[i] * u_[kFactors * std::size_t(i) + b];
      g[3 * a + b] = sum;
    }
  double k[9];
  invert3(g, k);
  w_.assign(u_.size(), 0.0);
  for (int i = 0; i < m; ++i)
    for (int b = 0; b < kFactors; ++b) {
      double sum = 0.0;
      for (int a = 0; a < kFactors; ++a) sum += u_[kFactors * std::size_t(i) + a] * k[3 * a + b];
      w_[kFactors * std::size_t(i) + b] = sum;
    }
}

double CovarianceInverse::element(int i, int j) const {
  double c = i / 3 == j / 3 ? blockInverse_[9 * std::size_t(i / 3) + 3 * (i % 3) + j % 3] : 0.0;
  const double *wi = &w_[kFactors * std::size_t(i)], *uj = &u_[kFactors * std::size_t(j)];
  for (int k = 0; k < kFactors; ++k) c -= wi[k] * uj[k];
  return c;
}

}  // namespace gensol
