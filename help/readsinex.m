## Copyright (C) 2026 the authors
## SPDX-License-Identifier: MIT

## -*- texinfo -*-
## @deftypefn  {} {@var{snx} =} readsinex (@var{filename})
## @deftypefnx {} {@var{snx} =} readsinex (@var{filename}, "matrix", false)
## Read a SINEX solution (versions 1.x to 2.02), plain text, gzip or Unix
## compress (@file{.Z}); the compression is recognised by the file's
## content, not its name, and the file is streamed, never held whole.
##
## The blocks read are the @code{%=SNX} header line, SITE/ID,
## SOLUTION/EPOCHS, SOLUTION/ESTIMATE, SOLUTION/MATRIX_ESTIMATE
## (@code{L} or @code{U}, @code{COVA}, @code{CORR} or @code{INFO}) and the
## VARIANCE FACTOR of SOLUTION/STATISTICS; every other block is skipped.
## The result is a scalar struct:
##
## @table @code
## @item version, agency, dataagency, technique, contents
## The header's texts as written (trimmed): @code{agency} the file's
## creator, @code{dataagency} the data's provider.
## @item created, start, end
## 1-by-3 @code{[year doy sec]} of the header's times (two-digit years up
## to 50 are 20YY, others 19YY; @code{00:000:00000} gives @code{[0 0 0]}).
## @item varfactor
## The VARIANCE FACTOR of SOLUTION/STATISTICS, NaN if absent; it is
## reported, never applied (the sigmas and the matrix carry it already).
## @item estimate
## The SOLUTION/ESTIMATE block in file order, a struct of P-by-1 columns:
## @code{index}, @code{type}, @code{site}, @code{point}, @code{soln}
## (cells), @code{epoch} (P-by-3), @code{unit} (cell), @code{constraint}
## (NaN if blank), @code{value}, @code{sigma}.
## @item matrix
## P-by-P full symmetric covariance ordered by the estimates' index: COVA
## as written; CORR turned into covariance (@code{c_ij = rho_ij s_i s_j},
## the diagonal holding the standard deviations); INFO inverted by
## Cholesky.  Elements the file leaves out are 0.  @code{[]} without a
## matrix block or with option @code{"matrix", false}.
## @item matrixtype
## @code{"COVA"}, @code{"CORR"}, @code{"INFO"} or @code{""}.
## @end table
##
## and one row for each site-solution (site code, point code and solution
## number) with a @code{STA?} or @code{VEL?} estimate, in the order of its
## first estimate: @code{station}, @code{point}, @code{soln},
## @code{domes}, @code{description} (m-by-1 cells; @code{""} where SITE/ID
## has no line), @code{epoch} (m-by-3, of the positions), @code{valid}
## (m-by-6, @code{[y d s y d s]} from SOLUTION/EPOCHS), @code{xyz},
## @code{sxyz} (m), @code{llh} (degrees, degrees, m on WGS 84, as
## @command{readvelsol} converts), @code{vel}, @code{sigma} (m/yr), all
## NaN where absent, and @code{cov}, @code{poscov} (3m-by-3m covariance of
## the velocities and of the positions, rows 3i-2..3i the X, Y, Z of row
## i, NaN rows and columns where a component is absent).  Without a matrix
## block @code{cov} and @code{poscov} hold the squared sigmas on the
## diagonal, and the warning @code{readsinex:nomatrix} says so.
##
## Errors carry identifiers: @code{readsinex:open} (with the system's
## reason), @code{readsinex:format} (a line of a block read that cannot
## be parsed: file, line, block, columns and the text), @code{readsinex:index}
## (an estimate or matrix index outside 1 to P, an element outside the
## declared triangle), @code{readsinex:matrix} (CORR without its diagonal,
## INFO not positive definite), @code{readsinex:read} (a read error, or
## compressed data that is cut or corrupt), @code{readsinex:memory},
## @code{readsinex:name} and @code{readsinex:usage}.  A header estimate
## count that differs from the block gives the warning
## @code{readsinex:count}.
##
## The matrix block of a large file is converted by several threads; the
## results are the same bits for any number of threads.
##
## Example:
## @example
## @group
## snx = readsinex ("IGS0OPSSNX_2024.snx.gz");
## v = snx.vel(! isnan (snx.vel(:,1)), :);
## @end group
## @end example
## @seealso{readvelsol, velsol2enu}
## @end deftypefn

## Refused calls (a file written and read back is writesinex's test).
%!error id=readsinex:usage readsinex ()
%!error id=readsinex:usage readsinex ("a.snx", "matrix")
%!error id=readsinex:usage readsinex ("a.snx", "colour", true)
%!error id=readsinex:name readsinex (42)
%!error id=readsinex:open readsinex (tempname ())
