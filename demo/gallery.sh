#!/usr/bin/env bash
# Writes the effect gallery: every transition effect at 25, 50 and 75 % between two
# pictures drawn here with ImageMagick, and an index.html contact page with the effect
# numbers and names, for choosing the numbers of the "TransitionEffects" setting.
# Usage: demo/gallery.sh [BUILD_DIR [OUT_DIR]]   (make gallery: BUILD_DIR build/release)
set -euo pipefail
build=${1:-build/release}
out=${2:-$build/gallery}
render=$build/tools/tidepool-render
if [ ! -x "$render" ]; then
  echo "gallery: $render is not built (run: make build)" >&2
  exit 1
fi
mkdir -p "$out"
args=()
old=$out/old-picture.jpg
new=$out/new-picture.jpg
# The old picture: a landscape under a blue sky with a sun. The new picture: a warm
# evening with rings. Both carry a triangle in the top-left corner, so mirrored and
# turned frames can be told apart.
if command -v convert >/dev/null 2>&1 &&
  convert -size 640x480 gradient:'#0b3d91-#8fd3ff' \
    -fill '#ffe066' -draw 'circle 470,110 520,110' \
    -fill '#2e7d32' -draw 'polygon 0,480 0,330 150,250 320,350 460,270 640,340 640,480' \
    -fill '#1b5e20' -draw 'polygon 0,480 0,420 220,360 420,430 640,390 640,480' \
    -fill white -draw 'polygon 20,20 110,20 20,110' \
    -quality 92 "$old" &&
  convert -size 640x480 gradient:'#ff9a3c-#b3124a' \
    -fill none -stroke '#ffe9b0' -strokewidth 14 \
    -draw 'circle 320,240 320,100' -draw 'circle 320,240 320,180' \
    -stroke none -fill '#3a0d2e' -draw 'rectangle 0,400 640,480' \
    -fill '#101010' -draw 'polygon 20,20 110,20 20,110' \
    -quality 92 "$new"; then
  args=(--old "$old" --new "$new")
else
  echo "gallery: ImageMagick could not draw the pictures; using the built-in test patterns"
fi
"$render" --gallery "$out" --size 320x240 "${args[@]}"
echo "gallery: open $out/index.html"
