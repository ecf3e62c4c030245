## [t, grow] = measure_call (stmt, runs, file, m)
## Fastest of RUNS runs of STMT (which assigns `res` and may use FILE and M)
## and the largest peak growth of this process's resident memory during
## any run: VmHWM after the call less VmRSS before it, the peak reset before
## each call.  `res` stays assigned while the peak is read and is cleared
## before the next run, so each run starts from the same state.
function [t, grow] = measure_call (stmt, runs, file, m)
  t = Inf;
  grow = 0;
  for r = 1:runs
    reset_peak ();
    r0 = status_bytes ("VmRSS");
    t0 = tic ();
    eval ([stmt, ";"]);
    t = min (t, toc (t0));
    grow = max (grow, status_bytes ("VmHWM") - r0);
    clear res;
  endfor
endfunction
