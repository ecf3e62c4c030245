// A velocity solution read whole, without fixed limits: every station
// record, every parameter group and the full covariance by parameter index,
// nothing reordered or removed.  The arithmetic and the record order are
// those of the legacy assembly, so both readers give the same numbers.
//
// Reentrant: all state lives in the reader object and the caller's areas.
// The correlation section, which is nearly all of a large file, is read by
// several threads when its records are in the layout and order programs
// write; the result is the same bits for any number of threads.
#ifndef VELSOL_VELSOL_H
#define VELSOL_VELSOL_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/bytesource.h"
#include "core/records.h"

namespace geomex {

class LineStream;
template <typename Lines>
class SectionReader;

// What the header declares.
struct VelsolHeader {
  char refname[kNameLength];  // reference station, as written
  char crdsys[3];             // coordinate system label
  int32_t n;                  // parameter count
  SectionCounts counts;       // records of each section, from n
};

// Where the reader writes, allocated by the caller from the header's
// counts (S = counts.stations, G = counts.nvec, P = counts.parameters).
// Matrices are column-major.
struct VelsolAreas {
  char *station;  // S names of kNameLength characters, one after another
  double *xyz;    // S x 3, metres
  double *llh;    // S x 3: latitude, longitude (degrees), height (metres)
  char *site;     // G names: the third record's of each parameter group
  double *vel;    // G x 3
  double *sigma;  // G x 3
  double *cov;    // P x P; its contents on entry do not matter
  double refstation = 0;  // 1-based position in station of the reference, 0 if none
};

// A warning for the user, with an identifier the host can silence.
struct VelsolWarning {
  const char *id;
  std::string message;
};

// Identifiers of errors and warnings (the host's "component:mnemonic").
namespace velsol_id {
constexpr const char *kOpen = "readvelsol:open";
constexpr const char *kRead = "readvelsol:read";
constexpr const char *kRecord = "readvelsol:record";
constexpr const char *kIndex = "readvelsol:index";
constexpr const char *kCount = "readvelsol:count";
constexpr const char *kNoReference = "readvelsol:noReference";
constexpr const char *kMixedGroup = "readvelsol:mixedGroup";
constexpr const char *kCountNotMultipleOf3 = "readvelsol:countNotMultipleOf3";
}  // namespace velsol_id

class VelsolReader {
 public:
  // `name` is used in messages only.
  VelsolReader(ByteSource &source, std::string name);
  ~VelsolReader();
  VelsolReader(const VelsolReader &) = delete;
  VelsolReader &operator=(const VelsolReader &) = delete;

  // Reads the header record.  False on failure (errorId, errorMessage).
  bool readHeader(VelsolHeader &out);

  // Reads the rest into `areas` (after readHeader, once), with up to `threads` threads (1 or more).
  // False on failure; the areas then hold no meaningful values.
  bool readBody(const VelsolHeader &header, VelsolAreas &areas, unsigned threads);

  const char *errorId() const { return errorId_; }
  const std::string &errorMessage() const { return error_; }
  const std::vector<VelsolWarning> &warnings() const { return warnings_; }

 private:
  bool fail();  // records the first fault as the error; always false

  ByteSource &source_;
  std::string name_;
  const char *errorId_ = "";
  std::string error_;
  std::vector<VelsolWarning> warnings_;
  // One stream and one record reader from the header on, so that a message
  // can speak of the line before it (a file whose lines end in CR alone).
  std::unique_ptr<LineStream> lines_;
  std::unique_ptr<SectionReader<LineStream>> in_;
};

// Whole-file convenience for tests and fuzzing: the areas are sized and
// owned by the result.
struct VelsolSolution {
  VelsolHeader header{};
  std::vector<char> station, site;
  std::vector<double> xyz, llh, vel, sigma, cov;
  double refstation = 0;
};
bool readVelsol(ByteSource &source, const std::string &name, unsigned threads,
                VelsolSolution &out, std::string *errorId = nullptr,
                std::string *error = nullptr, std::vector<VelsolWarning> *warnings = nullptr);

}  // namespace geomex

#endif  // VELSOL_VELSOL_H
