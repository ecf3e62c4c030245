## Copyright (C) 2026 the authors
## SPDX-License-Identifier: MIT

## -*- texinfo -*-
## @deftypefn {} {[@var{smaj}, @var{smin}, @var{azim}] =} brisol (@var{C})
## Compute the 95% error ellipse of each point from a covariance matrix.
##
## @var{C} is a square, full, real matrix of class double with 2@var{k} rows
## and columns that holds two components for each of @var{k} points: rows and
## columns 2@var{p}-1 and 2@var{p} belong to point @var{p}, for instance the
## east and north component of a station velocity.  Of each 2-by-2 block on
## the diagonal only the two variances and the covariance below the diagonal,
## @code{@var{C}(2@var{p}, 2@var{p}-1)}, are read; the element above the
## diagonal and the covariances between different points are ignored.  When
## the row count is odd, the last row and column are ignored.
##
## The three results are row vectors of size 1-by-@var{k}:
##
## @table @var
## @item smaj
## Semi-major axis of each point's error ellipse, scaled by 2.448 (the 95%
## level for two degrees of freedom), in the unit of the components (the
## square root of the unit of @var{C}).
##
## @item smin
## Semi-minor axis, scaled and in units the same way.
##
## @item azim
## Azimuth of the major axis in degrees, measured from the second
## component's axis toward the first: clockwise from north when the
## components are east and north.  It lies between 0 and 180, or between -90
## and 90 when the axes have changed places because a negative variance or
## rounding made the first one the shorter; either bound may be passed by
## up to 2e-5 degrees.  A circular ellipse (equal variances, no covariance)
## has the azimuth 4.9917e-06.
## @end table
##
## The arithmetic is that of the legacy routine, step by step: most of it
## runs in single precision, and the results agree bit for bit with those
## of earlier releases.  The semi-major axis and the azimuth carry about
## seven significant digits.  The semi-minor axis of an elongated ellipse
## carries far fewer, because it is the small difference of single-precision
## terms: measured against the square roots of the eigenvalues of random
## blocks, its relative error is about 3e-7 at an axis ratio of 10, 3e-5
## (at most 3e-4) at 100, 3e-3 (at most 3e-2) at 1000, and at 10000 it is
## no better than its own size.  Where elongated ellipses matter, use
## @code{velsol2enu}, which works in double precision.
##
## Numeric anomalies are returned, never reported: a negative variance gives
## an axis of 0, equal negative variances without covariance give axes of
## NaN, and a NaN anywhere in a block gives axes of 0 and an azimuth of NaN@.
## A complex @var{C} is taken by its real part.
##
## A call is refused with one of these errors, checked in this order, and
## returns nothing:
##
## @table @asis
## @item @qcode{"BRISOL requires one input argument"}
## There must be exactly one argument.
##
## @item @qcode{"BRISOL requires three output arguments"}
## All three results must be asked for; use @code{~} for those not needed.
##
## @item @qcode{"Input matrix must be square"}
## The row count and the column count differ.
##
## @item @qcode{"Input matrix must be a full matrix, not sparse"}
## @itemx @qcode{"Input matrix must be of class double, not @var{class}"}
## Convert the argument with @code{full} or @code{double} first.
## @end table
##
## Example: the covariance of two points, in mm^2
##
## @example
## @group
## C = blkdiag ([4.0, 1.2; 1.2, 2.5], [1.0, 0.0; 0.0, 9.0]);
## [smaj, smin, azim] = brisol (C)
##   @result{} smaj =
##         5.2874   7.3440
##   @result{} smin =
##         3.3160   2.4480
##   @result{} azim =
##         6.1003e+01  -1.5499e-05
## @end group
## @end example
##
## @noindent
## The first point's ellipse has axes of 5.29 mm and 3.32 mm, its major axis
## 61 degrees east of north; the second point's major axis points north.
##
## @seealso{tosqumg}
## @end deftypefn

function varargout = brisol (varargin)
  ## The compiled module brisol.mex in this folder takes precedence over this
  ## file, which carries its help text.  Reaching this code means the module
  ## is missing.
  error ("brisol: the compiled module brisol.%s is missing from %s; build or install it as the installation notes describe",
         mexext (), fileparts (mfilename ("fullpath")));
endfunction


## The installed command is the compiled module, not this file.
%!assert (exist ("brisol"), 3)

%!error <BRISOL requires one input argument$> [a, b, c] = brisol ()
%!error <BRISOL requires one input argument$> [a, b, c] = brisol (eye (2), eye (2))
%!error <BRISOL requires three output arguments$> brisol (eye (2))
%!error <BRISOL requires three output arguments$> [a, b] = brisol (eye (2))
%!error <Input matrix must be square$> [a, b, c] = brisol (ones (4, 6))
%!error <must be a full matrix, not sparse$> [a, b, c] = brisol (speye (4))
%!error <must be of class double, not single$> [a, b, c] = brisol (single (eye (4)))

%!test
%! [a, b, c] = brisol (zeros (0, 0));
%! assert ([size(a); size(b); size(c)], [1, 0; 1, 0; 1, 0]);
%! [a, b, c] = brisol (eye (5));
%! assert ([size(a); size(b); size(c)], [1, 2; 1, 2; 1, 2]);

## Values of the legacy arithmetic, exactly.
%!test
%! [a, b, c] = brisol (blkdiag ([4, 0; 0, 1], [1, 0.5; 0.5, 1], [4, 0; 0, 4]));
%! assert (a([1, 3]), [4.895999908447266, 4.896], 0);
%! assert (b([1, 3]), [2.447999954223633, 4.896], 0);
%! assert (c, [90.0, 44.9999922505646, 90 - 1.570796012878418 / 0.01745329], 0);

## The example above.
%!test
%! [a, b, c] = brisol (blkdiag ([4.0, 1.2; 1.2, 2.5], [1.0, 0.0; 0.0, 9.0]));
%! assert (a, [5.2873945, 7.344], -1e-7);
%! assert (b, [3.316026, 2.448], -1e-7);
%! assert (c, [61.002687, -1.5499e-05], 1e-6);

## Anomalies come back as numbers.
%!test
%! [a, b, c] = brisol (blkdiag ([-1, 0; 0, -2], [-1, 0; 0, -1], [NaN, 0; 0, 1]));
%! assert (a, [0, NaN, 0]);
%! assert (b, [0, NaN, 0]);
%! assert (isnan (c), [false, false, true]);
