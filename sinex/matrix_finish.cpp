// From the stored triangle to the full symmetric covariance, converted on
// the way (CORR to covariance, INFO inverted), by core/tiled_mirror.h.
#include <algorithm>
#include <vector>

#include "core/run_parts.h"
#include "core/tiled_mirror.h"
#include "sinex/cholesky.h"
#include "sinex/matrix_block.h"

namespace geomex {

namespace {

template <typename Off, typename Diag>
void mirrorAll(double *m, const MatrixLayout &L, unsigned threads, Off f, Diag g) {
  const std::size_t n = static_cast<std::size_t>(L.P);
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>((n + kMirrorTile - 1) / kMirrorTile)));
  // An L file is stored in the upper triangle (see matrix_block.h).
  runParts(threads, [&](unsigned t) { mirrorTiles(m, n, L.lower, t, threads, f, g); });
}

}  // namespace

bool finishMatrix(double *m, const MatrixLayout &L, SinexMatrixType type,
                  const DiagonalMarks *diagonal, unsigned threads, std::string &message) {
  const std::size_t n = static_cast<std::size_t>(L.P);
  auto same = [](double v, std::size_t) { return v; };
  switch (type) {
    case SinexMatrixType::kNone:
    case SinexMatrixType::kCova:
      mirrorAll(m, L, threads, [](double v, std::size_t, std::size_t) { return v; }, same);
      return true;
    case SinexMatrixType::kCorr: {
      std::vector<double> s(n);
      for (std::size_t k = 0; k < n; ++k) {
        if (!diagonal[k].load(std::memory_order_relaxed)) {
          message = "the CORR matrix has no diagonal element (standard deviation) for estimate " +
                    std::to_string(k + 1);
          return false;
        }
        s[k] = m[k + k * n];
      }
      // i > j: the larger index first, whichever triangle the file wrote.
      mirrorAll(m, L, threads,
                [&](double rho, std::size_t i, std::size_t j) { return rho * s[i] * s[j]; },
                [&](double, std::size_t k) { return s[k] * s[k]; });
      return true;
    }
    case SinexMatrixType::kInfo: {
      // An L file is stored in the upper triangle (see matrix_block.h).
      const long long info = choleskyInverse(m, n, L.lower);
      if (info > 0) {
        message = "the INFO matrix is not positive definite (Cholesky fails at estimate " +
                  std::to_string(info) + ")";
        return false;
      }
      if (info < 0) {
        message = "the INFO matrix cannot be inverted (LAPACK code " + std::to_string(info) + ")";
        return false;
      }
      mirrorAll(m, L, threads, [](double v, std::size_t, std::size_t) { return v; }, same);
      return true;
    }
  }
  return true;
}

}  // namespace geomex
