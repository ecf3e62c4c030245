## s = time_str (t)
## A time in milliseconds below a second, else in seconds, for the tables.
function s = time_str (t)
  if (t < 1)
    s = sprintf ("%7.2f ms", 1e3 * t);
  else
    s = sprintf ("%7.2f s ", t);
  endif
endfunction
