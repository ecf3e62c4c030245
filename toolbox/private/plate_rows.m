% which = plate_rows (pole, m, labels, caller)
% The plate of POLE that each of M stations moves with: WHICH(i) indexes
% pole.plate.  LABELS (m x 1 cell) names each row's plate by pole.plate or,
% where POLE has them, pole.name (exactly, else in any case); without
% labels every row takes POLE's only plate.  Errors CALLER:plate.
function which = plate_rows (pole, m, labels, caller)
  k = numel (pole.plate);
  if (isempty (labels))
    if (k > 1)
      error ([caller, ':plate'], ...
             '%s: POLE has %d plates (%s): say each row''s with ''plate'', labels', ...
             caller, k, strjoin (reshape (pole.plate, 1, []), ', '));
    end
    which = ones (m, 1);
    return;
  end
  if (numel (labels) ~= m)
    error ([caller, ':plate'], '%s: ''plate'' must give one label per row (%d), not %d', ...
           caller, m, numel (labels));
  end
  names = reshape (pole.plate, [], 1);
  if (isfield (pole, 'name') && iscellstr (pole.name) && numel (pole.name) == k)
    names = [names; reshape(pole.name, [], 1)];
  end
  % A label written exactly as a plate is that plate, even where another
  % differs from it only by case; the rest match in any case.
  labels = strtrim (labels(:));
  names = strtrim (names);
  [found, at] = ismember (labels, names);
  [loose, at_loose] = ismember (lower (labels(~found)), lower (names));
  at(~found) = at_loose;
  found(~found) = loose;
  if (~all (found))
    unknown = unique (labels(~found));
    error ([caller, ':plate'], '%s: no plate %s in POLE (it has %s)', caller, ...
           strjoin (strcat ('''', reshape (unknown, 1, []), ''''), ', '), ...
           strjoin (reshape (pole.plate, 1, []), ', '));
  end
  which = mod (at - 1, k) + 1;
end
