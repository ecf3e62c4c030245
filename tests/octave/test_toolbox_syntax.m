## The toolbox is called from MATLAB as well as Octave, so its files keep to
## the syntax both accept; MATLAB is not at hand here, so this looks for
## the Octave-only forms that creep back most easily.  And Octave still
## renders their Texinfo help, written in % comments.

## The code of one line: quoted text emptied, comments and what follows a
## continuation dropped, dynamic field names reduced to a plain name.  A
## quote after a name, a closing bracket, a dot or another quote is a
## transpose, any other opens char data.
%!function code = code_of (line)
%!  code = regexprep (line, '(^|[\s(\[{,;=])''([^'']|'''')*''', '$1''''');
%!  code = regexprep (code, '(\.\.\.|%).*$', '');
%!  code = regexprep (code, '\.\([^()]*\)', '.f');
%!endfunction

## Each problem as "file:line: what".
%!function bad = octave_only (file)
%!  forms = {'#', 'comment or text with #'; '"', 'double-quoted text';
%!           '!', '! for ~';
%!           '\<end(if|for|while|function|switch|_try_catch|_unwind_protect)\>', 'end keyword';
%!           '\<(unwind_protect|do|until)\>', 'Octave-only block';
%!           '(\+\+|--|[-+*/^|&]=)', 'increment or operator-assignment';
%!           '\<(printf|puts|fputs|fdisp|print_usage|columns|rows|numfields|ifelse|merge|index|rindex|isargout)\>', 'Octave-only function';
%!           '\)\s*[({]', 'indexing a call or an index'};
%!  lines = strsplit (fileread (file), "\n");
%!  bad = {};
%!  depth = 0;
%!  for i = 1:numel (lines)
%!    code = code_of (lines{i});
%!    for f = 1:rows (forms)
%!      if (! isempty (regexp (code, forms{f, 1}, "once")))
%!        bad{end+1} = sprintf ("%s:%d: %s", file, i, forms{f, 2});
%!      endif
%!    endfor
%!    ## MATLAB ends a statement at a line end inside parentheses, too.
%!    depth += sum (code == "(") - sum (code == ")");
%!    if (depth > 0 && isempty (regexp (lines{i}, '\.\.\.', "once")))
%!      bad{end+1} = sprintf ("%s:%d: line break inside () without ...", file, i);
%!    endif
%!  endfor
%!endfunction

%!test
%! src = getenv ("GEOMEX_SOURCE_DIR");
%! files = [glob(fullfile (src, "toolbox", "*.m")); glob(fullfile (src, "toolbox", "private", "*.m"));
%!          {fullfile(src, "examples", "velocity_report.m")}];
%! assert (numel (files) >= 8);
%! bad = cellfun (@octave_only, files, "uniformoutput", false);
%! bad = [bad{:}];
%! assert (isempty (bad), "Octave-only syntax:\n%s", strjoin (bad, "\n"));

## The checker itself sees what it is there for, and not a transpose.
%!function bad = octave_only_text (text)
%!  file = [tempname(), ".m"];
%!  fid = fopen (file, "w");
%!  fputs (fid, text);
%!  fclose (fid);
%!  bad = octave_only (file);
%!  delete (file);
%!endfunction
%!assert (numel (octave_only_text ("x = a' + b';  y = 'it''s';")), 0)
%!assert (numel (octave_only_text ("if (!x)\n  y += 1;\nendif")), 3)
%!assert (numel (octave_only_text ("f (a,\n   b)")), 1)

## Help is Texinfo in % comments, rendered without markup.
%!test
%! for name = {"velsol2enu", "writevelo", "plotvelo", "velomap", "readvelo", "eulerpole", ...
%!             "platevel", "platefix", "platemodel"}
%!   [~, format] = get_help_text (name{1});
%!   assert (format, "texinfo");
%!   out = evalc (["help ", name{1}]);
%!   assert (! isempty (regexp (out, ['-- .*\<', name{1}, ' \('], "once")));
%!   assert (isempty (regexp (out, '@(var|code|qcode|table|item|end|seealso)\>', "once")), "markup left in help %s", name{1});
%! endfor
