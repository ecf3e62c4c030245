% -*- texinfo -*-
% @deftypefn  {} {@var{enu} =} velsol2enu (@var{sol})
% @deftypefnx {} {@var{enu} =} velsol2enu (@var{sol}, @var{name}, @var{value}, @dots{})
% Station velocities of a solution in local east/north/up, with their full
% covariance and horizontal error ellipses.
%
% @var{sol} is the result of @code{readvelsol}.  Each parameter group
% (@code{sol.site}, @code{sol.vel}) is matched by its 8-character name to
% the station record of the same name (@code{sol.station}); its velocity
% and covariance are rotated into east/north/up at that record's geodetic
% latitude and longitude (@code{sol.llh}).
%
% @itemize
% @item A group whose name no station record carries has no position to
% rotate at: it is left out of the result, with the warning
% @code{velsol2enu:nostation} naming it.
% @item A group whose name several station records carry uses the last of
% them (as @code{readvelsol} does for the reference station), with the
% warning @code{velsol2enu:duplicatestation}.
% @end itemize
%
% Both warnings can be silenced with @code{warning ('off', id)}.
%
% The result @var{enu} is a scalar struct with one row per kept group, in
% the order of @code{sol.site}:
%
% @table @code
% @item name
% station names (cell, 8 characters as in the file)
% @item group, record
% index of each row in @code{sol.site} and of its station record in
% @code{sol.station}
% @item lat, lon, height
% position on WGS 84 (degrees, metres)
% @item ve, vn, vu
% east, north and up velocity, in the file's unit (m/yr)
% @item cov
% 3m x 3m covariance of all of them, rows 3i-2 to 3i east, north, up of
% row i: @math{R C R'} with @var{R} block-diagonal (one rotation per
% station), every cross-station term included
% @item se, sn, su, rho_en
% standard deviations and the east/north correlation (0 where a standard
% deviation is 0)
% @item smaj, smin, azim
% semi-major and semi-minor axis of the horizontal error ellipse (m/yr) at
% the chosen confidence, and the azimuth of the major axis in degrees
% clockwise from north, in [0, 180)
% @item confidence, scale
% the confidence and the factor applied to the standard ellipse
% @item relative
% true for velocities relative to the reference station
% @item refname, reflat, reflon, reference
% the reference station's name and position (NaN without a station
% record) and the row of its group in the result (0 if it has none)
% @end table
%
% Options:
%
% @table @asis
% @item @qcode{'confidence'}, @var{p}
% Probability that the true horizontal velocity lies inside the ellipse,
% 0 < @var{p} < 1, default 0.95.  The axes are the square roots of the
% eigenvalues of each east/north 2 x 2 block times
% @math{k = sqrt (-2 log (1 - p))}, the chi-square quantile with two
% degrees of freedom, in double precision: @math{k = 2.4477} at 95 %.
% (@code{brisol} keeps the legacy fixed 2.448 and single precision, so its
% axes are larger by a factor 1.00012.)
%
% @item @qcode{'relative'}, @var{tf}
% With true, velocities relative to the reference station's,
% @math{V_i - V_ref}, each expressed in its own station's east/north/up.
% The covariance is then that of those differences,
% @math{C_ii - C_i,ref - C_ref,i + C_ref,ref} (and likewise for every
% cross term) rotated the same way: the reference station's row of the
% result is exactly zero, velocity and covariance alike, and its ellipse
% has zero axes.  An error @code{velsol2enu:noreference} if the reference
% station has no velocity parameters.
% @end table
%
% Only the lower triangle of @code{sol.cov} is read (a covariance is
% symmetric); @code{cov} comes out exactly symmetric.  The rotation of the
% covariance runs in compiled code when the toolbox's private helper
% @code{enurotate} is built, in plain code otherwise (far slower at thousands
% of stations, same results to rounding).
%
% Errors: @code{velsol2enu:notvelsol} for an argument that is not a
% @code{readvelsol} result, @code{velsol2enu:option} for an unknown or
% malformed option, @code{velsol2enu:usage} for a call without @var{sol}.
%
% Example:
% @example
% @group
% sol = readvelsol ('example.sol');
% enu = velsol2enu (sol, 'confidence', 0.99);
% [1e3 * [enu.ve, enu.vn], 1e3 * [enu.smaj, enu.smin], enu.azim]
% @end group
% @end example
% @seealso{readvelsol, writevelo, plotvelo, velomap, brisol}
% @end deftypefn

