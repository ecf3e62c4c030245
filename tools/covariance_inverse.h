// The inverse of a CovarianceModel (the normal matrix of its parameters),
// element by element without a dense matrix: the model is a block-diagonal
// matrix B plus three common-mode factors L L^T, so by the Woodbury identity
//     (B + L L^T)^-1 = B^-1 - U K U^T,  U = B^-1 L,  K = (I + L^T U)^-1,
// and an element costs a 3 x 3 block lookup and three products.  This is
// what lets the SINEX generator write INFO matrices of thousands of sites.
#ifndef TOOLS_COVARIANCE_INVERSE_H
#define TOOLS_COVARIANCE_INVERSE_H

#include <vector>

#include "tools/covariance_model.h"

namespace gensol {

class CovarianceInverse {
 public:
  explicit CovarianceInverse(const CovarianceModel &model);
  // Element (i, j) of the inverse (0-based).
  double element(int i, int j) const;

 private:
  static constexpr int kFactors = CovarianceModel::kFactors;
  std::vector<double> blockInverse_;  // 9 per station, row-major
  std::vector<double> u_;             // U = B^-1 L, kFactors per parameter
  std::vector<double> w_;             // W = U K, kFactors per parameter
};

}  // namespace gensol

#endif  // TOOLS_COVARIANCE_INVERSE_H
