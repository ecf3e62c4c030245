## End-to-end checks of readsinex as a user calls it: the struct's shape,
## both gateways alike, gzip alike, the option, errors and warnings by
## their identifiers, and an out-of-memory call that leaves the session
## going.

%!shared mexdir, gateway
%! mexdir = fileparts (which ("readvelsol"));
%! gateway = fullfile (fileparts (mexdir), "mex-gateways");

## A SINEX text of m sites (position and velocity), L COVA with a
## diagonal and one correlation per pair of rows.
%!function text = sinex_text (m, matrix)
%!  types = {"STAX", "STAY", "STAZ", "VELX", "VELY", "VELZ"};
%!  P = 6 * m;
%!  text = sprintf ("%%=SNX 2.02 TST 24:100:00000 DAT 20:001:00000 24:001:00000 P %05d 2 S\n", P);
%!  text = [text, "+SITE/ID\n", sprintf(" S%03d  A 1000%dM001 P Site %-16d  10 20 30.0  45 10 20.0  100.0\n", [0:m-1; 0:m-1; 0:m-1]), "-SITE/ID\n"];
%!  text = [text, "+SOLUTION/ESTIMATE\n"];
%!  for k = 1:P
%!    value = 4e6 * (mod (k - 1, 6) < 3) + k / 100;
%!    text = [text, sprintf(" %5d %-6s S%03d  A    1 22:001:00000 %-4s 2 %21.14E %11.5E\n", ...
%!                          k, types{mod(k-1, 6)+1}, floor ((k-1) / 6), "m", value, 1e-3 * k)];
%!  endfor
%!  text = [text, "-SOLUTION/ESTIMATE\n"];
%!  if (matrix)
%!    text = [text, "+SOLUTION/MATRIX_ESTIMATE L COVA\n"];
%!    for r = 1:P
%!      if (r > 1)
%!        text = [text, sprintf(" %5d %5d %21.14E\n", r, r - 1, 1e-8)];
%!      endif
%!      text = [text, sprintf(" %5d %5d %21.14E\n", r, r, (1e-3 * r)^2)];
%!    endfor
%!    text = [text, "-SOLUTION/MATRIX_ESTIMATE L COVA\n"];
%!  endif
%!  text = [text, "%ENDSNX\n"];
%!endfunction

%!function f = write_text (text)
%!  f = [tempname(), ".snx"];
%!  fid = fopen (f, "w");
%!  fputs (fid, text);
%!  fclose (fid);
%!endfunction

