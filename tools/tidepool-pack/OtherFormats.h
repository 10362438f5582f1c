#pragma once
// Decoders for picture formats the player does not read, used only to convert them while
// packing. Each throws PictureError on bad data, and when this build has no library for
// the format.
#include <string>
#include <string_view>

#include "imaging/Bitmap32.h"

namespace tp::pack {

Bitmap32 DecodeWebp(std::string_view bytes);
Bitmap32 DecodeTiff(std::string_view bytes);
Bitmap32 DecodeHeif(std::string_view bytes);

}  // namespace tp::pack
