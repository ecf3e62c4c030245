function r = velocity_report(solfile, pngfile)
% VELOCITY_REPORT  Station velocities and 95 % error ellipses of a solution.
%
%   r = velocity_report(solfile)
%   r = velocity_report(solfile, pngfile)
%
% Reads the solution SOLFILE with readvelsol, turns it into local
% east/north/up with velsol2enu, prints one
% table line per station and, with a non-empty PNGFILE, draws the map with
% velomap (GMT, or gnuplot without it).  Velocities and axes in mm/yr.
%
% The result r is velsol2enu's, without the reference station's group (the
% table lists the reference station on a line of its own), plus
%   r.sol       the solution as read
%   r.posonly   station records without velocity parameters (indices)
%   r.map       the map written ('' if none) and r.tool what drew it

  if nargin < 2
    pngfile = '';
  end
  sol = readvelsol(solfile);
  noref = ~strcmp(sol.site, sol.refname);
  r = velsol2enu(subset(sol, noref));
  r.sol = sol;
  r.posonly = find(~ismember(sol.station, sol.site));
  r.posonly(r.posonly == sol.refstation) = [];

  print_table(r, solfile);
  r.map = '';
  r.tool = '';
  if ~isempty(pngfile)
    [~, base, ext] = fileparts(solfile);
    try
      r.tool = velomap(pngfile, r, 'title', ['Station velocities of ', base, ext], ...
                       'positions', {sol.llh(r.posonly, 1), sol.llh(r.posonly, 2), ...
                                     sol.station(r.posonly)});
      r.map = pngfile;
      fprintf('\nmap written to %s (%s)\n', pngfile, r.tool);
    catch err
      if ~strcmp(err.identifier, 'velomap:notool')
        rethrow(err);
      end
      fprintf('\nmap skipped: install GMT (gmt, gmt-gshhg-low, gmt-dcw) or gnuplot-nox\n');
    end
  end
end

% The solution with only the groups KEEP.
function sol = subset(sol, keep)
  sol.site = sol.site(keep);
  sol.vel = sol.vel(keep, :);
  sol.sigma = sol.sigma(keep, :);
  k = reshape([3 * find(keep(:))' - 2; 3 * find(keep(:))' - 1; 3 * find(keep(:))'], [], 1);
  sol.cov = sol.cov(k, k);
end

function print_table(r, solfile)
  [~, base, ext] = fileparts(solfile);
  sol = r.sol;
  fprintf('Solution %s%s: %d stations with velocity, reference station %s\n', ...
          base, ext, numel(r.name), strtrim(sol.refname));
  fprintf('Velocities in local east/north; 95 %% error ellipses (%.4f sigma),\n', r.scale);
  fprintf('azimuth of the major axis clockwise from north.\n\n');
  fprintf('%-8s %9s %9s %8s %8s %8s %8s %7s\n', 'station', 'lat', 'lon', ...
          'east', 'north', 'major', 'minor', 'azimuth');
  fprintf('%-8s %9s %9s %8s %8s %8s %8s %7s\n', '', 'deg', 'deg', ...
          'mm/yr', 'mm/yr', 'mm/yr', 'mm/yr', 'deg');
  for c = 1:numel(r.name)
    fprintf('%-8s %9.4f %9.4f %8.2f %8.2f %8.2f %8.2f %7.1f\n', r.name{c}, r.lat(c), ...
            r.lon(c), 1e3 * r.ve(c), 1e3 * r.vn(c), 1e3 * r.smaj(c), 1e3 * r.smin(c), r.azim(c));
  end
  for j = r.posonly(:)'
    fprintf('%-8s %9.4f %9.4f   position only: no velocity parameters\n', ...
            sol.station{j}, sol.llh(j, 1), sol.llh(j, 2));
  end
  if sol.refstation > 0
    j = sol.refstation;
    fprintf('%-8s %9.4f %9.4f   reference station: velocity removed\n', ...
            sol.station{j}, sol.llh(j, 1), sol.llh(j, 2));
  end
end
