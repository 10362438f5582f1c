#pragma once
// The wallpaper action: the current picture written as a BMP beside the saver and
// handed to the desktop.
#include <string>

namespace tp {

inline constexpr const char* kWallpaperQuestion =
    "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?";

// The saver's long path followed by ".bmp" (Lake.scr gives Lake.scr.bmp).
std::string WallpaperBitmapPath();

// Writes the picture of a slideshow file (a packaged picture's full picture, or a plain
// picture at its own size) as a BMP file. False when it cannot be read or written.
bool SaveWallpaperBitmap(const std::string& picturePath, const std::string& bmpPath);

}  // namespace tp
