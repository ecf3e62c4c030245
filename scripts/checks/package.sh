#!/usr/bin/env bash
# The Octave package, as a user gets it: builds the tarball, installs it with
# `pkg install` into a scratch prefix (the user's own packages and package
# lists are never touched), loads it, checks that help and calls reach the
# installed modules, runs the package's self-tests, and compares the
# installed modules' results bit for bit with those of the CMake build in
# <build>/mex, and checks that `cmake --install` of that build gives a folder
# ready for addpath.  Ends with "N passed, M failed"; fails on any failure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${BUILD_DIR:-$root/build}"

tarball="$(bash "$root/scripts/package.sh" | tail -n 1)"
echo "package: $tarball"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"

octave() {
  # A scratch HOME keeps Octave from reading or writing the user's files.
  HOME="$work/home" octave-cli --no-history --no-init-file --no-window-system "$@" \
    2> >(grep -v 'ignoring const execution_exception' >&2)
}

# Shared by both sessions: fixed inputs, written once.
cat > "$work/inputs.m" <<'EOF'
function [C, file] = inputs (work)
  ## brisol: 1000 points of every kind (general, circular, negative and
  ## NaN variances, tiny and huge scales).
  rand ("state", 20261208);
  k = 1000;
  s11 = 10 .^ (8 * rand (1, k) - 4) .* (rand (1, k) > 0.05);
  s22 = 10 .^ (8 * rand (1, k) - 4) .* (rand (1, k) > 0.05);
  s21 = (2 * rand (1, k) - 1) .* sqrt (s11 .* s22) .* (rand (1, k) > 0.2);
  s22(1:50:end) = s11(1:50:end);
  s11(7:97:end) = -s11(7:97:end);
  s21(11:301:end) = NaN;
  C = zeros (2 * k);
  C(sub2ind (size (C), 1:2:2*k, 1:2:2*k)) = s11;
  C(sub2ind (size (C), 2:2:2*k, 2:2:2*k)) = s22;
  C(sub2ind (size (C), 2:2:2*k, 1:2:2*k)) = s21;

  ## readsinex: 20 sites with position and velocity, a full L COVA matrix.
  snx = fullfile (work, "solution.snx");
  if (! exist (snx, "file"))
    P = 120;
    A = rand (P) - 0.5;
    M = 1e-6 * (A * A' + P * eye (P));
    types = {"STAX", "STAY", "STAZ", "VELX", "VELY", "VELZ"};
    fid = fopen (snx, "w");
    fprintf (fid, "%%=SNX 2.02 TST 24:100:00000 TST 20:001:00000 24:001:00000 P %05d 2 S\n", P);
    fprintf (fid, "+SOLUTION/ESTIMATE\n");
    for k = 1:P
      fprintf (fid, " %5d %-6s S%03d  A    1 22:001:00000 m    2 %21.14E %11.5E\n", k,
               types{mod(k-1, 6)+1}, floor ((k-1) / 6), 4e6 * rand (), sqrt (M(k, k)));
    endfor
    fprintf (fid, "-SOLUTION/ESTIMATE\n+SOLUTION/MATRIX_ESTIMATE L COVA\n");
    for r = 1:P
      for c = 1:3:r
        fprintf (fid, " %5d %5d", r, c);
        fprintf (fid, " %21.14E", M(r, c:min(r, c+2)));
        fprintf (fid, "\n");
      endfor
    endfor
    fprintf (fid, "-SOLUTION/MATRIX_ESTIMATE L COVA\n%%ENDSNX\n");
    fclose (fid);
  endif

  ## tosqumg: 60 stations with parameters, the reference station 23rd,
  ## one more station record without parameters.
  file = fullfile (work, "solution.txt");
  if (exist (file, "file"))
    return;
  endif
  nvec = 60;
  ref = 23;
  fid = fopen (file, "w");
  fprintf (fid, " %4d%-8s %3s\n", 3 * nvec, sprintf ("S%03d", ref), "XYZ");
  for j = 1:nvec+1
    lat = 35 + 30 * rand (); lon = -10 + 40 * rand (); h = 3000 * rand ();
    [x, y, z] = deal (6.4e6 * cosd (lat) * cosd (lon), 6.4e6 * cosd (lat) * sind (lon),
                      6.35e6 * sind (lat) + h);
    fprintf (fid, "%-8s%19.7f%19.7f%19.7f\n", sprintf ("S%03d", j), x, y, z);
  endfor
  for j = 1:nvec
    for q = 1:3
      fprintf (fid, " %4d  V%c      %-8s  %22.15E  +-  %21.15E\n", 3 * (j - 1) + q,
               "XYZ"(q), sprintf ("S%03d", j), 0.03 * (rand () - 0.5), 1e-3 * rand ());
    endfor
  endfor
  for i = 1:3*nvec
    for j = 1:i-1
      fprintf (fid, " %4d  %4d  %22.15E\n", i, j, 1.8 * (rand () - 0.5));
    endfor
  endfor
  fclose (fid);
endfunction
EOF

# Reference results from the CMake build, when there is one.
have_reference=0
early_failures=0
if [ -f "$build/mex/brisol.mex" ] && [ -f "$build/mex/tosqumg.mex" ]; then
  if octave --eval "
    addpath ('$work'); addpath ('$build/mex');
    [C, file] = inputs ('$work');
    [smaj, smin, azim] = brisol (C);
    evalc ('[vel, outcov, nvec, llh] = tosqumg (file);');
    warning ('off', 'all');
    sol = readvelsol (file);
    enu = velsol2enu (sol);
    enucov = enu.cov;
    snx = readsinex (fullfile ('$work', 'solution.snx'));
    save ('-binary', '$work/reference.bin', 'smaj', 'smin', 'azim', 'vel', 'outcov', 'nvec', 'llh', ...
          'sol', 'enucov', 'snx');
  "; then
    have_reference=1
  else
    echo "FAILED: results of the CMake build's modules in $build/mex"
    early_failures=$((early_failures + 1))
  fi
else
  echo "package: no modules in $build/mex, skipping the comparison with the CMake build"
fi

# The CMake install of the same build, into a scratch prefix.
installed=""
if [ -f "$build/CMakeCache.txt" ] && [ -f "$build/mex/brisol.mex" ]; then
  if cmake --install "$build" --prefix "$work/prefix" --component octave >/dev/null; then
    installed="$work/prefix/lib/geodesy-mex/octave"
  else
    echo "FAILED: cmake --install $build"
    early_failures=$((early_failures + 1))
  fi
fi

cat > "$work/check.m" <<EOF
work = "$work";
have_reference = $have_reference;
installed = "$installed";
failed = $early_failures;
EOF
cat >> "$work/check.m" <<'EOF'
passed = 0;
function [passed, failed] = tally (ok, what, passed, failed)
  if (ok)
    passed += 1;
  else
    failed += 1;
    printf ("FAILED: %s\n", what);
  endif
endfunction

## A scratch prefix and scratch package lists.
pkg ("prefix", fullfile (work, "share"), fullfile (work, "arch"));
pkg ("local_list", fullfile (work, "octave_packages"));
pkg ("global_list", fullfile (work, "global_packages"));

tarball = getenv ("GEOMEX_TARBALL");
try
  pkg ("install", "-local", tarball);
  ok = true;
catch err
  disp (err.message);
  ok = false;
end_try_catch
[passed, failed] = tally (ok, "pkg install", passed, failed);
if (! ok)
  printf ("%d passed, %d failed\n", passed, failed);
  exit (1);
endif

list = pkg ("list");
ok = numel (list) == 1 && strcmp (list{1}.name, "geodesy-mex");
[passed, failed] = tally (ok, "pkg list shows the package", passed, failed);
printf ("installed %s %s in %s\n", list{1}.name, list{1}.version, list{1}.dir);

pkg load geodesy-mex

## Calls and help both come from the installed architecture folder.
for name = {"brisol", "tosqumg", "readvelsol", "readsinex"}
  name = name{1};
  file = which (name);
  ok = exist (name) == 3 && strncmp (file, fullfile (work, "arch"), numel (fullfile (work, "arch")));
  [passed, failed] = tally (ok, [name " is the installed module: " file], passed, failed);
  [text, format] = get_help_text (name);
  out = evalc (["help " name]);
  ok = strcmp (format, "texinfo") && ! isempty (strfind (out, ["= " name " ("]));
  [passed, failed] = tally (ok, ["help " name], passed, failed);
endfor
out = evalc ("help brisol");
printf ("help brisol: %s\n", strtrim (regexp (out, "-- [^\n]*", "match", "once")));
## The toolbox's functions, with their help.
for name = {"velsol2enu", "writevelo", "writesinex", "plotvelo", "velomap", "readvelo", ...
            "eulerpole", "platevel", "platefix", "platemodel"}
  [text, format] = get_help_text (name{1});
  ok = exist (name{1}) == 2 && strcmp (format, "texinfo");
  [passed, failed] = tally (ok, [name{1} " is installed with its help"], passed, failed);
endfor

## The package's own tests (the plate-motion functions' reach the
## toolbox's private helpers as installed).
for name = {"brisol", "tosqumg", "readvelsol", "readsinex", "velsol2enu", "writevelo", ...
            "writesinex", "readvelo", "eulerpole", "platevel", "platefix", "platemodel"}
  [n, total] = test (name{1}, "quiet", stdout);
  passed += n;
  failed += total - n;
  printf ("test %s: %d of %d passed\n", name{1}, n, total);
endfor

## Bit for bit the results of the CMake build.
if (have_reference)
  addpath (work);
  ref = load (fullfile (work, "reference.bin"));
  [C, file] = inputs (work);
  [smaj, smin, azim] = brisol (C);
  evalc ("[vel, outcov, nvec, llh] = tosqumg (file);");
  for v = {"smaj", "smin", "azim", "vel", "outcov", "nvec", "llh"}
    a = eval (v{1});
    b = ref.(v{1});
    ok = isequal (size (a), size (b)) ...
         && isequal (typecast (a(:), "uint64"), typecast (b(:), "uint64"));
    [passed, failed] = tally (ok, [v{1} " equals the CMake build's bit for bit"], passed, failed);
  endfor
  ## readvelsol, and velsol2enu through its compiled private helper (its
  ## plain-code fallback would differ in the last bits).
  warning ("off", "all");
  sol = readvelsol (file);
  enu = velsol2enu (sol);
  ok = isequal (sol, ref.sol) && isequal (typecast (sol.cov(:), "uint64"), typecast (ref.sol.cov(:), "uint64"));
  [passed, failed] = tally (ok, "readvelsol equals the CMake build's", passed, failed);
  ok = isequal (typecast (enu.cov(:), "uint64"), typecast (ref.enucov(:), "uint64"));
  [passed, failed] = tally (ok, "velsol2enu's covariance equals the CMake build's bit for bit", passed, failed);
  snx = readsinex (fullfile (work, "solution.snx"));
  ok = isequaln (snx, ref.snx) && isequal (typecast (snx.matrix(:), "uint64"), typecast (ref.snx.matrix(:), "uint64"));
  [passed, failed] = tally (ok, "readsinex equals the CMake build's bit for bit", passed, failed);
  printf ("compared with the CMake build: %d ellipses, %d stations\n", numel (smaj), nvec);
endif

## And it goes away again.
pkg unload geodesy-mex
pkg ("uninstall", "-local", "geodesy-mex");
ok = isempty (pkg ("list")) && ! exist (list{1}.dir, "dir");
[passed, failed] = tally (ok, "pkg uninstall", passed, failed);

## The modules and help files that cmake --install put in a prefix folder.
if (! isempty (installed))
  addpath (installed);
  for name = {"brisol", "tosqumg", "readvelsol", "readsinex"}
    name = name{1};
    if (any (strcmp (name, {"readvelsol", "readsinex"})))
      ext = "oct";
    else
      ext = mexext ();
    endif
    ok = strcmp (which (name), fullfile (installed, [name "." ext]));
    [passed, failed] = tally (ok, [name " from the CMake install"], passed, failed);
    [text, format] = get_help_text (name);
    ok = strcmp (format, "texinfo") && ! isempty (strfind (text, ["} " name " ("]));
    [passed, failed] = tally (ok, ["help " name " from the CMake install"], passed, failed);
  endfor
  ok = exist (fullfile (installed, "velsol2enu.m"), "file") ...
       && exist (fullfile (installed, "private", "enurotate.oct"), "file");
  [passed, failed] = tally (ok, "the toolbox and its helper from the CMake install", passed, failed);
  [a, b, c] = brisol ([4, 0; 0, 1]);
  ok = isequal ([a, b, c], [4.895999908447266, 2.447999954223633, 90]);
  [passed, failed] = tally (ok, "brisol from the CMake install computes", passed, failed);
  printf ("cmake --install: modules and help in %s\n", installed);
endif

printf ("%d passed, %d failed\n", passed, failed);
exit (failed != 0);
EOF

status=0
GEOMEX_TARBALL="$tarball" octave "$work/check.m" || status=$?
exit "$status"
