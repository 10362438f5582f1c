#pragma once
// What a folder show writes under each picture: nothing, the date it was taken, or the
// date and the name of its folder.
#include <string>
#include <string_view>

#include "library/PictureLibrary.h"

namespace tp {

enum class PhotoCaptions { Off, Date, DateAndFolder };

// "off", "date" or "date+folder" in any case; false for anything else.
bool ParsePhotoCaptions(std::string_view text, PhotoCaptions& out);
const char* PhotoCaptionsName(PhotoCaptions captions);

// The last component of a folder's path (trailing slashes ignored); "" for the root.
std::string FolderName(std::string_view folder);

// The caption of a picture as UTF-8 that is safe to draw and to log (bad bytes and control
// characters replaced): its date taken in the user's locale and time zone, then with
// DateAndFolder " · " and its folder's name. "" when off.
std::string CaptionText(const LibraryPicture& picture, PhotoCaptions captions);

}  // namespace tp
