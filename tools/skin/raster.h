// A small software rasteriser for the skin pictures: an RGB canvas with
// anti-aliased rounded rectangles, circles, lines, polygons and text. Every
// operation is plain arithmetic on the pixels, so the same program writes the
// same bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace keyloom::skin {

struct Colour {
  float r = 0, g = 0, b = 0;
};
// 0xRRGGBB.
constexpr Colour Hex(uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF) / 255.f, static_cast<float>((rgb >> 8) & 0xFF) / 255.f,
          static_cast<float>(rgb & 0xFF) / 255.f};
}
Colour Mix(Colour a, Colour b, float t);

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  int right() const { return x + w; }
  int bottom() const { return y + h; }
  Rect Inset(int dx, int dy) const { return {x + dx, y + dy, w - 2 * dx, h - 2 * dy}; }
  Rect Moved(int dx, int dy) const { return {x + dx, y + dy, w, h}; }
  bool Contains(const Rect& o) const {
    return o.x >= x && o.y >= y && o.right() <= right() && o.bottom() <= bottom();
  }
  bool Overlaps(const Rect& o) const {
    return o.x < right() && x < o.right() && o.y < bottom() && y < o.bottom();
  }
  bool operator==(const Rect&) const = default;
};

// A fill: one colour, or a vertical gradient from `top` at the rectangle's
// top edge to `bottom` at its bottom edge.
struct Paint {
  Colour top, bottom;
  bool gradient = false;
  Paint(Colour c) : top(c), bottom(c) {}  // NOLINT: a colour is a paint
  Paint(Colour t, Colour b) : top(t), bottom(b), gradient(true) {}
};

class Font;

class Canvas {
 public:
  Canvas(int width, int height, Colour fill);
  int width() const { return width_; }
  int height() const { return height_; }

  Colour At(int x, int y) const;
  void Blend(int x, int y, Colour c, float alpha);

  void FillRect(const Rect& r, const Paint& p);
  // Anti-aliased; `radius` 0 gives sharp corners.
  void FillRoundRect(const Rect& r, float radius, const Paint& p, float alpha = 1.f);
  // A border of `width` pixels lying inside `r`.
  void StrokeRoundRect(const Rect& r, float radius, float width, Colour c, float alpha = 1.f);
  void FillCircle(float cx, float cy, float radius, Colour c, float alpha = 1.f);
  void StrokeCircle(float cx, float cy, float radius, float width, Colour c, float alpha = 1.f);
  // A line with round ends.
  void Line(float x0, float y0, float x1, float y1, float width, Colour c, float alpha = 1.f);
  // Even-odd fill of a closed polygon, 4 x 4 samples per pixel.
  void FillPolygon(const std::vector<std::pair<float, float>>& points, Colour c, float alpha = 1.f);
  // A soft shadow/glow: a rounded rectangle whose edge fades over `blur` pixels.
  void Glow(const Rect& r, float radius, float blur, Colour c, float alpha);

  // Copies `src` (its whole area) to (x, y).
  void Paste(const Canvas& src, int x, int y);
  Canvas Crop(const Rect& r) const;
  // The picture moved left and up by (dx, dy); the last columns and rows
  // repeat the edge.
  Canvas ShiftedBy(int dx, int dy) const;

  // 8-bit RGB, rows top to bottom.
  std::vector<uint8_t> Rgb() const;

 private:
  template <typename Coverage>
  void Shade(const Rect& bounds, const Paint& p, const Rect& paint_rect, float alpha, Coverage cov);

  int width_, height_;
  std::vector<Colour> px_;
};

// Horizontal placement of a text line inside a rectangle.
enum class Align { kLeft, kCentre, kRight };

class Font {
 public:
  explicit Font(const std::string& path);  // ends the program when the file is unusable
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Width in pixels of a UTF-8 line at `size` pixels per em, with `tracking`
  // extra pixels after each character.
  float Measure(std::string_view utf8, float size, float tracking = 0) const;
  float Ascent(float size) const;   // above the baseline, positive
  float Descent(float size) const;  // below the baseline, positive
  // Draws a line with its baseline at y.
  void Draw(Canvas& c, std::string_view utf8, float x, float baseline, float size, Colour colour,
            float tracking = 0, float alpha = 1.f) const;
  // One line centred vertically (on the capital height) in `r`.
  void DrawIn(Canvas& c, const Rect& r, std::string_view utf8, float size, Colour colour,
              Align align = Align::kCentre, float tracking = 0, float alpha = 1.f) const;

 private:
  struct Impl;
  Impl* impl_;
};

std::u32string Utf8ToCodepoints(std::string_view utf8);

}  // namespace keyloom::skin
