## tosqumg against a second, independent reader written in plain Octave
## (bench/tosqumg_octave.m): on every solution file below both must return
## the same four results bit for bit and print the same lines.

%!shared bench
%! bench = canonicalize_file_name (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "bench"));
%! assert (! isempty (bench), "bench/ not found from GEOMEX_SOURCE_DIR");
%! addpath (bench);

## Field text in exactly `width` columns; kind "f" or "E" is the printf
## conversion of the plain style.  style: "plain" (%f / %E),
## "fortran" (0.ddd...E+ee), "implied" (no decimal point: the last `dec`
## digits are the fraction), "dexp" (D exponent), "bare" (exponent sign
## without its letter), "blanks" (blanks inside the number).
%!function t = real_field (v, width, dec, kind, style)
%!  switch (style)
%!    case "plain"
%!      t = sprintf (["%*.*", kind], width, dec, v);
%!    case {"fortran", "dexp", "bare", "implied"}
%!      ## 0.ddd...E+ee with dec digits (F fields take it as well): the
%!      ## decimal exponent is one more than that of d.ddd...E+ee.
%!      s = sprintf ("%.*E", dec - 1, abs (v));
%!      at = find (s == "E");
%!      e = str2double (s(at+1:end)) + 1;
%!      letter = "E";
%!      if (strcmp (style, "dexp"))
%!        letter = "D";
%!      elseif (strcmp (style, "bare"))
%!        letter = "";
%!      endif
%!      t = sprintf ("%s0.%s%s%s%+03d", repmat ("-", 1, v < 0), s(1), s(3:at-1), letter, e);
%!      if (strcmp (style, "implied"))
%!        t = strrep (t, "0.", "");
%!      endif
%!    case "blanks"
%!      t = sprintf (["%.*", kind], dec - 4, v);
%!      t = [t(1:3), " ", t(4:end-2), " ", t(end-1:end)];
%!  endswitch
%!  assert (numel (t) <= width);
%!  t = [repmat(" ", 1, width - numel (t)), t];
%!endfunction

