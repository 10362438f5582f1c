#pragma once
// A HEIF file's count of items (pictures, tiles, metadata), read from its boxes before the
// library sees the file: the library's reading grows with the square of that count, so a
// file of tens of thousands of tiny tiles would hold a decoder for minutes.
#include <cstddef>
#include <cstdint>

namespace tp {

// More than any camera writes: a 200-megapixel photo in 512-pixel tiles has under 800.
constexpr uint32_t kMaxHeifItems = 1024;

// The entry count of the item information box inside the top-level meta box; 0 when the
// file has none (the library then refuses it itself).
uint32_t HeifItemCount(const uint8_t* data, size_t size);

// Throws ImageDecodeError for a file of more than kMaxHeifItems items.
void CheckHeifItemCount(const uint8_t* data, size_t size);

}  // namespace tp
