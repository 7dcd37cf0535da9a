#include "widgets.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace keyloom::skin {
namespace {

using Points = std::vector<std::pair<float, float>>;

std::pair<std::string_view, std::string_view> SplitLegend(std::string_view legend) {
  const size_t nl = legend.find('\n');
  if (nl == std::string_view::npos) return {legend, {}};
  return {legend.substr(0, nl), legend.substr(nl + 1)};
}

}  // namespace

void DrawGlyph(Canvas& c, Glyph g, float cx, float cy, float s, Colour col, float w) {
  const float h = s / 2;  // half size
  auto L = [&](float x0, float y0, float x1, float y1) {
    c.Line(cx + x0 * h, cy + y0 * h, cx + x1 * h, cy + y1 * h, w, col);
  };
  auto Tri = [&](float x0, float y0, float x1, float y1, float x2, float y2) {
    c.FillPolygon({{cx + x0 * h, cy + y0 * h}, {cx + x1 * h, cy + y1 * h}, {cx + x2 * h, cy + y2 * h}}, col);
  };
  switch (g) {
    case Glyph::kNone:
      break;
    case Glyph::kMenu:
      L(-0.7f, -0.5f, 0.7f, -0.5f), L(-0.7f, 0, 0.7f, 0), L(-0.7f, 0.5f, 0.7f, 0.5f);
      break;
    case Glyph::kHelp:
      c.StrokeCircle(cx, cy, 0.85f * h, w, col);
      c.Line(cx - 0.28f * h, cy - 0.25f * h, cx - 0.2f * h, cy - 0.42f * h, w, col);
      c.Line(cx - 0.2f * h, cy - 0.42f * h, cx + 0.05f * h, cy - 0.5f * h, w, col);
      c.Line(cx + 0.05f * h, cy - 0.5f * h, cx + 0.28f * h, cy - 0.35f * h, w, col);
      c.Line(cx + 0.28f * h, cy - 0.35f * h, cx + 0.25f * h, cy - 0.12f * h, w, col);
      c.Line(cx + 0.25f * h, cy - 0.12f * h, cx, cy + 0.08f * h, w, col);
      c.Line(cx, cy + 0.08f * h, cx, cy + 0.2f * h, w, col);
      c.FillCircle(cx, cy + 0.48f * h, w * 0.75f, col);
      break;
    case Glyph::kMinimize:
      L(-0.6f, 0.35f, 0.6f, 0.35f);
      break;
    case Glyph::kClose:
    case Glyph::kCross:
      L(-0.55f, -0.55f, 0.55f, 0.55f), L(-0.55f, 0.55f, 0.55f, -0.55f);
      break;
    case Glyph::kGlobe:
      c.StrokeCircle(cx, cy, 0.85f * h, w, col);
      L(-0.85f, 0, 0.85f, 0);
      L(0, -0.85f, 0, 0.85f);
      for (float k : {-0.45f, 0.45f}) L(-0.7f, k, 0.7f, k);
      c.StrokeCircle(cx, cy, 0.85f * h, w, col);
      break;
    case Glyph::kChat:
      c.StrokeRoundRect({static_cast<int>(cx - 0.85f * h), static_cast<int>(cy - 0.7f * h),
                         static_cast<int>(1.7f * h), static_cast<int>(1.15f * h)},
                        0.3f * h, w, col);
      Tri(-0.45f, 0.4f, -0.05f, 0.4f, -0.5f, 0.85f);
      for (float k : {-0.4f, 0.f, 0.4f}) c.FillCircle(cx + k * h, cy - 0.12f * h, w * 0.7f, col);
      break;
    case Glyph::kCamera:
      c.StrokeRoundRect({static_cast<int>(cx - 0.85f * h), static_cast<int>(cy - 0.5f * h),
                         static_cast<int>(1.7f * h), static_cast<int>(1.25f * h)},
                        0.3f * h, w, col);
      c.StrokeCircle(cx, cy + 0.12f * h, 0.36f * h, w, col);
      c.FillCircle(cx + 0.55f * h, cy - 0.25f * h, w * 0.6f, col);
      break;
    case Glyph::kProfiles:
      for (int i = 0; i < 3; ++i) {
        const float y = -0.55f + i * 0.5f;
        c.StrokeRoundRect({static_cast<int>(cx - 0.8f * h), static_cast<int>(cy + (y - 0.18f) * h),
                           static_cast<int>(1.6f * h), static_cast<int>(0.36f * h) + 1},
                          0.12f * h, w * 0.9f, col);
      }
      break;
    case Glyph::kMacro:  // a play mark inside a frame of keys
      c.StrokeRoundRect({static_cast<int>(cx - 0.85f * h), static_cast<int>(cy - 0.7f * h),
                         static_cast<int>(1.7f * h), static_cast<int>(1.4f * h)},
                        0.25f * h, w, col);
      Tri(-0.25f, -0.35f, -0.25f, 0.35f, 0.4f, 0.f);
      break;
    case Glyph::kCheck:
      L(-0.6f, 0.05f, -0.15f, 0.5f), L(-0.15f, 0.5f, 0.65f, -0.45f);
      break;
    case Glyph::kReset: {
      const float r = 0.62f * h;
      const int n = 40;
      for (int i = 0; i < n; ++i) {
        const float a0 = -2.3f + 4.6f * i / n, a1 = -2.3f + 4.6f * (i + 1) / n;
        c.Line(cx + r * std::cos(a0), cy + r * std::sin(a0), cx + r * std::cos(a1), cy + r * std::sin(a1), w, col);
      }
      const float ax = cx + r * std::cos(2.3f), ay = cy + r * std::sin(2.3f);
      c.FillPolygon({{ax - 0.35f * h, ay - 0.05f * h}, {ax + 0.2f * h, ay - 0.2f * h}, {ax + 0.05f * h, ay + 0.38f * h}},
                    col);
      break;
    }
    case Glyph::kSwap:
      L(-0.35f, -0.75f, -0.35f, 0.7f), Tri(-0.75f, -0.3f, 0.05f, -0.3f, -0.35f, -0.85f);
      L(0.35f, 0.75f, 0.35f, -0.7f), Tri(-0.05f, 0.3f, 0.75f, 0.3f, 0.35f, 0.85f);
      break;
    case Glyph::kKeyboard:
      c.StrokeRoundRect({static_cast<int>(cx - 0.9f * h), static_cast<int>(cy - 0.55f * h),
                         static_cast<int>(1.8f * h), static_cast<int>(1.1f * h)},
                        0.2f * h, w, col);
      for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 5; ++k)
          c.FillCircle(cx + (-0.6f + 0.3f * k) * h, cy + (-0.22f + 0.25f * row) * h, w * 0.55f, col);
      L(-0.4f, 0.3f, 0.4f, 0.3f);
      break;
    case Glyph::kRecord:
      c.FillCircle(cx, cy, 0.5f * h, theme::kDanger);
      c.StrokeCircle(cx, cy, 0.8f * h, w * 0.8f, col);
      break;
    case Glyph::kPlus:
      L(-0.6f, 0, 0.6f, 0), L(0, -0.6f, 0, 0.6f);
      break;
    case Glyph::kMinus:
      L(-0.6f, 0, 0.6f, 0);
      break;
    case Glyph::kTrash:
      L(-0.7f, -0.55f, 0.7f, -0.55f), L(-0.25f, -0.75f, 0.25f, -0.75f);
      L(-0.5f, -0.45f, -0.4f, 0.8f), L(0.5f, -0.45f, 0.4f, 0.8f), L(-0.4f, 0.8f, 0.4f, 0.8f);
      L(-0.12f, -0.25f, -0.12f, 0.55f), L(0.15f, -0.25f, 0.15f, 0.55f);
      break;
    case Glyph::kToTop:
      L(-0.6f, -0.7f, 0.6f, -0.7f);
      [[fallthrough]];
    case Glyph::kUp:
      L(0, -0.4f, 0, 0.75f), Tri(-0.55f, 0.05f, 0.55f, 0.05f, 0, -0.55f);
      break;
    case Glyph::kToBottom:
      L(-0.6f, 0.7f, 0.6f, 0.7f);
      [[fallthrough]];
    case Glyph::kDown:
      L(0, 0.4f, 0, -0.75f), Tri(-0.55f, -0.05f, 0.55f, -0.05f, 0, 0.55f);
      break;
    case Glyph::kEraser:
      c.FillPolygon({{cx - 0.75f * h, cy + 0.25f * h}, {cx - 0.1f * h, cy - 0.6f * h}, {cx + 0.35f * h, cy - 0.25f * h},
                     {cx - 0.3f * h, cy + 0.6f * h}},
                    col);
      L(-0.3f, 0.62f, 0.75f, 0.62f);
      L(0.35f, -0.25f, 0.75f, 0.05f), L(0.75f, 0.05f, 0.2f, 0.62f);
      break;
    case Glyph::kFolder:
      c.FillPolygon({{cx - 0.85f * h, cy - 0.6f * h}, {cx - 0.3f * h, cy - 0.6f * h}, {cx - 0.15f * h, cy - 0.4f * h},
                     {cx + 0.85f * h, cy - 0.4f * h}, {cx + 0.85f * h, cy + 0.65f * h}, {cx - 0.85f * h, cy + 0.65f * h}},
                    col, 0.9f);
      break;
    case Glyph::kSave:
      c.StrokeRoundRect({static_cast<int>(cx - 0.75f * h), static_cast<int>(cy - 0.75f * h),
                         static_cast<int>(1.5f * h), static_cast<int>(1.5f * h)},
                        0.15f * h, w, col);
      L(-0.4f, -0.75f, -0.4f, -0.3f), L(-0.4f, -0.3f, 0.35f, -0.3f), L(0.35f, -0.3f, 0.35f, -0.75f);
      L(-0.4f, 0.2f, 0.4f, 0.2f), L(-0.4f, 0.45f, 0.4f, 0.45f);
      break;
    case Glyph::kUpload:
      L(-0.75f, 0.45f, -0.75f, 0.8f), L(-0.75f, 0.8f, 0.75f, 0.8f), L(0.75f, 0.8f, 0.75f, 0.45f);
      L(0, 0.45f, 0, -0.5f), Tri(-0.45f, -0.15f, 0.45f, -0.15f, 0, -0.8f);
      break;
    case Glyph::kMedia:
      c.FillCircle(cx - 0.4f * h, cy + 0.5f * h, 0.28f * h, col);
      c.FillCircle(cx + 0.5f * h, cy + 0.35f * h, 0.28f * h, col);
      L(-0.17f, 0.5f, -0.17f, -0.65f), L(0.73f, 0.35f, 0.73f, -0.8f);
      c.Line(cx - 0.17f * h, cy - 0.65f * h, cx + 0.73f * h, cy - 0.8f * h, w * 1.8f, col);
      break;
    case Glyph::kFunction:
      c.StrokeRoundRect({static_cast<int>(cx - 0.85f * h), static_cast<int>(cy - 0.7f * h),
                         static_cast<int>(1.7f * h), static_cast<int>(1.4f * h)},
                        0.25f * h, w, col);
      L(-0.2f, -0.35f, 0.35f, -0.35f), L(-0.2f, -0.35f, -0.2f, 0.4f), L(-0.2f, 0.02f, 0.2f, 0.02f);
      break;
    case Glyph::kApply:
      L(-0.75f, 0.5f, -0.75f, 0.8f), L(-0.75f, 0.8f, 0.75f, 0.8f), L(0.75f, 0.8f, 0.75f, 0.5f);
      L(0, -0.8f, 0, 0.35f), Tri(-0.45f, 0.0f, 0.45f, 0.0f, 0, 0.55f);
      break;
    case Glyph::kBroom:
      L(0.7f, -0.8f, 0.05f, 0.0f);
      c.FillPolygon({{cx - 0.15f * h, cy - 0.2f * h}, {cx + 0.25f * h, cy + 0.15f * h}, {cx - 0.2f * h, cy + 0.85f * h},
                     {cx - 0.85f * h, cy + 0.3f * h}},
                    col);
      break;
    case Glyph::kBrush:
      L(0.75f, -0.75f, 0.0f, 0.05f);
      c.FillPolygon({{cx - 0.1f * h, cy - 0.05f * h}, {cx + 0.2f * h, cy + 0.25f * h}, {cx - 0.25f * h, cy + 0.75f * h},
                     {cx - 0.8f * h, cy + 0.8f * h}, {cx - 0.6f * h, cy + 0.3f * h}},
                    col);
      break;
    case Glyph::kBucket:
      c.FillPolygon({{cx - 0.15f * h, cy - 0.8f * h}, {cx + 0.6f * h, cy - 0.05f * h}, {cx + 0.0f * h, cy + 0.55f * h},
                     {cx - 0.75f * h, cy - 0.2f * h}},
                    col);
      c.FillPolygon({{cx + 0.62f * h, cy + 0.1f * h}, {cx + 0.85f * h, cy + 0.55f * h}, {cx + 0.62f * h, cy + 0.75f * h},
                     {cx + 0.4f * h, cy + 0.55f * h}},
                    col);
      break;
  }
}

