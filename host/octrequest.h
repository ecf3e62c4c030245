// An oct-file gateway's side of a GatewayRequest (host/gateway_request.h):
// the file name taken from its argument, and the request's error raised as
// Octave's MEX host raises a MEX file's, "<command>: <text>", so that a
// command's two gateways word it alike.
#ifndef HOST_OCTREQUEST_H
#define HOST_OCTREQUEST_H

#include <cstddef>

#include "host/gateway_request.h"
#include "host/octgate.h"

namespace geomex {

[[noreturn]] inline void raiseRequestError(const GatewayRequest &request) {
  error_with_id(request.errorId(), "%s: %s", request.command().name, request.errorText());
}

// The file name from `arg`, or the request's error raised.  Any dimensions
// beyond the first row: the characters in column-major order, as the MEX
// gateways take them.
inline void takeFileName(GatewayRequest &request, const octave_value &arg) {
  if (!request.acceptNameShape(arg.is_string(), static_cast<std::size_t>(arg.rows())))
    raiseRequestError(request);
  const charNDArray chars = arg.char_array_value();
  const std::size_t count = static_cast<std::size_t>(chars.numel());
  if (!request.acceptNameChars(chars.data(), count) || !request.acceptName(chars.data(), count))
    raiseRequestError(request);
}

}  // namespace geomex

#endif  // HOST_OCTREQUEST_H
