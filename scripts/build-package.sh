#!/usr/bin/env bash
# Builds the Debian package with dpkg-buildpackage out of a copy of the source tree, so
# that nothing is written beside the repository.
#
#   scripts/build-package.sh WORK_DIR OUT_DIR
#
# The copy goes to WORK_DIR/tidepool-VERSION, dpkg-buildpackage writes its results to
# WORK_DIR, and the packages (tidepool_VERSION_ARCH.deb and its -dbgsym) with the
# .buildinfo and .changes files are moved to OUT_DIR, with the source package
# (tidepool_VERSION.dsc and .tar.xz) made from the same copy. The copy holds the tracked files and
# the untracked ones git does not ignore, so uncommitted work is packaged too.
#
# SOURCE_DATE_EPOCH is the last commit's time (outside git: the changelog's date), and every
# file of the copy gets that time, so two builds of one commit give the same bytes. JOBS (default 2) is the build's parallelism.
# The compiler cache of the caller is used unless CCACHE_DISABLE=1. The copy is removed after
# a successful build unless KEEP_BUILD_TREE=1.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 WORK_DIR OUT_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1" "$2"
work=$(cd "$1" && pwd)
out=$(cd "$2" && pwd)
jobs=${JOBS:-2}

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(Tidepool VERSION \([^ )]*\).*/\1/p' "$root/CMakeLists.txt")
if [ "${version%%-*}" != "$project_version" ]; then
  echo "build-package: debian/changelog is at $version, CMakeLists.txt at $project_version" >&2
  exit 1
fi

src="$work/tidepool-$version"
rm -rf "$src"
mkdir -p "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
     while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
     tar --null -T - -cf -) | tar -C "$src" -xf -
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
  fi
else
  (cd "$root" && tar --exclude=./build -cf - .) | tar -C "$src" -xf -
fi
# dpkg-deb lowers newer times to SOURCE_DATE_EPOCH but keeps older ones, so the copy's files
# all get that time: the package then does not depend on when the tree was checked out.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)
  export SOURCE_DATE_EPOCH
fi
find "$src" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# debhelper gives the build a fresh HOME; the caller's compiler cache is kept by name.
if [ -z "${CCACHE_DIR:-}" ] && command -v ccache >/dev/null; then
  CCACHE_DIR=$(ccache -k cache_dir 2>/dev/null || true)
  [ -n "$CCACHE_DIR" ] && export CCACHE_DIR
fi
# A cache that rewrites paths (a base folder, the working folder left out of its key) would
# give objects whose debugging paths differ from an uncached build's.
unset CCACHE_BASEDIR CCACHE_NOHASHDIR

arch=$(dpkg-architecture -q DEB_HOST_ARCH)
log="$work/build.log"
echo "build-package: building tidepool $version ($arch) in $src"
if ! (cd "$work" && dpkg-source -b "tidepool-$version") >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
if ! (cd "$src" && dpkg-buildpackage -us -uc -b -j"$jobs") >>"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "build-package: dpkg-buildpackage failed; the whole log is $log" >&2
  exit 1
fi
[ "${KEEP_BUILD_TREE:-}" = 1 ] || rm -rf "$src"

for f in "tidepool_${version}_${arch}.deb" "tidepool-dbgsym_${version}_${arch}.deb" \
         "tidepool_${version}_${arch}.buildinfo" "tidepool_${version}_${arch}.changes" \
         "tidepool_${version}.dsc" "tidepool_${version}.tar.xz"; do
  if [ -e "$work/$f" ]; then mv -f "$work/$f" "$out/$f"; fi
done
[ -e "$out/tidepool_${version}_${arch}.deb" ] || { echo "build-package: no package was made" >&2; exit 1; }
echo "build-package: $out/tidepool_${version}_${arch}.deb"
