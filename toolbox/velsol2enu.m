% -*- texinfo -*-
% @deftypefn  {} {@var{enu} =} velsol2enu (@var{sol})
% @deftypefnx {} {@var{enu} =} velsol2enu (@var{sol}, @var{name}, @var{value}, @dots{})
% Station velocities of a solution in local east/north/up, with their full
% covariance and horizontal error ellipses.
%
% @var{sol} is the result of @code{readvelsol} or of @code{readsinex}.
% (The four results of @code{tosqumg} carry no station names to pair
% velocities with positions: read the file with @code{readvelsol}.)
%
% A @code{readvelsol} result: each parameter group (@code{sol.site},
% @code{sol.vel}) is matched by its 8-character name to the station record
% of the same name (@code{sol.station}); its velocity and covariance are
% rotated into east/north/up at that record's geodetic latitude and
% longitude (@code{sol.llh}).
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
% A @code{readsinex} result: each row (a site, point and solution) that
% has a velocity is rotated at its own position.  Its name is its site code
% where no other row of @var{sol} has that code, else the site code, point
% code and solution number joined by @qcode{'_'} (@qcode{'7306_A_2'}), so
% that names are unique.
%
% @itemize
% @item A row without a velocity (any of @code{sol.vel}'s three values NaN)
% is left out, with the warning @code{velsol2enu:novelocity} naming it.
% @item A row with a velocity but no position is left out, with the
% warning @code{velsol2enu:nostation}.
% @end itemize
%
% The warnings can be silenced with @code{warning ('off', id)}.
%
% The result @var{enu} is a scalar struct with one row per kept group or
% row, in the order of @var{sol}:
%
% @table @code
% @item name
% station names (cell: @code{readvelsol}'s 8 characters as in the file, or
% the @code{readsinex} names above)
% @item group, record
% index of each row in @code{sol.site} (or @code{sol.station} for
% @code{readsinex}) and of the row of @code{sol.llh} it was rotated at
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
% true for velocities relative to a station
% @item refname, reflat, reflon, reference
% the reference station's name and position and the row of its velocity
% in the result (0 if it has none).  For a @code{readvelsol} result the
% file's reference station (position NaN without a station record); with
% @qcode{'relative'}, @var{name}: that station; for a @code{readsinex}
% result without it (SINEX names no reference station): @qcode{''}, NaN
% and 0
% @end table
%
% A NaN variance stays NaN in @code{se}, @code{sn}, @code{su},
% @code{smaj} and @code{smin}.  A covariance whose correlations are each
% valid can still fail to be positive semi-definite: a station whose
% rotated variances (east, north, up, or along an axis of its ellipse) come
% out negative, beyond rounding, gets NaN in @code{se}, @code{sn},
% @code{su}, @code{rho_en}, @code{smaj}, @code{smin} and @code{azim}, with
% the warning @code{velsol2enu:negativevariance} naming it; the other
% stations are not affected.
%
% Options:
%
% @table @asis
% @item @qcode{'confidence'}, @var{p}
% Probability that the true horizontal velocity lies inside the ellipse,
% 0 < @var{p} < 1, default 0.95.  The axes are the square roots of the
% eigenvalues of each east/north 2 x 2 block times
% @math{k = sqrt (-2 log (1 - p))}, the chi-square quantile with two
% degrees of freedom, in double precision: @math{k = 2.44775} at 95 %.
% (@code{brisol} keeps the legacy fixed 2.448 and single precision, so its
% axes are larger by a factor 2.448 / 2.44775 = 1.000103.)
%
% @item @qcode{'relative'}, @var{ref}
% Velocities relative to one station's, @math{V_i - V_ref}, each expressed
% in its own station's east/north/up.  @var{ref} is true (the reference
% station of a @code{readvelsol} result), false (the default: absolute
% velocities) or the name of a station of the result (@code{enu.name},
% blanks around it ignored; for @code{readsinex}, a site code that names
% several rows is refused: give the full name).  The covariance is then
% that of those differences, @math{C_ii - C_i,ref - C_ref,i + C_ref,ref}
% (and likewise for every cross term) rotated the same way: the reference
% station's row of the result is exactly zero, velocity and covariance
% alike, and its ellipse has zero axes.
% @end table
%
% Only the lower triangle of @code{sol.cov} is read (a covariance is
% symmetric); @code{cov} comes out exactly symmetric.  The rotation of the
% covariance runs in compiled code when the toolbox's private helper
% @code{enurotate} is built, in plain code otherwise (far slower at thousands
% of stations, same results to rounding).
%
% Numbers are taken in double precision: @code{sol.llh} and @code{sol.vel}
% may be single, @code{sol.cov} must be double (a conversion would copy
% the whole matrix).  Integer, logical and character arrays are refused: a
% position held in an integer class has already lost its fractions.
%
% Errors:
% @table @code
% @item velsol2enu:usage
% a call without @var{sol}
% @item velsol2enu:notvelsol
% @var{sol} is neither a @code{readvelsol} nor a @code{readsinex} result
% (a field missing, of the wrong class or size); a numeric array, such as
% @code{tosqumg}'s results, is told to call @code{readvelsol}
% @item velsol2enu:option
% an unknown option (named) or a value that is not of its kind
% @item velsol2enu:noreference
% @qcode{'relative'} without a station to refer to: the reference station
% has no velocity, @qcode{'relative', true} on a @code{readsinex} result,
% or no station of that name
% @item velsol2enu:ambiguousreference
% @qcode{'relative'}, @var{name} where the name (or site code) names several
% rows; the message lists their full names
% @item velsol2enu:memory
% the results do not fit in memory (the session goes on)
% @item velsol2enu:internal
% the compiled helper refused its arguments (a fault of the toolbox)
% @end table
%
% Warnings: @code{velsol2enu:nostation}, @code{velsol2enu:duplicatestation},
% @code{velsol2enu:novelocity}, @code{velsol2enu:negativevariance}.
%
% Example:
% @example
% @group
% sol = readvelsol ('example.sol');
% enu = velsol2enu (sol, 'confidence', 0.99);
% [1e3 * [enu.ve, enu.vn], 1e3 * [enu.smaj, enu.smin], enu.azim]
% enu = velsol2enu (readsinex ('frame.snx.gz'), 'relative', 'WTZR');
% @end group
% @end example
% @seealso{readvelsol, readsinex, writevelo, plotvelo, velomap, brisol}
% @end deftypefn

