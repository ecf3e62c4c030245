## velomap and plotvelo: names and texts never reach a shell, files written
## straight to their names or not at all, and the layout of networks
## across the antimeridian, near and at a pole.

## Plate-like velocities (about 20 mm/yr north-east) in X/Y/Z at each station.
%!function e = network (llh)
%!  v = zeros (rows (llh), 3);
%!  for i = 1:rows (llh)
%!    la = llh(i, 1); lo = llh(i, 2);
%!    R = [-sind(lo), cosd(lo), 0; -sind(la) * cosd(lo), -sind(la) * sind(lo), cosd(la)];
%!    v(i, :) = [0.015, 0.012] * R;
%!  endfor
%!  e = velsol2enu (make_velsol (llh, v, 3));
%!endfunction

%!shared dir, enu, have_gmt, anti, svalbard, pole
%! addpath (fullfile (getenv ("GEOMEX_SOURCE_DIR"), "tests", "octave"));
%! graphics_toolkit ("gnuplot");
%! warning ("off", "Octave:gnuplot-graphics");
%! dir = tempname ();
%! mkdir (dir);
%! have_gmt = system ("gmt --version > /dev/null 2>&1") == 0;
%! enu = network ([45 5 0; 46 7 0; 44.5 8 0]);
%! anti = network ([10 179.5 0; 10.5 -179.6 0; 11 179.9 0]);
%! svalbard = network ([78.2 15.6 0; 79 12 0; 77 20 0; 80 25 0]);
%! pole = network ([90 0 0; 89 45 0; 88 -120 0]);

