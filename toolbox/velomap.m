% -*- texinfo -*-
% @deftypefn  {} {[@var{tool}, @var{scale}] =} velomap (@var{pngfile}, @var{enu})
% @deftypefnx {} {[@var{tool}, @var{scale}] =} velomap (@var{pngfile}, @var{enu}, @var{name}, @var{value}, @dots{})
% Draw a map of station velocities with their error ellipses into a PNG
% file, with GMT where it is installed.
%
% With GMT (Debian packages @code{gmt}, @code{gmt-gshhg-low} and
% @code{gmt-dcw}): land, sea, coastlines and national borders, the
% velocity arrows with the error ellipses at their tips (drawn by
% @code{gmt velo -Se}, at the confidence of @var{enu}), station names, the
% reference station as a green triangle, a legend (the scale arrow, the
% ellipses' confidence, the symbols, and what relative velocities are
% relative to) and a distance scale bar below the map.
%
% A regional network gets a Mercator map around it (a network across the
% antimeridian stays whole), a network near a pole (on one side of 45
% degrees and reaching 70, or around the pole) a polar stereographic map,
% a global one a Miller map of the world (east stays horizontal, so
% arrows read true).  A dense network gets a larger page (up to 40 cm) and
% shorter arrows, so that neighbours' arrows stay apart.
%
% Without GMT, the same content without coastlines through
% @code{plotvelo} and the host's printing: gnuplot in Octave, MATLAB's own
% graphics in MATLAB (called @qcode{'octave'} in both, so that scripts run
% unchanged).  @var{tool} says which drew the map: @qcode{'gmt'} or
% @qcode{'octave'}; @var{scale} is the arrow scale used.
%
% Options (names and words in any case):
% @table @asis
% @item @qcode{'title'}, @var{text}
% title of the map (default none; for velocities relative to a plate, as
% @code{platefix} and @code{eulerpole}'s @code{residual} give them,
% ``Velocities relative to'' the plate)
% @item @qcode{'tool'}, @var{t}
% @qcode{'auto'} (default: GMT if found), @qcode{'gmt'} or @qcode{'octave'}
% @item @qcode{'scale'}, @var{s}
% degrees of latitude per mm/yr, at the middle of the map: the arrows'
% length (default automatic: the fastest arrow about 12 % of the map's
% width, shorter where stations are dense)
% @item @qcode{'labels'}, @var{l}
% @qcode{'auto'} (default: names that would overlap another name are left
% out, the reference station's kept), @qcode{'all'} or @qcode{'none'}
% @item @qcode{'ellipses'}, @var{tf}
% draw the error ellipses (default true)
% @item @qcode{'positions'}, @{@var{lat}, @var{lon}, @var{names}@}
% further stations to mark with a hollow circle and their name, such as
% station records without velocity parameters
% @end table
%
% With @code{enu.relative} true the legend says the velocities are
% relative to the reference station; for plate-fixed velocities (the
% text field @code{enu.fixedto} that @code{platefix} and @code{eulerpole}'s
% @code{residual} carry, such as @qcode{'EURA (ITRF2020-PMM)'}) it says
% "relative to plate EURA (ITRF2020-PMM)".
%
% File names, station names and the title are used literally: no shell
% ever sees them (GMT is run without one, reading every text from files),
% and GMT's and gnuplot's escapes in texts are neutralised.  The map is
% written straight to @var{pngfile}; a failed write leaves no partial file.
%
% Errors: @code{velomap:usage} (fewer than two arguments),
% @code{velomap:option} (@var{pngfile} not a name, an unknown option,
% named, or a bad value; checked before anything is written),
% @code{velomap:notenu} (@var{enu} is not a @code{velsol2enu} result),
% @code{velomap:empty} (it holds no station), @code{velomap:open}
% (@var{pngfile} cannot be created: a missing folder, which is never
% created, or the system's reason), @code{velomap:write} (writing it
% failed, with the system's reason; nothing is left behind),
% @code{velomap:gmt} (GMT failed; its messages are in the error),
% @code{velomap:notool} (in Octave: neither GMT nor gnuplot), and
% @code{plotvelo}'s errors when it draws the map.
% @seealso{plotvelo, writevelo, velsol2enu}
% @end deftypefn

function [tool, scale] = velomap (pngfile, enu, varargin)
  if (nargin < 2)
    error ('velomap:usage', 'Invalid call to velomap: tool = velomap (pngfile, enu, ...)');
  end
  args = strings_to_chars ([{pngfile}, varargin]);
  pngfile = args{1};
  if (~(ischar (pngfile) && isrow (pngfile)) || any (pngfile == 0))
    error ('velomap:option', 'velomap: PNGFILE must be a file name (one row of characters)');
  end
  check_enu (enu, 'velomap');
  known = {
    'title', '', 'text'
    'tool', 'auto', {'auto', 'gmt', 'octave'}
    'scale', [], 'positive'
    'labels', 'auto', {'auto', 'all', 'none'}
    'ellipses', true, 'logical'
    'positions', {zeros(0, 1), zeros(0, 1), cell(0, 1)}, ...
      {@check_positions, '{lat, lon, names}: two real vectors and a cell of names of one length'}};
  opt = parse_options ('velomap', args(2:end), known);
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
    error ('velomap:open', 'velomap: cannot write ''%s'': no folder ''%s''', pngfile, folder);
  end

  work = tempname ();
  % The work folder reaches gnuplot inside a quoted command: it must hold
  % nothing a quote could end.
  if (any (~ismember (work, ['A':'Z', 'a':'z', '0':'9', '/._-+~'])))
    error ('velomap:write', ...
           'velomap: the temporary folder ''%s'' holds characters GMT and gnuplot cannot be given', work);
  end
  mkdir (work);
  cleanup = onCleanup (@() remove_folder (work));
  have_gmt = ~strcmp (opt.tool, 'octave') && run_program (work, {'gmt', '--version'}) == 0;
  if (strcmp (opt.tool, 'gmt') || have_gmt)
    scale = gmt_map (work, enu, opt);
    tool = 'gmt';
  else
    scale = octave_map (work, enu, opt);
    tool = 'octave';
  end
  write_bytes (fullfile (work, 'map.png'), pngfile);
end

% ---------------------------------------------------------------------------

function scale = gmt_map (work, enu, opt)
  [plat, plon, pnames] = deal (opt.positions{:});
  ref = isfinite (enu.reflat) && isfinite (enu.reflon);
  lat = [double(enu.lat(:)); enu.reflat(ref); plat];
  lon = [double(enu.lon(:)); enu.reflon(ref); plon];
  m = numel (enu.name);
  L = layout (enu, lat, lon, opt.scale);
  scale = L.scale;

  % Session name and files: only fixed words and numbers reach GMT's
  % command lines; every name and title goes in a file.
  old_session = getenv ('GMT_SESSION_NAME');
  [~, session] = fileparts (work);
  setenv ('GMT_SESSION_NAME', ['velomap', session]);
  restore = onCleanup (@() setenv ('GMT_SESSION_NAME', old_session));
  vel = enu;
  if (~opt.ellipses)
    vel.se(:) = 0;
    vel.sn(:) = 0;
  end
  writevelo (fullfile (work, 'vel.txt'), vel);
  write_text (fullfile (work, 'positions.txt'), '%.9f %.9f\n', [plon(:), plat(:)]');
  write_text (fullfile (work, 'ref.txt'), '%.9f %.9f\n', [enu.reflon(ref), enu.reflat(ref)]');
  names = label_names (enu, ref, pnames);
  side = choose_labels (opt.labels, L, names, m, ref, enu.reference);
  for k = 1:3
    at = side == k;
    recs = [num2cell([lon(at), lat(at)]), cellfun(@gmt_text, names(at), 'UniformOutput', false)]';
    write_text (fullfile (work, sprintf ('names%d.txt', k)), '%.9f %.9f %s\n', recs);
  end
  write_text (fullfile (work, 'title.txt'), '%s\n', {gmt_text(opt.title)});
  write_legend (fullfile (work, 'legend.txt'), enu, L, ref, ~isempty (plat), opt.ellipses);

  J = {L.region, L.proj};
  cmds = {
    {'begin', 'map', 'png', 'E150'}
    {'set', 'MAP_FRAME_TYPE', 'plain', 'FONT_ANNOT_PRIMARY', '9p', 'FONT_LABEL', '9p', ...
     'PROJ_ELLIPSOID', 'Sphere', 'MAP_SCALE_HEIGHT', '4p'}
    [{'coast'}, J, {'-BWSen', '-Baf', '-Dl', '-A1000', '-Gcornsilk', '-Slightsteelblue1', ...
                    '-W0.25p,gray40', '-N1/0.4p,gray50'}]
  };
  if (~isempty (plat))
    cmds{end+1} = {'plot', 'positions.txt', '-Sc0.16c', '-W0.8p,gray30'};
  end
  velo = {'velo', 'vel.txt', sprintf('-Se%.6gc/%.17g/0', L.velscale, enu.confidence), ...
          sprintf('-A%.3gp+e+p%.2gp,navy', L.head, L.pen), sprintf('-W%.2gp,navy', L.pen), ...
          '-Gnavy'};
  if (opt.ellipses)
    velo{end+1} = sprintf ('-L%.2gp,red3', 0.7 * L.pen);
  end
  cmds{end+1} = velo;
  cmds{end+1} = {'plot', 'vel.txt', sprintf('-Sc%.3gc', L.dot), '-Gnavy'};
  if (ref)
    cmds{end+1} = {'plot', 'ref.txt', '-St0.35c', '-Gforestgreen', '-W0.5p,white'};
  end
  if (any (side == 1))
    cmds{end+1} = {'text', 'names1.txt', '-F+f7p,Helvetica,black+jML', '-D0.15c/0', '-N'};
  end
  if (any (side == 2))
    cmds{end+1} = {'text', 'names2.txt', '-F+f7p,Helvetica,black+jMR', '-D-0.15c/0', '-N'};
  end
  if (any (side == 3))
    cmds{end+1} = {'text', 'names3.txt', '-F+f7p,Helvetica,black+jTC', '-D0/-0.12c', '-N'};
  end
  if (~isempty (opt.title))
    cmds{end+1} = {'text', 'title.txt', '-F+cTC+jBC+f12p,Helvetica-Bold', '-D0/0.3c', '-N'};
  end
  cmds{end+1} = {'legend', 'legend.txt', '-DJBR+jTR+o0/1.1c', '-F+gwhite+p0.5p,gray40'};
  cmds{end+1} = {'basemap', sprintf('-LJBL+jTL+o0/1.1c+c%.6g+w%gk+f+l', L.scalelat, L.bar), ...
                 '-F+gwhite+p0.5p,gray40'};
  cmds{end+1} = {'end'};
  for i = 1:numel (cmds)
    [status, out] = run_program (work, [{'gmt'}, cmds{i}]);
    if (status ~= 0)
      if (i > 1 && i < numel (cmds))
        run_program (work, {'gmt', 'end'});   % close the session: GMT keeps it in the user's folder
      end
      error ('velomap:gmt', 'velomap: GMT could not draw the map (gmt %s):\n%s', cmds{i}{1}, out);
    end
  end
  if (~exist (fullfile (work, 'map.png'), 'file'))
    error ('velomap:gmt', 'velomap: GMT wrote no map');
  end
end

% Names of the stations, the reference station (when it has no velocity
% row: with one, its row carries the name) and the positions, trimmed.
function names = label_names (enu, ref, pnames)
  refname = {};
  if (ref)
    refname = {enu.refname};
  end
  names = cellfun (@strtrim, [enu.name(:); refname(:); pnames(:)], 'UniformOutput', false);
  if (ref && enu.reference ~= 0)
    names{numel (enu.name) + 1} = '';
  end
end

% Where to draw each name (1 right of its point, 2 left of it, 3 below
% it, 0 not at all): with 'auto', only where it covers no other name, no station and no
% arrow (7 point Helvetica, about 0.6 em a character), the reference
% station's name first.
function side = choose_labels (which, L, names, m, ref, refrow)
  n = numel (names);
  named = ~cellfun (@isempty, names(:));
  side = double (named);
  if (strcmp (which, 'none'))
    side(:) = 0;
    return;
  elseif (strcmp (which, 'all'))
    return;
  end
  cm = 2.54 / 72;
  w = (0.6 * 7 * cellfun (@numel, names(:)) + 2) * cm;
  h = 8.5 * cm;
  right = [L.x + 0.15, L.y - h / 2, L.x + 0.15 + w, L.y + h / 2];
  left = [L.x - 0.15 - w, L.y - h / 2, L.x - 0.15, L.y + h / 2];
  below = [L.x - w / 2, L.y - 0.12 - h, L.x + w / 2, L.y - 0.12];
  right(~named, :) = NaN;
  left(~named, :) = NaN;
  below(~named, :) = NaN;
  first = [];
  if (refrow ~= 0)
    first = refrow;
  elseif (ref)
    first = m + 1;
  end
  order = [first, setdiff(1:n, first)];
  side(order) = thin_labels ({right(order, :), left(order, :), below(order, :)}, ...
                             arrow_marks (L, m), 0.05);
end

% Points every half millimetre along each arrow, and every station.
function marks = arrow_marks (L, m)
  len = hypot (L.dx, L.dy);
  len(~isfinite (len)) = 0;
  steps = ceil (len / 0.05);
  t = cell (m, 1);
  for i = 1:m
    f = (0:steps(i))' / max (steps(i), 1);
    t{i} = [L.x(i) + f * L.dx(i), L.y(i) + f * L.dy(i)];
  end
  marks = [cat(1, t{:}); [L.x(:), L.y(:)]];
end

function write_text (file, fmt, data)
  fid = fopen (file, 'w');
  if (fid < 0)
    error ('velomap:write', 'velomap: cannot write the work file ''%s''', file);
  end
  if (isnumeric (data))
    data = num2cell (data);
  end
  fprintf (fid, fmt, data{:});
  fclose (fid);
end

function write_legend (file, enu, L, ref, positions, ellipses)
  % symbols centred in a column as wide as the scale arrow, texts after it
  arrow = L.vref * L.velscale;
  at = sprintf ('S %.3gc', max (0.8, arrow / 2 + 0.3));
  after = sprintf ('%.3gc', max (1.7, arrow + 0.7));
  lines = {sprintf('%s v%.3gp+e+a40 %.4gc navy %.2gp,navy %s %g mm/yr', ...
                   at, L.head, arrow, L.pen, after, L.vref)};
  if (ellipses)
    lines{end+1} = sprintf ('%s e 0.4c - 0.6p,red3 %s %g %% confidence ellipses', ...
                            at, after, 100 * enu.confidence);
  end
  if (ref)
    lines{end+1} = [at, ' t 0.35c forestgreen 0.5p,white ', after, ' reference station ', ...
                    gmt_text(strtrim (enu.refname))];
  end
  if (positions)
    lines{end+1} = [at, ' c 0.16c - 0.8p,gray30 ', after, ' position only, no velocity'];
  end
  against = relative_text (enu);
  if (~isempty (against))
    lines{end+1} = ['L 8p,Helvetica L velocities relative to ', gmt_text(against)];
  end
  write_text (file, '%s\n', lines);
end

% ---------------------------------------------------------------------------

% The page: projection, region, size, where every point lands (L.x, L.y,
% cm from the lower left corner) and the arrows' scale.  The region is
% found around the stations and their arrows' tips on the projected plane
% (spherical, as GMT is told to draw), growing the page for dense networks.
function L = layout (enu, lat, lon, scale)
  frame = map_frame (lat, lon);
  m = numel (enu.name);
  e = 1e3 * double (enu.ve(:));
  n = 1e3 * double (enu.vn(:));
  speed = hypot (e, n);
  speed = speed(isfinite (speed));
  vmax = max ([speed; 1]);
  vmed = max ([median(speed), 1e-3]);
  switch (frame.kind)
    case 'polar'
      proj = @(phi, lam) frame.xy (phi, lam);
      [ex, ey, nx, ny] = frame.en (lon(1:m));
      least = 200;           % km
    otherwise
      if (strcmp (frame.kind, 'world'))
        proj = @(phi, lam) deal (deg2rad (frame.unwrap (lam)), 1.25 * asinh (tand (0.8 * phi)));
      else
        proj = @(phi, lam) deal (deg2rad (frame.unwrap (lam)), asinh (tand (max (-85, min (85, phi)))));
      end
      ex = ones (m, 1); ey = zeros (m, 1); nx = zeros (m, 1); ny = ones (m, 1);
      least = deg2rad (2);
  end
  [X, Y] = proj (lat, lon);
  ok = isfinite (X) & isfinite (Y);
  page = 18;                                   % cm, the longer side
  if (strcmp (frame.kind, 'world'))
    box = [deg2rad(frame.lon0 - 180), deg2rad(frame.lon0 + 180), -1.25 * asinh(tand (72)), ...
           1.25 * asinh(tand (72))];
  else
    box = [min(X(ok)), max(X(ok)), min(Y(ok)), max(Y(ok))];
  end
  s = page / max ([box(2) - box(1), box(4) - box(3), least]);
  spacing = nearest_spacing (s * X(1:m), s * Y(1:m));
  if (isfinite (spacing) && spacing < 0.8 && ~strcmp (frame.kind, 'world'))
    page = min (40, page * 0.8 / spacing);
    s = s * page / 18;
    spacing = spacing * page / 18;
  end
  % cm on the page per degree of latitude, at the middle of the network
  latc = mean (lat(ok));
  [~, y1] = proj (latc - 0.5, frame.lon0);
  [~, y2] = proj (latc + 0.5, frame.lon0);
  if (strcmp (frame.kind, 'polar'))
    per_degree = s * 2 * pi * 6371.0088 / 360;
  else
    per_degree = s * abs (y2 - y1);
  end
  if (isempty (scale))
    velscale = 0.12 * page / vmax;
    if (isfinite (spacing))
      velscale = min (velscale, max (spacing, 0.5) / vmed);
    end
  else
    velscale = scale * per_degree;
  end

  % Tips of the arrows and room for the ellipses, the names and a margin.
  if (~strcmp (frame.kind, 'world'))
    reach = velscale * max ([1e3 * double(enu.smaj(:)); 0]);
    for pass = 1:3
      tx = X(1:m) + velscale * (e .* ex + n .* nx) / s;
      ty = Y(1:m) + velscale * (e .* ey + n .* ny) / s;
      allx = [X(ok); tx(isfinite (tx))];
      ally = [Y(ok); ty(isfinite (ty))];
      margin = (0.6 + reach) / s;
      box = [min(allx) - margin - 0.8 / s, max(allx) + margin + 1.2 / s, min(ally) - margin, ...
             max(ally) + margin];
      grow = max (least - (box(2) - box(1)), 0) / 2;
      box(1:2) = box(1:2) + [-grow, grow];
      grow = max (least - (box(4) - box(3)), 0) / 2;
      box(3:4) = box(3:4) + [-grow, grow];
      s_new = page / max (box(2) - box(1), box(4) - box(3));
      per_degree = per_degree * s_new / s;
      s = s_new;
      if (~isempty (scale))
        velscale = scale * per_degree;
      end
    end
  end
  L.width = s * (box(2) - box(1));
  L.x = s * (X - box(1));
  L.y = s * (Y - box(3));
  L.dx = velscale * (e .* ex + n .* nx);
  L.dy = velscale * (e .* ey + n .* ny);
  L.velscale = velscale;
  L.scale = velscale / per_degree;
  L.head = min (7, max (3, 0.3 * velscale * vmed / (2.54 / 72)));
  L.pen = min (1, max (0.5, 0.08 * velscale * vmed / (2.54 / 72)));
  L.dot = min (0.12, max (0.06, 0.25 * spacing));
  L.vref = round_length (0.75 * vmax);
  switch (frame.kind)
    case 'polar'
      [llon, llat] = stereo_inverse (box(1), box(3), frame);
      [ulon, ulat] = stereo_inverse (box(2), box(4), frame);
      L.region = sprintf ('-R%.9g/%.9g/%.9g/%.9g+r', llon, llat, ulon, ulat);
      L.proj = sprintf ('-JS%.9g/%d/%.6gc', frame.lon0, 90 * frame.pole, L.width);
      L.scalelat = mean (lat(ok));
    case 'world'
      L.region = sprintf ('-R%.9g/%.9g/-90/90', frame.lon0 - 180, frame.lon0 + 180);
      L.proj = sprintf ('-JJ%.9g/%.6gc', frame.lon0, L.width);
      L.scalelat = 0;
    otherwise
      lats = atand (sinh (box(3:4)));
      L.region = sprintf ('-R%.9g/%.9g/%.9g/%.9g', rad2deg (box(1)), rad2deg (box(2)), lats(1), lats(2));
      L.proj = sprintf ('-JM%.9g/%.6gc', frame.lon0, L.width);
      L.scalelat = mean (lats);
  end
  % the distance scale bar: a round length near a fifth of the map's width
  L.bar = round_length (0.2 * L.width / per_degree * 111.195);
end

function [lon, lat] = stereo_inverse (x, y, frame)
  r = hypot (x, y);
  lat = frame.pole * (90 - 2 * atand (r / (2 * 6371.0088)));
  lon = frame.lon0 + atan2d (x, -frame.pole * y);
end

% 1, 2 or 5 times a power of ten, at most X.
function r = round_length (x)
  p = 10 ^ floor (log10 (x));
  steps = [1, 2, 5, 10] * p;
  r = steps(find (steps <= x, 1, 'last'));
end

% ---------------------------------------------------------------------------

% The map without GMT: plotvelo on an invisible figure, printed into the
% work folder.  Octave needs the gnuplot toolkit to print without a
% display; MATLAB prints with its own graphics.
function scale = octave_map (work, enu, opt)
  if (exist ('OCTAVE_VERSION', 'builtin'))
    if (~any (strcmp (available_graphics_toolkits (), 'gnuplot')) ...
        || run_program (work, {'gnuplot', '--version'}) ~= 0)
      error ('velomap:notool', ...
             'velomap: neither GMT nor gnuplot is installed: cannot draw the map');
    end
    warning ('off', 'Octave:gnuplot-graphics', 'local');
    fig = figure ('visible', 'off', 'position', [0, 0, 900, 760], ...
                  '__graphics_toolkit__', 'gnuplot');
  else
    fig = figure ('visible', 'off', 'position', [0, 0, 900, 760]);
  end
  closer = onCleanup (@() close (fig));
  hax = axes ('parent', fig);
  more = {};
  if (~isempty (opt.scale))
    more = {'scale', opt.scale};
  end
  scale = plotvelo (hax, enu, 'positions', opt.positions, 'labels', opt.labels, ...
                    'ellipses', opt.ellipses, more{:});
  box (hax, 'on'); grid (hax, 'on');
  if (~isempty (opt.title))
    title (hax, plot_text (hax, opt.title), 'interpreter', 'none');
  end
  print (fig, fullfile (work, 'map.png'), '-dpng', '-r80');
end

% ---------------------------------------------------------------------------

% The finished map, copied byte for byte to its name by the host's own
% file calls (Octave's copyfile would build a shell line).  A write that
% fails removes what it wrote, when that is a plain file.
function write_bytes (from, to)
  fid = fopen (from, 'r');
  bytes = fread (fid, Inf, 'uint8=>uint8');
  fclose (fid);
  [fid, msg] = fopen (to, 'w');
  if (fid < 0)
    error ('velomap:open', 'velomap: cannot write ''%s'': %s', to, msg);
  end
  count = fwrite (fid, bytes, 'uint8');
  [msg, err] = ferror (fid);
  closed = fclose (fid) == 0;
  if (count == numel (bytes) && err == 0 && closed && is_plain_file (to))
    [count, msg] = size_of (to);
  end
  if (count ~= numel (bytes) || err ~= 0 || ~closed)
    if (isempty (msg))
      msg = sprintf ('%d of %d bytes reached the file', max (count, 0), numel (bytes));
    end
    if (is_plain_file (to))
      remove_file (to);
    end
    error ('velomap:write', 'velomap: writing ''%s'' failed: %s', to, msg);
  end
end

function [bytes, msg] = size_of (file)
  [fid, msg] = fopen (file, 'r');
  bytes = -1;
  if (fid >= 0)
    fseek (fid, 0, 'eof');
    bytes = ftell (fid);
    fclose (fid);
  end
end

% Plain files only: never a device such as /dev/full.  No name pattern is
% ever expanded (Octave's delete and dir would expand * and ?).
function tf = is_plain_file (name)
  if (exist ('OCTAVE_VERSION', 'builtin'))
    [info, err] = stat (name);
    tf = err == 0 && S_ISREG (info.mode);
  else
    tf = java.io.File (name).isFile ();
  end
end

function remove_file (name)
  if (exist ('OCTAVE_VERSION', 'builtin'))
    unlink (name);
  else
    java.io.File (name).delete ();
  end
end

% Octave asks before removing a folder with files in it; MATLAB does not.
function remove_folder (dir)
  if (exist ('OCTAVE_VERSION', 'builtin'))
    confirm_recursive_rmdir (false, 'local');
  end
  if (exist (dir, 'dir'))
    rmdir (dir, 's');
  end
end

%!shared enu
%! enu = struct ('name', {{'A'; 'B'}}, 'lat', [45; 46], 'lon', [5; 7], 've', [0.02; 0.021], ...
%!               'vn', [0.015; 0.014], 'se', [1e-3; 1e-3], 'sn', [1e-3; 1e-3], 'rho_en', [0; 0], ...
%!               'smaj', [2e-3; 2e-3], 'smin', [2e-3; 2e-3], 'azim', [0; 0], 'confidence', 0.95, ...
%!               'refname', 'A', 'reflat', 45, 'reflon', 5, 'reference', 1);
%!error <Invalid call> velomap ('x.png')
%!error <unknown option 'color'> velomap ('x.png', enu, 'color', 'red')
%!error <'title' must be a string> velomap ('x.png', enu, 'title', 7)
%!error <'tool' must be one of> velomap ('x.png', enu, 'tool', 'matplotlib')
%!error <'scale' must be a finite positive number> velomap ('x.png', enu, 'scale', Inf)
%!error <PNGFILE must be a file name> velomap ({'x.png'}, enu)
%!error <not a velsol2enu result> velomap ('x.png', struct ('name', 1))
%!error <no folder> velomap ('/nonexistent/dir/x.png', enu)