void DrawKeycap(Canvas& c, const Fonts& f, const Rect& r, std::string_view legend, Look look) {
  using namespace theme;
  Colour top0 = Hex(0x333843), top1 = Hex(0x2B2F38), body = Hex(0x22252C), edge = Hex(0x3A404B);
  Colour text = kText, sub = Hex(0xA4ACB9);
  Rect face = {r.x + 3, r.y + 2, r.w - 6, r.h - 7};
  bool ring = false;
  Colour ring_colour = kAccent;
  switch (look) {
    case Look::kNormal:
    case Look::kDisabled:
      break;
    case Look::kOver:
      top0 = Hex(0x414958), top1 = Hex(0x373E4B), body = Hex(0x2A2F38), text = Hex(0xFFFFFF), sub = Hex(0xCFD6E0);
      ring = true;
      break;
    case Look::kDown:
      top0 = Hex(0x2A8AD0), top1 = Hex(0x2378B8), body = Hex(0x175482), edge = Hex(0x4FB9F5);
      text = Hex(0xFFFFFF), sub = Hex(0xE1F1FC);
      face = {r.x + 3, r.y + 4, r.w - 6, r.h - 7};
      break;
    case Look::kSelected:
      top0 = Hex(0x4A3B21), top1 = Hex(0x3E321D), body = Hex(0x2C2416), edge = Hex(0x8A6A32);
      text = kAmber, sub = Hex(0xE9C88F);
      ring = true, ring_colour = kAmber;
      break;
    case Look::kUnlit:
      top0 = Hex(0x23262D), top1 = Hex(0x1F2228), body = Hex(0x1A1C21), edge = Hex(0x2B2F37);
      text = Hex(0x6B7280), sub = Hex(0x5A616D);
      break;
    case Look::kLit:
      top0 = Hex(0x2D323C), top1 = Hex(0x282C35), text = Hex(0xFFFFFF), sub = Hex(0xFFFFFF);
      break;
  }
  // Body (the cap's skirt), then the top face with its gradient.
  c.FillRoundRect(r.Inset(1, 1), 5.f, Paint(body));
  c.FillRoundRect(face, 4.f, Paint(top0, top1));
  c.StrokeRoundRect(face, 4.f, 1.f, edge, 0.9f);
  if (look == Look::kLit) c.Glow(face.Inset(4, 4), 3.f, 6.f, Hex(0xFFFFFF), 0.05f);
  if (ring) c.StrokeRoundRect(r.Inset(1, 1), 5.f, 1.6f, ring_colour);
  // An assigned key also carries a mark on its skirt, for those who do not
  // tell amber from grey.
  if (look == Look::kSelected)
    c.FillRoundRect({r.x + r.w / 2 - 6, r.bottom() - 4, 12, 2}, 1.f, Paint(kAmber));

  const auto [upper, lower] = SplitLegend(legend);
  const Rect lr = face.Inset(2, 1);
  const bool words = upper.size() > 2 || lower.size() > 2;
  if (lower.empty()) {
    // One symbol large; numbered keys (F10, G1, D2) medium; words small.
    const bool numbered = upper.size() >= 2 && upper.size() <= 3 && std::isdigit(static_cast<unsigned char>(upper[1]));
    const float size = Utf8ToCodepoints(upper).size() <= 1 ? 14.f : (numbered ? 11.5f : 9.5f);
    const Font& font = Utf8ToCodepoints(upper).size() <= 1 ? f.bold : f.regular;
    float fit = size;
    while (fit > 7.f && font.Measure(upper, fit) > lr.w) fit -= 0.5f;
    font.DrawIn(c, lr, upper, fit, text);
  } else {
    // Two lines: the shifted symbol above, the base one below (or a word that
    // wraps).
    const float size = words ? 9.5f : 11.f;
    const Font& font = words ? f.regular : f.bold;
    const Rect top_half = {lr.x, lr.y + 1, lr.w, lr.h / 2};
    const Rect bottom_half = {lr.x, lr.y + lr.h / 2 - 1, lr.w, lr.h / 2};
    font.DrawIn(c, top_half, upper, size, words ? text : sub);
    font.DrawIn(c, bottom_half, lower, size, text);
  }
}

