#pragma once
// A JPEG photo whose EXIF orientation is not "normal", stored upright: turned without
// loss where its size allows, else decoded, turned and encoded again at the quality it
// was saved with, its other EXIF data kept.
#include <string>
#include <string_view>

namespace tp::pack {

struct UprightPhoto {
  bool turned = false;  // false: too large to turn; stored as it is
  bool lossless = false;
  int quality = 0;      // of the re-encoding
  std::string bytes;
};

// orientation 2-8. Throws PictureError when the photo is damaged.
UprightPhoto TurnPhotoUpright(std::string_view jpeg, int orientation);

}  // namespace tp::pack
