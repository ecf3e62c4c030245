## s = floor_seconds (floorprog, file, calls, runs)
## The floor of a reading benchmark, measured by FLOORPROG (bench_floor) in
## its own process: reading FILE and looking at each byte once, CALLS reads
## a batch, the best of RUNS batches, in seconds a read.  No argument is
## parsed by the shell: each is quoted whole.
function s = floor_seconds (floorprog, file, calls, runs)
  [st, txt] = system (sprintf ('%s %s %d %d', shell_quoted (floorprog), shell_quoted (file), ...
                               calls, runs));
  if (st != 0)
    error ("floor_seconds: %s failed: %s", floorprog, txt);
  endif
  s = sscanf (regexp (txt, "floor_s (\\S+)", "tokens", "once"){1}, "%f");
endfunction
