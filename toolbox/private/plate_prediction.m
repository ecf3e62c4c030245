% [v, G] = plate_prediction (pole, lat, lon, height, which, origin)
% East, north and up velocities (m/yr, m x 3) that POLE predicts for
% stations moving with its plates WHICH (plate_rows), its translation rate
% included where it has one and ORIGIN is true; G is the map from the
% pole's unknowns (those pole.cov describes, in its order) to the stacked
% velocities, rows 3i-2..3i of station i: the covariance of the
% prediction is G * pole.cov * G'.
function [v, G] = plate_prediction (pole, lat, lon, height, which, origin)
  k = numel (pole.plate);
  has_origin = ~isempty (pole.origin);
  G = plate_design (lat, lon, height, which, k, has_origin);
  x = reshape (pole.omega', [], 1);
  if (has_origin)
    if (~origin)
      G(:, 3 * k + (1:3)) = 0;
    end
    x = [x; pole.origin(:)];
  end
  v = reshape (G * x, 3, [])';
end
