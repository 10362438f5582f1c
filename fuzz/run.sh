#!/usr/bin/env bash
# Runs every libFuzzer target of a build tree for a set time.
#   fuzz/run.sh BUILD_DIR SECONDS
# FUZZ_TARGETS (names such as "fuzz_png fuzz_gif") runs only those.
# Seed inputs are made here, by ImageMagick and by our own tools, into
# BUILD_DIR/fuzz-seeds/<target>/; the growing corpus lives in BUILD_DIR/fuzz-corpus/<target>/
# and crash inputs land in BUILD_DIR/fuzz-artifacts/. Exits non-zero when any target fails.
set -u
build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:-20}
bin="$build/fuzz"
seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
# tidepool-mpp and tidepool-pack make seeds: from TIDEPOOL_TOOLS_DIR, this build tree or
# another build tree of the repository (the fuzz tree itself builds only the targets).
tools=${TIDEPOOL_TOOLS_DIR:-}
if [ -z "$tools" ]; then
  for d in "$build/tools" "$(dirname "$build")/release/tools" "$(dirname "$build")/test/tools"; do
    if [ -x "$d/tidepool-mpp" ]; then tools=$d; break; fi
  done
fi
if [ -z "$tools" ]; then
  echo "note: no tidepool-mpp/tidepool-pack found; packaged picture and container seeds are the hand-made ones only"
  tools=/nonexistent
fi
mkdir -p "$seeds" "$corpus" "$artifacts"
# Targets that parse files keep their scratch files here, removed at the end.
export TMPDIR="$build/fuzz-tmp"
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"
trap 'rm -rf "$build/fuzz-tmp"' EXIT
# Undefined behaviour ends a run like a memory error does.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# Leaks the codec libraries make on damaged data are theirs, not the decoders' (fuzz/lsan.supp).
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0}

have_convert=0
command -v convert >/dev/null 2>&1 && have_convert=1

