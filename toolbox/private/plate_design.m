% G = plate_design (lat, lon, height, which, k, origin)
% The linear map from the unknowns of a plate-motion model to station
% velocities: G (3m x q) takes [omega_1, ..., omega_k, t] to the east,
% north and up velocities (m/yr) of the m stations, rows 3i-2, 3i-1, 3i of
% station i.  omega_j is plate j's rotation vector about the Earth-centred
% X, Y, Z axes in mas/yr, t (present when ORIGIN is true) a translation
% rate of the origin in mm/yr; station i moves with plate WHICH(i).
%
% Station i at r_i (station_frames: WGS 84, metres) moves by omega x r_i;
% its component along a unit vector d is d . (omega x r_i) = omega . (r_i x d),
% so the three coefficients of omega are (r_i x d) times one mas in radians,
% pi / (180 * 3600e3).  The translation's are d itself, times 1e-3 (mm to m).
function G = plate_design (lat, lon, height, which, k, origin)
  mas = pi / (180 * 3600e3);
  [r, e, n, u] = station_frames (lat, lon, height);
  m = size (r, 1);
  q = 3 * k + 3 * origin;
  G = zeros (3 * m, q);
  dirs = {e, n, u};
  which = which(:);
  for c = 1:3
    d = dirs{c};
    rxd = mas * [r(:, 2) .* d(:, 3) - r(:, 3) .* d(:, 2), ...
                 r(:, 3) .* d(:, 1) - r(:, 1) .* d(:, 3), ...
                 r(:, 1) .* d(:, 2) - r(:, 2) .* d(:, 1)];
    at = 3 * (1:m)' - 3 + c;
    for j = 1:3
      G(sub2ind ([3 * m, q], at, 3 * which - 3 + j)) = rxd(:, j);
    end
    if (origin)
      G(at, 3 * k + (1:3)) = 1e-3 * d;
    end
  end
end
