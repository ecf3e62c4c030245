#!/usr/bin/env bash
# The longer fuzzing run, for a developer's machine or a nightly job: every
# target for SECONDS seconds (default 1800, half an hour each), two at a
# time, starting from and adding to the corpus in build-fuzz/corpus/.
#
#   bash scripts/fuzz-long.sh [SECONDS] [TARGET...]
#   bash scripts/fuzz-long.sh 7200 tosqum
#
# Targets: fields, records, tosqum, brisol.  A failure leaves its input in
# build-fuzz/artifacts/; turn it into a test in the unit tests of the routine
# it breaks (tests/unit/tosqum_faults_test.cpp, brisol_test.cpp, ...).
# To grow the seeds in the repository afterwards, minimise the corpus first:
#   build-fuzz/fuzz/fuzz_tosqum -merge=1 /tmp/min build-fuzz/corpus/tosqum
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export FUZZ_SECONDS="${1:-1800}"
shift || true
[ $# -gt 0 ] && export FUZZ_TARGETS="$*"
exec bash "$here/checks/fuzz.sh"
