#!/usr/bin/env bash
# Checks a built package the way Debian and the desktops check one:
#
#   scripts/check-package.sh build/release/tidepool_VERSION_ARCH.deb
#
#   lintian          no errors or warnings (on the .changes beside the package when there
#                    is one, so the debug symbols package and the build record are checked
#                    too, and on the source package beside it, which holds debian/); the
#                    informational and pedantic tags are listed
#   hardening        every compiled program is PIE, fully RELRO, BIND_NOW, and calls the
#                    stack protector and the fortified libc functions; every other program
#                    is a script with a #! line
#   desktop entries  desktop-file-validate says nothing
#   AppStream        appstreamcli validate --no-net passes; its release is the package's
#                    version
#   XML              the xscreensaver hack descriptions and the MIME type are well-formed
#   man pages        lexgrog reads their NAME line; man --warnings says nothing
#
# Every finding is printed; the exit status is 1 when any check failed.
set -uo pipefail

[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: $0 PACKAGE.deb" >&2; exit 2; }
deb=$1
failed=0
fail() { echo "check-package: FAIL: $*"; failed=1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || { echo "check-package: cannot unpack $deb" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)

# lintian refuses nothing for running as root but says so on every run; that line is noise.
targets=("$deb")
changes="${deb%.deb}.changes"
[ -f "$changes" ] && targets=("$changes")
dsc="$(dirname "$deb")/$(basename "$deb" | sed 's/_[^_]*\.deb$//').dsc"
if [ -f "$dsc" ]; then targets+=("$dsc"); else fail "no source package $dsc"; fi
lintian_out=$(lintian --fail-on error,warning --display-info --pedantic "${targets[@]}" 2>&1)
lintian_status=$?
lintian_out=$(grep -v '^running with root privileges is not recommended!$' <<<"$lintian_out" || true)
[ -n "$lintian_out" ] && printf '%s\n' "$lintian_out"
count() { grep -c "^$1: " <<<"$lintian_out" || true; }
echo "check-package: lintian: $(count E) errors, $(count W) warnings, $(count I) informational, $(count P) pedantic"
[ "$lintian_status" -eq 0 ] || fail "lintian"

for exe in "$root"/usr/bin/*; do
  name=${exe#"$root"}
  magic=$(head -c 4 "$exe" | od -An -c | tr -d ' ')
  if [ "$magic" != '177ELF' ]; then
    [ "$(head -c 2 "$exe")" = '#!' ] || fail "$name is neither a program nor a script"
    continue
  fi
  dynamic=$(readelf -dW "$exe")
  grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "$name is not PIE"
  grep -q 'BIND_NOW' <<<"$dynamic" || fail "$name is not BIND_NOW"
  readelf -lW "$exe" | grep -q GNU_RELRO || fail "$name has no RELRO segment"
  symbols=$(readelf --dyn-syms -W "$exe")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$name does not use the stack protector"
  grep -qE '__[a-z0-9_]+_chk(@| )' <<<"$symbols" || fail "$name calls no fortified function"
done

desktop_count=0
for entry in "$root"/usr/share/applications/*.desktop; do
  [ -e "$entry" ] || continue
  desktop_count=$((desktop_count + 1))
  out=$(desktop-file-validate "$entry" 2>&1)
  if [ $? -ne 0 ] || [ -n "$out" ]; then printf '%s\n' "$out"; fail "desktop-file-validate ${entry#"$root"}"; fi
done
[ "$desktop_count" -gt 0 ] || fail "no desktop entry"
echo "check-package: desktop-file-validate: $desktop_count entries"

metainfo_count=0
for info in "$root"/usr/share/metainfo/*.xml; do
  [ -e "$info" ] || continue
  metainfo_count=$((metainfo_count + 1))
  out=$(appstreamcli validate --no-net --no-color "$info" 2>&1) || { printf '%s\n' "$out"; fail "appstreamcli ${info#"$root"}"; }
  grep -E '^[EWIP]: ' <<<"$out" || true
  grep -q "<release version=\"$version\"" "$info" || fail "${info#"$root"} has no release $version"
done
[ "$metainfo_count" -gt 0 ] || fail "no AppStream metainfo in /usr/share/metainfo"
echo "check-package: appstreamcli: $metainfo_count components"

xml_count=0
for xml in "$root"/usr/share/xscreensaver/config/*.xml "$root"/usr/share/mime/packages/*.xml; do
  [ -e "$xml" ] || continue
  xml_count=$((xml_count + 1))
  xmllint --noout "$xml" || fail "xmllint ${xml#"$root"}"
done
[ -e "$root/usr/share/xscreensaver/config/tidepool.xml" ] || fail "no xscreensaver hack description"
echo "check-package: xmllint: $xml_count files"

man_count=0
for page in "$root"/usr/share/man/man*/*; do
  [ -e "$page" ] || continue
  man_count=$((man_count + 1))
  lexgrog "$page" >/dev/null || fail "lexgrog ${page#"$root"}"
  out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  if [ -n "$out" ]; then printf '%s\n' "$out"; fail "man --warnings ${page#"$root"}"; fi
done
for exe in "$root"/usr/bin/*; do
  [ -e "$root/usr/share/man/man1/$(basename "$exe").1.gz" ] || fail "$(basename "$exe") has no man page"
done
echo "check-package: man pages: $man_count pages"

if [ "$failed" -ne 0 ]; then
  echo "check-package: $deb FAILED"
  exit 1
fi
echo "check-package: $deb passes"
