// Writes a synthetic frame solution in SINEX 2.02: positions and velocities
// of every site with their full covariance, as IERS and IGS frame solutions
// carry them.
#ifndef TOOLS_SINEX_WRITER_H
#define TOOLS_SINEX_WRITER_H

#include <cstdio>
#include <vector>

#include "tools/site_covariance.h"
#include "tools/stations.h"

namespace gensol {

// A SINEX time: year (4 digits), day of year, seconds of day.
struct SinexTime {
  int year, doy, sec;
};

// The window of a site's data and its mean epoch (SOLUTION/EPOCHS).
struct DataWindow {
  SinexTime start, end, mean;
};

enum class Triangle { Lower, Upper };
enum class MatrixKind { Covariance, Correlation, Information };

struct SinexSolution {
  const std::vector<Station> &sites;   // code: the station's name
  const std::vector<double> &velocity;  // 3 per site, m/yr
  const std::vector<DataWindow> &windows;
  SinexTime reference;                 // epoch of every estimate
  const SiteCovariance &covariance;    // 6 per site: STAX..STAZ, VELX..VELZ
};

// Header, FILE/REFERENCE, SITE/ID, SOLUTION/EPOCHS, SOLUTION/STATISTICS,
// SOLUTION/ESTIMATE and the whole matrix in the triangle and kind asked
// for.  Returns false when writing failed.
bool writeSinex(std::FILE *f, const SinexSolution &sol, Triangle triangle, MatrixKind kind);

}  // namespace gensol

#endif  // TOOLS_SINEX_WRITER_H