function enu = velsol2enu (sol, varargin)
  if (nargin < 1)
    error ('velsol2enu:usage', 'Invalid call to velsol2enu: enu = velsol2enu (sol, ...)');
  end
  % The solution first: tosqumg's four results would otherwise be taken
  % for options and refused for a reason that does not help.
  kind = solution_kind (sol);
  opt = parse_options ('velsol2enu', varargin, ...
                       {'confidence', 0.95, 'probability'; ...
                        'relative', false, {@relative_value, 'true, false or the name of a station'}});

  if (strcmp (kind, 'velsol'))
    [kept, refrow] = velsol_rows (sol, opt.relative);
  else
    [kept, refrow] = sinex_rows (sol, opt.relative);
  end
  group = kept.group;
  m = numel (group);
  llh = double (sol.llh(kept.record, 1:3));
  R = enu_rotations (llh(:, 1), llh(:, 2));

  enu.name = reshape (kept.name, [], 1);
  enu.group = group;
  enu.record = kept.record;
  enu.lat = llh(:, 1);
  enu.lon = llh(:, 2);
  enu.height = llh(:, 3);
  enu.refname = refrow.refname;
  enu.reflat = refrow.reflat;
  enu.reflon = refrow.reflon;
  enu.reference = refrow.reference;

  relative = ~(islogical (opt.relative) && ~opt.relative);
  v = double (sol.vel(group, :));
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

  d = reshape (diag (enu.cov), 3, m)';
  cov_en = enu.cov(sub2ind (size (enu.cov), 3 * (1:m)' - 1, 3 * (1:m)' - 2));
  s = ellipse_stats (d(:, 1), d(:, 2), cov_en, opt.confidence);
  % A vertical variance a few roundings below zero is zero; further below,
  % the covariance is not positive semi-definite: that station's values
  % are NaN (as ellipse_stats makes them for the horizontal block), not
  % zeros that look like a perfect measurement.  NaN stays NaN.
  bad = s.bad | d(:, 3) < -8 * eps * sum (abs (d), 2);
  if (any (bad))
    warning ('velsol2enu:negativevariance', ...
             ['velsol2enu: the rotated covariance of %s has negative variances ', ...
              '(it is not positive semi-definite): standard deviations and ellipses set to NaN'], ...
             name_list (enu.name(bad)));
  end
  vu = d(:, 3);
  vu(vu < 0) = 0;
  enu.se = s.se;
  enu.sn = s.sn;
  enu.su = sqrt (vu);
  enu.rho_en = s.rho_en;
  enu.smaj = s.smaj;
  enu.smin = s.smin;
  enu.azim = s.azim;
  for f = {'se', 'sn', 'su', 'rho_en', 'smaj', 'smin', 'azim'}
    enu.(f{1})(bad) = NaN;
  end
  enu.confidence = opt.confidence;
  enu.scale = s.scale;
  enu.relative = relative;
