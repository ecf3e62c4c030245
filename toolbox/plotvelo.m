% -*- texinfo -*-
% @deftypefn  {} {@var{scale} =} plotvelo (@var{enu})
% @deftypefnx {} {@var{scale} =} plotvelo (@var{enu}, @qcode{'scale'}, @var{s})
% @deftypefnx {} {@var{scale} =} plotvelo (@var{hax}, @dots{})
% Draw horizontal station velocities with their error ellipses on a
% longitude/latitude plot (Octave graphics with any toolkit, or MATLAB graphics).
%
% @var{enu} is the result of @code{velsol2enu}.  Each station gets a dot,
% an arrow of its east/north velocity, the error ellipse of
% @code{velsol2enu} (its confidence) at the arrow's tip, and its name; the
% reference station is marked with a green triangle; a scale arrow sits in
% the lower left.  The aspect ratio makes east and north equally long at
% the mean latitude, so arrows and ellipses keep their true shapes.
%
% @var{s}, degrees of latitude per mm/yr, sets the length of the arrows;
% by default the fastest arrow spans about 15 % of the map.  The scale
% used is returned.  Draws into the current axes or @var{hax}, adding to
% what is there.
%
% For a map with coastlines and borders, see @code{velomap} (GMT).
% @seealso{velsol2enu, velomap, writevelo}
% @end deftypefn

function scale = plotvelo (varargin)
  args = strings_to_chars (varargin);
  hax = [];
  if (~isempty (args) && ~isstruct (args{1}) && isscalar (args{1}) && ishghandle (args{1}))
    hax = args{1};
    args(1) = [];
  end
  if (isempty (args))
    error ('plotvelo:usage', 'Invalid call to plotvelo: plotvelo ([hax,] enu, ...)');
  end
  if (isempty (hax))
    hax = gca ();
  end
  enu = args{1};
  check_enu (enu, 'plotvelo');
  if (isempty (enu.name))
    error ('plotvelo:empty', 'plotvelo: ENU holds no station with a velocity to draw');
  end
  scale = [];
  opts = args(2:end);
  if (mod (numel (opts), 2) ~= 0)
    error ('plotvelo:option', 'plotvelo: options come in name/value pairs');
  end
  for i = 1:2:numel (opts)
    if (~(ischar (opts{i}) && strcmpi (opts{i}, 'scale')))
      error ('plotvelo:option', 'plotvelo: unknown option');
    end
    scale = opts{i + 1};
    if (~(isnumeric (scale) && isscalar (scale) && scale > 0))
      error ('plotvelo:option', 'plotvelo: scale must be a positive number');
    end
  end

  lat = enu.lat(:)'; lon = enu.lon(:)';
  e = 1e3 * enu.ve(:)'; n = 1e3 * enu.vn(:)';
  k = cosd (mean ([lat, enu.reflat(isfinite (enu.reflat))]));
  span = max ([max(lat) - min(lat), k * (max(lon) - min(lon)), 1]);
  vmax = max ([hypot(e, n), 1]);
  if (isempty (scale))
    scale = 0.15 * span / vmax;
  end
  blue = [0, 0.3, 0.7];
  red = [0.85, 0.2, 0.1];

  held = ishold (hax);
  hold (hax, 'on');
  t = linspace (0, 2 * pi, 73)';
  for c = 1:numel (lat)
    tip = arrow (hax, lon(c), lat(c), e(c), n(c), scale, k, blue);
    % The ellipse at the tip: cos t along the major axis (unit vector at
    % the azimuth, clockwise from north), sin t along the minor one.
    a = 1e3 * enu.smaj(c); b = 1e3 * enu.smin(c); az = enu.azim(c);
    de = a * cos (t) * sind (az) + b * sin (t) * cosd (az);
    dn = a * cos (t) * cosd (az) - b * sin (t) * sind (az);
    plot (hax, tip(1) + scale * de / k, tip(2) + scale * dn, '-', 'color', red, ...
          'linewidth', 1.5);
  end
  plot (hax, lon, lat, 'o', 'color', blue, 'markerfacecolor', blue, 'markersize', 5);
  if (isfinite (enu.reflat))
    plot (hax, enu.reflon, enu.reflat, '^', 'color', [0, 0.55, 0], ...
          'markerfacecolor', [0, 0.55, 0], 'markersize', 9);
  end
  for c = 1:numel (lat)
    text (hax, lon(c) + 0.02 * span / k, lat(c) - 0.03 * span, strtrim (enu.name{c}), ...
          'fontsize', 10);
  end

  % A round length near half the fastest arrow, below the lowest station.
  ref = max (1, 10 * round (vmax / 20));
  sx = min (lon) - 0.05 * span / k;
  sy = min (lat) - 0.12 * span;
  arrow (hax, sx, sy, ref, 0, scale, k, blue);
  text (hax, sx, sy + 0.04 * span, ...
        sprintf ('%g mm/yr, ellipses %g %%', ref, 100 * enu.confidence), 'fontsize', 10);
  daspect (hax, [1 / k, 1, 1]);
  if (~held)
    hold (hax, 'off');
  end
end

% An arrow of (e, n) mm/yr from (lon, lat); returns its tip.  The head is
% built in screen-true units (east scaled by k) so it is not skewed.
function tip = arrow (hax, lon, lat, e, n, scale, k, col)
  dx = scale * e;
  dy = scale * n;
  tip = [lon + dx / k, lat + dy];
  plot (hax, [lon, tip(1)], [lat, tip(2)], '-', 'color', col, 'linewidth', 1.5);
  len = hypot (dx, dy);
  if (len > 0)
    h = 0.3 * len;
    ang = atan2 (dy, dx) + pi + [-0.4, 0.4];
    plot (hax, tip(1) + [h * cos(ang(1)) / k, 0, h * cos(ang(2)) / k], ...
          tip(2) + [h * sin(ang(1)), 0, h * sin(ang(2))], '-', 'color', col, 'linewidth', 1.5);
  end
end
