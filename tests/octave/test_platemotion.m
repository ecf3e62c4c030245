## Plate motion: eulerpole against a generalized least squares written
## out here, its confidence regions over many draws, platevel against
## omega x r resolved by hand, platemodel against the papers' tables,
## readvelo on malformed lines and round trips, and the refusals.

## Independent pieces: position on WGS 84 and the local frame, written
## without the toolbox's helpers.
%!function [r, E] = frame (lat, lon)
%!  a = 6378137; f = 1 / 298.257223563; e2 = 2 * f - f^2;
%!  N = a / sqrt (1 - e2 * sind (lat)^2);
%!  r = [N * cosd(lat) * cosd(lon); N * cosd(lat) * sind(lon); N * (1 - e2) * sind(lat)];
%!  E = [-sind(lon), cosd(lon), 0;
%!       -sind(lat) * cosd(lon), -sind(lat) * sind(lon), cosd(lat);
%!       cosd(lat) * cosd(lon), cosd(lat) * sind(lon), sind(lat)];
%!endfunction

## East/north/up (m/yr) of omega (mas/yr) x r plus t (mm/yr).
%!function v = motion (lat, lon, w, t)
%!  [r, E] = frame (lat, lon);
%!  v = E * (cross (w(:) * pi / 180 / 3600e3, r) + 1e-3 * t(:));
%!endfunction

