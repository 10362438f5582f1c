#!/usr/bin/env bash
# Makes the demo saver and plays it. Every picture, sound and tune of the demo is made
# here with ImageMagick and sox; the packaged pictures are built with tidepool-mpp and the
# saver with tidepool-pack.
#
#   bash demo/run.sh [BUILD_DIR]
#
# With a desktop (DISPLAY or WAYLAND_DISPLAY set) the saver runs full screen (in an
# 800 x 600 window with DEMO_WINDOW=1): any key or click ends it. Without one (or with DEMO_HEADLESS=1) it runs on the headless backend
# for DEMO_SECONDS (default 20) of virtual time and leaves its frames, the event log and a
# contact sheet in build/demo/.
set -euo pipefail

build=${1:-build/release}
out=build/demo
seconds=${DEMO_SECONDS:-20}
player="$build/src/tidepool"
pack="$build/tools/tidepool-pack"
mpp="$build/tools/tidepool-mpp"
for tool in "$player" "$pack" "$mpp"; do
  [[ -x $tool ]] || { echo "demo: $tool is missing; build first (make build)" >&2; exit 1; }
done

rm -rf "$out"
src="$out/source"
project="$out/project"
mkdir -p "$src" "$project/files"
files="$project/files"

echo "demo: drawing the pictures"
# Evening lake: sky, sun, hills, and water in the lower part that mirrors and ripples.
convert -size 800x360 gradient:'#1d2b53-#f4a261' \
  -fill '#ffd166' -draw 'circle 560,250 560,205' \
  -fill '#2a4d3a' -draw 'polygon 0,360 0,250 120,200 260,270 380,215 520,290 660,230 800,280 800,360' \
  "$src/lake-top.png"
convert -size 800x240 gradient:'#274060-#0b1a2e' "$src/lake-water.png"
convert "$src/lake-top.png" "$src/lake-water.png" -append -quality 92 "$src/lake.jpg"
convert -size 800x360 xc:black -size 800x240 xc:'#0000FF' -append "$src/lake-mask.png"
# A swallow in two wing positions, on a background the object takes as transparent.
convert -size 40x24 xc:'#ff00ff' -stroke '#111111' -strokewidth 3 -fill none \
  -draw 'polyline 2,4 20,16 38,4' "$src/bird1.gif"
convert -size 40x24 xc:'#ff00ff' -stroke '#111111' -strokewidth 3 -fill none \
  -draw 'polyline 2,18 20,12 38,18' "$src/bird2.gif"
# One global colour map for both frames: the object looks its transparent colour up there.
convert -delay 15 -dispose background "$src/bird1.gif" "$src/bird2.gif" -loop 0 +map "$files/bird.gif"
# Winter field under falling snow.
convert -size 800x600 gradient:'#9fb4c7-#f1f5f9' \
  -fill '#e8eef3' -draw 'polygon 0,600 0,430 200,380 420,440 640,370 800,420 800,600' \
  -fill '#4b5d67' -draw 'polygon 150,400 175,300 200,400' -draw 'polygon 610,385 640,270 670,385' \
  -quality 92 "$src/winter.jpg"
# Harbour in the rain: grey water that ripples with no mirror.
convert -size 800x400 gradient:'#5b6770-#a7b0b6' \
  -fill '#3b4249' -draw 'rectangle 80,250 260,400' -draw 'rectangle 300,300 420,400' \
  -draw 'rectangle 520,220 700,400' "$src/harbour-top.png"
convert -size 800x200 gradient:'#47525a-#20272c' "$src/harbour-water.png"
convert "$src/harbour-top.png" "$src/harbour-water.png" -append -quality 92 "$src/harbour.jpg"
convert -size 800x400 xc:black -size 800x200 xc:'#FF00FF' -append "$src/harbour-mask.png"
# Plain pictures: one of each format the player reads.
convert -size 800x600 -seed 7 plasma:'#203a43-#2c5364' -blur 0x2 -quality 90 "$files/aurora.jpg"
convert -size 800x600 pattern:hexagons -fill '#e76f51' -opaque black -fill '#264653' -opaque white \
  -type TrueColor "BMP3:$files/tiles.bmp"
convert -size 800x600 radial-gradient:'#f4f1de-#3d405b' -colors 64 "$files/rings.gif"

echo "demo: making the sounds and the music"
sox -n -r 22050 -c 1 "$files/birds.wav" synth 0.12 sine 2800-3600 : synth 0.08 sine 3400-2600 \
  : synth 0.6 sine 1 vol 0 : synth 0.1 sine 3000-3900 gain -6
