#pragma once
// TMpPreview: an image control that shows one picture of the project, always stretched
// to exactly the control's size (resampled once per picture change).
#include <QString>

#include "config/FormWidgets.h"

namespace tp {

class TMpPreview : public FormImage {
  Q_OBJECT
 public:
  explicit TMpPreview(QWidget* parent = nullptr);

  // Shows the picture of path: a packaged picture's full picture, or a plain JPEG, BMP or
  // GIF file. Missing, unreadable and other files give an empty picture of the control's size.
  void SetPicture(const std::string& path);
  const std::string& File() const { return file_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Rescale();
  std::string file_;
  QImage source_;
};

// The picture of a slideshow file at its own size (packaged pictures fully loaded). A
// null image when the file is missing, of another kind or does not decode.
QImage LoadSlideshowPicture(const std::string& path);
bool IsPackagedPicturePath(const std::string& path);
bool IsPlainPicturePath(const std::string& path);

}  // namespace tp