## A synthetic enu struct of stations LAT, LON moving with plates W (rows)
## as LABEL says, plus translation T, with noise of covariance C (3m x 3m).
%!function enu = field (lat, lon, label, w, t, C, noise)
%!  m = numel (lat);
%!  v = zeros (3 * m, 1);
%!  for i = 1:m
%!    v(3 * i - 2:3 * i) = motion (lat(i), lon(i), w(label(i), :), t);
%!  endfor
%!  v += chol (C, "lower") * noise;
%!  enu = struct ("name", {arrayfun(@(i) sprintf ("S%03d", i), (1:m)', "uniformoutput", false)},
%!                "lat", lat(:), "lon", lon(:), "height", zeros (m, 1),
%!                "ve", v(1:3:end), "vn", v(2:3:end), "vu", v(3:3:end), "cov", C,
%!                "se", sqrt (diag (C)(1:3:end)), "sn", sqrt (diag (C)(2:3:end)),
%!                "rho_en", zeros (m, 1), "smaj", zeros (m, 1), "smin", zeros (m, 1),
%!                "azim", zeros (m, 1), "confidence", 0.95, "refname", "", "reflat", NaN,
%!                "reflon", NaN, "reference", 0, "relative", false);
%!endfunction

## A random positive definite covariance: common-mode terms plus noise,
## about a mm/yr.
%!function C = random_cov (m)
%!  G = 5e-4 * randn (3 * m, 5);
%!  C = G * G' + diag (2e-7 + 1e-6 * rand (3 * m, 1));
%!  C = (C + C') / 2;
%!endfunction

## Two plates and a translation with correlated noise: eulerpole's
## estimate, covariance and chi-square are those of the GLS written out,
## for each weighting.
%!test
%! randn ("state", 11); rand ("state", 11);
%! m = 30;
%! lat = [40 + 15 * rand(20, 1); -30 + 10 * rand(10, 1)];
%! lon = [-5 + 35 * rand(20, 1); 120 + 25 * rand(10, 1)];
%! label = [ones(20, 1); 2 * ones(10, 1)];
%! w = [-0.085, -0.519, 0.753; 1.487, 1.175, 1.223];
%! C = random_cov (m);
%! enu = field (lat, lon, label, w, [0.4, -0.3, 0.7], C, randn (3 * m, 1));
%! names = {"EU"; "AU"};
%! ## The design by differences of predictions for unit unknowns.
%! A = zeros (3 * m, 9);
%! for i = 1:m
%!   for j = 1:3
%!     A(3 * i - 2:3 * i, 3 * label(i) - 3 + j) = motion (lat(i), lon(i), (1:3) == j, [0 0 0]);
%!     A(3 * i - 2:3 * i, 6 + j) = motion (lat(i), lon(i), [0 0 0], (1:3) == j);
%!   endfor
%! endfor
%! h = sort ([1:3:3 * m, 2:3:3 * m])';
%! y = [enu.ve, enu.vn]'(:);
%! blocks = kron (eye (m), ones (2)) != 0;
%! for weights = {"full", "stations", "sigmas"}
%!   Ch = C(h, h);
%!   if (strcmp (weights{1}, "stations"))
%!     Ch(! blocks) = 0;
%!   elseif (strcmp (weights{1}, "sigmas"))
%!     Ch = diag (diag (Ch));
%!   endif
%!   W = inv (Ch);
%!   N = A(h, :)' * W * A(h, :);
%!   x = N \ (A(h, :)' * W * y);
%!   res = y - A(h, :) * x;
%!   p = eulerpole (enu, "plate", names(label), "origin", true, "weights", weights{1});
%!   assert (p.plate, names);
%!   assert ([p.omega(:); p.origin(:)], x([1 4 2 5 3 6 7 8 9]), 1e-9 * norm (x));
%!   assert (p.cov, inv (N), 1e-8 * norm (inv (N)));
%!   assert (p.chi2, res' * W * res, 1e-8 * p.chi2);
%!   assert (p.dof, 2 * m - 9);
%!   ## Residuals of every row, observed minus predicted; normalised by
%!   ## the residuals' own standard deviations.
%!   assert ([p.residual.ve, p.residual.vn]'(:), res, 1e-12);
%!   Qr = diag (Ch - A(h, :) * inv (N) * A(h, :)');
%!   assert (p.nres', reshape (res ./ sqrt (Qr), 2, []), 1e-6);
%! endfor
%! ## 'scale' multiplies by sigma0^2; excluded rows keep residuals.
%! q = eulerpole (enu, "plate", names(label), "origin", true, "scale", true, "exclude", [3, 25]);
%! assert (q.used, ! ismember ((1:m)', [3, 25]));
%! r = eulerpole (enu, "plate", names(label), "origin", true, "exclude", [3, 25]);
%! assert (q.cov, r.cov * r.sigma0^2, 1e-12 * norm (q.cov));
%! assert (q.nres, r.nres);
%! ## Labels that differ only by case are two plates, each with its own
%! ## residuals.
%! case2 = names(label); case2(label == 2) = {"eu"};
%! p2 = eulerpole (enu, "plate", case2, "origin", true, "exclude", [3, 25]);
%! assert (p2.omega, r.omega, 1e-12);
%! assert ([p2.residual.ve, p2.residual.vn], [r.residual.ve, r.residual.vn], 1e-15);
%! assert (q.residual.ve(3), enu.ve(3) - motion (lat(3), lon(3), q.omega(1, :), q.origin)(1), 1e-15);

## Over many draws of correlated noise the true pole falls inside the 95 %
## error ellipse, and the true rate within 1.96 srate, about 95 % of the
## time; the mean chi-square is the degrees of freedom.
%!test
%! randn ("state", 3); rand ("state", 3);
%! m = 8;
%! lat = 35 + 30 * rand (m, 1);  lon = -10 + 50 * rand (m, 1);
%! w = [-0.085, -0.519, 0.753];
%! C = random_cov (m);
%! truth = [atan2d(w(3), hypot (w(1), w(2))), atan2d(w(2), w(1)), norm(w) / 3.6];
%! n = 400;
%! [inside, rate_ok, chi2] = deal (zeros (n, 1));
%! k = sqrt (-2 * log (0.05));
%! for d = 1:n
%!   p = eulerpole (field (lat, lon, ones (m, 1), w, [0 0 0], C, randn (3 * m, 1)));
%!   ## The true pole's offset east and north of the estimate, degrees of arc.
%!   off = [(truth(2) - p.lon) * cosd(p.lat), truth(1) - p.lat];
%!   u = [sind(p.azim), cosd(p.azim)];
%!   a = off * u';
%!   b = off * [u(2); -u(1)];
%!   inside(d) = (a / p.smaj)^2 + (b / p.smin)^2 <= 1;
%!   rate_ok(d) = abs (p.rate - truth(3)) <= 1.96 * p.srate;
%!   chi2(d) = p.chi2;
%! endfor
%! assert (mean (inside), 0.95, 0.03);
%! assert (mean (rate_ok), 0.95, 0.03);
%! assert (mean (chi2), 2 * m - 3, 0.1 * (2 * m - 3));

## The ITRF2020 model's own velocities at sites on three plates, with
## noise at its fit's level (0.2 mm/yr), fitted together with an origin
## rate: the published poles and ORB come back within three standard
## deviations.  (The paper's site velocities are not public as a table:
## the model's prediction stands in for them.)
%!test
%! rand ("state", 5); randn ("state", 5);
%! model = platemodel ("ITRF2020-PMM", {"EURA", "NOAM", "PCFC"});
%! boxes = [40, 60, 0, 40; 30, 50, -110, -75; -25, 25, -175, -140];
%! lat = lon = []; label = {};
%! for j = 1:3
%!   lat = [lat; boxes(j, 1) + (boxes(j, 2) - boxes(j, 1)) * rand(40, 1)];
%!   lon = [lon; boxes(j, 3) + (boxes(j, 4) - boxes(j, 3)) * rand(40, 1)];
%!   label = [label; repmat(model.plate(j), 40, 1)];
%! endfor
%! obs = platevel (model, lat, lon, "plate", label);
%! obs.ve += 2e-4 * randn (120, 1);
%! obs.vn += 2e-4 * randn (120, 1);
%! obs.cov = 4e-8 * eye (360);
%! obs.se(:) = 2e-4; obs.sn(:) = 2e-4;
%! fit = eulerpole (obs, "plate", label, "origin", true);
%! assert (fit.plate, model.plate);
%! d = [fit.omega'(:); fit.origin(:)] - [model.omega'(:); model.origin(:)];
%! assert (abs (d) < 3 * sqrt (diag (fit.cov)));

## Real velocities (EPN solution C2385 in IGS20, aligned with ITRF2020;
## tests/data/velocities/README.md): the published Eurasia pole predicts
## the three stable stations to 0.4 mm/yr, twice the model's own scatter
## there (EURA WRMS 0.19 E, 0.21 N; measured 0.31), and the pole fitted
## to them agrees with it.  ITRF2020 velocities are omega x r plus the
## ORB, so the ORB comes off before the fit.  The published sigmas
## (0.1 mm/yr) are formal; a stable site departs from a rigid plate by
## about the WRMS, 0.2 mm/yr, added in quadrature.  The difference
## (measured 0.044, 0.007, 0.045 mas/yr, against 0.01 between frames:
## three stations pin the rotation about their centroid loosely) is then
## inside the 99 % region of the fit's and the model's covariance
## (chi-square 4.6, 3 dof, limit 11.34; east and north swapped: 2078).
## The fit leaves the stable stations within 0.13 mm/yr; Novi Pazar
## (Balkans) and Matera (Adria), left out, move relative to Eurasia
## (measured 1.4 and 4.2 mm/yr).
%!test
%! enu = readvelo (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "tests", "data", "velocities",
%!                           "epn_c2385_igs20.txt"));
%! eura = platemodel ("ITRF2020-PMM", "EURA");
%! pred = platevel (eura, enu);
%! stable = 1:3;
%! assert (abs ([enu.ve, enu.vn] - [pred.ve, pred.vn])(stable, :) < 4e-4);
%! orb = platevel (eura, enu, "origin", false);
%! enu.ve -= pred.ve - orb.ve;
%! enu.vn -= pred.vn - orb.vn;
%! enu.se = hypot (enu.se, 2e-4);
%! enu.sn = hypot (enu.sn, 2e-4);
%! fit = eulerpole (enu, "weights", "sigmas", "exclude", [4, 5]);
%! d = fit.omega - eura.omega;
%! assert (d / (fit.cov + eura.cov(1:3, 1:3)) * d' < 11.34);
%! moved = hypot (fit.residual.ve, fit.residual.vn);
%! assert (all (moved(stable) < 2e-4) && all (moved(4:5) > 1e-3));

## platevel: omega x r resolved into east, north and up, with the origin
## rate, everywhere on the globe (poles and antimeridian included), and
## the covariance propagated from the pole's.
%!test
%! rand ("state", 7);
%! lat = [90; -90; 0; 45; -60 + 120 * rand(40, 1)];
%! lon = [0; 180; -180; 179.999; -180 + 360 * rand(40, 1)];
%! w = [0.3, -1.1, 0.6]; t = [0.37, 0.35, 0.74];
%! P = diag ([1e-4, 2e-4, 3e-4, 0.01, 0.02, 0.03]); P(1, 2) = P(2, 1) = 5e-5;
%! pole = struct ("plate", {{"X"}}, "omega", w, "origin", t, "cov", P);
%! pred = platevel (pole, lat, lon);
%! nopole = platevel (pole, lat, lon, "origin", false);
%! J = zeros (3 * numel (lat), 6);
%! for i = 1:numel (lat)
%!   v = motion (lat(i), lon(i), w, t);
%!   assert ([pred.ve(i); pred.vn(i); pred.vu(i)], v, 1e-17 + 1e-14 * norm (v));
%!   v = motion (lat(i), lon(i), w, [0 0 0]);
%!   assert ([nopole.ve(i); nopole.vn(i); nopole.vu(i)], v, 1e-17 + 1e-14 * norm (v));
%!   for j = 1:3
%!     J(3 * i - 2:3 * i, j) = motion (lat(i), lon(i), (1:3) == j, [0 0 0]);
%!     J(3 * i - 2:3 * i, 3 + j) = motion (lat(i), lon(i), [0 0 0], (1:3) == j);
%!   endfor
%! endfor
%! assert (pred.cov, J * P * J', 1e-12 * max (abs (pred.cov(:))));
%! assert (pred.se, sqrt (diag (pred.cov)(1:3:end)), 1e-18);

## platemodel against the papers' tables: ITRF2020-PMM Table 1 and its
## ORB; NNR-MORVEL56 Tables 1 and 2 (poles, rates and covariances as
## published, 1e-10 rad^2/Myr^2 = 4.25451703e-6 (mas/yr)^2).
%!test
%! p = platemodel ("ITRF2020-PMM", {"EURA", "pcfc", "Antarctica", "CARB"});
%! assert (p.omega, [-0.085, -0.519, 0.753; -0.404, 1.021, -2.154; -0.269, -0.312, 0.678;
%!                   0.207, -1.422, 0.726]);
%! assert (sqrt (diag (p.cov))', [0.003 0.003 0.003 0.003 0.003 0.004 0.003 0.003 0.004 ...
%!                                0.076 0.174 0.061 0.08 0.10 0.09], 1e-15);
%! assert (p.origin, [0.37, 0.35, 0.74]);
%! assert (p.table.rate', [0.255, 0.672, 0.220, 0.447]);
%! assert (p.table.nsites', [143, 20, 15, 5]);
%! assert (p.rate, [0.255; 0.672; 0.220; 0.447], 5e-4);
%! assert (numel (platemodel ("ITRF2020-PMM").plate), 13);
%! q = platemodel ("nnr-morvel56", {"eu", "PA", "NB", "nubia"});
%! assert ([q.lat, q.lon, q.rate], [48.85, -106.50, 0.223; -63.58, 114.70, 0.651;
%!                                  -45.04, 127.64, 0.856; 47.68, -68.44, 0.292], 1e-12);
%! assert (q.plate, {"eu"; "pa"; "NB"; "nb"});
%! s = 1e-10 * (180 / pi * 3.6)^2;
%! assert (q.cov(1:3, 1:3), s * [68, 5, 7; 5, 65, 14; 7, 14, 87], 1e-15);
%! assert (q.cov(4:6, 4:6), s * [43, 31, -5; 31, 245, 8; -5, 8, 72], 1e-15);
%! assert (q.origin, []);
%! assert (numel (platemodel ("NNR-MORVEL56").plate), 56);
%! ## The published rate's 95 % half-width is 1.96 sigma of Table 2.
%! assert (1.96 * q.srate(1:2), [0.009; 0.011], 0.002);

## readvelo (writevelo (enu)) gives back what was written, to the digits
## written; names with blanks and empty names included.
%!test
%! randn ("state", 2); rand ("state", 2);
%! m = 25;
%! enu = field (30 + 20 * rand (m, 1), -170 + 340 * rand (m, 1), ones (m, 1), [0.1, 0.2, 0.3],
%!              [0 0 0], random_cov (m), randn (3 * m, 1));
%! enu.rho_en = 2 * rand (m, 1) - 1;
%! enu.name{3} = "TWO  WORDS";
%! enu.name{4} = "";
%! f = [tempname(), ".txt"];
%! writevelo (f, enu);
%! back = readvelo (f);
%! delete (f);
%! assert (back.name, enu.name);
%! assert ([back.lon, back.lat], [enu.lon, enu.lat], 5e-9);
%! assert (1e3 * [back.ve, back.vn, back.se, back.sn], 1e3 * [enu.ve, enu.vn, enu.se, enu.sn], 5e-5);
%! assert (back.rho_en, enu.rho_en, 5e-7);
%! assert (issparse (back.cov) && all (isnan (back.vu)) && all (isnan (back.su)));
%! ## The plate functions take it as it is: an exact rotation is recovered.
%! back.ve(:) = 0; back.vn(:) = 0;
%! pred = platevel (struct ("plate", {{""}}, "omega", [0.1, 0.2, 0.3], "origin", [], "cov", []), back);
%! back.ve = pred.ve; back.vn = pred.vn;
%! assert (eulerpole (back).omega, [0.1, 0.2, 0.3], 1e-12);
%! assert (eulerpole (back, "weights", "stations").omega, [0.1, 0.2, 0.3], 1e-12);

## Malformed lines: the file, line, field and text in the message.
%!test
%! cases = {"1 2 3 4 5 6\n", "line 1, field 7: missing";
%!          "# c\n\n1 2 3 4 x 6 0 A\n", "line 3, field 5: not a finite number: \"x\"";
%!          "1,2,,4,5,6,0\n", "line 1, field 3: missing";
%!          "1 2 3 4 5 -6 0\n", "field 6: a negative standard deviation: \"-6\"";
%!          "1 2 3 4 5 6 1.5\n", "field 7: a correlation outside -1 to 1";
%!          "1 95 3 4 5 6 0\n", "field 2: a latitude outside -90 to 90";
%!          "1 2 3 4 5 6 0\r\n1 2 3 Inf 5 6 0\r\n", "line 2, field 4: not a finite number: \"Inf\""};
%! f = [tempname(), ".txt"];
%! for i = 1:rows (cases)
%!   fid = fopen (f, "w"); fputs (fid, sprintf (cases{i, 1})); fclose (fid);
%!   try
%!     readvelo (f);
%!     error ("line %d was read", i);
%!   catch err
%!     assert (err.identifier, "readvelo:format");
%!     assert (! isempty (strfind (err.message, cases{i, 2})), "got: %s", err.message);
%!     assert (! isempty (strfind (err.message, f)));
%!   end_try_catch
%! endfor
%! delete (f);
%!error id=readvelo:open readvelo ("/nonexistent/velo.txt")

## Refusals.
%!shared enu, pole
%! lat = [45; 50; 40]; lon = [5; 20; 25];
%! pole = struct ("plate", {{"A"; "B"}}, "omega", [0.1 0.2 0.3; 0.3 0.2 0.1], "origin", [], "cov", []);
%! enu = platevel (pole, lat, lon, "plate", {"A"; "B"; "A"});
%! enu.cov = 1e-6 * eye (9);
%! enu.se(:) = 1e-3; enu.sn(:) = 1e-3;
%!error <plate 'B' has 1 station> eulerpole (enu, "plate", {"A"; "B"; "A"})
%!error id=eulerpole:singular eulerpole (enu, "exclude", [1, 2])
%!error <fails at row 2, station> eulerpole (setfield (enu, "cov", diag ([1 1 1 1 -1 1 1 1 1])))
%!error id=eulerpole:notposdef eulerpole (setfield (enu, "se", [1; 0; 1]), "weights", "sigmas")
%!error id=eulerpole:relative eulerpole (setfield (enu, "relative", true))
%!error id=eulerpole:option eulerpole (enu, "exclude", 4)
%!error id=eulerpole:option eulerpole (enu, "weights", "diagonal")
%!error id=eulerpole:notenu eulerpole (struct ("name", 1))
%!error <POLE has 2 plates> platevel (pole, enu)
%!error <no plate 'C'> platefix (enu, pole, "plate", {"A"; "C"; "A"})
%!error id=platefix:relative platefix (setfield (enu, "relative", true), pole, "plate", {"A"; "B"; "A"})
%!error id=platevel:notpole platevel (rmfield (pole, "cov"), enu)

## The functions' own examples.
%!test
%! for name = {"readvelo", "eulerpole", "platevel", "platefix", "platemodel"}
%!   assert (test (name{1}, "quiet"), "test %s failed", name{1});
%! endfor
