% check_enu (enu, caller)
% Errors CALLER:notenu unless ENU is a velsol2enu result: a scalar struct
% with the per-station fields the writers and plots read, all of one length.
function check_enu (enu, caller)
  need = {'name', 'lat', 'lon', 've', 'vn', 'se', 'sn', 'rho_en', ...
          'smaj', 'smin', 'azim', 'confidence', 'refname', 'reflat', 'reflon', 'reference'};
  if (~(isstruct (enu) && isscalar (enu) && all (isfield (enu, need))))
    error ([caller, ':notenu'], '%s: ENU is not a velsol2enu result', caller);
  end
  m = numel (enu.name);
  per_station = need(2:11);
  if (~iscellstr (enu.name) ...
      || ~all (cellfun (@(f) isnumeric (enu.(f)) && isreal (enu.(f)) && numel (enu.(f)) == m, ...
                        per_station)))
    error ([caller, ':notenu'], ...
           '%s: ENU is not a velsol2enu result: its per-station fields differ in length or are not real', ...
           caller);
  end
end
