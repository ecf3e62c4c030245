// The data lines of SOLUTION/MATRIX_ESTIMATE written into one triangle of
// a P x P matrix, and that triangle turned into the full symmetric
// covariance.
//
// Element (row, col) of the file's triangle is stored at column `row`,
// row `col` of the matrix (0-based address (col-1) + (row-1) P), so a row
// of the file fills a stretch of one column: an L file fills the upper
// triangle, a U file the lower one.  Elements the file leaves out are 0.
#ifndef SINEX_MATRIX_BLOCK_H
#define SINEX_MATRIX_BLOCK_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/bytesource.h"
#include "core/linestream.h"
#include "sinex/sinex.h"

namespace geomex {

struct MatrixLayout {
  int32_t P;
  bool lower;  // L: the file writes col <= row; U: col >= row
  std::size_t at(int32_t row, int32_t col) const {
    return static_cast<std::size_t>(col - 1) + static_cast<std::size_t>(row - 1) * P;
  }
  int32_t rowFirst(int32_t row) const { return lower ? 1 : row; }
  int32_t rowLast(int32_t row) const { return lower ? row : P; }
};

// Marks of the diagonal elements the file writes (CORR needs them all).
using DiagonalMarks = std::atomic<unsigned char>;

// Sets to 0 every stored element strictly after (r1, c1) and strictly
// before (r2, c2) in file order (row by row, columns rising).  (1, 0) is
// before the first element, (P + 1, rowFirst(P + 1)) after the last.
void zeroBetween(double *m, const MatrixLayout &layout, int32_t r1, int32_t c1, int32_t r2,
                 int32_t c2);

// Converts the block's lines from `offset` (the first line after the
// opening one) with up to `threads` threads: one reads, the others
// convert.  Succeeds only when every data line converts, lies in the
// triangle and comes after the one before it (row by row, columns
// rising), so every element is written once and the bits do not depend on
// the thread count.  Then `end` is the offset of the first line that is
// not a data line, comment or empty line, and `lines` the count of lines
// before it.  False for anything else: the caller reads the block again
// in order (readMatrixInOrder), which words what is wrong.
bool readMatrixInParallel(ByteSource &source, uint64_t offset, const MatrixLayout &layout,
                          double *m, DiagonalMarks *diagonal, unsigned threads, uint64_t &end,
                          long &lines);

// Reads the block line by line from `lines` (positioned after the opening
// line); a later line for the same element wins.  Returns kClosed with
// the first line that is not a data line, comment or empty line in
// `closing`, kEnded when the source ends (or fails: lines.failed()), or
// kFault with `id` and `message` (file, line, what is wrong).
enum class MatrixRead { kClosed, kEnded, kFault };
MatrixRead readMatrixInOrder(LineStream &lines, const MatrixLayout &layout, double *m,
                             DiagonalMarks *diagonal, const std::string &name, Line &closing,
                             const char *&id, std::string &message);

// Makes the full symmetric matrix from the stored triangle: COVA mirrored;
// CORR scaled, c_ij = rho_ij s_i s_j with the standard deviations s of the
// diagonal (which becomes s_i^2); INFO inverted by Cholesky (LAPACK).
// False with `message` for CORR without a diagonal element or INFO that is
// not positive definite.
bool finishMatrix(double *m, const MatrixLayout &layout, SinexMatrixType type,
                  const DiagonalMarks *diagonal, unsigned threads, std::string &message);

}  // namespace geomex

#endif  // SINEX_MATRIX_BLOCK_H
