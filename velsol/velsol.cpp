// The header, station and parameter sections of a solution, read one record
// after another, and the error and warning texts of the reader.
#include "velsol/velsol.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "velsol/correlations.h"
#include "core/linestream.h"
#include "core/sections.h"
#include "core/xyz2llh.h"

namespace geomex {

namespace {

std::string quotedName(const char *name, std::size_t length) {
  char text[4 * kNameLength + 1];
  escapeBytes(name, length, text);
  return std::string("'") + text + "'";
}

}  // namespace

VelsolReader::VelsolReader(ByteSource &source, std::string name)
    : source_(source),
      name_(std::move(name)),
      lines_(new LineStream(source)),
      in_(new SectionReader<LineStream>(*lines_)) {}

VelsolReader::~VelsolReader() = default;

// Words the first fault: the source failing, or the record reader's fault,
// whose kind gives the identifier.
bool VelsolReader::fail() {
  if (lines_->failed()) {
    errorId_ = velsol_id::kRead;
    error_ = "file '" + name_ + "' could not be read: " + std::strerror(source_.error());
  } else {
    errorId_ = in_->fault().kind == RecordFault::Kind::kIndex ? velsol_id::kIndex
                                                               : velsol_id::kRecord;
    error_ = faultText(in_->fault(), name_);
  }
  return false;
}

bool VelsolReader::readHeader(VelsolHeader &out) {
  Header header;
  if (!in_->take("header", 1, 1, geomex::readHeader, header)) return fail();
  if (header.n < 0) {
    errorId_ = velsol_id::kCount;
    error_ = "file '" + name_ + "', line 1: the parameter count " + std::to_string(header.n) +
             " is negative";
    return false;
  }
  std::memcpy(out.refname, header.refsta, kNameLength);
  std::memcpy(out.crdsys, header.crdsys, sizeof out.crdsys);
  out.n = header.n;
  out.counts = sectionCounts(header.n);
  if (header.n % 3 != 0) {
    warnings_.push_back({velsol_id::kCountNotMultipleOf3,
                         "file '" + name_ + "', line 1: the parameter count " +
                             std::to_string(header.n) + " is not a multiple of 3: " +
                             std::to_string(out.counts.nvec) + " parameter groups (" +
                             std::to_string(out.counts.parameters) + " parameters) are read"});
  }
  return true;
}

bool VelsolReader::readBody(const VelsolHeader &header, VelsolAreas &a, unsigned threads) {
  const SectionCounts &c = header.counts;
  const int32_t S = c.stations, G = c.nvec, P = c.parameters;
  SectionReader<LineStream> &in = *in_;  // goes on after the header

  // Stations, in file order; the last one named like the reference decides.
  a.refstation = 0;
  for (int32_t s = 0; s < S; ++s) {
    StationRecord rec;
    if (!in.take("station", s + 1, S, readStation, rec)) return fail();
    std::memcpy(a.station + static_cast<std::size_t>(s) * kNameLength, rec.stanam, kNameLength);
    double llh[3];
    xyz2llh(rec.xyz, llh);
    for (int k = 0; k < 3; ++k) {
      a.xyz[s + static_cast<std::size_t>(k) * S] = rec.xyz[k];
      a.llh[s + static_cast<std::size_t>(k) * S] = llh[k];
    }
    if (sameName(rec.stanam, header.refname)) a.refstation = s + 1;
  }
  if (a.refstation == 0) {
    warnings_.push_back({velsol_id::kNoReference,
                         "file '" + name_ + "': no station record is named like the reference " +
                             quotedName(header.refname, kNameLength)});
  }

  // Parameters: values and sigmas by group, variances by parameter index (a
  // later record for the same index wins).
  std::vector<double> variance(static_cast<std::size_t>(P), 0.0);
  long mixedGroups = 0;
  std::string firstMixed;
  for (int32_t g = 0; g < G; ++g) {
    ParameterRecord rec[3];
    for (int q = 0; q < 3; ++q) {
      const long index = 3L * g + q + 1;
      if (!in.take("parameter", index, P, readParameter, rec[q]) ||
          !in.indexInRange("parameter index", rec[q].k, P))
        return fail();
      a.vel[g + static_cast<std::size_t>(q) * G] = rec[q].value;
      a.sigma[g + static_cast<std::size_t>(q) * G] = rec[q].sigma;
      variance[static_cast<std::size_t>(rec[q].k - 1)] = rec[q].sigma * rec[q].sigma;
    }
    // The group's station is the one its third record names.
    std::memcpy(a.site + static_cast<std::size_t>(g) * kNameLength, rec[2].stanam, kNameLength);
    if (!sameName(rec[0].stanam, rec[2].stanam) || !sameName(rec[1].stanam, rec[2].stanam)) {
      if (mixedGroups++ == 0) {
        firstMixed = "file '" + name_ + "', line " + std::to_string(in.line().number - 2) +
                     ": the records of parameter group " + std::to_string(g + 1) +
                     " name different stations (" + quotedName(rec[0].stanam, kNameLength) +
                     ", " + quotedName(rec[1].stanam, kNameLength) + ", " +
                     quotedName(rec[2].stanam, kNameLength) + "); the third one's is taken";
      }
    }
  }
  if (mixedGroups > 0) {
    if (mixedGroups > 1)
      firstMixed += " (" + std::to_string(mixedGroups) + " such groups in the file)";
    warnings_.push_back({velsol_id::kMixedGroup, firstMixed});
  }

  if (!readCorrelations(source_, *lines_, in, c.correlations, P, variance.data(), a.cov,
                        threads))
    return fail();
  return true;
}

bool readVelsol(ByteSource &source, const std::string &name, unsigned threads,
                VelsolSolution &out, std::string *errorId, std::string *error,
                std::vector<VelsolWarning> *warnings) {
  VelsolReader reader(source, name);
  bool ok = reader.readHeader(out.header);
  if (ok) {
    const SectionCounts &c = out.header.counts;
    const std::size_t S = c.stations, G = c.nvec, P = c.parameters;
    out.station.assign(S * kNameLength, ' ');
    out.site.assign(G * kNameLength, ' ');
    out.xyz.assign(S * 3, 0.0);
    out.llh.assign(S * 3, 0.0);
    out.vel.assign(G * 3, 0.0);
    out.sigma.assign(G * 3, 0.0);
    out.cov.assign(P * P, 0.0);
    VelsolAreas areas{out.station.data(), out.xyz.data(),   out.llh.data(), out.site.data(),
                      out.vel.data(),     out.sigma.data(), out.cov.data()};
    ok = reader.readBody(out.header, areas, threads);
    out.refstation = areas.refstation;
  }
  if (errorId) *errorId = reader.errorId();
  if (error) *error = reader.errorMessage();
  if (warnings) *warnings = reader.warnings();
  return ok;
}

}  // namespace geomex