make_seeds() {
  local work
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  mkdir -p "$seeds"/{fuzz_bmp,fuzz_jpeg,fuzz_gif,fuzz_packaged_picture,fuzz_container,fuzz_ini,fuzz_settings}
  mkdir -p "$seeds"/{fuzz_png,fuzz_webp,fuzz_tiff,fuzz_heif,fuzz_jxl,fuzz_picture_facts}

  if [ "$have_convert" = 1 ]; then
    convert -size 13x7 gradient:red-blue "$work/src.png"
    convert "$work/src.png" -colors 2 -type palette -compress None BMP3:"$seeds/fuzz_bmp/p1.bmp"
    convert "$work/src.png" -colors 16 -type palette -compress None BMP3:"$seeds/fuzz_bmp/p4.bmp"
    convert "$work/src.png" -colors 64 -type palette -compress RLE BMP3:"$seeds/fuzz_bmp/rle8.bmp"
    convert "$work/src.png" -colors 64 -type palette BMP2:"$seeds/fuzz_bmp/core.bmp"
    convert "$work/src.png" -type truecolor BMP3:"$seeds/fuzz_bmp/t24.bmp"
    convert "$work/src.png" -define bmp:subtype=RGB565 BMP:"$seeds/fuzz_bmp/b565.bmp"
    convert "$work/src.png" -alpha set BMP:"$seeds/fuzz_bmp/argb.bmp"
    convert "$work/src.png" -quality 80 "$seeds/fuzz_jpeg/base.jpg"
    convert "$work/src.png" -interlace JPEG "$seeds/fuzz_jpeg/prog.jpg"
    convert "$work/src.png" -colorspace Gray "$seeds/fuzz_jpeg/grey.jpg"
    convert "$work/src.png" -colorspace CMYK "$seeds/fuzz_jpeg/cmyk.jpg"
    convert "$work/src.png" -depth 8 "$seeds/fuzz_png/rgb.png"
    convert "$work/src.png" -colorspace Gray -depth 16 "$seeds/fuzz_png/grey16.png"
    convert "$work/src.png" -alpha set -interlace PNG "$seeds/fuzz_png/interlaced.png"
    convert "$work/src.png" -colors 8 PNG8:"$seeds/fuzz_png/palette.png"
    convert "$work/src.png" -define webp:lossless=true "$seeds/fuzz_webp/lossless.webp"
    convert "$work/src.png" -quality 60 "$seeds/fuzz_webp/lossy.webp"
    convert "$work/src.png" -compress lzw "$seeds/fuzz_tiff/lzw.tif"
    convert "$work/src.png" -compress none -colorspace CMYK "$seeds/fuzz_tiff/cmyk.tif"
    convert "$work/src.png" "$work/src.png" -compress zip "$seeds/fuzz_tiff/pages.tif"
    convert "$work/src.png" -quality 50 "$seeds/fuzz_heif/p.heic" 2>/dev/null || true
    convert "$work/src.png" -quality 50 "$seeds/fuzz_heif/p.avif" 2>/dev/null || true
    if command -v cjxl >/dev/null 2>&1; then
      cjxl -d 0 "$work/src.png" "$seeds/fuzz_jxl/lossless.jxl" >/dev/null 2>&1 || true
      cjxl -d 2 "$work/src.png" "$seeds/fuzz_jxl/lossy.jxl" >/dev/null 2>&1 || true
      # Colour profiles as the JPEG XL tools write them: sRGB, Display P3, grey.
      mkdir -p "$seeds/fuzz_colour_profile"
      convert "$work/src.png" -colorspace Gray -depth 8 "$work/grey.png"
      cjxl -d 0 -x color_space=RGB_D65_DCI_Rel_SRG "$work/src.png" "$work/p3.jxl" >/dev/null 2>&1 || true
      cjxl -d 0 "$work/grey.png" "$work/grey.jxl" >/dev/null 2>&1 || true
      for j in lossless p3 grey; do
        f="$work/$j.jxl"; [ "$j" = lossless ] && f="$seeds/fuzz_jxl/lossless.jxl"
        djxl "$f" "$work/out.png" --icc_out="$seeds/fuzz_colour_profile/$j.icc" >/dev/null 2>&1 || true
      done
      # Pictures that carry the Display P3 profile, for the decoders' conversions.
      if [ -s "$seeds/fuzz_colour_profile/p3.icc" ]; then
        convert "$work/src.png" -profile "$seeds/fuzz_colour_profile/p3.icc" -depth 8 "$seeds/fuzz_png/p3.png"
        convert "$work/src.png" -profile "$seeds/fuzz_colour_profile/p3.icc" -depth 8 "$seeds/fuzz_tiff/p3.tif"
        convert "$work/src.png" -profile "$seeds/fuzz_colour_profile/p3.icc" -quality 80 "$seeds/fuzz_picture_facts/p3.jpg"
      fi
    fi
    # Facts: every container, with EXIF orientation and a colour profile where one goes.
    convert "$work/src.png" -orient RightTop -quality 80 "$seeds/fuzz_picture_facts/exif.jpg"
    cp "$seeds/fuzz_png/rgb.png" "$seeds/fuzz_webp/lossy.webp" "$seeds/fuzz_tiff/lzw.tif" "$seeds/fuzz_picture_facts/"
    convert "$work/src.png" -colors 16 "$seeds/fuzz_gif/still.gif"
    convert "$work/src.png" -interlace GIF "$seeds/fuzz_gif/interlaced.gif"
    convert -dispose None -delay 10 -size 8x8 xc:red -dispose Background -delay 20 -page +2+2 \
      -size 4x4 xc:blue -dispose Previous -page +1+1 \( -size 3x3 xc:none -fill lime \
      -draw 'point 1 1' \) -loop 0 "$seeds/fuzz_gif/anim.gif"
  fi

  # A packaged picture and a project container laid out here byte by byte, so fuzzing
  # starts from valid files even without the tools.
  i32() { local v=$(($1 & 0xFFFFFFFF)); printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)); }
  block() { printf "$(i32 "${#1}")"; printf '%s' "$1"; }
  fileblock() { printf "$(i32 "$(stat -c %s "$1")")"; cat "$1"; }
  wave() { printf "$(i32 6)$(i32 17)$(i32 15)$(i32 1)\\x00\\x01\\x01\\x00$(i32 360)$(i32 0)\\x00\\x01\\x00\\x00"; }
  if [ "$have_convert" = 1 ]; then
    convert -size 8x6 gradient:white-teal "$work/small.jpg"
    {
      printf 'Mp060697'; block Seed; block Lake; fileblock "$work/small.jpg"; printf "$(i32 4)"
      for _ in 1 2 3 4; do wave; done
      printf "$(i32 5)$(i32 8)$(i32 6)$(i32 240)$(i32 121)$(i32 120)"  # 8 x 6 mask: areas 0, 1, 0
      fileblock "$work/small.jpg"; block drip.wav
      printf "$(i32 1)$(i32 30)$(i32 10)$(i32 0)$(i32 1)$(i32 0)"  # snow
      head -c 2144 /dev/zero
      block '[Object1]'; block '[BuildScr],Filename=a.scr'; printf "$(i32 1)"; wave
    } >"$seeds/fuzz_packaged_picture/bytes.mpp"
  fi
  local marker='|NqSFTSPVSDF~'
  printf '[FileList]\r\na.mpp=1\r\n' >"$work/e1"
  printf '' >"$work/e2"
  printf '[UI]\r\nUIFile=x\r\n' >"$work/e3"
  printf 'a.mpp\r\n' >"$work/names"
  printf 'Mp060697' >"$work/a.mpp"
  { printf "$marker$(i32 3)"; fileblock "$work/e1"; fileblock "$work/e2"; fileblock "$work/e3"; } >"$work/settings"
  { printf "$marker$(i32 1)"; fileblock "$work/a.mpp"; } >"$work/files"
  { printf "player$marker$(i32 4)"; fileblock "$work/settings"; fileblock "$work/names"; fileblock "$work/files"
    block 'ui'; } >"$seeds/fuzz_container/bytes.bin"

  # Packaged pictures from our own tool: whole, and cut after items 10 and 12.
  if [ -x "$tools/tidepool-mpp" ] && [ "$have_convert" = 1 ]; then
    convert -size 24x16 gradient:orange-navy "$work/pic.jpg"
    convert -size 24x16 xc:black -fill '#0000FF' -draw 'rectangle 0,8 23,15' PNG24:"$work/mask.png"
    printf '[Object1]\nImage=duck.gif\n' >"$work/objects.txt"
    cat >"$work/m.ini" <<'INI'
[Picture]
Picture=pic.jpg
Mask=mask.png
Name=Seed
SingleSound=drip.wav
[Wave1]
Reflection=1
[Weather]
Kind=rain
ParticleCount=40
[Sound1]
File=birds.wav
PlayMode=1
ValueA=100
ValueB=900
[Animation]
File=objects.txt
[Build]
ScrFilename=Seed.scr
INI
    "$tools/tidepool-mpp" "$work/m.ini" "$seeds/fuzz_packaged_picture/full.mpp"
    "$tools/tidepool-mpp" --stop-after 10 "$work/m.ini" "$seeds/fuzz_packaged_picture/to10.mpp"
    "$tools/tidepool-mpp" --stop-after 12 "$work/m.ini" "$seeds/fuzz_packaged_picture/to12.mpp"
  fi

  # A project container from our packing tool (without the player in front).
  if [ -x "$tools/tidepool-pack" ]; then
    mkdir -p "$work/proj/files"
    printf '[General]\r\nProductName=Seed\r\n[Default]\r\nDuration=5\r\n' >"$work/proj/settings.ini"
    printf 'abc' >"$work/proj/files/a.jpg"
    printf 'de' >"$work/proj/files/b.mpp"
    printf 'Object MainWindow: TfmMpCOnfigWindow\r\nend\r\n' >"$work/proj/MpGUI.mui"
    # The files are not real pictures: a list naming other ones keeps them out of the
    # picture checks, so they are packed as they are.
    printf '[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nmissing.mpp=1\r\n' >"$work/proj/filelist.ini"
    "$tools/tidepool-pack" --no-player --build-entry "$work/proj" "$seeds/fuzz_container/project.bin" >/dev/null 2>&1
  fi
  # The saver reader of the packing tool reads the same containers.
  mkdir -p "$seeds/fuzz_saver_contents"
  cp "$seeds"/fuzz_container/* "$seeds/fuzz_saver_contents/" 2>/dev/null

  # A small show for the whole-file target: a plain picture and a packaged one with an
  # object and snow, settings that change pictures quickly with a transition.
  mkdir -p "$seeds/fuzz_saver_file"
  if [ -x "$tools/tidepool-pack" ] && [ -x "$tools/tidepool-mpp" ] && [ "$have_convert" = 1 ]; then
    mkdir -p "$work/show/files"
    convert -size 16x12 gradient:red-blue "$work/show/files/a.jpg"
    convert -size 4x4 xc:yellow "$work/show/files/sprite.bmp"
    convert -delay 5 -size 3x3 xc:red xc:lime "$work/show/files/blink.gif"
    printf '[Obj0]\r\nObjType=IMG\r\nFilename=sprite.bmp\r\nMotion=1\r\n[Obj1]\r\nObjType=GIF\r\nFilename=blink.gif\r\nMotion=2\r\n' \
      >"$work/show-objects.txt"
    printf '[Picture]\nPicture=pic.jpg\nMask=mask.png\n[Weather]\nKind=snow\nParticleCount=20\n[Animation]\nFile=show-objects.txt\n' \
      >"$work/show.ini"
    "$tools/tidepool-mpp" "$work/show.ini" "$work/show/files/b.mpp" 2>/dev/null ||
      "$tools/tidepool-mpp" "$work/m.ini" "$work/show/files/b.mpp"
    printf '[General]\r\nProductName=Seed\r\n[Default]\r\nDuration=1\r\nTransition=1\r\nTransitionTime=100\r\n' \
      >"$work/show/settings.ini"
    printf '[FileList]\r\nb.mpp=1\r\na.jpg=1\r\n' >"$work/show/filelist.ini"
    if [ -f demo/MpGUI.mui ]; then cp demo/MpGUI.mui "$work/show/MpGUI.mui"; else
      printf '1\r\n2\r\nobject MainWindow: TForm\r\nend\r\n' >"$work/show/MpGUI.mui"; fi
    "$tools/tidepool-pack" --no-player "$work/show" "$seeds/fuzz_saver_file/show.bin" >/dev/null
  fi
  cp "$seeds/fuzz_container/"*.bin "$seeds/fuzz_saver_file/" 2>/dev/null

  local ini='[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nb.mpp=1\r\na.mpp=0\r\n[General]\r\nProductName=Lake\r\n[Default]\r\nSound=0\r\nDuration=abc\r\nTransitionEffects=1,2,3\r\n[Advance]\r\nMusicFile=a.mp3;b.mid\r\n[UI]\r\nUIFile=x.mui\r\n'
  printf "$ini" >"$seeds/fuzz_ini/project.ini"
  printf '; note\n[S]\nA = " quoted "\nB=0x10\n[s]\nA=second\n' >"$seeds/fuzz_ini/odd.ini"
  printf "$ini" >"$seeds/fuzz_settings/project.ini"
  printf '[Setting]\r\nImageSize=2\r\nImageMode=3\r\nIndex=1\r\nSpeed=20\r\nCustomMusic=1\r\nShuffleMusic=0\r\n[Files]\r\n0=\r\n[MusicList]\r\n/m/a.mp3=\r\n' \
    >"$seeds/fuzz_settings/user.ini"
  printf '[BuildScr],Filename=,MusicFile=,Music=0,Sound=1,,[BuildExe],Filename=,MusicFile=,Music=0,Sound=1,' \
    >"$seeds/fuzz_settings/build.txt"

  # The two files that name a default picture folder.
  mkdir -p "$seeds/fuzz_xscreensaver_settings" "$seeds/fuzz_user_dirs"
  printf 'timeout:\t0:10:00\nmode:\t\trandom\nimageDirectory:\t~/Photos\nprograms:\t\t\t\t\\\n  maze -root \\n\\\n' \
    >"$seeds/fuzz_xscreensaver_settings/xscreensaver"
  printf '# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_PICTURES_DIR="$HOME/Pictures"\nXDG_MUSIC_DIR="/srv/m \\"x\\""\n' \
    >"$seeds/fuzz_user_dirs/user-dirs.dirs"

  # The demo's configuration window description, whole and its first form alone.
  mkdir -p "$seeds/fuzz_form_text"
  if [ -f demo/MpGUI.mui ]; then
    cp demo/MpGUI.mui "$seeds/fuzz_form_text/demo.mui"
    sed -n "3,$((2 + $(sed -n 2p demo/MpGUI.mui | tr -d '\r')))p" demo/MpGUI.mui >"$seeds/fuzz_form_text/main-form.txt"
  fi
  printf 'object Form1: TForm\r\n  Caption = \x27Hi\x27\r\n  object B: TButton\r\n    Left = 8\r\n  end\r\nend\r\n' \
    >"$seeds/fuzz_form_text/small.txt"
}

make_seeds

status=0
found=0
for target in "$bin"/fuzz_*; do
  [ -x "$target" ] || continue
  found=1
  name=$(basename "$target")
  if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $name "* ]]; then continue; fi
  mkdir -p "$corpus/$name" "$seeds/$name"
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2560 -timeout=30 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "$corpus/$name" "$seeds/$name" >"$artifacts/$name.log" 2>&1; then
    echo "!! $name failed; see $artifacts/$name.log"
    tail -n 40 "$artifacts/$name.log"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$artifacts/$name.log" | tail -n 2
  fi
done
if [ "$found" = 0 ]; then
  echo "no fuzz targets in $bin (configure with -DTIDEPOOL_BUILD_FUZZ=ON and clang)"
  exit 1
fi
exit $status