## A solution of nvec parameter groups and nvec + 1 station records with
## random realistic values.  ref: the station record named like the header's
## reference (0: none).  odd: share of fields written in an unusual style.
%!function s = make_solution (nvec, ref, seed, odd)
%!  rand ("seed", seed);
%!  nst = nvec + 1;
%!  s.names = arrayfun (@(j) sprintf ("S%03d    ", j), (1:nst).', "uniformoutput", false);
%!  s.refsta = "REF1    ";
%!  if (ref > 0)
%!    s.names{ref} = s.refsta;
%!  endif
%!  if (nst > 1)   # the same letters in lower case are another station
%!    s.names{1 + (ref == 1)} = "ref1    ";
%!  endif
%!  lat = (rand (1, nst) * 140 - 60) * pi / 180;
%!  lon = (rand (1, nst) * 360 - 180) * pi / 180;
%!  h = rand (1, nst) * 4000 - 100;
%!  a = 6378137; e2 = 0.00669438;
%!  N = a ./ sqrt (1 - e2 * sin (lat) .^ 2);
%!  s.xyz = [(N + h) .* cos(lat) .* cos(lon); (N + h) .* cos(lat) .* sin(lon); ...
%!           (N * (1 - e2) + h) .* sin(lat)];
%!  np = 3 * nvec;
%!  s.n = np;
%!  s.k = (1:np).';
%!  s.pnames = s.names(ceil ((1:np).' / 3));
%!  s.vals = (rand (np, 1) - 0.5) * 0.07;
%!  s.sigmas = 2e-4 + rand (np, 1) * 3e-3;
%!  [j, i] = find (tril (true (np), -1).');   # row by row: (2,1), (3,1), (3,2), ...
%!  s.ci = i; s.cj = j;
%!  s.rho = (rand (numel (i), 1) - 0.5) * 1.9;
%!  s.odd = odd;
%!  s.eol = "\n";
%!endfunction

%!function f = write_solution (s)
%!  styles = {"fortran", "implied", "dexp", "bare", "blanks"};
%!  pick = @() ifelse_style (rand () < s.odd, styles);
%!  f = [tempname(), ".sol"];
%!  fid = fopen (f, "w");
%!  fprintf (fid, [" %4d%-8s %-3s", s.eol], s.n, s.refsta, "XYZ");
%!  for j = 1:numel (s.names)
%!    fprintf (fid, "%-8s", s.names{j});
%!    for c = 1:3
%!      fputs (fid, real_field (s.xyz(c, j), 19, 7, "f", pick ()));
%!    endfor
%!    fputs (fid, s.eol);
%!  endfor
%!  comp = {"VX      ", "VY      ", "VZ      "};
%!  for p = 1:numel (s.k)
%!    fprintf (fid, " %4d  %s%-8s  %s  +-  %s%s", s.k(p), comp{mod (p - 1, 3) + 1}, s.pnames{p},
%!             real_field (s.vals(p), 22, 15, "E", pick ()),
%!             real_field (s.sigmas(p), 21, 15, "E", pick ()), s.eol);
%!  endfor
%!  if (isempty (s.rho))
%!    ## nothing: an empty argument list would still print the template once
%!  elseif (s.odd == 0)
%!    fprintf (fid, [" %4d  %4d  %22.15E", s.eol], [s.ci, s.cj, s.rho].');
%!  else
%!    for r = 1:numel (s.rho)
%!      fprintf (fid, " %-4d  %4d  %s  trailing text%s", s.ci(r), s.cj(r),
%!               real_field (s.rho(r), 22, 15, "E", pick ()), s.eol);
%!    endfor
%!  endif
%!  fclose (fid);
%!endfunction

%!function st = ifelse_style (odd, styles)
%!  st = "plain";
%!  if (odd)
%!    st = styles{randi (numel (styles))};
%!  endif
%!endfunction

## Both readers on one file: the same lines and the same bits (NaN where one
## has NaN, and the same bit pattern everywhere else, which also tells -0
## from +0).  Returns the module's results.
%!function [vel, outcov, nvec, llh, out] = same_results (f)
%!  [out, vel, outcov, nvec, llh] = evalc ("tosqumg (f)");
%!  [out2, v2, c2, n2, l2] = evalc ("tosqumg_octave (f)");
%!  assert (out, out2);
%!  a = {vel, outcov, nvec, llh};
%!  b = {v2, c2, n2, l2};
%!  for r = 1:4
%!    assert (size (a{r}), size (b{r}));
%!    assert (isnan (a{r}), isnan (b{r}));
%!    x = a{r}(! isnan (a{r}));
%!    y = b{r}(! isnan (b{r}));
%!    bad = find (typecast (x, "uint64") != typecast (y, "uint64"), 1);
%!    assert (isempty (bad), "result %d differs: %.17g vs %.17g", r, x(bad), y(bad));
%!    assert (isequaln (a{r}, b{r}));
%!  endfor
%!endfunction

## The largest solution, reference station in the middle: 98 velocities,
## the 294 x 294 covariance and 100 positions, reference last.
%!test
%! s = make_solution (99, 50, 1, 0);
%! f = write_solution (s);
%! unwind_protect
%!   [vel, outcov, nvec, llh, out] = same_results (f);
%!   assert (out, " match 50\n");
%!   assert (nvec, 99);
%!   assert (vel(:, 50), s.vals(151:153), -1e-15);
%!   assert (all (vel(:, 99) == 0));
%!   assert (nnz (outcov), 294 ^ 2);
%!   assert (outcov(148, 148), s.sigmas(151) ^ 2, -1e-14);
%!   assert (llh(2, 100), atan2 (s.xyz(2, 50), s.xyz(1, 50)) / (atan (1) / 45), 1e-9);
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## Reference station first, last of the parameter section, and the extra
## station record after it (nothing removed: the full 297 x 297).
%!test
%! for c = [1, 7, 1; 7, 7, 2; 8, 7, 3; 100, 99, 4].'
%!   s = make_solution (c(2), c(1), c(3), 0);
%!   f = write_solution (s);
%!   unwind_protect
%!     [vel, outcov, nvec, llh, out] = same_results (f);
%!     assert (out, sprintf (" match %d\n", c(1)));
%!     m = 3 * c(2) - 3 * (c(1) <= c(2));
%!     assert (nnz (outcov), m ^ 2);
%!     assert (nnz (any (vel)), c(2) - (c(1) <= c(2)));
%!     assert (llh(2, c(2) + 1), atan2 (s.xyz(2, c(1)), s.xyz(1, c(1))) / (atan (1) / 45), 1e-9);
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## No station: one station record, no parameter or correlation record;
## n of 1 and 2 give no station either.
%!test
%! for n = 0:2
%!   s = make_solution (0, 1, 5, 0);
%!   s.n = n;
%!   f = write_solution (s);
%!   unwind_protect
%!     [vel, outcov, nvec, llh, out] = same_results (f);
%!     assert (out, " match 1\n");
%!     assert (nvec, 0);
%!     assert (nnz (vel) + nnz (outcov), 0);
%!     assert (nnz (llh(:, 2:end)), 0);
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## A negative count: nothing after the header is read, no line is printed,
## and the count comes back as it is.
%!test
%! s = make_solution (0, 1, 5, 0);
%! s.n = -4;
%! f = write_solution (s);
%! unwind_protect
%!   [vel, outcov, nvec, llh, out] = same_results (f);
%!   assert (out, "");
%!   assert (nvec, -1);
%!   assert (nnz (vel) + nnz (outcov) + nnz (llh), 0);
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## No station named like the reference: a line says so and the last station
## record stands in for it, so nothing is removed.
%!test
%! s = make_solution (12, 0, 6, 0);
%! f = write_solution (s);
%! unwind_protect
%!   [vel, outcov, nvec, llh, out] = same_results (f);
%!   assert (out, " ** Reference station not found ** \n");
%!   assert (nnz (outcov), 36 ^ 2);
%!   assert (vel(:, 12), s.vals(34:36), -1e-15);
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## Two records named like the reference: the later one decides.
%!test
%! s = make_solution (6, 2, 7, 0);
%! s.names{5} = s.refsta;
%! f = write_solution (s);
%! unwind_protect
%!   [~, outcov, ~, ~, out] = same_results (f);
%!   assert (out, " match 2\n match 5\n");
%!   assert (nnz (outcov), 15 ^ 2);
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## 100 stations or more are refused: both lines and nothing else, all zero.
%!test
%! for n = [300, 303, 9999]
%!   s = make_solution (0, 1, 8, 0);
%!   s.n = n;
%!   f = write_solution (s);
%!   unwind_protect
%!     [vel, outcov, nvec, llh, out] = same_results (f);
%!     assert (out, [" ** Number of Vectors exceeds Maxvec ** \n", ...
%!                   " ** Error in opening file ** \n"]);
%!     assert (nnz (vel) + nnz (outcov) + nnz (nvec) + nnz (llh), 0);
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## Every kind of field the format allows, in a quarter of the fields, with
## Windows line ends and text after the last field of each correlation.
%!test
%! for seed = 11:13
%!   s = make_solution (9, 4, seed, 0.25);
%!   if (seed == 12)
%!     s.eol = "\r\n";
%!   endif
%!   f = write_solution (s);
%!   unwind_protect
%!     [vel, ~, ~, ~, out] = same_results (f);
%!     assert (out, " match 4\n");
%!     assert (vel(:, 1:8), reshape (s.vals([1:9, 13:27]), 3, 8), 1e-12);
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## Points where the refinement degenerates: on the polar axis (closed
## form), the origin, and near the Earth's centre, where the passes never
## settle or settle late: the cap of 100 passes gives NaN latitude and
## height to (30 km, 0, 40 km), which would settle after 162 passes, but
## not to (40 km, 0, 40 km), which settles after 74.
%!test
%! s = make_solution (7, 8, 9, 0);
%! s.xyz(:, 1:7) = [0, 0, 6356852.3142; 0, 0, -6356752.3142; -0.0, 0, 10;
%!                  0, 0, 0; 1000, 0, 0; 30000, 0, 40000; 40000, 0, 40000].';
%! f = write_solution (s);
%! unwind_protect
%!   [~, ~, ~, llh] = same_results (f);
%!   b = 6378137 * (1 - 1 / 298.257223563);
%!   assert (llh(:, 1:3), [90, -90, 90; 0, 0, 180; 6356852.3142 - b, 6356752.3142 - b, 10 - b]);
%!   assert (isnan (llh([1, 3], 4:6)));
%!   assert (llh(2, 4:6), [0, 0, 0]);
%!   assert (all (isfinite (llh(:, 7))));
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## The correlations in another order, some with their indices swapped, give
## the same matrix; a pair named twice, once each way round, takes the later
## record, and leaves another pair unset, which must read 0 even after a
## file that set it (nothing is kept between calls); a record on the
## diagonal scales it by its correlation, and later records use the result.
%!test
%! s = make_solution (8, 3, 10, 0);
%! f1 = write_solution (s);
%! rand ("seed", 3);
%! order = randperm (numel (s.rho));
%! swap = rand (size (s.rho)) < 0.5;
%! t = s;
%! t.ci = s.ci(order); t.cj = s.cj(order); t.rho = s.rho(order);
%! [t.ci(swap), t.cj(swap)] = deal (t.cj(swap), t.ci(swap));
%! f2 = write_solution (t);
%! u = s;
%! u.ci(1:2) = [1; 2]; u.cj(1:2) = [2; 1];   # (1,2), then (2,1): (3,1) is never named
%! f3 = write_solution (u);
%! w = s;
%! w.ci(3) = 2; w.cj(3) = 2;   # (3,2) becomes (2,2): later records see the new variance,
%! w.rho(3) = -0.5;            # here a negative one, whose square root is NaN
%! f4 = write_solution (w);
%! unwind_protect
%!   [~, c1] = same_results (f1);
%!   [~, c2] = same_results (f2);
%!   assert (c2, c1);
%!   [~, c3] = same_results (f3);
%!   assert ([c3(3, 1), c3(1, 3)], [0, 0]);
%!   assert (c3(2, 1), s.rho(2) * sqrt (c1(1, 1) * c1(2, 2)), eps);
%!   [~, c4] = same_results (f4);
%!   assert (c4(2, 2), -0.5 * c1(2, 2));
%!   assert (isnan ([c4(4, 2), c4(2, 4), c4(9, 2)]));
%!   assert (c4(2, 1), c1(2, 1));   # scaled before the change
%! unwind_protect_cleanup
%!   unlink (f1); unlink (f2); unlink (f3); unlink (f4);
%! end_unwind_protect

## A missing file: one line, all zero, from both.
%!test
%! [vel, outcov, nvec, llh, out] = same_results ([tempname(), ".sol"]);
%! assert (out, " ** Error in opening file ** \n");
%! assert (nnz (vel) + nnz (outcov) + nnz (nvec) + nnz (llh), 0);
