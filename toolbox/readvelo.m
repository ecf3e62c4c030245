% -*- texinfo -*-
% @deftypefn  {} {@var{enu} =} readvelo (@var{filename})
% @deftypefnx {} {@var{enu} =} readvelo (@var{filename}, @qcode{'confidence'}, @var{p})
% Read a table of horizontal station velocities in the form of GMT's
% @code{velo -Se}: the form @code{writevelo} writes and most published
% velocity fields use.
%
% Each data line holds @code{lon lat ve vn se sn rho [name]}: longitude
% and latitude in degrees, east and north velocity and their standard
% deviations in mm/yr, the east/north correlation, and a station name,
% which is the rest of the line with blanks at both ends trimmed (it may be
% empty or hold blanks).  Fields are separated by blanks or tabs, or by a
% comma with or without blanks around it.  Lines whose first character
% other than a blank is @code{#} or @code{>} are skipped, as are blank
% lines; lines may end in LF or CR LF, and a UTF-8 byte-order mark at the
% start is ignored.
%
% @var{enu} is the struct @code{velsol2enu} returns, one row per data
% line: velocities in m/yr, @code{height} NaN (the table has none; the
% plate functions take 0), @code{vu} and @code{su} NaN, @code{cov} a
% sparse 3m x 3m matrix with each station's east/north block
% @code{[se^2, rho*se*sn; rho*se*sn, sn^2]}, NaN in its up row and column
% (a velo table has no vertical) and no cross-station terms (nor has a
% table), @code{se}, @code{sn}, @code{rho_en} as written, the ellipses
% at confidence @var{p} (default 0.95), @code{group} the row numbers,
% @code{record} the line numbers in the file, no reference station.
%
% @code{readvelo (f)} after @code{writevelo (f, enu)} gives back
% @var{enu}'s names, positions, horizontal velocities, standard deviations
% and correlations to the precision @code{writevelo} writes (1e-8 degrees,
% 1e-4 mm/yr, 1e-6).
%
% Errors: @code{readvelo:open} (with the system's reason),
% @code{readvelo:format} (the file, the line number, the field number and
% the line's text: a missing or empty field, a field that is not a finite
% number, a negative standard deviation, a correlation outside -1 to 1, a
% latitude outside -90 to 90), @code{readvelo:option},
% @code{readvelo:usage}.
%
% Example:
% @example
% @group
% enu = readvelo ('published_field.txt');
% pole = eulerpole (enu, 'weights', 'stations');
% @end group
% @end example
% @seealso{writevelo, eulerpole, velsol2enu}
% @end deftypefn

function enu = readvelo (filename, varargin)
  if (nargin < 1)
    error ('readvelo:usage', 'Invalid call to readvelo: enu = readvelo (filename, ...)');
  end
  args = strings_to_chars ({filename});
  filename = args{1};
  if (~(ischar (filename) && isrow (filename)))
    error ('readvelo:usage', 'readvelo: FILENAME must be a string');
  end
  opt = parse_options ('readvelo', varargin, {'confidence', 0.95, 'probability'});
  [fid, msg] = fopen (filename, 'r');
  if (fid < 0)
    error ('readvelo:open', 'readvelo: cannot open ''%s'': %s', filename, msg);
  end
  text = fread (fid, Inf, '*char')';
  fclose (fid);
  % A byte-order mark (files saved by spreadsheets and Windows editors) is
  % not part of the first line.
  if (numel (text) >= 3 && isequal (double (text(1:3)), [239, 187, 191]))
    text = text(4:end);
  end

  % The whole text is split once and every line matched by one pattern:
  % no loop over lines in the host's language.  The first field cannot
  % start with # or >, so comment lines fail the pattern along with blank
  % and malformed ones; only those few are looked at again.
  lines = regexp (strrep (text, char ([13, 10]), char (10)), '\n', 'split');
  sep = '(?:\s*,\s*|\s+)';
  field = '([^\s,]+)';
  pattern = ['^\s*([^\s,#>][^\s,]*)', repmat([sep, field], 1, 6), '(?:', sep, ')?((?:.*\S)?)\s*$'];
  tok = regexp (lines, pattern, 'tokens', 'once');
  miss = find (cellfun ('isempty', tok));
  skip = cellfun ('isempty', regexp (lines(miss), '\S', 'once')) ...
         | ~cellfun ('isempty', regexp (lines(miss), '^\s*[#>]', 'once'));
  if (~all (skip))
    first = miss(find (~skip, 1));
    missing_field (filename, first, lines{first}, sep);
  end
  number = 1:numel (lines);
  number(miss) = [];
  tok(miss) = [];
  T = reshape ([tok{:}], 8, [])';
  x = str2double (T(:, 1:7));
  bad = ~isfinite (x);
  bad(:, 5:6) = bad(:, 5:6) | x(:, 5:6) < 0;
  bad(:, 7) = bad(:, 7) | abs (x(:, 7)) > 1;
  bad(:, 2) = bad(:, 2) | abs (x(:, 2)) > 90;
  if (any (bad(:)))
    [j, i] = find (bad', 1);
    why = {'not a finite number', 'a latitude outside -90 to 90', 'not a finite number', ...
           'not a finite number', 'a negative standard deviation', ...
           'a negative standard deviation', 'a correlation outside -1 to 1'};
    if (~isfinite (x(i, j)))
      why{j} = 'not a finite number';
    end
    error ('readvelo:format', 'readvelo: file ''%s'', line %d, field %d: %s: "%s"', ...
           filename, number(i), j, why{j}, T{i, j});
  end
  names = T(:, 8);

  m = size (x, 1);
  enu.name = names;
  enu.group = (1:m)';
  enu.record = number(:);
  enu.lat = x(:, 2);
  enu.lon = x(:, 1);
  enu.height = NaN (m, 1);
  enu.refname = '';
  enu.reflon = NaN;
  enu.reflat = NaN;
  enu.reference = 0;
  enu.ve = x(:, 3) / 1e3;
  enu.vn = x(:, 4) / 1e3;
  enu.vu = NaN (m, 1);
  se = x(:, 5) / 1e3;
  sn = x(:, 6) / 1e3;
  rho = x(:, 7);
  cen = rho .* se .* sn;
  e = 3 * (1:m)' - 2;
  n = e + 1;
  u = e + 2;
  nan = NaN (m, 1);
  enu.cov = sparse ([e; n; e; n; u; u; u; e; n], [e; n; n; e; e; n; u; u; u], ...
                    [se .^ 2; sn .^ 2; cen; cen; nan; nan; nan; nan; nan], 3 * m, 3 * m);
  s = ellipse_stats (se .^ 2, sn .^ 2, cen, opt.confidence);
  enu.se = se;
  enu.sn = sn;
  enu.su = NaN (m, 1);
  enu.rho_en = rho;
  enu.smaj = s.smaj;
  enu.smin = s.smin;
  enu.azim = s.azim;
  enu.confidence = opt.confidence;
  enu.scale = s.scale;
  enu.relative = false;
end

% A data line the pattern did not take: which of the seven fields is
% missing or empty.
function missing_field (filename, number, line, sep)
  fields = regexp (regexprep (line, '^\s+', ''), sep, 'split');
  k = find (cellfun ('isempty', fields), 1);
  if (isempty (k) || k > 7)
    k = numel (fields) + 1;
  end
  error ('readvelo:format', ...
         'readvelo: file ''%s'', line %d, field %d: missing or empty (lon lat ve vn se sn rho [name] expected): "%s"', ...
         filename, number, min (k, 7), line);
end

%!test
%! f = [tempname(), '.txt'];
%! fid = fopen (f, 'w');
%! fprintf (fid, '\xEF\xBB\xBF# lon lat ve vn se sn rho name\r\n\r\n> segment\r\n');
%! fprintf (fid, '  10.5,45.25, 20.1 ,15.2,0.5,0.6,-0.25, TWO  WORDS \r\n');
%! fprintf (fid, '11\t46\t1\t2\t0.3\t0.4\t0\n');
%! fclose (fid);
%! enu = readvelo (f, 'confidence', 0.99);
%! delete (f);
%! assert (enu.name, {'TWO  WORDS'; ''});
%! assert ([enu.lon, enu.lat, 1e3 * [enu.ve, enu.vn, enu.se, enu.sn], enu.rho_en], ...
%!         [10.5, 45.25, 20.1, 15.2, 0.5, 0.6, -0.25; 11, 46, 1, 2, 0.3, 0.4, 0], 1e-13);
%! assert (enu.record, [4; 5]);
%! assert (full (enu.cov(1:2, 1:2)), 1e-6 * [0.25, -0.075; -0.075, 0.36], 1e-20);
%! assert (isnan (full (enu.cov(3, 1:3))));
%! assert (enu.smaj(2), 1e-3 * 0.4 * sqrt (-2 * log (0.01)), 1e-15);
