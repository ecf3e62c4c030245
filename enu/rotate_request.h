// The compiled helper's arguments, checked as plain numbers so that the
// Octave and the MEX gateway refuse exactly the same calls.
#ifndef ENU_ROTATE_REQUEST_H
#define ENU_ROTATE_REQUEST_H

#include <cstddef>
#include <vector>

#include "enu/rotate_covariance.h"

namespace geomex {

struct RotateRequest {
  std::vector<std::size_t> groups;  // 0-based
  std::size_t reference = kNoReference;
  unsigned threads = 1;
};

// covRows x covCols: the covariance; groups: 1-based group numbers as the
// host passes them; rotationCount: elements of the rotation array (9 per
// group); reference: 1-based position in groups, 0 for none.  Returns nullptr
// and fills `out`, or the reason for refusing the call.
const char *checkRotateRequest(std::size_t covRows, std::size_t covCols,
                               const double *groups, std::size_t groupCount,
                               std::size_t rotationCount, double reference,
                               RotateRequest &out);

}  // namespace geomex

#endif  // ENU_ROTATE_REQUEST_H
