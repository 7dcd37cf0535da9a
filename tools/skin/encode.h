// Picture files in memory: the skin's JPEG, PNG and BMP pictures and the
// program's icons. No format written here carries a time stamp, so equal
// pictures give equal bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "raster.h"

namespace keyloom::skin {

using Bytes = std::vector<uint8_t>;

Bytes EncodeJpeg(const Canvas& c, int quality);
Bytes EncodePng(const Canvas& c);
// 24-bit uncompressed, bottom-up rows.
Bytes EncodeBmp(const Canvas& c);

// A picture with straight (not premultiplied) alpha, for icons.
struct RgbaImage {
  int size = 0;                 // square
  std::vector<uint8_t> rgba;    // size * size * 4, rows top to bottom
};
// An .ico file: sizes up to 64 as 32-bit DIBs with their AND masks, larger
// ones as PNG.
Bytes EncodeIco(const std::vector<RgbaImage>& images);

}  // namespace keyloom::skin
