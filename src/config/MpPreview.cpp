#include "config/MpPreview.h"

#include <QResizeEvent>

#include "config/FormValues.h"
#include "core/FileSystem.h"
#include "core/TextUtil.h"
#include "imaging/import/ImageLoader.h"
#include "project/PackagedPicture.h"

namespace tp {

bool IsPackagedPicturePath(const std::string& path) { return EndsWithIgnoreCase(path, ".MPP"); }

bool IsPlainPicturePath(const std::string& path) {
  return EndsWithIgnoreCase(path, ".JPG") || EndsWithIgnoreCase(path, ".BMP") ||
         EndsWithIgnoreCase(path, ".GIF");
}

QImage LoadSlideshowPicture(const std::string& path) {
  if (!FileExists(path)) return QImage();
  try {
    if (IsPackagedPicturePath(path)) {
      TProject packaged;
      if (!packaged.LoadPackagedPicture(path)) return QImage();
      return ToQImage(packaged.picture, false);
    }
    if (IsPlainPicturePath(path)) return ToQImage(LoadImageFile(path), false);
  } catch (const std::exception&) {
    // A corrupt picture shows as an empty one; the window goes on.
  }
  return QImage();
}

TMpPreview::TMpPreview(QWidget* parent) : FormImage(parent) { SetStretch(true); }

void TMpPreview::SetPicture(const std::string& path) {
  file_ = path;
  source_ = LoadSlideshowPicture(path);
  Rescale();
}

void TMpPreview::Rescale() {
  QSize size(std::max(1, width()), std::max(1, height()));
  if (source_.isNull()) {
    QImage empty(size, QImage::Format_RGB32);
    empty.fill(Qt::black);
    FormImage::SetPicture(empty);
  } else {
    FormImage::SetPicture(source_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  }
}

void TMpPreview::resizeEvent(QResizeEvent* e) {
  FormImage::resizeEvent(e);
  if (!file_.empty()) Rescale();
}

}  // namespace tp