void DrawButton(Canvas& c, const Fonts& f, const Rect& r, std::string_view label, Glyph glyph, Look look,
                ButtonStyle style, float text_size) {
  using namespace theme;
  Colour fill0 = Hex(0x2A2E37), fill1 = Hex(0x252830), edge = Hex(0x3A404B), text = Hex(0xD9DDE4);
  const bool primary = style == ButtonStyle::kPrimary;
  if (primary) fill0 = Hex(0x2A8AD0), fill1 = Hex(0x2378B8), edge = Hex(0x3DA5EC), text = Hex(0xFFFFFF);
  if (style == ButtonStyle::kQuiet) fill0 = fill1 = kCard, edge = Hex(0x303541);
  bool ring = false;
  switch (look) {
    case Look::kNormal:
    case Look::kUnlit:
    case Look::kLit:
      break;
    case Look::kOver:
      if (primary)
        fill0 = Hex(0x3A9FE6), fill1 = Hex(0x2F8ACB), edge = Hex(0x7ACBFF);
      else
        fill0 = Hex(0x363C48), fill1 = Hex(0x30353F), edge = kAccent, text = Hex(0xFFFFFF), ring = true;
      break;
    case Look::kDown:
      fill0 = fill1 = primary ? Hex(0x1B649C) : Hex(0x1E72B0);
      edge = Hex(0x4FB9F5), text = Hex(0xFFFFFF);
      break;
    case Look::kDisabled:
      fill0 = fill1 = Hex(0x1E2127), edge = Hex(0x292D35), text = Hex(0x565C67);
      break;
    case Look::kSelected:
      fill0 = Hex(0x2A8AD0), fill1 = Hex(0x2378B8), edge = Hex(0x5CC0F8), text = Hex(0xFFFFFF);
      if (style == ButtonStyle::kTab) fill0 = Hex(0x1A4766), fill1 = Hex(0x163C57), edge = kAccent;
      break;
  }
  const float radius = style == ButtonStyle::kTab ? 7.f : 6.f;
  const Rect body = r.Inset(1, 1);
  c.FillRoundRect(body, radius, Paint(fill0, fill1));
  c.StrokeRoundRect(body, radius, ring ? 1.5f : 1.f, edge);
  if (style == ButtonStyle::kTab && look == Look::kSelected)
    c.FillRoundRect({body.x + 10, body.bottom() - 4, body.w - 20, 3}, 1.5f, Paint(kAccent));

  const float gsize = std::min(18.f, body.h * 0.52f);
  if (label.empty()) {
    DrawGlyph(c, glyph, body.x + body.w / 2.f, body.y + body.h / 2.f, gsize, text);
    return;
  }
  const Font& font = f.bold;
  float size = text_size;
  const float gap = glyph == Glyph::kNone ? 0.f : gsize + 8.f;
  while (size > 8.f && font.Measure(label, size, 0.3f) + gap > body.w - 12) size -= 0.5f;
  const float tw = font.Measure(label, size, 0.3f) + gap;
  const float x0 = body.x + (body.w - tw) / 2.f;
  if (glyph != Glyph::kNone) DrawGlyph(c, glyph, x0 + gsize / 2.f, body.y + body.h / 2.f, gsize, text);
  font.DrawIn(c, {static_cast<int>(std::round(x0 + gap)), body.y, static_cast<int>(tw - gap) + 2, body.h}, label,
              size, text, Align::kLeft, 0.3f);
}

void DrawTitleButton(Canvas& c, const Rect& r, Glyph g, Look look, bool danger) {
  using namespace theme;
  Colour glyph = Hex(0xAEB5C1);
  switch (look) {
    case Look::kOver:
      c.FillRoundRect(r.Inset(1, 1), 6.f, Paint(danger ? kDanger : Hex(0x2C313B)));
      glyph = Hex(0xFFFFFF);
      break;
    case Look::kDown:
      c.FillRoundRect(r.Inset(1, 1), 6.f, Paint(danger ? Hex(0xA8353A) : kAccentDeep));
      glyph = Hex(0xFFFFFF);
      break;
    case Look::kDisabled:
      glyph = Hex(0x4A505B);
      break;
    default:
      break;
  }
  DrawGlyph(c, g, r.x + r.w / 2.f, r.y + r.h / 2.f, std::min(r.w, r.h) * 0.5f, glyph, 1.5f);
}

void DrawCaption(Canvas& c, const Fonts& f, const Rect& r, std::string_view text, Align align, Colour colour,
                 float size) {
  f.bold.DrawIn(c, r, text, size, colour, align, 0.8f);
}

}  // namespace keyloom::skin
