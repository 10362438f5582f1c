#pragma once
// Decoders for picture formats the player does not read, used only to convert them while
// packing. Each throws PictureError on bad data, and when this build has no library for
// the format.
#include <string>

#include "imaging/Bitmap32.h"

namespace tp::pack {

Bitmap32 DecodeWebp(const std::string& bytes);
Bitmap32 DecodeTiff(const std::string& bytes);
Bitmap32 DecodeHeif(const std::string& bytes);

}  // namespace tp::pack
