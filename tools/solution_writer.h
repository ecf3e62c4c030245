// Writes a synthetic solution in the fixed-column layout that the readers
// take.
#ifndef TOOLS_SOLUTION_WRITER_H
#define TOOLS_SOLUTION_WRITER_H

#include <cstdio>
#include <vector>

#include "tools/covariance_model.h"
#include "tools/stations.h"

namespace gensol {

// Header, the station records `st`, the parameter records (three per
// station of `cov`, values `vel`), and the correlations of the strict lower
// triangle row by row.  `ref` is the 1-based station record named in the
// header.  Returns false when writing failed.
bool writeSolution(std::FILE *f, const std::vector<Station> &st, int ref,
                   const std::vector<double> &vel, const CovarianceModel &cov);

}  // namespace gensol

#endif  // TOOLS_SOLUTION_WRITER_H
