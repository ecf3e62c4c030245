// Version entry of tosqumg's module.
//
// Old MATLAB releases asked a module which interface generation it was built
// for; newer hosts (and Octave) never call it.  The entry stays exported so
// that such a host still gets the answer it expects.
#include "host/mexversion.h"

namespace {
// Lives as long as the module: the host may keep the pointer.
const char kVersionText[] = "MATLAB 5 compatible";
}  // namespace

extern "C" GEOMEX_EXPORT const char *mexVersion(void) { return kVersionText; }
