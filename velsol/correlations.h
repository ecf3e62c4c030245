// The correlation section of a solution: every record scales its
// coefficient by the standard deviations as they stand at that record and
// sets both elements of its pair.
#ifndef VELSOL_CORRELATIONS_H
#define VELSOL_CORRELATIONS_H

#include <cstdint>

#include "core/bytesource.h"
#include "core/linestream.h"
#include "core/sections.h"

namespace geomex {

// Reads `count` correlation records starting at `lines` (positioned on the
// first; `in` reads its records) into the P x P matrix cov, whose diagonal
// on entry is taken from `variance` (P values: the parameter section's variances) and whose other
// elements may hold anything.  On success every element of cov is set.
//
// Files written by programs keep one layout (" %4d  %4d  %22.15E", 35
// characters and a line end) and one order (the strict lower triangle row by
// row, every pair once, no diagonal records); such a section is read by up to
// `threads` threads, each converting its share of the records straight into
// the upper triangle, which is then mirrored.  Anything else (another
// layout, order or count, a diagonal record, a repeated pair, an error) is
// read again from the start, one record after another, as the legacy
// assembly reads it: a later record for the same pair wins, and a diagonal
// record changes the scale of the records after it.  Both ways give the
// same bits.
//
// On failure, in.fault() describes the first faulty record, or
// lines.failed() tells that the source failed; cov then holds no meaningful
// values.  Out of
// memory for a thread's buffer, or a thread the system refuses, only costs
// speed: the section is then read in order.
bool readCorrelations(ByteSource &source, LineStream &lines, SectionReader<LineStream> &in,
                      int64_t count, int32_t P, const double *variance, double *cov,
                      unsigned threads);

}  // namespace geomex

#endif  // VELSOL_CORRELATIONS_H
