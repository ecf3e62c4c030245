## End-to-end checks of the example job: the bundled solution read and
## turned into east/north/up with velsol2enu, the map, and the generator
## that wrote the solution.

## The blocks run inside a function that test() generates, where mfilename
## names that function rather than this file, so examples/ is found from
## the source folder that run_one.m passes.
%!shared examples, mexdir, gensol, sol
%! examples = canonicalize_file_name (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "examples"));
%! assert (! isempty (examples), "examples/ not found from GEOMEX_SOURCE_DIR");
%! addpath (examples);
%! mexdir = fileparts (which ("tosqumg"));
%! gensol = fullfile (fileparts (mexdir), "tools", "gensol");
%! sol = fullfile (examples, "example.sol");

## The bundled solution: the table's stations and values, checked by hand
## against the file's own records.
%!test
%! text = evalc ("r = velocity_report (sol);");
%! lines = strsplit (fileread (sol), "\n");
%! nvec = floor (str2double (lines{1}(2:5)) / 3);
%! refsta = lines{1}(6:13);
%! names = cellfun (@(s) s(1:8), lines(2:nvec + 2), "uniformoutput", false);
%! refind = find (strcmp (names, refsta));
%! assert (numel (refind), 1);
%! ## Every group but the reference's, in file order.
%! assert (r.name', names(setdiff (1:nvec, refind)));
%! assert (r.posonly, nvec + 1);
%!
%! ## Station 1 by hand: its parameter records and its position.
%! p = @(k) str2double (lines{nvec + 2 + k}(26:47));
%! v = [p(1); p(2); p(3)];
%! la = r.lat(1); lo = r.lon(1);
%! east = -sind (lo) * v(1) + cosd (lo) * v(2);
%! north = -sind (la) * cosd (lo) * v(1) - sind (la) * sind (lo) * v(2) + cosd (la) * v(3);
%! up = cosd (la) * cosd (lo) * v(1) + cosd (la) * sind (lo) * v(2) + sind (la) * v(3);
%! assert ([r.ve(1); r.vn(1); r.vu(1)], [east; north; up], 1e-15);
%! sig = @(k) str2double (lines{nvec + 2 + k}(54:74));
%! assert (trace (r.cov(1:3, 1:3)), sig(1)^2 + sig(2)^2 + sig(3)^2, 1e-15);
%! a = 6378137; f = 1 / 298.257223563; e2 = 2 * f - f^2;
%! n = a / sqrt (1 - e2 * sind (la)^2); h = r.height(1);
%! xyz = [(n + h) * cosd(la) * cosd(lo); (n + h) * cosd(la) * sind(lo);
%!        (n * (1 - e2) + h) * sind(la)];
%! rec = lines{2};
%! assert (xyz, str2double ({rec(9:27); rec(28:46); rec(47:65)}), 1e-3);
%!
%! ## The stations move with the Eurasian plate: east/north within 2 mm/yr
%! ## of its rotation at their positions, up near 0.
%! w = [-0.085; -0.531; 0.770] * pi / 180 / 3600 / 1000;
%! for c = 1:numel (r.name)
%!   la = r.lat(c); lo = r.lon(c);
%!   R = [-sind(lo), cosd(lo), 0; -sind(la)*cosd(lo), -sind(la)*sind(lo), cosd(la);
%!        cosd(la)*cosd(lo), cosd(la)*sind(lo), sind(la)];
%!   model = 1e3 * R * cross (w, 6.37e6 * R(3, :)');
%!   assert (1e3 * [r.ve(c); r.vn(c)], model(1:2), 2);
%!   assert (abs (1e3 * r.vu(c)) < 5);
%! endfor
%!
%! ## The table: one line per station record, values as computed.
%! row = regexp (text, ["(?m)^", r.name{1}, ".*$"], "match", "once");
%! assert (! isempty (strfind (row, sprintf ("%8.2f %8.2f %8.2f %8.2f %7.1f", 1e3 * r.ve(1), ...
%!                                           1e3 * r.vn(1), 1e3 * r.smaj(1), 1e3 * r.smin(1), r.azim(1)))));
%! assert (numel (regexp (text, "(?m)^[A-Z]{4}    ")), nvec + 1);
%! ref = regexp (text, ["(?m)^", refsta, ".*$"], "match", "once");
%! assert (! isempty (strfind (ref, "reference station")));

## The script as demo.sh runs it, in a fresh octave-cli: default solution,
## and a map wherever gnuplot can draw.
%!test
%! octave = fullfile (OCTAVE_HOME (), "bin", "octave-cli");
%! if (! exist (octave, "file"))
%!   octave = "octave-cli";
%! endif
%! png = [tempname(), ".png"];
%! unwind_protect
%!   [status, out] = system (sprintf ('"%s" --no-history --no-init-file --no-window-system "%s" "%s" "" "%s" 2>&1', ...
%!                                    octave, fullfile (examples, "run_example.m"), mexdir, png));
%!   assert (status == 0, "run_example.m failed:\n%s", out);
%!   assert (! isempty (strfind (out, "Solution example.sol")), "%s", out);
%!   assert (! isempty (strfind (out, "reference station: velocity removed")), "%s", out);
%!   if (system ("gmt --version > /dev/null 2>&1") == 0
%!       || system ("gnuplot --version > /dev/null 2>&1") == 0)
%!     assert (! isempty (strfind (out, ["map written to ", png])), "%s", out);
%!     fid = fopen (png, "r");
%!     magic = fread (fid, 8, "uint8=>uint8")';
%!     fclose (fid);
%!     assert (magic, uint8 ([137, 80, 78, 71, 13, 10, 26, 10]));
%!   else
%!     assert (! isempty (strfind (out, "map skipped")), "%s", out);
%!   endif
%! unwind_protect_cleanup
%!   if (exist (png, "file"))
%!     delete (png);
%!   endif
%! end_unwind_protect

## Generated solutions with the reference station first, inside the list,
## and as the extra record without parameters: tosqumg reads them whole and
## the report lines velocities up with their stations.
%!test
%! if (! exist (gensol, "file"))
%!   warning ("gensol not built beside the modules (%s): skipped", gensol);
%!   return;
%! endif
%! dir = tempname ();
%! mkdir (dir);
%! unwind_protect
%!   for nk = [1, 1; 1, 2; 4, 5; 6, 2; 40, 21]'
%!     [N, K] = deal (nk(1), nk(2));
%!     file = fullfile (dir, sprintf ("s%d_%d.sol", N, K));
%!     assert (system (sprintf ('"%s" --stations %d --ref %d --seed 11 --out "%s"', ...
%!                              gensol, N, K, file)), 0);
%!     evalc ("r = velocity_report (file);");
%!     nvel = N - (K <= N);
%!     assert (numel (r.name), nvel);
%!     assert (numel (r.posonly), N - nvel);
%!     assert (all (r.lat >= 36 & r.lat <= 64 & r.lon >= -9 & r.lon <= 28));
%!     speed = 1e3 * hypot (r.ve, r.vn);
%!     assert (all (speed > 10 & speed < 35));
%!     sig = 1e3 * r.sol.sigma(:);
%!     assert (all (sig >= 0.1 & sig <= 2));
%!   endfor
%!   ## Equal seeds, equal files; another seed, another file.
%!   a = fullfile (dir, "a.sol"); b = fullfile (dir, "b.sol");
%!   system (sprintf ('"%s" --stations 3 --seed 5 --out "%s"', gensol, a));
%!   system (sprintf ('"%s" --stations 3 --seed 5 --out "%s"', gensol, b));
%!   assert (fileread (a), fileread (b));
%!   system (sprintf ('"%s" --stations 3 --seed 6 --out "%s"', gensol, b));
%!   assert (! strcmp (fileread (a), fileread (b)));
%!   ## Out-of-range requests are refused, not written.
%!   for args = {"--stations 0", "--stations 3334", "--stations 3 --ref 5", ...
%!               "--stations 3 --seed -1", "--ref 2"}
%!     [st, ~] = system (sprintf ('"%s" %s 2>&1', gensol, args{1}));
%!     assert (st == 2, "gensol %s: exit status %d", args{1}, st);
%!   endfor
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (dir, "s");
%! end_unwind_protect

## Files the report cannot line up are refused with a reason rather than
## printed with velocities at the wrong stations.
%!error <cannot open file> velocity_report ("/nonexistent/example.sol")
%!test
%! lines = strsplit (fileread (sol), "\n");
%! dir = tempname ();
%! mkdir (dir);
%! unwind_protect
%!   ## The reference's station record moved away from its parameter group:
%!   ## tosqumg would drop the covariance rows of another group; the report
%!   ## pairs groups with stations by name and is not misled.
%!   nvec = floor (str2double (lines{1}(2:5)) / 3);
%!   refind = find (strcmp (cellfun (@(s) s(1:8), lines(2:nvec + 2), "uniformoutput", false), ...
%!                          lines{1}(6:13)));
%!   bad = lines; bad(refind + [0, 1]) = lines(refind + [1, 0]);
%!   file = fullfile (dir, "swapped.sol");
%!   fid = fopen (file, "w"); fprintf (fid, "%s\n", bad{:}); fclose (fid);
%!   err = "";
%!   try
%!     evalc ("velocity_report (file);");
%!   catch e
%!     err = e.message;
%!   end_try_catch
%!   assert (isempty (err), "%s", err);  # groups are paired with stations by name
%!   ## A reference station that no record carries.
%!   bad = lines; bad{1}(6:13) = "NOSUCH  ";
%!   file = fullfile (dir, "noref.sol");
%!   fid = fopen (file, "w"); fprintf (fid, "%s\n", bad{:}); fclose (fid);
%!   err = "";
%!   try
%!     evalc ("velocity_report (file);");
%!   catch e
%!     err = e.message;
%!   end_try_catch
%!   assert (! isempty (strfind (err, "NOSUCH")), "%s", err);
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (dir, "s");
%! end_unwind_protect
