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

# What goes in comes from cmake/sources.mk, the one list of sources: the
# modules (their help texts), and every folder that holds a listed source,
# plus host/ (the gateway helpers), each under its own name below src/,
# which the Makefile takes as the top of the tree (GEOMEX_INCLUDE): sources
# include headers by their path from there.
mk="$root/cmake/sources.mk"
# The words of the sources.mk lines whose names match the extended regular
# expression $1, one a line (continued lines joined, comments dropped).
mk_words() {
  sed -e ':a' -e '/\\$/{N;s/\\\n/ /;ba}' "$mk" | sed -e 's/#.*//' |
    sed -n -E "/^[[:space:]]*($1)[[:space:]]*:=/{s/^[^=]*=//;p}" | tr -s ' \t' '\n' | sed '/^$/d'
}
mapfile -t modules < <(mk_words 'GEOMEX_MODULES')
mapfile -t sources < <(mk_words '[A-Za-z0-9_]+_(SOURCES|MEX|OCT)')
mapfile -t folders < <( { printf '%s\n' "${sources[@]%/*}"; echo host; } | sort -u)
if [ ${#modules[@]} -eq 0 ] || [ ${#sources[@]} -eq 0 ]; then
  echo "package.sh: no modules or sources in $mk" >&2
  exit 1
fi

sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" \
  "$root/packaging/DESCRIPTION.in" > "$stage/DESCRIPTION"
cp "$root/packaging/INDEX" "$root/packaging/COPYING" "$root/packaging/NEWS" "$stage/"
for module in "${modules[@]}"; do
  if ! grep -Eq "^[[:space:]]+${module}[[:space:]]*$" "$root/packaging/INDEX"; then
    echo "package.sh: packaging/INDEX does not name the module $module" >&2
    exit 1
  fi
  cp "$root/help/$module.m" "$stage/inst/"
done
# The toolbox's functions, and its private ones below them.
mkdir -p "$stage/inst/private"
while read -r file; do cp "$root/$file" "$stage/inst/"; done < <(mk_words 'GEOMEX_TOOLBOX')
while read -r file; do cp "$root/$file" "$stage/inst/private/"; done < <(mk_words 'GEOMEX_TOOLBOX_PRIVATE')
cp "$root/docs/file-format.md" "$stage/doc/"
cp "$root/packaging/Makefile" "$mk" "$stage/src/"
shopt -s nullglob
for dir in "${folders[@]}"; do
  mkdir -p "$stage/src/$dir"
  files=("$root/$dir/"*.h "$root/$dir/"*.cpp)
  [ ${#files[@]} -eq 0 ] || cp "${files[@]}" "$stage/src/$dir/"
done
for needed in host/mexgate.h "${sources[@]}"; do
  if [ ! -f "$stage/src/$needed" ]; then
    echo "package.sh: $needed is missing from the tree" >&2
    exit 1
  fi
done

tar -C "$dist" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$epoch" -cf - "$name-$version" | gzip -9 -n > "$tarball"
rm -rf "$stage"
echo "$tarball"
