// Assembly of a velocity solution: velocities, covariance and positions.
//
// The working tables are static, sized for Maxvec stations, as the module has
// always kept them; each call clears or overwrites everything it reads, so a
// result depends on its own file only.
#include "reader/tosqum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/linestream.h"
#include "core/records.h"
#include "core/sections.h"
#include "core/xyz2llh.h"

namespace geomex {

namespace {

constexpr int kCovDim = 3 * Maxvec;  // working covariance, 300 x 300

// Working tables, indexed from 0 here (station j of the file is index j - 1).
double xyz[Maxvec][3];
double cov[kCovDim * kCovDim];  // column-major; parameter index p is row/column p - 1
double outxyz[Maxvec][3];

double &covAt(int i, int j) { return cov[(i - 1) + (j - 1) * kCovDim]; }

TosqumStatus success() {
  TosqumStatus s;
  s.ok = true;
  s.message[0] = '\0';
  return s;
}

TosqumStatus failure(const RecordFault &fault, const char *name) {
  TosqumStatus s;
  s.ok = false;
  formatFault(fault, name, s.message, sizeof s.message);
  return s;
}

void clearCovariance(int n) {
  for (int j = 1; j <= n; ++j) std::memset(&covAt(1, j), 0, sizeof(double) * n);
}

// Copies the covariance without the reference station's rows and columns
// (parameters 3r-2 .. 3r) into the top-left corner of outcov, keeping the
// order of the rest.  The working matrix is symmetric to the bit (every
// off-diagonal value is stored in both places at once), so whole columns
// are copied: the same values as mirroring the lower triangle, in
// contiguous runs.
void copyCovarianceWithout(int r, int n, double *outcov) {
  const int lo = 3 * r - 2, hi = 3 * r;
  const int before = std::min(n, lo - 1);        // rows/columns 1 .. lo-1
  const int after = n > hi ? n - hi : 0;         // rows/columns hi+1 .. n
  int out = 0;
  for (int j = 1; j <= n; ++j) {
    if (j >= lo && j <= hi) continue;
    double *column = outcov + static_cast<std::size_t>(out) * kOutcovDim;
    std::memcpy(column, &covAt(1, j), sizeof(double) * before);
    if (after > 0) std::memcpy(column + before, &covAt(hi + 1, j), sizeof(double) * after);
    ++out;
  }
}

// The assembly over any line source with LineCursor's interface: reads the
// records the header asks for and nothing after them.
template <typename Lines>
TosqumStatus assemble(Lines &lines, const char *name, double *vel, double *outcov,
                      double *nvecOut, double *llh, LineSink say) {
  SectionReader<Lines> in(lines);

  Header header;
  if (!in.take("header", 1, 1, readHeader, header)) return failure(in.fault(), name);
  const SectionCounts counts = sectionCounts(header.n);
  const int nvec = counts.nvec;
  // Maxvec is the old program's name for the size of its station tables.  A
  // file must declare fewer stations than that: its nvec stations plus the
  // reference station fill nvec + 1 of the Maxvec columns of llh.  The two
  // lines are the legacy texts, word for word.
  if (nvec >= Maxvec) {
    say(" ** Number of Vectors exceeds Maxvec ** ");
    say(" ** Error in opening file ** ");
    return success();
  }
  const int nparam = counts.parameters;
  clearCovariance(nparam);

  // Stations: the last record named like the reference station decides.
  int refind = 0;
  for (int j = 1; j <= counts.stations; ++j) {
    StationRecord rec;
    if (!in.take("station", j, counts.stations, readStation, rec)) return failure(in.fault(), name);
    std::memcpy(xyz[j - 1], rec.xyz, sizeof rec.xyz);
    if (sameName(rec.stanam, header.refsta)) {
      refind = j;
      char line[32];
      std::snprintf(line, sizeof line, " match %d", j);
      say(line);
    }
  }
  if (refind == 0 && counts.stations > 0) {
    // Treat the last station record as the reference: nothing is removed
    // from the covariance and the stations keep their file order.
    say(" ** Reference station not found ** ");
    refind = counts.stations;
  }

  // Parameters: variances on the diagonal; velocities of every group of three
  // records but the reference station's.  Which group is the reference's is
  // decided by the name of the group's third record alone (the legacy
  // test): the names of the first two are never compared.
  int column = 0;
  for (int s = 1; s <= nvec; ++s) {
    double tmpvel[3];
    ParameterRecord rec;
    for (int q = 0; q < 3; ++q) {
      const long index = 3L * (s - 1) + q + 1;
      if (!in.take("parameter", index, nparam, readParameter, rec)) return failure(in.fault(), name);
      if (!in.indexInRange("parameter index", rec.k, nparam)) return failure(in.fault(), name);
      tmpvel[q] = rec.value;
      covAt(rec.k, rec.k) = rec.sigma * rec.sigma;
    }
    if (!sameName(rec.stanam, header.refsta)) {  // rec: the group's third record
      std::memcpy(vel + 3 * column, tmpvel, sizeof tmpvel);
      ++column;
    }
  }

  // Correlations, scaled by the standard deviations as they stand now (an
  // earlier record may have replaced a diagonal entry).
  if (!applyCorrelations(in, counts.correlations, nparam,
                         [](int32_t i, int32_t j) -> double & { return covAt(i, j); }))
    return failure(in.fault(), name);

  if (nvec >= 0) {
    copyCovarianceWithout(refind, nparam, outcov);

    // Stations in file order without the reference station, then it.
    for (int j = 1; j <= counts.stations; ++j) {
      if (j < refind) std::memcpy(outxyz[j - 1], xyz[j - 1], sizeof xyz[0]);
      if (j > refind) std::memcpy(outxyz[j - 2], xyz[j - 1], sizeof xyz[0]);
    }
    std::memcpy(outxyz[counts.stations - 1], xyz[refind - 1], sizeof xyz[0]);
  }

  *nvecOut = nvec;

  for (int j = 1; j <= counts.stations; ++j) {
    double llhtmp[3];
    xyz2llh(outxyz[j - 1], llhtmp);
    std::memcpy(llh + kLlhRows * (j - 1), llhtmp, sizeof llhtmp);
  }
  return success();
}

}  // namespace

TosqumStatus tosqumText(const char *text, std::size_t size, const char *name, double *vel,
                        double *outcov, double *nvec, double *llh, LineSink say) noexcept {
  LineCursor lines(text, size);
  return assemble(lines, name, vel, outcov, nvec, llh, say);
}

TosqumStatus tosqumSource(ByteSource &source, const char *name, char *buffer,
                          std::size_t capacity, double *vel, double *outcov, double *nvec,
                          double *llh, LineSink say) noexcept {
  LineStream lines(source, buffer, capacity);
  TosqumStatus status = assemble(lines, name, vel, outcov, nvec, llh, say);
  if (lines.failed()) {
    status.ok = false;
    std::snprintf(status.message, sizeof status.message, "file '%s' could not be read: %s",
                  name, std::strerror(source.error()));
  }
  return status;
}

}  // namespace geomex
