// The stations of a synthetic solution: where they stand and what they are
// called.
#ifndef TOOLS_STATIONS_H
#define TOOLS_STATIONS_H

#include <string>
#include <vector>

#include "tools/random_stream.h"

namespace gensol {

struct Station {
  std::string name;    // 4 letters; padded to 8 when written
  double lat, lon, h;  // degrees, degrees, metres
  double xyz[3];       // Cartesian, metres, WGS 84
  double enu[3][3];    // rows: unit vectors east, north, up in X/Y/Z
};

// `count` stations with distinct names, spread over Europe, 50 m below to
// 3000 m above the ellipsoid, keeping apart from each other as far as the
// region allows.
std::vector<Station> placeStations(int count, Random &rnd);

}  // namespace gensol

#endif  // TOOLS_STATIONS_H
