% opt = parse_options (caller, args, known)
% The toolbox's one option parser.  ARGS is the cell of name/value pairs a
% function was given (MATLAB string scalars are taken as char arrays).  KNOWN
% is an n x 3 cell, one row per option: {name, default, kind}.  OPT is a
% struct with one field per option (the name as KNOWN writes it), holding
% the default or the checked value given.
%
% One case rule for every function: option names, and the words of an
% option that takes one of a list of words, are matched whatever their
% case; the value stored is the word as KNOWN writes it.  Every value is
% checked here, before the caller does anything with any of them, so a bad
% call changes nothing (no figure, no file, no folder).
%
% KIND is one of
%   'logical'      true or false (also 1 or 0): stored as logical
%   'positive'     a finite real number > 0: stored as double
%   'probability'  a real number strictly between 0 and 1: stored as double
%   'text'         a one-row char array (or ''): stored as char
%   'cellstr'      a cell array of char arrays
%   'rows'         a vector of positive integers (row numbers): stored as a double column
%   {w1, w2, ...}  one of these words, any case: stored as written in KNOWN
%   {@check, what} CHECK (value) returns [ok, stored]; WHAT says what is
%                  expected, for the error message
%
% Errors (identifier CALLER:option): an odd number of arguments, a name
% that is not a string, an unknown option (named, with the known ones), a
% value that is not of its kind (the option named, with what it must be).
function opt = parse_options (caller, args, known)
  args = strings_to_chars (args);
  opt = struct ();
  for k = 1:size (known, 1)
    opt.(known{k, 1}) = known{k, 2};
  end
  id = [caller, ':option'];
  if (mod (numel (args), 2) ~= 0)
    error (id, '%s: options come in name/value pairs', caller);
  end
  for i = 1:2:numel (args)
    name = args{i};
    if (~(ischar (name) && (isempty (name) || isrow (name))))
      error (id, '%s: option %d is not a name: option names are strings', caller, (i + 1) / 2);
    end
    k = find (strcmpi (name, known(:, 1)), 1);
    if (isempty (k))
      error (id, '%s: unknown option ''%s'' (known: %s)', caller, name, ...
             strjoin (reshape (known(:, 1), 1, []), ', '));
    end
    [ok, value, what] = check_kind (args{i + 1}, known{k, 3});
    if (~ok)
      error (id, '%s: option ''%s'' must be %s', caller, known{k, 1}, what);
    end
    opt.(known{k, 1}) = value;
  end
end

function [ok, v, what] = check_kind (v, kind)
  real_scalar = isnumeric (v) && isreal (v) && isscalar (v);
  if (iscell (kind) && ~isempty (kind) && isa (kind{1}, 'function_handle'))
    what = kind{2};
    [ok, v] = kind{1} (v);
    return;
  elseif (iscell (kind))
    what = ['one of ''', strjoin(reshape (kind, 1, []), ''', '''), ''''];
    ok = ischar (v) && isrow (v) && any (strcmpi (v, kind));
    if (ok)
      v = kind{find (strcmpi (v, kind), 1)};
    end
    return;
  end
  switch (kind)
    case 'logical'
      what = 'true or false';
      ok = (islogical (v) || isnumeric (v)) && isreal (v) && isscalar (v) && (v == 0 || v == 1);
      if (ok)
        v = logical (v);
      end
    case 'positive'
      what = 'a finite positive number';
      ok = real_scalar && isfinite (v) && v > 0;
      if (ok)
        v = double (v);
      end
    case 'probability'
      what = 'a number between 0 and 1 (exclusive)';
      ok = real_scalar && v > 0 && v < 1;
      if (ok)
        v = double (v);
      end
    case 'text'
      what = 'a string (one row of characters)';
      ok = ischar (v) && (isempty (v) || isrow (v));
      if (ok && isempty (v))
        v = '';
      end
    case 'cellstr'
      what = 'a cell array of strings';
      ok = iscellstr (v);
    case 'rows'
      what = 'a vector of row numbers (positive integers)';
      ok = isnumeric (v) && isreal (v) && (isempty (v) || isvector (v)) ...
           && all (isfinite (v(:))) && all (v(:) >= 1) && all (v(:) == fix (v(:)));
      if (ok)
        v = double (v(:));
      end
    otherwise
      error ('parse_options: unknown kind of option');
  end
end
