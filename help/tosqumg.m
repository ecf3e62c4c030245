## Copyright (C) 2026 the authors
## SPDX-License-Identifier: MIT

## -*- texinfo -*-
## @deftypefn {} {[@var{vel}, @var{outcov}, @var{nvec}, @var{llh}] =} tosqumg (@var{filename})
## Read a station velocity solution file.
##
## @var{filename} is a one-row character string of at most 150 characters
## that names a velocity solution: a fixed-column text file with a header
## (parameter count, reference station), the Cartesian coordinates of the
## stations, three velocity parameters per station with their standard
## deviations, and the correlations between all parameters.  The format is
## described in the file-format notes that come with this toolbox.
##
## @command{tosqumg} rebuilds the covariance of all parameters from the
## standard deviations and correlations, takes the reference station out of
## the velocities and of the covariance, moves it to the end of the station
## list, and converts every station's coordinates to geodetic latitude,
## longitude and height on the WGS 84 ellipsoid.
##
## All four results must be asked for.  Their sizes are fixed, whatever the
## file holds; every element that the solution does not fill is 0.
##
## @table @var
## @item vel
## 3-by-99.  The three velocity components of each station, one column per
## station, in the order of the parameter section and in the file's unit
## (for instance m/yr).  A station whose parameter records carry the
## reference station's name is left out.
##
## @item outcov
## 297-by-297.  The covariance of the velocity components, in the square of
## the file's unit, without the reference station's three rows and columns,
## in the order of the file: the top-left 3@var{m}-by-3@var{m} block
## belongs to the @var{m} stations of @var{vel}.
##
## @item nvec
## 1-by-1.  The number of stations of the parameter section: the header's
## parameter count divided by 3, rounded toward zero.
##
## @item llh
## 3-by-100.  Latitude (degrees, north positive), longitude (degrees, east
## positive, -180 to 180) and height above the ellipsoid (metres) of each
## of the @var{nvec}+1 station coordinate records, one column per station:
## the stations in file order without the reference station, then the
## reference station.
## @end table
##
## Heights are ill-conditioned within centimetres of the polar axis: the
## iteration (that of the legacy routine, kept bit for bit) divides by the
## distance from the axis, and its height is off by about 3 mm at 1 m from
## the axis, 2 cm at 1 cm, 15 m at 0.1 mm and kilometres at 1 um.  Points
## exactly on the axis are converted in closed form.  Real stations lie far
## from the axis.
##
## Lines written to the command window:
##
## @table @asis
## @item @qcode{" match @var{j}"}
## Station coordinate record @var{j} carries the reference station's name.
## When several do, the last one is the reference station.
##
## @item @qcode{" ** Reference station not found ** "}
## No station coordinate record carries the reference station's name; the
## last record is then taken as the reference station.
##
## @item @qcode{" ** Error in opening file ** "}
## The file cannot be opened.  All four results are 0.
##
## @item @qcode{" ** Number of Vectors exceeds Maxvec ** "}
## The header declares 100 stations or more (a parameter count of 300 or
## more), followed by @qcode{" ** Error in opening file ** "}.  All four
## results are 0.
## @end table
##
## A call is refused with one of these errors and returns nothing:
##
## @table @asis
## @item @qcode{"one input arguments required"}
## There must be exactly one argument.
##
## @item @qcode{"tosqum requires 4 output arguments"}
## All four results must be asked for; use @code{~} for those not needed.
##
## @item @qcode{"argument must be a string"}
## @itemx @qcode{"file name must be a one-row character string"}
## @itemx @qcode{"file name longer than 150 characters (it has @var{n})"}
## The argument is not a file name that the reader accepts.
##
## @item @qcode{"file '@var{name}', line @var{l}: @dots{}"}
## The file is not a readable solution: it ends before the last record that
## its header calls for, a field holds something other than a number, or a
## parameter index lies outside 1 to 3*@var{nvec}.  The message names the
## line and, for a bad field, its columns and contents.
## @end table
##
## Example: a solution whose reference station, the last station record,
## has no velocity parameters of its own
##
## @example
## @group
## [vel, outcov, nvec, llh] = tosqumg ("solution.txt");
## v = vel(:, 1:nvec);               # velocities, one column per station
## C = outcov(1:3*nvec, 1:3*nvec);   # their covariance
## pos = llh(:, 1:nvec+1);           # positions, reference station last
## @end group
## @end example
##
## @noindent
## For error ellipses, rotate each station's velocity and its 3-by-3 block
## of @var{C} to local east, north and up at the station's latitude and
## longitude, and pass the east/north covariance to @code{brisol}.
##
## @seealso{brisol}
## @end deftypefn

