## Times eulerpole with the full covariance against one Cholesky
## factorisation of that covariance, side by side in one octave-cli run:
##   octave-cli eulerpole_bench.m MEXDIR [STATIONS [REPEATS]]
## STATIONS (default 3333: a 9999 x 9999 covariance, whose horizontal part
## is 6666 x 6666) stations over Europe moving with a plate, with a random
## positive definite covariance (tests/octave/make_velsol.m, turned into
## east/north/up by velsol2enu); each time is the fastest of REPEATS
## (default 3), the factorisation and the fit taking turns so that both
## see the same machine.  The goal: eulerpole within 2 x chol.
args = argv ();
addpath (args{1});
here = fileparts (mfilename ("fullpath"));
addpath (fullfile (fileparts (here), "tests", "octave"));
n = 3333;
repeats = 3;
if (numel (args) >= 2)
  n = str2double (args{2});
endif
if (numel (args) >= 3)
  repeats = str2double (args{3});
endif

rand ("state", 1);
llh = [35 + 30 * rand(n, 1), -10 + 40 * rand(n, 1), 1000 * rand(n, 1)];
## Velocities of Eurasia (ITRF2020-PMM) in X, Y, Z, m/yr.
a = 6378137; f = 1 / 298.257223563; e2 = 2 * f - f^2;
N = a ./ sqrt (1 - e2 * sind (llh(:, 1)).^2);
xyz = [(N + llh(:, 3)) .* cosd(llh(:, 1)) .* cosd(llh(:, 2)), ...
       (N + llh(:, 3)) .* cosd(llh(:, 1)) .* sind(llh(:, 2)), ...
       (N * (1 - e2) + llh(:, 3)) .* sind(llh(:, 1))];
w = [-0.085, -0.519, 0.753] * pi / 180 / 3600e3;
vel = cross (repmat (w, n, 1), xyz, 2);
enu = velsol2enu (make_velsol (llh, vel, 1));
h = reshape ([3 * (1:n) - 2; 3 * (1:n) - 1], [], 1);
Ch = enu.cov(h, h);
printf ("eulerpole benchmark: %d stations, %d x %d horizontal covariance (%.0f MB), %d threads\n",
        n, numel (h), numel (h), 8 * numel (Ch) / 2^20, nproc ());

t_chol = t_fit = t_copy = Inf;
for r = 1:repeats
  t0 = tic (); L = chol (Ch, "lower"); t_chol = min (t_chol, toc (t0)); clear L
  t0 = tic (); p = eulerpole (enu); t_fit = min (t_fit, toc (t0));
  t0 = tic (); B = enu.cov(h, h); t_copy = min (t_copy, toc (t0)); clear B
endfor

printf ("\n%-46s %10s %8s   %s\n", "measured (fastest of each)", "time", "ratio", "target");
printf ("%-46s %9.3f s %8.2f\n", "L = chol (C_h, 'lower')", t_chol, 1);
verdict = "MISSED";
if (t_fit <= 2 * t_chol)
  verdict = "met";
endif
printf ("%-46s %9.3f s %8.2f   <= 2x  %s\n", "pole = eulerpole (enu)  (full covariance)", t_fit,
        t_fit / t_chol, verdict);
printf ("%-46s %9.3f s %8.2f\n", "  of which taking C_h out of enu.cov", t_copy, t_copy / t_chol);
printf ("\npole: %.4f %.4f %.4f mas/yr (true -0.085 -0.519 0.753), sigma0 %.3f\n",
        p.omega, p.sigma0);
