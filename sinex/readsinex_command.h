// readsinex as both of its gateways present it: the file name, optionally
// followed by the pair "matrix", true/false; one result.  Every refusal is
// worded here or in host/gateway_request.h, so that the two gateways agree.
#ifndef SINEX_READSINEX_COMMAND_H
#define SINEX_READSINEX_COMMAND_H

#include <cctype>
#include <string>

#include "host/gateway_request.h"
#include "sinex/sinex.h"

namespace geomex {

inline constexpr GatewayCommand kReadsinexCommand{
    "readsinex", "snx = readsinex (filename) or snx = readsinex (filename, \"matrix\", false)", 1,
    3, 1};

// The option of the call, from the host's arguments as plain values: `key`
// the option's name (empty unless it is a one-row string), `isFlag` whether
// its value is one real logical or numeric element, `value` that element.
// Sets `wantMatrix`, or leaves the refusal in the request.
inline bool acceptMatrixOption(GatewayRequest &request, int arguments, std::string key,
                               bool isFlag, double value, bool &wantMatrix) {
  wantMatrix = true;
  if (arguments == 1) return true;
  if (arguments != 3) {
    request.fail(sinex_id::kUsage, std::string("usage: ") + kReadsinexCommand.usage);
    return false;
  }
  for (char &c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (key != "matrix") {
    request.fail(sinex_id::kUsage, "the only option is \"matrix\"");
    return false;
  }
  if (!isFlag || (value != 0 && value != 1)) {
    request.fail(sinex_id::kUsage, "the value of option \"matrix\" must be true or false");
    return false;
  }
  wantMatrix = value != 0;
  return true;
}

}  // namespace geomex

#endif  // SINEX_READSINEX_COMMAND_H
