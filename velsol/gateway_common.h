// What both host gateways of readvelsol share: the thread count and the
// wording of a file that cannot be opened.
#ifndef VELSOL_GATEWAY_COMMON_H
#define VELSOL_GATEWAY_COMMON_H

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "core/fileopen.h"

namespace geomex {

// Threads for the correlation section: the machine's cores, at most eight
// (reading is bound by memory beyond that).  Results do not depend on it.
inline unsigned readerThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::max(1u, std::min(cores, 8u));
}

// "cannot open file 'NAME': <system's reason>", or what else kept it out.
inline std::string openFailure(const std::string &name, OpenResult how, int error) {
  switch (how) {
    case OpenResult::kNotRegular:
      return "file '" + name + "' is not a regular file";
    default:
      return "cannot open file '" + name + "': " +
             (error ? std::strerror(error) : describe(how));
  }
}

}  // namespace geomex

#endif  // VELSOL_GATEWAY_COMMON_H
