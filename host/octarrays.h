// Octave arrays an oct-file gateway fills in place.
#ifndef HOST_OCTARRAYS_H
#define HOST_OCTARRAYS_H

#include <cstddef>
#include <memory>
#include <new>

#include "core/largearea.h"
#include "host/octgate.h"

namespace geomex {

// An n x n matrix whose elements are left for the reader to write: Octave's
// own constructors would zero every page first.  std::bad_alloc when it
// does not fit.
inline NDArray uninitializedSquare(octave_idx_type n) {
  const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(n) * n;
  // Given back if Octave cannot take it over.
  std::unique_ptr<void, void (*)(void *)> data(::operator new(bytes),
                                               [](void *p) { ::operator delete(p); });
  adviseLargeArea(data.get(), bytes);
  NDArray square(Array<double>(static_cast<double *>(data.get()), dim_vector(n, n)));
  data.release();  // Octave's array owns it now
  return square;
}

}  // namespace geomex

#endif  // HOST_OCTARRAYS_H
