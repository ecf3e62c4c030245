## velsol2enu against independent peers: octave-mapping's ecef2enuv for the
## velocities, Octave's eig and brisol for the ellipses, the plain Octave
## rotation for the compiled one, and what a rotation must preserve.  The
## helpers are private to the toolbox; the tests put their folder on the
## path to call them directly.

%!shared sol, enu, m, priv
%! addpath (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "tests", "octave"));
%! priv = fullfile (fileparts (which ("velsol2enu")), "private");
%! addpath (priv);
%! ## Stations all over the globe: both poles, the equator, the
%! ## antimeridian from both sides, Greenwich, and random places; enough of
%! ## them (300) for the compiled rotation to share its work among threads.
%! rand ("state", 3);
%! edge = [90, 0; -90, 0; 90, 180; -90, -180; 0, 180; 0, -180; 0, 0; 45, 180;
%!         -45, -180; 89.999, 179.999; -0.001, -179.999; 30, 90; -60, -90];
%! rnd = [asind(2 * rand(287, 1) - 1), 360 * rand(287, 1) - 180];
%! ll = [edge; rnd];
%! m = rows (ll);
%! sol = make_velsol ([ll, 3000 * rand(m, 1)], 0.05 * (rand (m, 3) - 0.5), 7);
%! enu = velsol2enu (sol);

## The rotations and the block-diagonal matrix, written out by hand.
%!function R = rotations (e)
%!  R = zeros (3, 3, numel (e.lat));
%!  for c = 1:numel (e.lat)
%!    la = e.lat(c); lo = e.lon(c);
%!    R(:, :, c) = [-sind(lo), cosd(lo), 0; -sind(la)*cosd(lo), -sind(la)*sind(lo), cosd(la);
%!                  cosd(la)*cosd(lo), cosd(la)*sind(lo), sind(la)];
%!  endfor
%!endfunction

%!function B = blockdiag (R)
%!  [a, k, g] = ndgrid (1:3, 1:3, 1:size (R, 3));
%!  B = sparse (3 * (g(:) - 1) + a(:), 3 * (g(:) - 1) + k(:), R(:));
%!endfunction

## Velocities: within a few ulps of ecef2enuv, componentwise, measured in
## ulps of the speed.
%!test
%! pkg load mapping
%! [e, n, u] = ecef2enuv (sol.vel(:, 1), sol.vel(:, 2), sol.vel(:, 3), enu.lat, enu.lon);
%! ulps = abs ([enu.ve - e, enu.vn - n, enu.vu - u]) ./ eps (norm (sol.vel, "rows"));
%! assert (max (ulps(:)) <= 4, "max %g ulps", max (ulps(:)));

## The compiled rotation against the plain Octave one, absolute and
## relative, on a selection of groups out of order; the MEX gateway gives
## the oct-file's result bit for bit.
%!test
%! R = randn (3, 3, 5);
%! g = [7; 2; 150; 3; 99];
%! for ref = [0, 4]
%!   Y = enurotate (sol.cov, g, R, ref);
%!   Z = enurotate_ref (sol.cov, g, R, ref);
%!   assert (Y, Z, 1e-15 * max (abs (Z(:))));
%!   assert (issymmetric (Y));
%! endfor
%! mexdir = fullfile (fileparts (fileparts (which ("velsol2enu"))), "mex-gateways");
%! Y = enurotate (sol.cov, g, R, 4);
%! addpath (mexdir);
%! unwind_protect
%!   assert (strcmp (fileparts (which ("enurotate")), mexdir));
%!   assert (enurotate (sol.cov, g, R, 4), Y);
%! unwind_protect_cleanup
%!   rmpath (mexdir);
%! end_unwind_protect

