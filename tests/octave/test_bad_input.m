## Bad input to both commands, as a user meets it: what each refused call
## says, what a bad file gives, and that the session goes on afterwards.
## The README's bad-input table lists the same cases.

## ---------------------------------------------------------------- tosqumg
## Helpers: solution files in fixed columns, written to temporary files.

%!function text = solution (names, ref, groups, n)
%!  ## names: station records in file order; groups: names of the parameter
%!  ## groups (indices 3s-2 .. 3s); n: the header's count (default 3 x groups).
%!  if (nargin < 4)
%!    n = 3 * numel (groups);
%!  endif
%!  text = sprintf (" %4d%-8s %3s\n", n, ref, "ITR");
%!  for j = 1:numel (names)
%!    text = [text, sprintf("%-8s%19.7f%19.7f%19.7f\n", names{j}, ...
%!                          4027893.6719 + 1000 * j, 307045.9064 + 2000 * j, ...
%!                          4919475.1704 - 500 * j)];
%!  endfor
%!  N = 3 * numel (groups);
%!  k = 1:N;
%!  g = groups(ceil (k / 3));
%!  rows = [num2cell(k); g; num2cell(0.001 * k); num2cell(1e-4 * (1 + mod(k, 5)))];
%!  text = [text, sprintf(" %4d          %-8s  %22.15E      %21.15E\n", rows{:})];
%!  [J, I] = find (triu (true (N), 1));   # (2,1), (3,1), (3,2), (4,1), ...
%!  rho = 0.01 * (1 + mod (I + J, 7));
%!  text = [text, sprintf(" %4d  %4d  %22.15E\n", [I(:)'; J(:)'; rho(:)'])];
%!endfunction

%!function names = stations (count)
%!  names = arrayfun (@(j) sprintf ("ST%02d", j), 1:count, "uniformoutput", false);
%!endfunction

%!function f = put (text)
%!  f = [tempname(), ".sol"];
%!  fid = fopen (f, "w");
%!  fwrite (fid, text);
%!  fclose (fid);
%!endfunction

%!function lines = text_lines (text)
%!  lines = strsplit (text(1:end-1), "\n");
%!endfunction

%!function text = join_lines (lines)
%!  text = [strjoin(lines, "\n"), "\n"];
%!endfunction

%!function [out, vel, outcov, nvec, llh] = read (f)
%!  out = evalc ("[vel, outcov, nvec, llh] = tosqumg (f);");
%!endfunction

## The error a file gives, without the command's prefix and the file's name.
%!function msg = failure (f)
%!  msg = "";
%!  try
%!    evalc ("[vel, outcov, nvec, llh] = tosqumg (f);");
%!  catch err
%!    msg = err.message;
%!  end_try_catch
%!  prefix = ["tosqumg: file '", f, "', "];
%!  assert (strncmp (msg, prefix, numel (prefix)), "no error naming the file: '%s'", msg);
%!  msg = msg(numel (prefix) + 1:end);
%!endfunction

%!function ok = all_zero (varargin)
%!  ok = all (cellfun (@(a) ! any (a(:)), varargin));
%!endfunction

## Wrong argument or result counts: the first failing check decides.
%!error <one input arguments required$> [a, b, c, d] = tosqumg ()
%!error <one input arguments required$> [a, b, c, d] = tosqumg ("a.sol", "b.sol")
%!error <one input arguments required$> tosqumg (1, 2)
%!error <tosqum requires 4 output arguments$> tosqumg ("a.sol")
%!error <tosqum requires 4 output arguments$> a = tosqumg ("a.sol")
%!error <tosqum requires 4 output arguments$> [a, b, c] = tosqumg ("a.sol")
%!error <tosqum requires 4 output arguments$> [a, b, c, d, e] = tosqumg ("a.sol")

## Arguments that are not one row of characters.
%!error <argument must be a string$> [a, b, c, d] = tosqumg (1)
%!error <argument must be a string$> [a, b, c, d] = tosqumg ([])
%!error <argument must be a string$> [a, b, c, d] = tosqumg ({"a.sol"})
%!error <argument must be a string$> [a, b, c, d] = tosqumg (true)
%!error <argument must be a string$> [a, b, c, d] = tosqumg (int8 ("a.sol"))
%!error <argument must be a string$> [a, b, c, d] = tosqumg (struct ("f", "a.sol"))
%!error <argument must be a string$> [a, b, c, d] = tosqumg (@sin)
%!error <file name must be a one-row character string$> [a, b, c, d] = tosqumg (["ab"; "cd"])
%!error <file name must be a one-row character string$> [a, b, c, d] = tosqumg (char (zeros (3, 0)))
%!error <file name longer than 150 characters \(it has 151\)$> [a, b, c, d] = tosqumg (repmat ("a", 1, 151))
%!error <file name longer than 150 characters \(it has 4000\)$> [a, b, c, d] = tosqumg (repmat ("a", 1, 4000))
%!error <file name longer than 150 characters \(it has 151\)$> [a, b, c, d] = tosqumg ([repmat("a", 1, 151), blanks(50)])

## Names that open nothing: one line, four zero results of full size.
%!test
%! d = tempname ();
%! mkdir (d);
%! unwind_protect
%!   for name = {"", [d, "/missing.sol"], d, ["/tmp/", repmat("n", 1, 145)]}
%!     [out, vel, outcov, nvec, llh] = read (name{1});
%!     assert (out, " ** Error in opening file ** \n");
%!     assert ([size(vel); size(outcov); size(nvec); size(llh)], [3 99; 297 297; 1 1; 3 100]);
%!     assert (all_zero (vel, outcov, nvec, llh));
%!   endfor
%! unwind_protect_cleanup
%!   rmdir (d);
%! end_unwind_protect

## A NUL inside the name must not cut it to another file's name.
%!test
%! f = put (solution ({"S1", "R"}, "R", {"S1"}));
%! unwind_protect
%!   try
%!     [out, vel, outcov, nvec, llh] = read ([f, char(0), ".old"]);
%!     error ("the name cut at its NUL was read");
%!   catch err
%!     assert (err.message, "tosqumg: file name must not contain NUL characters");
%!   end_try_catch
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## A 1 x n x m character array is the name of its n*m characters.
%!test
%! [out, vel] = read (repmat ("x", [1, 3, 2]));
%! assert (out, " ** Error in opening file ** \n");

## Trailing blanks are not part of the name, so padding past 150 characters
## does not refuse it: the short rows of char ({name, long_name}) read.
%!test
%! f = put (solution ({"S1", "R"}, "R", {"S1"}));
%! unwind_protect
%!   [out0, v0, c0, n0, l0] = read (f);
%!   names = char ({f, ["/tmp/", repmat("n", 1, 195)]});
%!   for name = {names(1, :), [f, blanks(4000)], reshape([f, blanks(300 - numel(f))], [1, 150, 2])}
%!     [out, v, c, n, l] = read (name{1});
%!     assert ({out, v, c, n, l}, {out0, v0, c0, n0, l0});
%!   endfor
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## Empty and truncated files: an error naming the file, the line and the
## record that is missing.
%!test
%! text = solution ({"S1", "R", "S2"}, "R", {"S1", "R"});  # 1 + 3 + 6 + 15 lines
%! L = text_lines (text);
%! cases = {0,  "line 1: the file ends before header record 1 of 1";
%!          1,  "line 2: the file ends before station record 1 of 3";
%!          6,  "line 7: the file ends before parameter record 3 of 6";
%!          20, "line 21: the file ends before correlation record 11 of 15"};
%! for c = 1:rows (cases)
%!   if (cases{c, 1} == 0)
%!     f = put ("");
%!   else
%!     f = put (join_lines (L(1:cases{c, 1})));
%!   endif
%!   unwind_protect
%!     assert (failure (f), cases{c, 2});
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## A character that is not part of a number in each numeric field kind.
%!test
%! L = text_lines (solution ({"S1", "R", "S2"}, "R", {"S1", "R"}));
%! ## line, column, field
%! cases = {1,  3,  "header record: parameter count (columns 2-5)";         # I4
%!          3,  40, "station record: Y (columns 28-46)";                    # F19.7
%!          6,  30, "parameter record: velocity (columns 26-47)";           # E22.15
%!          7,  60, "parameter record: sigma (columns 54-74)";              # E21.15
%!          12, 10, "correlation record: second parameter index (columns 8-11)";  # I4
%!          25, 20, "correlation record: correlation (columns 14-35)"};     # E22.15
%! for c = 1:rows (cases)
%!   M = L;
%!   [l, col, what] = cases{c, :};
%!   M{l}(col) = "#";
%!   cols = str2double (regexp (what, '(\d+)-(\d+)', "tokens", "once"));
%!   f = put (join_lines (M));
%!   unwind_protect
%!     assert (failure (f), sprintf ('line %d: %s is not a number: "%s"', l, what, ...
%!                                   M{l}(cols(1):min (cols(2), end))));
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## Bytes that are not printable ASCII are quoted as \xHH, so the message is
## always text that Octave's string functions take; a file whose lines end
## in CR alone (one long line to the reader) says so.
%!test
%! text = solution ({"S1", "R", "S2"}, "R", {"S1", "R"});
%! count = 'line 1: header record: parameter count (columns 2-5) is not a number: ';
%! cases = {["   6", char(0), text(6:end)],  [count, '"  6\x00"'];
%!          char(zeros(1, 300)),              [count, '"\x00\x00\x00\x00"'];
%!          [char([239, 187, 191]), text],    [count, '"\xBB\xBF  "'];
%!          strrep(text, "\n", "\r"), ...
%!          "line 2: the file ends before station record 1 of 3 (the file's lines end in CR alone)"};
%! for c = 1:rows (cases)
%!   f = put (cases{c, 1});
%!   unwind_protect
%!     msg = failure (f);
%!     assert (msg, cases{c, 2});
%!     assert (all (msg >= " " & msg <= "~"));
%!     assert (regexprep (msg, '(.)', "$1"), msg);
%!     assert (strjoin (strsplit (msg, " ", "collapsedelimiters", false), " "), msg);
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## Parameter and correlation indices outside 1 .. 3 nvec.
%!test
%! L = text_lines (solution ({"S1", "R", "S2"}, "R", {"S1", "R"}));
%! cases = {5,  sprintf(" %4d          %-8s  %22.15E      %21.15E", 0, "S1", 1e-3, 1e-4), ...
%!              "line 5: parameter index 0 is outside 1 to 6";
%!          9,  sprintf(" %4d          %-8s  %22.15E      %21.15E", 7, "R", 1e-3, 1e-4), ...
%!              "line 9: parameter index 7 is outside 1 to 6";
%!          11, sprintf(" %4d  %4d  %22.15E", 301, 1, 0.5), ...
%!              "line 11: first parameter index 301 is outside 1 to 6";
%!          20, sprintf(" %4d  %4d  %22.15E", 5, -2, 0.5), ...
%!              "line 20: second parameter index -2 is outside 1 to 6"};
%! for c = 1:rows (cases)
%!   M = L;
%!   M{cases{c, 1}} = cases{c, 2};
%!   f = put (join_lines (M));
%!   unwind_protect
%!     assert (failure (f), cases{c, 3});
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor

## Station counts: 99 fills every result to its last element, 100 and more
## are refused with two lines, a negative count reads nothing after the
## header.
%!test
%! f = put (solution ([stations(99), {"R"}], "R", stations (99)));
%! unwind_protect
%!   [out, vel, outcov, nvec, llh] = read (f);
%!   assert (out, " match 100\n");
%!   assert (nvec, 99);
%!   assert (nnz (vel), 297);
%!   assert (vel(3, 99), 0.297);
%!   assert (nnz (outcov), 297 * 297);
%!   assert (outcov, outcov.');
%!   assert (nnz (llh), 300);
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect
%! for n = [300, 303, 9999]
%!   f = put (solution ({"R"}, "R", {}, n));
%!   unwind_protect
%!     [out, vel, outcov, nvec, llh] = read (f);
%!     assert (out, " ** Number of Vectors exceeds Maxvec ** \n ** Error in opening file ** \n");
%!     assert (all_zero (vel, outcov, nvec, llh));
%!   unwind_protect_cleanup
%!     unlink (f);
%!   end_unwind_protect
%! endfor
%! f = put (" -999R        ITR\nnot a station record\n");
%! unwind_protect
%!   [out, vel, outcov, nvec, llh] = read (f);
%!   assert (out, "");
%!   assert (nvec, -333);
%!   assert (all_zero (vel, outcov, llh));
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## No station named like the reference: a line, and the last station record
## stands in for it (nothing removed, file order kept).  Two named like it:
## a line for each, the later one is the reference.
%!test
%! f = put (solution ({"S1", "S2", "S3"}, "NONE", {"S1", "S2"}));
%! g = put (solution ({"S1", "S2", "S3"}, "S3", {"S1", "S2"}));
%! unwind_protect
%!   [out, vel, outcov, nvec, llh] = read (f);
%!   assert (out, " ** Reference station not found ** \n");
%!   [~, vel2, outcov2, nvec2, llh2] = read (g);
%!   assert ({vel, outcov, nvec, llh}, {vel2, outcov2, nvec2, llh2});
%! unwind_protect_cleanup
%!   unlink (f);
%!   unlink (g);
%! end_unwind_protect
%! f = put (solution ({"R", "S1", "R"}, "R", {"R", "S1"}));
%! unwind_protect
%!   [out, vel, outcov, nvec, llh] = read (f);
%!   assert (out, " match 1\n match 3\n");
%!   assert (vel(:, 1), [0.004; 0.005; 0.006]);  # group 1, named R, is dropped
%!   assert (nnz (vel), 3);
%!   assert (nnz (outcov), 36);                  # record 3 is the reference: all kept
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## After every refused call and every bad file the session goes on and a
## good file reads as before.
%!test
%! f = put (solution ({"S1", "R", "S2"}, "R", {"S1", "R"}));
%! bad = put ("    6R        ITR\nshort\n");
%! unwind_protect
%!   [out0, v0, c0, n0, l0] = read (f);
%!   calls = {"[a, b, c, d] = tosqumg ();", "tosqumg (f);", "[a, b, c, d] = tosqumg (1);", ...
%!            "[a, b, c, d] = tosqumg ([f; f]);", "[a, b, c, d] = tosqumg (bad);", ...
%!            "[a, b, c, d] = tosqumg (repmat ('a', 1, 200));"};
%!   for k = 1:numel (calls)
%!     try
%!       evalc (calls{k});
%!       error ("test:noerror", "no error from %s", calls{k});
%!     catch err
%!       assert (! strcmp (err.identifier, "test:noerror"), err.message);
%!     end_try_catch
%!     [out, v, c, n, l] = read (f);
%!     assert ({out, v, c, n, l}, {out0, v0, c0, n0, l0});
%!   endfor
%! unwind_protect_cleanup
%!   unlink (f);
%!   unlink (bad);
%! end_unwind_protect

## ----------------------------------------------------------------- brisol

## Wrong argument or result counts.
%!error <BRISOL requires one input argument$> [a, b, c] = brisol ()
%!error <BRISOL requires one input argument$> brisol (eye (2), eye (2))
%!error <BRISOL requires three output arguments$> brisol (eye (2))
%!error <BRISOL requires three output arguments$> [a, b, c, d] = brisol (eye (2))

## Not square: checked before the class, so it decides for every class.
%!error <Input matrix must be square$> [a, b, c] = brisol (ones (4, 6))
%!error <Input matrix must be square$> [a, b, c] = brisol (zeros (0, 3))
%!error <Input matrix must be square$> [a, b, c] = brisol (ones (2, 2, 2))
%!error <Input matrix must be square$> [a, b, c] = brisol (sparse (2, 3))
%!error <Input matrix must be square$> [a, b, c] = brisol ("ab")

## Square, but not a full double matrix.
%!error <Input matrix must be a full matrix, not sparse$> [a, b, c] = brisol (speye (4))
%!error <Input matrix must be a full matrix, not sparse$> [a, b, c] = brisol (sparse (true (2)))
%!error <Input matrix must be of class double, not single$> [a, b, c] = brisol (single (eye (2)))
%!error <Input matrix must be of class double, not uint8$> [a, b, c] = brisol (uint8 (eye (2)))
%!error <Input matrix must be of class double, not logical$> [a, b, c] = brisol (true (2))
%!error <Input matrix must be of class double, not char$> [a, b, c] = brisol (["ab"; "cd"])
%!error <Input matrix must be of class double, not cell$> [a, b, c] = brisol ({1, 2; 3, 4})
%!error <Input matrix must be of class double, not struct$> [a, b, c] = brisol (struct ("a", 1))
%!error <Input matrix must be of class double, not function_handle$> [a, b, c] = brisol (@sin)

## An N-d array whose trailing sizes multiply to its row count is taken as
## the square matrix it reshapes to.
%!test
%! [a, b, c] = brisol (reshape ([4, 0, 0, 1], [2, 1, 2]));
%! assert ([a, b, c], [4.895999908447266, 2.447999954223633, 90], 0);

## NaN, infinities and negative variances come back as numbers.
%!test
%! [a, b, c] = brisol (NaN (4));
%! assert ([a; b], zeros (2, 2));
%! assert (isnan (c));
%! [a, b, c] = brisol ([Inf, 0; 0, 1]);
%! assert ([a, b, c], [Inf, 0, 90]);
%! [a, b, c] = brisol ([4, 0; Inf, 1]);
%! assert ([a, b], [Inf, 0]);
%! [a, b, c] = brisol (Inf (2));
%! assert ([a, b], [0, 0]);
%! assert (isnan (c));
%! [a, b, c] = brisol ([-4, 0; 0, -1]);
%! assert ([a, b], [0, 0]);
%! [a, b, c] = brisol (-eye (2));
%! assert (isnan ([a, b]));
%! assert (! isnan (c));

## The session goes on after refused calls.
%!test
%! for bad = {{}, {eye(2), 1}, {ones(2, 3)}, {speye(2)}, {single(eye(2))}}
%!   try
%!     [a, b, c] = brisol (bad{1}{:});
%!   catch
%!   end_try_catch
%!   [a, b, c] = brisol ([4, 0; 0, 1]);
%!   assert ([a, b, c], [4.895999908447266, 2.447999954223633, 90], 0);
%! endfor
