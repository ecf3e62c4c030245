% -*- texinfo -*-
% @deftypefn  {} {} writesinex (@var{filename}, @var{sol})
% @deftypefnx {} {} writesinex (@var{filename}, @var{sol}, @var{name}, @var{value}, @dots{})
% Write a velocity solution as SINEX 2.02.
%
% @var{sol} is the result of @code{readvelsol} or of @code{readsinex}.  The
% file holds the header line, FILE/REFERENCE, SITE/ID (approximate
% longitude, latitude and height from @code{sol.llh}), SOLUTION/EPOCHS,
% SOLUTION/STATISTICS (the variance factor of a @code{readsinex} result,
% where it has one), SOLUTION/ESTIMATE with the positions (STAX, STAY,
% STAZ, m) and velocities (VELX, VELY, VELZ, m/y) of every site, and
% SOLUTION/MATRIX_ESTIMATE L COVA: every element of their known covariance
% in the lower triangle, three a line; lines whose three elements are all
% zero are left out.  Values are written with 15 significant digits
% (@code{%21.14E}, the format's E21.15 columns), standard deviations with 6.
%
% From a @code{readvelsol} result: one site per parameter group, its
% position from the station record of the same name (the last one, as
% @code{velsol2enu} takes it), written with zero standard deviation (the
% fixed-column format has none), its velocity and covariance from the
% group; station records without a group give a site with a position only.
% The site code is the first four characters of the station name, so two
% stations whose names begin alike would share one: that is an error
% naming both, and the option @qcode{'codes'} gives the codes instead.  A
% name that several groups carry gives one site with several solution
% numbers (SOLN 1, 2, @dots{}).  The description of each site is its full
% name, the technique P (GNSS).
%
% From a @code{readsinex} result: its rows as they are (site, point and
% solution codes, DOMES numbers, descriptions, validity windows, epochs and
% constraint codes of the estimates), with the covariance of its full
% matrix where it has one (position/velocity cross terms included), else
% of @code{poscov} and @code{cov}.  Reading the file back with
% @code{readsinex} gives the same names and, to the 15 digits written, the
% same positions, velocities and covariances.
%
% Options:
% @table @asis
% @item @qcode{'epoch'}
% @code{[year doy sec]}, the reference epoch of the estimates (year 1951
% to 2050): required for a @code{readvelsol} result, which has none; for
% a @code{readsinex} result it replaces the epochs of the file.
% @item @qcode{'codes'}
% a cell array of site codes (1 to 4 characters), one per station record
% of a @code{readvelsol} result (@code{sol.station}).
% @item @qcode{'agency'}
% the three-character agency code of the header (default: the file's for
% a @code{readsinex} result, else @qcode{'---'}).
% @end table
%
% Errors: @code{writesinex:notsol} if @var{sol} is neither result,
% @code{writesinex:option} for an unknown or bad option (also a missing
% epoch), @code{writesinex:codes} when two stations would share a site
% code, @code{writesinex:value} for a covariance that is not finite or
% too large for the format (1e100 or more), @code{writesinex:open} and
% @code{writesinex:write} (with the system's reason, for example a full
% disk) if the file cannot be written, @code{writesinex:usage} for a call
% without both arguments.  Nothing is written before every check passed.
%
% Example: a fixed-column solution converted to SINEX
% @example
% @group
% sol = readvelsol ('example.sol');
% writesinex ('example.snx', sol, 'epoch', [2015 1 0]);
% snx = readsinex ('example.snx');
% @end group
% @end example
% @seealso{readvelsol, readsinex, writevelo}
% @end deftypefn

function writesinex (filename, sol, varargin)
  if (nargin < 2)
    error ('writesinex:usage', 'Invalid call to writesinex: writesinex (filename, sol, ...)');
  end
  args = strings_to_chars ({filename});
  filename = args{1};
  if (~ischar (filename) || ~isrow (filename))
    error ('writesinex:option', 'writesinex: FILENAME must be a string');
  end
  opt = parse_options ('writesinex', varargin, ...
                       {'epoch', [], {@check_epoch, 'a row [year doy sec], year 1951 to 2050'}; ...
                        'codes', {}, 'cellstr'; ...
                        'agency', '', {@check_agency, 'a code of 1 to 3 characters'}});
  if (is_readsinex (sol))
    snx = from_readsinex (sol, opt);
  elseif (is_readvelsol (sol))
    snx = from_readvelsol (sol, opt);
  else
    error ('writesinex:notsol', ...
           'writesinex: SOL is neither a readvelsol nor a readsinex result');
  end
  check_covariance (snx.sources);
  write_file (filename, snx);
end

% --- What is written ----------------------------------------------------------
% Both results become one description: rows (site-solutions) with their
% codes and positions, the estimates (STA and VEL, three each, in row
% order) and the sources of their covariance.  Each source is a matrix S
% and, per estimate, its row in S (0: none); an element of the known
% covariance is S(map(e), map(f)) where both estimates map into S.

% The fields writesinex uses, with sizes that agree (the user may have
% built or trimmed the struct).
function tf = is_readsinex (sol)
  tf = isstruct (sol) && isscalar (sol) ...
       && all (isfield (sol, {'estimate', 'station', 'point', 'soln', 'epoch', 'xyz', 'sxyz', ...
                              'vel', 'sigma', 'cov', 'poscov', 'llh', 'matrix'}));
  if (~tf)
    return;
  end
  m = numel (sol.station);
  rows3 = @(x) isnumeric (x) && isequal (size (x), [m, 3]);
  e = sol.estimate;
  tf = iscellstr (sol.station) && iscellstr (sol.point) && iscellstr (sol.soln) ...
       && numel (sol.point) == m && numel (sol.soln) == m ...
       && rows3 (sol.epoch) && rows3 (sol.xyz) && rows3 (sol.sxyz) && rows3 (sol.vel) ...
       && rows3 (sol.sigma) && rows3 (sol.llh) ...
       && isequal (size (sol.cov), [3 * m, 3 * m]) && isequal (size (sol.poscov), [3 * m, 3 * m]) ...
       && isstruct (e) && isscalar (e) ...
       && all (isfield (e, {'index', 'type', 'site', 'point', 'soln', 'epoch', 'constraint'})) ...
       && (isempty (sol.matrix) || size (sol.matrix, 1) == size (sol.matrix, 2));
end

function tf = is_readvelsol (sol)
  tf = isstruct (sol) && isscalar (sol) ...
       && all (isfield (sol, {'refname', 'station', 'llh', 'site', 'vel', 'cov'}));
  if (~tf)
    return;
  end
  ns = numel (sol.station);
  m = numel (sol.site);
  tf = iscellstr (sol.station) && iscellstr (sol.site) ...
       && isnumeric (sol.llh) && size (sol.llh, 1) == ns && size (sol.llh, 2) >= 3 ...
       && isnumeric (sol.vel) && isequal (size (sol.vel), [m, 3]) ...
       && isa (sol.cov, 'double') && ~issparse (sol.cov) && isequal (size (sol.cov), [3 * m, 3 * m]);
  if (tf && isfield (sol, 'xyz'))
    tf = isnumeric (sol.xyz) && isequal (size (sol.xyz), [ns, 3]);
  end
end

function snx = from_readvelsol (sol, opt)
  if (isempty (opt.epoch))
    error ('writesinex:option', ...
           'writesinex: a readvelsol result has no epoch: give ''epoch'', [year doy sec]');
  end
  station = sol.station(:);
  site = sol.site(:);
  ns = numel (station);
  if (isempty (opt.codes))
    codes = cellfun (@(s) first_chars (s, 4), station, 'UniformOutput', false);
  elseif (numel (opt.codes) ~= ns)
    error ('writesinex:option', ...
           'writesinex: option ''codes'' must give one code for each of the %d station records', ns);
  else
    codes = opt.codes(:);
  end
  bad = cellfun (@(c) isempty (strtrim (c)) || numel (c) > 4, codes);
  if (any (bad))
    error ('writesinex:codes', 'writesinex: station ''%s'' has no site code of 1 to 4 characters', ...
           station{find (bad, 1)});
  end
  % One position per name, the last record's; groups by name.
  [names, ~, slot] = unique (station);
  last = accumarray (slot(:), (1:ns)', [numel(names), 1], @max);
  names_code = codes(last);
  [found, at] = ismember (site, names);
  % Groups without a station record keep their own name's code.
  orphan = unique (site(~found));
  all_names = [names; orphan];
  all_codes = [names_code; cellfun(@(s) first_chars (s, 4), orphan, 'UniformOutput', false)];
  check_codes (all_names, all_codes);

  % Rows: the groups in order, then the station records without a group.
  m = numel (site);
  [~, gat] = ismember (site, all_names);
  % Several groups of one name: solution numbers 1, 2, ... in order.
  soln = zeros (m, 1);
  seen = zeros (numel (all_names), 1);
  for i = 1:m
    seen(gat(i)) = seen(gat(i)) + 1;
    soln(i) = seen(gat(i));
  end
  nogroup = setdiff ((1:numel (names))', at(found));
  nogroup = sortrows ([last(nogroup), nogroup]);    % in record order
  nogroup = nogroup(:, 2);
  rowname = [all_names(gat); names(nogroup)];
  sites.code = [all_codes(gat); names_code(nogroup)];
  sites.point = repmat ({'A'}, numel (rowname), 1);
  sites.soln = cellfun (@(k) sprintf ('%d', k), num2cell ([soln; ones(numel (nogroup), 1)]), ...
                       'UniformOutput', false);
  sites.domes = repmat ({''}, numel (rowname), 1);
  sites.description = cellfun (@strtrim, rowname, 'UniformOutput', false);
  grouprecord = zeros (m, 1);
  grouprecord(found) = last(at(found));
  record = [grouprecord; last(nogroup)];
  haspos = record > 0;
  xyz = NaN (numel (rowname), 3);
  llh = NaN (numel (rowname), 3);
  if (isfield (sol, 'xyz'))
    xyz(haspos, :) = sol.xyz(record(haspos), :);
  else
    xyz(haspos, :) = llh_to_xyz (sol.llh(record(haspos), 1:3));
  end
  llh(haspos, :) = sol.llh(record(haspos), 1:3);
  sites.llh = llh;
  nr = numel (rowname);
  sites.valid = repmat ([opt.epoch, opt.epoch], nr, 1);
  sites.mean = repmat (opt.epoch, nr, 1);
  vel = [sol.vel; NaN(numel (nogroup), 3)];

  [est, rowof] = estimates_of (haspos, (1:nr)' <= m);
  k = numel (est.type);
  est.value = zeros (k, 1);
  est.sigma = zeros (k, 1);
  est.epoch = repmat (opt.epoch, k, 1);
  ispos = est.type <= 3;
  comp = mod (est.type - 1, 3) + 1;
  est.value(ispos) = xyz(sub2ind (size (xyz), rowof(ispos), comp(ispos)));
  est.value(~ispos) = vel(sub2ind (size (vel), rowof(~ispos), comp(~ispos)));
  vmap = zeros (k, 1);
  vmap(~ispos) = 3 * (rowof(~ispos) - 1) + comp(~ispos);
  variance = diag (sol.cov);
  est.sigma(~ispos) = sqrt (variance(vmap(~ispos)));
  est.constraint = 2 * ~ispos;        % positions fixed: zero sigma
  snx.sites = sites;
  snx.est = est;
  snx.sources = {struct('S', sol.cov, 'map', vmap)};
  snx.technique = 'P';
  snx.agency = pick (opt.agency, '---');
  snx.dataagency = snx.agency;
  snx.start = opt.epoch;
  snx.end = opt.epoch;
  snx.varfactor = NaN;
  snx.input = 'fixed-column velocity solution (readvelsol)';
end

function snx = from_readsinex (sol, opt)
  nr = numel (sol.station);
  sites.code = sol.station(:);
  sites.point = sol.point(:);
  sites.soln = sol.soln(:);
  sites.domes = field_or (sol, 'domes', repmat ({''}, nr, 1));
  sites.description = field_or (sol, 'description', repmat ({''}, nr, 1));
  sites.llh = sol.llh;
  sites.valid = field_or (sol, 'valid', NaN (nr, 6));
  sites.mean = sol.epoch;
  haspos = all (isfinite (sol.xyz), 2);
  hasvel = all (isfinite (sol.vel), 2);
  [est, rowof] = estimates_of (haspos, hasvel);
  k = numel (est.type);
  ispos = est.type <= 3;
  comp = mod (est.type - 1, 3) + 1;
  at = sub2ind ([nr, 3], rowof, comp);
  est.value = zeros (k, 1);
  est.value(ispos) = sol.xyz(at(ispos));
  est.value(~ispos) = sol.vel(at(~ispos));
  est.sigma = zeros (k, 1);
  est.sigma(ispos) = sol.sxyz(at(ispos));
  est.sigma(~ispos) = sol.sigma(at(~ispos));
  % Each estimate's own line of the file: its epoch, constraint and index.
  types = {'STAX', 'STAY', 'STAZ', 'VELX', 'VELY', 'VELZ'};
  e = sol.estimate;
  key = @(site, point, soln, type) strcat (site, '|', point, '|', soln, '|', type);
  [known, line] = ismember (key (sites.code(rowof), sites.point(rowof), sites.soln(rowof), ...
                                 reshape (types(est.type), [], 1)), ...
                            key (e.site(:), e.point(:), e.soln(:), e.type(:)));
  est.epoch = NaN (k, 3);
  est.epoch(known, :) = e.epoch(line(known), :);
  est.constraint = NaN (k, 1);
  est.constraint(known) = e.constraint(line(known));
  if (~isempty (opt.epoch))
    est.epoch = repmat (opt.epoch, k, 1);
  end
  % Estimates without a line of their own (a struct the user built) take
  % their row's epoch.
  noepoch = any (~isfinite (est.epoch), 2);
  est.epoch(noepoch, :) = sites.mean(rowof(noepoch), :);
  number = e.('index');      % the estimates' own numbers, the matrix's order
  if (all (known))
    number = number(line);
  end
  if (~isempty (sol.matrix) && all (known) && all (number >= 1 & number <= size (sol.matrix, 1)))
    snx.sources = {struct('S', sol.matrix, 'map', number(:))};
  else
    pmap = zeros (k, 1);
    vmap = zeros (k, 1);
    pmap(ispos) = 3 * (rowof(ispos) - 1) + comp(ispos);
    vmap(~ispos) = 3 * (rowof(~ispos) - 1) + comp(~ispos);
    snx.sources = {struct('S', sol.poscov, 'map', pmap), struct('S', sol.cov, 'map', vmap)};
  end
  snx.sites = sites;
  snx.est = est;
  snx.technique = pick (char (field_or (sol, 'technique', '')), 'P');
  snx.agency = pick (opt.agency, pick (char (field_or (sol, 'agency', '')), '---'));
  snx.dataagency = pick (char (field_or (sol, 'dataagency', '')), snx.agency);
  snx.start = field_or (sol, 'start', [0 0 0]);
  snx.end = field_or (sol, 'end', [0 0 0]);
  snx.varfactor = field_or (sol, 'varfactor', NaN);
  snx.input = 'SINEX solution (readsinex)';
end

% The estimates of the sites in row order: STAX..STAZ where a row has a
% position, VELX..VELZ where it has a velocity.  TYPE 1..6, ROWOF the row.
function [est, rowof] = estimates_of (haspos, hasvel)
  nr = numel (haspos);
  has = [repmat(haspos(:), 1, 3), repmat(hasvel(:), 1, 3)]';   % 6 x nr
  [type, rowof] = find (has);
  est.type = type(:);
  rowof = rowof(:);
  est.row = rowof;
end

% Two different stations must not share a code.
function check_codes (names, codes)
  padded = cellfun (@(c) sprintf ('%-4s', c), codes, 'UniformOutput', false);
  [u, ~, slot] = unique (padded);
  count = accumarray (slot(:), 1, [numel(u), 1]);
  if (any (count > 1))
    dup = find (count > 1, 1);
    both = find (slot == dup, 2);
    error ('writesinex:codes', ...
           ['writesinex: stations ''%s'' and ''%s'' would share the site code ''%s'': ', ...
            'give the codes with the ''codes'' option'], ...
           names{both(1)}, names{both(2)}, strtrim (u{dup}));
  end
end

% Every element of the covariance that is written must be finite and fit
% the format's two-digit exponent.  Sum, max and min do not copy the matrix.
function check_covariance (sources)
  for k = 1:numel (sources)
    S = sources{k}.S;
    used = sources{k}.map(sources{k}.map > 0);
    if (isempty (used))
      continue;
    end
    if (numel (used) < size (S, 1))
      S = S(used, used);
    end
    x = S(:);
    if (~(isfinite (sum (x)) && max (x) < 1e100 && min (x) > -1e100))
      error ('writesinex:value', ...
             'writesinex: the covariance holds values that are not finite or of 1e100 or more');
    end
  end
end

% --- The file -------------------------------------------------------------------

function write_file (filename, snx)
  k = numel (snx.est.type);
  if (k > 99999)
    error ('writesinex:value', 'writesinex: %d estimates: SINEX numbers at most 99999', k);
  end
  octave = exist ('OCTAVE_VERSION', 'builtin') ~= 0;
  [fid, msg] = fopen (filename, 'w');
  if (fid < 0)
    error ('writesinex:open', 'writesinex: cannot write ''%s'': %s', filename, msg);
  end
  try
    put (fid, head_text (snx, k), filename, octave);
    put (fid, matrix_head (), filename, octave);
    write_matrix (fid, snx, filename, octave);
    put (fid, sprintf ('-SOLUTION/MATRIX_ESTIMATE L COVA\n%%ENDSNX\n'), filename, octave);
    % Whatever is still in the stream's buffer reaches the file here: a
    % seek flushes it and fails where the flush does (a full disk).
    if (fseek (fid, 0, 'cof') ~= 0)
      reason = system_reason (fid, octave, true);
      if (~isempty (reason))
        error ('writesinex:write', 'writesinex: writing ''%s'' failed: %s', filename, reason);
      end
    end
  catch failure
    fclose (fid);
    rethrow (failure);
  end
  if (fclose (fid) ~= 0)
    error ('writesinex:write', 'writesinex: writing ''%s'' failed: %s', filename, ...
           system_reason (-1, octave, false));
  end
end

% Writes TEXT and checks that all of it was taken.
function put (fid, text, filename, octave)
  n = fwrite (fid, text, 'char');
  if (n ~= numel (text))
    error ('writesinex:write', 'writesinex: writing ''%s'' failed: %s', filename, ...
           system_reason (fid, octave, false));
  end
end

% The reason of the last failed system call.  Octave keeps it in errno
% (read right after the call, before anything else can change it); MATLAB
% reports it through ferror.  With SEEK true, a stream that cannot seek (a
% pipe) is no failure: its data was flushed before the seek was refused.
function reason = system_reason (fid, octave, seek)
  if (octave)
    e = errno ();
    names = errno_list ();
    f = fieldnames (names);
    name = f(cellfun (@(x) names.(x) == e, f));
    if (seek && any (strcmp (name, 'ESPIPE')))
      reason = '';
      return;
    end
    texts = {'ENOSPC', 'No space left on device'; 'EDQUOT', 'Disk quota exceeded'; ...
             'EIO', 'Input/output error'; 'EFBIG', 'File too large'; ...
             'EPIPE', 'Broken pipe'; 'EROFS', 'Read-only file system'; ...
             'EBADF', 'Bad file descriptor'; 'EINVAL', 'Invalid argument'; ...
             'ENXIO', 'No such device or address'; 'EPERM', 'Operation not permitted'; ...
             'EACCES', 'Permission denied'};
    hit = find (ismember (texts(:, 1), name), 1);
    if (~isempty (hit))
      reason = sprintf ('%s (%s)', texts{hit, 2}, texts{hit, 1});
    elseif (~isempty (name))
      reason = sprintf ('system error %s (%d)', name{1}, e);
    else
      reason = sprintf ('system error %d', e);
    end
  elseif (fid >= 0)
    reason = ferror (fid);
  else
    reason = 'the file could not be closed';
  end
end

function text = head_text (snx, k)
  sites = snx.sites;
  est = snx.est;
  nr = numel (sites.code);
  constraint = max ([est.constraint(isfinite (est.constraint)); 0]);
  created = utc_now ();
  parts = cell (1, 0);
  parts{end + 1} = sprintf ('%%=SNX 2.02 %-3s %s %-3s %s %s %s %05d %d S\n', ...
                            snx.agency, times_text (created), snx.dataagency, ...
                            times_text (snx.start), times_text (snx.end), snx.technique(1), ...
                            k, constraint);
  parts{end + 1} = sprintf (['+FILE/REFERENCE\n', ...
                             ' DESCRIPTION        station positions and velocities\n', ...
                             ' OUTPUT             positions, velocities and their covariance\n', ...
                             ' SOFTWARE           writesinex (geodesy-mex)\n', ...
                             ' INPUT              %s\n', ...
                             '-FILE/REFERENCE\n'], snx.input);
  % SITE/ID: one line per site and point code (its first row).
  [~, first] = unique (strcat (sites.code, '|', sites.point), 'first');
  first = sort (first);
  lon = mod (sites.llh(first, 2), 360);
  parts{end + 1} = ['+SITE/ID', char(10), ...
                    '*CODE PT __DOMES__ T _STATION DESCRIPTION__ APPROX_LON_ APPROX_LAT_ _APP_H_', ...
                    char(10)];
  desc = cellfun (@(d) first_chars (d, 22), sites.description(first), 'UniformOutput', false);
  heights = sites.llh(first, 3);
  heights(~isfinite (heights)) = 0;
  data = [sites.code(first), sites.point(first), ...
          cellfun(@(d) first_chars (d, 9), sites.domes(first), 'UniformOutput', false), ...
          repmat({snx.technique(1)}, numel (first), 1), desc, ...
          cellstr(angles_text (lon)), cellstr(angles_text (sites.llh(first, 1))), ...
          num2cell(heights)]';
  parts{end + 1} = sprintf (' %-4s %2s %-9s %s %-22s %s %s %7.1f\n', data{:});
  parts{end + 1} = sprintf ('-SITE/ID\n');
  % SOLUTION/EPOCHS: the sites with a validity window.
  valid = all (isfinite (sites.valid), 2);
  mean_epoch = sites.mean;
  mean_epoch(any (~isfinite (mean_epoch), 2), :) = 0;
  parts{end + 1} = sprintf ('+SOLUTION/EPOCHS\n*CODE PT SOLN T _DATA_START_ __DATA_END__ _MEAN_EPOCH_\n');
  if (any (valid))
    data = [sites.code(valid), sites.point(valid), sites.soln(valid), ...
            repmat({snx.technique(1)}, nnz (valid), 1), ...
            cellstr(times_text (sites.valid(valid, 1:3))), ...
            cellstr(times_text (sites.valid(valid, 4:6))), ...
            cellstr(times_text (mean_epoch(valid, :)))]';
    parts{end + 1} = sprintf (' %-4s %2s %4s %s %s %s %s\n', data{:});
  end
  parts{end + 1} = sprintf ('-SOLUTION/EPOCHS\n');
  if (isfinite (snx.varfactor))
    parts{end + 1} = sprintf ('+SOLUTION/STATISTICS\n %-30s %22.15f\n-SOLUTION/STATISTICS\n', ...
                              'VARIANCE FACTOR', snx.varfactor);
  end
  % SOLUTION/ESTIMATE.
  types = {'STAX', 'STAY', 'STAZ', 'VELX', 'VELY', 'VELZ'};
  units = {'m', 'm', 'm', 'm/y', 'm/y', 'm/y'};
  rowof = est.row;
  cons = repmat ({' '}, k, 1);
  ok = isfinite (est.constraint);
  cons(ok) = cellfun (@(c) sprintf ('%d', c), num2cell (est.constraint(ok)), 'UniformOutput', false);
  data = [num2cell((1:k)'), reshape(types(est.type), [], 1), sites.code(rowof), ...
          sites.point(rowof), sites.soln(rowof), cellstr(times_text (est.epoch)), ...
          reshape(units(est.type), [], 1), cons, num2cell(est.value), num2cell(est.sigma)]';
  parts{end + 1} = sprintf (['+SOLUTION/ESTIMATE\n', ...
                             '*INDEX TYPE__ CODE PT SOLN _REF_EPOCH__ UNIT S ', ...
                             '__ESTIMATED VALUE____ _STD_DEV___\n']);
  parts{end + 1} = sprintf (' %5d %-6s %-4s %2s %4s %s %-4s %s %21.14E %11.5E\n', data{:});
  parts{end + 1} = sprintf ('-SOLUTION/ESTIMATE\n');
  text = [parts{:}];
end

function text = matrix_head ()
  text = sprintf (['+SOLUTION/MATRIX_ESTIMATE L COVA\n', ...
                   '*PARA1 PARA2 ____PARA2+0__________ ____PARA2+1__________ ', ...
                   '____PARA2+2__________\n']);
end

% The lower triangle, sites in order, in chunks of sites of about 4 million
% elements: each row's columns in threes from column 1 (estimates come in
% threes, so a three never mixes two parameters' blocks), a line for each
% three with a nonzero element, the last three of a row cut at the
% diagonal.  A chunk's lines are built as one character matrix, one column
% a line, and written at once.
function write_matrix (fid, snx, filename, octave)
  k = numel (snx.est.type);
  if (k == 0)
    return;
  end
  digits = reshape (sprintf ('%5d', 1:k), 5, k);
  width = 79;                          % ' IIIII JJJJJ' + 3 x ' E21' + newline
  % Only rows with a known element can have a line (a readvelsol result's
  % positions have none).
  mapped = false (k, 1);
  for s = 1:numel (snx.sources)
    mapped = mapped | snx.sources{s}.map(:) > 0;
  end
  todo = find (mapped);
  step = max (1, floor (4e6 / k));
  for at = 1:step:numel (todo)
    rr = todo(at:min (numel (todo), at + step - 1));
    last = rr(end);
    nrow = numel (rr);
    ncol = last + mod (3 - mod (last, 3), 3);
    D = zeros (nrow, ncol);
    for s = 1:numel (snx.sources)
      src = snx.sources{s};
      r = find (src.map(rr) > 0);
      c = find (src.map(1:last) > 0);
      if (~isempty (r) && ~isempty (c))
        D(r, c) = src.S(src.map(rr(r)), src.map(c));
      end
    end
    % Above the diagonal: not written.
    D(bsxfun (@gt, 1:ncol, rr(:))) = 0;
    T = reshape (D.', 3, ncol / 3, nrow);               % T(:, three, row)
    keep = reshape (any (T ~= 0, 1), ncol / 3, nrow);
    [three, row] = find (keep);
    n = numel (three);
    if (n > 0)
      row_index = rr(row);
      row_index = row_index(:)';
      col_index = 3 * three(:)' - 2;
      values = reshape (T, 3, []);
      values = values(:, (row - 1) * (ncol / 3) + three);
      % Under 1e-99: written as 0, the exponent has two digits.
      values(abs (values) < 1e-99) = 0;
      lines = repmat (' ', width, n);
      lines(2:6, :) = digits(:, row_index);
      lines(8:12, :) = digits(:, col_index);
      lines(13:78, :) = reshape (sprintf (' %21.14E', values), 66, n);
      lines(79, :) = char (10);
      % A three cut at the diagonal holds one or two values.
      count = min (3, row_index - col_index + 1);
      take = true (width, n);
      for c = 1:2
        cut = count == c;
        take(13 + 22 * c:78, cut) = false;
      end
      put (fid, lines(take).', filename, octave);
    end
  end
end

% --- Small helpers -----------------------------------------------------------------

% The creation time [year doy sec] in UTC, as SINEX times are.
function t = utc_now ()
  if (exist ('OCTAVE_VERSION', 'builtin') ~= 0)
    g = gmtime (time ());
    t = [g.year + 1900, g.yday + 1, g.hour * 3600 + g.min * 60 + floor(g.sec)];
  else
    d = datetime ('now', 'TimeZone', 'UTC');
    t = [d.Year, day(d, 'dayofyear'), d.Hour * 3600 + d.Minute * 60 + floor(d.Second)];
  end
end

% 'YY:DDD:SSSSS' for each row [year doy sec] (a char matrix).
function t = times_text (ymd)
  ymd = round (ymd);
  ymd(~isfinite (ymd)) = 0;
  yy = mod (ymd(:, 1), 100);
  yy(ymd(:, 1) == 0) = 0;
  t = reshape (sprintf ('%02d:%03d:%05d', [yy, ymd(:, 2), ymd(:, 3)].'), 12, []).';
end

% Angles as SITE/ID writes them: degrees (I3, the sign on it, also for
% -0), minutes (I2) and seconds (F4.1), rounded to a tenth of a second.
function t = angles_text (deg)
  deg = deg(:);
  deg(~isfinite (deg)) = 0;
  tenths = round (abs (deg) * 36000);
  d = floor (tenths / 36000);
  m = floor (mod (tenths, 36000) / 600);
  s = mod (tenths, 600) / 10;
  t = reshape (sprintf ('%3d %2d %4.1f', [d, m, s].'), 11, []).';
  neg = deg < 0 & tenths > 0;
  % The sign goes before the degrees' first digit.
  dtext = reshape (sprintf ('%3d', -d(neg)), 3, []).';
  zero = d(neg) == 0;
  dtext(zero, :) = repmat (' -0', nnz (zero), 1);
  t(neg, 1:3) = dtext;
end

function s = first_chars (s, n)
  s = s(1:min (n, numel (s)));
end

function v = pick (v, default)
  if (isempty (strtrim (v)))
    v = default;
  end
end

function v = field_or (sol, name, default)
  if (isfield (sol, name))
    v = sol.(name);
  else
    v = default;
  end
end

function xyz = llh_to_xyz (llh)
  a = 6378137;
  f = 1 / 298.257223563;
  e2 = f * (2 - f);
  n = a ./ sqrt (1 - e2 * sind (llh(:, 1)) .^ 2);
  xyz = [(n + llh(:, 3)) .* cosd(llh(:, 1)) .* cosd(llh(:, 2)), ...
         (n + llh(:, 3)) .* cosd(llh(:, 1)) .* sind(llh(:, 2)), ...
         (n * (1 - e2) + llh(:, 3)) .* sind(llh(:, 1))];
end

function [ok, v] = check_epoch (v)
  ok = isnumeric (v) && isreal (v) && isequal (size (v), [1, 3]) && all (isfinite (v)) ...
       && all (v == round (v)) && v(1) >= 1951 && v(1) <= 2050 && v(2) >= 1 && v(2) <= 366 ...
       && v(3) >= 0 && v(3) <= 86400;
  if (ok)
    v = double (v);
  end
end

function [ok, v] = check_agency (v)
  ok = ischar (v) && isrow (v) && numel (v) <= 3;
end

% A two-station solution written and read back: names, velocities and
% covariance to the digits written; the refusals before anything is written.
%!test
%! G = 1e-3 * magic (6);
%! sol = struct ("refname", "STA1    ", "crdsys", "ITR",
%!               "station", {{"STA1    "; "STB2    "}},
%!               "xyz", [4194424.1, 1162702.5, 4647245.2; 3985320.3, -1170731.0, 4809850.8],
%!               "refstation", 1, "site", {{"STA1    "; "STB2    "}},
%!               "vel", [-0.0101, 0.0172, 0.0093; -0.0153, 0.0158, 0.0098],
%!               "sigma", zeros (2, 3), "cov", 1e-9 * (G * G' + eye (6)));
%! sol.llh = [46.1, 15.5, 500; 49.2, -16.4, 300];
%! sol.sigma = sqrt (reshape (diag (sol.cov), 3, 2)');
%! f = [tempname(), ".snx"];
%! unwind_protect
%!   writesinex (f, sol, "epoch", [2020, 1, 0]);
%!   snx = readsinex (f);
%! unwind_protect_cleanup
%!   delete (f);
%! end_unwind_protect
%! assert (snx.station, {"STA1"; "STB2"});
%! assert (snx.vel, sol.vel, 1e-14 * max (abs (sol.vel(:))));
%! assert (snx.cov, sol.cov, 1e-14 * max (abs (sol.cov(:))));
%! assert (snx.epoch, [2020, 1, 0; 2020, 1, 0]);
%!error id=writesinex:usage writesinex ("x.snx")
%!error id=writesinex:option writesinex ("x.snx", struct ("a", 1), "colour", 1)
