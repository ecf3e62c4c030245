function r = velocity_report(solfile, pngfile)
% VELOCITY_REPORT  Station velocities and 95 % error ellipses of a solution.
%
%   r = velocity_report(solfile)
%   r = velocity_report(solfile, pngfile)
%
% Reads the velocity solution SOLFILE with tosqumg, turns every station's
% Cartesian velocity and its 3 x 3 covariance into local east/north/up at
% the station, computes the horizontal 95 % error ellipses with brisol, and
% prints one table line per station.  With a non-empty PNGFILE it also draws
% a map of the velocities and their ellipses into that file (Octave needs
% gnuplot for that; without it the map is skipped with a note).
%
% Both modules must be on the path.  Velocities and axes are in mm/yr (the
% file is in m/yr), latitude, longitude and azimuth in degrees; the azimuth
% of the major axis is clockwise from north.
%
% The result r has one element per llh column of tosqumg:
%   r.name      station names (8 characters, as in the file), cell row
%   r.lat, r.lon, r.height      position on WGS 84
%   r.kind      'velocity', 'position' (a station record without velocity
%               parameters) or 'reference'
% and, for the first r.nvel stations (those with a velocity):
%   r.venu      3 x nvel east, north, up velocity, mm/yr
%   r.cenu      3 x 3 x nvel covariance in east/north/up, (mm/yr)^2
%   r.smaj, r.smin, r.azim      ellipse from brisol
% plus the raw results of tosqumg in r.vel, r.outcov, r.nvec, r.llh and the
% lines it printed in r.messages.

  if nargin < 2
    pngfile = '';
  end

  sol = read_solution(solfile);
  r = sol;
  [r.venu, r.cenu] = to_local(sol.vel, sol.outcov, sol.lat, sol.lon, sol.nvel);

  % One block-diagonal matrix of all east/north blocks, east first: brisol
  % then measures the azimuth clockwise from north.
  cen = zeros(2 * sol.nvel);
  for c = 1:sol.nvel
    cen(2*c-1:2*c, 2*c-1:2*c) = r.cenu(1:2, 1:2, c);
  end
  [r.smaj, r.smin, r.azim] = brisol(cen);

  print_table(r, solfile);

  r.map = '';
  if ~isempty(pngfile)
    if can_draw()
      draw_map(r, solfile, pngfile);
      r.map = pngfile;
      fprintf('\nmap written to %s\n', pngfile);
    else
      fprintf('\nmap skipped: Octave cannot plot without gnuplot (install gnuplot-nox)\n');
    end
  end
end

% ---------------------------------------------------------------------------

function sol = read_solution(solfile)
  if ~exist(solfile, 'file')
    error('velocity_report:nofile', 'cannot read %s', solfile);
  end
  % tosqumg takes names of up to 150 characters; a longer path is opened
  % from its own folder.
  callname = solfile;
  if numel(callname) > 150
    [folder, base, ext] = fileparts(solfile);
    back = cd(folder);
    restore = onCleanup(@() cd(back));
    callname = [base, ext];
  end
  % tosqumg reports through printed lines (which station matched the
  % reference, or that the file did not open): keep them for the caller.
  sol.messages = evalc('[vel, outcov, nvec, llh] = tosqumg(callname);');
  clear restore

  nvec = nvec(1);
  if nvec < 1
    error('velocity_report:empty', 'tosqumg found no stations in %s:\n%s', ...
          solfile, sol.messages);
  end

  % The station names come from the file itself: tosqumg returns positions
  % only.  Columns 1-8 of the station records, 16-23 of the parameter
  % records, 6-13 of the header; short lines read as blank-padded.
  lines = regexp(fileread(solfile), '\r?\n', 'split');
  if numel(lines) < 1 + (nvec + 1) + 3 * nvec
    error('velocity_report:short', '%s ends before its parameter records', solfile);
  end
  refsta = field(lines{1}, 6, 13);
  stanam = cell(1, nvec + 1);
  for j = 1:nvec + 1
    stanam{j} = field(lines{1 + j}, 1, 8);
  end
  refind = find(strcmp(stanam, refsta), 1, 'last');
  if isempty(refind)
    error('velocity_report:noref', 'reference station "%s" has no station record in %s', ...
          refsta, solfile);
  end

  % tosqumg drops the reference velocity by the names on the parameter
  % records but its covariance rows by the position of its station record;
  % the two agree, and vel column c belongs to llh column c, only when the
  % parameter groups follow the station records one to one.
  for s = 1:nvec
    pname = field(lines{1 + (nvec + 1) + 3 * s}, 16, 23);
    if ~strcmp(pname, stanam{s})
      error('velocity_report:order', ...
            'parameter group %d of %s belongs to "%s", station record %d to "%s"', ...
            s, solfile, pname, s, stanam{s});
    end
  end

  % llh lists the stations in file order without the reference station,
  % then the reference station.  Without its parameter group (reference
  % at nvec + 1) every other station has a velocity; otherwise the last
  % station record has none.
  order = [setdiff(1:nvec + 1, refind), refind];
  sol.name = stanam(order);
  sol.nvel = nvec - (refind <= nvec);
  sol.kind = repmat({'position'}, 1, nvec + 1);
  sol.kind(1:sol.nvel) = {'velocity'};
  sol.kind{end} = 'reference';
  sol.refsta = refsta;
  sol.lat = llh(1, 1:nvec + 1);
  sol.lon = llh(2, 1:nvec + 1);
  sol.height = llh(3, 1:nvec + 1);
  sol.vel = vel;
  sol.outcov = outcov;
  sol.nvec = nvec;
  sol.llh = llh;
