// Assembly of a velocity solution: velocities, covariance and positions.
//
// The working tables are static, sized for Maxvec stations, as the module has
// always kept them; each call clears or overwrites everything it reads, so a
// result depends on its own file only.
#include "tosqum.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "filebuffer.h"
#include "records.h"
#include "xyz2llh.h"

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

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
TosqumStatus failure(const char *name, const char *fmt, ...) {
  TosqumStatus s;
  s.ok = false;
  int len = std::snprintf(s.message, sizeof s.message, "file '%s'", name);
  if (len < 0 || len >= static_cast<int>(sizeof s.message)) len = 0;
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(s.message + len, sizeof s.message - len, fmt, args);
  va_end(args);
  return s;
}

// Reads the records of one section in order, turning a missing or
// unconvertible record into a failure that names the line.
class SectionReader {
 public:
  SectionReader(const char *text, std::size_t size, const char *name)
      : lines_(text, size), name_(name) {}

  // Takes the next record of `section` (e.g. "station"), number `index` of
  // `count`, with the record reader `read`.
  template <typename Record>
  bool take(const char *section, long index, long count,
            bool (*read)(const Line &, Record &, FieldFault &) noexcept, Record &out) {
    if (!lines_.next(line_)) {
      status_ = failure(name_, ", line %ld: the file ends before %s record %ld of %ld",
                        lines_.linesRead() + 1, section, index, count);
      return false;
    }
    FieldFault fault;
    if (read(line_, out, fault)) return true;
    // Quote what the line holds in the field's columns.
    const long start = fault.firstColumn - 1;
    const long width = fault.lastColumn - start;
    const long shown = std::max(0L, std::min(width, static_cast<long>(line_.length) - start));
    status_ = failure(name_, ", line %ld: %s record: %s (columns %d-%d) is not a number: \"%.*s\"",
                      line_.number, section, fault.field, fault.firstColumn, fault.lastColumn,
                      static_cast<int>(shown), shown > 0 ? line_.text + start : "");
    return false;
  }

  // Takes correlation record `index` of `count`; the usual layout is read
  // straight from the buffer, anything else by its columns.
  bool takeCorrelation(long index, long count, CorrelationRecord &out) {
    if (const char *text = lines_.peekExact(kCorrelationWidth)) {
      if (readCanonicalCorrelation(text, out)) {
        lines_.takeExact(kCorrelationWidth, line_);
        return true;
      }
    }
    return take("correlation", index, count, readCorrelation, out);
  }

  // Fails the current record for an index outside 1 .. limit.
  bool indexInRange(const char *what, int32_t index, int32_t limit) {
    if (index >= 1 && index <= limit) return true;
    status_ = failure(name_, ", line %ld: %s %d is outside 1 to %d", line_.number, what,
                      static_cast<int>(index), static_cast<int>(limit));
    return false;
  }

  const TosqumStatus &status() const { return status_; }

 private:
  LineCursor lines_;
  Line line_{};
  const char *name_;
  TosqumStatus status_{};
};

bool sameName(const char *a, const char *b) { return std::memcmp(a, b, kNameLength) == 0; }

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

}  // namespace

TosqumStatus tosqumText(const char *text, std::size_t size, const char *name, double *vel,
                        double *outcov, double *nvecOut, double *llh, LineSink say) noexcept {
  SectionReader in(text, size, name);

  Header header;
  if (!in.take("header", 1, 1, readHeader, header)) return in.status();
  const SectionCounts counts = sectionCounts(header.n);
  const int nvec = counts.nvec;
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
    if (!in.take("station", j, counts.stations, readStation, rec)) return in.status();
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

  // Parameters: variances on the diagonal; velocities of every station whose
  // parameter records are not named like the reference station.
  int column = 0;
  for (int s = 1; s <= nvec; ++s) {
    double tmpvel[3];
    ParameterRecord rec;
    for (int q = 0; q < 3; ++q) {
      const long index = 3L * (s - 1) + q + 1;
      if (!in.take("parameter", index, nparam, readParameter, rec)) return in.status();
      if (!in.indexInRange("parameter index", rec.k, nparam)) return in.status();
      tmpvel[q] = rec.value;
      covAt(rec.k, rec.k) = rec.sigma * rec.sigma;
    }
    if (!sameName(rec.stanam, header.refsta)) {
      std::memcpy(vel + 3 * column, tmpvel, sizeof tmpvel);
      ++column;
    }
  }

  // Correlations, scaled by the standard deviations as they stand now (an
  // earlier record may have replaced a diagonal entry).
  for (long c = 1; c <= counts.correlations; ++c) {
    CorrelationRecord rec;
    if (!in.takeCorrelation(c, counts.correlations, rec)) return in.status();
    if (!in.indexInRange("first parameter index", rec.iread, nparam) ||
        !in.indexInRange("second parameter index", rec.jread, nparam))
      return in.status();
    const double v = rec.rho * std::sqrt(covAt(rec.iread, rec.iread) * covAt(rec.jread, rec.jread));
    covAt(rec.iread, rec.jread) = v;
    covAt(rec.jread, rec.iread) = v;
  }

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

TosqumStatus tosqum(const char *fname, double *vel, double *outcov, double *nvec, double *llh,
                    LineSink say) noexcept {
  // The name is the field without its trailing blanks.
  int len = kFileNameField;
  while (len > 0 && (fname[len - 1] == ' ' || fname[len - 1] == '\0')) --len;
  char path[kFileNameField + 1];
  std::memcpy(path, fname, len);
  path[len] = '\0';

  FileContents file;
  switch (loadFile(path, file)) {
    case LoadResult::kLoaded:
      break;
    case LoadResult::kNotOpened:
      say(" ** Error in opening file ** ");
      return success();
    case LoadResult::kTooLarge:
      return failure(path, " is larger than %zu bytes: not a velocity solution",
                     static_cast<std::size_t>(kMaxFileSize));
  }
  return tosqumText(file.data, file.size, path, vel, outcov, nvec, llh, say);
}
