## Runs the %!test and %!error blocks of one test file against the built
## modules:  octave-cli run_one.m MEXDIR TESTFILE [SOURCEDIR]
args = argv ();
addpath (args{1});
if (numel (args) >= 3)
  setenv ("GEOMEX_SOURCE_DIR", args{3});
endif
[npass, ntotal] = test (args{2}, "quiet", stdout);
printf ("%d passed, %d failed\n", npass, ntotal - npass);
exit (ntotal == 0 || npass != ntotal);
