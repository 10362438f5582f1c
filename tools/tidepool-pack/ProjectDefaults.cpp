#include "tidepool-pack/ProjectDefaults.h"

namespace tp::pack {

std::string DefaultSettingsText(const std::string& productName, const std::vector<std::string>& musicNames) {
  std::string music;
  for (const std::string& m : musicNames) music += (music.empty() ? "" : ";") + m;
  std::string t = "[General]\r\nProductName=" + productName + "\r\n";
  t += "[Default]\r\nStretch=1\r\nProportional=1\r\nDuration=10\r\nTransition=1\r\nTransitionTime=1500\r\n"
       "Random=1\r\nShowImageMode=0\r\n";
  t += std::string("Music=") + (musicNames.empty() ? "0" : "1") + "\r\n";
  if (!musicNames.empty()) t += "[Advance]\r\nMusicFile=" + music + "\r\nMusicMode=0\r\n";
  return t;
}

const char* const kProjectHelp = R"(
A project folder holds:
  settings.ini   the author's settings (below); when absent, one with the defaults
                 marked "written when absent" is packed
  filelist.ini   [FileList] one key per picture, value 1 or 0; when absent every
                 picture of files/ (.jpg .jpeg .bmp .gif .mpp .png .webp .tif .tiff
                 .heic .heif) in name order
  ui.ini         [UI] UIFile=MpGUI.mui (optional)
  MpGUI.mui      the description of the configuration window (optional)
  build.res      the tool's own extra settings entry, kept from an unpacked saver
                 (optional; the player does not read it)
  files/         pictures, packaged pictures, sounds and music, packed under their names
Texts written in UTF-8 are stored in the projects' code page (Windows-1252).

Every picture of the list is decoded while packing: a damaged one stops the packing
(or is left out with --skip-bad); a JPEG photo with an EXIF orientation is stored
turned upright, without loss where its size allows; PNG, WebP, TIFF, HEIF and JPEG XL
pictures become JPEG (quality 92), or BMP when they have transparency. Sounds and music the audio library cannot open are
reported.

settings.ini, every key with its type, range and default ("default" is the player's
value for a missing key, "written when absent" what is packed without a settings.ini);
booleans are 1 or 0, lines starting with ";" are comments:
  [General]
  ; text: the saver's name (quick start: the folder's name); default "My Screensaver"
  ProductName=My Holiday
  ; text: replaces <CompanyName> in the window texts; default empty
  Publisher=
  ; text: replaces <Website> in the window texts; default empty
  Website=
  [Default]
  ; boolean: fit pictures to the screen; default 1
  Stretch=1
  ; boolean: keep the proportions when fitting; default 0, written when absent 1
  Proportional=1
  ; boolean: play the packaged pictures' sounds; default 1
  Sound=1
  ; boolean: play MusicFile; default the value of Sound, written when absent 1 with music
  Music=1
  ; boolean: change pictures every Duration seconds; default 1
  Random=1
  ; integer, seconds each picture stays; default 30, written when absent 10
  Duration=10
  ; boolean: transition effects between pictures; default 1
  Transition=1
  ; integer, milliseconds per transition; default 2000, written when absent 1500
  TransitionTime=1500
  ; effect numbers 1 to 169, comma-separated; default all of them
  TransitionEffects=1,5,12,40
  ; integer, animation speed in percent (10 to 500); default 100
  Speed=100
  ; integer 0 to 3: 0 random, 1 in order, 2 random and 3 in order over the user's own
  ; selection of pictures; default 0
  ShowImageMode=0
  ; boolean: scaled full-screen drawing; default 0
  DirectX=0
  ; integer 0 to 2, its working size: 1024 x 768, 800 x 600, 640 x 480; default 0
  DirectXQuality=0
  ; booleans and an integer that are kept but not acted on; defaults 0, 0, 5, 0, 1
  Zoom=0
  LivingZoom=0
  ZoomDuration=5
  AutoWallpaper=0
  Animation=1
  [Advance]
  ; text: music files of files/ separated by ";"; default empty
  MusicFile=song.mp3;rain.ogg
  ; integer: 0 plays the music in random order, anything else in list order; default 0
  MusicMode=0
  ; text: a JPEG of files/ for the host's preview window; default empty
  PreviewFile=preview.jpg
  [Build]
  ; kept, not acted on: integer (default 2), text, boolean (default 1), text, text,
  ; boolean (default 0)
  BuildMethod=2
  BuildFileName=
  BuildSmallThumbs=1
  BuildIcon=
  BuildInstall=
  CustomIcon=0
)";

}  // namespace tp::pack
