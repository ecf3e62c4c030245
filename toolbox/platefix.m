% -*- texinfo -*-
% @deftypefn  {} {@var{fixed} =} platefix (@var{enu}, @var{pole})
% @deftypefnx {} {@var{fixed} =} platefix (@var{enu}, @var{pole}, @var{name}, @var{value}, @dots{})
% Station velocities relative to a plate: observed minus what the plate's
% rotation predicts.
%
% @var{enu} is what @code{velsol2enu} or @code{readvelo} returns,
% @var{pole} what @code{eulerpole} or @code{platemodel} returns.
% @var{fixed} is @var{enu} with @code{ve}, @code{vn} and @code{vu} less
% what @code{platevel (pole, enu)} predicts (the pole's translation
% rate included where it has one), and two more fields: @code{plate} (each row's plate)
% and @code{fixedto}, the text @code{velomap} puts in its title, such as
% @qcode{'EURA (ITRF2020-PMM)'}.
%
% The covariance stays the observed one; with @qcode{'polecov'} true the
% pole's propagated covariance is added (the two are independent), and
% the standard deviations and ellipses are those of the sum.
%
% Options: @qcode{'polecov'}, @var{tf} (default false); @qcode{'origin'},
% @var{tf} (false leaves the pole's translation rate out); @qcode{'plate'},
% @var{labels} (each row's plate, for a pole of several plates, as in
% @code{platevel}).
%
% Errors: @code{platefix:notenu}, @code{platefix:notpole},
% @code{platefix:relative} (velocities relative to a reference station
% are not a plate's motion plus deformation), @code{platefix:plate},
% @code{platefix:option}, @code{platefix:usage}.
%
% Example:
% @example
% @group
% enu = velsol2enu (readvelsol ('example.sol'));
% fixed = platefix (enu, platemodel ('ITRF2020-PMM', 'EURA'));
% velomap ('eurasia_fixed.png', fixed);
% @end group
% @end example
% @seealso{platevel, eulerpole, platemodel, velomap}
% @end deftypefn

function fixed = platefix (enu, pole, varargin)
  if (nargin < 2)
    error ('platefix:usage', 'Invalid call to platefix: fixed = platefix (enu, pole, ...)');
  end
  opt = parse_options ('platefix', varargin, {'polecov', false, 'logical'; ...
                                              'origin', true, 'logical'; ...
                                              'plate', {}, 'cellstr'});
  check_enu (enu, 'platefix');
  check_pole (pole, 'platefix');
  if (isfield (enu, 'relative') && isequal (enu.relative, true))
    error ('platefix:relative', ...
           'platefix: ENU holds velocities relative to a reference station; give absolute ones');
  end
  m = numel (enu.name);
  which = plate_rows (pole, m, opt.plate, 'platefix');
  height = [];
  if (isfield (enu, 'height'))
    height = enu.height;
  end
  [v, G] = plate_prediction (pole, enu.lat, enu.lon, height, which, opt.origin);

  fixed = enu;
  fixed.ve = enu.ve(:) - v(:, 1);
  fixed.vn = enu.vn(:) - v(:, 2);
  if (isfield (enu, 'vu'))
    fixed.vu = enu.vu(:) - v(:, 3);
  end
  if (opt.polecov && ~isempty (pole.cov))
    P = G * pole.cov * G';
    fixed.cov = enu.cov + (P + P') / 2;
    d = reshape (full (diag (fixed.cov)), 3, []);
    s = ellipse_stats (d(1, :), d(2, :), ...
                       full (fixed.cov(sub2ind ([3 * m, 3 * m], 3 * (1:m) - 1, 3 * (1:m) - 2))), ...
                       enu.confidence);
    fixed.su = sqrt (max (d(3, :)', 0));
    for f = {'se', 'sn', 'rho_en', 'smaj', 'smin', 'azim'}
      fixed.(f{1}) = s.(f{1});
    end
  end
  used = unique (which);
  model = '';
  if (isfield (pole, 'model') && ischar (pole.model) && ~isempty (pole.model))
    model = [' (', pole.model, ')'];
  end
  names = pole.plate(used);
  if (numel (names) == 1 && isempty (names{1}))
    names = {'the fitted plate'};
  end
  fixed.plate = reshape (pole.plate(which), [], 1);
  fixed.fixedto = [strjoin(reshape (names, 1, []), ', '), model];
end

%!function B = station_basis (lat, lon)
%!  B = [-sind(lon), -sind(lat) * cosd(lon), cosd(lat) * cosd(lon);
%!       cosd(lon), -sind(lat) * sind(lon), cosd(lat) * sind(lon); 0, cosd(lat), sind(lat)];
%!endfunction
%!test
%! pole = struct ('plate', {{'X'}}, 'omega', [0.1, 0.2, 0.3], 'origin', [1, 2, 3], ...
%!                'cov', 1e-4 * eye (6), 'model', 'test');
%! enu = platevel (pole, [10; 20], [30; 40]);
%! enu.cov = enu.cov + 1e-6 * eye (6);
%! f = platefix (enu, pole);
%! assert ([f.ve, f.vn, f.vu], zeros (2, 3), 1e-17);
%! assert (f.cov, enu.cov);
%! assert (f.fixedto, 'X (test)');
%! g = platefix (enu, pole, 'origin', false, 'polecov', true);
%! t = 1e-3 * [1, 2, 3] * [station_basis(10, 30), station_basis(20, 40)];
%! assert ([g.ve, g.vn, g.vu], reshape (t, 3, [])', 1e-17);
%! assert (g.se > f.se);
