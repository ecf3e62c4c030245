## End-to-end checks of the brisol module as a user calls it.

## Refused calls, first failing check decides the message.
%!error <BRISOL requires one input argument$> [a, b, c] = brisol ()
%!error <BRISOL requires one input argument$> [a, b, c] = brisol (eye (2), eye (2))
%!error <BRISOL requires one input argument$> a = brisol (eye (2), "x")
%!error <BRISOL requires three output arguments$> brisol (eye (2))
%!error <BRISOL requires three output arguments$> a = brisol (eye (2))
%!error <BRISOL requires three output arguments$> [a, b] = brisol (eye (2))
%!error <BRISOL requires three output arguments$> [a, b, c, d] = brisol (eye (2))
%!error <Input matrix must be square$> [a, b, c] = brisol (ones (4, 6))
%!error <Input matrix must be square$> [a, b, c] = brisol (int8 (ones (4, 6)))

## Anything whose data are not doubles is refused before it is read.
%!error <must be a full matrix, not sparse$> [a, b, c] = brisol (speye (4))
%!error <must be of class double, not single$> [a, b, c] = brisol (single (eye (4)))
%!error <must be of class double, not int32$> [a, b, c] = brisol (int32 (eye (4)))
%!error <must be of class double, not logical$> [a, b, c] = brisol (true (2))
%!error <must be of class double, not char$> [a, b, c] = brisol (["ab"; "cd"])
%!error <must be of class double, not cell$> [a, b, c] = brisol ({1, 2; 3, 4})

## The session goes on after a refused call.
%!test
%! try
%!   [a, b, c] = brisol (ones (2, 3));
%! catch
%! end_try_catch
%! [a, b, c] = brisol (diag ([4, 1]));
%! assert (a, 4.895999908447266);

## Shapes: rows of k = m / 2 points.
%!test
%! [a, b, c] = brisol (zeros (0, 0));
%! assert (size (a), [1, 0]); assert (size (b), [1, 0]); assert (size (c), [1, 0]);
%! [a, b, c] = brisol (5);
%! assert (size (a), [1, 0]);
%! [a, b, c] = brisol (eye (4));
%! assert ([size(a); size(b); size(c)], [1, 2; 1, 2; 1, 2]);
%! assert (class (a), "double"); assert (isreal (a));

## Exact values of the legacy arithmetic.
%!test
%! [a, b, c] = brisol ([4, 0; 0, 1]);
%! assert (a, 4.895999908447266, 0);
%! assert (b, 2.447999954223633, 0);
%! assert (c, 90.0, 0);
%! [a, b, c] = brisol ([4, 0; 0, 4]);
%! assert ([a, b], [4.896, 4.896], 0);
%! assert (c, 90 - 1.570796012878418 / 0.01745329, 0);
%! [a, b, c] = brisol ([1, 0.5; 0.5, 1]);
%! assert (c, 44.9999922505646, 0);
%! [a, b, c] = brisol ([-1, 0; 0, -1]);
%! assert (isnan ([a, b]));
%! [a, b, c] = brisol ([NaN, 0; 0, 1]);
%! assert ([a, b], [0, 0]); assert (isnan (c));

## A fifth row and column, the upper triangle and the cross-point
## covariances have no effect.
%!test
%! C = [4 99 7 7 7; 0 1 7 7 7; 7 7 1 99 7; 7 7 0.5 1 7; 7 7 7 7 NaN];
%! [a, b, c] = brisol (C);
%! [a1, b1, c1] = brisol ([4 0; 0 1]);
%! [a2, b2, c2] = brisol ([1 0.5; 0.5 1]);
%! assert ([a; b; c], [a1, a2; b1, b2; c1, c2], 0);

## A complex argument: its real parts are used.
%!test
%! C = complex ([4, 0; 0, 1], [5, 6; 7, 8]);
%! [a, b, c] = brisol (C);
%! assert ([a, b, c], [4.895999908447266, 2.447999954223633, 90], 0);

## Unused outputs may be ignored with ~.
%!test
%! [~, ~, c] = brisol ([1, 0.5; 0.5, 1]);
%! assert (c, 44.9999922505646, 0);
