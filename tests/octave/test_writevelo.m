## writevelo's files read back, by Octave and by GMT itself, and the maps
## of velomap with both tools.

%!shared enu, dir
%! addpath (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "tests", "octave"));
%! rand ("state", 5);
%! llh = [40 + 20 * rand(12, 1), -5 + 30 * rand(12, 1), zeros(12, 1)];
%! sol = make_velsol (llh, 0.02 * (rand (12, 3) - 0.5), 2);
%! sol.station{4} = "TWO WORD";
%! sol.site{4} = "TWO WORD";
%! enu = velsol2enu (sol, "relative", true, "confidence", 0.9);
%! dir = tempname ();
%! mkdir (dir);

%!function ok = is_png (file)
%!  fid = fopen (file, "r");
%!  ok = fid >= 0 && isequal (fread (fid, 8, "uint8=>uint8")', uint8 ([137, 80, 78, 71, 13, 10, 26, 10]));
%!  if (fid >= 0)
%!    fclose (fid);
%!  endif
%!endfunction

## The velo file: a comment line, then lon lat ve vn se sn rho (mm/yr) and
## the trimmed name, names with blanks inside kept whole.
%!test
%! f = fullfile (dir, "v.txt");
%! writevelo (f, enu);
%! lines = strsplit (strtrim (fileread (f)), "\n");
%! assert (lines{1}(1), "#");
%! assert (numel (lines), 13);
%! row = sscanf (lines{5}, "%f", 7)';
%! assert (row, [enu.lon(4), enu.lat(4), 1e3 * [enu.ve(4), enu.vn(4), enu.se(4), enu.sn(4)], ...
%!               enu.rho_en(4)], 1e-4);
%! assert (regexp (lines{5}, "TWO WORD$", "once") > 0);
%! assert (regexp (lines{2}, " S1$", "once") > 0);

## The CSV: header row, quoted names, every column.
%!test
%! f = fullfile (dir, "v.csv");
%! writevelo (f, enu, "format", "csv");
%! lines = strsplit (strtrim (fileread (f)), "\n");
%! assert (strsplit (lines{1}, ","), {"name", "lat_deg", "lon_deg", "height_m", "ve_mm_yr", ...
%!   "vn_mm_yr", "vu_mm_yr", "se_mm_yr", "sn_mm_yr", "su_mm_yr", "rho_en", "smaj_mm_yr", ...
%!   "smin_mm_yr", "azim_deg"});
%! cells = strsplit (lines{5}, ",");
%! assert (cells{1}, '"TWO WORD"');
%! assert (str2double (cells(2:end)), [enu.lat(4), enu.lon(4), enu.height(4), ...
%!   1e3 * [enu.ve(4), enu.vn(4), enu.vu(4), enu.se(4), enu.sn(4), enu.su(4)], ...
%!   enu.rho_en(4), 1e3 * [enu.smaj(4), enu.smin(4)], enu.azim(4)], 1e-12);

## GMT reads it: gmt velo draws the picture without a word on stderr.
%!test
%! f = fullfile (dir, "g.txt");
%! writevelo (f, enu);
%! png = fullfile (dir, "g");
%! [st, out] = system (sprintf (["{ cd '%s' && export GMT_SESSION_NAME=$$ && gmt begin '%s' png ", ...
%!                               "&& gmt velo '%s' -R-10/30/35/65 -JM12c -Baf -Se0.3c/0.9/7p ", ...
%!                               "-A6p+e -W0.8p -Ered -Vw && gmt end; } 2>&1"], dir, png, f));
%! assert (st == 0, "gmt velo failed:\n%s", out);
%! assert (out, "");
%! assert (is_png ([png, ".png"]));

## A shell line's status and output, stderr included.
%!function [st, out] = system_2to1 (cmd)
%!  [st, out] = system (["{ ", cmd, "; } 2>&1"]);
%!endfunction

## The GMT example of help writevelo runs as it stands, headless: nothing
## on stderr, no viewer started (a stand-in xdg-open on the PATH notes any
## call: GMT's one-line -png form calls it), and every arrow with its
## ellipse inside the map's frame (gmt mapproject places the stations).
%!test
%! if (system ("gmt --version > /dev/null 2>&1") != 0)
%!   return;
%! endif
%! ex = regexp (fileread (which ("writevelo")), '@group\n(.*?)% @end group', "tokens", "once"){1};
%! ex = regexprep (ex, '(^|\n)%', "$1");
%! work = fullfile (dir, "example");
%! bin = fullfile (work, "bin");
%! mkdir (bin);
%! viewer = fullfile (bin, "xdg-open");
%! fid = fopen (viewer, "w");
%! fprintf (fid, "#!/bin/sh\necho \"$@\" >> '%s'\n", fullfile (work, "viewer.log"));
%! fclose (fid);
%! system (sprintf ("chmod +x '%s'", viewer));
%! fid = fopen (fullfile (work, "example.sol"), "w");
%! fwrite (fid, fileread (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "examples", "example.sol")));
%! fclose (fid);
%! path0 = getenv ("PATH");
%! here = pwd ();
%! setenv ("PATH", [bin, ":", path0]);
%! cd (work);
%! unwind_protect
%!   ## The example's system call, with its output and stderr kept.
%!   ex = strrep (ex, "system (", "[st, out] = system_2to1 (");
%!   eval (ex);
%! unwind_protect_cleanup
%!   cd (here);
%!   setenv ("PATH", path0);
%! end_unwind_protect
%! assert (st == 0 && isempty (out), "the example failed:\n%s", out);
%! assert (is_png (fullfile (work, "vel.png")));
%! assert (! exist (fullfile (work, "viewer.log"), "file"), "the example opened a viewer");
%! R = regexp (ex, '-R\S+', "match", "once");
%! J = regexp (ex, '-J\S+', "match", "once");
%! s = str2double (regexp (ex, '-Se([\d.]+)c', "tokens", "once"){1});
%! vel = fullfile (work, "vel.txt");
%! [st, xy] = system (sprintf ("gmt mapproject '%s' %s %s -o0,1", vel, R, J));
%! [st2, wh] = system (sprintf ("gmt mapproject %s %s -W", R, J));
%! assert (st == 0 && st2 == 0);
%! xy = reshape (sscanf (xy, "%f"), 2, [])';
%! wh = sscanf (wh, "%f")';
%! v = dlmread (vel, " ", 1, 0)(:, 3:6);
%! assert (rows (xy), rows (v));
%! tip = xy + s * v(:, 1:2);
%! r = s * sqrt (-2 * log (0.05)) * max (v(:, 3:4), [], 2);
%! inside = tip - r >= 0 & tip + r <= wh;
%! assert (all (inside(:)), "arrows leave the frame");

