#!/usr/bin/env bash
# Mutation check: do the unit tests notice when the arithmetic changes?
#
# Copies the source tree to a temporary folder and, one at a time, makes a
# small change to the numeric code that keeps it compiling and keeps every
# result close to right (operations in another order, a step in double
# instead of single, another constant, a special case dropped), rebuilds
# the unit tests and runs them.  A change the tests do not notice survives,
# and fails the check; so does a change whose text is no longer found in the
# source, so the check cannot go stale unnoticed when the code is edited.
#
#   bash scripts/checks/mutation.sh          (scripts/test.sh runs it too)
#
# One build folder serves every mutation: only the changed file (and the
# file restored from the change before) compile again.  About two minutes
# on two cores.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
jobs="${JOBS:-$(nproc)}"
say() { printf '==> mutation: %s\n' "$*"; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
src="$work/src"
build="$work/build"
log="$work/log"
mkdir -p "$src"
tar -C "$root" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$src" -xf -

build_tests() {
  cmake --build "$build" --target unit_tests -j "$jobs" >"$log" 2>&1
}
# Runs the unit tests; prints the names of the failing ones.
run_tests() {
  "$build/tests/unit_tests" --gtest_brief=1 --gtest_color=no >"$log" 2>&1
}
failing_tests() {
  sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_]*\).*/\1/p' "$log" | sort -u |
    paste -sd ' ' -
}

say "building the unit tests of an unchanged copy in $build"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DWITH_MATLAB=OFF \
  -DGEOMEX_FUZZ=OFF >"$log" 2>&1 || { cat "$log"; exit 1; }
build_tests || { tail -40 "$log"; exit 1; }
# Against a copy that already fails, every change would seem caught.
run_tests || { say "the unchanged copy fails its unit tests"; tail -40 "$log"; exit 1; }

survived=0
broken=0
# mutate FILE DESCRIPTION OLD NEW: replaces every occurrence of the text OLD
# in FILE (relative to the source root) by NEW, rebuilds, runs the unit
# tests, then puts FILE back.
mutate() {
  local file="$src/$1" what="$2"
  cp "$file" "$work/original"
  if ! OLD="$3" NEW="$4" perl -0777 -i -pe \
    'BEGIN { $n = 0 } $n += s/\Q$ENV{OLD}\E/$ENV{NEW}/g; END { exit($n ? 0 : 3) }' "$file"; then
    say "NOT FOUND  $what: the text to change is no longer in $1; update this check"
    broken=$((broken + 1))
  elif ! build_tests; then
    say "NO BUILD   $what: the changed $1 does not compile; update this check"
    grep -m5 'error' "$log" || true
    broken=$((broken + 1))
  elif run_tests; then
    say "SURVIVED   $what: every unit test still passes"
    survived=$((survived + 1))
  else
    say "killed     $what: $(failing_tests)"
  fi
  # A fresh modification time, so that the next build compiles it again.
  cp "$work/original" "$file"
  touch "$file"
}

say "applying each change to a copy and running the unit tests"
started=$SECONDS

mutate core/xyz2llh.cpp "xyz2llh: height update as 1 - e2 * (n / (n + h))" \
  'const double den = 1.0 - (e2 * n) / (n + h);' \
  'const double den = 1.0 - e2 * (n / (n + h));'
mutate core/xyz2llh.cpp "xyz2llh: radius of curvature with (e2 * s) * s" \
  'kA / std::sqrt(1.0 - e2 * (s * s));' \
  'kA / std::sqrt(1.0 - (e2 * s) * s);'
mutate core/xyz2llh.cpp "xyz2llh: first estimate's radius of curvature with (e2 * s) * s" \
  'double n = kA / std::sqrt(1.0 - e2 * (s * s));' \
  'double n = kA / std::sqrt(1.0 - (e2 * s) * s);'
mutate core/xyz2llh.cpp "xyz2llh: first estimate's height as (p - n * c) / c" \
  'double h = p / c - n;' \
  'double h = (p - n * c) / c;'
mutate core/xyz2llh.cpp "xyz2llh: first estimate's latitude from atan2(z, p * (1 - e2))" \
  'double lat = std::atan2(num, 1.0 - e2);' \
  'double lat = std::atan2(z, p * (1.0 - e2));'
mutate core/xyz2llh.cpp "xyz2llh: refinement ends at 1e-3 m instead of 1e-4 m" \
  'static_cast<double>(1.0e-4f);' \
  'static_cast<double>(1.0e-3f);'
mutate core/xyz2llh.cpp "xyz2llh: polar-axis case dropped" \
  'if (p == 0.0 && z != 0.0 && !std::isnan(z)) {' \
  'if (false) {'
mutate core/wgs84.h "wgs84: flattening of GRS 80 (1/298.257222101)" \
  'constexpr double kF = 1.0 / 298.257223563;' \
  'constexpr double kF = 1.0 / 298.257222101;'
mutate ellipse/brisol.cpp "brisol: major-axis variance summed as a + (b + c)" \
  '(s11 * c2d + s21 * s2td) + s22 * s2d' \
  's11 * c2d + (s21 * s2td + s22 * s2d)'
mutate ellipse/brisol.cpp "brisol: minor-axis variance summed as (a + c) - b" \
  '(s11 * s2d - s21 * s2td) + s22 * c2d' \
  '(s11 * s2d + s22 * c2d) - s21 * s2td'
mutate ellipse/brisol.cpp "brisol: cosine squared in double" \
  'const float c2 = c * c;' \
  'const double c2 = static_cast<double>(c) * c;'
mutate ellipse/brisol.cpp "brisol: angle from atan2 in double" \
  'const float theta = 0.5f * std::atan2(x, d);' \
  'const float theta = static_cast<float>(0.5 * std::atan2(static_cast<double>(x), static_cast<double>(d)));'
mutate ellipse/brisol.cpp "brisol: exact radians per degree" \
  'constexpr double kRadPerDeg = 0.01745329;' \
  'constexpr double kRadPerDeg = 0.017453292519943295;'
mutate ellipse/brisol.cpp "brisol: unequal near-circular variances no longer give zero axes" \
  'if (s11 == s22) r = kScaleDouble * std::sqrt(s22);' \
  'r = kScaleDouble * std::sqrt(s22);'

say "$((SECONDS - started)) s for the changes"
if [ "$survived" -gt 0 ] || [ "$broken" -gt 0 ]; then
  say "FAILED: $survived change(s) survived, $broken could not be applied"
  exit 1
fi
say "every change was caught"
