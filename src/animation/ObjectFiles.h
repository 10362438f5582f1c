#pragma once
// Where animation objects look for their picture files: the path as stored, else the
// common folder's "images" subfolder (matched without regard to case).
#include <cstdint>
#include <string>

namespace tp {

// The common folder (with or without a trailing separator); empty means none.
void SetObjectCommonFolder(std::string folder);
std::string ObjectCommonFolder();

// When filename names no file, it becomes the common folder's images/ + its bare name
// (the real name when one matches without regard to case). True when filename then
// names an existing file.
bool ResolveObjectFile(std::string& filename);

// Windows colour value (0x00BBGGRR; system colours 0x800000nn resolved to the classic
// defaults) as an opaque pixel.
uint32_t ColorRefToPixel(int32_t color);

}  // namespace tp
