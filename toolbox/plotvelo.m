% -*- texinfo -*-
% @deftypefn  {} {@var{scale} =} plotvelo (@var{enu})
% @deftypefnx {} {@var{scale} =} plotvelo (@var{enu}, @var{name}, @var{value}, @dots{})
% @deftypefnx {} {@var{scale} =} plotvelo (@var{hax}, @dots{})
% Draw horizontal station velocities with their error ellipses on a map
% plot (Octave graphics with any toolkit, or MATLAB graphics).
%
% @var{enu} is the result of @code{velsol2enu}.  Each station gets a dot,
% an arrow of its east/north velocity, the error ellipse of
% @code{velsol2enu} (its confidence) at the arrow's tip, and its name; the
% reference station is marked with a green triangle; a scale arrow sits
% below the stations, saying the ellipses' confidence and, for relative
% velocities, what they are relative to.
%
% The axes are longitude and latitude in degrees, with the aspect ratio
% that makes east and north equally long at the mean latitude, so arrows
% and ellipses keep their true shapes.  A network across the antimeridian
% is drawn whole (its longitudes run on past 180).  A network near a pole
% (on one side of 45 degrees and reaching 70, or around the pole) is drawn
% on the polar stereographic plane instead, in km from the pole, with each
% arrow along its station's own east and north.
%
% Options:
% @table @asis
% @item @qcode{'scale'}, @var{s}
% degrees of latitude per mm/yr: the length of the arrows.  By default the
% fastest arrow spans about 15 % of the map, shorter in a dense network
% (about 1.3 times the typical distance between neighbours).  The scale used
% is returned.
% @item @qcode{'labels'}, @var{l}
% @qcode{'auto'} (default: names that would overlap another are left out),
% @qcode{'all'} or @qcode{'none'}
% @item @qcode{'ellipses'}, @var{tf}
% draw the error ellipses (default true)
% @item @qcode{'positions'}, @{@var{lat}, @var{lon}, @var{names}@}
% further stations to mark with a hollow circle and their name, such as
% station records without velocity parameters
% @end table
%
% Draws into the current axes or @var{hax}, adding to what is there; a
% new figure (when there is none) is made large enough to read, 900 x 760
% pixels.  Names and texts are shown literally.  Every input is checked
% before anything is drawn or opened.
%
% Errors: @code{plotvelo:notenu} (@var{enu} is not a @code{velsol2enu}
% result), @code{plotvelo:empty} (it holds no station),
% @code{plotvelo:option} (an unknown option, named, or a bad value),
% @code{plotvelo:usage} (no @var{enu}, or @var{hax} not an axes).
%
% For a map with coastlines and borders, see @code{velomap} (GMT).
% @seealso{velsol2enu, velomap, writevelo}
% @end deftypefn

function scale = plotvelo (varargin)
  args = strings_to_chars (varargin);
  hax = [];
  if (~isempty (args) && ~(isstruct (args{1}) || ischar (args{1}) || iscell (args{1})))
    if (~(isscalar (args{1}) && ishghandle (args{1}) && strcmp (get (args{1}, 'type'), 'axes')))
      error ('plotvelo:usage', 'plotvelo: HAX must be an axes handle');
    end
    hax = args{1};
    args(1) = [];
  end
  if (isempty (args))
    error ('plotvelo:usage', 'Invalid call to plotvelo: plotvelo ([hax,] enu, ...)');
  end
  enu = args{1};
  check_enu (enu, 'plotvelo');
  if (isempty (enu.name))
    error ('plotvelo:empty', 'plotvelo: ENU holds no station with a velocity to draw');
  end
  known = {
    'scale', [], 'positive'
    'labels', 'auto', {'auto', 'all', 'none'}
    'ellipses', true, 'logical'
    'positions', {zeros(0, 1), zeros(0, 1), cell(0, 1)}, ...
      {@check_positions, '{lat, lon, names}: two real vectors and a cell of names of one length'}};
  opt = parse_options ('plotvelo', args(2:end), known);

  if (isempty (hax))
    if (isempty (get (0, 'currentfigure')))
      figure ('position', [100, 100, 900, 760]);
    end
    hax = gca ();
  end
  held = ishold (hax);
  restore = onCleanup (@() hold_off_unless (hax, held));
  hold (hax, 'on');
  scale = draw (hax, enu, opt);
