## b = status_bytes (field)
## A field of /proc/self/status (VmRSS, VmHWM, ...) in bytes.
function b = status_bytes (field)
  txt = fileread ("/proc/self/status");
  b = 1024 * str2double (regexp (txt, [field ":\\s+(\\d+) kB"], "tokens", "once"){1});
endfunction
