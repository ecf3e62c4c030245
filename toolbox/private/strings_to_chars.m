% args = strings_to_chars (args)
% MATLAB's double-quoted text is a string object, not a char array, and
% users write either.  The toolbox checks names and options as char
% arrays, so each scalar string in the cell ARGS becomes one.  Octave has
% no string objects: there ARGS comes back unchanged.
function args = strings_to_chars (args)
  for i = 1:numel (args)
    if (isa (args{i}, 'string') && isscalar (args{i}))
      args{i} = char (args{i});
    end
  end
end
