// The program's icons: a dark tile with a small keyboard whose keys tell the
// state. 128: no keyboard (grey keys; also the window icon); 141: keyboard
// connected (keys in a colour sweep); 142: the keyboard's temporary state
// (amber keys and a badge).
#include <algorithm>
#include <cmath>

#include "dialog.h"

namespace keyloom::skin {
namespace {

enum class IconState { kAbsent, kPresent, kTemporary };

// Draws the icon of `n` pixels on a canvas `s` times larger. The design is
// on a 16-unit grid; edges are rounded to whole pixels of the final size so
// the small sizes stay crisp.
void DrawIcon(Canvas& c, int n, int s, IconState state) {
  const float u = n / 16.f;
  auto px = [&](float units) { return static_cast<int>(std::lround(units * u)) * s; };
  auto R = [&](float x, float y, float w, float h) {
    const int x0 = px(x), y0 = px(y);
    return Rect{x0, y0, px(x + w) - x0, px(y + h) - y0};
  };
  const float k = static_cast<float>(s);
  c.FillRoundRect(R(0, 0, 16, 16), 3.5f * u * k, Paint(Hex(0x262B34), Hex(0x14171C)));
  c.StrokeRoundRect(R(0, 0, 16, 16), 3.5f * u * k, std::max(1.f, 0.6f * u) * k, Hex(0x414957));
  const Colour sweep[] = {Hex(0x38B6FF), Hex(0x5E8BFF), Hex(0x8C6CFF), Hex(0xC25CF0), Hex(0xFF5FA2)};
  auto key_colour = [&](int column) {
    switch (state) {
      case IconState::kAbsent: return Hex(0x9098A6);
      case IconState::kPresent: return sweep[std::clamp(column, 0, 4)];
      case IconState::kTemporary: return Hex(0xFFB547);
    }
    return Hex(0xFFFFFF);
  };
  const float radius = 0.45f * u * k;
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 4; ++col)
      c.FillRoundRect(R(2.5f + col * 3.f, 4 + row * 3.f, 2, 2), radius, Paint(key_colour(col + row)));
  c.FillRoundRect(R(2.5f, 10, 2, 2), radius, Paint(key_colour(0)));
  c.FillRoundRect(R(5.5f, 10, 5, 2), radius, Paint(key_colour(2)));
  c.FillRoundRect(R(11.5f, 10, 2, 2), radius, Paint(key_colour(4)));
  if (state == IconState::kTemporary) {
    // A badge in the top corner, cut out of the tile by a dark ring.
    c.FillCircle(13.f * u * k, 3.f * u * k, 3.f * u * k, Hex(0x14171C));
    c.FillCircle(13.f * u * k, 3.f * u * k, 2.1f * u * k, Hex(0xFFB547));
  }
}

// Renders four times larger on black and on white; the difference gives the
// coverage, so edges keep their anti-aliasing as alpha.
RgbaImage RenderIcon(int n, IconState state) {
  const int s = 4;
  Canvas black(n * s, n * s, Hex(0x000000)), white(n * s, n * s, Hex(0xFFFFFF));
  DrawIcon(black, n, s, state);
  DrawIcon(white, n, s, state);
  const std::vector<uint8_t> b = black.Rgb(), w = white.Rgb();
  RgbaImage im{n, std::vector<uint8_t>(static_cast<size_t>(n) * n * 4)};
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      float sb[3] = {0, 0, 0}, alpha = 0;
      for (int sy = 0; sy < s; ++sy)
        for (int sx = 0; sx < s; ++sx) {
          const size_t i = (static_cast<size_t>(y * s + sy) * n * s + (x * s + sx)) * 3;
          float a = 0;
          for (int ch = 0; ch < 3; ++ch) {
            sb[ch] += b[i + ch];
            a += 255.f - (w[i + ch] - b[i + ch]);
          }
          alpha += a / 3.f;
        }
      alpha /= s * s;
      uint8_t* out = &im.rgba[(static_cast<size_t>(y) * n + x) * 4];
      for (int ch = 0; ch < 3; ++ch) {
        const float premultiplied = sb[ch] / (s * s);
        out[ch] = alpha > 0.f ? static_cast<uint8_t>(std::clamp(std::lround(premultiplied * 255.f / alpha), 0L, 255L)) : 0;
      }
      out[3] = static_cast<uint8_t>(std::clamp(std::lround(alpha), 0L, 255L));
    }
  return im;
}

Bytes IconFile(IconState state) {
  std::vector<RgbaImage> images;
  for (int n : {16, 24, 32, 48, 64, 256}) images.push_back(RenderIcon(n, state));
  return EncodeIco(images);
}

}  // namespace

FileSet IconFiles() {
  return {{"icons/icon128_no_keyboard.ico", IconFile(IconState::kAbsent)},
          {"icons/icon141_keyboard.ico", IconFile(IconState::kPresent)},
          {"icons/icon142_temporary.ico", IconFile(IconState::kTemporary)}};
}

}  // namespace keyloom::skin
