## Example job: reads a station-velocity solution with readvelsol, turns it
## into local east/north/up velocities and 95 % error ellipses with
## velsol2enu, prints a table of them and draws the map with velomap
## (the work is done by velocity_report.m beside this script).
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
