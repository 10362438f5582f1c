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
turned upright; PNG, WebP, TIFF and HEIF pictures become JPEG (quality 92), or BMP
when they have transparency. Sounds and music the audio library cannot open are
reported.

settings.ini, every key (booleans 1/0; "default" is the player's value for a missing
key, "written when absent" what tidepool-pack writes without a settings.ini):
  [General]
  ProductName=My Screensaver   ; text; the saver's name (quick start: the folder's name)
  Publisher=                   ; text; shown for <CompanyName> in the window texts
  Website=                     ; text; shown for <Website>
  [Default]
  Stretch=1                    ; boolean; fit pictures to the screen; default 1
  Proportional=1               ; boolean; keep proportions when fitting; default 0,
                               ;   written when absent 1
  Sound=1                      ; boolean; the packaged pictures' sounds; default 1
  Music=1                      ; boolean; play MusicFile; default: the value of Sound;
                               ;   written when absent 1 with music, else 0
  Random=1                     ; boolean; change pictures every Duration seconds; default 1
  Duration=10                  ; integer >= 1, seconds per picture; default 30,
                               ;   written when absent 10
  Transition=1                 ; boolean; transition effects between pictures; default 1
  TransitionTime=1500          ; integer, milliseconds per transition; default 2000,
                               ;   written when absent 1500
  TransitionEffects=1,2,3      ; effect numbers 1-169 separated by commas; default all
  Speed=100                    ; integer, animation speed in percent (10-500); default 100
  ShowImageMode=0              ; integer 0-3: 0 random, 1 in order, 2 random and 3 in
                               ;   order over the user's selection; default 0
  DirectX=0                    ; boolean; scaled full-screen drawing; default 0
  DirectXQuality=0             ; integer 0-2: 1024x768, 800x600, 640x480; default 0
  Zoom=0                       ; boolean; kept, not acted on; default 0
  LivingZoom=0                 ; boolean; kept, not acted on; default 0
  ZoomDuration=5               ; integer; kept, not acted on; default 5
  AutoWallpaper=0              ; boolean; kept, not acted on; default 0
  Animation=1                  ; boolean; kept, not acted on; default 1
  [Advance]
  MusicFile=song.mp3;other.ogg ; text; music files separated by ";" (names in files/);
                               ;   default empty
  MusicMode=0                  ; integer; 0 random order, other values list order; default 0
  PreviewFile=preview.jpg      ; text; JPEG for the host's preview window; default empty
  [Build]
  BuildMethod=2                ; integer; kept, not acted on; default 2
  BuildFileName=               ; text; kept, not acted on
  BuildSmallThumbs=1           ; boolean; kept, not acted on; default 1
  BuildIcon=                   ; text; kept, not acted on
  BuildInstall=                ; text; kept, not acted on
  CustomIcon=0                 ; boolean; kept, not acted on; default 0
)";

}  // namespace tp::pack
