% -*- texinfo -*-
% @deftypefn  {} {@var{pole} =} platemodel (@var{model}, @var{plate})
% @deftypefnx {} {@var{pole} =} platemodel (@var{model})
% @deftypefnx {} {} platemodel (@var{model})
% @deftypefnx {} {@var{pole} =} platemodel (@dots{}, @qcode{'confidence'}, @var{p})
% Plate rotations of a published plate-motion model, as @code{eulerpole}
% gives a fitted one.
%
% @var{model} is one of (any case):
% @table @asis
% @item @qcode{'ITRF2020-PMM'}
% Altamimi, Z., L. Metivier, P. Rebischung, X. Collilieux, K. Chanard and
% J. Barneoud (2023), ITRF2020 plate motion model, Geophys. Res. Lett.
% 50, e2023GL106373, doi:10.1029/2023GL106373: the 13 plates of its
% Table 1 (rotation vectors and their standard deviations, mas/yr) and
% its origin rate bias ORB (0.37, 0.35, 0.74 mm/yr, standard deviations
% 0.08, 0.10, 0.09), which @code{platevel} adds to the rotation's
% velocity as the paper prescribes.  The paper gives no correlations:
% @code{cov} is diagonal.
% @item @qcode{'NNR-MORVEL56'}
% Argus, D. F., R. G. Gordon and C. DeMets (2011), Geologically current
% motion of 56 plates relative to the no-net-rotation reference frame,
% Geochem. Geophys. Geosyst. 12, Q11001, doi:10.1029/2011GC003751: the
% 56 plates of its Table 1 (pole latitude and longitude, rate in deg/Myr)
% with the covariances of its Table 2 (1e-10 rad^2/Myr^2, converted to
% (mas/yr)^2).  The rotation vectors are computed from the published
% pole and rate, so they carry the rounding of those (about 1e-3 mas/yr).
% No origin rate.
% @end table
%
% @var{plate} is a name or a cell of names, each the model's own
% abbreviation (@qcode{'EURA'}, @qcode{'NOAM'}; @qcode{'eu'}, @qcode{'na'}),
% the four-letter form for either model (@qcode{'EURA'} finds NNR-MORVEL56's
% @qcode{'eu'}), or the plate's name (@qcode{'Eurasia'}), any case.
% NNR-MORVEL56 writes its 25 MORVEL plates in lower case and its 31
% plates from Bird (2003) in upper case, and @qcode{'nb'} (Nubia) and
% @qcode{'NB'} (North Bismarck) differ only by case: written exactly,
% each finds its own plate; in another case (@qcode{'Nb'}) the call is
% refused as ambiguous.  Nubia is also @qcode{'NUBI'} or @qcode{'Nubia'}.
% Without @var{plate}, every plate of the model; without a result, a
% table of them is printed.
%
% @var{pole} has the fields of an @code{eulerpole} result: @code{plate}
% (the model's abbreviations), @code{name}, @code{omega} (mas/yr),
% @code{origin} (mm/yr, @code{[]} for NNR-MORVEL56), @code{cov} (of
% @code{[omega_1, ..., omega_k, origin]}, block-diagonal), @code{lat},
% @code{lon}, @code{rate} (computed from @code{omega}; deg/Myr) and their
% standard deviations, the pole's error ellipse at confidence @var{p}
% (default 0.95), @code{model}; @code{chi2}, @code{dof}, @code{sigma0}
% NaN and @code{residual}, @code{nres} empty.  @code{citation} names the
% source and @code{table} holds the paper's own rows for the plates (the
% published rate and its uncertainty, site counts or RMS, ...).
%
% Errors: @code{platemodel:model}, @code{platemodel:plate} (unknown or
% ambiguous, with the model's plates), @code{platemodel:option},
% @code{platemodel:usage}.
%
% Example:
% @example
% @group
% eura = platemodel ('ITRF2020-PMM', 'EURA');
% [eura.lat, eura.lon, eura.rate]
% platemodel ('NNR-MORVEL56')          % lists the plates
% @end group
% @end example
% @seealso{eulerpole, platevel, platefix}
% @end deftypefn

function pole = platemodel (model, varargin)
  if (nargin < 1)
    error ('platemodel:usage', 'Invalid call to platemodel: pole = platemodel (model, plate, ...)');
  end
  args = strings_to_chars ([{model}, varargin]);
  model = args{1};
  models = {'ITRF2020-PMM', 'NNR-MORVEL56'};
  if (~(ischar (model) && isrow (model) && any (strcmpi (model, models))))
    error ('platemodel:model', 'platemodel: MODEL must be ''ITRF2020-PMM'' or ''NNR-MORVEL56''');
  end
  model = models{strcmpi (model, models)};
  args = args(2:end);
  want = {};
  if (mod (numel (args), 2) == 1)
    want = args{1};
    args = args(2:end);
    if (ischar (want))
      want = {want};
    end
    if (~iscellstr (want))
      error ('platemodel:plate', 'platemodel: PLATE must be a name or a cell of names');
    end
  end
  opt = parse_options ('platemodel', args, {'confidence', 0.95, 'probability'});

  t = plate_model_data (model);
  if (isempty (want))
    idx = (1:numel (t.abbrev))';
  else
    idx = zeros (numel (want), 1);
    for i = 1:numel (want)
      idx(i) = find_plate (t, want{i}, model);
    end
  end

  pole.plate = t.abbrev(idx);
  pole.name = t.name(idx);
  pole.omega = t.omega(idx, :);
  pole.origin = t.origin;
  k = numel (idx);
  C = zeros (3 * k + 3 * ~isempty (t.origin));
  for i = 1:k
    C(3 * i - 2:3 * i, 3 * i - 2:3 * i) = t.cov(:, :, idx(i));
  end
  if (~isempty (t.origin))
    C(3 * k + (1:3), 3 * k + (1:3)) = diag (t.origin_sigma .^ 2);
  end
  pole.cov = C;
  pole = pole_summary (pole, opt.confidence);
  pole.chi2 = NaN;
  pole.dof = NaN;
  pole.sigma0 = NaN;
  pole.residual = [];
  pole.nres = [];
  pole.model = model;
  pole.weights = '';
  pole.used = [];
  pole.citation = t.citation;
  pole.table = table_rows (t, idx);

  if (nargout == 0)
    fprintf ('%s: %s\n\n', model, t.citation);
    fprintf ('%-6s %-6s %-16s %9s %9s %9s %9s %8s %8s\n', 'plate', '4-ltr', 'name', ...
             'wx', 'wy', 'wz', 'lat', 'lon', 'rate');
    fprintf ('%-6s %-6s %-16s %9s %9s %9s %9s %8s %8s\n', '', '', '', 'mas/yr', 'mas/yr', ...
             'mas/yr', 'deg', 'deg', 'deg/Myr');
    for i = 1:k
      fprintf ('%-6s %-6s %-16s %9.4f %9.4f %9.4f %9.3f %8.3f %8.4f\n', pole.plate{i}, ...
               t.abbrev4{idx(i)}, pole.name{i}, pole.omega(i, :), pole.lat(i), pole.lon(i), ...
               pole.rate(i));
    end
    if (~isempty (t.origin))
      fprintf ('\norigin rate (ORB): %.2f %.2f %.2f mm/yr\n', t.origin);
    end
    clear pole;
  end
end

% The row of plate WANT: the model's abbreviation as written first (so
% that NNR-MORVEL56's 'nb' and 'NB' each find their own), then the
% abbreviation, four-letter form or name in any case.
function i = find_plate (t, want, model)
  i = find (strcmp (want, t.abbrev));
  if (numel (i) == 1)
    return;
  end
  key = lower (strtrim (want));
  i = find (strcmp (key, lower (t.abbrev)) | strcmp (key, lower (t.name)) ...
            | (strcmp (key, lower (t.abbrev4)) & ~cellfun ('isempty', t.abbrev4)));
  if (numel (i) == 1)
    return;
  end
  list = strjoin (reshape (strcat (t.abbrev, ' (', t.name, ')'), 1, []), ', ');
  if (isempty (i))
    error ('platemodel:plate', 'platemodel: %s has no plate ''%s''; its plates: %s', ...
           model, want, list);
  end
  error ('platemodel:plate', 'platemodel: ''%s'' is ambiguous in %s: %s; write the abbreviation''s case exactly', ...
         want, model, strjoin (reshape (strcat ('''', t.abbrev(i), ''' (', t.name(i), ')'), 1, []), ' or '));
end

% The published per-plate columns of the table for rows IDX.
function s = table_rows (t, idx)
  s = struct ();
  for f = reshape (fieldnames (t), 1, [])
    v = t.(f{1});
    if (any (strcmp (f{1}, {'citation', 'notes', 'origin', 'origin_sigma', 'cov'})))
      continue;
    end
    s.(f{1}) = v(idx, :);
  end
  s.origin = t.origin;
  s.origin_sigma = t.origin_sigma;
end

%!test
%! p = platemodel ('itrf2020-pmm', {'eura', 'North America'});
%! assert (p.plate, {'EURA'; 'NOAM'});
%! assert (p.omega, [-0.085, -0.519, 0.753; 0.045, -0.666, -0.098]);
%! assert (p.origin, [0.37, 0.35, 0.74]);
%! assert (sqrt (diag (p.cov))', [0.003, 0.003, 0.003, 0.003, 0.003, 0.003, 0.08, 0.10, 0.09], 1e-15);
%! assert (platemodel ('NNR-MORVEL56', 'NB').name, {'North Bismarck'});
%! assert (platemodel ('NNR-MORVEL56', 'nubi').name, {'Nubia'});
%!error <ambiguous> platemodel ('NNR-MORVEL56', 'Nb')
%!error id=platemodel:plate platemodel ('ITRF2020-PMM', 'SUND')
%!error id=platemodel:model platemodel ('MORVEL')
