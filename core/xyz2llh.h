// Cartesian (ECEF) to geodetic coordinates on the WGS 84 ellipsoid.
#ifndef CORE_XYZ2LLH_H
#define CORE_XYZ2LLH_H

namespace geomex {

// xyz: X, Y, Z in metres (read only).  llh: latitude and longitude in degrees
// (positive north and east, longitude in -180 .. 180) and height above the
// ellipsoid in metres; all three are written.
//
// A closed-form first latitude is refined by fixed-point passes until the
// height changes by no more than 9.999999747378752e-05 m (1e-4 in single
// precision); points near the Earth's surface need at most four passes.
//
// Special points:
//   origin                   latitude NaN, longitude 0, height NaN
//   polar axis (X = Y = 0,   latitude +-90 by the sign of Z, longitude
//   Z a non-zero number)     atan2(Y, X), height |Z| - b, b = a (1 - f)
//   no convergence within    latitude NaN, height NaN (happens only for
//   100 passes               points within some tens of km of the Earth's
//                            centre, far below any station)
// NaN input gives NaN output; no failure is reported.  Reentrant.
void xyz2llh(const double xyz[3], double llh[3]) noexcept;

}  // namespace geomex

#endif  // CORE_XYZ2LLH_H
