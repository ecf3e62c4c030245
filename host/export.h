// Marks the host entry points, the only symbols a module exports.
//
// Every module is compiled with hidden visibility by default, so that its
// internals (the number conversion, the record readers, ...) cannot clash
// with symbols of the host or of other modules.  The entry points the host
// looks up by name (mexFunction, mexVersion) carry this mark.
#ifndef HOST_EXPORT_H
#define HOST_EXPORT_H

#if defined(_WIN32)
#define GEOMEX_EXPORT __declspec(dllexport)
#elif defined(__GNUC__) || defined(__clang__)
#define GEOMEX_EXPORT __attribute__((visibility("default")))
#else
#define GEOMEX_EXPORT
#endif

// Brackets declarations that must keep default visibility in modules
// compiled with hidden visibility: the host's headers, whose declarations
// of the entry points would otherwise hide them, and Octave's DEFUN_DLD,
// which does not mark its installer for export where Octave was built
// without visibility flags (Debian's Octave 7).
#if defined(__GNUC__) || defined(__clang__)
#define GEOMEX_DEFAULT_VISIBILITY_BEGIN _Pragma("GCC visibility push(default)")
#define GEOMEX_DEFAULT_VISIBILITY_END _Pragma("GCC visibility pop")
#else
#define GEOMEX_DEFAULT_VISIBILITY_BEGIN
#define GEOMEX_DEFAULT_VISIBILITY_END
#endif

#endif  // HOST_EXPORT_H
