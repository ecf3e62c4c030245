% -*- texinfo -*-
% @deftypefn  {} {@var{tool} =} velomap (@var{pngfile}, @var{enu})
% @deftypefnx {} {@var{tool} =} velomap (@var{pngfile}, @var{enu}, @var{name}, @var{value}, @dots{})
% Draw a map of station velocities with their error ellipses into a PNG
% file, with GMT where it is installed.
%
% With GMT (Debian packages @code{gmt}, @code{gmt-gshhg-low} and
% @code{gmt-dcw}): land, sea, coastlines and national borders, the
% velocity arrows with the error ellipses at their tips (drawn by
% @code{gmt velo -Se} from the file @code{writevelo} writes, at the
% confidence of @var{enu}), station names, the reference station as a
% green triangle and a scale arrow.  A regional network gets a Mercator
% map around it, a global one a Robinson map of the world.
%
% Without GMT, the same content without coastlines through
% @code{plotvelo} and the host's printing: gnuplot in Octave, MATLAB's own
% graphics in MATLAB (called @qcode{'octave'} in both, so that scripts run
% unchanged).  @var{tool} says which drew the map: @qcode{'gmt'} or
% @qcode{'octave'}.
%
% Options:
% @table @asis
% @item @qcode{'title'}, @var{text}
% title of the map (default none; for velocities relative to a plate, as
% @code{platefix} and @code{eulerpole}'s @code{residual} give them,
% ``Velocities relative to'' the plate)
% @item @qcode{'tool'}, @var{t}
% @qcode{'auto'} (default: GMT if found), @qcode{'gmt'} or @qcode{'octave'}
% @item @qcode{'positions'}, @{@var{lat}, @var{lon}, @var{names}@}
% further stations to mark with a hollow circle and their name, such as
% station records without velocity parameters
% @end table
%
% Errors: @code{velomap:notenu}, @code{velomap:option}, @code{velomap:gmt}
% (GMT failed; its messages are in the error), @code{velomap:notool}
% (in Octave: neither GMT nor gnuplot), @code{velomap:usage}.
% @seealso{plotvelo, writevelo, velsol2enu}
% @end deftypefn