%!test
%! f = write_text (sinex_text (3, true));
%! unwind_protect
%!   snx = readsinex (f);
%!   assert (fieldnames (snx).', {"version", "agency", "dataagency", "technique", ...
%!           "contents", "created", "start", "end", "varfactor", "estimate", "matrix", ...
%!           "matrixtype", "station", "point", "soln", "domes", "description", "epoch", ...
%!           "valid", "xyz", "sxyz", "llh", "vel", "sigma", "cov", "poscov"});
%!   assert ({snx.version, snx.agency, snx.dataagency, snx.technique, snx.contents}, ...
%!           {"2.02", "TST", "DAT", "P", "S"});
%!   assert ([snx.created; snx.start; snx.end], [2024 100 0; 2020 1 0; 2024 1 0]);
%!   assert (isnan (snx.varfactor));
%!   assert (fieldnames (snx.estimate).', {"index", "type", "site", "point", "soln", ...
%!           "epoch", "unit", "constraint", "value", "sigma"});
%!   assert (snx.estimate.index, (1:18).');
%!   assert (snx.estimate.type(1:6).', {"STAX", "STAY", "STAZ", "VELX", "VELY", "VELZ"});
%!   assert (size (snx.estimate.epoch), [18 3]);
%!   assert (size (snx.matrix), [18 18]);
%!   assert (issymmetric (snx.matrix) && snx.matrix(2, 1) == 1e-8 && snx.matrix(3, 1) == 0);
%!   assert (snx.matrixtype, "COVA");
%!   assert (snx.station, {"S000"; "S001"; "S002"});
%!   assert (snx.domes, {"10000M001"; "10001M001"; "10002M001"});
%!   assert (size (snx.valid), [3 6]);
%!   assert (all (isnan (snx.valid(:))));
%!   assert (snx.vel(:, 1), [0.04; 0.10; 0.16], 1e-15);
%!   assert (snx.sigma(2, :), 1e-3 * [10 11 12], 1e-18);
%!   assert (size (snx.cov), [9 9]);
%!   assert (snx.cov, snx.matrix([4:6, 10:12, 16:18], [4:6, 10:12, 16:18]));
%!   assert (snx.poscov, snx.matrix([1:3, 7:9, 13:15], [1:3, 7:9, 13:15]));
%!   ## The MEX gateway gives the same struct.
%!   addpath (gateway, "-begin");
%!   clear readsinex;
%!   unwind_protect
%!     assert (strcmp (which ("readsinex"), fullfile (gateway, "readsinex.mex")));
%!     mexsnx = readsinex (f);
%!     nomatrix = readsinex (f, "matrix", false);
%!   unwind_protect_cleanup
%!     rmpath (gateway);
%!     clear readsinex;
%!   end_unwind_protect
%!   assert (isequaln (mexsnx, snx));
%!   assert (isequaln (nomatrix, readsinex (f, "Matrix", false)));
%!   assert (isempty (nomatrix.matrix) && isequal (nomatrix.cov, snx.cov));
%!   ## gzip, recognised by content whatever the name.
%!   gz = [tempname(), ".snx"];
%!   gzip (f);
%!   movefile ([f, ".gz"], gz);
%!   unwind_protect
%!     assert (isequaln (readsinex (gz), snx));
%!   unwind_protect_cleanup
%!     unlink (gz);
%!   end_unwind_protect
%! unwind_protect_cleanup
%!   unlink (f);
%! end_unwind_protect

## Errors and warnings by their identifiers, the same from both gateways.
%!test
%! good = write_text (sinex_text (1, true));
%! nomatrix = write_text (sinex_text (1, false));
%! bad = write_text (strrep (sinex_text (1, true), "22:001:00000 m", "22:0x1:00000 m"));
%! unwind_protect
%!   for g = {"", gateway}
%!     if (! isempty (g{1}))
%!       addpath (g{1}, "-begin");
%!     endif
%!     clear readsinex;
%!     unwind_protect
%!       cases = {{"readsinex:open", @() readsinex ([good, ".missing"])}, ...
%!                {"readsinex:format", @() readsinex (bad)}, ...
%!                {"readsinex:name", @() readsinex (3)}, ...
%!                {"readsinex:name", @() readsinex (["ab"; "cd"])}, ...
%!                {"readsinex:usage", @() readsinex ()}, ...
%!                {"readsinex:usage", @() readsinex (good, "matrix")}, ...
%!                {"readsinex:usage", @() readsinex (good, "matrices", false)}, ...
%!                {"readsinex:usage", @() readsinex (good, "matrix", "no")}};
%!       for k = 1:numel (cases)
%!         try
%!           cases{k}{2} ();
%!           error ("no error for case %d", k);
%!         catch e
%!           assert (e.identifier, cases{k}{1});
%!           assert (strncmp (e.message, "readsinex: ", 11), e.message);
%!         end_try_catch
%!       endfor
%!       try
%!         readsinex (bad);
%!       catch e
%!         assert (e.message, ["readsinex: file '", bad, "', line 6: SOLUTION/ESTIMATE ", ...
%!                 "record: epoch (columns 28-39) is not a number: \"22:0x1:00000\""]);
%!       end_try_catch
%!       ## A name of one row in any number of dimensions.
%!       assert (isequaln (readsinex (reshape (good, 1, 1, [])), readsinex (good)));
%!       lastwarn ("");
%!       w = warning ("off", "readsinex:nomatrix");
%!       readsinex (nomatrix);
%!       warning (w);
%!       assert (isempty (lastwarn ()));
%!       [~, id] = lastwarn ();
%!       w = warning ("error", "readsinex:nomatrix");
%!       unwind_protect
%!         try
%!           readsinex (nomatrix);
%!           error ("no warning");
%!         catch e
%!           assert (e.identifier, "readsinex:nomatrix");
%!         end_try_catch
%!       unwind_protect_cleanup
%!         warning (w);
%!       end_unwind_protect
%!     unwind_protect_cleanup
%!       if (! isempty (g{1}))
%!         rmpath (g{1});
%!       endif
%!       clear readsinex;
%!     end_unwind_protect
%!   endfor
%! unwind_protect_cleanup
%!   unlink (good); unlink (nomatrix); unlink (bad);
%! end_unwind_protect

## Out of memory: a clear error, and the session goes on.  A child octave
## is limited to 1.5 GB of address space and given a 9999-estimate file
## whose matrix (800 MB) does not fit beside 800 MB already taken.
%!test
%! if (ispc () || ! isempty (getenv ("GEOMEX_SANITIZED")))
%!   return;  # AddressSanitizer cannot start in a limited address space
%! endif
%! f = [tempname(), ".snx"];
%! text = [sprintf("%%=SNX 2.02 TST 24:100:00000 DAT 20:001:00000 24:001:00000 P 09999 2 S\n"), ...
%!         "+SOLUTION/ESTIMATE\n", ...
%!         sprintf(" %5d STAX   A%03d  A    1 22:001:00000 m    2  1.00000000000000E+00 1.00000E-03\n", ...
%!                 [1:9999; mod(0:9998, 1000)]), ...
%!         "-SOLUTION/ESTIMATE\n+SOLUTION/MATRIX_ESTIMATE L COVA\n-SOLUTION/MATRIX_ESTIMATE L COVA\n"];
%! fid = fopen (f, "w"); fputs (fid, text); fclose (fid);
%! octave = fullfile (OCTAVE_HOME (), "bin", "octave-cli");
%! for dir = {mexdir, gateway}
%!   script = sprintf (['addpath ("%s"); a = zeros (1e8, 1);' ...
%!                      'try, readsinex ("%s"); catch e, disp (e.identifier); end;' ...
%!                      'disp ("still here")'], dir{1}, f);
%!   [status, out] = system (sprintf ('ulimit -v 1500000; "%s" --no-history --no-init-file --no-window-system --eval ''%s'' 2>&1', ...
%!                                    octave, script));
%!   assert (! isempty (strfind (out, "readsinex:memory")), out);
%!   assert (! isempty (strfind (out, "still here")), out);
%! endfor
%! unlink (f);
