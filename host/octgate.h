// Octave's headers for an oct-file gateway, read with default visibility.
//
// Octave's DEFUN_DLD does not mark the installer it defines for export
// where Octave was built without visibility flags (Debian's Octave 7), and
// the modules are compiled with hidden visibility: the pragma keeps the
// declarations the host looks up visible.  The gateway wraps its DEFUN_DLD
// in GEOMEX_OCT_EXPORT_BEGIN / GEOMEX_OCT_EXPORT_END for the same reason.
#ifndef HOST_OCTGATE_H
#define HOST_OCTGATE_H

#if defined(__GNUC__) || defined(__clang__)
#pragma GCC visibility push(default)
#endif
#include <octave/oct.h>
#include <octave/Cell.h>
#include <octave/ov-struct.h>
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC visibility pop
#endif

#if defined(__GNUC__) || defined(__clang__)
#define GEOMEX_OCT_EXPORT_BEGIN _Pragma("GCC visibility push(default)")
#define GEOMEX_OCT_EXPORT_END _Pragma("GCC visibility pop")
#else
#define GEOMEX_OCT_EXPORT_BEGIN
#define GEOMEX_OCT_EXPORT_END
#endif

#endif  // HOST_OCTGATE_H
