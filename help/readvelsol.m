## Copyright (C) 2026 the authors
## SPDX-License-Identifier: MIT

## -*- texinfo -*-
## @deftypefn {} {@var{sol} =} readvelsol (@var{filename})
## Read a station velocity solution file whole, without fixed limits.
##
## @var{filename} names a velocity solution in the fixed-column format that
## @command{tosqumg} reads (see the file-format notes of this toolbox); any
## length of name, any station count the format admits (a parameter count up
## to 9999, that is 3333 stations and a 9999-by-9999 covariance).  Nothing is
## reordered or removed: the result is a scalar struct with the fields
##
## @table @code
## @item refname
## 1-by-8 char: the reference station's name from the header, as written.
## @item crdsys
## 1-by-3 char: the coordinate system label from the header.
## @item station
## (nvec+1)-by-1 cell of 1-by-8 char: the names of the station records, in
## file order, exactly 8 characters (blanks kept).
## @item xyz
## (nvec+1)-by-3: their Cartesian coordinates X, Y, Z in metres.
## @item llh
## (nvec+1)-by-3: latitude and longitude (degrees) and height (metres) on
## WGS 84, converted exactly as @command{tosqumg} converts them.
## @item refstation
## The position in @code{station} of the reference station (the last record
## named like @code{refname}), or 0 when no record is.
## @item site
## nvec-by-1 cell of 1-by-8 char: the station name of each parameter group
## (the name on the group's third record, the one @command{tosqumg} compares
## with the reference).
## @item vel
## nvec-by-3: the values of each group's three records, in file order (the
## file's unit, for instance m/yr).
## @item sigma
## nvec-by-3: their standard deviations.
## @item cov
## (3 nvec)-by-(3 nvec): the covariance of all parameters by parameter index,
## nothing removed.  Each correlation record scales its coefficient by the
## standard deviations as they stand at that record; a later record for the
## same pair wins.
## @end table
##
## Heights within centimetres of the polar axis are ill-conditioned, as in
## @command{tosqumg} (see its help).

## Empty sections give 0-row arrays.  For every file both commands read,
## @command{tosqumg}'s @var{outcov} is @code{cov} without the reference
## station's rows and columns, its @var{vel} the rows of @code{vel} whose
## @code{site} is not the reference, and its @var{llh} the rows of
## @code{llh} with the reference station moved last.
##
## Errors carry identifiers: @code{readvelsol:open} (the file cannot be
## opened; the system's reason is given), @code{readvelsol:record} (a record
## is missing or a field is not a number: file, line, field, columns and the
## field's text), @code{readvelsol:index} (a parameter index outside 1 to
## 3 nvec), @code{readvelsol:count} (a negative parameter count),
## @code{readvelsol:read} (the system failed while reading),
## @code{readvelsol:memory} (the results do not fit in memory; the session
## goes on), @code{readvelsol:name} (a file name that is not a one-row
## string, or holds a NUL; a 1 x n x m array is the name of its n m
## characters) and @code{readvelsol:usage} (not one argument, or more than
## one result).
##
## Warnings, which @code{warning ("off", @var{id})} silences:
## @code{readvelsol:noReference} (no station record is named like the
## reference), @code{readvelsol:mixedGroup} (the three records of a group
## name different stations) and @code{readvelsol:countNotMultipleOf3}.
##
## The correlation section of a large file is read by several threads; the
## results are the same bits for any number of threads.
##
## Example:
## @example
## @group
## sol = readvelsol ("solution.sol");
## r = sol.refstation;
## keep = setdiff (1:rows (sol.cov), 3*r-2:3*r);
## C = sol.cov(keep, keep);    # without the reference station
## @end group
## @end example
## @seealso{tosqumg}
## @end deftypefn

## The example solution: the same numbers as tosqumg, rows in file order.
%!test
%! f = file_in_loadpath ("example.sol");
%! if (isempty (f))
%!   f = fullfile (getenv ("GEOMEX_SOURCE_DIR"), "examples", "example.sol");
%! end
%! if (exist (f, "file"))
%!   sol = readvelsol (f);
%!   evalc ("[vel, outcov, nvec, llh] = tosqumg (f);");
%!   n = 3 * nvec;
%!   keep = ! strcmp (sol.site, sol.station{sol.refstation});
%!   assert (sol.vel(keep, :)', vel(:, 1:nvec - 1));
%!   idx = find (kron (keep(:)', [1 1 1]));
%!   assert (sol.cov(idx, idx), outcov(1:n - 3, 1:n - 3));
%!   assert (size (sol.cov), [n, n]);
%! end

%!error id=readvelsol:usage readvelsol ()
%!error id=readvelsol:usage readvelsol ("a", "b")
%!error id=readvelsol:name readvelsol (42)
%!error id=readvelsol:open readvelsol (tempname ())
