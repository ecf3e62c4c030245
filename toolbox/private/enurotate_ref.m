% -*- texinfo -*-
% @deftypefn {} {@var{Y} =} enurotate_ref (@var{C}, @var{groups}, @var{R}, @var{ref})
% Plain-code version of the compiled helper @code{enurotate}:
% @math{Y = A S A'} with @var{S} the symmetric matrix of the lower triangle
% of @var{C}, restricted to the 3 x 3 groups @var{groups}, and @var{A} the
% block-diagonal rotations @var{R} (3 x 3 x m) times, for @var{ref} > 0,
% the differences to group @var{ref} of the list.  @code{velsol2enu} falls
% back to it where the helper is not built; the tests check the helper
% against it.  Internal (private to the toolbox).
% @end deftypefn

function Y = enurotate_ref (C, groups, R, ref)
  m = numel (groups);
  idx = reshape (3 * groups(:)' + (-2:0)', [], 1);
  % The lower triangle of C, wherever the groups come from: S(r, c) is
  % C(idx(r), idx(c)) where that lies on or below the diagonal, else its
  % mirror.
  S = C(idx, idx);
  St = S';
  upper = idx < idx';
  S(upper) = St(upper);
  % A = blkdiag (R(:, :, 1), ...) * D, D = I minus the reference block.
  [a, k, g] = ndgrid (1:3, 1:3, 1:m);
  A = sparse (3 * (g(:) - 1) + a(:), 3 * (g(:) - 1) + k(:), R(:), 3 * m, 3 * m);
  if (ref > 0)
    D = speye (3 * m) - sparse (1:3 * m, 3 * (ref - 1) + repmat (1:3, 1, m), 1, 3 * m, 3 * m);
    A = A * D;
  end
  Y = full (A * S * A');
  Y = (Y + Y') / 2;
end
