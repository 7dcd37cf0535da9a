// The lighting panel's pictures: labels, slider positions, direction and
// colour choices, switches and the progress strip. Each is exactly the size
// of the control that shows it and is painted on the panel's flat colour.
#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>
#include <cstdlib>

#include "dialog.h"

namespace keyloom::skin {
namespace {

using namespace theme;

Canvas Blank(const Rect& r) { return Canvas(r.w, r.h, kCard); }

Canvas LabelPicture(const Fonts& f, const Rect& r, const char* text) {
  Canvas c = Blank(r);
  DrawCaption(c, f, {0, 0, r.w, r.h}, text, Align::kLeft, Hex(0xA4ACB9), 9.5f);
  return c;
}

// Knob centres sit inside the picture so that a click on a knob selects its
// position under the slider's coordinate rule.
Canvas SliderPicture(const Rect& r, int positions, int at) {
  Canvas c = Blank(r);
  const float pad = 8.f, cy = r.h / 2.f;
  const float step = (r.w - 2 * pad) / (positions - 1);
  const float kx = pad + step * at;
  c.FillRoundRect({static_cast<int>(pad), static_cast<int>(cy) - 2, r.w - 2 * static_cast<int>(pad), 4}, 2.f,
                  Paint(Hex(0x2E333D)));
  if (at > 0)
    c.FillRoundRect({static_cast<int>(pad), static_cast<int>(cy) - 2, static_cast<int>(kx - pad) + 1, 4}, 2.f,
                    Paint(kAccentDeep, kAccent));
  for (int i = 0; i < positions; ++i) {
    const float x = pad + step * i;
    c.FillCircle(x, cy, 2.5f, i <= at ? kAccent : Hex(0x4A505B));
  }
  c.FillCircle(kx, cy, 7.5f, Hex(0x0C0E11), 0.5f);
  c.FillCircle(kx, cy, 7.f, Hex(0xF2F5F9));
  c.StrokeCircle(kx, cy, 7.f, 2.f, kAccent);
  return c;
}

enum class Arrows { kLeft, kRight, kUp, kDown, kSpread, kConverge };

// A small square button holding a symbol: filled with the accent when chosen.
Canvas ChoiceButton(const Rect& r, bool chosen, const std::function<void(Canvas&, float, float, Colour)>& symbol) {
  Canvas c = Blank(r);
  const Rect body{1, 1, r.w - 2, r.h - 2};
  if (chosen) {
    c.FillRoundRect(body, 6.f, Paint(Hex(0x2A8AD0), Hex(0x2378B8)));
    c.StrokeRoundRect(body, 6.f, 1.f, Hex(0x5CC0F8));
  } else {
    c.FillRoundRect(body, 6.f, Paint(Hex(0x23262E)));
    c.StrokeRoundRect(body, 6.f, 1.f, Hex(0x363B46));
  }
  symbol(c, r.w / 2.f, r.h / 2.f, chosen ? Hex(0xFFFFFF) : Hex(0x9AA2AF));
  return c;
}

void DrawArrows(Canvas& c, float cx, float cy, Colour col, Arrows a) {
  auto head = [&](float x, float y, float dx, float dy) {  // tip at (x, y) pointing along (dx, dy)
    const float px = -dy, py = dx;
    c.FillPolygon({{x, y}, {x - 6 * dx + 5 * px, y - 6 * dy + 5 * py}, {x - 6 * dx - 5 * px, y - 6 * dy - 5 * py}},
                  col);
  };
  switch (a) {
    case Arrows::kLeft:
      c.Line(cx - 4, cy, cx + 8, cy, 2.2f, col), head(cx - 9, cy, -1, 0);
      break;
    case Arrows::kRight:
      c.Line(cx - 8, cy, cx + 4, cy, 2.2f, col), head(cx + 9, cy, 1, 0);
      break;
    case Arrows::kUp:
      c.Line(cx, cy - 3, cx, cy + 8, 2.2f, col), head(cx, cy - 9, 0, -1);
      break;
    case Arrows::kDown:
      c.Line(cx, cy - 8, cx, cy + 3, 2.2f, col), head(cx, cy + 9, 0, 1);
      break;
    case Arrows::kSpread:
      c.Line(cx - 7, cy, cx + 7, cy, 2.f, col), head(cx - 12, cy, -1, 0), head(cx + 12, cy, 1, 0);
      c.FillRect({static_cast<int>(cx) - 1, static_cast<int>(cy) - 6, 2, 12}, Paint(col));
      break;
    case Arrows::kConverge:
      c.Line(cx - 14, cy, cx - 7, cy, 2.f, col), head(cx - 2, cy, 1, 0);
      c.Line(cx + 7, cy, cx + 14, cy, 2.f, col), head(cx + 2, cy, -1, 0);
      break;
  }
}

Canvas SwitchSegment(const Fonts& f, const Rect& r, bool left, bool lit, const char* text) {
  Canvas c = Blank(r);
  // One pill split in two pictures: each half rounds only its outer side.
  const Rect pill = left ? Rect{1, 1, r.w + 12, r.h - 2} : Rect{-13, 1, r.w + 12, r.h - 2};
  Colour fill = Hex(0x23262E), edge = Hex(0x363B46), text_colour = Hex(0x6B7280);
  if (lit && left) fill = Hex(0x2A8AD0), edge = Hex(0x5CC0F8), text_colour = Hex(0xFFFFFF);
  if (lit && !left) fill = Hex(0x3A404B), edge = Hex(0x59606D), text_colour = Hex(0xFFFFFF);
  c.FillRoundRect(pill, r.h / 2.f - 1, Paint(fill));
  c.StrokeRoundRect(pill, r.h / 2.f - 1, 1.f, edge);
  if (!left) c.FillRect({0, 2, 1, r.h - 4}, Paint(Hex(0x15171C)));
  f.bold.DrawIn(c, {0, 0, r.w, r.h}, text, 10.f, text_colour, Align::kCentre, 0.6f);
  return c;
}

Canvas TogglePicture(const Rect& r, bool on) {
  Canvas c = Blank(r);
  const Rect track{2, r.h / 2 - 8, r.w - 4, 16};
  if (on) {
    // A rainbow track says "colourful".
    for (int x = track.x; x < track.right(); ++x) {
      const float t = static_cast<float>(x - track.x) / track.w;
      const Colour hue = t < 0.33f   ? Mix(Hex(0xFF4D6D), Hex(0xFFC547), t / 0.33f)
                         : t < 0.66f ? Mix(Hex(0xFFC547), Hex(0x3DDC97), (t - 0.33f) / 0.33f)
                                     : Mix(Hex(0x3DDC97), Hex(0x38B6FF), (t - 0.66f) / 0.34f);
      c.FillRect({x, track.y, 1, track.h}, Paint(hue));
    }
    // Round the track's ends by painting the corners back.
    for (int y = 0; y < r.h; ++y)
      for (int x = 0; x < r.w; ++x) {
        const float cx = x + 0.5f, cy = y + 0.5f;
        const float rad = 8.f;
        const float qx = std::max(0.f, std::max(track.x + rad - cx, cx - (track.right() - rad)));
        const float qy = std::max(0.f, std::max(track.y + rad - cy, cy - (track.bottom() - rad)));
        const float d = std::sqrt(qx * qx + qy * qy) - rad;
        if (d > -0.5f) c.Blend(x, y, kCard, std::min(1.f, d + 0.5f));
      }
    c.FillCircle(track.right() - 8.f, r.h / 2.f, 6.f, Hex(0xFFFFFF));
  } else {
    c.FillRoundRect(track, 8.f, Paint(Hex(0x2A2E37)));
    c.StrokeRoundRect(track, 8.f, 1.f, Hex(0x3A404B));
    c.FillCircle(track.x + 8.f, r.h / 2.f, 6.f, Hex(0x8B93A1));
  }
  return c;
}

Canvas SwatchPicture(const Rect& r, Colour colour, bool chosen) {
  Canvas c = Blank(r);
  const float cx = r.w / 2.f, cy = r.h / 2.f;
  if (chosen) {
    c.StrokeCircle(cx, cy, r.w / 2.f - 1, 2.f, Hex(0xFFFFFF));
    c.FillCircle(cx, cy, r.w / 2.f - 4.5f, colour);
    c.Line(cx - 4, cy, cx - 1, cy + 3, 2.f, Hex(0x101216));
    c.Line(cx - 1, cy + 3, cx + 5, cy - 4, 2.f, Hex(0x101216));
  } else {
    c.FillCircle(cx, cy, r.w / 2.f - 4.5f, Mix(colour, kCard, 0.25f));
    c.StrokeCircle(cx, cy, r.w / 2.f - 4.5f, 1.f, Hex(0x4A505B));
  }
  return c;
}

// Apply's busy strip: a bright segment that travels along the track.
Canvas ProgressPicture(const Rect& r, int frame) {
  Canvas c = Blank(r);
  const Rect track{0, 0, r.w, r.h};
  c.FillRoundRect(track, r.h / 2.f, Paint(Hex(0x23262E)));
  const float seg = r.w * 0.3f;
  const float x0 = -seg + (r.w + seg) * frame / 9.f;
  for (int x = 0; x < r.w; ++x) {
    const float t = (x + 0.5f - x0) / seg;
    if (t < 0.f || t > 1.f) continue;
    const float a = std::sin(t * 3.14159265f);
    for (int y = 0; y < r.h; ++y) c.Blend(x, y, Mix(kAccentDeep, kAccent, t), a);
  }
  // Re-round the ends over whatever the segment painted.
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      const float rad = r.h / 2.f, cx = x + 0.5f, cy = y + 0.5f;
      const float qx = std::max(0.f, std::max(rad - cx, cx - (r.w - rad)));
      const float d = std::sqrt(qx * qx + (cy - rad) * (cy - rad)) - rad;
      if (qx > 0.f && d > -0.5f) c.Blend(x, y, kCard, std::min(1.f, d + 0.5f));
    }
  return c;
}

void Require(bool same, const char* what) {
  if (!same) {
    std::fprintf(stderr, "lighting panel: %s must share one size\n", what);
    std::exit(3);
  }
}

}  // namespace

