#!/usr/bin/env bash
# Runs every test: unit tests of the numeric routines and end-to-end tests of
# the modules in octave-cli, then each further check in scripts/checks/
# (sanitizers, fuzzing, the Octave package).  Installs and builds what is
# missing first.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

say "running the unit and end-to-end tests (ctest)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

shopt -s nullglob
for check in "$root"/scripts/checks/*.sh; do
  say "running $(basename "$check")"
  bash "$check"
done
say "all tests passed"
