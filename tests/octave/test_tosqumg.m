## End-to-end checks of the tosqumg module as a user calls it.

## Refused calls: the first failing check decides the message.
%!error <one input arguments required$> [a, b, c, d] = tosqumg ()
%!error <one input arguments required$> [a, b, c, d] = tosqumg ("x", "y")
%!error <one input arguments required$> a = tosqumg (1, 2)
%!error <tosqum requires 4 output arguments$> tosqumg ("x.sol")
%!error <tosqum requires 4 output arguments$> [a, b, c] = tosqumg ("x.sol")
%!error <tosqum requires 4 output arguments$> [a, b, c, d, e] = tosqumg ("x.sol")
%!error <argument must be a string$> [a, b, c, d] = tosqumg (1)
%!error <argument must be a string$> [a, b, c, d] = tosqumg ({"x.sol"})
%!error <file name must be a one-row character string$> [a, b, c, d] = tosqumg (["ab"; "cd"])
%!error <file name longer than 150 characters \(it has 151\)$> [a, b, c, d] = tosqumg (repmat ("a", 1, 151))

%!function f = write_solution (text)
%!  f = [tempname(), ".sol"];
%!  fid = fopen (f, "w");
%!  fputs (fid, text);
%!  fclose (fid);
%!endfunction

## A small solution: stations S1, R, S2, S3 with R the reference.
%!function text = small_solution (ref)
%!  xyz = [4027893.6719, 307045.9064, 4919475.1704;
%!         4075580.385, 931853.847, 4801568.244;
%!         3194469.145, 3194469.145, 4487419.12;
%!         6378137.0, 0, 0];
%!  names = {"S1", "R", "S2", "S3"};
%!  text = sprintf (" %4d%-8s %3s\n", 9, ref, "ITR");
%!  for j = 1:4
%!    text = [text, sprintf("%-8s%19.7f%19.7f%19.7f\n", names{j}, xyz(j,:))];
%!  endfor
%!  k = 0;
%!  for s = 1:3
%!    for q = 1:3
%!      k++;
%!      text = [text, sprintf(" %4d          %-8s  %22.15E      %21.15E\n", k, names{s}, 0.01 * k, 0.001 * k)];
%!    endfor
%!  endfor
%!  for i = 1:9
%!    for j = 1:i-1
%!      text = [text, sprintf(" %4d  %4d  %22.15E\n", i, j, 0.01 * (i + 2 * j))];
%!    endfor
%!  endfor
%!endfunction

%!test
%! f = write_solution (small_solution ("R"));
%! unwind_protect
%!   out = evalc ("[vel, outcov, nvec, llh] = tosqumg (f);");
%!   assert (out, " match 2\n");
%!   assert (size (vel), [3, 99]);
%!   assert (size (outcov), [297, 297]);
%!   assert (size (nvec), [1, 1]);
%!   assert (size (llh), [3, 100]);
%!   assert (nvec, 3);
%!   assert (vel(:, 1:2), [0.01 0.07; 0.02 0.08; 0.03 0.09]);
%!   assert (all (vel(:, 3:end)(:) == 0));
%!   keep = [1 2 3 7 8 9];
%!   s = 0.001 * keep;
%!   C = diag (s .^ 2);
%!   for a = 1:6
%!     for b = 1:a-1
%!       i = keep(a); j = keep(b);
%!       C(a, b) = 0.01 * (i + 2 * j) * sqrt ((0.001 * i) ^ 2 * (0.001 * j) ^ 2);
%!       C(b, a) = C(a, b);
%!     endfor
%!   endfor
%!   assert (outcov(1:6, 1:6), C, 0);
%!   assert (nnz (outcov), 36);
%!   ## S1, S2, S3, then the reference station R.
%!   assert (llh(:, 3), [0; 0; 0]);
%!   assert (llh(:, 2), [45.0000000034; 45; 100.0003], [1e-9; 0; 1e-4]);
%!   assert (llh(2, 1), atan2 (307045.9064, 4027893.6719) / (atan (1) / 45));
%!   assert (llh(2, 4), atan2 (931853.847, 4075580.385) / (atan (1) / 45));
%!   assert (all (llh(:, 5:end)(:) == 0));
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## No station named like the reference station.
%!test
%! f = write_solution (small_solution ("NONE"));
%! unwind_protect
%!   out = evalc ("[vel, outcov, nvec, llh] = tosqumg (f);");
%!   assert (out, " ** Reference station not found ** \n");
%!   assert (nnz (outcov), 81);
%!   assert (vel(1, 1:3), [0.01 0.04 0.07]);
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## A file that does not exist: one line, four zero results, no error.
%!test
%! out = evalc ("[vel, outcov, nvec, llh] = tosqumg ('/nonexistent/solution.sol');");
%! assert (out, " ** Error in opening file ** \n");
%! assert ([size(vel); size(outcov); size(nvec); size(llh)], [3 99; 297 297; 1 1; 3 100]);
%! assert (nnz (vel) + nnz (outcov) + nnz (nvec) + nnz (llh), 0);

%!function [v, c, n, l] = evalc_quiet (f)
%!  evalc ("[v, c, n, l] = tosqumg (f);");
%!endfunction

## An empty name, however it is shaped, opens nothing.
%!test
%! for name = {"", char(zeros(0, 5)), char(zeros(1, 0))}
%!   out = evalc ("[vel, outcov, nvec, llh] = tosqumg (name{1});");
%!   assert (out, " ** Error in opening file ** \n");
%! endfor

## A name of exactly 150 characters is used whole; trailing blanks are not
## part of the name.
%!test
%! name = ["/tmp/", repmat("n", 1, 145)];
%! out = evalc ("[vel, outcov, nvec, llh] = tosqumg (name);");
%! assert (out, " ** Error in opening file ** \n");
%! f = write_solution (small_solution ("R"));
%! unwind_protect
%!   [v1, c1, n1, l1] = evalc_quiet (f);
%!   [v2, c2, n2, l2] = evalc_quiet ([f, "   "]);
%!   assert (isequal (v1, v2) && isequal (c1, c2) && isequal (l1, l2));
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## A record that cannot be read is an error naming the file and the line;
## the session goes on.
%!test
%! text = small_solution ("R");
%! f = write_solution (text(1:200));
%! unwind_protect
%!   try
%!     evalc ("[vel, outcov, nvec, llh] = tosqumg (f);");
%!     error ("no error raised");
%!   catch err
%!     assert (err.message, ["tosqumg: file '", f, "', line 5: the file ends before station record 4 of 4"]);
%!   end_try_catch
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect
%! out = evalc ("[vel, outcov, nvec, llh] = tosqumg ('/nonexistent');");
%! assert (out, " ** Error in opening file ** \n");
