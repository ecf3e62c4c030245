% d = nearest_spacing (x, y)
% The median distance from each point (x, y) to its nearest other point,
% NaN for fewer than two distinct points: how close a network's stations
% sit on the map, which sets how long its arrows can be.  Blocks of block
% keep the distance matrix small at thousands of points.
function d = nearest_spacing (x, y)
  p = unique ([x(:), y(:)], 'rows');
  p = p(all (isfinite (p), 2), :);
  n = size (p, 1);
  if (n < 2)
    d = NaN;
    return;
  end
  nearest = zeros (n, 1);
  for first = 1:500:n
    block = first:min (n, first + 499);
    d2 = (p(block, 1) - p(:, 1)') .^ 2 + (p(block, 2) - p(:, 2)') .^ 2;
    d2(sub2ind (size (d2), 1:numel (block), block)) = Inf;
    nearest(block) = sqrt (min (d2, [], 2));
  end
  d = median (nearest);
end
