#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root or through sudo) and builds
# the modules and tests into build/.  Sourced by demo.sh and test.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

say() { printf '==> %s\n' "$*"; }
. "$root/scripts/lib/packages.sh"

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
command -v octave-cli >/dev/null 2>&1 || missing+=(octave)
command -v mkoctfile >/dev/null 2>&1 || missing+=(liboctave-dev)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
# readsinex: gzip through zlib, Unix compress through libarchive; the unit
# tests link LAPACK (the modules use the host's).
[ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
[ -f /usr/include/archive.h ] || missing+=(libarchive-dev)
ls /usr/lib/*/liblapack.so >/dev/null 2>&1 || missing+=(liblapack-dev)
for extra in ${GEOMEX_EXTRA_PACKAGES:-}; do
  dpkg -s "$extra" >/dev/null 2>&1 || missing+=("$extra")
done

if [ ${#missing[@]} -gt 0 ]; then
  say "installing missing packages: ${missing[*]}"
  install_packages "${missing[@]}"
else
  say "all build packages present"
fi

say "configuring in $build"
# Warnings are errors here (and so in CI), whatever an earlier configure chose.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGEOMEX_WERROR=ON >/dev/null
say "building"
cmake --build "$build" -j "$(nproc)" >/dev/null
say "modules in $build/mex"
