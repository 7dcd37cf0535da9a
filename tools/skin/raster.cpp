#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

namespace keyloom::skin {
namespace {

float Clamp01(float v) { return v < 0.f ? 0.f : (v > 1.f ? 1.f : v); }

// Signed distance from (px, py) to a rounded rectangle (negative inside).
float RoundRectDistance(float px, float py, const Rect& r, float radius) {
  const float hw = r.w * 0.5f, hh = r.h * 0.5f;
  const float cx = r.x + hw, cy = r.y + hh;
  radius = std::min(radius, std::min(hw, hh));
  const float qx = std::fabs(px - cx) - (hw - radius);
  const float qy = std::fabs(py - cy) - (hh - radius);
  const float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.f) - radius;
}

Rect Clip(const Rect& r, int w, int h) {
  const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int x1 = std::min(r.right(), w), y1 = std::min(r.bottom(), h);
  return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

Rect Bounds(float x0, float y0, float x1, float y1) {
  const int ix0 = static_cast<int>(std::floor(x0)) - 1, iy0 = static_cast<int>(std::floor(y0)) - 1;
  const int ix1 = static_cast<int>(std::ceil(x1)) + 1, iy1 = static_cast<int>(std::ceil(y1)) + 1;
  return {ix0, iy0, ix1 - ix0, iy1 - iy0};
}

}  // namespace

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height, fill) {}

Colour Canvas::At(int x, int y) const {
  x = std::clamp(x, 0, width_ - 1);
  y = std::clamp(y, 0, height_ - 1);
  return px_[static_cast<size_t>(y) * width_ + x];
}

void Canvas::Blend(int x, int y, Colour c, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.f) return;
  Colour& d = px_[static_cast<size_t>(y) * width_ + x];
  alpha = Clamp01(alpha);
  d = Mix(d, c, alpha);
}

template <typename Coverage>
void Canvas::Shade(const Rect& bounds, const Paint& p, const Rect& paint_rect, float alpha, Coverage cov) {
  const Rect b = Clip(bounds, width_, height_);
  for (int y = b.y; y < b.bottom(); ++y) {
    Colour c = p.top;
    if (p.gradient && paint_rect.h > 0)
      c = Mix(p.top, p.bottom, Clamp01((y + 0.5f - paint_rect.y) / static_cast<float>(paint_rect.h)));
    for (int x = b.x; x < b.right(); ++x) {
      const float a = cov(x + 0.5f, y + 0.5f);
      if (a > 0.f) Blend(x, y, c, a * alpha);
    }
  }
}

void Canvas::FillRect(const Rect& r, const Paint& p) { FillRoundRect(r, 0.f, p); }

void Canvas::FillRoundRect(const Rect& r, float radius, const Paint& p, float alpha) {
  Shade(r, p, r, alpha, [&](float x, float y) {
    return Clamp01(0.5f - RoundRectDistance(x, y, r, radius));
  });
}

void Canvas::StrokeRoundRect(const Rect& r, float radius, float width, Colour c, float alpha) {
  Shade(r, Paint(c), r, alpha, [&](float x, float y) {
    const float d = RoundRectDistance(x, y, r, radius);
    return Clamp01(0.5f - d) - Clamp01(0.5f - (d + width));
  });
}

void Canvas::FillCircle(float cx, float cy, float radius, Colour c, float alpha) {
  Shade(Bounds(cx - radius, cy - radius, cx + radius, cy + radius), Paint(c), {}, alpha,
        [&](float x, float y) { return Clamp01(0.5f - (std::hypot(x - cx, y - cy) - radius)); });
}

void Canvas::StrokeCircle(float cx, float cy, float radius, float width, Colour c, float alpha) {
  Shade(Bounds(cx - radius, cy - radius, cx + radius, cy + radius), Paint(c), {}, alpha, [&](float x, float y) {
    const float d = std::hypot(x - cx, y - cy) - radius;
    return Clamp01(0.5f - d) - Clamp01(0.5f - (d + width));
  });
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, Colour c, float alpha) {
  const float hw = width * 0.5f;
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = dx * dx + dy * dy;
  Shade(Bounds(std::min(x0, x1) - hw, std::min(y0, y1) - hw, std::max(x0, x1) + hw, std::max(y0, y1) + hw),
        Paint(c), {}, alpha, [&](float x, float y) {
          float t = len2 > 0.f ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0.f;
          t = Clamp01(t);
          const float d = std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - hw;
          return Clamp01(0.5f - d);
        });
}

void Canvas::FillPolygon(const std::vector<std::pair<float, float>>& pts, Colour c, float alpha) {
  if (pts.size() < 3) return;
  float minx = pts[0].first, maxx = minx, miny = pts[0].second, maxy = miny;
  for (const auto& [x, y] : pts) {
    minx = std::min(minx, x), maxx = std::max(maxx, x);
    miny = std::min(miny, y), maxy = std::max(maxy, y);
  }
  auto inside = [&](float x, float y) {
    bool in = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      const auto [xi, yi] = pts[i];
      const auto [xj, yj] = pts[j];
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
  };
  Shade(Bounds(minx, miny, maxx, maxy), Paint(c), {}, alpha, [&](float x, float y) {
    int n = 0;
    for (int sy = 0; sy < 4; ++sy)
      for (int sx = 0; sx < 4; ++sx)
        if (inside(x - 0.5f + (sx + 0.5f) / 4.f, y - 0.5f + (sy + 0.5f) / 4.f)) ++n;
    return n / 16.f;
  });
}