end

% 'relative' takes true, false or a station's name.
function [ok, v] = relative_value (v)
  ok = ((islogical (v) || isnumeric (v)) && isreal (v) && isscalar (v) && (v == 0 || v == 1)) ...
       || (ischar (v) && isrow (v) && ~isempty (strtrim (v)));
  if (ok && ~ischar (v))
    v = logical (v);
  end
end

% Which solution SOL is, checked field by field: 'velsol' (readvelsol) or
% 'sinex' (readsinex).  A readsinex result is told by its point codes; what
% is neither is checked as a readvelsol result, so that the message names
% what it lacks.
function kind = solution_kind (sol)
  bad = @(why) error ('velsol2enu:notvelsol', ...
                      'velsol2enu: SOL is not a readvelsol or readsinex result: %s', why);
  if (isnumeric (sol) || islogical (sol))
    error ('velsol2enu:notvelsol', ...
           ['velsol2enu: SOL is a numeric array, not a solution: read the file with ', ...
            'sol = readvelsol (filename) (tosqumg''s results have no station names ', ...
            'to pair velocities with positions)']);
  end
  if (~(isstruct (sol) && isscalar (sol)))
    bad ('not a scalar struct');
  end
  if (isfield (sol, 'point') && ~isfield (sol, 'site'))
    kind = 'sinex';
    fields = {'station', 'point', 'soln', 'llh', 'vel', 'cov'};
    names = {'station', 'point', 'soln'};
  else
    kind = 'velsol';
    fields = {'refname', 'station', 'llh', 'refstation', 'site', 'vel', 'cov'};
    names = {'station', 'site'};
  end
  missing = fields(~isfield (sol, fields));
  if (~isempty (missing))
    bad (sprintf ('no field %s', strjoin (missing, ', ')));
  end
  if (~all (cellfun (@(f) iscellstr (sol.(f)), names)))
    bad (sprintf ('%s must be cell arrays of names', strjoin (names, ', ')));
  end
  if (strcmp (kind, 'sinex'))
    ns = numel (sol.station);
    m = ns;
    if (numel (sol.point) ~= ns || numel (sol.soln) ~= ns)
      bad ('station, point and soln must have one name per row');
    end
  else
    ns = numel (sol.station);
    m = numel (sol.site);
  end
  % Integer classes would make the rotation's arithmetic integer (and a
  % position in one has already lost its fractions): refused, as are
  % logical and char.  Single is floating and taken in double.
  number = @(x) isfloat (x) && isreal (x) && ~issparse (x);
  if (~(number (sol.llh) && ismatrix (sol.llh) && size (sol.llh, 1) == ns ...
        && size (sol.llh, 2) >= 3))
    bad ('llh must have one row (latitude, longitude, height) of real floating-point values per station record');
  elseif (~(number (sol.vel) && isequal (size (sol.vel), [m, 3])))
    bad ('vel must have one row of three real floating-point values per parameter group');
  elseif (~(isa (sol.cov, 'double') && isreal (sol.cov) && ~issparse (sol.cov) ...
            && isequal (size (sol.cov), [3 * m, 3 * m])))
    bad ('cov must be a full real double matrix of three rows and columns per group');
  elseif (strcmp (kind, 'velsol') && ~(isnumeric (sol.refstation) && isscalar (sol.refstation) ...
                                       && isfloat (sol.refstation) && any (sol.refstation == 0:ns)))
    bad ('refstation must be 0 or the index of a station record');
  elseif (strcmp (kind, 'velsol') && ~(ischar (sol.refname) && size (sol.refname, 1) <= 1))
    bad ('refname must be a string');
  end
