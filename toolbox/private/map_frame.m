% frame = map_frame (lat, lon)
% How to lay out a map of the points LAT, LON (degrees; NaN rows ignored).
%
%   frame.kind   'regional' (an east/north map around the points), 'polar'
%                (polar stereographic) or 'world'
%   frame.lon0   the central longitude: the middle of the points' longitudes,
%                opposite the widest gap between them
%   frame.pole   1 or -1: the hemisphere of the points (the pole of a polar map)
%   frame.unwrap @(lon) the longitudes within 180 degrees of lon0, so that a
%                network across the antimeridian keeps its shape (179 and
%                -179 become 179 and 181)
%   frame.xy     @(lat, lon) [x, y] in km on the polar stereographic plane
%                (true scale at the pole; lon0 points down at the north
%                pole, up at the south pole), and
%   frame.en     @(lon) [ex, ey, nx, ny], the unit vectors of local east and
%                north on that plane
%
% A network that stays on one side of 45 degrees and reaches 70 degrees,
% or circles the pole, is polar: Mercator cannot show it (nor a pole) and
% a world map wastes the page on it.
function frame = map_frame (lat, lon)
  ok = isfinite (lat(:)) & isfinite (lon(:));
  lat = lat(ok);
  l = sort (mod (lon(ok), 360));
  if (isempty (l))
    l = 0;
    lat = 0;
  end
  gaps = diff ([l; l(1) + 360]);
  [gap, k] = max (gaps);
  span = 360 - gap;
  lon0 = l(mod (k, numel (l)) + 1) + span / 2;
  lon0 = mod (lon0 + 180, 360) - 180;
  pole = 1;
  if (mean (lat) < 0)
    pole = -1;
  end
  if (all (pole * lat >= 45) && (max (pole * lat) >= 70 || span > 180))
    kind = 'polar';
  elseif (span > 200 || max (lat) - min (lat) > 120)
    kind = 'world';
  else
    kind = 'regional';
  end
  R = 6371.0088;  % mean Earth radius, km
  frame = struct ('kind', kind, 'lon0', lon0, 'pole', pole, ...
                  'unwrap', @(x) lon0 + mod (x - lon0 + 180, 360) - 180, ...
                  'xy', @(phi, x) stereo (phi, x, lon0, pole, R), ...
                  'en', @(x) east_north (x, lon0, pole));
end

function [x, y] = stereo (lat, lon, lon0, s, R)
  r = 2 * R * tand ((90 - s * lat) / 2);
  x = r .* sind (lon - lon0);
  y = -s * r .* cosd (lon - lon0);
end

function [ex, ey, nx, ny] = east_north (lon, lon0, s)
  d = lon - lon0;
  ex = cosd (d);
  ey = s * sind (d);
  nx = -s * sind (d);
  ny = cosd (d);
end