## The helper is private: velsol2enu reaches the compiled one in private/,
## the command line does not see it.
%!test
%! rmpath (priv);
%! unwind_protect
%!   assert (exist ("enurotate"), 0);
%!   profile clear;
%!   profile on;
%!   velsol2enu (sol);
%!   profile off;
%!   called = {profile("info").FunctionTable.FunctionName};
%!   assert (any (strcmp (called, "enurotate")) && ! any (strcmp (called, "enurotate_ref")));
%! unwind_protect_cleanup
%!   addpath (priv);
%! end_unwind_protect

## What a rotation preserves: exact symmetry, each station block's trace,
## positive definiteness; the full matrix, cross terms included.
%!test
%! assert (issymmetric (enu.cov));
%! tr = @(C) sum (reshape (diag (C), 3, []))';
%! assert (tr (enu.cov), tr (sol.cov), 1e-14 * max (tr (sol.cov)));
%! [~, notpd] = chol (enu.cov);
%! assert (notpd, 0);
%! assert (enu.cov, enurotate_ref (sol.cov, (1:m)', rotations (enu), 0), 1e-15 * max (abs (enu.cov(:))));
%! assert ([enu.se, enu.sn, enu.su] .^ 2, reshape (diag (enu.cov), 3, [])', eps);

## Relative velocities: differences to the reference, their covariance
## that of the differences; the reference's row exactly zero.
%!test
%! rel = velsol2enu (sol, "relative", true);
%! r = rel.reference;
%! assert (r, 1);
%! assert ([rel.ve(r), rel.vn(r), rel.vu(r), rel.smaj(r), rel.smin(r)], zeros (1, 5));
%! assert (nnz (rel.cov(3*r-2:3*r, :)), 0);
%! D = speye (3 * m);
%! D(:, 1:3) -= repmat (speye (3), m, 1);
%! Q = blockdiag (rotations (rel)) * D;
%! assert (rel.cov, full (Q * sol.cov * Q'), 1e-15 * max (abs (rel.cov(:))));
%! assert ([rel.ve, rel.vn, rel.vu], [enu.ve, enu.vn, enu.vu] ...
%!         - squeeze (sum (rotations (enu) .* sol.vel(1, :), 2))', 1e-16);

## Ellipses: axes are sqrt of the eigenvalues of each east/north block
## times the chi-square factor, the azimuth that of the major eigenvector;
## at 95 % within 1.3e-4 (relative) of brisol's 2.448 single-precision axes.
%!test
%! ks = [1 - exp(-0.5), 1; 0.95, 2.447746830680816; 0.99, 3.034854258770293];
%! for i = 1:rows (ks)
%!   assert (velsol2enu (sol, "confidence", ks(i, 1)).scale, ks(i, 2), 1e-15);
%! endfor
%! lmax = lmin = az = zeros (m, 1);
%! cen = zeros (2 * m);
%! for c = 1:m
%!   B = enu.cov(3*c-2:3*c-1, 3*c-2:3*c-1);
%!   cen(2*c-1:2*c, 2*c-1:2*c) = B;
%!   [V, L] = eig (B);
%!   [lmax(c), i] = max (diag (L)); lmin(c) = min (diag (L));
%!   az(c) = mod (atan2d (V(1, i), V(2, i)), 180);
%! endfor
%! k = enu.scale;
%! assert (enu.smaj, k * sqrt (lmax), 4 * eps (k * sqrt (lmax)));
%! assert (enu.smin, k * sqrt (lmin), 1e-14 * enu.smaj);
%! dif = mod (enu.azim - az + 90, 180) - 90;
%! assert (max (abs (dif) .* (lmax - lmin) ./ lmax) < 1e-10);
%! [a, b, c] = brisol (cen);
%! assert (a(:) ./ enu.smaj, 2.448 / k * ones (m, 1), 2e-6);
%! assert (b(:) ./ enu.smin, 2.448 / k * ones (m, 1), 1e-5);
%! assert (abs (mod (c(:) - enu.azim + 90, 180) - 90) < 1e-3);

## Groups matched by name: out of order, without a station record (left
## out, warned), with several records (the last, warned).
%!test
%! s = sol;
%! s.site = {"NOWHERE "; sol.site{1}; sol.site{2}};
%! s.vel = s.vel([3, 1, 2], :);
%! s.sigma = s.sigma([3, 1, 2], :);
%! k = [7:9, 1:6];
%! s.cov = s.cov(k, k);
%! s.station{5} = s.station{2};
%! for w = {"nostation", "duplicatestation"; "duplicatestation", "nostation"}'
%!   warning ("off", ["velsol2enu:", w{2}], "local");
%!   lastwarn ("");
%!   e = velsol2enu (s);
%!   [~, id] = lastwarn ();
%!   assert (id, ["velsol2enu:", w{1}]);
%!   warning ("on", ["velsol2enu:", w{2}], "local");
%! endfor
%! assert ([e.group, e.record], [2, 1; 3, 5]);
%! assert (e.lat(2), sol.llh(5, 1));
%! assert ([e.ve(1), e.vn(1), e.vu(1)], [enu.ve(1), enu.vn(1), enu.vu(1)]);
%! assert (e.cov(1:3, 1:3), enu.cov(1:3, 1:3));

## Refused calls.
%!error id=velsol2enu:notvelsol velsol2enu (1)
%!error <no field cov> velsol2enu (rmfield (sol, "cov"))
%!error <cov must be> s = sol; s.cov = single (s.cov); velsol2enu (s)
%!error <vel must have> s = sol; s.vel(end, :) = []; velsol2enu (s)
%!error <unknown option 'scale'> velsol2enu (sol, "scale", 2)
%!error <option 'confidence' must be a number between 0 and 1> velsol2enu (sol, "confidence", 1)
%!error <name/value pairs> velsol2enu (sol, "relative")
%!error <group number outside> enurotate (eye (6), 3, eye (3), 0)
%!error <one 3 x 3 rotation per group> enurotate (eye (6), [1; 2], eye (3), 0)
%!error <full real double> enurotate (single (eye (6)), 1, eye (3), 0)
%!test
%! s = sol;
%! s.site{1} = "OTHER   ";
%! warning ("off", "velsol2enu:nostation", "local");
%! try
%!   velsol2enu (s, "relative", true);
%!   error ("not refused");
%! catch err
%!   assert (err.identifier, "velsol2enu:noreference");
%! end_try_catch

## A covariance whose correlations are each valid but which is not positive
## definite: negative rotated variances give NaN deviations and ellipses
## (not zeros, which would read as a perfect measurement) and a warning,
## never complex numbers.
%!test
%! sg = 1e-3 * [1; 2; 3];
%! C = (sg * sg') .* [1, 0.9, 0.9; 0.9, 1, -0.9; 0.9, -0.9, 1];
%! [V, L] = eig (C);
%! assert (L(1) < 0);
%! ## The station whose up direction is the eigenvector of the negative
%! ## eigenvalue: its rotated vertical variance is negative.
%! s = make_velsol ([asind(V(3, 1)), atan2d(V(2, 1), V(1, 1)), 0], [0.01, 0.02, 0.03], 1);
%! s.cov = C;
%! lastwarn ("");
%! e = velsol2enu (s);
%! [~, id] = lastwarn ();
%! assert (id, "velsol2enu:negativevariance");
%! for f = {"se", "sn", "su", "rho_en", "smaj", "smin"}
%!   assert (isreal (e.(f{1})) && isnan (e.(f{1})));
%! endfor
%!error id=velsol2enu:notvelsol velsol2enu (setfield (sol, "llh", sol.llh(:, 1:2)))

## The lean tests inside velsol2enu.m (readsinex rows, NaN and negative
## variances, integer inputs), as pkg test runs them.
%!test
%! [n, total] = test ("velsol2enu", "quiet", stdout);
%! assert (n, total);