end

% The rows of a readvelsol result to rotate: each group that has a station
% record, with the record's index (the last of that name); ENU the
% reference station's name, position and row in the result.
function [kept, enu] = velsol_rows (sol, relative)
  [record, group] = match_records (sol.station, sol.site);
  kept.group = group;
  kept.record = record;
  kept.name = sol.site(group);

  enu.refname = sol.refname;
  enu.reflat = NaN;
  enu.reflon = NaN;
  enu.reference = 0;
  ref = double (sol.refstation);
  if (ref > 0)
    enu.reflat = double (sol.llh(ref, 1));
    enu.reflon = double (sol.llh(ref, 2));
    r = find (strcmp (kept.name, sol.station{ref}), 1, 'last');
    if (~isempty (r))
      enu.reference = r;
    end
  end
  if (ischar (relative))
    enu = refer_to (enu, relative, sol.site(:), sol.site(:), kept, sol.llh);
  elseif (relative && enu.reference == 0)
    error ('velsol2enu:noreference', ...
           'velsol2enu: reference station ''%s'' has no velocity parameters: no relative velocities', ...
           sol.refname);
  end
end

% The rows of a readsinex result to rotate: those with a velocity and a
% position.  A row's name is its site code where the code is unique in
% SOL, else code, point and solution joined by '_'.
function [kept, enu] = sinex_rows (sol, relative)
  code = cellfun (@strtrim, sol.station(:), 'UniformOutput', false);
  point = cellfun (@strtrim, sol.point(:), 'UniformOutput', false);
  soln = cellfun (@strtrim, sol.soln(:), 'UniformOutput', false);
  names = code;
  [~, ~, slot] = unique (code);
  shared = accumarray (slot(:), 1, [max([slot(:); 0]), 1]);
  many = shared(slot) > 1;
  names(many) = strcat (code(many), '_', point(many), '_', soln(many));

  hasvel = all (isfinite (sol.vel), 2);
  haspos = all (isfinite (sol.llh(:, 1:2)), 2);
  if (any (~hasvel))
    warning ('velsol2enu:novelocity', 'velsol2enu: no velocity for %s: left out', ...
             name_list (names(~hasvel)));
  end
  if (any (hasvel & ~haspos))
    warning ('velsol2enu:nostation', 'velsol2enu: no position for %s: left out', ...
             name_list (names(hasvel & ~haspos)));
  end
  kept.group = find (hasvel & haspos);
  kept.record = kept.group;
  kept.name = names(kept.group);

  enu.refname = '';
  enu.reflat = NaN;
  enu.reflon = NaN;
  enu.reference = 0;
  if (ischar (relative))
    enu = refer_to (enu, relative, names, code, kept, sol.llh);
  elseif (relative)
    error ('velsol2enu:noreference', ...
           ['velsol2enu: a readsinex result names no reference station: ', ...
            'give the name of the station to refer to (''relative'', ''NAME'')']);
  end
end

