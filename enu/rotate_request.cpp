#include "enu/rotate_request.h"

#include <cmath>
#include <thread>

namespace geomex {
namespace {

// Below this many groups (a 768 x 768 result) a second thread costs more to
// start than it saves.
constexpr std::size_t kThreadedGroups = 256;
// Result writing is bound by memory and page faults; beyond a few threads
// they only queue for the same bus.
constexpr unsigned kMaxThreads = 4;

bool isCount(double x, double max) {
  return x >= 1 && x <= max && std::floor(x) == x;
}

}  // namespace

const char *checkRotateRequest(std::size_t covRows, std::size_t covCols,
                               const double *groups, std::size_t groupCount,
                               std::size_t rotationCount, double reference,
                               RotateRequest &out) {
  if (covRows != covCols) return "covariance must be square";
  const double available = static_cast<double>(covRows / 3);
  if (rotationCount != 9 * groupCount) return "need one 3 x 3 rotation per group";
  out.groups.resize(groupCount);
  for (std::size_t g = 0; g < groupCount; ++g) {
    if (!isCount(groups[g], available)) return "group number outside the covariance";
    out.groups[g] = static_cast<std::size_t>(groups[g]) - 1;
  }
  if (reference == 0) {
    out.reference = kNoReference;
  } else if (isCount(reference, static_cast<double>(groupCount))) {
    out.reference = static_cast<std::size_t>(reference) - 1;
  } else {
    return "reference must be 0 or a position in the group list";
  }
  out.threads = 1;
  if (groupCount >= kThreadedGroups) {
    const unsigned hw = std::thread::hardware_concurrency();
    out.threads = hw == 0 ? 1 : (hw < kMaxThreads ? hw : kMaxThreads);
  }
  return nullptr;
}

}  // namespace geomex
