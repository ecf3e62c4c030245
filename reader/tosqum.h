// Reads a station-velocity solution file and assembles the velocities, their
// covariance without the reference station, and the station positions.
#ifndef READER_TOSQUM_H
#define READER_TOSQUM_H

#include <cstddef>

#include "core/bytesource.h"

namespace geomex {

// Maxvec: the old program's name for the size of its station tables, kept
// because its refusal line " ** Number of Vectors exceeds Maxvec ** " names
// it.  The tables (and llh) hold Maxvec stations: the nvec stations of the
// parameter section plus one more station record.  A file must therefore
// declare fewer than Maxvec stations; nvec >= Maxvec is refused with that
// line, so a file has at most Maxvec - 1 (99) stations with parameters.
constexpr int Maxvec = 100;

// Most stations a file may declare in its parameter section.
constexpr int kMaxStations = Maxvec - 1;

// Velocity components of a station (X, Y, Z), and geodetic coordinates of a
// position (latitude, longitude, height).
constexpr int kComponents = 3;

// Shapes of the result areas (column-major), fixed whatever the file holds.
// vel and outcov are sized for kMaxStations stations, whose velocities all
// stay when no parameter group is the reference station's; llh for every
// station record.
constexpr int kVelRows = kComponents, kVelCols = kMaxStations;  // vel: 3 x 99
constexpr int kOutcovDim = kComponents * kMaxStations;          // outcov: 297 x 297
constexpr int kLlhRows = kComponents, kLlhCols = Maxvec;        // llh: 3 x 100

// Width of the blank-padded file-name field the gateway hands over.
constexpr int kFileNameField = 150;

// Far beyond any solution file the legacy command takes (its largest is a
// few megabytes): it refuses a larger file without reading it.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

// Receives each diagnostic line (without its line end).
using LineSink = void (*)(const char *line);

// Outcome of a call.  A file that cannot be opened or declares too many
// stations is no failure: it yields diagnostic lines and zero results.  A
// failure is a file that cannot be read as a solution (a record missing or
// not convertible, an index outside 1 to 3 nvec); `message` then names the
// file, the line and the fault, and the result areas must be discarded.
struct TosqumStatus {
  bool ok;
  char message[640];
};

// fname: the file name in a field of kFileNameField characters, padded with
// trailing blanks (which are not part of the name).  vel, outcov, nvec and
// llh: result areas of 3 x 99, 297 x 297, 1 and 3 x 100 doubles, all zero on
// entry; only the elements the solution fills are written.
//
// vel     velocities of every station of the parameter section except the
//         reference station, in file order, one station per column
// outcov  covariance of all parameters except the reference station's three,
//         top-left corner
// nvec    the station count of the parameter section (header's n / 3)
// llh     latitude, longitude (degrees) and height (metres) of every station
//         record, reference station moved to the last column
//
// Diagnostic lines go to `say`.  Uses static working tables: not reentrant.
TosqumStatus tosqum(const char *fname, double *vel, double *outcov, double *nvec,
                    double *llh, LineSink say) noexcept;

// The same on a file already in memory (for tests and fuzzing); `name` is
// used in messages only.
TosqumStatus tosqumText(const char *text, std::size_t size, const char *name, double *vel,
                        double *outcov, double *nvec, double *llh, LineSink say) noexcept;

// The same on a byte source read through a line stream in `buffer` (of
// `capacity` bytes, at least LineStream::kMaxKeptLine + 1): only the records
// the header asks for are read, whatever follows them or however large the
// source says it is.
TosqumStatus tosqumSource(ByteSource &source, const char *name, char *buffer,
                          std::size_t capacity, double *vel, double *outcov, double *nvec,
                          double *llh, LineSink say) noexcept;

}  // namespace geomex

#endif  // READER_TOSQUM_H
