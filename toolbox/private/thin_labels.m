% side = thin_labels (boxes, marks, cell)
% Where to put each label so that it covers no other label and no mark:
% BOXES is a cell of n x 4 arrays, one per place a label may go (such as
% right and left of its station), each row one label's [left, bottom,
% right, top] there, the most important label first; MARKS is k x 2, the
% points that labels must leave free (stations, points along the arrows);
% CELL the size of the grid cells both are rasterised on, in the unit of
% both.  SIDE(i) is the first place where label i fits, 0 where none does
% (rows with a NaN never fit).  A greedy pass on an occupancy grid costs a
% few cells per label, so thousands of labels take well under a second.
function side = thin_labels (boxes, marks, cell)
  n = size (boxes{1}, 1);
  side = zeros (n, 1);
  all_boxes = cat (1, boxes{:});
  x0 = min ([all_boxes(:, 1); marks(:, 1)]);
  y0 = min ([all_boxes(:, 2); marks(:, 2)]);
  nx = ceil ((max ([all_boxes(:, 3); marks(:, 1)]) - x0) / cell) + 2;
  ny = ceil ((max ([all_boxes(:, 4); marks(:, 2)]) - y0) / cell) + 2;
  if (isempty (all_boxes) || ~isfinite (nx) || ~isfinite (ny))
    return;
  end
  taken = false (ny, nx);
  ok = all (isfinite (marks), 2);
  taken(sub2ind ([ny, nx], floor ((marks(ok, 2) - y0) / cell) + 1, ...
                 floor ((marks(ok, 1) - x0) / cell) + 1)) = true;
  for i = 1:n
    for k = 1:numel (boxes)
      b = boxes{k}(i, :);
      if (any (~isfinite (b)))
        continue;
      end
      c = floor ((b([1, 3]) - x0) / cell) + 1;
      r = floor ((b([2, 4]) - y0) / cell) + 1;
      if (~any (any (taken(r(1):r(2), c(1):c(2)))))
        taken(r(1):r(2), c(1):c(2)) = true;
        side(i) = k;
        break;
      end
    end
  end
end
