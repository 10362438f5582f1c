// BMP reading (1, 4, 8, 16, 24, 32 bits; uncompressed, bit fields, RLE4, RLE8; bottom-up
// and top-down; core, info and v2-v5 headers).
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/import/ImageLoader.h"

namespace tp {

namespace {

constexpr long long kMaxBmpPixels = 64LL * 1024 * 1024;

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

[[noreturn]] void Fail(const char* what) { throw ImageDecodeError(std::string("Corrupt BMP: ") + what); }

// One channel of a bit-field pixel, scaled to 8 bits by repeating its bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint8_t Get(uint32_t px) const {
    if (!mask) return 0;
    uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    uint32_t out = 0;
    int have = 0;
    while (have < 8) {
      out = (out << bits) | v;
      have += bits;
    }
    return uint8_t(out >> (have - 8));
  }
};

// Expands RLE data into one index per pixel (bottom-up row order of the file). Pixels the
// stream skips stay index 0; runs past a row's end or the picture's end are cut.
void DecodeRle(const uint8_t* p, const uint8_t* end, int width, int height, bool rle4,
               std::vector<uint8_t>& idx) {
  idx.assign(size_t(width) * size_t(height), 0);
  int x = 0, y = 0;
  auto put = [&](uint8_t v) {
    if (x < width && y < height) idx[size_t(y) * size_t(width) + size_t(x)] = v;
    ++x;
  };
  while (p + 1 < end && y < height) {
    const int count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count && x < width; ++i)
        put(rle4 ? uint8_t((i & 1) ? (value & 0x0F) : (value >> 4)) : uint8_t(value));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta
      if (p + 1 >= end) break;
      x += p[0];
      y += p[1];
      p += 2;
    } else {  // absolute run of `value` pixels, padded to 16 bits
      const int n = value;
      const size_t bytes = rle4 ? size_t((n + 1) / 2) : size_t(n);
      const size_t padded = (bytes + 1) & ~size_t(1);
      if (size_t(end - p) < bytes) Fail("RLE run past the end of data");
      for (int i = 0; i < n; ++i) {
        const uint8_t b = p[rle4 ? i / 2 : i];
        if (x < width) put(rle4 ? uint8_t((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      p += std::min(padded, size_t(end - p));
    }
  }
}

}  // namespace

Bitmap32 DecodeBmp(const uint8_t* data, size_t size) {
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') Fail("not a BMP file");
  const uint32_t offBits = U32(data + 10);
  const uint8_t* h = data + 14;
  const uint32_t headerSize = U32(h);
  if (headerSize < 12 || headerSize > size - 14) Fail("bad header size");
  int64_t width, height;
  uint32_t bpp, compression = 0, colorsUsed = 0;
  bool core = headerSize < 16;
  if (core) {
    width = int16_t(U16(h + 4));
    height = int16_t(U16(h + 6));
    bpp = U16(h + 10);
  } else {
    if (headerSize < 16) Fail("bad header size");
    width = int32_t(U32(h + 4));
    height = int32_t(U32(h + 8));
    bpp = headerSize >= 16 ? U16(h + 14) : 0;
    if (headerSize >= 20) compression = U32(h + 16);
    if (headerSize >= 36) colorsUsed = U32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      width * height > kMaxBmpPixels)
    Fail("bad picture size");
  const int w = int(width), hgt = int(height);

  // Bit fields: inside v2+ headers, or right after a 40-byte header.
  size_t after = 14 + headerSize;
  uint32_t masks[4] = {0, 0, 0, 0};
  bool haveMasks = false;
  if (compression == 3 || compression == 6) {
    const int n = compression == 6 ? 4 : 3;
    if (headerSize >= 52) {
      for (int i = 0; i < 4 && 40 + 4 * i + 4 <= int(headerSize); ++i) masks[i] = U32(h + 40 + 4 * i);
      if (compression == 3 && headerSize < 56) masks[3] = 0;
    } else {
      if (size < after + size_t(4 * n)) Fail("bit fields past the end");
      for (int i = 0; i < n; ++i) masks[i] = U32(data + after + 4 * i);
      after += size_t(4 * n);
    }
    haveMasks = true;
  } else if (headerSize >= 56 && bpp == 32 && compression == 0) {
    // v4/v5 headers carry an alpha mask even for plain 32-bit pictures; plain 32-bit
    // pixels stay opaque (the fourth byte is unused there).
  }

  // Palette.
  std::vector<Pixel> palette;
  if (bpp <= 8) {
    if (bpp != 1 && bpp != 4 && bpp != 8) Fail("unsupported bit depth");
    const size_t entrySize = core ? 3 : 4;
    size_t n = colorsUsed ? colorsUsed : (size_t(1) << bpp);
    if (n > 256) n = 256;
    const size_t avail = after < size ? (size - after) / entrySize : 0;
    if (offBits > after) n = std::min(n, size_t(offBits - after) / entrySize);
    n = std::min(n, avail);
    palette.assign(size_t(1) << bpp, MakePixel(0, 0, 0, 255));
    // A colour count above the depth's palette size lists entries no pixel can use.
    for (size_t i = 0; i < n && i < palette.size(); ++i) {
      const uint8_t* e = data + after + i * entrySize;
      palette[i] = MakePixel(e[2], e[1], e[0], 255);
    }
    after += n * entrySize;
  } else if (bpp != 16 && bpp != 24 && bpp != 32) {
    Fail("unsupported bit depth");
  }
  size_t pixelOffset = offBits >= 14 + headerSize && offBits < size ? offBits : after;
  if (pixelOffset >= size) Fail("no pixel data");
  const uint8_t* pix = data + pixelOffset;
  const uint8_t* end = data + size;

  auto rowOf = [&](int fileRow) { return topDown ? fileRow : hgt - 1 - fileRow; };

  if (compression == 1 || compression == 2) {
    if ((compression == 1 && bpp != 8) || (compression == 2 && bpp != 4)) Fail("RLE with wrong bit depth");
    if (topDown) Fail("top-down RLE");
    std::vector<uint8_t> idx;
    DecodeRle(pix, end, w, hgt, compression == 2, idx);
    Bitmap32 out(w, hgt);
    for (int fy = 0; fy < hgt; ++fy) {
      Pixel* row = out.scanline(rowOf(fy));
      const uint8_t* in = &idx[size_t(fy) * size_t(w)];
      for (int x = 0; x < w; ++x) row[x] = palette[in[x]];
    }
    return out;
  }
  if (compression != 0 && compression != 3 && compression != 6) Fail("unsupported compression");
  if (haveMasks && bpp != 16 && bpp != 32) Fail("bit fields with wrong bit depth");

  const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
  if (size_t(end - pix) / stride < size_t(hgt)) {
    // The last row may lack its padding; anything shorter is truncated data.
    if (size_t(end - pix) < stride * size_t(hgt - 1) + (size_t(w) * bpp + 7) / 8) Fail("pixel data truncated");
  }
  // Allocated only once the file is known to hold every row.
  Bitmap32 out(w, hgt);
  if (!haveMasks) {
    if (bpp == 16) {
      masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
    } else if (bpp == 32) {
      masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF;
    }
  }
  const Channel cr(masks[0]), cg(masks[1]), cb(masks[2]), ca(masks[3]);
  for (int fy = 0; fy < hgt; ++fy) {
    const uint8_t* in = pix + size_t(fy) * stride;
    Pixel* row = out.scanline(rowOf(fy));
    switch (bpp) {
      case 1:
        for (int x = 0; x < w; ++x) row[x] = palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < w; ++x) row[x] = palette[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
        break;
      case 8:
        for (int x = 0; x < w; ++x) row[x] = palette[in[x]];
        break;
      case 24:
        for (int x = 0; x < w; ++x) row[x] = MakePixel(in[3 * x + 2], in[3 * x + 1], in[3 * x], 255);
        break;
      case 16:
      case 32:
        for (int x = 0; x < w; ++x) {
          const uint32_t v = bpp == 16 ? U16(in + 2 * x) : U32(in + 4 * x);
          row[x] = MakePixel(cr.Get(v), cg.Get(v), cb.Get(v), masks[3] ? ca.Get(v) : 255);
        }
        break;
    }
  }
  return out;
}

}  // namespace tp