void Canvas::Glow(const Rect& r, float radius, float blur, Colour c, float alpha) {
  const int pad = static_cast<int>(std::ceil(blur)) + 1;
  const Rect bounds{r.x - pad, r.y - pad, r.w + 2 * pad, r.h + 2 * pad};
  Shade(bounds, Paint(c), {}, alpha, [&](float x, float y) {
    const float d = RoundRectDistance(x, y, r, radius);
    if (d <= 0.f) return 1.f;
    const float t = Clamp01(1.f - d / blur);
    return t * t;
  });
}

void Canvas::Paste(const Canvas& src, int x, int y) {
  for (int sy = 0; sy < src.height_; ++sy)
    for (int sx = 0; sx < src.width_; ++sx) {
      const int dx = x + sx, dy = y + sy;
      if (dx < 0 || dy < 0 || dx >= width_ || dy >= height_) continue;
      px_[static_cast<size_t>(dy) * width_ + dx] = src.px_[static_cast<size_t>(sy) * src.width_ + sx];
    }
}

Canvas Canvas::Crop(const Rect& r) const {
  Canvas out(r.w, r.h, Colour{});
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) out.px_[static_cast<size_t>(y) * r.w + x] = At(r.x + x, r.y + y);
  return out;
}

Canvas Canvas::ShiftedBy(int dx, int dy) const {
  Canvas out(width_, height_, Colour{});
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) out.px_[static_cast<size_t>(y) * width_ + x] = At(x + dx, y + dy);
  return out;
}

std::vector<uint8_t> Canvas::Rgb() const {
  std::vector<uint8_t> out;
  out.reserve(px_.size() * 3);
  auto byte = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.f)); };
  for (const Colour& c : px_) {
    out.push_back(byte(c.r));
    out.push_back(byte(c.g));
    out.push_back(byte(c.b));
  }
  return out;
}

// ---- Text -------------------------------------------------------------------

std::u32string Utf8ToCodepoints(std::string_view s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

struct Font::Impl {
  std::vector<unsigned char> data;
  stbtt_fontinfo info{};
  float Scale(float size) const { return stbtt_ScaleForMappingEmToPixels(&info, size); }
};

Font::Font(const std::string& path) : impl_(new Impl) {
  std::ifstream in(path, std::ios::binary);
  impl_->data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (impl_->data.empty() || !stbtt_InitFont(&impl_->info, impl_->data.data(), 0)) {
    std::fprintf(stderr, "cannot load font %s\n", path.c_str());
    std::exit(2);
  }
}

Font::~Font() { delete impl_; }

float Font::Ascent(float size) const {
  int a, d, g;
  stbtt_GetFontVMetrics(&impl_->info, &a, &d, &g);
  return a * impl_->Scale(size);
}

float Font::Descent(float size) const {
  int a, d, g;
  stbtt_GetFontVMetrics(&impl_->info, &a, &d, &g);
  return -d * impl_->Scale(size);
}

float Font::Measure(std::string_view utf8, float size, float tracking) const {
  const float scale = impl_->Scale(size);
  const std::u32string cps = Utf8ToCodepoints(utf8);
  float x = 0;
  for (size_t i = 0; i < cps.size(); ++i) {
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&impl_->info, static_cast<int>(cps[i]), &adv, &lsb);
    x += adv * scale;
    if (i + 1 < cps.size()) {
      x += stbtt_GetCodepointKernAdvance(&impl_->info, static_cast<int>(cps[i]), static_cast<int>(cps[i + 1])) * scale;
      x += tracking;
    }
  }
  return x;
}

void Font::Draw(Canvas& c, std::string_view utf8, float x, float baseline, float size, Colour colour,
                float tracking, float alpha) const {
  const float scale = impl_->Scale(size);
  const std::u32string cps = Utf8ToCodepoints(utf8);
  const int base_y = static_cast<int>(std::floor(baseline));
  const float shift_y = baseline - base_y;
  std::vector<unsigned char> bitmap;
  for (size_t i = 0; i < cps.size(); ++i) {
    const int cp = static_cast<int>(cps[i]);
    const int ix = static_cast<int>(std::floor(x));
    const float shift_x = x - ix;
    int x0, y0, x1, y1;
    stbtt_GetCodepointBitmapBoxSubpixel(&impl_->info, cp, scale, scale, shift_x, shift_y, &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w > 0 && h > 0) {
      bitmap.assign(static_cast<size_t>(w) * h, 0);
      stbtt_MakeCodepointBitmapSubpixel(&impl_->info, bitmap.data(), w, h, w, scale, scale, shift_x, shift_y, cp);
      for (int by = 0; by < h; ++by)
        for (int bx = 0; bx < w; ++bx) {
          const float cov = bitmap[static_cast<size_t>(by) * w + bx] / 255.f;
          // A little darker than linear coverage: light text on a dark ground
          // reads thin otherwise.
          if (cov > 0.f) c.Blend(ix + x0 + bx, base_y + y0 + by, colour, std::pow(cov, 0.85f) * alpha);
        }
    }
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&impl_->info, cp, &adv, &lsb);
    x += adv * scale;
    if (i + 1 < cps.size()) {
      x += stbtt_GetCodepointKernAdvance(&impl_->info, cp, static_cast<int>(cps[i + 1])) * scale;
      x += tracking;
    }
  }
}

void Font::DrawIn(Canvas& c, const Rect& r, std::string_view utf8, float size, Colour colour, Align align,
                  float tracking, float alpha) const {
  const float w = Measure(utf8, size, tracking);
  float x = r.x;
  if (align == Align::kCentre) x = r.x + (r.w - w) * 0.5f;
  if (align == Align::kRight) x = r.right() - w;
  // Centre the capital height (about 0.73 em in this family) on the middle.
  const float cap = 0.73f * size;
  const float baseline = r.y + (r.h + cap) * 0.5f;
  Draw(c, utf8, std::round(x), std::round(baseline), size, colour, tracking, alpha);
}

}  // namespace keyloom::skin