function enu = velsol2enu (sol, varargin)
  if (nargin < 1)
    error ('velsol2enu:usage', 'Invalid call to velsol2enu: enu = velsol2enu (sol, ...)');
  end
  [p, relative] = parse_options (strings_to_chars (varargin));
  check_velsol (sol);

  [record, group] = match_records (sol.station, sol.site);
  m = numel (group);
  llh = sol.llh(record, :);
  R = enu_rotations (llh(:, 1), llh(:, 2));

  enu.name = reshape (sol.site(group), [], 1);
  enu.group = group;
  enu.record = record;
  enu.lat = llh(:, 1);
  enu.lon = llh(:, 2);
  enu.height = llh(:, 3);

  % The reference station and, if it has one, its group's row.
  enu.refname = sol.refname;
  enu.reflon = NaN;
  enu.reflat = NaN;
  enu.reference = 0;
  if (sol.refstation > 0)
    enu.reflat = sol.llh(sol.refstation, 1);
    enu.reflon = sol.llh(sol.refstation, 2);
    r = find (strcmp (enu.name, sol.station{sol.refstation}), 1, 'last');
    if (~isempty (r))
      enu.reference = r;
    end
  end
  if (relative && enu.reference == 0)
    error ('velsol2enu:noreference', ...
           'velsol2enu: reference station ''%s'' has no velocity parameters: no relative velocities', ...
           sol.refname);
  end

  v = sol.vel(group, :);
  ref = 0;
  if (relative)
    ref = enu.reference;
    v = v - v(ref, :);
  end
  % R v with the horizontal part factored out, t = cos(lon) vx + sin(lon) vy:
  % fewer roundings than the rows of R written out.
  [sp, cp] = sincosd (enu.lat);
  [sl, cl] = sincosd (enu.lon);
  t = cl .* v(:, 1) + sl .* v(:, 2);
  enu.ve = cl .* v(:, 2) - sl .* v(:, 1);
  enu.vn = cp .* v(:, 3) - sp .* t;
  enu.vu = cp .* t + sp .* v(:, 3);

  enu.cov = rotate_covariance (sol.cov, group, R, ref);

  d = reshape (diag (enu.cov), [], 1);
  % A covariance whose correlations are each valid can still fail to be
  % positive definite; a negative rotated variance gives a standard
  % deviation (and an axis) of zero, as brisol does, and a warning.
  if (any (d < 0))
    warning ('velsol2enu:negativeVariance', ...
             'velsol2enu: %d rotated variances are negative (the covariance is not positive definite); their standard deviations are set to 0', ...
             nnz (d < 0));
    d = max (d, 0);
  end
  cov_en = enu.cov(sub2ind (size (enu.cov), 3 * (1:m)' - 1, 3 * (1:m)' - 2));
  s = ellipse_stats (d(1:3:end), d(2:3:end), cov_en, p);
  enu.se = s.se;
  enu.sn = s.sn;
  enu.su = sqrt (d(3:3:end));
  enu.rho_en = s.rho_en;
  enu.smaj = s.smaj;
  enu.smin = s.smin;
  enu.azim = s.azim;
  enu.confidence = p;
  enu.scale = s.scale;
  enu.relative = relative;
end

% The compiled helper where it was built (private/enurotate: an oct-file in
% Octave, a MEX file in MATLAB), else the plain version.  Calling it and
% catching "undefined" works alike in both hosts and for private functions,
% which exist () does not promise.  Any other failure of the helper is
% reported, not hidden behind the slow path.
function Y = rotate_covariance (C, group, R, ref)
  try
    Y = enurotate (C, group, R, ref);
  catch err
    if (~any (strcmp (err.identifier, {'Octave:undefined-function', 'MATLAB:UndefinedFunction'})))
      rethrow (err);
    end
    Y = enurotate_ref (C, group, R, ref);
  end
end

