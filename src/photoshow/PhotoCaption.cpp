#include "photoshow/PhotoCaption.h"

#include "core/CodePage.h"
#include "core/TextUtil.h"
#include "platform/LocalDate.h"

namespace tp {

bool ParsePhotoCaptions(std::string_view text, PhotoCaptions& out) {
  const std::string t = LowerAscii(text);
  for (PhotoCaptions c : {PhotoCaptions::Off, PhotoCaptions::Date, PhotoCaptions::DateAndFolder})
    if (t == PhotoCaptionsName(c)) {
      out = c;
      return true;
    }
  return false;
}

const char* PhotoCaptionsName(PhotoCaptions captions) {
  switch (captions) {
    case PhotoCaptions::Off: return "off";
    case PhotoCaptions::Date: return "date";
    case PhotoCaptions::DateAndFolder: return "date+folder";
  }
  return "off";
}

std::string FolderName(std::string_view folder) {
  while (!folder.empty() && folder.back() == '/') folder.remove_suffix(1);
  const size_t slash = folder.rfind('/');
  return std::string(slash == std::string_view::npos ? folder : folder.substr(slash + 1));
}

std::string CaptionText(const LibraryPicture& picture, PhotoCaptions captions) {
  if (captions == PhotoCaptions::Off) return {};
  // A locale whose dates are not in UTF-8 has them replaced rather than drawn as garbage.
  std::string text = Utf8ForDisplay(LocalDateText(picture.taken));
  if (captions == PhotoCaptions::DateAndFolder) {
    const std::string name = Utf8ForDisplay(FolderName(picture.folder));
    if (!text.empty() && !name.empty()) text += " \u00B7 ";
    text += name;
  }
  return text;
}

}  // namespace tp
