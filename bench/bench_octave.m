## Times the modules inside octave-cli, start-up excluded:
##   octave-cli bench_octave.m MEXDIRS OUTFILE SOLUTION...
## MEXDIRS: the folders of the modules, separated by pathsep.  For each
## solution file: tosqumg and tosqumg_octave per call (after checking that
## they return the same results and print the same lines); once: the module
## outputs_only (tosqumg's results, nothing read) where it is on the path,
## and brisol and diag on an 8000 x 8000 matrix.  Each time is the mean
## time of one call in the fastest of several batches (the one least
## disturbed by other work on the machine); the results go to OUTFILE as
## lines "key seconds".
args = argv ();
addpath (args{1});
addpath (fileparts (mfilename ("fullpath")));
out = fopen (args{2}, "w");
files = args(3:end);

## Time of one run of `stmt`, averaged over the `calls` runs of a batch, in
## the fastest of `batches` batches.  The statement runs in a loop written
## out in this function's workspace, as a user's loop would: the results of
## one call stay assigned until the next call replaces them.  (Calling
## through a function that drops some of its results times something else:
## the C library then gives the 297 x 297 result back to the system at once
## and takes fresh pages for the next call, about 0.4 ms a call on its own.)
function t = per_call (stmt, calls, batches, file, C)
  eval ([stmt, ";"]);   # warm-up: loads the module or parses the function
  loop = sprintf ("for c__ = 1:%d, %s; endfor", calls, stmt);
  tb = zeros (1, batches);
  for b = 1:batches
    t0 = tic ();
    eval (loop);
    tb(b) = toc (t0) / calls;
  endfor
  t = min (tb);
endfunction

mex = "[v, c, n, l] = tosqumg (file)";
oct = "[v, c, n, l] = tosqumg_octave (file)";
for i = 1:numel (files)
  file = files{i};
  [lines_mex, v1, c1, n1, l1] = evalc ("tosqumg (file)");
  [lines_m, v2, c2, n2, l2] = evalc ("tosqumg_octave (file)");
  if (! (isequaln (v1, v2) && isequaln (c1, c2) && isequaln (n1, n2) && isequaln (l1, l2)
         && strcmp (lines_mex, lines_m)))
    error ("bench_octave: tosqumg and tosqumg_octave differ on %s", file);
  endif
  key = sprintf ("stations:%d", n1);
  ## Batches of about 0.2 s (0.3 s for the slower Octave code).
  calls = max (10, round (0.2 / max (1e-6, per_call (mex, 1, 3, file))));
  fprintf (out, "tosqumg/%s %.9g\n", key, per_call (mex, calls, 15, file));
  calls = max (1, round (0.3 / per_call (oct, 1, 1, file)));
  fprintf (out, "tosqumg_octave/%s %.9g\n", key, per_call (oct, calls, 7, file));
endfor

if (exist ("outputs_only") == 3)
  fprintf (out, "outputs_only %.9g\n",
           per_call ("[v, c, n, l] = outputs_only (file)", 500, 15, file));
endif

## 8000 x 8000 covariance of 4000 east/north points: realistic 2 x 2 blocks
## on the diagonal, the rest zero (neither command reads it).
m = 8000;
C = zeros (m);
q = 1:2:m;
s11 = 1e-6 * (1 + mod (q, 7));
s22 = 2e-6 * (1 + mod (q, 5));
s21 = 0.3 * sqrt (s11 .* s22) .* (mod ((q - 1) / 2, 3) - 1);
C(q + (q - 1) * m) = s11;
C(q + 1 + q * m) = s22;
C(q + 1 + (q - 1) * m) = s21;
C(q + q * m) = s21;
[a, b, c] = brisol (C);
if (! isequal (size (a), [1, m / 2]) || any (a < b))
  error ("bench_octave: brisol returned unexpected results");
endif
fprintf (out, "octave:brisol/8000 %.9g\n",
         per_call ("[smaj, smin, azim] = brisol (C)", 50, 15, "", C));
fprintf (out, "octave:diag/8000 %.9g\n", per_call ("d = diag (C)", 50, 15, "", C));
fclose (out);
