## End-to-end checks of the example job: the bundled solution read by
## tosqumg, rotated to east/north/up and fed to brisol, and the generator
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

## The bundled solution: station order, velocities in east/north/up, and
## ellipses that belong to the east/north blocks.
%!test
%! text = evalc ("r = velocity_report (sol);");
%! lines = strsplit (fileread (sol), "\n");
%! nvec = floor (str2double (lines{1}(2:5)) / 3);
%! refsta = lines{1}(6:13);
%! names = cellfun (@(s) s(1:8), lines(2:nvec + 2), "uniformoutput", false);
%! refind = find (strcmp (names, refsta));
%! assert (numel (refind), 1);
%! assert (r.nvec, nvec);
%! assert (r.nvel, nvec - (refind <= nvec));
%! ## llh order: file order without the reference station, then it.
%! assert (r.name, [names(setdiff (1:nvec + 1, refind)), names(refind)]);
%! assert (r.kind{end}, "reference");
%!
%! ## Station 1 by hand: its parameter records and its position.
%! p = @(k) str2double (lines{nvec + 2 + k}(26:47));
%! v = 1e3 * [p(1); p(2); p(3)];
%! assert (1e3 * r.vel(:, 1), v, 1e-12);
%! la = r.lat(1); lo = r.lon(1);
%! east = -sind (lo) * v(1) + cosd (lo) * v(2);
%! north = -sind (la) * cosd (lo) * v(1) - sind (la) * sind (lo) * v(2) + cosd (la) * v(3);
%! up = cosd (la) * cosd (lo) * v(1) + cosd (la) * sind (lo) * v(2) + sind (la) * v(3);
%! assert (r.venu(:, 1), [east; north; up], 1e-12);
%! sig = @(k) str2double (lines{nvec + 2 + k}(54:74));
%! C = 1e6 * r.outcov(1:3, 1:3);
%! assert (sqrt (diag (C)), 1e3 * [sig(1); sig(2); sig(3)], 1e-12);
%! E = [-sind(lo); cosd(lo); 0];
%! N = [-sind(la) * cosd(lo); -sind(la) * sind(lo); cosd(la)];
%! assert (r.cenu(1:2, 1:2, 1), [E'; N'] * C * [E, N], 1e-12);
%! a = 6378137; f = 1 / 298.257223563; e2 = 2 * f - f^2;
%! n = a / sqrt (1 - e2 * sind (la)^2); h = r.height(1);
%! xyz = [(n + h) * cosd(la) * cosd(lo); (n + h) * cosd(la) * sind(lo);
%!        (n * (1 - e2) + h) * sind(la)];
%! rec = lines{2};
%! assert (xyz, str2double ({rec(9:27); rec(28:46); rec(47:65)}), 1e-3);
%!
%! for c = 1:r.nvel
%!   ## A rotation keeps lengths and the trace of the covariance.
%!   assert (norm (r.venu(:, c)), 1e3 * norm (r.vel(:, c)), 1e-9);
%!   k = 3*c-2:3*c;
%!   assert (trace (r.cenu(:, :, c)), 1e6 * trace (r.outcov(k, k)), 1e-9);
%!   ## The ellipse is that of the east/north block, east first: axes from
%!   ## its eigenvalues, azimuth of the major eigenvector clockwise from
%!   ## north (brisol works in single precision).
%!   [V, D] = eig (r.cenu(1:2, 1:2, c));
%!   [lmax, i] = max (diag (D));
%!   assert (r.smaj(c), 2.448 * sqrt (lmax), 1e-5);
%!   assert (r.smin(c), 2.448 * sqrt (min (diag (D))), 1e-5);
%!   az = mod (atan2d (V(1, i), V(2, i)), 180);
%!   assert (mod (r.azim(c) - az + 90, 180) - 90, 0, 1e-3);
%! endfor
%!
%! ## The stations move with the Eurasian plate: east/north within 2 mm/yr
%! ## of its rotation at the position of the same llh column, up near 0.
%! w = [-0.085; -0.531; 0.770] * pi / 180 / 3600 / 1000;
%! for c = 1:r.nvel
%!   la = r.lat(c); lo = r.lon(c);
%!   R = [-sind(lo), cosd(lo), 0; -sind(la)*cosd(lo), -sind(la)*sind(lo), cosd(la);
%!        cosd(la)*cosd(lo), cosd(la)*sind(lo), sind(la)];
%!   x = 6.37e6 * R(3, :)';
%!   model = 1e3 * R * cross (w, x);
%!   assert (r.venu(1:2, c), model(1:2), 2);
%!   assert (abs (r.venu(3, c)) < 5);
%! endfor
%!
%! ## The table: one line per station, values as computed.
%! row = regexp (text, ["(?m)^", r.name{1}, ".*$"], "match", "once");
%! assert (! isempty (strfind (row, sprintf ("%8.2f %8.2f", r.venu(1, 1), r.venu(2, 1)))));
%! assert (! isempty (strfind (row, sprintf ("%7.1f", r.azim(1)))));
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
%!   if (system ("gnuplot --version > /dev/null 2>&1") == 0)
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
%!     assert ([r.nvec, r.nvel, numel(r.name)], [N, nvel, N + 1]);
%!     assert (nnz (r.vel(:, nvel + 1:end)), 0);
%!     assert (all (all (r.vel(:, 1:nvel) != 0)));
%!     C = r.outcov(1:3 * nvel, 1:3 * nvel);
%!     assert (C, C');
%!     if (nvel > 0)
%!       [~, notpd] = chol (C);
%!       assert (notpd, 0);
%!     endif
%!     assert (nnz (r.outcov) - nnz (C), 0);
%!     sig = 1e3 * sqrt (diag (C));
%!     assert (all (sig >= 0.1 & sig <= 2));
%!     assert (all (r.lat >= 36 & r.lat <= 64 & r.lon >= -9 & r.lon <= 28));
%!     assert (all (r.height >= -50 - 1e-3 & r.height <= 3000 + 1e-3));
%!     speed = sqrt (sum (r.venu(1:2, :).^2));
%!     assert (all (speed > 10 & speed < 35));
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
%!error <cannot read> velocity_report ("/nonexistent/example.sol")
%!test
%! lines = strsplit (fileread (sol), "\n");
%! dir = tempname ();
%! mkdir (dir);
%! unwind_protect
%!   ## Station records 1 and 2 swapped: parameter groups no longer match.
%!   bad = lines; bad([2, 3]) = lines([3, 2]);
%!   file = fullfile (dir, "swapped.sol");
%!   fid = fopen (file, "w"); fprintf (fid, "%s\n", bad{:}); fclose (fid);
%!   err = "";
%!   try
%!     evalc ("velocity_report (file);");
%!   catch e
%!     err = e.message;
%!   end_try_catch
%!   assert (! isempty (regexp (err, "parameter group 1 .* station record 1", "once")), "%s", err);
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
