## Repeated use in one session: thousands of calls of both commands on a mix
## of good files, bad files, missing files and bad arguments.  Every result
## must be the same bit for bit as when the module had just been loaded, the
## process must not grow, and every refused call must leave the session
## usable.  Runs in well under a minute.
##
## Under AddressSanitizer (scripts/checks/sanitize.sh sets GEOMEX_SANITIZED)
## freed memory is held back on purpose, so the memory bounds are not
## checked there; everything else is.

%!function yes = sanitized ()
%!  yes = ! isempty (getenv ("GEOMEX_SANITIZED"));
%!endfunction

%!function text = solution (names, ref, groups, n)
%!  if (nargin < 4)
%!    n = 3 * numel (groups);
%!  endif
%!  text = sprintf (" %4d%-8s %3s\n", n, ref, "ITR");
%!  for j = 1:numel (names)
%!    text = [text, sprintf("%-8s%19.7f%19.7f%19.7f\n", names{j}, ...
%!                          4027893.6719 + 1000 * j, 307045.9064 - 3000 * j, ...
%!                          4919475.1704 + 700 * j)];
%!  endfor
%!  N = 3 * numel (groups);
%!  k = 1:N;
%!  rows = [num2cell(k); groups(ceil (k / 3)); num2cell(0.002 * k - 0.05); ...
%!          num2cell(1e-4 * (1 + mod(k, 7)))];
%!  text = [text, sprintf(" %4d          %-8s  %22.15E      %21.15E\n", rows{:})];
%!  [J, I] = find (triu (true (N), 1));
%!  rho = 0.02 * mod (3 * I + J, 11) - 0.1;
%!  text = [text, sprintf(" %4d  %4d  %22.15E\n", [I(:)'; J(:)'; rho(:)'])];
%!endfunction

%!function names = stations (count)
%!  names = arrayfun (@(j) sprintf ("ST%02d", j), 1:count, "uniformoutput", false);
%!endfunction

%!function f = put (dir, name, text)
%!  f = fullfile (dir, name);
%!  fid = fopen (f, "w");
%!  fwrite (fid, text);
%!  fclose (fid);
%!endfunction

%!function kb = rss ()
%!  s = fileread ("/proc/self/status");
%!  kb = str2double (regexp (s, 'VmRSS:\s*(\d+)', "tokens", "once"){1});
%!endfunction

## One call of a command as code (the argument is `arg`): what it printed,
## the error it raised, and all its results as bits.
%!function r = run_call (code, arg)
%!  r = struct ("out", "", "err", "", "bits", uint64 ([]));
%!  try
%!    r.out = evalc (code);
%!    if (exist ("v", "var"))          # tosqumg
%!      r.bits = typecast ([v(:); c(:); n(:); l(:)], "uint64");
%!    elseif (exist ("a", "var"))      # brisol
%!      r.bits = typecast ([a(:); b(:); z(:)], "uint64");
%!    endif
%!  catch err
%!    r.err = err.message;
%!  end_try_catch
%!endfunction

%!function check_same (r, expected, what)
%!  if (! isequal (r, expected))
%!    error ("soak: %s differs from its first reading (out '%s' vs '%s', error '%s' vs '%s')", ...
%!           what, r.out, expected.out, r.err, expected.err);
%!  endif
%!endfunction

%!test
%! d = tempname ();
%! mkdir (d);
%! unwind_protect
%!   good = solution ({"S1", "R", "S2", "S3"}, "R", {"S1", "R", "S2"});
%!   L = strsplit (good(1:end-1), "\n");
%!   O = L;
%!   O{5} = sprintf ("%-8s%19.7f%19.7f%19.7f", "S3", 0, 0, 0);  # at the centre: NaN
%!   big = stations (41);
%!   big{13} = "R";
%!   files = {
%!     put(d, "mid.sol", good)
%!     put(d, "last.sol", solution ([stations(5), {"R"}], "R", stations (5)))
%!     put(d, "noref.sol", solution (stations (4), "NONE", stations (3)))
%!     put(d, "dup.sol", solution ({"R", "S1", "R"}, "R", {"R", "S1"}))
%!     put(d, "big.sol", solution (big, "R", big(1:40)))
%!     put(d, "zero.sol", solution ({"R"}, "R", {}, 2))
%!     put(d, "negative.sol", " -100R        ITR\ngarbage\n")
%!     put(d, "toomany.sol", solution ({"R"}, "R", {}, 300))
%!     put(d, "origin.sol", [strjoin(O, "\n"), "\n"])
%!     put(d, "truncated.sol", strjoin (L(1:end-3), "\n"))
%!     put(d, "letter.sol", strrep (good, "E-04", "X-04"))
%!     put(d, "index.sol", [strjoin(L(1:end-1), "\n"), "\n   10     9   0.5\n"])
%!     put(d, "empty.sol", "")
%!     fullfile(d, "missing.sol")
%!     d
%!     ""
%!   };
%!   tos = "[v, c, n, l] = tosqumg (arg);";
%!   badtos = {"tosqumg (arg);",              "tosqum requires 4 output arguments";
%!             "[v, c, n, l] = tosqumg ();",  "one input arguments required";
%!             "[v, c, n, l] = tosqumg (double (arg));", "argument must be a string";
%!             "[v, c, n, l] = tosqumg ([arg; arg]);", "one-row character string";
%!             "[v, c, n, l] = tosqumg (repmat (arg, 1, 30));", "longer than 150 characters";
%!             "[v, c, n, l] = tosqumg ({arg});", "argument must be a string"};
%!   bri = "[a, b, z] = brisol (arg);";
%!   P = 0.1 * toeplitz ([10, 3, 1, 0.5, zeros(1, 16)]) + diag (mod (1:20, 5));
%!   ## Octave hands some of them over in a form that must be converted to
%!   ## plain doubles first: diagonal (eye too), permutation-indexed, complex.
%!   matrices = {eye(2), [4, 0; 0, 1], P, P(1:7, 1:7), [], NaN(4), Inf(2), ...
%!               complex([4, 0; 0, 1], 1), -eye(2), [1, 0.5; 0.5, 1], ...
%!               diag([4e-6, 1e-6, 9e-6, 1e-6]), eye(4)(:, [2, 1, 4, 3]), complex([])};
%!   badbri = {"[a, b, z] = brisol (ones (2, 3));", "Input matrix must be square";
%!             "[a, b, z] = brisol (sparse (arg));", "must be a full matrix, not sparse";
%!             "[a, b, z] = brisol (single (arg));", "must be of class double, not single";
%!             "a = brisol (arg);", "BRISOL requires three output arguments";
%!             "[a, b, z] = brisol (arg, arg);", "BRISOL requires one input argument"};
%!   ## Expected outcomes of the bad files, as the error begins (after the name).
%!   failing = {"truncated.sol", "letter.sol", "index.sol", "empty.sol"};
%!
%!   ## What each input gives to a module that has just been loaded.
%!   ref = cell (size (files));
%!   for i = 1:numel (files)
%!     clear -f tosqumg
%!     ref{i} = run_call (tos, files{i});
%!   endfor
%!   bref = cell (size (matrices));
%!   for i = 1:numel (matrices)
%!     clear -f brisol
%!     bref{i} = run_call (bri, matrices{i});
%!     assert (isempty (bref{i}.err), bref{i}.err);
%!   endfor
%!   ## Sanity of the references: the good files read, the bad ones fail.
%!   for i = 1:numel (files)
%!     [~, base, ext] = fileparts (files{i});
%!     if (any (strcmp ([base, ext], failing)))
%!       assert (! isempty (ref{i}.err), "%s did not fail", files{i});
%!     else
%!       assert (isempty (ref{i}.err), ref{i}.err);
%!       assert (numel (ref{i}.bits), 3 * 99 + 297 * 297 + 1 + 3 * 100);
%!     endif
%!   endfor
%!   assert (ref{1}.out, " match 2\n");
%!   assert (ref{3}.out, " ** Reference station not found ** \n");
%!   assert (ref{end}.out, " ** Error in opening file ** \n");
%!
%!   ## (a) Every file read right after every other gives its own results.
%!   for i = 1:numel (files)
%!     for j = 1:numel (files)
%!       check_same (run_call (tos, files{i}), ref{i}, files{i});
%!       check_same (run_call (tos, files{j}), ref{j}, [files{j}, " after ", files{i}]);
%!     endfor
%!   endfor
%!
%!   ## (b), (c) A long random mix; the memory after warm-up must stay put.
%!   rand ("state", 20240611);
%!   steps = 6000;
%!   warm = 1500;
%!   kb = zeros (1, 0);
%!   for s = 1:steps
%!     u = rand ();
%!     if (u < 0.45)
%!       i = randi (numel (files));
%!       check_same (run_call (tos, files{i}), ref{i}, files{i});
%!     elseif (u < 0.55)
%!       k = randi (rows (badtos));
%!       r = run_call (badtos{k, 1}, files{1});
%!       assert (! isempty (strfind (r.err, badtos{k, 2})), "'%s' gave '%s'", badtos{k, 1}, r.err);
%!     elseif (u < 0.9)
%!       i = randi (numel (matrices));
%!       check_same (run_call (bri, matrices{i}), bref{i}, sprintf ("brisol matrix %d", i));
%!     else
%!       k = randi (rows (badbri));
%!       r = run_call (badbri{k, 1}, eye (4));
%!       assert (! isempty (strfind (r.err, badbri{k, 2})), "'%s' gave '%s'", badbri{k, 1}, r.err);
%!     endif
%!     if (s >= warm && mod (s, 500) == 0)
%!       kb(end+1) = rss ();
%!     endif
%!   endfor
%!   growth = kb(end) - kb(1);
%!   assert (sanitized () || growth < 4096, "the process grew by %d kB over %d calls (samples %s)", ...
%!           growth, steps - warm, mat2str (kb));
%!
%!   ## Still usable at the end.
%!   check_same (run_call (tos, files{1}), ref{1}, files{1});
%!   check_same (run_call (bri, matrices{3}), bref{3}, "brisol matrix 3");
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (d, "s");
%! end_unwind_protect

## The arguments Octave must convert before their data can be read, called
## many times in a row: a leak of a few dozen bytes a call (as the host's
## cached dimensions of such an argument can cause) shows up as megabytes.
## The first round grows the process once (Octave's own allocations); the
## second must not.
%!function results = brisol_round (matrices, calls)
%!  results = cell (size (matrices));
%!  for i = 1:numel (matrices)
%!    M = matrices{i};
%!    for k = 1:calls
%!      [a, b, z] = brisol (M);
%!    endfor
%!    results{i} = [a; b; z];
%!  endfor
%!endfunction

%!test
%! matrices = {diag([4e-6, 1e-6, 9e-6, 1e-6]), eye(4)(:, [2, 1, 4, 3]), ...
%!             complex(eye (4), 1), eye(6), complex([])};
%! calls = 20000;
%! expected = brisol_round (cellfun (@(M) full (real (M)), matrices, "uniformoutput", false), 1);
%! assert (isequaln (brisol_round (matrices, calls), expected));
%! before = rss ();
%! assert (isequaln (brisol_round (matrices, calls), expected));
%! growth = rss () - before;
%! assert (sanitized () || growth < 512, "%d calls on converted matrices grew the process by %d kB", ...
%!         calls * numel (matrices), growth);

%!function reload_and_call (f)
%!  clear -f tosqumg brisol
%!  evalc ("[v, c, n, l] = tosqumg (f);");
%!  [a, b, z] = brisol (eye (6));
%!endfunction

## Loading the modules again and again (what `clear all` in a script does)
## must not leave memory behind either.
%!test
%! d = tempname ();
%! mkdir (d);
%! unwind_protect
%!   f = put (d, "reload.sol", solution ([stations(50), {"R"}], "R", stations (50)));
%!   for k = 1:10
%!     reload_and_call (f);
%!   endfor
%!   before = rss ();
%!   for k = 1:150
%!     reload_and_call (f);
%!   endfor
%!   growth = rss () - before;
%!   assert (sanitized () || growth < 8192, "150 reloads grew the process by %d kB", growth);
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (d, "s");
%! end_unwind_protect
