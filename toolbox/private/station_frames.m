% [xyz, e, n, u] = station_frames (lat, lon, height)
% Earth-centred Cartesian positions (m, m x 3) of stations at geodetic
% latitude and longitude LAT, LON (degrees) and ellipsoidal height HEIGHT
% (m; NaN or a missing height counts as 0: a rotation's velocity at a
% station changes by only 1.6e-7 of itself per metre), on WGS 84:
% a = 6378137 m, f = 1/298.257223563.  E, N, U (m x 3) are the unit
% vectors east, north and up there, the rows of the rotation velsol2enu
% uses.
function [xyz, e, n, u] = station_frames (lat, lon, height)
  a = 6378137;
  f = 1 / 298.257223563;
  e2 = f * (2 - f);
  lat = lat(:);
  lon = lon(:);
  if (nargin < 3 || isempty (height))
    height = zeros (size (lat));
  end
  height = height(:);
  height(isnan (height)) = 0;
  [sp, cp] = sincosd (lat);
  [sl, cl] = sincosd (lon);
  N = a ./ sqrt (1 - e2 * sp .^ 2);
  xyz = [(N + height) .* cp .* cl, (N + height) .* cp .* sl, (N * (1 - e2) + height) .* sp];
  z = zeros (size (lat));
  e = [-sl, cl, z];
  n = [-sp .* cl, -sp .* sl, cp];
  u = [cp .* cl, cp .* sl, sp];
end
