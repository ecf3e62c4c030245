// From the stored triangle to the full symmetric covariance: mirrored in
// square tiles (the rows read and the columns written stay in the cache),
// each tile column on one thread, every element computed once.
#include <algorithm>
#include <vector>

#include "core/run_parts.h"
#include "sinex/lapack.h"
#include "sinex/matrix_block.h"

namespace geomex {

namespace {

constexpr std::size_t kTile = 64;

// Writes f(stored, i, j) to both (i, j) and (j, i) for every i > j, and
// g(diagonal, k) on the diagonal; the tile columns of `part` of `parts`.
template <typename Off, typename Diag>
void mirror(double *m, std::size_t n, bool storedUpper, unsigned part, unsigned parts, Off f,
            Diag g) {
  const std::size_t tiles = (n + kTile - 1) / kTile;
  for (std::size_t tj = part; tj < tiles; tj += parts) {
    const std::size_t j0 = tj * kTile, j1 = std::min(n, j0 + kTile);
    for (std::size_t i0 = j0; i0 < n; i0 += kTile) {
      const std::size_t i1 = std::min(n, i0 + kTile);
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

template <typename Off, typename Diag>
void mirrorAll(double *m, const MatrixLayout &L, unsigned threads, Off f, Diag g) {
  const std::size_t n = static_cast<std::size_t>(L.P);
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>((n + kTile - 1) / kTile)));
  // An L file is stored in the upper triangle (see matrix_block.h).
  runParts(threads, [&](unsigned t) { mirror(m, n, L.lower, t, threads, f, g); });
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
      const char uplo = L.lower ? 'U' : 'L';
      const lapack_int order = static_cast<lapack_int>(n);
      const lapack_int lda = std::max<lapack_int>(1, order);
      lapack_int info = 0;
      if (n > 0) dpotrf_(&uplo, &order, m, &lda, &info, 1);
      if (info > 0) {
        message = "the INFO matrix is not positive definite (Cholesky fails at estimate " +
                  std::to_string(static_cast<long long>(info)) + ")";
        return false;
      }
      if (n > 0 && info == 0) dpotri_(&uplo, &order, m, &lda, &info, 1);
      if (info != 0) {
        message = "the INFO matrix cannot be inverted (LAPACK code " +
                  std::to_string(static_cast<long long>(info)) + ")";
        return false;
      }
      mirrorAll(m, L, threads, [](double v, std::size_t, std::size_t) { return v; }, same);
      return true;
    }
  }
  return true;
}

}  // namespace geomex