% The station named NAME among the names of all rows of the solution
% (NAMES, CODES their site codes): its row in the result becomes the
% reference.  A name of several rows, or a site code shared by several
% rows, is refused with their full names.
function enu = refer_to (enu, name, names, codes, kept, llh)
  name = strtrim (name);
  hit = find (strcmp (cellfun (@strtrim, names, 'UniformOutput', false), name));
  if (isempty (hit))
    same = find (strcmp (cellfun (@strtrim, codes, 'UniformOutput', false), name));
    if (numel (same) > 1)
      hit = same;
    end
  end
  if (numel (hit) > 1)
    error ('velsol2enu:ambiguousreference', ...
           'velsol2enu: ''%s'' names %d rows: give the full name, one of %s', ...
           name, numel (hit), name_list (names(hit)));
  elseif (isempty (hit))
    error ('velsol2enu:noreference', 'velsol2enu: no station named ''%s'' to refer to', name);
  end
  r = find (kept.group == hit, 1);
  if (isempty (r))
    error ('velsol2enu:noreference', ...
           'velsol2enu: station ''%s'' has no velocity (or no position): no relative velocities', ...
           name);
  end
  enu.refname = names{hit};
  enu.reflat = double (llh(kept.record(r), 1));
  enu.reflon = double (llh(kept.record(r), 2));
  enu.reference = r;
end

