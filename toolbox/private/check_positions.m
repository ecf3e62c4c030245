% [ok, pos] = check_positions (pos)
% The 'positions' option of velomap and plotvelo: {lat, lon, names}, two
% real vectors and a cell of names of one length.  POS comes back as
% columns of doubles (integer classes converted: their arithmetic would
% round every step) and a column of names.
function [ok, pos] = check_positions (pos)
  ok = iscell (pos) && numel (pos) == 3 && isnumeric (pos{1}) && isnumeric (pos{2}) ...
       && isreal (pos{1}) && isreal (pos{2}) && iscellstr (pos{3}) ...
       && numel (pos{1}) == numel (pos{2}) && numel (pos{3}) == numel (pos{1});
  if (ok)
    pos = {double(pos{1}(:)), double(pos{2}(:)), pos{3}(:)};
  end
end
