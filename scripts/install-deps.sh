#!/usr/bin/env bash
# Installs the Debian 12 packages a task needs, and nothing more.
#
#   scripts/install-deps.sh GROUP...
#
#   runtime  what the built player needs to run: Qt 6 (X11 and Wayland), SDL2_mixer,
#            the picture libraries
#   build    runtime + compiler, CMake, Ninja and the development headers
#   demo     build + ImageMagick and sox, which draw and sound the demo saver
#   test     demo + package + GoogleTest, Xvfb, Weston and the tools that check the package
#            (lintian, desktop-file-validate, appstreamcli, xmllint, man, the MIME database)
#   bench    demo + Google Benchmark and Xvfb (the player on a real X display)
#   fuzz     build + clang with its sanitizer and libFuzzer runtimes
#   package  build + the tools `make package` runs (dpkg-buildpackage, debhelper)
#   music    the General MIDI sound font that MIDI music needs at run time
#   all      every group
#
# Without a group it installs "all". Idempotent: does nothing when everything is present.
set -euo pipefail

declare -A GROUP=(
  [runtime]="libjpeg62-turbo libgif7 libpixman-1-0 libpng16-16 libqt6widgets6 libqt6gui6 libqt6opengl6 libqt6openglwidgets6 qt6-wayland
             libsdl2-2.0-0 libsdl2-mixer-2.0-0 libx11-6 libxext6 libexif12 libturbojpeg0 libwebp7 libtiff6 libheif1 libjxl0.7
             libsqlite3-0 liblcms2-2 libharfbuzz0b libfreetype6 libfontconfig1"
  [build]="build-essential cmake ninja-build pkg-config ccache git
           libjpeg62-turbo-dev libgif-dev libpixman-1-dev libpng-dev zlib1g-dev
           libexif-dev libturbojpeg0-dev libwebp-dev libtiff-dev libheif-dev libjxl-dev libsqlite3-dev
           liblcms2-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev
           qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libxkbcommon-dev
           libsdl2-dev libsdl2-mixer-dev libx11-dev libxext-dev"
  [demo]="imagemagick sox"
  [test]="libgtest-dev libgmock-dev xvfb xauth libgl1-mesa-dri weston lintian desktop-file-utils appstream
          libxml2-utils man-db shared-mime-info libjpeg-turbo-progs libjxl-tools libheif-examples
          fonts-dejavu-core"
  [bench]="libbenchmark-dev xvfb xauth libjpeg-turbo-progs libheif-examples webp netpbm libtiff-tools libjxl-tools"
  [fuzz]="clang libclang-rt-14-dev llvm"
  [package]="debhelper dpkg-dev file"
  [music]="fluid-soundfont-gm"
)
# Groups a group builds on.
declare -A NEEDS=(
  [runtime]="" [build]="runtime" [demo]="build" [test]="demo package" [bench]="demo" [fuzz]="build"
  [package]="build" [music]="" [all]="runtime build demo test bench fuzz package music"
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(all)

declare -A chosen=()
add_group() {
  local g=$1
  if [ -z "${NEEDS[$g]+x}" ]; then
    echo "install-deps: unknown group '$g' (runtime build demo test bench fuzz package music all)" >&2
    exit 2
  fi
  [ -n "${chosen[$g]+x}" ] && return
  chosen[$g]=1
  local n
  for n in ${NEEDS[$g]}; do add_group "$n"; done
}
for g in "${groups[@]}"; do add_group "$g"; done

missing=()
for g in "${!chosen[@]}"; do
  for p in ${GROUP[$g]:-}; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
