% s = ellipse_stats (var_e, var_n, cov_en, p)
% Standard deviations, the east/north correlation and the error ellipse of
% each 2 x 2 block [var_e cov_en; cov_en var_n], as velsol2enu gives them:
% s.se, s.sn, s.rho_en (0 where a standard deviation is 0), s.smaj, s.smin
% (axes at confidence P: k sqrt of the eigenvalues, k = sqrt (-2 log (1-p)),
% the chi-square quantile with two degrees of freedom), s.azim (of the
% major axis, degrees clockwise from north, in [0, 180)) and s.scale = k.
%
% A block that is positive semi-definite can come out a few roundings
% below it (a singular block, a reference station): those variances count
% as 0.  A block further from it is no covariance: s.bad is true there and
% all its values are NaN, never zeros that would look like a perfect
% measurement.  NaN stays NaN (no max (x, 0), which drops NaN).
function s = ellipse_stats (var_e, var_n, cov_en, p)
  var_e = var_e(:);
  var_n = var_n(:);
  cov_en = cov_en(:);
  tol = 8 * eps * (abs (var_e) + abs (var_n));
  s.bad = var_e < -tol | var_n < -tol ...
          | (var_e + var_n) / 2 - hypot ((var_e - var_n) / 2, cov_en) < -tol;
  var_e(var_e < 0) = 0;
  var_n(var_n < 0) = 0;
  s.se = sqrt (var_e);
  s.sn = sqrt (var_n);
  s.rho_en = cov_en ./ (s.se .* s.sn);
  s.rho_en(s.se == 0 | s.sn == 0) = 0;
  % Eigenvalues in closed form; the major axis lies at
  % 0.5 atan2 (2 cov_en, var_e - var_n) from east, counterclockwise.
  k = sqrt (-2 * log1p (-p));
  mid = (var_e + var_n) / 2;
  half = hypot ((var_e - var_n) / 2, cov_en);
  lo = mid - half;
  lo(lo < 0) = 0;
  s.smaj = k * sqrt (mid + half);
  s.smin = k * sqrt (lo);
  s.azim = mod (90 - atan2d (2 * cov_en, var_e - var_n) / 2, 180);
  for f = {'se', 'sn', 'rho_en', 'smaj', 'smin', 'azim'}
    s.(f{1})(s.bad) = NaN;
  end
  s.scale = k;
end
