#!/usr/bin/env bash
# Runs the example job: the bundled solution through the modules, printing
# each station's velocity and its 95 % error ellipse.  Installs and builds
# what is missing first.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

say "running examples/run_example.m in octave-cli"
cd "$root/examples"
octave-cli --no-history --no-init-file --no-window-system run_example.m "$build/mex" 2> >(grep -v 'ignoring const execution_exception' >&2)
