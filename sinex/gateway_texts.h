// What both host gateways of readsinex say, so that they say it alike:
// the usage, the checks of the arguments and their wording.
#ifndef SINEX_GATEWAY_TEXTS_H
#define SINEX_GATEWAY_TEXTS_H

namespace geomex {
namespace readsinex_text {
constexpr const char *kUsage =
    "usage: snx = readsinex (filename) or snx = readsinex (filename, \"matrix\", false)";
constexpr const char *kOneResult = "readsinex returns one result";
constexpr const char *kNameNotChar = "FILENAME must be a one-row character string";
constexpr const char *kNameNul = "FILENAME must not contain NUL characters";
constexpr const char *kOptionName = "the only option is \"matrix\"";
constexpr const char *kOptionValue = "the value of option \"matrix\" must be true or false";
constexpr const char *kMemory = "out of memory for the results of '%s'";
}  // namespace readsinex_text
}  // namespace geomex

#endif  // SINEX_GATEWAY_TEXTS_H