end

function hold_off_unless (hax, held)
  if (~held && ishghandle (hax))
    hold (hax, 'off');
  end
end

% ---------------------------------------------------------------------------

function scale = draw (hax, enu, opt)
  [plat, plon, pnames] = deal (opt.positions{:});
  reflat = enu.reflat(isfinite (enu.reflat) & isfinite (enu.reflon));
  reflon = enu.reflon(isfinite (enu.reflat) & isfinite (enu.reflon));
  lat = double (enu.lat(:));
  lon = double (enu.lon(:));
  frame = map_frame ([lat; reflat; plat], [lon; reflon; plon]);

  % Everything is laid out on "paper" in degrees of latitude (east and
  % north equally long), then divided by (kx, ky) into the axes' units.
  [px, py, ex, ey, nx, ny, kx, ky] = to_paper (frame, [lat; reflat; plat], [lon; reflon; plon]);
  m = numel (lat);
  e = 1e3 * double (enu.ve(:));
  n = 1e3 * double (enu.vn(:));
  good = isfinite (px(1:m)) & isfinite (py(1:m)) & isfinite (e) & isfinite (n);
  span = max ([max(px) - min(px), max(py) - min(py), 1]);
  speed = hypot (e(good), n(good));
  vmax = max ([speed; 1]);
  scale = opt.scale;
  if (isempty (scale))
    scale = 0.15 * span / vmax;
    spacing = nearest_spacing (px(1:m), py(1:m));
    if (isfinite (spacing) && median (speed) > 0)
      scale = min (scale, max (1.3 * spacing, 0.03 * span) / median (speed));
    end
  end
  blue = [0, 0.3, 0.7];
  red = [0.85, 0.2, 0.1];
  % thinner lines and smaller dots in dense networks, so arrows stay visible
  dense = min (1, sqrt (200 / m));
  width = max (0.5, 1.2 * dense);
  dot = max (1.5, 4 * dense);
  to_axes = @(x, y) deal (x / kx, y / ky);

  % Arrows, then ellipses, each as one line broken by NaN: one graphics
  % object however many stations there are.
  dx = scale * (e .* ex(1:m) + n .* nx(1:m));
  dy = scale * (e .* ey(1:m) + n .* ny(1:m));
  [ax, ay] = arrows (px(1:m), py(1:m), dx, dy);
  [ax, ay] = to_axes (ax, ay);
  plot (hax, ax, ay, '-', 'color', blue, 'linewidth', width);
  if (opt.ellipses)
    t = [linspace(0, 2 * pi, 49)'; NaN];
    a = 1e3 * double (enu.smaj(:))'; b = 1e3 * double (enu.smin(:))';
    az = double (enu.azim(:))';
    % cos t along the major axis (azimuth clockwise from north), sin t along the minor one
    de = scale * (cos (t) * (a .* sind (az)) + sin (t) * (b .* cosd (az)));
    dn = scale * (cos (t) * (a .* cosd (az)) - sin (t) * (b .* sind (az)));
    tipx = (px(1:m) + dx)'; tipy = (py(1:m) + dy)';
    [qx, qy] = to_axes (tipx + de .* ex(1:m)' + dn .* nx(1:m)', tipy + de .* ey(1:m)' + dn .* ny(1:m)');
    plot (hax, qx(:), qy(:), '-', 'color', red, 'linewidth', 0.8 * width);
  end
  [sx, sy] = to_axes (px(1:m), py(1:m));
  plot (hax, sx, sy, 'o', 'color', blue, 'markerfacecolor', blue, 'markersize', dot);
  r = m + (1:numel (reflat));
  if (~isempty (r))
    [rx, ry] = to_axes (px(r), py(r));
    plot (hax, rx, ry, '^', 'color', [0, 0.55, 0], 'markerfacecolor', [0, 0.55, 0], ...
          'markersize', 9);
  end
  q = m + numel (reflat) + (1:numel (plat));
  if (~isempty (q))
    [qx, qy] = to_axes (px(q), py(q));
    plot (hax, qx, qy, 'o', 'color', [0.4, 0.4, 0.4], 'markersize', 6);
  end

  % The scale arrow: a round length near half the fastest arrow, below
  % the lowest station.
  ref = max (1, 10 * round (vmax / 20));
  bx = min (px) - 0.05 * span;
  by = min (py) - 0.12 * span;
  [ax, ay] = arrows (bx, by, scale * ref, 0);
  [ax, ay] = to_axes (ax, ay);
  plot (hax, ax, ay, '-', 'color', blue, 'linewidth', 1.2);
  words = sprintf ('%g mm/yr, ellipses %g %%', ref, 100 * enu.confidence);
  against = relative_text (enu);
  if (~isempty (against))
    words = [words, ', relative to ', against];
  end
  [tx, ty] = to_axes (bx, by + 0.04 * span);
  text (tx, ty, plot_text (hax, words), 'parent', hax, 'interpreter', 'none', 'fontsize', 10);

  if (strcmp (frame.kind, 'polar'))
    xlabel (hax, 'polar stereographic x (km)');
    ylabel (hax, 'polar stereographic y (km)');
  else
    xlabel (hax, 'longitude (deg)');
    ylabel (hax, 'latitude (deg)');
  end
  daspect (hax, [1 / kx, 1 / ky, 1]);
  % Fix the limits around everything drawn so that the labels' sizes on
  % the page are known before they are placed.
  allx = [px; px(1:m) + dx; bx + scale * ref];
  ally = [py; py(1:m) + dy; by];
  pad = 0.06 * span;
  set (hax, 'xlim', ([min(allx) - pad, max(allx) + 2 * pad]) / kx, ...
            'ylim', ([min(ally) - pad, max(ally) + pad]) / ky);
  % The reference station's name goes first, on its own row when it has
  % a velocity, else on its triangle.
  names = [enu.name(:); repmat({enu.refname}, numel (reflat), 1); pnames(:)];
  first = [];
  if (enu.reference ~= 0)
    first = enu.reference;
    names(r) = {''};
  elseif (~isempty (r))
    first = r;
  end
  order = [first, setdiff(1:numel (names), first)];
  labels (hax, opt.labels, px, py, names, kx, ky, order, arrow_marks (px(1:m), py(1:m), dx, dy, span));
end

% Where each point sits on paper, in degrees of latitude, and the unit
% vectors of its local east and north there; (kx, ky) turn paper into the
% axes' units (longitude/latitude degrees, or km on the polar plane).
function [px, py, ex, ey, nx, ny, kx, ky] = to_paper (frame, lat, lon)
  if (strcmp (frame.kind, 'polar'))
    [x, y] = frame.xy (lat, lon);
    [ex, ey, nx, ny] = frame.en (lon);
    kx = 180 / (pi * 6371.0088);     % km to degrees of latitude
    ky = kx;
    px = kx * x; py = ky * y;
  else
    kx = cosd (mean (lat(isfinite (lat))));
    ky = 1;
    px = kx * frame.unwrap (lon);
    py = lat;
    ex = ones (size (lat)); ey = zeros (size (lat));
    nx = zeros (size (lat)); ny = ones (size (lat));
  end
end

% Points every 1/300 of the map along each arrow, and every station.
function marks = arrow_marks (x, y, dx, dy, span)
  len = hypot (dx, dy);
  len(~isfinite (len)) = 0;
  steps = ceil (len / (span / 300));
  t = cell (numel (x), 1);
  for i = 1:numel (x)
    f = (0:steps(i))' / max (steps(i), 1);
    t{i} = [x(i) + f * dx(i), y(i) + f * dy(i)];
  end
  marks = [cat(1, t{:}); [x(:), y(:)]];
end

% Shafts and heads of arrows from (x, y) by (dx, dy), as one NaN-broken line.
function [ax, ay] = arrows (x, y, dx, dy)
  x = x(:)'; y = y(:)'; dx = dx(:)'; dy = dy(:)';
  h = 0.3 * hypot (dx, dy);
  ang = atan2 (dy, dx) + pi;
  tx = x + dx; ty = y + dy;
  gap = NaN (size (x));
  lx = tx + h .* cos (ang - 0.4); rx = tx + h .* cos (ang + 0.4);
  ly = ty + h .* sin (ang - 0.4); ry = ty + h .* sin (ang + 0.4);
  ax = [x; tx; gap; lx; tx; rx; gap];
  ay = [y; ty; gap; ly; ty; ry; gap];
  ax = ax(:); ay = ay(:);
end

% The names, right of, left of or below each point.  With 'auto', a name is drawn
% only where it covers no other name, no station and no arrow (MARKS: points
% along the arrows); its size on paper comes from the axes' size on the page.
function labels (hax, which, px, py, names, kx, ky, order, marks)
  if (strcmp (which, 'none'))
    return;
  end
  names = cellfun (@strtrim, names, 'UniformOutput', false);
  fs = 9;
  units = get (hax, 'units');
  set (hax, 'units', 'points');
  box = get (hax, 'position');
  set (hax, 'units', units);
  xl = get (hax, 'xlim') * kx; yl = get (hax, 'ylim') * ky;
  per_point = max (diff (xl) / box(3), diff (yl) / box(4));   % paper degrees per point
  gap = 4 * per_point;
  w = (0.6 * fs * cellfun (@numel, names(:)) + 2) * per_point;
  h = 1.25 * fs * per_point;
  named = ~cellfun (@isempty, names(:));
  right = [px + gap, py - h / 2, px + gap + w, py + h / 2];
  left = [px - gap - w, py - h / 2, px - gap, py + h / 2];
  below = [px - w / 2, py - gap - h, px + w / 2, py - gap];
  right(~named, :) = NaN;
  left(~named, :) = NaN;
  below(~named, :) = NaN;
  side = double (named);
  if (strcmp (which, 'auto'))
    side(order) = thin_labels ({right(order, :), left(order, :), below(order, :)}, marks, ...
                               1.5 * per_point);
  end
  halign = {'left', 'right', 'center'};
  atx = [right(:, 1), left(:, 3), px];
  aty = [py, py, py - gap - h / 2];
  for i = find (side(:)')
    text (atx(i, side(i)) / kx, aty(i, side(i)) / ky, plot_text (hax, names{i}), 'parent', hax, ...
          'interpreter', 'none', 'fontsize', fs, 'verticalalignment', 'middle', ...
          'horizontalalignment', halign{side(i)});
  end
end

%!shared enu
%! enu = struct ('name', {{'A'; 'B'}}, 'lat', [90; 89], 'lon', [0; 45], 've', [0.02; 0.021], ...
%!               'vn', [0.015; 0.014], 'se', [1e-3; 1e-3], 'sn', [1e-3; 1e-3], 'rho_en', [0; 0], ...
%!               'smaj', [2e-3; 2e-3], 'smin', [1e-3; 1e-3], 'azim', [30; 60], 'confidence', 0.95, ...
%!               'refname', 'A', 'reflat', 90, 'reflon', 0, 'reference', 1);
%!error <Invalid call> plotvelo ()
%!error <unknown option 'colour'> plotvelo (enu, 'colour', 1)
%!error <'scale' must be a finite positive number> plotvelo (enu, 'scale', Inf)
%!error <'labels' must be one of> plotvelo (enu, 'labels', 'some')
%!error <not a velsol2enu result> plotvelo (struct ('name', 1))
%!error <HAX must be an axes handle> plotvelo (0, enu)
%!test
%! f = figure ('visible', 'off');
%! closer = onCleanup (@() close (f));
%! s = plotvelo (enu, 'Scale', 0.1, 'LABELS', 'All');   % at the pole: polar plane
%! assert (s, 0.1);
%! assert (~ishold ());
%! assert (numel (findobj (gca (), 'type', 'text')), 3);
