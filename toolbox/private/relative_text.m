% s = relative_text (enu)
% What the velocities of ENU are relative to, for a map's title or legend:
% 'plate <enu.fixedto>' for plate-fixed velocities (platefix, eulerpole's
% residual), the reference station's name for relative ones, '' else.
function s = relative_text (enu)
  s = '';
  if (isfield (enu, 'fixedto') && ischar (enu.fixedto) && ~isempty (strtrim (enu.fixedto)))
    s = ['plate ', strtrim(enu.fixedto)];
  elseif (isfield (enu, 'relative') && isscalar (enu.relative) && enu.relative)
    s = strtrim (enu.refname);
  end
end
