#include "config/Wallpaper.h"

#include <cstdlib>

#include "config/MpPreview.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/SafeFile.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "project/PackagedPicture.h"
#include "project/ProjectLoader.h"

namespace tp {

std::string WallpaperBitmapPath() {
  const std::string beside = SaverPath() + ".bmp";
  if (FolderIsWritable(DirectoryOf(beside))) return beside;
  std::string data;
  if (const char* d = std::getenv("XDG_DATA_HOME"); d && *d == '/') data = d;
  else if (const char* h = std::getenv("HOME"); h && *h) data = std::string(h) + "/.local/share";
  if (data.empty()) return beside;
  return JoinPath(JoinPath(data, "tidepool"), BareFileName(beside));
}

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
    const std::vector<uint8_t> bytes = EncodeBmp(picture);
    if (!MakeFolders(DirectoryOf(bmpPath))) return false;
    return ReplaceFileAtomically(bmpPath, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const std::exception&) {
    // A picture that does not decode leaves the desktop alone.
    return false;
  }
}

std::string WallpaperNotSetMessage(const std::string& bmpPath) {
  return "This desktop's wallpaper cannot be set from here.\r\nThe picture was saved as " + bmpPath +
         "; choose it in the desktop's own settings.";
}

}  // namespace tp
