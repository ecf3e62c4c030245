## Times readvelsol at scale inside octave-cli, beside its yardsticks:
##   octave-cli readvelsol_octave.m MEXDIRS FLOOR OUTFILE SOLUTION
## MEXDIRS: the folders of the modules, separated by pathsep; FLOOR: the
## bench_floor program; SOLUTION: one file written by tools/gensol.  In this
## one process, side by side:
##   floor       bench_floor on the file: read it from the page cache into a
##               buffer and look at each byte once (run from here through
##               system (), its warm-up read excluded)
##   zeros       A = zeros (m), m the file's parameter count.  Octave fills
##               the new array, so this touches every page; the growth
##               printed beside it (8 m^2 bytes) shows that it did.  Freed
##               before each run, so every run of more than 32 MB takes
##               fresh pages from the system, as a reader's result does
##               (smaller arrays come from memory the C library kept).
##   readvelsol  sol = readvelsol (file), when the module is on the path
##               (exist () gives 3), measured first so that no memory kept
##               from another call hides its growth; otherwise a line says
##               it is skipped
##   tosqumg, tosqumg_octave.m   where the file has at most 99 stations
## For each: the fastest of several runs, and the largest peak growth of
## this process's resident memory during a call: VmHWM after the call less
## VmRSS before it, the peak being reset before each call by writing 5 to
## /proc/self/clear_refs (results of earlier calls are cleared first).
## Prints a table and appends "key value" lines to OUTFILE, keys suffixed
## with "/stations:N".
1;   # a script, not a function file

## One line of the table: label, time, growth, (floor + zeros), bytes of
## the results, whether the goals apply.
function r = row (label, t, grow, base, results, goal)
  r = {label, t, grow, base, results, goal};
endfunction

function s = ifelse_str (c, a, b)
  if (c)
    s = a;
  else
    s = b;
  endif
endfunction

args = argv ();
addpath (args{1});
addpath (fileparts (mfilename ("fullpath")));
floorprog = args{2};
out = fopen (args{3}, "a");
file = args{4};

## Header: (X,I4,...): the parameter count.
fid = fopen (file, "r");
head = fgetl (fid);
fclose (fid);
m = str2double (head(2:5));
nvec = fix (m / 3);
bytes = stat (file).size;
key = sprintf ("stations:%d", nvec);
MB = 2 ^ 20;
peak_ok = reset_peak ();

## Results of readvelsol by the sizes of its fields (doubles, and 8
## characters per name), for the memory goal.
results = 8 * ((3 * nvec) ^ 2 + 2 * 3 * (nvec + 1) + 2 * 3 * nvec + 2) + 8 * (2 * nvec + 3);

## Runs: at least two; more, up to a second's worth, for small files.
runs = max (2, min (15, round (1e8 / max (bytes, 1))));

## The floor, in its own process; repeated reads of the file in one batch
## for small files, one read a batch for large ones.
calls = max (1, round (2e8 / max (bytes, 1)));
floor_s = floor_seconds (floorprog, file, calls, runs);

## readvelsol first in this process: memory the C library keeps from an
## earlier call (below 32 MB it is not given back to the system) would hide
## part of its growth.  Its struct is then sized by whos.
have = exist ("readvelsol") == 3;
if (have)
  [rv_s, rv_grow] = measure_call ("res = readvelsol (file)", runs, file, m);
  sol = readvelsol (file);
  w = whos ("sol");
  results = w.bytes;
  clear sol;
  fprintf (out, "readvelsol/%s %.9g\nreadvelsol_grow/%s %d\n", key, rv_s, key, rv_grow);
else
  printf ("readvelsol: not on the path (exist gives %d): skipped, it lands later\n",
          exist ("readvelsol"));
endif
fprintf (out, "results/%s %d\n", key, results);

[zeros_s, zeros_grow] = measure_call ("res = zeros (m)", runs, file, m);
base = floor_s + zeros_s;
fprintf (out, "bytes/%s %d\nfloor/%s %.9g\nzeros/%s %.9g\nzeros_grow/%s %d\n",
         key, bytes, key, floor_s, key, zeros_s, key, zeros_grow);

table = {};
table{end + 1} = row ("floor: read the file, look at each byte", floor_s, NaN, base, 0, "");
table{end + 1} = row (sprintf ("zeros (%d), every page touched", m), zeros_s, zeros_grow,
                      base, 8 * m ^ 2, "");
if (have)
  table{end + 1} = row ("readvelsol (file)", rv_s, rv_grow, base, results, "goal");
endif

if (nvec <= 99 && exist ("tosqumg") == 3)
  [t, grow] = measure_call ("[res, c, n, l] = tosqumg (file)", max (runs, 15), file, m);
  table{end + 1} = row ("tosqumg (file), at most 99 stations", t, grow, base, 0, "");
  fprintf (out, "tosqumg/%s %.9g\ntosqumg_grow/%s %d\n", key, t, key, grow);
  [t, grow] = measure_call ("[res, c, n, l] = tosqumg_octave (file)", runs, file, m);
  table{end + 1} = row ("tosqumg_octave.m (plain Octave)", t, grow, base, 0, "");
  fprintf (out, "tosqumg_octave/%s %.9g\ntosqumg_octave_grow/%s %d\n", key, t, key, grow);
endif
fclose (out);

printf ("\n%d stations, n = %d, %.1f MB; ratio = time / (floor + zeros); ", nvec, m, bytes / MB);
printf ("memory: peak growth of the process during the call%s\n\n",
        ifelse_str (peak_ok, "", " (peak NOT reset: /proc/self/clear_refs refused)"));
printf ("%-44s %10s %7s %8s %10s %10s\n", "measured", "time", "ratio", "goal", "growth",
        "limit");
for i = 1:numel (table)
  [label, t, grow, base, res_bytes, goal] = table{i}{:};
  verdict = "";
  limit = "";
  if (strcmp (goal, "goal"))
    r = t / base;
    verdict = ifelse_str (r <= 1.0, "met 1.0x", ifelse_str (r <= 1.5, "met 1.5x", "MISSED"));
    lim = 2 * res_bytes + 64 * MB;
    limit = sprintf ("%7.0f MB %s", lim / MB, ifelse_str (grow <= lim, "met", "MISSED"));
  endif
  gtxt = ifelse_str (isnan (grow), "", sprintf ("%7.1f MB", grow / MB));
  printf ("%-44s %s %7.2f %8s %10s %s\n", label, time_str (t), t / base, verdict, gtxt, limit);
endfor
if (! have)
  printf ("%-44s %10s %7s %8s %10s %7.0f MB\n", "readvelsol (file)", "(to come)", "", "", "",
          (2 * results + 64 * MB) / MB);
endif