FileSet LightingPanelPictures(const Dialog& d, const Fonts& f) {
  FileSet out;
  auto put = [&](const std::string& name, const Canvas& c) { out["Skins/" + name] = EncodeBmp(c); };
  auto rect = [&](const char* key) { return d.Find(key).rect; };
  auto same_size = [](const Rect& a, const Rect& b) { return a.w == b.w && a.h == b.h; };

  put("led.bmp", LabelPicture(f, rect("CONTROL_DengStatic"), "LIGHTING"));
  put("brightness.bmp", LabelPicture(f, rect("CONTROL_LightStatic"), "BRIGHTNESS"));
  put("speed.bmp", LabelPicture(f, rect("CONTROL_SpeedStatic"), "SPEED"));
  put("direction.bmp", LabelPicture(f, rect("CONTROL_BLFXStatic"), "DIRECTION"));
  Require(same_size(rect("CONTROL_HXysStatic"), rect("CONTROL_FYYSStatic")), "the two colour labels");
  put("color.bmp", LabelPicture(f, rect("CONTROL_HXysStatic"), "COLOR"));
  put("colorful.bmp", LabelPicture(f, rect("CONTROL_COLORFULStatic"), "COLORFUL"));

  for (int p = 0; p <= 4; ++p) put(std::to_string(p) + ".bmp", SliderPicture(rect("CONTROL_LightSlider"), 5, p));
  for (int p = 0; p <= 3; ++p) put(std::to_string(5 + p) + ".bmp", SliderPicture(rect("CONTROL_SpeedSlider"), 4, p));

  const Rect dir = rect("CONTROL_BLFXLStaPic");
  for (const char* key : {"CONTROL_BLFXRStaPic", "CONTROL_BLFXLStaPic2", "CONTROL_BLFXRStaPic2",
                          "CONTROL_BLFXLStaPic3", "CONTROL_BLFXRStaPic3"})
    Require(same_size(dir, rect(key)), "the direction pictures");
  const struct {
    const char* chosen;
    const char* plain;
    Arrows arrows;
  } directions[] = {
      {"leftdown.bmp", "leftup.bmp", Arrows::kLeft},       {"rightdown.bmp", "rightup.bmp", Arrows::kRight},
      {"updown.bmp", "upup.bmp", Arrows::kUp},             {"downdown.bmp", "downup.bmp", Arrows::kDown},
      {"kuosandown.bmp", "kuosan.bmp", Arrows::kSpread},   {"julongdown.bmp", "julong.bmp", Arrows::kConverge},
  };
  for (const auto& dpic : directions)
    for (bool chosen : {true, false})
      put(chosen ? dpic.chosen : dpic.plain, ChoiceButton(dir, chosen, [&](Canvas& c, float x, float y, Colour col) {
            DrawArrows(c, x, y, col, dpic.arrows);
          }));

  put("sjsdown.bmp", TogglePicture(rect("CONTROL_HXsjsStaPic"), true));
  put("sjsup.bmp", TogglePicture(rect("CONTROL_HXsjsStaPic"), false));

  const struct {
    const char* key;
    const char* name;
    uint32_t rgb;
  } swatches[] = {{"CONTROL_HONGPIC", "hong", 0xFF3B3B},
                  {"CONTROL_HUANGPIC", "huang", 0xFFD23B},
                  {"CONTROL_LVPIC", "lv", 0x35D46A},
                  {"CONTROL_LANPIC", "lan", 0x3B7BFF}};
  for (const auto& s : swatches) {
    put(std::string(s.name) + ".bmp", SwatchPicture(rect(s.key), Hex(s.rgb), false));
    put(std::string(s.name) + "ok.bmp", SwatchPicture(rect(s.key), Hex(s.rgb), true));
  }

  const Rect tool1 = rect("CONTROL_USERgjStaPic1"), tool2 = rect("CONTROL_USERgjStaPic2");
  for (bool chosen : {true, false}) {
    const char* state = chosen ? "down" : "up";
    put(std::string("user1") + state + ".bmp", ChoiceButton(tool1, chosen, [](Canvas& c, float x, float y, Colour col) {
          DrawGlyph(c, Glyph::kBrush, x, y, 16.f, col);
        }));
    put(std::string("user2") + state + ".bmp", ChoiceButton(tool2, chosen, [](Canvas& c, float x, float y, Colour col) {
          DrawGlyph(c, Glyph::kBucket, x, y, 16.f, col);
        }));
  }

  const Rect on = rect("CONTROL_DengStaPic"), off = rect("CONTROL_DengDisable");
  put("LED_enabled_on.bmp", SwitchSegment(f, on, true, true, "ON"));
  put("LED_enabled_off.bmp", SwitchSegment(f, on, true, false, "ON"));
  put("LED_disabled_on.bmp", SwitchSegment(f, off, false, true, "OFF"));
  put("LED_disabled_off.bmp", SwitchSegment(f, off, false, false, "OFF"));

  for (int k = 1; k <= 10; ++k) put("jdt" + std::to_string(k) + ".bmp", ProgressPicture(rect("CONTROL_JDTStatic"), k - 1));
  return out;
}

}  // namespace keyloom::skin
