## End-to-end checks of readvelsol as a user calls it: its agreement with
## tosqumg over many generated files, both gateways alike, its errors and
## warnings, and an out-of-memory call that leaves the session going.

%!shared mexdir, gensol, gateway
%! mexdir = fileparts (which ("tosqumg"));
%! gensol = fullfile (fileparts (mexdir), "tools", "gensol");
%! gateway = fullfile (fileparts (mexdir), "mex-gateways");

%!function f = write_text (text)
%!  f = [tempname(), ".sol"];
%!  fid = fopen (f, "w");
%!  fputs (fid, text);
%!  fclose (fid);
%!endfunction

## tosqumg's results are readvelsol's, rearranged: the covariance without
## the reference station's rows and columns, the velocities of the groups
## not named like the reference, the positions with the reference last.
%!function check_against_tosqumg (file)
%!  sol = readvelsol (file);
%!  [vel, outcov, nvec, llh] = tosqumg (file);
%!  S = numel (sol.station);  G = numel (sol.site);  P = 3 * G;
%!  assert (nvec, G);
%!  assert (size (sol.cov), [P, P]);
%!  ref = sol.refstation;
%!  if (ref == 0)
%!    ref = S;
%!  endif
%!  keep = setdiff (1:P, 3*ref-2:3*ref);
%!  n = numel (keep);
%!  assert (isequal (outcov(1:n, 1:n), sol.cov(keep, keep)));
%!  assert (! any (any (outcov(n+1:end, :))) && ! any (any (outcov(:, n+1:end))));
%!  others = ! strcmp (sol.site, sol.refname);
%!  assert (isequal (vel(:, 1:nnz (others)), sol.vel(others, :).'));
%!  order = [setdiff(1:S, ref), ref];
%!  assert (isequal (llh(:, 1:S), sol.llh(order, :).'));
%!  assert (strcmp (sol.station{ref}, sol.refname) || sol.refstation == 0);
%!endfunction

%!test
%! if (! exist (gensol, "file"))
%!   warning ("gensol not built beside the modules (%s): skipped", gensol);
%!   return;
%! endif
%! f = [tempname(), ".sol"];
%! unwind_protect
%!   for k = 1:25
%!     N = 1 + mod (k * 37, 99);
%!     K = 1 + mod (k * 11, N + 1);
%!     ## Without the sanitizer runtime the modules may run under: the
%!     ## generator carries its own when it is instrumented too.
%!     assert (system (sprintf ('env -u LD_PRELOAD "%s" --stations %d --seed %d --ref %d --out "%s"', ...
%!                              gensol, N, k, K, f)), 0);
%!     evalc ("check_against_tosqumg (f);");
%!   endfor
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

%!function text = param_records (names)
%!  text = "";
%!  for k = 1:numel (names)
%!    text = [text, sprintf(" %4d          %-8s  %22.15E      %21.15E\n", k, names{k}, 0.01 * k, 0.001 * k)];
%!  endfor
%!endfunction

## The struct's fields, sizes and classes, and the MEX gateway giving the
## same struct as the oct-file.
%!test
%! f = write_text ([sprintf(" %4d%-8s %3s\n", 6, "REF", "ITR"), ...
%!                  sprintf("%-8s%19.7f%19.7f%19.7f\n", "REF", 4075580.385, 931853.847, 4801568.244), ...
%!                  sprintf("%-8s%19.7f%19.7f%19.7f\n", "A", 4027893.6719, 307045.9064, 4919475.1704), ...
%!                  sprintf("%-8s%19.7f%19.7f%19.7f\n", "B", 3194469.145, 3194469.145, 4487419.12), ...
%!                  param_records({"A", "A", "A", "B", "B", "B"}), ...
%!                  sprintf(" %4d  %4d  %22.15E\n", [2 3 3 4 4 4 4 5 5 5 5 5 6 6 6 6 6; ...
%!                          1 1 2 1 2 3 1 2 3 4 1 2 3 4 5 1 2; 0.1*ones(1, 17)](:, 1:15))]);
%! unwind_protect
%!   w = warning ("off", "readvelsol:mixedGroup");
%!   sol = readvelsol (f);
%!   warning (w);
%!   assert (fieldnames (sol).', {"refname", "crdsys", "station", "xyz", "llh", "refstation", ...
%!                                 "site", "vel", "sigma", "cov"});
%!   assert (sol.refname, "REF     ");
%!   assert (sol.crdsys, "ITR");
%!   assert (sol.station, {"REF     "; "A       "; "B       "});
%!   assert (size (sol.xyz), [3, 3]);
%!   assert (sol.refstation, 1);
%!   assert (sol.vel, [0.01 0.02 0.03; 0.04 0.05 0.06]);
%!   assert (sol.sigma, [0.001 0.002 0.003; 0.004 0.005 0.006]);
%!   assert (issymmetric (sol.cov) && isequal (diag (sol.cov), (0.001 * (1:6).').^2));
%!   addpath (gateway, "-begin");
%!   clear readvelsol;
%!   unwind_protect
%!     assert (strcmp (which ("readvelsol"), fullfile (gateway, "readvelsol.mex")));
%!     w = warning ("off", "all");
%!     mexsol = readvelsol (f);
%!     warning (w);
%!   unwind_protect_cleanup
%!     rmpath (gateway);
%!     clear readvelsol;
%!   end_unwind_protect
%!   assert (strcmp (which ("readvelsol"), fullfile (mexdir, "readvelsol.oct")));
%!   assert (isequal (mexsol, sol));
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## Errors carry identifiers; warnings can be silenced by theirs.
%!test
%! missing = [tempname(), ".sol"];
%! try
%!   readvelsol (missing);
%!   error ("no error");
%! catch err
%!   assert (err.identifier, "readvelsol:open");
%!   assert (err.message, sprintf ("readvelsol: cannot open file '%s': No such file or directory", missing));
%! end_try_catch
%! cases = {"   -3REF     ITR\n", "readvelsol:count", "the parameter count -3 is negative";
%!          "    3REF     ITR\nREF\n", "readvelsol:record", "line 3: the file ends before station record 2 of 2";
%!          "    3REF     ITR\nREF\nA\n    7          A\n", "readvelsol:index", "parameter index 7 is outside 1 to 3"};
%! for k = 1:rows (cases)
%!   f = write_text (sprintf (cases{k, 1}));
%!   try
%!     readvelsol (f);
%!     error ("no error");
%!   catch err
%!     assert (err.identifier, cases{k, 2});
%!     assert (! isempty (strfind (err.message, cases{k, 3})), err.message);
%!   end_try_catch
%!   unlink (f);
%! endfor
%! assert (strcmp (lasterr (), err.message));
%! try
%!   readvelsol (tempdir ());
%! catch err
%!   assert (err.identifier, "readvelsol:open");
%!   assert (! isempty (strfind (err.message, "is not a regular file")));
%! end_try_catch

%!error <FILENAME must not contain NUL characters> readvelsol (["a", char(0), "b"])
%!error <FILENAME must be a one-row character string> readvelsol (["ab"; "cd"])
%!error <FILENAME must be a one-row character string> readvelsol (3)
%!error id=readvelsol:usage readvelsol ()

## Both gateways refuse alike: the same identifier and text for every bad
## call (the oct-file printed Octave's own usage without the command's
## identifier, and gave no identifier for a second result).
%!function out = with_mex_gateway (gateway, fn)
%!  addpath (gateway, "-begin");
%!  clear readvelsol;
%!  unwind_protect
%!    out = fn ();
%!  unwind_protect_cleanup
%!    rmpath (gateway);
%!    clear readvelsol;
%!  end_unwind_protect
%!endfunction
%!function two_results (f)
%!  [a, b] = readvelsol (f);
%!endfunction
%!function r = refusals (f)
%!  calls = {@() readvelsol(), @() readvelsol (f, 1), @() two_results (f), @() readvelsol (3), ...
%!           @() readvelsol (["ab"; "cd"]), @() readvelsol (["a", char(0), "b"]), ...
%!           @() readvelsol ([f, ".missing"])};
%!  r = cell (numel (calls), 2);
%!  for k = 1:numel (calls)
%!    try
%!      calls{k} ();
%!    catch err
%!      r(k, :) = {err.identifier, err.message};
%!    end_try_catch
%!  endfor
%!endfunction
%!test
%! f = fullfile (getenv ("GEOMEX_SOURCE_DIR"), "examples", "example.sol");
%! oct = refusals (f);
%! assert (with_mex_gateway (gateway, @() refusals (f)), oct);
%! assert (oct(:, 1).', [repmat({"readvelsol:usage"}, 1, 3), repmat({"readvelsol:name"}, 1, 3), ...
%!                      {"readvelsol:open"}]);
%! assert (oct(1:3, 2).', {"readvelsol: usage: sol = readvelsol (filename)", ...
%!                         "readvelsol: usage: sol = readvelsol (filename)", ...
%!                         "readvelsol: readvelsol returns one result"});

## A 1 x n x m name is the name made of its n m characters, in both
## gateways as in tosqumg (the oct-file refused it without identifier).
%!test
%! f = fullfile (getenv ("GEOMEX_SOURCE_DIR"), "examples", "example.sol");
%! if (mod (numel (f), 2))
%!   f = strrep (f, "example.sol", "/example.sol");  # one more character
%! endif
%! name = reshape (f, 1, numel (f) / 2, 2);
%! w = warning ("off", "all");
%! unwind_protect
%!   sol = readvelsol (name);
%!   assert (isequal (sol, readvelsol (f)));
%!   assert (isequal (with_mex_gateway (gateway, @() readvelsol (name)), sol));
%! unwind_protect_cleanup
%!   warning (w);
%! end_unwind_protect

%!test
%! f = write_text ([sprintf(" %4dZZZ     ITR\nA\nB\n", 4), param_records({"A", "B", "A"}), ...
%!                  sprintf(" %4d  %4d  %22.15E\n", [2 1 0.1; 3 1 0.2; 3 2 0.3].')]);
%! unwind_protect
%!   lastwarn ("");
%!   w = warning ("off", "readvelsol:countNotMultipleOf3");
%!   sol = readvelsol (f);
%!   warning (w);
%!   [msg, id] = lastwarn ();
%!   assert (id, "readvelsol:mixedGroup");
%!   lastwarn ("");
%!   w = warning ("off", "readvelsol:mixedGroup");
%!   w2 = warning ("off", "readvelsol:countNotMultipleOf3");
%!   w3 = warning ("off", "readvelsol:noReference");
%!   sol = readvelsol (f);
%!   warning (w3); warning (w2); warning (w);
%!   assert (lastwarn (), "");
%!   assert (sol.site, {"A       "});
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## A file name of any length.
%!test
%! d = tempname ();
%! mkdir (d);
%! long = fullfile (d, [repmat("n", 1, 200), ".sol"]);
%! copyfile (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "examples", "example.sol"), long);
%! unwind_protect
%!   sol = readvelsol (long);
%!   assert (numel (sol.station), 16);
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (d, "s");
%! end_unwind_protect

## Out of memory: a clear error from either gateway (the MEX gateway gave
## Octave's own, without identifier), and the session goes on.  A child
## octave is limited to 1.5 GB of address space and asked for a
## 9999-parameter covariance (800 MB) twice over.
%!test
%! if (ispc () || ! isempty (getenv ("GEOMEX_SANITIZED")))
%!   return;  # AddressSanitizer cannot start in a limited address space
%! endif
%! f = [tempname(), ".sol"];
%! text = [sprintf(" %4dR        ITR\n", 9999), sprintf("R%26.7f%19.7f%19.7f\n", 6378137, 0, 0)];
%! fid = fopen (f, "w"); fputs (fid, text); fclose (fid);
%! octave = fullfile (OCTAVE_HOME (), "bin", "octave-cli");
%! for dir = {mexdir, gateway}
%!   script = sprintf (['addpath ("%s"); a = zeros (1e8, 1);' ...
%!                      'try, readvelsol ("%s"); catch e, printf ("[%%s] %%s\\n", e.identifier, e.message); end;' ...
%!                      'disp ("still here")'], dir{1}, f);
%!   [status, out] = system (sprintf ('ulimit -v 1500000; "%s" --no-history --no-init-file --no-window-system --eval ''%s'' 2>&1', ...
%!                                    octave, script));
%!   assert (! isempty (strfind (out, sprintf ("[readvelsol:memory] readvelsol: out of memory for the results of '%s'", f))), out);
%!   assert (! isempty (strfind (out, "still here")), out);
%! endfor
%! unlink (f);
