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

#endif  // HOST_EXPORT_H
