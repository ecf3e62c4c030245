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
% Option names and the format's words are matched whatever their case
% (@qcode{'format', 'CSV'}).  Any file name is used as it is: a device
% (@file{/dev/stdout}), a name holding @qcode{'*'}, @qcode{'?'} or a
% backslash.  Success means the system took every byte: a full disk (or
% @file{/dev/full}) is an error, not a short file.
%
% Errors:
% @table @code
% @item writevelo:usage
% a call without both arguments
% @item writevelo:notenu
% @var{enu} is not a @code{velsol2enu} result (a field missing, not real
% floating point, or of another length)
% @item writevelo:option
% an unknown option (named), a format that is not one of the two, or a
% @var{filename} that is not a string
% @item writevelo:open
% the file cannot be created (a missing folder is not created), with the
% system's reason
% @item writevelo:write
% writing failed, with the system's reason (a full disk)
% @end table
%
% Example: a map of the velocities with GMT 6 (in a shell, or from Octave
% with @code{system} as here; the names are fixed, nothing is built from a
% user's text).  @code{gmt end} without @qcode{show} writes
% @file{vel.png} and opens no viewer (GMT's one-line form,
% @code{gmt velo @dots{} -png vel}, opens the picture in a viewer when
% done); the session name keeps the commands of this one line together.
% @example
% @group
% writevelo ('vel.txt', velsol2enu (readvelsol ('example.sol')));
% system (['export GMT_SESSION_NAME=$$; gmt begin vel png && ', ...
%          'gmt coast -R-15/40/32/68 -JM15c -Baf -Dl -A1000 -W0.25p,gray50 -N1/0.25p,gray70 && ', ...
%          'gmt velo vel.txt -Se0.05c/0.95/7p -A6p+e+pthin -W0.8p && gmt end']);
% @end group
% @end example
% @seealso{velsol2enu, velomap}
% @end deftypefn

function writevelo (filename, enu, varargin)
  if (nargin < 2)
    error ('writevelo:usage', 'Invalid call to writevelo: writevelo (filename, enu, ...)');
  end
  args = strings_to_chars ({filename});
  filename = args{1};
  if (~ischar (filename) || size (filename, 1) ~= 1)
    error ('writevelo:option', 'writevelo: FILENAME must be a string');
  end
  opt = parse_options ('writevelo', varargin, {'format', 'velo', {'velo', 'csv'}});
  if (strcmp (opt.format, 'csv'))
    check_enu (enu, 'writevelo', {'height', 'vu', 'su'});
  else
    check_enu (enu, 'writevelo');
  end

  names = cellfun (@strtrim, enu.name(:), 'UniformOutput', false);
  mm = @(x) 1e3 * double (x(:));
  if (strcmp (opt.format, 'velo'))
    % GMT reads what follows the seventh column as the label: names with
    % blanks inside stay whole.
    head = '# lon lat ve vn se sn rho name (mm/yr, velsol2enu)';
    cols = [enu.lon(:), enu.lat(:), mm(enu.ve), mm(enu.vn), mm(enu.se), mm(enu.sn), enu.rho_en(:)];
    fmtline = '%.8f %.8f %.4f %.4f %.4f %.4f %.6f %s\n';
    data = [num2cell(double (cols)), names]';
  else
    head = ['name,lat_deg,lon_deg,height_m,ve_mm_yr,vn_mm_yr,vu_mm_yr,', ...
            'se_mm_yr,sn_mm_yr,su_mm_yr,rho_en,smaj_mm_yr,smin_mm_yr,azim_deg'];
    names = strcat ('"', strrep (names, '"', '""'), '"');
    cols = [enu.lat(:), enu.lon(:), field_or_nan(enu, 'height'), mm(enu.ve), mm(enu.vn), ...
            1e3 * field_or_nan(enu, 'vu'), mm(enu.se), mm(enu.sn), ...
            1e3 * field_or_nan(enu, 'su'), enu.rho_en(:), mm(enu.smaj), mm(enu.smin), ...
            enu.azim(:)];
    fmtline = ['%s', repmat(',%.15g', 1, size (cols, 2)), '\n'];
    data = [names, num2cell(double (cols))]';
  end

  [fid, msg] = fopen (filename, 'w');
  if (fid < 0)
    error ('writevelo:open', 'writevelo: cannot write ''%s'': %s', filename, msg);
  end
  % The file is closed whatever happens while writing; the write itself is
  % checked, whatever kind of file the name is (a device, a pipe, a name
  % with wildcards in it).
  octave = exist ('OCTAVE_VERSION', 'builtin') > 0;
  try
    if (octave)
      errno (0);
    end
    fprintf (fid, '%s\n', head);
    fprintf (fid, fmtline, data{:});
    [ok, why] = flushed (fid, octave);
  catch failure
    fclose (fid);
    rethrow (failure);
  end
  closed = fclose (fid) == 0;
  if (~ok || ~closed)
    if (ok)
      why = 'closing the file failed';
    end
    error ('writevelo:write', 'writevelo: writing ''%s'' failed: %s', filename, why);
  end
end

% Whether everything written to FID reached the file, and if not, the
% system's reason.  A write that overflows the stream's buffer shows in
% ferror.  The rest of the buffer is written at fclose, and neither
% Octave's fflush nor its fclose reports a failure then (a full disk,
% /dev/full): they return 0.  A seek makes the C library write the buffer
% out first and fails if that write fails; the buffer is gone after that,
% so a second seek succeeds on any seekable file.  Pipes and terminals
% cannot seek at all: there both seeks fail, and the first one had written
% the buffer out already.  The writes were made with the system's error
% number cleared, so a number set now is the failure's.
function [ok, why] = flushed (fid, octave)
  [why, err] = ferror (fid);
  ok = err == 0;
  code = 0;
  if (ok && fseek (fid, 0, 'cof') ~= 0)
    if (octave)
      code = errno ();
    end
    ok = fseek (fid, 0, 'cof') ~= 0;
    why = 'the data did not reach the file';
  elseif (~ok && octave)
    code = errno ();
  end
  if (~ok && code ~= 0)
    why = system_reason (code, why);
  end
