% k = check_pole (pole, caller)
% Errors CALLER:notpole unless POLE is an eulerpole or platemodel result
% (the fields the predictions read, of sizes that agree); K is its number
% of plates.
function k = check_pole (pole, caller)
  bad = @(why) error ([caller, ':notpole'], ...
                      '%s: POLE is not an eulerpole or platemodel result: %s', caller, why);
  if (~(isstruct (pole) && isscalar (pole) && all (isfield (pole, {'plate', 'omega', 'origin', 'cov'}))))
    bad ('a scalar struct with fields plate, omega, origin and cov is expected');
  end
  k = numel (pole.plate);
  q = 3 * k + 3 * ~isempty (pole.origin);
  if (~iscellstr (pole.plate) || k == 0)
    bad ('plate must be a cell of names, one per plate');
  elseif (~(isnumeric (pole.omega) && isreal (pole.omega) && isequal (size (pole.omega), [k, 3])))
    bad ('omega must have one row of three values per plate');
  elseif (~(isempty (pole.origin) || (isnumeric (pole.origin) && isreal (pole.origin) ...
                                      && numel (pole.origin) == 3)))
    bad ('origin must be [] or three values');
  elseif (~(isempty (pole.cov) || (isnumeric (pole.cov) && isreal (pole.cov) ...
                                   && isequal (size (pole.cov), [q, q]))))
    bad (sprintf ('cov must be [] or %d x %d', q, q));
  end
end
