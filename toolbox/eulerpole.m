% -*- texinfo -*-
% @deftypefn  {} {@var{pole} =} eulerpole (@var{enu})
% @deftypefnx {} {@var{pole} =} eulerpole (@var{enu}, @var{name}, @var{value}, @dots{})
% Fit the rotation of a tectonic plate (its Euler pole) to station
% velocities, by generalized least squares with their full covariance.
%
% @var{enu} is what @code{velsol2enu} or @code{readvelo} returns.  Each
% station's horizontal velocity is modelled as
% @math{v_i = E_i (omega x p_i) [+ E_i t]}: @var{p_i} its WGS 84
% Cartesian position from @code{lat}, @code{lon} and @code{height} (a
% missing or NaN height counts as 0; WGS 84 a = 6378137 m,
% f = 1/298.257223563), @var{E_i} the east and north rows of its local
% frame, @var{omega} the plate's rotation vector about the Earth-centred
% X, Y, Z axes in mas/yr (1 mas = pi/(180*3600e3) rad) and @var{t} an
% optional translation rate of the origin common to all stations, in
% mm/yr.  Velocities relative to a reference station (@qcode{'relative'}
% in @code{velsol2enu}) do not follow this model and are refused.
%
% Options:
% @table @asis
% @item @qcode{'weights'}, @var{w}
% @qcode{'full'} (default): the inverse of the whole 2m x 2m horizontal
% covariance, every cross-station term included; @qcode{'stations'}: each
% station's own 2 x 2 east/north block only; @qcode{'sigmas'}: only
% @code{se} and @code{sn}.
% @item @qcode{'plate'}, @var{labels}
% an m x 1 cell naming each row's plate: one rotation per distinct label,
% all fitted together (they share the translation, if any).
% @item @qcode{'origin'}, @var{tf}
% true to estimate the translation rate @var{t} as well (as the ITRF2020
% plate motion model estimates its origin rate bias, ORB); default false.
% @item @qcode{'exclude'}, @var{rows}
% rows of @var{enu} left out of the fit (they still get residuals).
% @item @qcode{'scale'}, @var{tf}
% true to scale @code{cov} (and every uncertainty derived from it) by
% @code{sigma0^2}; default false, the formal covariance.
% @item @qcode{'confidence'}, @var{p}
% confidence of the pole's error ellipse, default @code{enu.confidence}.
% @end table
%
% The fit whitens the observations with the Cholesky factor of their
% covariance (triangular solves, no inverse), scales the unknowns'
% columns to unit length and solves by QR: a normal matrix of unknowns in
% mas/yr and mm/yr is never formed.  The result @var{pole} has:
%
% @table @code
% @item plate
% k x 1 cell of plate labels in order of first appearance (@code{@{''@}}
% without labels); @code{name} the same
% @item omega
% k x 3 rotation vectors, mas/yr
% @item origin
% 1 x 3 translation rate, mm/yr (@code{[]} without @qcode{'origin'})
% @item cov
% covariance of @code{[omega_1, ..., omega_k, origin]} in that order,
% (mas/yr)^2, (mm/yr)^2 and mixed, not scaled by @code{sigma0^2} unless
% @qcode{'scale'} is true
% @item lat, lon, rate, slat, slon, srate
% each pole in degrees, its rotation rate in deg/Myr (1 mas/yr = 1/3.6
% deg/Myr) and their standard deviations (linearised)
% @item smaj, smin, azim
% the pole's error ellipse at the confidence: semi-axes in degrees of
% arc, azimuth of the major axis clockwise from north
% @item chi2, dof, sigma0
% weighted sum of squared residuals, degrees of freedom (2 x used rows
% minus unknowns), @code{sqrt (chi2 / dof)}
% @item residual
% observed minus predicted velocities of every row, excluded rows
% included, as an @var{enu} struct with the observed covariance
% (@code{platefix (enu, pole)}): @code{velomap} draws it, titled with the
% plate
% @item nres
% m x 2 east and north residuals divided by their standard deviations
% under the weighting used: for fitted rows those of the residuals
% (@math{C - A Cx A'}), for excluded rows those of the prediction error
% (@math{C + A Cx A'})
% @item model, confidence, weights, used
% @qcode{'eulerpole fit'}, the confidence, the weighting, the rows fitted
% @end table
%
% Errors: @code{eulerpole:singular} (fewer than two stations for a plate,
% or stations that do not fix its rotation), @code{eulerpole:notposdef}
% (the covariance of the fitted rows is not positive definite; the row
% where the factorisation failed is named), @code{eulerpole:relative},
% @code{eulerpole:notenu}, @code{eulerpole:option},
% @code{eulerpole:usage}.
%
% Example:
% @example
% @group
% enu = velsol2enu (readvelsol ('example.sol'));
% pole = eulerpole (enu);
% [pole.lat, pole.lon, pole.rate]
% velomap ('residuals.png', pole.residual);
% @end group
% @end example
% @seealso{platevel, platefix, platemodel, readvelo, velsol2enu, velomap}
% @end deftypefn

function pole = eulerpole (enu, varargin)
  if (nargin < 1)
    error ('eulerpole:usage', 'Invalid call to eulerpole: pole = eulerpole (enu, ...)');
  end
  opt = parse_options ('eulerpole', varargin, ...
                       {'weights', 'full', {'full', 'stations', 'sigmas'}; ...
                        'plate', {}, 'cellstr'; ...
                        'origin', false, 'logical'; ...
                        'exclude', [], 'rows'; ...
                        'scale', false, 'logical'; ...
                        'confidence', [], 'probability'});
  check_enu (enu, 'eulerpole');
  if (isfield (enu, 'relative') && isequal (enu.relative, true))
    error ('eulerpole:relative', ...
           'eulerpole: ENU holds velocities relative to a reference station; fit absolute ones');
  end
  m = numel (enu.name);
  if (isempty (opt.confidence))
    opt.confidence = enu.confidence;
  end
  labels = opt.plate(:);
  if (isempty (labels))
    labels = repmat ({''}, m, 1);
  elseif (numel (labels) ~= m)
    error ('eulerpole:option', 'eulerpole: ''plate'' must give one label per row (%d), not %d', ...
           m, numel (labels));
  end
  if (any (opt.exclude > m))
    error ('eulerpole:option', 'eulerpole: ''exclude'' names row %d of %d', max (opt.exclude), m);
  end
  [plates, which] = first_appearance (labels);
  k = numel (plates);
  used = true (m, 1);
  used(opt.exclude) = false;
  counts = accumarray (which(used), 1, [k, 1]);
  if (any (counts < 2))
    few = find (counts < 2, 1);
    error ('eulerpole:singular', 'eulerpole: plate ''%s'' has %d station(s) to fit: at least two are needed', ...
           plates{few}, counts(few));
  end
  height = [];
  if (isfield (enu, 'height'))
    height = enu.height;
  end

  % Design and observations of the fitted rows, east and north interleaved
  % as in the covariance.
  G = plate_design (enu.lat, enu.lon, height, which, k, opt.origin);
  q = size (G, 2);
  rows_h = reshape ([3 * find(used)' - 2; 3 * find(used)' - 1], [], 1);
  A = G(rows_h, :);
  y = reshape ([enu.ve(used)'; enu.vn(used)'], [], 1);
  [Aw, yw] = whiten (enu, used, rows_h, opt.weights, A, y);

  % QR of the whitened design with unit columns: the unknowns' units
  % (mas/yr, mm/yr) and the stations' spread cannot spoil its condition.
  s = sqrt (sum (Aw .^ 2, 1));
  if (any (s == 0) || any (~isfinite (s)))
    bad_column (plates, find (s == 0 | ~isfinite (s), 1), k);
  end
  if (numel (yw) < q)
    error ('eulerpole:singular', 'eulerpole: %d velocity components cannot fix %d unknowns', ...
           numel (yw), q);
  end
  [Q, R] = qr (Aw ./ s, 0);
  d = abs (diag (R));
  if (min (d) <= 1e-10 * max (d))
    bad_column (plates, find (d <= 1e-10 * max (d), 1), k);
  end
  x = linsolve (R, Q' * yw, struct ('UT', true)) ./ s';
  Ri = linsolve (R, eye (q), struct ('UT', true));
  Cx = (Ri * Ri') ./ (s' * s);
  Cx = (Cx + Cx') / 2;
  rw = yw - Aw * x;

  pole.plate = plates;
  pole.name = plates;
  pole.omega = reshape (x(1:3 * k), 3, k)';
  pole.origin = [];
  if (opt.origin)
    pole.origin = x(3 * k + (1:3))';
  end
  pole.chi2 = rw' * rw;
  pole.dof = numel (y) - q;
  pole.sigma0 = sqrt (pole.chi2 / pole.dof);
  if (pole.dof == 0)
    pole.sigma0 = NaN;
  end
  pole.cov = Cx;
  if (opt.scale)
    pole.cov = Cx * pole.sigma0 ^ 2;
  end
  pole = pole_summary (pole, opt.confidence);
  pole.model = 'eulerpole fit';
  pole.weights = opt.weights;
  pole.used = used;

  % Residuals of every row, and their standard deviations under the
  % weighting (the formal covariance, as the observations' is): the fit's
  % leverage takes from the fitted rows' variance, the prediction's error
  % adds to the excluded rows'.
  pole.residual = platefix (enu, pole, 'plate', labels);
  [ae, an] = deal (G(1:3:end, :), G(2:3:end, :));
  sign = 2 * ~used - 1;
  var_e = enu.se(:) .^ 2 + sign .* sum ((ae * Cx) .* ae, 2);
  var_n = enu.sn(:) .^ 2 + sign .* sum ((an * Cx) .* an, 2);
  var_e(var_e <= 0) = NaN;
  var_n(var_n <= 0) = NaN;
  pole.nres = [pole.residual.ve(:) ./ sqrt(var_e), pole.residual.vn(:) ./ sqrt(var_n)];
  pole = orderfields (pole, {'plate', 'name', 'omega', 'origin', 'cov', 'lat', 'lon', 'rate', ...
                             'slat', 'slon', 'srate', 'smaj', 'smin', 'azim', 'confidence', ...
                             'chi2', 'dof', 'sigma0', 'residual', 'nres', 'model', 'weights', 'used'});
end

% The design A and observations y times the inverse Cholesky factor of
% their covariance under the weighting W.  The full covariance is
% factorised once (one chol of the 2n x 2n matrix); the station blocks
% and the sigmas in closed form, 2 x 2 at a time.
function [Aw, yw] = whiten (enu, used, rows_h, w, A, y)
  full_cov = isfield (enu, 'cov') && ~isempty (enu.cov);
  if (strcmp (w, 'full') && full_cov)
    [L, fail] = chol (enu.cov(rows_h, rows_h), 'lower');
    if (fail)
      not_posdef (enu, used, ceil (fail / 2));
    end
    % One triangular solve for the design and the observations together.
    if (issparse (L))
      X = L \ [A, y];
    else
      X = linsolve (L, [A, y], struct ('LT', true));
    end
    Aw = X(:, 1:end - 1);
    yw = X(:, end);
    return;
  end
  u = find (used);
  if (strcmp (w, 'sigmas'))
    cee = enu.se(u) .^ 2;
    cnn = enu.sn(u) .^ 2;
    cen = zeros (size (u));
  elseif (full_cov)
    cee = full (enu.cov(sub2ind (size (enu.cov), 3 * u - 2, 3 * u - 2)));
    cnn = full (enu.cov(sub2ind (size (enu.cov), 3 * u - 1, 3 * u - 1)));
    cen = full (enu.cov(sub2ind (size (enu.cov), 3 * u - 1, 3 * u - 2)));
  else
    cee = enu.se(u) .^ 2;
    cnn = enu.sn(u) .^ 2;
    cen = enu.rho_en(u) .* enu.se(u) .* enu.sn(u);
  end
  % [a 0; b c] [a b; 0 c] = [cee cen; cen cnn]
  a = sqrt (cee(:));
  b = cen(:) ./ a;
  c = sqrt (cnn(:) - b .^ 2);
  bad = ~(cee(:) > 0 & cnn(:) - b .^ 2 > 0);
  if (any (bad))
    not_posdef (enu, used, find (bad, 1));
  end
  we = 1:2:numel (y);
  wn = 2:2:numel (y);
  Aw = A;
  Aw(we, :) = A(we, :) ./ a;
  Aw(wn, :) = (A(wn, :) - b .* Aw(we, :)) ./ c;
  yw = y;
  yw(we) = y(we) ./ a;
  yw(wn) = (y(wn) - b .* yw(we)) ./ c;
end

% The distinct labels in order of first appearance, and each row's index
% among them.
function [plates, which] = first_appearance (labels)
  [names, ~, slot] = unique (labels(:));
  first = accumarray (slot(:), (1:numel (labels))', [numel(names), 1], @min);
  [~, order] = sort (first);
  rank = zeros (numel (names), 1);
  rank(order) = 1:numel (names);
  plates = names(order);
  which = rank(slot(:));
end

function not_posdef (enu, used, k)
  u = find (used);
  error ('eulerpole:notposdef', ...
         'eulerpole: the covariance of the fitted rows is not positive definite (it fails at row %d, station ''%s''); exclude that row or fix the covariance', ...
         u(k), strtrim (enu.name{u(k)}));
end

function bad_column (plates, col, k)
  if (col > 3 * k)
    error ('eulerpole:singular', 'eulerpole: the stations do not fix the origin''s translation');
  end
  error ('eulerpole:singular', 'eulerpole: the stations of plate ''%s'' do not fix its rotation', ...
         plates{ceil (col / 3)});
end

%!shared enu
%! lat = [45; 50; 40; 55; 60];  lon = [5; 20; 25; 0; 30];
%! w = [-0.085, -0.519, 0.753];
%! pole = struct ('plate', {{''}}, 'omega', w, 'origin', [], 'cov', []);
%! enu = platevel (pole, lat, lon);
%! enu.cov = 1e-6 * eye (15);
%! enu.se(:) = 1e-3;
%! enu.sn(:) = 1e-3;
%!test
%! p = eulerpole (enu, 'weights', 'sigmas');
%! assert (p.omega, [-0.085, -0.519, 0.753], 1e-12);
%! assert (p.rate, norm ([-0.085, -0.519, 0.753]) / 3.6, 1e-12);
%! assert (max (abs (p.residual.ve)) < 1e-15);
%!error <at least two> eulerpole (enu, 'exclude', 2:5)
%!error <cannot fix 6 unknowns> eulerpole (enu, 'origin', true, 'exclude', 3:5)
%!error id=eulerpole:notposdef eulerpole (setfield (enu, 'cov', zeros (15)))
