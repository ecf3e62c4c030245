#!/usr/bin/env bash
# Runs every test: unit tests of the numeric routines and end-to-end tests of
# the modules in octave-cli, then each further check in scripts/checks/
# (sanitizers, fuzzing, the Octave package).  Installs and builds what is
# missing first.  Ends with one line "tests: N passed, M failed" (N counts
# ctest's tests and the further checks); any failure stops the run with a
# non-zero status.
set -euo pipefail
# The toolbox's tests compare with octave-mapping's ecef2enuv and run GMT.
export GEOMEX_EXTRA_PACKAGES="${GEOMEX_EXTRA_PACKAGES:-} octave-mapping gmt gmt-gshhg-low gmt-dcw gnuplot-nox"
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

say "running the unit and end-to-end tests (ctest)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" | tee "$log"
passed="$(sed -n 's/^100% tests passed, 0 tests failed out of \([0-9][0-9]*\)$/\1/p' "$log")"
[ -n "$passed" ] || { say "ctest did not report every test passed"; exit 1; }

shopt -s nullglob
for check in "$root"/scripts/checks/*.sh; do
  say "running $(basename "$check")"
  if ! bash "$check"; then
    say "$(basename "$check") failed"
    echo "tests: $passed passed, 1 failed"
    exit 1
  fi
  passed=$((passed + 1))
done
say "all tests passed"
echo "tests: $passed passed, 0 failed"
