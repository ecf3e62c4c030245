// Version entry exported by tosqumg's module only.
#ifndef HOST_MEXVERSION_H
#define HOST_MEXVERSION_H

#include "host/export.h"

// Returns the static text "MATLAB 5 compatible"; does nothing else.
extern "C" GEOMEX_EXPORT const char *mexVersion(void);

#endif  // HOST_MEXVERSION_H
