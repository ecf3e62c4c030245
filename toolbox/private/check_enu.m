% check_enu (enu, caller)
% check_enu (enu, caller, optional)
% Errors CALLER:notenu unless ENU is a velsol2enu result: a scalar struct
% with the fields the writers and plots read, the per-station ones all of
% one length.  Every number must be real floating point (double or single):
% an integer class would make the callers' arithmetic integer (a latitude
% of int32 (47) is no longer 47.3), and logical or char are no numbers.
% OPTIONAL names further per-station fields the caller reads where ENU has
% them (writevelo's CSV: height, vu, su); they are checked where present.
function check_enu (enu, caller, optional)
  if (nargin < 3)
    optional = {};
  end
  per_station = {'lat', 'lon', 've', 'vn', 'se', 'sn', 'rho_en', 'smaj', 'smin', 'azim'};
  scalars = {'confidence', 'reflat', 'reflon', 'reference'};
  need = [{'name', 'refname'}, per_station, scalars];
  id = [caller, ':notenu'];
  if (~(isstruct (enu) && isscalar (enu) && all (isfield (enu, need))))
    error (id, '%s: ENU is not a velsol2enu result', caller);
  end
  m = numel (enu.name);
  number = @(x) isfloat (x) && isreal (x) && ~issparse (x);
  present = optional(isfield (enu, optional));
  fields = [per_station, present];
  if (~iscellstr (enu.name))
    error (id, '%s: ENU is not a velsol2enu result: name must be a cell array of names', caller);
  end
  sized = cellfun (@(f) number (enu.(f)) && numel (enu.(f)) == m, fields);
  if (~all (sized))
    error (id, ['%s: ENU is not a velsol2enu result: %s must be real floating-point ', ...
                'arrays of one value per station'], caller, strjoin (fields(~sized), ', '));
  end
  single_value = cellfun (@(f) number (enu.(f)) && isscalar (enu.(f)), scalars);
  if (~all (single_value) || ~(enu.reference >= 0 && enu.reference == fix (enu.reference)) ...
      || ~ischar (enu.refname))
    error (id, ['%s: ENU is not a velsol2enu result: confidence, reflat, reflon and ', ...
                'reference must be real floating-point scalars (reference 0 or a row ', ...
                'number), refname a string'], caller);
  end
end