end

% The system's reason for error number CODE (Octave: it has no strerror,
% but names the numbers).
function why = system_reason (code, fallback)
  texts = {'ENOSPC', 'No space left on device'; 'EDQUOT', 'Disk quota exceeded';
           'EFBIG', 'File too large'; 'EIO', 'Input/output error'; 'EPIPE', 'Broken pipe';
           'EROFS', 'Read-only file system'; 'EBADF', 'Bad file descriptor'};
  list = errno_list ();
  names = fieldnames (list);
  hit = names(cellfun (@(n) list.(n) == code, names));
  why = fallback;
  if (~isempty (hit))
    row = find (strcmp (texts(:, 1), hit{1}), 1);
    if (isempty (row))
      why = sprintf ('%s (error %d)', hit{1}, code);
    else
      why = sprintf ('%s (%s)', texts{row, 2}, hit{1});
    end
  end
end

function x = field_or_nan (enu, name)
  if (isfield (enu, name))
    x = double (enu.(name)(:));
  else
    x = NaN (numel (enu.name), 1);
  end
end

%!shared enu
%! n = 300;
%! enu = struct ("name", {repmat({"A B"}, n, 1)}, "lat", 47 * ones (n, 1), "lon", (1:n)' / 10,
%!               "ve", 0.02 * ones (n, 1), "vn", 0.01 * ones (n, 1), "se", 1e-3 * ones (n, 1),
%!               "sn", 1e-3 * ones (n, 1), "rho_en", zeros (n, 1), "smaj", 2e-3 * ones (n, 1),
%!               "smin", 2e-3 * ones (n, 1), "azim", zeros (n, 1), "confidence", 0.95,
%!               "refname", "", "reflat", NaN, "reflon", NaN, "reference", 0);

% The first station alone.
%!function e = first (enu)
%!  e = enu;
%!  for f = fieldnames (e)'
%!    if (numel (e.(f{1})) == numel (enu.name))
%!      e.(f{1}) = e.(f{1})(1);
%!    endif
%!  endfor
%!endfunction

% Any name is a file name as it stands: devices, a pipe, wildcard
% characters and a backslash; option words in any case.
%!test
%! writevelo ("/dev/null", enu);
%! writevelo ("/dev/stdout", first (enu), "FORMAT", "CSV");
%! d = tempname ();
%! mkdir (d);
%! f = fullfile (d, 'a*b?c\d.txt');
%! unwind_protect
%!   writevelo (f, enu, "Format", "velo");
%!   assert (numel (strsplit (strtrim (fileread (f)), "\n")), 301);
%! unwind_protect_cleanup
%!   unlink (f);  ## delete would glob the name
%!   rmdir (d);
%! end_unwind_protect

% A full disk is an error with the system's reason, for a short file
% (written only at fclose) and a long one (written while printing).
%!error <writing '/dev/full' failed: No space left on device> writevelo ("/dev/full", first (enu))
%!error <writing '/dev/full' failed: No space left on device> writevelo ("/dev/full", enu)
%!error id=writevelo:notenu writevelo ("x.txt", setfield (enu, "lat", int32 (enu.lat)))
%!error <unknown option 'delimiter'> writevelo ("x.txt", enu, "delimiter", ",")