% Up to ten names quoted and joined, with the count of the rest: a frame
% solution can leave out hundreds.
function s = name_list (names)
  names = cellfun (@strtrim, names(:)', 'UniformOutput', false);
  shown = strcat ('''', names(1:min (end, 10)), '''');
  s = strjoin (shown, ', ');
  if (numel (names) > 10)
    s = sprintf ('%s and %d more', s, numel (names) - 10);
  end
end

% The compiled helper where it was built (private/enurotate: an oct-file in
% Octave, a MEX file in MATLAB), else the plain version.  Calling it and
% catching "undefined" works alike in both hosts and for private functions,
% which exist () does not promise.  Any other failure of the helper is
% reported, not hidden behind the slow path; running out of memory is
% reported as velsol2enu:memory whichever path ran out.
function Y = rotate_covariance (C, group, R, ref)
  try
    try
      Y = enurotate (C, group, R, ref);
    catch err
      if (~any (strcmp (err.identifier, {'Octave:undefined-function', 'MATLAB:UndefinedFunction'})))
        rethrow (err);
      end
      Y = enurotate_ref (C, group, R, ref);
    end
  catch err
    if (any (strcmp (err.identifier, {'Octave:bad-alloc', 'MATLAB:nomem', 'MATLAB:array:SizeLimitExceeded'})))
      n = 3 * numel (group);
      error ('velsol2enu:memory', 'velsol2enu: out of memory for the %d x %d result', n, n);
    end
    rethrow (err);
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
  if (any (~found))
    warning ('velsol2enu:nostation', ...
             'velsol2enu: no station record for parameter group(s) %s: left out', ...
             name_list (site(~found)));
  end
  many = found;
  many(found) = count(at(found)) > 1;
  if (any (many))
    warning ('velsol2enu:duplicatestation', ...
             'velsol2enu: several station records named %s: the last one is used', ...
             name_list (unique (site(many))));
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
%!shared snx, vs
%! ## Five rows as readsinex returns them: site 7306 in two solutions, BBBB
%! ## with a position only, CCCC with a velocity only.  VS: the three rows
%! ## with both, as a readvelsol result.
%! rand ("state", 1);
%! snx.station = {"AAAA"; "7306"; "7306"; "BBBB"; "CCCC"};
%! snx.point = {"A"; "A"; "A"; "A"; "A"};
%! snx.soln = {"1"; "1"; "2"; "1"; "1"};
%! snx.llh = [47.1, 8.2, 500; -33.9, 151.2, 40; -33.9, 151.2, 40; 60, 25, 10; NaN, NaN, NaN];
%! snx.vel = 0.01 * [1, 2, 3; -2, 1, 0.5; -2.1, 1.1, 0.4; NaN, NaN, NaN; 1, 1, 1];
%! G = 1e-3 * rand (15);
%! snx.cov = G * G' + 1e-7 * eye (15);
%! snx.cov(10:12, :) = NaN;
%! snx.cov(:, 10:12) = NaN;
%! names = {"AAAA"; "7306_A_1"; "7306_A_2"};
%! vs = struct ("refname", "AAAA", "station", {names}, "llh", snx.llh(1:3, :), "refstation", 1,
%!              "site", {names}, "vel", snx.vel(1:3, :), "cov", snx.cov(1:9, 1:9));

% readsinex rows: named, left out with their warnings, rotated as the same
% rows of a readvelsol result; 'relative' takes a full name.
%!test
%! for w = {"novelocity", "nostation"; "nostation", "novelocity"}'
%!   warning ("off", ["velsol2enu:", w{2}], "local");
%!   lastwarn ("");
%!   e = velsol2enu (snx);
%!   [~, id] = lastwarn ();
%!   assert (id, ["velsol2enu:", w{1}]);
%!   warning ("on", ["velsol2enu:", w{2}], "local");
%! endfor
%! v = velsol2enu (vs);
%! assert ({e.name, e.group, e.record, e.refname, e.reference}, {v.name, (1:3)', (1:3)', "", 0});
%! for f = {"ve", "vn", "vu", "cov", "se", "rho_en", "smaj", "smin", "azim"}
%!   assert (e.(f{1}), v.(f{1}));
%! endfor
%! r = velsol2enu (snx, "relative", " 7306_A_2 ");
%! assert ({r.refname, r.reference, r.ve(3), r.reflat}, {"7306_A_2", 3, 0, -33.9});
%! assert (velsol2enu (vs, "relative", "7306_A_2").cov, r.cov);
%!error <'7306' names 2 rows: give the full name, one of '7306_A_1', '7306_A_2'>
%! warning ("off", "all", "local");
%! velsol2enu (snx, "relative", "7306");
%!error id=velsol2enu:noreference warning ("off", "all", "local"); velsol2enu (snx, "relative", true)
%!error <'BBBB' has no velocity> warning ("off", "all", "local"); velsol2enu (snx, "relative", "BBBB")
%!error <no station named 'XXXX'> warning ("off", "all", "local"); velsol2enu (snx, "relative", "XXXX")

% NaN variances stay NaN; a station whose rotated variances are negative
% gets NaN, with the warning; a singular block within rounding does not;
% the other stations keep their values.
%!test
%! ok = velsol2enu (vs);
%! s = vs;
%! s.cov(1:3, :) = NaN;
%! s.cov(:, 1:3) = NaN;
%! w = [1e-3; -2e-3; 5e-4];
%! s.cov(4:6, 4:6) = w * w';
%! s.cov(7:9, 7:9) = diag ([1e-6, 1e-6, -1e-6]);
%! lastwarn ("");
%! e = velsol2enu (s);
%! [msg, id] = lastwarn ();
%! assert (id, "velsol2enu:negativevariance");
%! assert (isempty (strfind (msg, "AAAA")) && isempty (strfind (msg, "7306_A_1")));
%! stat = [e.se, e.sn, e.su, e.smaj, e.smin];
%! assert (isnan (stat([1, 3], :)));
%! assert (isnan ([e.rho_en(3), e.azim(3)]));
%! assert (all (isfinite (stat(2, :))) && e.smin(2) < 1e-9 * e.smaj(2));
%! assert ([e.ve, e.vn, e.vu], [ok.ve, ok.vn, ok.vu]);

% Numbers must be floating point: integer positions are refused (they
% used to rotate as integers), single ones taken in double.
%!error <llh must have one row .* of real floating-point values> velsol2enu (setfield (vs, "llh", int32 (vs.llh)))
%!error <vel must have one row of three real floating-point values> velsol2enu (setfield (vs, "vel", int16 (vs.vel)))
%!error <refstation must be> velsol2enu (setfield (vs, "refstation", int8 (1)))
%!test
%! s = vs;
%! s.llh = single (s.llh);
%! d = setfield (vs, "llh", double (s.llh));
%! assert (velsol2enu (s).ve, velsol2enu (d).ve);
%!error <read the file with sol = readvelsol> velsol2enu (zeros (3, 99), zeros (297), 33, zeros (3, 100))
%!error <unknown option 'scale'> velsol2enu (vs, "scale", 2)