end

function s = field(line, first, last)
  line = [line, blanks(max(0, last - numel(line)))];
  s = line(first:last);
end

% East/north/up velocity (mm/yr) and covariance ((mm/yr)^2) of each station
% from its Cartesian velocity (m/yr) and 3 x 3 covariance block.
function [venu, cenu] = to_local(vel, outcov, lat, lon, nvel)
  venu = zeros(3, nvel);
  cenu = zeros(3, 3, nvel);
  for c = 1:nvel
    R = enu_rotation(lat(c), lon(c));
    k = 3*c-2:3*c;
    venu(:, c) = 1e3 * (R * vel(:, c));
    cenu(:, :, c) = 1e6 * (R * outcov(k, k) * R');
  end
end

% Rows: the unit vectors east, north and up at geodetic latitude and
% longitude (degrees), in Earth-centred X/Y/Z.
function R = enu_rotation(lat, lon)
  sp = sind(lat); cp = cosd(lat);
  sl = sind(lon); cl = cosd(lon);
  R = [-sl,      cl,      0;
       -sp * cl, -sp * sl, cp;
        cp * cl,  cp * sl, sp];
end

% ---------------------------------------------------------------------------

function print_table(r, solfile)
  [~, base, ext] = fileparts(solfile);
  fprintf('Solution %s%s: %d stations with velocity, reference station %s\n', ...
          base, ext, r.nvel, strtrim(r.refsta));
  fprintf('Velocities in local east/north; 95 %% error ellipses (2.448 sigma),\n');
  fprintf('azimuth of the major axis clockwise from north.\n\n');
  fprintf('%-8s %9s %9s %8s %8s %8s %8s %7s\n', 'station', 'lat', 'lon', ...
          'east', 'north', 'major', 'minor', 'azimuth');
  fprintf('%-8s %9s %9s %8s %8s %8s %8s %7s\n', '', 'deg', 'deg', ...
          'mm/yr', 'mm/yr', 'mm/yr', 'mm/yr', 'deg');
  for c = 1:numel(r.name)
    fprintf('%-8s %9.4f %9.4f', r.name{c}, r.lat(c), r.lon(c));
    switch r.kind{c}
      case 'velocity'
        fprintf(' %8.2f %8.2f %8.2f %8.2f %7.1f\n', r.venu(1, c), r.venu(2, c), ...
                r.smaj(c), r.smin(c), r.azim(c));
      case 'position'
        fprintf('   position only: no velocity parameters\n');
      otherwise
        fprintf('   reference station: velocity removed\n');
    end
  end
end

% ---------------------------------------------------------------------------

function ok = can_draw()
  if ~exist('OCTAVE_VERSION', 'builtin')
    ok = true;  % MATLAB draws headless on its own
    return
  end
  ok = any(strcmp(available_graphics_toolkits(), 'gnuplot')) ...
       && system(sprintf('"%s" --version > /dev/null 2>&1', gnuplot_binary())) == 0;
end

% A lon/lat map whose aspect keeps local east and north at the same scale
% around the mean latitude, so arrows and ellipses show their true shapes.
function draw_map(r, solfile, pngfile)
  if exist('OCTAVE_VERSION', 'builtin')
    % gnuplot is the toolkit that draws without a display; its advice to
    % prefer qt does not apply here.
    warning('off', 'Octave:gnuplot-graphics');
    graphics_toolkit('gnuplot');
  end
  folder = fileparts(pngfile);
  if ~isempty(folder) && ~exist(folder, 'dir')
    mkdir(folder);
  end

  lat0 = mean(r.lat);
  k = cosd(lat0);            % degrees of latitude per degree of longitude on screen
  nv = r.nvel;
  span = max(max(r.lat) - min(r.lat), k * (max(r.lon) - min(r.lon)));
  speed = sqrt(sum(r.venu(1:2, :).^2, 1));
  % Degrees (of latitude) per mm/yr: the fastest arrow spans 15 % of the map.
  vmax = max([speed, 1]);
  scale = 0.15 * span / vmax;

  % Limits with room for the arrows, the labels and a scale arrow in the
  % lower left; the figure takes the shape of the map.
  reach = scale * vmax;
  xl = [min(r.lon) - 1.5 / k, max([r.lon, r.lon(1:nv) + scale * r.venu(1, 1:nv) / k]) + 1.5 / k];
  yl = [min(r.lat) - 1.5 - 0.5 * reach, max([r.lat, r.lat(1:nv) + scale * r.venu(2, 1:nv)]) + 1.5];
  aspect = diff(yl) / (k * diff(xl));
  fig = figure('visible', 'off', 'position', [0, 0, 900, round(140 + 760 * aspect)]);
  hold on;
  for c = 1:nv
    tip = arrow(r.lon(c), r.lat(c), r.venu(1, c), r.venu(2, c), scale, k);
    % Ellipse at the arrow tip: t runs round the major (unit vector along
    % the azimuth, clockwise from north) and minor axes.
    t = linspace(0, 2 * pi, 73);
    az = r.azim(c);
    e = r.smaj(c) * cos(t) * sind(az) + r.smin(c) * sin(t) * cosd(az);
    n = r.smaj(c) * cos(t) * cosd(az) - r.smin(c) * sin(t) * sind(az);
    plot(tip(1) + scale * e / k, tip(2) + scale * n, '-', 'color', [0.85, 0.2, 0.1], ...
         'linewidth', 1.5);
  end
  plot(r.lon(1:nv), r.lat(1:nv), 'o', 'color', [0, 0.3, 0.7], ...
       'markerfacecolor', [0, 0.3, 0.7], 'markersize', 5);
  pos = strcmp(r.kind, 'position');
  if any(pos)
    plot(r.lon(pos), r.lat(pos), 'o', 'color', [0.4, 0.4, 0.4], 'markersize', 6);
  end
  plot(r.lon(end), r.lat(end), '^', 'color', [0, 0.55, 0], ...
       'markerfacecolor', [0, 0.55, 0], 'markersize', 9);
  for c = 1:numel(r.name)
    label = strtrim(r.name{c});
    if strcmp(r.kind{c}, 'reference')
      label = [label, ' (ref)'];
    end
    text(r.lon(c) + 0.35 / k, r.lat(c) - 0.5, label, 'fontsize', 11);
  end

  ref = 10 * ceil(vmax / 20);  % a round length near half the fastest arrow
  sx = xl(1) + 0.8 / k;
  sy = yl(1) + 0.6;
  arrow(sx, sy, ref, 0, scale, k);
  text(sx, sy + 0.6, sprintf('%g mm/yr, ellipses 95 %%', ref), 'fontsize', 11);

  xlim(xl);
  ylim(yl);
  daspect([1 / k, 1, 1]);
  box on;
  grid on;
  set(gca, 'gridlinestyle', ':', 'fontsize', 11);
  xlabel('longitude (deg)');
  ylabel('latitude (deg)');
  [~, base, ext] = fileparts(solfile);
  title(sprintf('Station velocities of %s%s with 95 %% error ellipses', base, ext), ...
        'fontsize', 12);
  print(fig, pngfile, '-dpng', '-r80');
  close(fig);
end

% Draws an arrow of east/north length (e, n) mm/yr from (lon, lat) and
% returns its tip.  The head is built in screen-true units (east scaled by
% k) so that it is not skewed by the longitude scale.
function tip = arrow(lon, lat, e, n, scale, k)
  dx = scale * e;  % screen-true degrees
  dy = scale * n;
  tip = [lon + dx / k, lat + dy];
  len = hypot(dx, dy);
  col = [0, 0.3, 0.7];
  plot([lon, tip(1)], [lat, tip(2)], '-', 'color', col, 'linewidth', 1.5);
  if len > 0
    h = min(0.3 * len, 0.6);
    ang = atan2(dy, dx) + pi + [-0.4, 0.4];
    plot(tip(1) + [h * cos(ang(1)) / k, 0, h * cos(ang(2)) / k], ...
         tip(2) + [h * sin(ang(1)), 0, h * sin(ang(2))], '-', 'color', col, 'linewidth', 1.5);
  end
end