## velomap: the GMT map and the Octave one (gnuplot) both written.
%!test
%! for tool = {"gmt", "octave"}
%!   png = fullfile (dir, [tool{1}, ".png"]);
%!   assert (velomap (png, enu, "tool", tool{1}, "title", "test"), tool{1});
%!   assert (is_png (png));
%! endfor

## Refused calls.
%!error id=writevelo:notenu writevelo ("x.txt", struct ("name", 1))
%!error id=writevelo:option writevelo ("x.txt", enu, "delimiter", ",")
%!error id=writevelo:option writevelo ("x.txt", enu, "format", "xls")
%!error <cannot write '/nonexistent/dir/x.txt'> writevelo ("/nonexistent/dir/x.txt", enu)
%!error id=velomap:option velomap ("x.png", enu, "tool", "matplotlib")
%!error id=velomap:option velomap ("x.png", enu, "positions", {1, 2})
%!error <writing '/dev/full' failed> writevelo ("/dev/full", enu)
%!error id=writevelo:notenu writevelo ("x.txt", setfield (enu, "sn", complex (enu.sn, 1)))

## Empty results are refused by the plots, written as a header by writevelo.
%!test
%! none = enu;
%! for f = {"name", "lat", "lon", "ve", "vn", "se", "sn", "rho_en", "smaj", "smin", "azim"}
%!   none.(f{1}) = none.(f{1})([]);
%! endfor
%! fail ("velomap (fullfile (dir, 'none.png'), none)", "velomap: ENU holds no station");
%! fail ("plotvelo (none)", "plotvelo: ENU holds no station");
%! writevelo (fullfile (dir, "none.txt"), none);
%! assert (numel (strsplit (strtrim (fileread (fullfile (dir, "none.txt"))), "\n")), 1);

## Names from the file never reach the shell: a reference station without a
## velocity group whose name holds quotes and a command.
%!test
%! if (system ("gmt --version > /dev/null 2>&1") != 0)
%!   return;
%! endif
%! marker = fullfile (dir, "ran");
%! odd = enu;
%! odd.reference = 0;
%! odd.refname = sprintf ("';touch %s;'", marker);
%! odd.reflat = enu.lat(1) + 0.5;
%! odd.reflon = enu.lon(1) + 0.5;
%! velomap (fullfile (dir, "odd.png"), odd, "tool", "gmt");
%! assert (! exist (marker, "file"));

## The lean tests inside writevelo.m (devices, names with wildcards, a full
## disk), as pkg test runs them.
%!test
%! [n, total] = test ("writevelo", "quiet", stdout);
%! assert (n, total);

%!test
%! confirm_recursive_rmdir (false, "local");
%! rmdir (dir, "s");