function tool = velomap (pngfile, enu, varargin)
  if (nargin < 2)
    error ('velomap:usage', 'Invalid call to velomap: tool = velomap (pngfile, enu, ...)');
  end
  args = strings_to_chars ([{pngfile}, varargin]);
  pngfile = args{1};
  opts = args(2:end);
  if (~ischar (pngfile) || size (pngfile, 1) ~= 1 || isempty (pngfile))
    error ('velomap:option', 'velomap: PNGFILE must be a file name');
  end
  check_enu (enu, 'velomap');
  opt = struct ('title', '', 'tool', 'auto', 'positions', {{[], [], {}}});
  if (mod (numel (opts), 2) ~= 0)
    error ('velomap:option', 'velomap: options come in name/value pairs');
  end
  for i = 1:2:numel (opts)
    name = opts{i};
    if (~(ischar (name) && isfield (opt, lower (name))))
      error ('velomap:option', 'velomap: unknown option');
    end
    opt.(lower (name)) = opts{i + 1};
  end
  if (~(ischar (opt.tool) && any (strcmp (opt.tool, {'auto', 'gmt', 'octave'}))))
    error ('velomap:option', 'velomap: tool must be "auto", "gmt" or "octave"');
  end
  pos = opt.positions;
  if (~(iscell (pos) && numel (pos) == 3 && isnumeric (pos{1}) && isnumeric (pos{2}) ...
        && iscellstr (pos{3}) && numel (pos{1}) == numel (pos{2}) ...
        && numel (pos{3}) == numel (pos{1})))
    error ('velomap:option', ...
           'velomap: positions must be {lat, lon, names}: two numeric vectors and a cell of names of one length');
  end
  % Velocities relative to a plate (platefix, eulerpole's residual) say
  % which plate unless the caller titles the map.
  if (isempty (opt.title) && isfield (enu, 'fixedto') && ischar (enu.fixedto))
    opt.title = ['Velocities relative to ', enu.fixedto];
  end
  if (isempty (enu.name))
    error ('velomap:empty', 'velomap: ENU holds no station with a velocity to draw');
  end

  folder = fileparts (pngfile);
  if (~isempty (folder) && ~exist (folder, 'dir'))
    mkdir (folder);
  end
  have_gmt = system ('gmt --version > /dev/null 2>&1') == 0;
  if (strcmp (opt.tool, 'gmt') || (strcmp (opt.tool, 'auto') && have_gmt))
    gmt_map (pngfile, enu, opt);
    tool = 'gmt';
  else
    octave_map (pngfile, enu, opt);
    tool = 'octave';
  end
end

% ---------------------------------------------------------------------------

function gmt_map (pngfile, enu, opt)
  work = tempname ();
  mkdir (work);
  cleanup = onCleanup (@() confirm_and_remove (work));

  writevelo (fullfile (work, 'vel.txt'), enu);
  [plat, plon, pnames] = deal (opt.positions{:});
  write_points (fullfile (work, 'names.txt'), [enu.lon(:); plon(:)], [enu.lat(:); plat(:)], ...
                [enu.name(:); pnames(:)]);
  write_points (fullfile (work, 'positions.txt'), plon(:), plat(:), {});

  [region, proj, width, velscale, vref, corner] = layout (enu);
  cmds = {
    'gmt set MAP_FRAME_TYPE plain FONT_ANNOT_PRIMARY 9p FONT_TITLE 12p'
    sprintf('gmt coast -R%s -J%s -Baf %s -Dl -A1000 -Gcornsilk -Slightsteelblue1 -W0.25p,gray40 -N1/0.4p,gray50', ...
            region, proj, frame_title(opt.title))
    'gmt plot positions.txt -Sc0.16c -W0.8p,gray30'
    sprintf('gmt velo vel.txt -Se%.6gc/%.17g/0 -A7p+e+pthin,navy -W1p,navy -Gnavy -L0.7p,red3', ...
            velscale, enu.confidence)
    'gmt plot vel.txt -Sc0.12c -Gnavy'
    'gmt text names.txt -F+f7p,Helvetica,black+jTL -D0.12c/-0.1c -N'
  };
  if (isfinite (enu.reflat))
    cmds{end+1} = sprintf ('echo ''%.8f %.8f'' | gmt plot -St0.4c -Gforestgreen -W0.5p,white', ...
                           enu.reflon, enu.reflat);
    if (enu.reference == 0)  % not labelled with the velocities
      % Names come from the file: they go to GMT in a file, never through
      % the shell.
      write_points (fullfile (work, 'refname.txt'), enu.reflon, enu.reflat, {enu.refname});
      cmds{end+1} = 'gmt text refname.txt -F+f7p,Helvetica,black+jTL -D0.12c/-0.1c -N';
    end
  end
  % The scale arrow and its label, placed by map position in the lower left.
  cmds{end+1} = sprintf (['echo ''%.8f %.8f %g 0 0 0 0'' | gmt velo -Se%.6gc/0/0 ', ...
                          '-A7p+e+pthin,black -W1p,black -Gblack -N'], ...
                         corner(1), corner(2), vref, velscale);
  cmds{end+1} = sprintf (['echo ''%.8f %.8f %g mm/yr, ellipses %g %%'' | ', ...
                          'gmt text -F+f8p+jBL -D0/0.2c -N'], ...
                         corner(1), corner(2), vref, 100 * enu.confidence);

  script = fullfile (work, 'map.sh');
  fid = fopen (script, 'w');
  fprintf (fid, 'set -e\ncd ''%s''\nexport GMT_SESSION_NAME=velomap$$\n', work);
  fprintf (fid, 'gmt begin map png E150\n');
  fprintf (fid, '%s\n', cmds{:});
  fprintf (fid, 'gmt end\n');
  fclose (fid);
  [status, out] = system (sprintf ('bash ''%s'' 2>&1', script));
  if (status ~= 0 || ~exist (fullfile (work, 'map.png'), 'file'))
    error ('velomap:gmt', 'velomap: GMT could not draw the map:\n%s', out);
  end
  [ok, msg] = copyfile (fullfile (work, 'map.png'), pngfile, 'f');
  if (~ok)
    error ('velomap:option', 'velomap: cannot write ''%s'': %s', pngfile, msg);
  end
end

function s = frame_title (title)
  if (isempty (title))
    s = '';
  else
    s = sprintf ('-B+t''%s''', strrep (title, '''', ''));
  end
end

function write_points (file, lon, lat, names)
  fid = fopen (file, 'w');
  for i = 1:numel (lon)
    if (isempty (names))
      fprintf (fid, '%.8f %.8f\n', lon(i), lat(i));
    else
      fprintf (fid, '%.8f %.8f %s\n', lon(i), lat(i), strtrim (names{i}));
    end
  end
  fclose (fid);
end

% Region and projection around the stations with room for the arrows, the
% arrow scale (cm per mm/yr) so that the fastest arrow is about 12 % of
% the map's width, a round reference length and the lower-left corner for
% the scale arrow.
function [region, proj, width, velscale, vref, corner] = layout (enu)
  width = 15;
  lat = [enu.lat(:); enu.reflat(isfinite (enu.reflat))];
  lon = [enu.lon(:); enu.reflon(isfinite (enu.reflon))];
  speed = 1e3 * hypot (enu.ve(:), enu.vn(:));
  vmax = max ([speed; 1]);
  velscale = 0.12 * width / vmax;
  vref = 10 * max (1, round (vmax / 15));
  if (max (lon) - min (lon) > 200 || max (abs (lat)) > 75)
    region = 'd';
    proj = sprintf ('N%gc', width);
    corner = [-170, -75];
    return;
  end
  k = cosd (mean (lat));
  span = max ([max(lat) - min(lat), k * (max(lon) - min(lon)), 2]);
  deg_per_cm = 1.2 * span / k / width;   % of longitude, roughly
  tipx = lon(1:numel (speed)) + velscale * 1e3 * enu.ve(:) * deg_per_cm;
  tipy = lat(1:numel (speed)) + velscale * 1e3 * enu.vn(:) * deg_per_cm * k;
  pad = 0.1 * span;
  w = min ([lon; tipx]) - pad / k;  e = max ([lon; tipx]) + pad / k;
  s = min ([lat; tipy]) - pad - 0.12 * span;  n = max ([lat; tipy]) + pad;
  s = max (s, -80); n = min (n, 80);
  region = sprintf ('%.4f/%.4f/%.4f/%.4f', w, e, s, n);
  proj = sprintf ('M%gc', width);
  corner = [w + 0.04 * (e - w), s + 0.05 * (n - s)];
end

% Octave asks before removing a folder with files in it; MATLAB does not.
function confirm_and_remove (dir)
  if (exist ('OCTAVE_VERSION', 'builtin'))
    confirm_recursive_rmdir (false, 'local');
  end
  if (exist (dir, 'dir'))
    rmdir (dir, 's');
  end
end

% ---------------------------------------------------------------------------

% The map without GMT: plotvelo on an invisible figure, printed.  Octave
% needs the gnuplot toolkit to print without a display; MATLAB prints with
% its own graphics.
function octave_map (pngfile, enu, opt)
  if (exist ('OCTAVE_VERSION', 'builtin'))
    if (~any (strcmp (available_graphics_toolkits (), 'gnuplot')) ...
        || system ('gnuplot --version > /dev/null 2>&1') ~= 0)
      error ('velomap:notool', ...
             'velomap: neither GMT nor gnuplot is installed: cannot draw the map');
    end
    warning ('off', 'Octave:gnuplot-graphics', 'local');
    graphics_toolkit ('gnuplot');
  end
  fig = figure ('visible', 'off', 'position', [0, 0, 900, 760]);
  closer = onCleanup (@() close (fig));
  hax = axes ('parent', fig);
  plotvelo (hax, enu);
  [plat, plon, pnames] = deal (opt.positions{:});
  if (~isempty (plat))
    hold (hax, 'on');
    plot (hax, plon, plat, 'o', 'color', [0.4, 0.4, 0.4], 'markersize', 6);
    for i = 1:numel (pnames)
      text (hax, plon(i), plat(i), ['  ', strtrim(pnames{i})], 'fontsize', 10);
    end
  end
  box (hax, 'on'); grid (hax, 'on');
  xlabel (hax, 'longitude (deg)'); ylabel (hax, 'latitude (deg)');
  if (~isempty (opt.title))
    title (hax, opt.title);
  end
  print (fig, pngfile, '-dpng', '-r80');
end
