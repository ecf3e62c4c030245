## The help texts beside the modules: `help` renders them, calls still reach
## the compiled modules, and every message a module gives is documented.

## Text of a module's refusal, without the "name: " that Octave puts first.
%!function msg = refusal (name, code)
%!  msg = "";
%!  try
%!    eval (code);
%!  catch err
%!    msg = regexprep (err.message, ['^', name, ': '], "");
%!  end_try_catch
%!  assert (! isempty (msg), "%s was not refused", code);
%!endfunction

%!function text = rendered_help (name)
%!  text = evalc (["help ", name]);
%!endfunction

## Calls go to the modules, and their help files sit right beside them.
%!test
%! for name = {"brisol", "tosqumg"}
%!   name = name{1};
%!   assert (exist (name), 3);
%!   [dir, base, ext] = fileparts (which (name));
%!   assert ([base, ext], [name, ".", mexext()]);
%!   assert (exist (fullfile (dir, [name, ".m"]), "file"), 2);
%! endfor
%! [a, b, c] = brisol ([4, 0; 0, 1]);
%! assert ([a, b, c], [4.895999908447266, 2.447999954223633, 90], 0);
%! evalc ("[vel, outcov, nvec, llh] = tosqumg ([tempname(), '.txt']);");
%! assert (size (llh), [3, 100]);

## The help is Texinfo, rendered: usage line, no markup left over.
%!test
%! for name = {"brisol", "tosqumg"}
%!   name = name{1};
%!   [text, format] = get_help_text (name);
%!   assert (format, "texinfo");
%!   out = rendered_help (name);
%!   assert (isempty (strfind (out, "not documented")));
%!   assert (isempty (regexp (out, '@(var|code|qcode|table|item|end|example|group|result|seealso|dots)\>', "once")), "markup left in help %s", name);
%!   assert (isempty (strfind (out, "Texinfo")), "help %s fell back to raw Texinfo", name);
%! endfor
%! assert (! isempty (strfind (rendered_help ("brisol"), "-- [SMAJ, SMIN, AZIM] = brisol (C)")));
%! assert (! isempty (strfind (rendered_help ("tosqumg"), ...
%!                            "-- [VEL, OUTCOV, NVEC, LLH] = tosqumg (FILENAME)")));

## Every refusal of brisol, as the module words it, appears in its help.
%!test
%! out = rendered_help ("brisol");
%! msgs = {refusal("brisol", "[a, b, c] = brisol ();"), ...
%!         refusal("brisol", "a = brisol (1);"), ...
%!         refusal("brisol", "[a, b, c] = brisol (ones (2, 3));"), ...
%!         refusal("brisol", "[a, b, c] = brisol (sparse (eye (2)));"), ...
%!         regexprep(refusal("brisol", "[a, b, c] = brisol (single (eye (2)));"), ...
%!                   "single$", "CLASS")};
%! for i = 1:numel (msgs)
%!   assert (! isempty (strfind (out, ['"', msgs{i}, '"'])), "help brisol lacks: %s", msgs{i});
%! endfor

## Likewise for tosqumg, with its lines on the command window.
%!test
%! out = rendered_help ("tosqumg");
%! msgs = {refusal("tosqumg", "[a, b, c, d] = tosqumg ();"), ...
%!         refusal("tosqumg", "[a, b] = tosqumg ('x');"), ...
%!         refusal("tosqumg", "[a, b, c, d] = tosqumg (1);"), ...
%!         refusal("tosqumg", "[a, b, c, d] = tosqumg (['ab'; 'cd']);"), ...
%!         regexprep(refusal("tosqumg", "[a, b, c, d] = tosqumg (repmat ('x', 1, 151));"), ...
%!                   "151\\)$", "N)")};
%! for i = 1:numel (msgs)
%!   assert (! isempty (strfind (out, ['"', msgs{i}, '"'])), "help tosqumg lacks: %s", msgs{i});
%! endfor
%! line = evalc ("[a, b, c, d] = tosqumg ([tempname(), '.txt']);");
%! line = line(1:end-1);
%! assert (! isempty (strfind (out, ['"', line, '"'])), "help tosqumg lacks the line: %s", line);

## Without its module a help file says what is missing.
%!test
%! dir = tempname ();
%! mkdir (dir);
%! unwind_protect
%!   copyfile (fullfile (fileparts (which ("brisol")), "brisol.m"), dir);
%!   addpath (dir);
%!   try
%!     [a, b, c] = brisol (eye (2));
%!     error ("the help file ran as if it were the module");
%!   catch err
%!     assert (err.message, ["brisol: the compiled module brisol.", mexext(), ...
%!                           " is missing from ", dir, ...
%!                           "; build or install it as the installation notes describe"]);
%!   end_try_catch
%! unwind_protect_cleanup
%!   rmpath (dir);
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (dir, "s");
%! end_unwind_protect
%! [a, b, c] = brisol ([4, 0; 0, 1]);
%! assert (a, 4.895999908447266, 0);
