#pragma once
// The wallpaper action: the current picture written as a BMP beside the saver and
// handed to the desktop.
#include <string>

namespace tp {

inline constexpr const char* kWallpaperQuestion =
    "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?";

// The saver's long path followed by ".bmp" (Lake.scr gives Lake.scr.bmp). When the
// saver's folder does not take new files: $XDG_DATA_HOME/tidepool/ (default
// ~/.local/share/tidepool/) + the saver's name + ".bmp".
std::string WallpaperBitmapPath();

// Writes the picture of a slideshow file (a packaged picture's full picture, or a plain
// picture at its own size) as a BMP file. The file is written beside bmpPath and renamed
// into place, so a link standing at bmpPath is replaced, never written through. False
// when the picture cannot be read or the file cannot be written.
bool SaveWallpaperBitmap(const std::string& picturePath, const std::string& bmpPath);

// What the user is told when the desktop's wallpaper could not be set from here.
std::string WallpaperNotSetMessage(const std::string& bmpPath);

}  // namespace tp
