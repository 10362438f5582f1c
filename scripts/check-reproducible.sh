#!/usr/bin/env bash
# Builds the package a second time and compares it byte for byte with one already built:
#
#   scripts/check-reproducible.sh WORK_DIR build/release/tidepool_VERSION_ARCH.deb
#
# The second build runs in WORK_DIR (another folder than the first), later, without the
# compiler cache (every object is compiled afresh), in another time zone and with another
# umask. The packages (and their debug symbols packages) must be identical, and no
# program may hold the path of either source tree. On a difference the script names the
# members and files that differ.
set -uo pipefail

[ $# -eq 2 ] && [ -f "$2" ] || { echo "usage: $0 WORK_DIR PACKAGE.deb" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
first=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
mkdir -p "$1"
work=$(cd "$1" && pwd)
out="$work/out"
rm -rf "$out"

start=$(date +%s)
(umask 0002 && TZ=Etc/GMT-14 CCACHE_DISABLE=1 bash "$here/build-package.sh" "$work" "$out") || exit 1
echo "check-reproducible: second build took $(( $(date +%s) - start )) s"

failed=0
for name in "$(basename "$first")" "$(basename "$first" | sed 's/^tidepool_/tidepool-dbgsym_/')"; do
  a="$(dirname "$first")/$name"
  b="$out/$name"
  [ -f "$a" ] || { echo "check-reproducible: FAIL: $a is missing"; failed=1; continue; }
  [ -f "$b" ] || { echo "check-reproducible: FAIL: $b is missing"; failed=1; continue; }
  differing=$(cmp -l "$a" "$b" 2>/dev/null | wc -l)
  size_a=$(stat -c %s "$a")
  size_b=$(stat -c %s "$b")
  echo "check-reproducible: $name: $size_a and $size_b bytes, $differing bytes differ"
  if [ "$size_a" -ne "$size_b" ] || [ "$differing" -ne 0 ]; then
    failed=1
    ra=$(mktemp -d) rb=$(mktemp -d)
    dpkg-deb -R "$a" "$ra" && dpkg-deb -R "$b" "$rb"
    diff <(dpkg-deb -c "$a") <(dpkg-deb -c "$b") | head -n 40
    diff -rq --no-dereference "$ra" "$rb" | sed "s|$ra|A|; s|$rb|B|" | head -n 40
    rm -rf "$ra" "$rb"
  fi
done

# Neither build's folder may show in the programs (debug information is mapped to ".").
root=$(mktemp -d)
dpkg-deb -x "$first" "$root"
src_root=$(cd "$here/.." && pwd)
for exe in "$root"/usr/bin/*; do
  for path in "$src_root" "$work"; do
    if grep -qaF "$path" "$exe"; then
      echo "check-reproducible: FAIL: ${exe#"$root"} holds the path $path"
      failed=1
    fi
  done
done
rm -rf "$root"

if [ "$failed" -ne 0 ]; then
  echo "check-reproducible: the two builds differ; the second is in $out"
  exit 1
fi
rm -rf "$out"
echo "check-reproducible: the two builds are identical"
