#!/usr/bin/env bash
# Runs the example job: the bundled solution examples/example.sol through
# tosqumg and brisol, printing each station's east/north velocity and its
# 95 % error ellipse, and drawing them on a map.  Installs what is missing
# (gnuplot-nox too, which Octave needs to draw without a display) and builds
# first.
set -euo pipefail
export GEOMEX_EXTRA_PACKAGES="${GEOMEX_EXTRA_PACKAGES:-} gnuplot-nox"
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

map="$build/example/velocity_map.png"
say "running examples/run_example.m in octave-cli"
say "  solution: $root/examples/example.sol"
say "  map:      $map"
# octave-cli always ends with a harmless 'ignoring const execution_exception'
# line on stderr; drop it and pass everything else through.  The script's
# own exit status still decides (pipefail).
{
  octave-cli --no-history --no-init-file --no-window-system \
    "$root/examples/run_example.m" "$build/mex" "$root/examples/example.sol" "$map" \
    2>&1 1>&3 3>&- | { grep -v 'ignoring const execution_exception' || true; } >&2
} 3>&1
say "done"
