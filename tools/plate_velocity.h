// The velocity of a synthetic station: the Eurasian plate's rotation plus a
// little intraplate motion and noise.
#ifndef TOOLS_PLATE_VELOCITY_H
#define TOOLS_PLATE_VELOCITY_H

#include "tools/random_stream.h"
#include "tools/stations.h"

namespace gensol {

// Velocity of `s` in X/Y/Z, m/yr; draws three normal numbers from `rnd`.
void plateVelocity(const Station &s, Random &rnd, double v[3]);

}  // namespace gensol

#endif  // TOOLS_PLATE_VELOCITY_H
