// The number options of the generators' command lines.
#ifndef TOOLS_COMMAND_LINE_H
#define TOOLS_COMMAND_LINE_H

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace gensol {

// An integer from lo to hi, the whole text; false for anything else.
inline bool parseInteger(const char *text, long lo, long hi, long &value) {
  char *end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= lo && value <= hi;
}

// A random seed: a non-negative integer (strtoull would take "-1" as 2^64 - 1).
inline bool parseSeed(const char *text, std::uint64_t &seed) {
  char *end = nullptr;
  errno = 0;
  seed = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && text[0] != '-';
}

}  // namespace gensol

#endif  // TOOLS_COMMAND_LINE_H
