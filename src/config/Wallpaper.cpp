#include "config/Wallpaper.h"

#include "config/MpPreview.h"
#include "core/FileSystem.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "project/PackagedPicture.h"
#include "project/ProjectLoader.h"

namespace tp {

std::string WallpaperBitmapPath() { return SaverPath() + ".bmp"; }

bool SaveWallpaperBitmap(const std::string& picturePath, const std::string& bmpPath) {
  if (!FileExists(picturePath) || bmpPath.empty()) return false;
  try {
    Bitmap32 picture;
    if (IsPackagedPicturePath(picturePath)) {
      TProject packaged;
      if (!packaged.LoadPackagedPicture(picturePath)) return false;
      picture = std::move(packaged.picture);
    } else {
      picture = LoadImageFile(picturePath);
    }
    if (picture.empty()) return false;
    WriteBmpFile(picture, bmpPath);
    return true;
  } catch (const std::exception&) {
    // A picture that does not decode or a file that cannot be written leaves the desktop alone.
    return false;
  }
}

}  // namespace tp
