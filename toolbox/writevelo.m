% -*- texinfo -*-
% @deftypefn  {} {} writevelo (@var{filename}, @var{enu})
% @deftypefnx {} {} writevelo (@var{filename}, @var{enu}, @qcode{'format'}, @var{fmt})
% Write the result of @code{velsol2enu} for GMT or for spreadsheets.
%
% @var{fmt} is @qcode{'velo'} (the default) or @qcode{'csv'}:
%
% @table @asis
% @item @qcode{'velo'}
% The input of GMT's @code{velo -Se}: one line per station,
% @code{lon lat ve vn se sn rho name}, longitude and latitude in degrees,
% velocities and their standard deviations in mm/yr, the east/north
% correlation, the trimmed station name.  GMT draws the ellipse itself from
% the standard deviations at the confidence given to @code{-Se}, with the
% same chi-square factor as @code{velsol2enu}.  The first line, a comment
% (@code{#}), names the columns.
%
% @item @qcode{'csv'}
% Comma-separated values with a header row:
% @code{name,lat_deg,lon_deg,height_m,ve_mm_yr,vn_mm_yr,vu_mm_yr,
% se_mm_yr,sn_mm_yr,su_mm_yr,rho_en,smaj_mm_yr,smin_mm_yr,azim_deg},
% names trimmed and quoted, ellipse axes at the confidence of @var{enu}.
% @end table
%
% Errors: @code{writevelo:notenu} if @var{enu} is not a @code{velsol2enu}
% result, @code{writevelo:option} for an unknown option or format,
% @code{writevelo:open} and @code{writevelo:write} (with the system's
% reason) if the file cannot be written, @code{writevelo:usage} for a call
% without both arguments.
%
% Example: a map of the velocities with GMT
% @example
% @group
% writevelo ('vel.txt', velsol2enu (readvelsol ('example.sol')));
% system ('gmt velo vel.txt -R-10/30/35/65 -JM15c -Se0.2c/0.95/8p -A7p+e+pthin -W1p -B -png vel');
% @end group
% @end example
% @seealso{velsol2enu, velomap}
% @end deftypefn

function writevelo (filename, enu, varargin)
  if (nargin < 2)
    error ('writevelo:usage', 'Invalid call to writevelo: writevelo (filename, enu, ...)');
  end
  args = strings_to_chars ([{filename}, varargin]);
  filename = args{1};
  opts = args(2:end);
  if (~ischar (filename) || size (filename, 1) ~= 1)
    error ('writevelo:option', 'writevelo: FILENAME must be a string');
  end
  check_enu (enu, 'writevelo');
  fmt = 'velo';
  if (mod (numel (opts), 2) ~= 0)
    error ('writevelo:option', 'writevelo: options come in name/value pairs');
  end
  for i = 1:2:numel (opts)
    if (~(ischar (opts{i}) && strcmpi (opts{i}, 'format')))
      error ('writevelo:option', 'writevelo: unknown option ''%s''', disp_name (opts{i}));
    end
    fmt = opts{i + 1};
    if (~(ischar (fmt) && any (strcmpi (fmt, {'velo', 'csv'}))))
      error ('writevelo:option', 'writevelo: format must be "velo" or "csv"');
    end
  end

  names = cellfun (@strtrim, enu.name(:), 'UniformOutput', false);
  mm = @(x) 1e3 * x(:);
  if (strcmpi (fmt, 'velo'))
    % GMT reads what follows the seventh column as the label: names with
    % blanks inside stay whole.
    head = '# lon lat ve vn se sn rho name (mm/yr, velsol2enu)';
    cols = [enu.lon(:), enu.lat(:), mm(enu.ve), mm(enu.vn), mm(enu.se), mm(enu.sn), enu.rho_en(:)];
    fmtline = '%.8f %.8f %.4f %.4f %.4f %.4f %.6f %s\n';
  else
    head = ['name,lat_deg,lon_deg,height_m,ve_mm_yr,vn_mm_yr,vu_mm_yr,', ...
            'se_mm_yr,sn_mm_yr,su_mm_yr,rho_en,smaj_mm_yr,smin_mm_yr,azim_deg'];
    names = strcat ('"', strrep (names, '"', '""'), '"');
    cols = [enu.lat(:), enu.lon(:), field_or_nan(enu, 'height'), mm(enu.ve), mm(enu.vn), ...
            1e3 * field_or_nan(enu, 'vu'), mm(enu.se), mm(enu.sn), ...
            1e3 * field_or_nan(enu, 'su'), enu.rho_en(:), mm(enu.smaj), mm(enu.smin), ...
            enu.azim(:)];
    fmtline = ['%s', repmat(',%.15g', 1, size (cols, 2)), '\n'];
  end

  [fid, msg] = fopen (filename, 'w');
  if (fid < 0)
    error ('writevelo:open', 'writevelo: cannot write ''%s'': %s', filename, msg);
  end
  % The file is closed whatever happens while writing.  A full disk may
  % only show when the buffer is flushed, and the host need not report it
  % then: the bytes that reached the file are counted against those given.
  try
    written = fprintf (fid, '%s\n', head);
    if (strcmpi (fmt, 'velo'))
      data = [num2cell(cols), names]';
    else
      data = [names, num2cell(cols)]';
    end
    written = written + fprintf (fid, fmtline, data{:});
    [msg, err] = ferror (fid);
  catch failure
    fclose (fid);
    rethrow (failure);
  end
  closed = fclose (fid) == 0;
  info = dir (filename);
  if (err ~= 0 || ~closed || numel (info) ~= 1 || info.bytes ~= written)
    if (err == 0)
      msg = sprintf ('%d of %d bytes reached the file', sum ([info.bytes]), written);
    end
    error ('writevelo:write', 'writevelo: writing ''%s'' failed: %s', filename, msg);
  end
end

function x = field_or_nan (enu, name)
  if (isfield (enu, name))
    x = enu.(name)(:);
  else
    x = NaN (numel (enu.name), 1);
  end
end

function s = disp_name (x)
  if (ischar (x))
    s = x;
  else
    s = class (x);
  end
end
