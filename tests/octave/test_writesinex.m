## writesinex read back by readsinex: fixed-column solutions converted,
## SINEX solutions rewritten, its errors; and readsinex on a real file
## written by another program (tests/data/sinex/README.md).

%!shared src, dir, gensol, gensnx
%! src = getenv ("GEOMEX_SOURCE_DIR");
%! addpath (fullfile (src, "tests", "octave"));
%! dir = tempname ();
%! mkdir (dir);
%! build = fileparts (fileparts (which ("readsinex")));
%! gensol = fullfile (build, "tools", "gensol");
%! gensnx = fullfile (build, "tools", "gensnx");

## Fixed-column files of 1 to 40 stations (the reference anywhere, so some
## station records have no group) -> readvelsol -> writesinex -> readsinex:
## the same names, velocities and covariance to the 15 digits written, the
## positions, and the records without a group as rows with a position only.
%!test
%! for k = 1:12
%!   n = 1 + mod (7 * k, 40);
%!   f = fullfile (dir, "g.sol");
%!   s = fullfile (dir, "g.snx");
%!   ref = 1 + mod (3 * k, n + 1);
%!   assert (system (sprintf ('"%s" --stations %d --seed %d --ref %d --out "%s"', gensol, n, k, ref, f)), 0);
%!   sol = readvelsol (f);
%!   writesinex (s, sol, "epoch", [2015, 1, 0]);
%!   snx = readsinex (s);
%!   has = all (isfinite (snx.vel), 2);
%!   assert (nnz (has), n);
%!   assert (snx.station(has), strtrim (sol.site));
%!   assert (snx.vel(has, :), sol.vel, 5e-15 * max (abs (sol.vel(:))));
%!   rows = reshape ((3 * find (has) - [2, 1, 0])', [], 1);
%!   assert (snx.cov(rows, rows), sol.cov, 5e-15 * max (abs (sol.cov(:))));
%!   [~, at] = ismember (snx.station, strtrim (sol.station));
%!   assert (all (at > 0) && numel (snx.station) == numel (unique (sol.station)));
%!   assert (snx.xyz, sol.xyz(at, :), 1e-8);
%!   assert (snx.epoch, repmat ([2015, 1, 0], numel (at), 1));
%!   assert (all (snx.sxyz(:) == 0));
%! endfor

## A readsinex result written and read back gives every field again, bit
## for bit (15 digits read and written again are the same text): a
## generated frame solution with positions, velocities and their cross
## terms, and the real file below, positions only.
%!test
%! f = fullfile (dir, "n.snx");
%! assert (system (sprintf ('"%s" --stations 7 --seed 4 --out "%s"', gensnx, f)), 0);
%! for file = {f, fullfile(src, "tests", "data", "sinex", "STR1AUSPOS.SNX")}
%!   a = readsinex (file{1});
%!   g = fullfile (dir, "again.snx");
%!   writesinex (g, a);
%!   b = readsinex (g);
%!   for name = {"station", "point", "soln", "domes", "description", "epoch", "valid", ...
%!               "xyz", "sxyz", "llh", "vel", "sigma", "cov", "poscov", "matrix", ...
%!               "matrixtype", "varfactor", "start", "end", "technique"}
%!     assert (isequaln (b.(name{1}), a.(name{1})), "field %s differs for %s", name{1}, file{1});
%!   endfor
%! endfor

## Site codes: the first four characters, or the 'codes' option; several
## groups of one name become solutions 1, 2 of one site.
%!test
%! sol = make_velsol ([50, 10, 0; 51, 11, 0; 52, 12, 0], 0.01 * ones (3, 3), 1);
%! sol.station = {"ABCD1234"; "ABCD5678"; "XY      "};
%! sol.site = {"ABCD1234"; "XY      "; "XY      "};
%! f = fullfile (dir, "c.snx");
%! fail ("writesinex (f, sol, 'epoch', [2020 1 0])", ...
%!       "stations 'ABCD1234' and 'ABCD5678' would share the site code 'ABCD'");
%! writesinex (f, sol, "epoch", [2020, 1, 0], "codes", {"AB12", "AB56", "XY"});
%! snx = readsinex (f);
%! assert (snx.station, {"AB12"; "XY"; "XY"; "AB56"});
%! assert (snx.soln, {"1"; "1"; "2"; "1"});
%! assert (snx.vel(1:3, :), sol.vel, 1e-16);
%! assert (isnan (snx.vel(4, :)));

## Errors; nothing is written before every check passed.
%!shared src, dir, gensol, gensnx, sol, bad, f
%! src = getenv ("GEOMEX_SOURCE_DIR");
%! addpath (fullfile (src, "tests", "octave"));
%! dir = tempname ();
%! mkdir (dir);
%! sol = make_velsol ([50, 10, 0; 51, 11, 0], 0.01 * ones (2, 3), 1);
%! bad = sol;
%! bad.cov(2, 1) = NaN;
%! f = fullfile (dir, "e.snx");
%!error id=writesinex:usage writesinex ("x.snx")
%!error id=writesinex:notsol writesinex (f, struct ("a", 1))
%!error <a readvelsol result has no epoch> writesinex (f, sol)
%!error id=writesinex:option writesinex (f, sol, "epoch", [2015, 400, 0])
%!error <unknown option 'colour'> writesinex (f, sol, "epoch", [2015, 1, 0], "colour", 1)
%!error id=writesinex:value writesinex (f, bad, "epoch", [2015, 1, 0])
%!assert (! exist (f, "file"))
%!error <cannot write .*No such file or directory> writesinex (fullfile (dir, "no", "such.snx"), sol, "epoch", [2015, 1, 0])
## A full disk: the end of the file, still in the stream's buffer, fails
## when it is flushed.
%!error <writing '/dev/full' failed: No space left on device> writesinex ("/dev/full", sol, "epoch", [2015, 1, 0])

## A real file written by another program (Bernese 5.2, see
## tests/data/sinex/README.md): values read by hand from its text.
%!test
%! a = readsinex (fullfile (src, "tests", "data", "sinex", "STR1AUSPOS.SNX"));
%! assert ({a.version, a.agency, a.dataagency, a.technique, a.contents}, ...
%!         {"2.01", "XYZ", "IGS", "P", "S"});
%! assert ([a.created; a.start; a.end], [2025, 335, 1280; 2025, 333, 0; 2025, 333, 86370]);
%! assert (a.varfactor, 2.542769992487420);
%! assert (numel (a.estimate.index), 45);
%! assert (a.estimate.constraint([1, 4, 28]), [0; 1; 2]);
%! assert (numel (a.station), 15);
%! assert (a.station([1, 10, 15]), {"ALIC"; "STR1"; "WLMD"});
%! assert (a.domes{2}, "AUM000200");
%! assert (a.description{10}, "STR1 50119M002");
%! assert (a.xyz(10, :), [-.446710341345650E+07, 0.268303948291627E+07, -.366694848486371E+07]);
%! assert (a.sxyz(10, :), [.138818E-02, .104936E-02, .114659E-02]);
%! assert (a.epoch(10, :), [2025, 333, 43200]);
%! assert (a.valid(10, :), [2025, 333, 0, 2025, 333, 86370]);
%! assert (all (isnan (a.vel(:))));
%! assert (a.matrixtype, "COVA");
%! assert (size (a.matrix), [45, 45]);
%! assert ([a.matrix(2, 1), a.matrix(1, 2), a.matrix(45, 43), a.matrix(1, 45), a.matrix(30, 30)], ...
%!         [-0.12446803211099E-05, -0.12446803211099E-05, 0.10628761159766E-05, ...
%!          0.20499341026237E-06, 0.13146635319986E-05]);
%! assert (a.poscov(28:30, 28:30), a.matrix(28:30, 28:30));
