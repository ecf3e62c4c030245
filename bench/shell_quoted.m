## q = shell_quoted (text)
## TEXT as one word of a shell line: in single quotes, inside which the
## shell interprets nothing (a single quote itself is closed, escaped and
## reopened).
function q = shell_quoted (text)
  q = ["'", strrep(text, "'", "'\\''"), "'"];
endfunction
