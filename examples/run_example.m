## Example job: 95 % error ellipses of a few points from one covariance.
##   octave-cli run_example.m MEXDIR
args = argv ();
if (numel (args) >= 1)
  addpath (args{1});
endif

## East/north covariance of four points, mm^2: two components per point.
C = blkdiag ([4.0, 1.2; 1.2, 2.5], ...
             [1.0, 0.0; 0.0, 9.0], ...
             [2.0, -0.8; -0.8, 2.0], ...
             [3.0, 0.0; 0.0, 3.0]);
[smaj, smin, azim] = brisol (C);

printf ("%5s %12s %12s %12s\n", "point", "semi-major", "semi-minor", "azimuth");
printf ("%5s %12s %12s %12s\n", "", "mm", "mm", "deg");
for p = 1:numel (smaj)
  printf ("%5d %12.4f %12.4f %12.4f\n", p, smaj(p), smin(p), azim(p));
endfor
