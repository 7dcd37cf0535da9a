#include "encode.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace keyloom::skin {
namespace {

void Append(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  const auto* p = static_cast<const uint8_t*>(data);
  out->insert(out->end(), p, p + size);
}

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

Bytes PngOf(int w, int h, int comp, const uint8_t* data) {
  Bytes out;
  stbi_write_png_compression_level = 9;
  stbi_write_png_to_func(Append, &out, w, h, comp, data, w * comp);
  return out;
}

// BITMAPINFOHEADER with doubled height, BGRA rows bottom-up, then the AND mask
// (1 bit per pixel, rows padded to 4 bytes; set where fully transparent).
Bytes DibOf(const RgbaImage& im) {
  const int n = im.size;
  Bytes b;
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(n));
  Put32(b, static_cast<uint32_t>(2 * n));
  Put16(b, 1);
  Put16(b, 32);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) {
      const uint8_t* p = &im.rgba[(static_cast<size_t>(y) * n + x) * 4];
      b.push_back(p[2]);
      b.push_back(p[1]);
      b.push_back(p[0]);
      b.push_back(p[3]);
    }
  const int row_bytes = ((n + 31) / 32) * 4;
  for (int y = n - 1; y >= 0; --y) {
    Bytes row(static_cast<size_t>(row_bytes), 0);
    for (int x = 0; x < n; ++x)
      if (im.rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

}  // namespace

Bytes EncodeJpeg(const Canvas& c, int quality) {
  Bytes out;
  const std::vector<uint8_t> rgb = c.Rgb();
  stbi_write_jpg_to_func(Append, &out, c.width(), c.height(), 3, rgb.data(), quality);
  return out;
}

Bytes EncodePng(const Canvas& c) {
  const std::vector<uint8_t> rgb = c.Rgb();
  return PngOf(c.width(), c.height(), 3, rgb.data());
}

Bytes EncodeBmp(const Canvas& c) {
  Bytes out;
  const std::vector<uint8_t> rgb = c.Rgb();
  stbi_write_bmp_to_func(Append, &out, c.width(), c.height(), 3, rgb.data());
  return out;
}

Bytes EncodeIco(const std::vector<RgbaImage>& images) {
  std::vector<Bytes> bodies;
  for (const RgbaImage& im : images)
    bodies.push_back(im.size > 64 ? PngOf(im.size, im.size, 4, im.rgba.data()) : DibOf(im));
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int n = images[i].size;
    out.push_back(static_cast<uint8_t>(n >= 256 ? 0 : n));
    out.push_back(static_cast<uint8_t>(n >= 256 ? 0 : n));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (const Bytes& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

}  // namespace keyloom::skin
