// A symmetric matrix made whole from the one triangle a reader stored:
// mirrored in square tiles, so that the rows read and the columns written
// stay in the cache, each tile column by one part (thread) of a reader.
#ifndef CORE_TILED_MIRROR_H
#define CORE_TILED_MIRROR_H

#include <algorithm>
#include <cstddef>

namespace geomex {

constexpr std::size_t kMirrorTile = 64;

// For the n x n column-major matrix m, whose elements above the diagonal
// (storedUpper) or below it hold the values: writes f(stored, i, j) to both
// (i, j) and (j, i) for every i > j, and g(diagonal, k) on the diagonal, in
// the tile columns that belong to `part` of `parts`.  Every element is
// computed once, whatever the number of parts.
template <typename Off, typename Diag>
void mirrorTiles(double *m, std::size_t n, bool storedUpper, unsigned part, unsigned parts, Off f,
                 Diag g) {
  const std::size_t tiles = (n + kMirrorTile - 1) / kMirrorTile;
  for (std::size_t tj = part; tj < tiles; tj += parts) {
    const std::size_t j0 = tj * kMirrorTile, j1 = std::min(n, j0 + kMirrorTile);
    for (std::size_t i0 = j0; i0 < n; i0 += kMirrorTile) {
      const std::size_t i1 = std::min(n, i0 + kMirrorTile);
      for (std::size_t j = j0; j < j1; ++j)
        for (std::size_t i = std::max(i0, j + 1); i < i1; ++i) {
          double &lower = m[i + j * n], &upper = m[j + i * n];
          const double v = f(storedUpper ? upper : lower, i, j);
          lower = v;
          upper = v;
        }
    }
    for (std::size_t k = j0; k < j1; ++k) m[k + k * n] = g(m[k + k * n], k);
  }
}

}  // namespace geomex

#endif  // CORE_TILED_MIRROR_H
