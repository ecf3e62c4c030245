// A MEX gateway's side of a GatewayRequest (host/gateway_request.h): the
// file name taken from its argument, and the request's error raised.
//
// MATLAB leaves a gateway that raises an error without running the
// destructors of its frame, and the host reads the error's text after the
// frame is gone.  So a MEX gateway does its whole call in a function of its
// own that keeps the request's error (keepRequestError) and returns; every
// local of the call is released there, and mexFunction then raises the
// kept error (raiseKeptRequestError).  Inside that function, allocation
// failures are caught as std::bad_alloc (the C++ library's) and as
// std::runtime_error (Octave refuses an mxArray's memory with an error of
// its own, which is one) and given to GatewayRequest::failMemory; the
// host's error functions are never called there.
#ifndef HOST_MEXREQUEST_H
#define HOST_MEXREQUEST_H

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/largearea.h"
#include "host/gateway_request.h"
#include "host/mexgate.h"

namespace geomex {

// The file name from `arg`, or false with the request's error.
// mxGetChars and mxArrayToString take every element whatever the dimensions
// beyond the first row (column-major), as the oct-file gateways do.
inline bool takeFileName(GatewayRequest &request, const mxArray *arg) {
  if (!request.acceptNameShape(mxIsChar(arg), mxGetM(arg))) return false;
  if (!request.acceptNameChars(mxGetChars(arg), mxGetNumberOfElements(arg))) return false;
  char *text = mxArrayToString(arg);  // the host's encoding of the name
  const bool ok = request.acceptName(text, text ? std::strlen(text) : 0);
  if (text) mxFree(text);
  return ok;
}

// Octave copies a MEX file's results into its own arrays when the call
// returns, so for a moment they are there twice; a copy that does not fit
// would fail after the gateway, as Octave's own error (Octave:bad-alloc).
// A gateway calls this with its results' size before it returns them: it
// throws std::bad_alloc when the room for that copy is not there, which
// keeps that failure the command's.  MATLAB does not copy.
inline void reserveHostCopy(std::size_t bytes) {
#if defined(HAVE_OCTAVE)
  void *room = std::malloc(bytes);  // never touched: only its room is wanted
  if (!room) throw std::bad_alloc();
  std::free(room);
#else
  (void)bytes;
#endif
}

// An n x n double matrix whose elements are left for the reader to write.
// Both hosts end the call with their own error, without the command's
// identifier, when they cannot allocate an array; so its room is tried with
// the C library first, and a shortage is std::bad_alloc.
inline mxArray *uninitializedSquare(std::size_t n) {
  const std::size_t bytes = sizeof(double) * n * n;
  void *room = std::malloc(bytes ? bytes : 1);  // never touched
  if (!room) throw std::bad_alloc();
  std::free(room);
  mxArray *a = mxCreateUninitNumericMatrix(n, n, mxDOUBLE_CLASS, mxREAL);
  if (!a) throw std::bad_alloc();
  adviseLargeArea(mxGetPr(a), bytes);
  return a;
}

// The kept error: static, so that it outlives the call's frame and keeping
// it allocates nothing.
inline char *keptErrorId() {
  static char id[96];
  return id;
}
inline char *keptErrorText() {
  static char text[8192];
  return text;
}

inline void keepRequestError(const GatewayRequest &request) noexcept {
  std::snprintf(keptErrorId(), 96, "%s", request.errorId());
  std::snprintf(keptErrorText(), 8192, "%s", request.errorText());
}

// Octave puts the command's name in front of the text; MATLAB does not.
[[noreturn]] inline void raiseKeptRequestError() {
  mexErrMsgIdAndTxt(keptErrorId(), "%s", keptErrorText());
  std::abort();
}

}  // namespace geomex

#endif  // HOST_MEXREQUEST_H
