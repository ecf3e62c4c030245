% s = plot_text (hax, s)
% The text S, to be shown literally (with 'interpreter', 'none') on the
% axes HAX.  Octave's gnuplot toolkit hands texts to gnuplot inside double
% quotes as they are, where gnuplot runs `backquoted` commands and reads
% backslash escapes and the quote itself: a station name must do neither.
% Its backquotes become the octal escape \140, which gnuplot turns back
% into the character after it has looked for commands.  Other toolkits,
% and MATLAB, show S as it is.
function s = plot_text (hax, s)
  if (exist ('OCTAVE_VERSION', 'builtin') ...
      && strcmp (get (ancestor (hax, 'figure'), '__graphics_toolkit__'), 'gnuplot'))
    s(s < 32) = ' ';                  % a line break would end gnuplot's command
    s = strrep (s, '\', '\\');
    s = strrep (s, '"', '\"');
    s = strrep (s, '`', '\140');
  end
end
