#include "tools/site_covariance.h"

#include <utility>

namespace gensol {
namespace {

// Parameter a's site-model index (3 per site) and whether it is a velocity.
struct Part {
  int i;
  bool velocity;
  int site;
};

Part part(int a) { return {3 * (a / 6) + a % 3, a % 6 >= 3, a / 6}; }

}  // namespace

SiteCovariance::SiteCovariance(const CovarianceModel &positions,
                               const CovarianceModel &velocities, std::vector<double> offsets,
                               bool withInverse)
    : positions_(positions), velocities_(velocities), t_(std::move(offsets)) {
  if (withInverse) {
    positionsInverse_ = std::make_unique<CovarianceInverse>(positions_);
    velocitiesInverse_ = std::make_unique<CovarianceInverse>(velocities_);
  }
}

double SiteCovariance::covariance(int a, int b) const {
  if (a < b) std::swap(a, b);
  const Part p = part(a), q = part(b);
  const double cv = velocities_.element(p.i, q.i);
  const double ta = p.velocity ? 1.0 : t_[p.site], tb = q.velocity ? 1.0 : t_[q.site];
  const double c = ta * tb * cv;
  return p.velocity || q.velocity ? c : positions_.element(p.i, q.i) + c;
}

double SiteCovariance::information(int a, int b) const {
  if (a < b) std::swap(a, b);
  const Part p = part(a), q = part(b);
  const double ap = positionsInverse_->element(p.i, q.i);
  const double ta = p.velocity ? -t_[p.site] : 1.0, tb = q.velocity ? -t_[q.site] : 1.0;
  const double n = ta * tb * ap;
  return p.velocity && q.velocity ? n + velocitiesInverse_->element(p.i, q.i) : n;
}

}  // namespace gensol