sox -n -r 22050 -c 1 "$files/rain.wav" synth 4 brownnoise gain -14 fade 0.3 4 0.3
sox -n -r 44100 -c 2 "$files/tune.wav" \
  synth 0.5 pluck C4 : synth 0.5 pluck E4 : synth 0.5 pluck G4 : synth 0.5 pluck C5 \
  : synth 0.5 pluck A4 : synth 0.5 pluck F4 : synth 0.5 pluck D4 : synth 1.0 pluck G4 \
  repeat 3 gain -4

echo "demo: packaging the water pictures"
cat > "$src/lake-objects.txt" <<'OBJ'
[Obj0]
ObjType=GIF
Filename=bird.gif
Width=40
Height=24
TransparentType=1
AnimSpeed=10
Motion=5
MotionSpeed=12
InitialDir=2
PosLeftType=1
PosTopType=0
PosLeft=0
PosTop=90
ObjFacing=1
Opacity=10
OBJ
cat > "$src/lake.ini" <<'INI'
[Picture]
Picture=lake.jpg
Mask=lake-mask.png
Name=Evening lake
Description=A lake at sunset that mirrors the sky
[Wave1]
Amplitude=5
WaveCount=17
WaveSpeed=15
Reflection=1
[Sound1]
File=birds.wav
PlayMode=1
ValueA=2
ValueB=5
[Animation]
File=lake-objects.txt
INI
cp "$files/bird.gif" "$src/"
cp "$files/birds.wav" "$src/"
cat > "$src/winter.ini" <<'INI'
[Picture]
Picture=winter.jpg
Name=Winter field
[Weather]
Kind=snow
ParticleCount=400
SpeedLevel=8
INI
cat > "$src/harbour.ini" <<'INI'
[Picture]
Picture=harbour.jpg
Mask=harbour-mask.png
Name=Harbour in the rain
[Wave2]
Amplitude=3
WaveCount=30
WaveSpeed=25
Reflection=1
[Weather]
Kind=rain
ParticleCount=300
SpeedLevel=14
Angle=10
LengthScale=3
[Sound1]
File=rain.wav
PlayMode=0
INI
"$mpp" "$src/lake.ini" "$files/lake.mpp"
"$mpp" "$src/winter.ini" "$files/winter.mpp"
"$mpp" "$src/harbour.ini" "$files/harbour.mpp"

cat > "$project/settings.ini" <<'INI'
[General]
ProductName=Tidepool Demo
Publisher=The Tidepool developers
Website=https://tidepool.example.org/
[Default]
Stretch=1
Proportional=1
Duration=4
Transition=1
TransitionTime=1500
ShowImageMode=1
Sound=1
Music=1
[Advance]
MusicFile=tune.wav
PreviewFile=aurora.jpg
INI
cp "$(dirname "$0")/MpGUI.mui" "$project/MpGUI.mui"
cat > "$project/filelist.ini" <<'INI'
[FileList]
lake.mpp=1
aurora.jpg=1
winter.mpp=1
tiles.bmp=1
harbour.mpp=1
rings.gif=1
INI
saver="$out/Tidepool-Demo.scr"
"$pack" --player "$player" "$project" "$saver"

if [[ -z ${DEMO_HEADLESS:-} && -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
  echo "demo: playing $saver (any key or click ends it)"
  if [[ -n ${DEMO_WINDOW:-} ]]; then exec "$saver" /s --window; fi
  exec "$saver" /s
fi

echo "demo: no desktop here; playing $seconds s on the headless backend"
mkdir -p "$out/frames"
TIDEPOOL_PLATFORM=headless TIDEPOOL_SCREEN=800x600 TIDEPOOL_RUN_MS=$((seconds * 1000)) \
  TIDEPOOL_EVENT_LOG="$out/events.log" TIDEPOOL_FRAME_LOG="$out/frames.log" \
  TIDEPOOL_FRAMES_DIR="$out/frames" TIDEPOOL_FRAMES_EVERY=${DEMO_FRAMES_EVERY:-15} \
  TMPDIR="$PWD/$out" "$saver" /s
count=$(find "$out/frames" -name '*.png' | wc -l)
montage "$out"/frames/*.png -tile 8x -geometry 200x150+2+2 -background '#202020' "$out/contact-sheet.png"
echo "demo: $(grep -c '^[0-9]* load ' "$out/events.log") pictures loaded, $(grep -c '^[0-9]* transition ' "$out/events.log") transitions"
echo "demo: $count frames in $out/frames, contact sheet $out/contact-sheet.png, events in $out/events.log"
