#!/usr/bin/env bash
# Builds the Octave package geodesy-mex from this tree:
#   <build>/dist/geodesy-mex-<version>.tar.gz
# which `pkg install` builds and installs (help texts, modules, self-tests).
# <build> is $BUILD_DIR, or build/ by default; the version is the project's.
# Needs only bash, tar and gzip: the modules are compiled at `pkg install`.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
name=geodesy-mex

version="$(sed -n 's/^project([^)]*VERSION[[:space:]]\{1,\}\([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
if [ -z "$version" ]; then
  echo "package.sh: no project version in CMakeLists.txt" >&2
  exit 1
fi

# The date and file times of the last commit keep the tarball reproducible.
if epoch="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" && [ -n "$epoch" ]; then
  :
else
  epoch="$(date +%s)"
fi
date="$(date -u -d "@$epoch" +%Y-%m-%d)"

dist="$build/dist"
stage="$dist/$name-$version"
tarball="$dist/$name-$version.tar.gz"
rm -rf "$stage" "$tarball"
mkdir -p "$stage/inst" "$stage/src" "$stage/doc"

sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" \
  "$root/packaging/DESCRIPTION.in" > "$stage/DESCRIPTION"
cp "$root/packaging/INDEX" "$root/packaging/COPYING" "$root/packaging/NEWS" "$stage/"
cp "$root/help/brisol.m" "$root/help/tosqumg.m" "$stage/inst/"
cp "$root/docs/file-format.md" "$stage/doc/"
cp "$root/packaging/Makefile" "$stage/src/"
shopt -s nullglob
for dir in host ellipse reader; do
  mkdir -p "$stage/src/$dir"
  files=("$root/$dir/"*.h "$root/$dir/"*.cpp)
  [ ${#files[@]} -eq 0 ] || cp "${files[@]}" "$stage/src/$dir/"
done
for needed in host/mexgate.h host/mexversion.cpp ellipse/brisol_gateway.cpp reader/tosqumg_gateway.cpp; do
  if [ ! -f "$stage/src/$needed" ]; then
    echo "package.sh: $needed is missing from the tree" >&2
    exit 1
  fi
done

tar -C "$dist" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$epoch" -cf - "$name-$version" | gzip -9 -n > "$tarball"
rm -rf "$stage"
echo "$tarball"