function [p, relative] = parse_options (opts)
  p = 0.95;
  relative = false;
  if (mod (numel (opts), 2) ~= 0)
    error ('velsol2enu:option', 'velsol2enu: options come in name/value pairs');
  end
  for i = 1:2:numel (opts)
    name = opts{i};
    value = opts{i + 1};
    if (~ischar (name) || size (name, 1) > 1)
      error ('velsol2enu:option', 'velsol2enu: option names must be strings');
    end
    switch (lower (name))
      case 'confidence'
        if (~(isnumeric (value) && isreal (value) && isscalar (value) ...
              && value > 0 && value < 1))
          error ('velsol2enu:option', ...
                 'velsol2enu: confidence must be a number between 0 and 1 (exclusive)');
        end
        p = double (value);
      case 'relative'
        if (~((islogical (value) || isnumeric (value)) && isscalar (value) ...
              && any (value == [0, 1])))
          error ('velsol2enu:option', 'velsol2enu: relative must be true or false');
        end
        relative = logical (value);
      otherwise
        error ('velsol2enu:option', 'velsol2enu: unknown option ''%s''', name);
    end
  end
end

% A readvelsol result: the fields it always has, with sizes that agree.
% The user may have dropped stations or groups, so the counts of the two
% lists are not tied to each other.
function check_velsol (sol)
  bad = @(why) error ('velsol2enu:notvelsol', ...
                      'velsol2enu: SOL is not a readvelsol result: %s', why);
  if (~(isstruct (sol) && isscalar (sol)))
    bad ('not a scalar struct');
  end
  fields = {'refname', 'station', 'llh', 'refstation', 'site', 'vel', 'cov'};
  missing = fields(~isfield (sol, fields));
  if (~isempty (missing))
    bad (sprintf ('no field %s', strjoin (missing, ', ')));
  end
  ns = numel (sol.station);
  m = numel (sol.site);
  if (~iscellstr (sol.station) || ~iscellstr (sol.site))
    bad ('station and site must be cell arrays of names');
  elseif (~(isnumeric (sol.llh) && isreal (sol.llh) && size (sol.llh, 1) == ns ...
            && size (sol.llh, 2) >= 3))
    bad ('llh must have one row (latitude, longitude, height) per station record');
  elseif (~(isnumeric (sol.vel) && isreal (sol.vel) && isequal (size (sol.vel), [m, 3])))
    bad ('vel must have one row of three values per parameter group');
  elseif (~(isa (sol.cov, 'double') && isreal (sol.cov) && ~issparse (sol.cov) ...
            && isequal (size (sol.cov), [3 * m, 3 * m])))
    bad ('cov must be a full real double matrix of three rows and columns per group');
  elseif (~(isnumeric (sol.refstation) && isscalar (sol.refstation) ...
            && any (sol.refstation == 0:ns)))
    bad ('refstation must be 0 or the index of a station record');
  end
end

% For each group that has a station record: the group's index and the
% record's (the last of that name).  Warns about the rest.
function [record, group] = match_records (station, site)
  station = station(:);
  site = site(:);
  [names, ~, slot] = unique (station);
  last = accumarray (slot(:), (1:numel (station))', [numel(names), 1], @max);
  count = accumarray (slot(:), 1, [numel(names), 1]);
  [found, at] = ismember (site, names);
  % strjoin wants a row in MATLAB.
  if (any (~found))
    lost = strcat ('''', site(~found), '''');
    warning ('velsol2enu:nostation', ...
             'velsol2enu: no station record for parameter group(s) %s: left out', ...
             strjoin (lost(:)', ', '));
  end
  many = found;
  many(found) = count(at(found)) > 1;
  if (any (many))
    dup = unique (strcat ('''', site(many), ''''));
    warning ('velsol2enu:duplicatestation', ...
             'velsol2enu: several station records named %s: the last one is used', ...
             strjoin (dup(:)', ', '));
  end
  group = find (found);
  record = last(at(found));
end

% R(:, :, i): rows the unit vectors east, north and up at geodetic latitude
% and longitude (degrees) in Earth-centred X/Y/Z.
function R = enu_rotations (lat, lon)
  m = numel (lat);
  [sp, cp] = sincosd (lat);
  [sl, cl] = sincosd (lon);
  R = zeros (3, 3, m);
  R(1, 1, :) = -sl;       R(1, 2, :) = cl;        R(1, 3, :) = 0;
  R(2, 1, :) = -sp .* cl; R(2, 2, :) = -sp .* sl; R(2, 3, :) = cp;
  R(3, 1, :) = cp .* cl;  R(3, 2, :) = cp .* sl;  R(3, 3, :) = sp;
end
