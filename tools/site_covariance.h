// The covariance of a synthetic SINEX solution: position and velocity of
// each site, six parameters per site in the order STAX STAY STAZ VELX VELY
// VELZ.  A site's position at the reference epoch is its position at the
// mean epoch of its data, a, plus t times its velocity v, t the years from
// the mean epoch to the reference epoch; a and v are independent, with the
// covariance models Cp and Cv.  So, for parameters i, j of sites s, r:
//     cov(p_i, p_j) = Cp_ij + t_s t_r Cv_ij,  cov(p_i, v_j) = t_s Cv_ij,
//     cov(v_i, v_j) = Cv_ij,
// dense and positive definite, with the correlations between a site's
// position and velocity that real frame solutions show.  Its inverse (the
// normal matrix) follows from the same construction:
//     N_pp = Ap,  N_pv = -Ap T,  N_vv = T Ap T + Av   (A = C^-1, T = diag t).
#ifndef TOOLS_SITE_COVARIANCE_H
#define TOOLS_SITE_COVARIANCE_H

#include <memory>
#include <vector>

#include "tools/covariance_inverse.h"
#include "tools/covariance_model.h"

namespace gensol {

class SiteCovariance {
 public:
  // `offsets`: t of each site, years.  `withInverse` prepares information().
  SiteCovariance(const CovarianceModel &positions, const CovarianceModel &velocities,
                 std::vector<double> offsets, bool withInverse);

  int size() const { return 2 * velocities_.size(); }
  // Elements (a, b), 0-based parameter numbers; both are exactly
  // symmetric (the lower triangle's element is computed for either order).
  double covariance(int a, int b) const;
  double information(int a, int b) const;

 private:
  const CovarianceModel &positions_, &velocities_;
  std::vector<double> t_;
  std::unique_ptr<CovarianceInverse> positionsInverse_, velocitiesInverse_;
};

}  // namespace gensol

#endif  // TOOLS_SITE_COVARIANCE_H
