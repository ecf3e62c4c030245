// The WGS 84 ellipsoid, the one reference surface of the whole system: the
// geodetic conversion, the solution generator and the tests all take its
// constants from here.
#ifndef CORE_WGS84_H
#define CORE_WGS84_H

namespace geomex {
namespace wgs84 {

// Semi-major axis, metres (defining constant).
constexpr double kA = 6378137.0;
// Flattening 1/298.257223563 (defining constant), 0.0033528106647474805
// as a double.
constexpr double kF = 1.0 / 298.257223563;
// First eccentricity squared, e^2 = 2f - f^2, evaluated in that order (the
// conversion's results depend on the exact bits).
constexpr double kE2 = kF * 2.0 - kF * kF;
// Semi-minor axis b = a (1 - f), metres.
constexpr double kB = kA * (1.0 - kF);

}  // namespace wgs84
}  // namespace geomex

#endif  // CORE_WGS84_H
