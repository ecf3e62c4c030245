## Times velsol2enu against one plain copy of the covariance, side by side
## in one octave-cli run:
##   octave-cli velsol2enu_bench.m MEXDIR [STATIONS [REPEATS]]
## STATIONS (default 3333, the format's largest solution: a 9999 x 9999
## covariance) stations on a synthetic solution (tests/octave/make_velsol.m);
## each measurement is the fastest of REPEATS (default 5), the copy and the
## call taking turns so that both see the same machine.  Also reports the
## compiled helper alone and the process's peak memory growth during one
## call (VmHWM, reset through /proc/self/clear_refs), against the size of
## the result.
args = argv ();
addpath (args{1});
## The compiled helper is private to the toolbox; its folder on the path
## lets the benchmark time it alone.
addpath (fullfile (args{1}, "private"));
here = fileparts (mfilename ("fullpath"));
addpath (fullfile (fileparts (here), "tests", "octave"));
n = 3333;
repeats = 5;
if (numel (args) >= 2)
  n = str2double (args{2});
endif
if (numel (args) >= 3)
  repeats = str2double (args{3});
endif

function kb = status_kb (field)
  s = fileread ("/proc/self/status");
  kb = str2double (regexp (s, [field, ":\\s*(\\d+)"], "tokens", "once"){1});
endfunction

function s = ifelse_helper (compiled)
  if (compiled)
    s = "compiled helper (oct-file)";
  else
    s = "plain Octave rotation";
  endif
endfunction

rand ("state", 1);
llh = [35 + 30 * rand(n, 1), -10 + 40 * rand(n, 1), 1000 * rand(n, 1)];
sol = make_velsol (llh, 0.03 * (rand (n, 3) - 0.5), 1);
A = sol.cov;
printf ("velsol2enu benchmark: %d stations, %d x %d covariance (%.0f MB), %s\n",
        n, rows (A), columns (A), 8 * numel (A) / 2^20,
        ifelse_helper (exist ("enurotate") == 3));

t_copy = t_call = t_core = Inf;
R = repmat (eye (3), 1, 1, n);
for r = 1:repeats
  t0 = tic (); B = A; B(1) = B(1); t_copy = min (t_copy, toc (t0)); clear B
  t0 = tic (); e = velsol2enu (sol); t_call = min (t_call, toc (t0)); clear e
  t0 = tic (); Y = enurotate (A, (1:n)', R, 0); t_core = min (t_core, toc (t0)); clear Y
endfor

## Peak memory growth of one call, beyond what the session held before.
peak = NaN;
fid = fopen ("/proc/self/clear_refs", "w");
if (fid >= 0)
  before = status_kb ("VmRSS");
  fputs (fid, "5"); fclose (fid);
  e = velsol2enu (sol);
  peak = (status_kb ("VmHWM") - before) / 1024;
  clear e
endif

result_mb = 8 * numel (A) / 2^20;
printf ("\n%-44s %10s %8s   %s\n", "measured (fastest of each)", "time", "ratio", "target");
printf ("%-44s %9.3f s %8.2f\n", "copy: B = A; B(1) = B(1)", t_copy, 1);
verdict = "MISSED";
if (t_call <= 2 * t_copy)
  verdict = "met";
endif
printf ("%-44s %9.3f s %8.2f   <= 2x  %s\n", "enu = velsol2enu (sol)", t_call, t_call / t_copy, verdict);
printf ("%-44s %9.3f s %8.2f\n", "  of which enurotate (the covariance)", t_core, t_core / t_copy);
printf ("%-44s %9.0f MB %7.2f   (result %.0f MB)\n", "peak memory growth of one call", peak,
        peak / result_mb, result_mb);
