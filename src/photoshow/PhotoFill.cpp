#include "photoshow/PhotoFill.h"

#include <string>

#include "core/TextUtil.h"

namespace tp {

bool ParsePhotoFill(std::string_view text, PhotoFill& out) {
  const std::string t = LowerAscii(text);
  for (PhotoFill fill : {PhotoFill::Blur, PhotoFill::Bars, PhotoFill::Crop})
    if (t == PhotoFillName(fill)) {
      out = fill;
      return true;
    }
  return false;
}

const char* PhotoFillName(PhotoFill fill) {
  switch (fill) {
    case PhotoFill::Blur: return "blur";
    case PhotoFill::Bars: return "bars";
    case PhotoFill::Crop: return "crop";
  }
  return "blur";
}

}  // namespace tp
