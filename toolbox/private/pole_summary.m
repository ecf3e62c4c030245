% pole = pole_summary (pole, p)
% Fills in a pole's geographic form from pole.omega (k x 3, mas/yr) and
% pole.cov (the first 3k rows and columns: the rotation vectors'):
% lat, lon (degrees), rate (deg/Myr: 1 mas/yr = 1/3.6 deg/Myr), their
% standard deviations slat, slon, srate, and the pole's error ellipse at
% confidence P: smaj, smin (degrees of arc) and azim (degrees clockwise
% from north).  The uncertainties are linearised: at the pole, with u the
% unit vector along omega and e, n east and north there, a small change
% dw of omega moves the pole by e.dw / |omega| east and n.dw / |omega|
% north (radians) and changes the rate by u.dw.  That form holds at any
% latitude, also near the geographic poles where longitude degenerates.
function pole = pole_summary (pole, p)
  k = size (pole.omega, 1);
  [pole.lat, pole.lon, pole.rate, pole.slat, pole.slon, pole.srate, pole.smaj, ...
   pole.smin, pole.azim] = deal (NaN (k, 1));
  var_e = NaN (k, 1); var_n = NaN (k, 1); cov_en = NaN (k, 1);
  for j = 1:k
    w = pole.omega(j, :);
    len = norm (w);
    pole.rate(j) = len / 3.6;
    pole.lat(j) = atan2d (w(3), hypot (w(1), w(2)));
    pole.lon(j) = atan2d (w(2), w(1));
    if (isempty (pole.cov))
      C = zeros (3);
    else
      C = pole.cov(3 * j - 2:3 * j, 3 * j - 2:3 * j);
    end
    pole.srate(j) = sqrt (max (w * C * w' / len ^ 2, 0)) / 3.6;
    if (len == 0)
      continue;
    end
    [sp, cp] = sincosd (pole.lat(j));
    [sl, cl] = sincosd (pole.lon(j));
    e = [-sl, cl, 0];
    n = [-sp * cl, -sp * sl, cp];
    deg2 = (180 / pi / len) ^ 2;
    var_e(j) = e * C * e' * deg2;
    var_n(j) = n * C * n' * deg2;
    cov_en(j) = e * C * n' * deg2;
    pole.slat(j) = sqrt (max (var_n(j), 0));
    pole.slon(j) = sqrt (max (var_e(j), 0)) / cp;
  end
  s = ellipse_stats (var_e, var_n, cov_en, p);
  none = isnan (var_e);
  pole.smaj = s.smaj;  pole.smaj(none) = NaN;
  pole.smin = s.smin;  pole.smin(none) = NaN;
  pole.azim = s.azim;  pole.azim(none) = NaN;
  pole.confidence = p;
end
