% -*- texinfo -*-
% @deftypefn  {} {@var{pred} =} platevel (@var{pole}, @var{enu})
% @deftypefnx {} {@var{pred} =} platevel (@var{pole}, @var{lat}, @var{lon})
% @deftypefnx {} {@var{pred} =} platevel (@dots{}, @var{name}, @var{value}, @dots{})
% Velocities that a plate rotation predicts at stations, with their
% covariance.
%
% @var{pole} is what @code{eulerpole} or @code{platemodel} returns.  The
% stations are the rows of @var{enu} (a @code{velsol2enu} or
% @code{readvelo} result: its names, positions and heights) or the points
% @var{lat}, @var{lon} (degrees, height 0).  Each moves by
% @math{omega x r} (@var{r} its WGS 84 Cartesian position, @var{omega} in
% mas/yr, 1 mas = pi/(180*3600e3) rad) plus the pole's translation rate
% of the origin where it has one, resolved into east, north and up; the
% up component of a rotation is not zero on the ellipsoid (up is not
% along @var{r}), only small.
%
% Options:
% @table @asis
% @item @qcode{'origin'}, @var{tf}
% false leaves the pole's translation rate out (default true).
% @item @qcode{'plate'}, @var{labels}
% an m x 1 cell naming each row's plate, for a pole of several plates
% (by @code{pole.plate} or @code{pole.name}, any case).
% @item @qcode{'confidence'}, @var{p}
% confidence of the ellipses (default that of @var{enu}, else 0.95).
% @end table
%
% @var{pred} is an @var{enu} struct (m/yr, as @code{velsol2enu} gives):
% @code{name}, @code{lat}, @code{lon}, @code{height}, @code{ve},
% @code{vn}, @code{vu}, @code{cov} (3m x 3m, @math{G P G'} with @var{P}
% @code{pole.cov} and @var{G} the map from the pole's unknowns to the
% velocities; a sparse zero matrix where the pole has no covariance), @code{se}, @code{sn},
% @code{su}, @code{rho_en}, the ellipses, @code{plate} (each row's plate)
% and the reference fields of a result without a reference station.
%
% Errors: @code{platevel:notpole}, @code{platevel:notenu},
% @code{platevel:plate}, @code{platevel:option}, @code{platevel:usage}.
%
% Example:
% @example
% @group
% pred = platevel (platemodel ('ITRF2020-PMM', 'EURA'), 50, 10);
% 1e3 * [pred.ve, pred.vn]      % mm/yr
% @end group
% @end example
% @seealso{eulerpole, platefix, platemodel}
% @end deftypefn

function pred = platevel (pole, varargin)
  if (nargin < 2)
    error ('platevel:usage', 'Invalid call to platevel: pred = platevel (pole, enu, ...) or platevel (pole, lat, lon, ...)');
  end
  k = check_pole (pole, 'platevel');
  if (isstruct (varargin{1}))
    enu = varargin{1};
    check_enu (enu, 'platevel');
    opts = varargin(2:end);
    p = enu.confidence;
    names = enu.name(:);
    lat = enu.lat(:);
    lon = enu.lon(:);
    height = zeros (size (lat));
    if (isfield (enu, 'height'))
      height = enu.height(:);
      height(isnan (height)) = 0;
    end
  else
    if (nargin < 3 || ~(isnumeric (varargin{1}) && isnumeric (varargin{2}) && isreal (varargin{1}) ...
                        && isreal (varargin{2}) && numel (varargin{1}) == numel (varargin{2})))
      error ('platevel:usage', 'platevel: LAT and LON must be real arrays of one size');
    end
    lat = double (varargin{1}(:));
    lon = double (varargin{2}(:));
    opts = varargin(3:end);
    p = 0.95;
    names = repmat ({''}, numel (lat), 1);
    height = zeros (size (lat));
  end
  opt = parse_options ('platevel', opts, {'origin', true, 'logical'; ...
                                          'plate', {}, 'cellstr'; ...
                                          'confidence', p, 'probability'});
  m = numel (lat);
  which = plate_rows (pole, m, opt.plate, 'platevel');
  [v, G] = plate_prediction (pole, lat, lon, height, which, opt.origin);

  pred.name = names;
  pred.lat = lat;
  pred.lon = lon;
  pred.height = height;
  pred.ve = v(:, 1);
  pred.vn = v(:, 2);
  pred.vu = v(:, 3);
  % Standard deviations and ellipses from each station's own rows of G,
  % without the whole matrix; the whole matrix only where it is not zero
  % (a pole without a covariance gives a sparse zero one, at any size).
  P = pole.cov;
  if (isempty (P) || ~any (P(:)))
    pred.cov = sparse (3 * m, 3 * m);
    P = zeros (size (G, 2));
  else
    C = G * P * G';
    pred.cov = (C + C') / 2;
  end
  GP = G * P;
  d = reshape (sum (GP .* G, 2), 3, []);
  cov_en = sum (GP(2:3:end, :) .* G(1:3:end, :), 2);
  s = ellipse_stats (d(1, :), d(2, :), cov_en, opt.confidence);
  pred.se = s.se;
  pred.sn = s.sn;
  pred.su = sqrt (max (d(3, :)', 0));
  pred.rho_en = s.rho_en;
  pred.smaj = s.smaj;
  pred.smin = s.smin;
  pred.azim = s.azim;
  pred.confidence = opt.confidence;
  pred.scale = s.scale;
  pred.relative = false;
  pred.refname = '';
  pred.reflat = NaN;
  pred.reflon = NaN;
  pred.reference = 0;
  pred.plate = reshape (pole.plate(which), [], 1);
end

%!test
%! % Eurasia of ITRF2020-PMM at 50 N 10 E, by hand: omega x r, east/north.
%! w = [-0.085, -0.519, 0.753] * pi / 180 / 3600e3;
%! pole = struct ('plate', {{'EURA'}}, 'omega', [-0.085, -0.519, 0.753], 'origin', [], 'cov', []);
%! p = platevel (pole, 50, 10);
%! a = 6378137; e2 = (2 - 1 / 298.257223563) / 298.257223563;
%! N = a / sqrt (1 - e2 * sind (50) ^ 2);
%! r = [N * cosd(50) * cosd(10); N * cosd(50) * sind(10); N * (1 - e2) * sind(50)];
%! v = cross (w', r);
%! assert (p.ve, [-sind(10), cosd(10), 0] * v, 1e-17);
%! assert (p.vn, [-sind(50) * cosd(10), -sind(50) * sind(10), cosd(50)] * v, 1e-17);
%! assert (issparse (p.cov) && nnz (p.cov) == 0 && isequal (size (p.cov), [3, 3]));
%!error id=platevel:notpole platevel (struct ('plate', 1), 0, 0)
%!error id=platevel:plate platevel (struct ('plate', {{'A'; 'B'}}, 'omega', zeros (2, 3), 'origin', [], 'cov', []), 0, 0)
