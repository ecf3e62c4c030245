// readvelsol as both of its gateways present it: one argument, the file
// name, and one result (host/gateway_request.h words every refusal).
#ifndef VELSOL_READVELSOL_COMMAND_H
#define VELSOL_READVELSOL_COMMAND_H

#include "host/gateway_request.h"

namespace geomex {

inline constexpr GatewayCommand kReadvelsolCommand{"readvelsol", "sol = readvelsol (filename)", 1, 1, 1};

}  // namespace geomex

#endif  // VELSOL_READVELSOL_COMMAND_H