function varargout = tosqumg (varargin)
  ## The compiled module tosqumg.mex in this folder takes precedence over
  ## this file, which carries its help text.  Reaching this code means the
  ## module is missing.
  error ("tosqumg: the compiled module tosqumg.%s is missing from %s; build or install it as the installation notes describe",
         mexext (), fileparts (mfilename ("fullpath")));
endfunction


## Writes a solution file: the header, then the station coordinate records
## (cell rows of name, X, Y, Z), the parameter records (rows of index, name,
## value, sigma) and the correlation records (rows of i, j, rho).
%!function write_solution (file, n, refsta, stations, params, corrs)
%!  fid = fopen (file, "w");
%!  fprintf (fid, " %4d%-8s %3s\n", n, refsta, "XYZ");
%!  for r = 1:rows (stations)
%!    fprintf (fid, "%-8s%19.7f%19.7f%19.7f\n", stations{r,:});
%!  endfor
%!  for r = 1:rows (params)
%!    fprintf (fid, " %4d          %-8s  %22.15E      %21.15E\n", params{r,:});
%!  endfor
%!  for r = 1:rows (corrs)
%!    fprintf (fid, " %4d  %4d  %22.15E\n", corrs(r,:));
%!  endfor
%!  fclose (fid);
%!endfunction

## The installed command is the compiled module, not this file.
%!assert (exist ("tosqumg"), 3)

%!error <one input arguments required$> [a, b, c, d] = tosqumg ()
%!error <one input arguments required$> [a, b, c, d] = tosqumg ("a", "b")
%!error <tosqum requires 4 output arguments$> [a, b, c] = tosqumg ("x.txt")
%!error <tosqum requires 4 output arguments$> tosqumg ("x.txt")
%!error <argument must be a string$> [a, b, c, d] = tosqumg (42)

## A file that cannot be opened: one line, results of full size, all 0.
%!test
%! missing = [tempname(), ".txt"];
%! out = evalc ("[vel, outcov, nvec, llh] = tosqumg (missing);");
%! assert (out, " ** Error in opening file ** \n");
%! assert ([size(vel); size(outcov); size(nvec); size(llh)],
%!         [3, 99; 297, 297; 1, 1; 3, 100]);
%! assert (nnz (vel) + nnz (outcov) + nnz (nvec) + nnz (llh), 0);

## Reference station R second of four station records, with parameters:
## it leaves vel and outcov, and moves to the last column of llh.
%!test
%! a = 6378137.0;
%! stations = {"S1", a, 0, 0; "R", 0, a, 0; "S2", -a, 0, 0; "S3", 0, -a, 0};
%! names = {"S1", "S1", "S1", "R", "R", "R", "S2", "S2", "S2"};
%! sigma = [2, 3, 4, 5, 6, 7, 8, 9, 10] * 1e-3;
%! params = [num2cell(1:9)', names', num2cell((1:9) / 100)', num2cell(sigma)'];
%! [i, j] = find (tril (ones (9), -1));
%! corrs = [i, j, repmat(0.5, numel (i), 1)];
%! file = [tempname(), ".txt"];
%! write_solution (file, 9, "R", stations, params, corrs);
%! unwind_protect
%!   out = evalc ("[vel, outcov, nvec, llh] = tosqumg (file);");
%! unwind_protect_cleanup
%!   delete (file);
%! end_unwind_protect
%! assert (out, " match 2\n");
%! assert (nvec, 3);
%! assert (vel(:, 1:2), [1, 7; 2, 8; 3, 9] / 100);
%! assert (nnz (vel(:, 3:end)), 0);
%! keep = [1:3, 7:9];
%! s = sigma(keep);
%! expected = 0.5 * (s' * s);
%! expected(1:7:end) = s.^2;
%! assert (outcov(1:6, 1:6), expected, 1e-18);
%! assert (nnz (outcov) , 36);
%! assert (llh(:, 1:4), [0, 0, 0, 0; 0, 180, -90, 90; 0, 0, 0, 0], 1e-9);
%! assert (nnz (llh(:, 5:end)), 0);

## A file whose records end too early is refused, naming file and line.
%!test
%! file = [tempname(), ".txt"];
%! write_solution (file, 3, "R", {"S1", 6378137, 0, 0}, cell (0, 4), zeros (0, 3));
%! unwind_protect
%!   try
%!     [vel, outcov, nvec, llh] = tosqumg (file);
%!     error ("tosqumg accepted a cut file");
%!   catch err
%!     assert (! isempty (strfind (err.message, ["'", file, "'"])));
%!     assert (! isempty (regexp (err.message, "line 3: the file ends before station record 2 of 2$")));
%!   end_try_catch
%! unwind_protect_cleanup
%!   delete (file);
%! end_unwind_protect
