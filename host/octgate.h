// Octave's headers for an oct-file gateway, read with default visibility.
//
// The modules are compiled with hidden visibility, and Octave's DEFUN_DLD
// does not mark the installer it defines for export where Octave was built
// without visibility flags (Debian's Octave 7): the headers are read, and a
// gateway's DEFUN_DLD is written, between GEOMEX_DEFAULT_VISIBILITY_BEGIN
// and GEOMEX_DEFAULT_VISIBILITY_END.
#ifndef HOST_OCTGATE_H
#define HOST_OCTGATE_H

#include "host/export.h"

GEOMEX_DEFAULT_VISIBILITY_BEGIN
#include <octave/oct.h>
#include <octave/Cell.h>
#include <octave/ov-struct.h>
GEOMEX_DEFAULT_VISIBILITY_END

#endif  // HOST_OCTGATE_H