%!function ok = is_png (file)
%!  fid = fopen (file, "r");
%!  ok = fid >= 0 && isequal (fread (fid, 8, "uint8=>uint8")', uint8 ([137, 80, 78, 71, 13, 10, 26, 10]));
%!  if (fid >= 0)
%!    fclose (fid);
%!  endif
%!endfunction

## File names, station names, positions' names and titles are used
## literally with both tools: no command hidden in them runs, and the map
## lands under the very name given (a leading '-', a '"', a '*').
%!test
%! old = cd (dir);
%! restore = onCleanup (@() cd (old));
%! odd = enu;
%! odd.name{1} = "`touch PWNED`";
%! odd.name{2} = "$(touch PWNED)";
%! odd.refname = odd.name{1};
%! pos = {45.5, 6, {"`touch PWNED`;@"}};
%! tools = {"octave"};
%! if (have_gmt)
%!   tools{end+1} = "gmt";
%! endif
%! names = {"$(touch PWNED).png", "`touch PWNED`.png", "-dash.png", "q\"uote'it.png", "a*b?.png"};
%! for t = 1:numel (tools)
%!   for i = 1:numel (names)
%!     if (i > 2 && t > 1)
%!       break;              # the odd names once, through the common writer
%!     endif
%!     velomap (names{i}, odd, "tool", tools{t}, "positions", pos, ...
%!              "title", "`touch PWNED` $(touch PWNED) @;+t");
%!     assert (is_png (names{i}), "%s: no map under '%s'", tools{t}, names{i});
%!     unlink (names{i});
%!   endfor
%! endfor
%! assert (! exist (fullfile (dir, "PWNED"), "file"));
%! assert (! exist (fullfile (old, "PWNED"), "file"));

## A missing folder is refused and not created; a failed write names the
## system's complaint or the bytes lost, and leaves no file.
%!test
%! missing = fullfile (dir, "no", "such");
%! fail ("velomap (fullfile (missing, 'x.png'), enu, 'tool', 'octave')", "cannot write .*no folder");
%! assert (! exist (fullfile (dir, "no"), "dir"));
%! try
%!   velomap (fullfile (missing, "x.png"), enu);
%! catch err
%!   assert (err.identifier, "velomap:open");
%! end_try_catch
%! try
%!   velomap ("/dev/full", enu, "tool", "octave");
%!   error ("no error");
%! catch err
%!   assert (err.identifier, "velomap:write");
%!   assert (numel (err.message) > numel ("velomap: writing '/dev/full' failed: "));
%! end_try_catch
%! try
%!   velomap (dir, enu, "tool", "octave");   # a folder: cannot be opened as a file
%!   error ("no error");
%! catch err
%!   assert (err.identifier, "velomap:open");
%! end_try_catch

## Networks across the antimeridian and near the pole get regional maps:
## arrows of about 20 mm/yr a fraction of a degree of latitude each, not
## the tens of degrees of a world map.
%!test
%! tools = {"octave"};
%! if (have_gmt)
%!   tools{end+1} = "gmt";
%! endif
%! for t = tools
%!   for net = {anti, svalbard, pole}
%!     [tool, scale] = velomap (fullfile (dir, "r.png"), net{1}, "tool", t{1});
%!     assert (tool, t{1});
%!     assert (scale < 0.2, "%s: %g degrees per mm/yr", t{1}, scale);
%!   endfor
%! endfor

## plotvelo: the antimeridian network spans its own 1.3 degrees, the polar
## ones lie on the polar plane; hold is left as found.
%!test
%! f = figure ("visible", "off");
%! closer = onCleanup (@() close (f));
%! plotvelo (anti);
%! assert (diff (xlim ()) < 5);
%! assert (! ishold ());
%! for net = {svalbard, pole}
%!   clf (f);
%!   hold on;
%!   plotvelo (gca (), net{1});
%!   assert (ishold ());
%!   assert (get (get (gca (), "xlabel"), "string"), "polar stereographic x (km)");
%! endfor

## Labels: all, none, or thinned in a dense network; the ellipses on request.
%!test
%! f = figure ("visible", "off");
%! closer = onCleanup (@() close (f));
%! rand ("seed", 1);
%! n = 300;
%! dense = enu;
%! dense.name = arrayfun (@(i) sprintf ("S%03d", i), (1:n)', "uniformoutput", false);
%! dense.lat = 44 + 4 * rand (n, 1); dense.lon = 4 + 6 * rand (n, 1);
%! for field = {"ve", "vn", "se", "sn", "rho_en", "smaj", "smin", "azim"}
%!   dense.(field{1}) = repmat (enu.(field{1})(1), n, 1);
%! endfor
%! dense.reference = 0;
%! count = @() numel (findobj (gca (), "type", "text"));
%! plotvelo (dense, "labels", "all");
%! assert (count (), n + 2);                       # and the reference, the scale
%! clf (f); plotvelo (dense, "labels", "none");
%! assert (count (), 1);
%! clf (f); plotvelo (dense);
%! assert (count () > 20 && count () < n / 2);
%! clf (f); plotvelo (enu, "ellipses", false);
%! lines = numel (findobj (gca (), "type", "line"));
%! clf (f); plotvelo (enu);
%! assert (numel (findobj (gca (), "type", "line")), lines + 1);

## Options: one case rule, unknown ones named, every value checked before
## a figure or a file appears.
%!test
%! close all;
%! fail ("velomap (fullfile (dir, 'o.png'), enu, 'colour', 'red')", "unknown option 'colour'");
%! fail ("velomap (fullfile (dir, 'o.png'), enu, 'title', 3)", "'title' must be a string");
%! fail ("velomap (fullfile (dir, 'o.png'), enu, 'title', {'a'})", "'title' must be a string");
%! fail ("velomap (fullfile (dir, 'o.png'), enu, 'labels', 'some')", "'labels' must be one of");
%! fail ("plotvelo (enu, 'scale', Inf)", "'scale' must be a finite positive number");
%! fail ("plotvelo (enu, 'Colour', 1)", "unknown option 'Colour'");
%! fail ("plotvelo (struct ('name', 1))", "not a velsol2enu result");
%! assert (isempty (get (0, "children")));
%! assert (! exist (fullfile (dir, "o.png"), "file"));
%! [tool, scale] = velomap (fullfile (dir, "o.png"), enu, "TOOL", "Octave", "Scale", 0.05, ...
%!                          "Labels", "NONE", "ellipses", 0);
%! assert ({tool, scale}, {"octave", 0.05});

## The private helpers: GMT's text escapes written so that texts show as
## they are, and the label placement's promise (no label on another label
## or on a mark) over many random layouts.
%!test
%! addpath (fullfile (fileparts (which ("velomap")), "private"));
%! table = {"@A", "@@A"; ";x;y", '\073x\073y'; 'a\b', 'a\134b'; '\134', '\134134';
%!          ["a", char(10), "b"], "a b"; "+t%s -B", "+t%s -B"};
%! for i = 1:rows (table)
%!   assert (gmt_text (table{i, 1}), table{i, 2});
%! endfor
%! rand ("seed", 2);
%! for trial = 1:100
%!   n = 60;
%!   at = 10 * rand (n, 2);
%!   w = 0.5 + rand (n, 1);
%!   places = {[at, at + [w, 0.3 + 0 * w]], [at - [w, 0 * w], at + [0 * w, 0.3 + 0 * w]]};
%!   marks = 10 * rand (40, 2);
%!   side = thin_labels (places, marks, 0.05);
%!   kept = zeros (0, 4);
%!   for i = find (side')
%!     kept(end + 1, :) = places{side(i)}(i, :);
%!   endfor
%!   for i = 1:rows (kept)
%!     other = kept([1:i-1, i+1:end], :);
%!     assert (! any (other(:, 1) < kept(i, 3) & kept(i, 1) < other(:, 3)
%!                    & other(:, 2) < kept(i, 4) & kept(i, 2) < other(:, 4)));
%!     assert (! any (marks(:, 1) > kept(i, 1) & marks(:, 1) < kept(i, 3)
%!                    & marks(:, 2) > kept(i, 2) & marks(:, 2) < kept(i, 4)));
%!   endfor
%!   assert (side(1) > 0 || any (marks(:, 1) > places{1}(1, 1) - 0.1 & marks(:, 1) < places{1}(1, 3) + 0.1 ...
%!                                & marks(:, 2) > places{1}(1, 2) - 0.1 & marks(:, 2) < places{1}(1, 4) + 0.1));
%! endfor

%!test
%! confirm_recursive_rmdir (false, "local");
%! rmdir (dir, "s");
