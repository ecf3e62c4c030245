% s = ellipse_stats (var_e, var_n, cov_en, p)
% Standard deviations, the east/north correlation and the error ellipse of
% each 2 x 2 block [var_e cov_en; cov_en var_n], as velsol2enu gives them:
% s.se, s.sn, s.rho_en (0 where a standard deviation is 0), s.smaj, s.smin
% (axes at confidence P: k sqrt of the eigenvalues, k = sqrt (-2 log (1-p)),
% the chi-square quantile with two degrees of freedom), s.azim (of the
% major axis, degrees clockwise from north, in [0, 180)) and s.scale = k.
% Negative variances count as 0.
function s = ellipse_stats (var_e, var_n, cov_en, p)
  var_e = max (var_e(:), 0);
  var_n = max (var_n(:), 0);
  cov_en = cov_en(:);
  s.se = sqrt (var_e);
  s.sn = sqrt (var_n);
  s.rho_en = cov_en ./ (s.se .* s.sn);
  s.rho_en(s.se == 0 | s.sn == 0) = 0;
  % Eigenvalues of [var_e cov_en; cov_en var_n] in closed form; the major
  % axis lies at 0.5 atan2 (2 cov_en, var_e - var_n) from east,
  % counterclockwise.
  k = sqrt (-2 * log1p (-p));
  mid = (var_e + var_n) / 2;
  half = hypot ((var_e - var_n) / 2, cov_en);
  s.smaj = k * sqrt (max (mid + half, 0));
  s.smin = k * sqrt (max (mid - half, 0));
  s.azim = mod (90 - atan2d (2 * cov_en, var_e - var_n) / 2, 180);
  s.scale = k;
end
