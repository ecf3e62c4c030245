## Example job: reads a station-velocity solution with readvelsol, turns it
## into local east/north/up velocities and 95 % error ellipses with
## velsol2enu, prints a table of them and draws the map with velomap
## (the work is done by velocity_report.m beside this script); then writes
## the solution as SINEX with writesinex, reads it back with readsinex and
## draws its map, and fits the stations' Euler pole with eulerpole.
##
##   octave-cli run_example.m MEXDIR [SOLFILE] [PNGFILE]
##
## MEXDIR   folder of the built modules (build/mex)
## SOLFILE  solution file (default: example.sol beside this script)
## PNGFILE  map to write (default: example/velocity_map.png in the build
##          folder above MEXDIR); "" for no map
1;

args = argv ();
if (numel (args) < 1)
  error ("usage: octave-cli run_example.m MEXDIR [SOLFILE] [PNGFILE]");
endif
here = fileparts (mfilename ("fullpath"));
mexdir = make_absolute_filename (regexprep (args{1}, '[\\/]+$', ''));
addpath (mexdir);
addpath (here);

solfile = fullfile (here, "example.sol");
if (numel (args) >= 2 && ! isempty (args{2}))
  solfile = args{2};
endif
pngfile = fullfile (fileparts (mexdir), "example", "velocity_map.png");
if (numel (args) >= 3)
  pngfile = args{3};
endif

velocity_report (solfile, pngfile);

## SINEX: the same solution written as SINEX 2.02 (beside the map, or in the
## temporary folder), read back and drawn again: the velocities and the
## covariance come back to the written precision.  SINEX has no reference
## station, so the reference station's own velocity is drawn too.
snx_sol = readvelsol (solfile);
if (isempty (pngfile))
  snx_file = [tempname(), ".snx"];
else
  snx_file = fullfile (fileparts (pngfile), "example.snx");
endif
writesinex (snx_file, snx_sol, "epoch", [2020, 1, 0]);
snx = readsinex (snx_file);
snx_warn = warning ("off", "velsol2enu:novelocity");
snx_enu = velsol2enu (snx);
warning (snx_warn);
snx_direct = velsol2enu (snx_sol);
printf ("\nSINEX: %s, %d sites with velocity; largest difference to the solution read directly: %.1e mm/yr\n",
        snx_file, numel (snx_enu.name),
        1e3 * max (abs ([snx_enu.ve - snx_direct.ve; snx_enu.vn - snx_direct.vn])));
if (! isempty (pngfile))
  snx_png = fullfile (fileparts (pngfile), "velocity_map_sinex.png");
  snx_posonly = all (isnan (snx.vel), 2);
  try
    snx_pos = {snx.llh(snx_posonly, 1), snx.llh(snx_posonly, 2), snx.station(snx_posonly)};
    snx_tool = velomap (snx_png, snx_enu, "title", "Station velocities of example.snx",
                        "positions", snx_pos);
    printf ("map of the SINEX file drawn to %s (%s)\n", snx_png, snx_tool);
  catch err
    if (! strcmp (err.identifier, "velomap:notool"))
      rethrow (err);
    endif
    printf ("SINEX map skipped: install GMT or gnuplot-nox\n");
  end_try_catch
endif

## Plate motion: the example's stations were generated moving with the
## Eurasian plate.  Fit their rotation with the full covariance (the
## reference station's group left out, as in the table above), print it
## beside ITRF2020-PMM's Eurasia and map the velocities that remain
## relative to the fitted plate beside the velocity map.
plate_enu = velsol2enu (readvelsol (solfile));
plate_fit = eulerpole (plate_enu, "exclude", plate_enu.reference,
                       "plate", repmat ({"EURA"}, numel (plate_enu.name), 1));
plate_ref = platemodel ("ITRF2020-PMM", "EURA");
printf ("\nEuler pole of the %d stations on Eurasia (full covariance, reference station excluded)\n",
        nnz (plate_fit.used));
printf ("%-20s %16s %17s %17s   %s\n", "", "pole lat (deg)", "pole lon (deg)",
        "rate (deg/Myr)", "omega X, Y, Z (mas/yr)");
for plate_row = {{"fitted", plate_fit}, {"ITRF2020-PMM EURA", plate_ref}}
  [label, p] = plate_row{1}{:};
  printf ("%-20s %7.2f +- %5.2f %8.2f +- %5.2f %8.4f +- %6.4f   %7.4f %7.4f %7.4f\n", label,
          p.lat, p.slat, p.lon, p.slon, p.rate, p.srate, p.omega);
endfor
printf ("chi2 %.1f on %d degrees of freedom (sigma0 %.2f); %g %% pole ellipse %.2f x %.2f deg, azimuth %.0f deg\n",
        plate_fit.chi2, plate_fit.dof, plate_fit.sigma0, 100 * plate_fit.confidence,
        plate_fit.smaj, plate_fit.smin, plate_fit.azim);
if (! isempty (pngfile))
  plate_png = fullfile (fileparts (pngfile), "residual_map.png");
  try
    plate_tool = velomap (plate_png, plate_fit.residual);
    printf ("residual velocities relative to the fitted plate drawn to %s (%s)\n", plate_png, plate_tool);
  catch err
    if (! strcmp (err.identifier, "velomap:notool"))
      rethrow (err);
    endif
    printf ("residual map skipped: install GMT or gnuplot-nox\n");
  end_try_catch
endif
