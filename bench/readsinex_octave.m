## Times readsinex inside octave-cli, beside its yardsticks:
##   octave-cli readsinex_octave.m MEXDIRS FLOOR OUTFILE SINEX GZIPPED
## MEXDIRS: the folders of the modules, separated by pathsep; FLOOR: the
## bench_floor program; SINEX: a file written by tools/gensnx; GZIPPED: the
## same file compressed by gzip.  In this one process, side by side:
##   readsinex (file)     measured first, so that no memory kept from
##                        another call hides part of its growth
##   readsinex (gzipped)
##   floor                bench_floor on the plain file: read it from the
##                        page cache into a buffer, look at each byte once
##   gzip -dc             the compressed file decompressed to /dev/null by
##                        gzip (started from here through system ())
##   zeros (P)            P the estimate count: Octave fills the new array,
##                        so every page is touched
## Goals: readsinex within 1.5 x (floor + zeros), the gzipped file within
## 1.2 x (gzip -dc + zeros); peak memory growth within 2 x the results
## (whos) + 64 MB.  Each time is the fastest of several runs; the growth is
## the largest of VmHWM after a call less VmRSS before it, the peak reset
## before each call (measure_call.m).  Prints a table and appends
## "key value" lines to OUTFILE, keys suffixed with "/sites:N".
1;   # a script, not a function file

function s = verdict (ratio, goal)
  if (ratio <= goal)
    s = sprintf ("<= %.1fx met", goal);
  else
    s = sprintf ("<= %.1fx MISSED", goal);
  endif
endfunction

args = argv ();
addpath (args{1});
addpath (fileparts (mfilename ("fullpath")));
floorprog = args{2};
out = fopen (args{3}, "a");
file = args{4};
gz = args{5};

fid = fopen (file, "r");
head = fgetl (fid);
fclose (fid);
p = str2double (head(61:65));          # the header's estimate count
sites = p / 6;
bytes = stat (file).size;
gzbytes = stat (gz).size;
key = sprintf ("sites:%d", sites);
MB = 2 ^ 20;
peak_ok = reset_peak ();
runs = max (2, min (10, round (2e8 / bytes)));

if (exist ("readsinex") != 3)
  error ("readsinex_octave: readsinex is not on the path (exist gives %d)", exist ("readsinex"));
endif
[rs_s, rs_grow] = measure_call ("res = readsinex (file)", runs, file, p);
[gz_s, gz_grow] = measure_call ("res = readsinex (file)", runs, gz, p);
snx = readsinex (file);
w = whos ("snx");
results = w.bytes;
clear snx;

## The floor, in its own process.
calls = max (1, round (2e8 / max (bytes, 1)));
floor_s = floor_seconds (floorprog, file, calls, runs);

gunzip_s = Inf;
for r = 1:runs
  t0 = tic ();
  st = system (sprintf ('gzip -dc %s > /dev/null', shell_quoted (gz)));
  gunzip_s = min (gunzip_s, toc (t0));
  if (st != 0)
    error ("readsinex_octave: gzip -dc failed on %s", gz);
  endif
endfor

[zeros_s, zeros_grow] = measure_call ("res = zeros (m)", runs, file, p);

fprintf (out, "bytes/%s %d\ngzbytes/%s %d\nresults/%s %d\n", key, bytes, key, gzbytes, key, results);
fprintf (out, "readsinex/%s %.9g\nreadsinex_grow/%s %d\n", key, rs_s, key, rs_grow);
fprintf (out, "readsinex_gz/%s %.9g\nreadsinex_gz_grow/%s %d\n", key, gz_s, key, gz_grow);
fprintf (out, "floor/%s %.9g\ngunzip/%s %.9g\nzeros/%s %.9g\nzeros_grow/%s %d\n", ...
         key, floor_s, key, gunzip_s, key, zeros_s, key, zeros_grow);
fclose (out);

base = floor_s + zeros_s;
gzbase = gunzip_s + zeros_s;
limit = 2 * results + 64 * MB;
printf ("\n%d sites, P = %d estimates, %.1f MB (gzip: %.1f MB), results %.1f MB; %d runs%s\n\n", ...
        sites, p, bytes / MB, gzbytes / MB, results / MB, runs, ...
        merge (peak_ok, "", " (peak NOT reset)"));
printf ("%-40s %11s %7s %16s %10s\n", "measured", "time", "ratio", "goal", "growth");
printf ("%-40s %s\n", "floor: read the file, each byte once", time_str (floor_s));
printf ("%-40s %s\n", "gzip -dc file.gz > /dev/null", time_str (gunzip_s));
printf ("%-40s %s %28s %7.1f MB\n", sprintf ("zeros (%d), every page touched", p), ...
        time_str (zeros_s), "", zeros_grow / MB);
printf ("%-40s %s %7.2f %16s %7.1f MB %s\n", "readsinex (file)", time_str (rs_s), rs_s / base, ...
        verdict (rs_s / base, 1.5), rs_grow / MB, merge (rs_grow <= limit, "met", "MISSED"));
printf ("%-40s %s %7.2f %16s %7.1f MB %s\n", "readsinex (file.gz)", time_str (gz_s), gz_s / gzbase, ...
        verdict (gz_s / gzbase, 1.2), gz_grow / MB, merge (gz_grow <= limit, "met", "MISSED"));
printf ("(ratios: to floor + zeros, and to gzip -dc + zeros; growth limit %.0f MB)\n", limit / MB);
