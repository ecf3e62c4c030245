// Small helpers shared by every MEX gateway (mexFunction) of the modules.
//
// Every module compiles its own copy of this header; nothing here is shared
// at run time.  The helpers keep the gateways short and make the one
// non-returning host call visible to the compiler.
#ifndef HOST_MEXGATE_H
#define HOST_MEXGATE_H

#include <cstdlib>

#include "host/export.h"

// The host's header declares mexFunction; under hidden visibility that
// declaration would hide the entry point the host looks for.
GEOMEX_DEFAULT_VISIBILITY_BEGIN
#include "mex.h"
GEOMEX_DEFAULT_VISIBILITY_END

// Reports an argument error to the host and abandons the call.
//
// The host never returns from mexErrMsgTxt (Octave throws, MATLAB unwinds), but
// its declaration does not say so; the abort documents the contract and keeps
// the compiler from assuming a way back.  Never call this inside a try block
// that catches everything: the host's own exception would be swallowed.
[[noreturn]] inline void mexFail(const char *msg) {
  mexErrMsgTxt(msg);
  std::abort();
}

#endif  // HOST_MEXGATE_H
