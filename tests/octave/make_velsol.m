## sol = make_velsol (llh, vel, seed)
## A synthetic readvelsol result: one station record and one parameter group
## per row of LLH (latitude, longitude in degrees, height in metres) and VEL
## (X/Y/Z velocity, m/yr), in that order, the first station the reference.
## The covariance is random and positive definite: a few common-mode factors
## plus independent noise, sigmas of about a millimetre a year, drawn from
## rand ("state", SEED).
function sol = make_velsol (llh, vel, seed)
  n = rows (llh);
  names = arrayfun (@(i) sprintf ("%-8s", sprintf ("S%d", i)), (1:n)', "uniformoutput", false);
  a = 6378137; f = 1 / 298.257223563; e2 = 2 * f - f^2;
  N = a ./ sqrt (1 - e2 * sind (llh(:, 1)).^2);
  xyz = [(N + llh(:, 3)) .* cosd(llh(:, 1)) .* cosd(llh(:, 2)), ...
         (N + llh(:, 3)) .* cosd(llh(:, 1)) .* sind(llh(:, 2)), ...
         (N * (1 - e2) + llh(:, 3)) .* sind(llh(:, 1))];
  randn ("state", seed);
  G = 3e-4 * randn (3 * n, 4);
  C = G * G' + diag (1e-7 + 1e-6 * rand (3 * n, 1));
  sol = struct ("refname", names{1}, "crdsys", "ITR", "station", {names},
                "xyz", xyz, "llh", llh, "refstation", 1, "site", {names},
                "vel", vel, "sigma", reshape (sqrt (diag (C)), 3, [])', "cov", C);
endfunction
