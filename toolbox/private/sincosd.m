% [s, c] = sincosd (x)
% Sine and cosine of X degrees, to within an ulp or so everywhere: X is
% first reduced (exactly) to the nearest multiple of 90 degrees, so that
% near 180 degrees, say, the sine comes from the small remainder rather
% than from sin (pi - tiny), which inherits the rounding of pi (several
% ulps in sind and in sin (deg2rad (x)) alike).  Exact zeros and ones at
% multiples of 90 degrees: the poles and the antimeridian.
function [s, c] = sincosd (x)
  q = round (x / 90);
  r = (x - 90 * q) * (pi / 180);
  sr = sin (r);
  cr = cos (r);
  q = mod (q, 4);
  s = sr; c = cr;
  s(q == 1) = cr(q == 1);  c(q == 1) = -sr(q == 1);
  s(q == 2) = -sr(q == 2); c(q == 2) = -cr(q == 2);
  s(q == 3) = -cr(q == 3); c(q == 3) = sr(q == 3);
end
