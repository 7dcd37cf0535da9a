// The main window: keyboard picture, profile bar, lighting panel and the
// command buttons. The key buttons come from the model's key-button table;
// this file only says where each key sits on the keyboard and what its cap
// shows.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "base/text.h"
#include "dialog.h"
#include "model/key_buttons.h"

namespace keyloom::skin {
namespace {

constexpr int kWidth = 1040, kHeight = 628;
constexpr int kTitleHeight = 52;
constexpr Rect kCase{20, 60, 1000, 326};
constexpr int kKeysX = 102;  // left edge of the main block (Esc)
constexpr int kUnit = 40;    // one key pitch; positions are in quarter units
constexpr int kGKeysX = 30, kGKeyWidth = 56, kGKeyPitch = 29;
constexpr Rect kPanel{20, 444, 1000, 110};
constexpr int kRow1 = 458, kRow2 = 512;  // tops of the panel's two rows

int RowTop(int row) { return row == 0 ? 112 : 132 + kUnit * row; }

// Where a key sits: x and width in quarter units from Esc's left edge, row 0
// (function row) to 5, height in rows; and the legend printed on its cap
// when it differs from the template caption.
struct KeyPlace {
  uint16_t control_id;
  int x, row, w = 4, h = 1;
  const char* legend = nullptr;
};

// An ISO board with a numeric pad: the Enter key spans rows 2 and 3, K45
// sits beside the left Shift, and Fn sits between the right Win and App.
constexpr KeyPlace kKeyPlaces[] = {
    // Function row
    {1022, 0, 0}, {1010, 8, 0}, {1011, 12, 0}, {1012, 16, 0}, {1013, 20, 0}, {1014, 26, 0}, {1015, 30, 0},
    {1023, 34, 0}, {1024, 38, 0}, {1025, 44, 0}, {1026, 48, 0}, {1027, 52, 0}, {1028, 56, 0},
    {1091, 61, 0, 4, 1, "PrtSc"}, {1092, 65, 0, 4, 1, "ScrLk"}, {1093, 69, 0},
    // Number row
    {1029, 0, 1}, {1030, 4, 1}, {1031, 8, 1}, {1032, 12, 1}, {1033, 16, 1}, {1034, 20, 1}, {1035, 24, 1},
    {1036, 28, 1}, {1037, 32, 1}, {1038, 36, 1}, {1039, 40, 1}, {1040, 44, 1}, {1041, 48, 1},
    {1043, 52, 1, 8, 1, "\u2190 Backspace"}, {1094, 61, 1}, {1095, 65, 1}, {1096, 69, 1, 4, 1, "Page\nUp"},
    {1104, 74, 1, 4, 1, "Num\nLock"}, {1105, 78, 1}, {1106, 82, 1}, {1107, 86, 1, 4, 1, "\u2212"},
    // Top letter row
    {1056, 0, 2, 6, 1, "Tab \u21B9"}, {1044, 6, 2}, {1045, 10, 2}, {1046, 14, 2}, {1047, 18, 2}, {1048, 22, 2},
    {1049, 26, 2}, {1050, 30, 2}, {1051, 34, 2}, {1052, 38, 2}, {1053, 42, 2}, {1054, 46, 2}, {1055, 50, 2},
    {1070, 55, 2, 5, 2, "Enter\n\u21B5"}, {1097, 61, 2}, {1098, 65, 2}, {1099, 69, 2, 4, 1, "Page\nDown"},
    {1108, 74, 2, 4, 1, "7\nHome"}, {1109, 78, 2, 4, 1, "8\n\u2191"}, {1110, 82, 2, 4, 1, "9\nPgUp"},
    {1111, 86, 2, 4, 2},
    // Home row
    {1069, 0, 3, 7, 1, "Caps Lock"}, {1058, 7, 3}, {1059, 11, 3}, {1060, 15, 3}, {1061, 19, 3}, {1062, 23, 3},
    {1063, 27, 3}, {1064, 31, 3}, {1065, 35, 3}, {1066, 39, 3}, {1067, 43, 3}, {1068, 47, 3},
    {1042, 51, 3, 4, 1, "|\n\\"}, {1112, 74, 3, 4, 1, "4\n\u2190"}, {1113, 78, 3}, {1114, 82, 3, 4, 1, "6\n\u2192"},
    // Bottom letter row
    {1082, 0, 4, 5, 1, "\u21E7 Shift"}, {1199, 5, 4, 4, 1, ">\n<"}, {1071, 9, 4}, {1072, 13, 4}, {1073, 17, 4},
    {1074, 21, 4}, {1075, 25, 4}, {1076, 29, 4}, {1077, 33, 4}, {1078, 37, 4}, {1079, 41, 4}, {1080, 45, 4},
    {1081, 49, 4, 11, 1, "\u21E7 Shift"}, {1103, 65, 4, 4, 1, "\u2191"}, {1115, 74, 4, 4, 1, "1\nEnd"},
    {1116, 78, 4, 4, 1, "2\n\u2193"}, {1117, 82, 4, 4, 1, "3\nPgDn"}, {1118, 86, 4, 4, 2, "Enter"},
    // Space row
    {1083, 0, 5, 5}, {1084, 5, 5, 5}, {1085, 10, 5, 5}, {1090, 15, 5, 24}, {1086, 39, 5, 4, 1, "Alt Gr"},
    {1087, 43, 5}, {1088, 51, 5, 4, 1, "Menu"}, {1089, 55, 5, 5}, {1100, 61, 5, 4, 1, "\u2190"},
    {1101, 65, 5, 4, 1, "\u2193"}, {1102, 69, 5, 4, 1, "\u2192"}, {1120, 74, 5, 8, 1, "0\nIns"},
    {1119, 82, 5, 4, 1, ".\nDel"},
};
constexpr int kFnX = 47;  // the Fn key's place in the space row

Rect KeyRect(int x, int row, int w, int h) {
  const int top = RowTop(row);
  const int bottom = RowTop(row + h - 1) + kUnit;
  return {kKeysX + x * kUnit / 4, top, w * kUnit / 4, bottom - top};
}

// The legend of a key whose layout entry gives none: the template caption,
// with two-symbol captions ("1!", "[{") printed shifted symbol above.
std::string LegendFromCaption(std::u16string_view caption) {
  const std::string s = Utf16ToUtf8(caption);
  const bool shifted_pair = caption.size() == 2 && !(std::isalnum(static_cast<unsigned char>(s[1])) != 0);
  if (shifted_pair) return Utf16ToUtf8(caption.substr(1, 1)) + "\n" + Utf16ToUtf8(caption.substr(0, 1));
  return s;
}

// Key buttons take their selected (assigned) look from the "disable"
// picture; the extra keys D1..D6 have no assignment and show dimmed there.
FaceFn KeyFace(const Fonts& f, std::string legend, bool assignable) {
  return [&f, legend, assignable](Canvas& c, const Rect& r, const PictureContext& ctx) {
    Look look = ctx.look;
    if (look == Look::kDisabled) look = assignable ? Look::kSelected : Look::kUnlit;
    DrawKeycap(c, f, r, legend, look);
  };
}

// Profile and report-rate buttons: the "disable" picture is their chosen look.
FaceFn ToggleFace(const Fonts& f, std::string label) {
  return [&f, label](Canvas& c, const Rect& r, const PictureContext& ctx) {
    Look look = ctx.look == Look::kDisabled ? Look::kSelected : ctx.look;
    DrawButton(c, f, r, label, Glyph::kNone, look, ButtonStyle::kToggle, 12.f);
  };
}

FaceFn CommandFace(const Fonts& f, std::string label, Glyph g, ButtonStyle style = ButtonStyle::kPlain) {
  return [&f, label, g, style](Canvas& c, const Rect& r, const PictureContext& ctx) {
    DrawButton(c, f, r, label, g, ctx.look, style);
  };
}

FaceFn TitleFace(Glyph g, bool danger = false) {
  return [g, danger](Canvas& c, const Rect& r, const PictureContext& ctx) { DrawTitleButton(c, r, g, ctx.look, danger); };
}

FaceFn LinkFace(Glyph g) {
  return [g](Canvas& c, const Rect& r, const PictureContext& ctx) {
    Colour ring = Hex(0x3A404B), glyph = Hex(0xAEB5C1);
    if (ctx.look == Look::kOver) ring = theme::kAccent, glyph = Hex(0xFFFFFF);
    if (ctx.look == Look::kDown) c.FillCircle(r.x + r.w / 2.f, r.y + r.h / 2.f, r.w / 2.f - 1, theme::kAccentDeep);
    if (ctx.look == Look::kDisabled) glyph = Hex(0x4A505B);
    c.StrokeCircle(r.x + r.w / 2.f, r.y + r.h / 2.f, r.w / 2.f - 1, 1.2f, ring);
    DrawGlyph(c, g, r.x + r.w / 2.f, r.y + r.h / 2.f, r.w * 0.5f, glyph, 1.3f);
  };
}

FaceFn LogoFace(const Fonts& f) {
  return [&f](Canvas& c, const Rect& r, const PictureContext& ctx) {
    Colour word = theme::kText;
    if (ctx.look == Look::kOver || ctx.look == Look::kDown) {
      c.FillRoundRect(r, 8.f, Paint(ctx.look == Look::kDown ? theme::kAccentDim : Hex(0x1C2027)));
      word = Hex(0xFFFFFF);
    }
    // A small keyboard mark in the accent colours.
    const Rect mark{r.x + 8, r.y + 8, 30, 20};
    c.FillRoundRect(mark, 4.f, Paint(Hex(0x262A33)));
    const Colour hues[] = {Hex(0x38B6FF), Hex(0x7C6CFF), Hex(0xFF5FA2), Hex(0xFFB547)};
    for (int i = 0; i < 4; ++i) {
      c.FillRoundRect({mark.x + 3 + i * 6, mark.y + 4, 5, 4}, 1.f, Paint(hues[i]));
      c.FillRoundRect({mark.x + 3 + i * 6, mark.y + 10, 5, 4}, 1.f, Paint(hues[3 - i]));
    }
    c.FillRoundRect({mark.x + 8, mark.y + 15, 14, 2}, 1.f, Paint(Hex(0x8B93A1)));
    f.bold.Draw(c, "KEYLOOM", r.x + 46, r.y + 21, 16.f, word, 1.6f);
    f.regular.Draw(c, "Valdric RGB Mechanical Keyboard", r.x + 46, r.y + 32, 8.5f, theme::kMuted, 0.2f);
  };
}

void DrawLockIndicator(Canvas& c, const Fonts& f, const Rect& r, const char* label) {
  c.FillCircle(r.x + 8.f, r.y + r.h / 2.f, 3.f, Hex(0x2F7FB5));
  c.StrokeCircle(r.x + 8.f, r.y + r.h / 2.f, 4.5f, 1.f, Hex(0x2B3340));
  f.bold.DrawIn(c, {r.x + 15, r.y, r.w - 15, r.h}, label, 8.f, theme::kMuted, Align::kLeft, 0.6f);
}

// The arrows beside the extra-key strip point at the row that is active:
// up at D1..D6, down at F1..F4. Frame 2 moves the arrow along its way.
void DrawArrowFrame(Canvas& c, const Rect& r, bool up, int frame) {
  const float cx = r.x + r.w / 2.f;
  const float shift = frame == 2 ? 3.f : 0.f;
  const float cy = r.y + r.h / 2.f + (up ? -shift : shift);
  const float s = up ? -1.f : 1.f;
  const Colour col = frame == 2 ? theme::kAccent : Hex(0x2C8ACB);
  c.FillPolygon({{cx - 7.f, cy - 1.f * s}, {cx + 7.f, cy - 1.f * s}, {cx, cy + 7.f * s}}, col);
  c.Line(cx, cy - 9.f * s, cx, cy - 1.f * s, 3.f, col);
}

Dialog BuildMain(const Fonts& f) {
  Dialog d;
  d.layout_file = "Main.ini";
  d.width = kWidth, d.height = kHeight;
  d.screen = {{"Main", "main_bg.jpg"},
              {"Mask", "main_mask.png"},
              {"Link", "https://www.valdric.example/"},
              {"Link1", "https://community.valdric.example/"},
              {"Link2", "https://gallery.valdric.example/"}};

  // ---- Keyboard ----
  std::set<uint16_t> placed;
  for (const KeyPlace& p : kKeyPlaces) {
    const int pos = MainKeyPosition(p.control_id);
    if (pos < 0 || !placed.insert(p.control_id).second) {
      std::fprintf(stderr, "key layout: control %u is no key button or placed twice\n", p.control_id);
      std::exit(3);
    }
    const KeyButton& b = kMainKeyButtons[pos];
    std::string legend = p.legend ? p.legend : LegendFromCaption(b.caption);
    if (legend.empty() && b.key_code != 0x039) legend = Utf16ToUtf8(b.caption);
    d.Add(Utf16ToUtf8(SkinKeyName(b)), KeyRect(p.x, p.row, p.w, p.h), KeyFace(f, legend, true));
  }
  if (placed.size() != kMainKeyButtons.size()) {
    std::fprintf(stderr, "key layout: %zu of %zu key buttons placed\n", placed.size(), kMainKeyButtons.size());
    std::exit(3);
  }
  for (int j = 0; j < kGKeyCount; ++j) {
    const Rect r{kGKeysX, RowTop(0) + j * kGKeyPitch, kGKeyWidth, kGKeyPitch};
    d.Add(Utf16ToUtf8(GKeySkinKeyName(j)), r, KeyFace(f, "G" + std::to_string(j + 1), true));
  }
  d.Add(Utf16ToUtf8(kFnSkinKey), KeyRect(kFnX, 5, 4, 1), KeyFace(f, "Fn", true));

  // Extra keys D1..D6 above F1..F4, framed by the two animated arrows and the
  // two buttons that swap the rows.
  for (int i = 0; i < 6; ++i)
    d.Add("KEY_D" + std::to_string(i + 1), {150 + i * 38, 70, 36, 32}, KeyFace(f, "D" + std::to_string(i + 1), false));
  d.Add("FLIP_1", {96, 72, 28, 28}, CommandFace(f, "", Glyph::kSwap, ButtonStyle::kQuiet));
  d.Add("LEFT_ARROW", {126, 73, 20, 26});
  d.Add("RIGHT_ARROW", {382, 73, 20, 26});
  d.Add("FLIP_2", {406, 72, 28, 28}, CommandFace(f, "", Glyph::kSwap, ButtonStyle::kQuiet));
  d.Add("FLIP_0", {440, 72, 140, 28});
  d.Add("LOCK_CAPS", {812, 72, 46, 28});
  d.Add("LOCK_NUM", {860, 72, 46, 28});
  d.Add("LOCK_SCROLL", {908, 72, 46, 28});
  d.Add("LOCK_AB", {956, 72, 46, 28});

  // ---- Title bar ----
  d.Add("TOVRIK_LINK", {16, 8, 228, 36}, LogoFace(f));
  d.Add("TOVRIK_VER", {252, 18, 120, 18});
  d.Add("KEY_PCGAME", {778, 13, 28, 28}, LinkFace(Glyph::kGlobe));
  d.Add("KEY_FACEBOOK", {812, 13, 28, 28}, LinkFace(Glyph::kChat));
  d.Add("KEY_INSTARGRAM", {846, 13, 28, 28}, LinkFace(Glyph::kCamera));
  d.Add("CONTROL_MENU", {882, 11, 34, 32}, TitleFace(Glyph::kMenu));
  d.Add("CONTROL_HELP", {918, 11, 34, 32}, TitleFace(Glyph::kHelp));
  d.Add("CONTROL_MINIMIZE", {954, 11, 34, 32}, TitleFace(Glyph::kMinimize));
  d.Add("CONTROL_CLOSE", {990, 11, 34, 32}, TitleFace(Glyph::kClose, true));

  // ---- Profile and report-rate bar ----
  d.Add("FUNC_SWITCH", {24, 398, 70, 32});
  for (int i = 0; i < 3; ++i)
    d.Add("FUNC_PROFILE" + std::to_string(i + 1), {96 + i * 42, 398, 40, 32}, ToggleFace(f, std::to_string(i + 1)));
  d.Add("FUNC_DEFAULT", {230, 398, 100, 32}, CommandFace(f, "Defaults", Glyph::kReset));
  for (int i = 0; i < 4; ++i)
    d.Add("FUNC_REPORT" + std::to_string(i + 1), {464 + i * 42, 398, 40, 32}, ToggleFace(f, std::to_string(i + 1)));

  // ---- Lighting panel (controls that draw themselves, and pictures) ----
  d.Add("CONTROL_DengStatic", {36, kRow1 + 2, 84, 24});
  d.Add("CONTROL_DengStaPic", {124, kRow1, 48, 28});
  d.Add("CONTROL_DengDisable", {172, kRow1, 48, 28});
  d.Add("CONTROL_XGcombox", {244, kRow1 + 2, 190, 320});
  d.Add("CONTROL_LightStatic", {456, kRow1 + 2, 96, 24});
  d.Add("CONTROL_LightSlider", {554, kRow1 + 2, 150, 24});
  d.Add("CONTROL_SpeedStatic", {726, kRow1 + 2, 64, 24});
  d.Add("CONTROL_SpeedSlider", {792, kRow1 + 2, 150, 24});
  for (const char* suffix : {"", "2", "3"}) {
    const std::string s = suffix;
    d.Add("CONTROL_BLFXStatic" + s, {36, kRow2 + 2, 84, 24});
    d.Add("CONTROL_BLFXLStaPic" + s, {124, kRow2, 40, 28});
    d.Add("CONTROL_BLFXRStaPic" + s, {166, kRow2, 40, 28});
  }
  d.Add("CONTROL_HXysStatic", {244, kRow2 + 2, 56, 24});
  d.Add("CONTROL_HXysButton", {302, kRow2, 60, 28});
  d.Add("CONTROL_FYYSStatic", {244, kRow2 + 2, 56, 24});
  d.Add("CONTROL_FYYSButton", {302, kRow2, 60, 28});
  d.Add("CONTROL_HXsjsStaPic", {380, kRow2 + 2, 40, 24});
  d.Add("CONTROL_COLORFULStatic", {422, kRow2 + 2, 84, 24});
  const char* choices[] = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC"};
  for (int i = 0; i < 4; ++i) d.Add(choices[i], {244 + i * 34, kRow2, 28, 28});
  d.Add("CONTROL_umCombo", {36, kRow2 + 2, 180, 300});
  // Text labels from the language file: room for longer words ("BASE COLOR").
  d.Add("CONTROL_USERysStatic", {234, kRow2 + 4, 50, 20});
  d.Add("CONTROL_USERysButton", {286, kRow2, 56, 28});
  d.Add("CONTROL_USERjsStatic", {362, kRow2 + 4, 100, 20});
  d.Add("CONTROL_USERjsButton", {464, kRow2, 56, 28});
  d.Add("CONTROL_USERgjStatic", {540, kRow2 + 4, 48, 20});
  d.Add("CONTROL_USERgjStaPic1", {590, kRow2, 40, 28});
  d.Add("CONTROL_USERgjStaPic2", {632, kRow2, 40, 28});
  d.Add("CONTROL_RGBStatic", {792, kRow2 + 4, 30, 20});
  d.Add("COLOR_R", {824, kRow2 + 2, 40, 24});
  d.Add("COLOR_G", {868, kRow2 + 2, 40, 24});
  d.Add("COLOR_B", {912, kRow2 + 2, 40, 24});
  // Controls the panel never shows; they keep a place in its free area.
  d.Add("CONTROL_JTysStatic", {244, kRow2 + 2, 56, 24});
  d.Add("CONTROL_JTysButton", {302, kRow2, 60, 28});
  d.Add("CONTROL_FYSJSStaPic", {380, kRow2 + 2, 40, 24});
  d.Add("CONTROL_FYSJSStatic", {422, kRow2 + 2, 84, 24});
  d.Add("CONTROL_FYCFStatic", {610, kRow2 + 2, 60, 24});
  d.Add("CONTROL_FYdjcfStatic", {610, kRow2 + 2, 60, 24});
  d.Add("CONTROL_FYggcfStatc", {676, kRow2 + 2, 60, 24});
  d.Add("CONTROL_FYdjcfStaPic", {610, kRow2, 40, 28});
  d.Add("CONTROL_FYggcfStaPic", {676, kRow2, 40, 28});
  d.Add("CONTROL_TSysStatic", {610, kRow2 + 2, 56, 24});
  d.Add("CONTROL_TSysButton", {668, kRow2, 60, 28});
  d.Add("CONTROL_TSsjsStatic", {610, kRow2 + 2, 84, 24});
  d.Add("CONTROL_TSsjsStaPic", {696, kRow2 + 2, 40, 24});
  d.Add("CONTROL_CDysStatic", {610, kRow2 + 2, 56, 24});
  d.Add("CONTROL_CDysButton", {668, kRow2, 60, 28});
  d.Add("CONTROL_CDsjsStatic", {610, kRow2 + 2, 84, 24});
  d.Add("CONTROL_CDsjsStaPic", {696, kRow2 + 2, 40, 24});
  for (int i = 0; i < 8; ++i) d.Add("CONTROL_Color" + std::to_string(i + 1), {610 + i * 22, kRow2 + 4, 20, 20});

  // ---- Bottom bar ----
  d.Add("FUNC_PROFILES", {24, 570, 170, 40}, [&f](Canvas& c, const Rect& r, const PictureContext& ctx) {
    // The caption (the profile's name) is drawn by the button itself.
    DrawButton(c, f, r, "", Glyph::kNone, ctx.look);
    const Colour g = ctx.look == Look::kDisabled ? Hex(0x565C67) : theme::kAccent;
    DrawGlyph(c, Glyph::kProfiles, r.x + 22.f, r.y + r.h / 2.f, 18.f, g, 1.6f);
  });
  d.Add("FUNC_MACRO", {204, 570, 130, 40}, CommandFace(f, "Macros", Glyph::kMacro));
  d.Add("CONTROL_JDTStatic", {560, 586, 160, 8});
  d.Add("CONTROL2_APPLY", {736, 570, 96, 40}, CommandFace(f, "Apply", Glyph::kApply));
  d.Add("CONTROL_OK", {840, 570, 80, 40}, CommandFace(f, "OK", Glyph::kNone, ButtonStyle::kPrimary));
  d.Add("CONTROL_CANCEL", {928, 570, 92, 40}, CommandFace(f, "Cancel", Glyph::kNone));

  // ---- Arrow animation frames: origins in Arrow.jpg (4 frames a row) ----
  const char* arrow_keys[] = {"UP_ARROW_LEFT", "DOWN_ARROW_LEFT", "UP_ARROW_RIGHT", "DOWN_ARROW_RIGHT"};
  for (int k = 0; k < 4; ++k)
    for (int frame = 1; frame <= 2; ++frame) {
      const int col = (k % 2) * 2 + (frame - 1), row = k / 2;
      Element e{std::string(arrow_keys[k]) + std::to_string(frame), {col * 24 + 1, row * 32 + 1, 20, 26}, {},
                "BUTTONINFO2"};
      d.elements.push_back(e);
    }

  d.ground = [&f](Canvas& c, const PictureContext&) {
    using namespace theme;
    DrawWindowFrame(c, f, "", kTitleHeight, kWindowRadius);
    // Keyboard case with a faint top light.
    c.Glow(kCase, 14.f, 10.f, Hex(0x000000), 0.35f);
    c.FillRoundRect(kCase, 14.f, Paint(kCaseTop, kCaseBottom));
    c.StrokeRoundRect(kCase, 14.f, 1.f, kCaseEdge);
    c.FillRoundRect({kCase.x + 24, kCase.y + 1, kCase.w - 48, 1}, 0.f, Paint(Hex(0x3A404C)), 0.6f);
    // The lock indicators, the row-swap caption and the bar captions are
    // static: drawn here, the same in every picture.
    const char* locks[] = {"CAPS", "NUM", "SCRL", "A/B"};
    for (int i = 0; i < 4; ++i) DrawLockIndicator(c, f, {812 + i * 48, 72, 46, 28}, locks[i]);
    f.bold.DrawIn(c, {444, 72, 140, 28}, "F1\u2013F4 \u21C4 D1\u2013D6", 9.f, kMuted, Align::kLeft, 0.4f);
    DrawCaption(c, f, {26, 398, 70, 32}, "PROFILE");
    DrawCaption(c, f, {352, 398, 110, 32}, "REPORT RATE");
    c.FillRect({342, 404, 1, 20}, Paint(Hex(0x2A2E37)));
    // The lighting panel's card; its pictures are painted on this flat colour.
    c.FillRoundRect(kPanel, 10.f, Paint(kCard));
    c.StrokeRoundRect(kPanel, 10.f, 1.f, kCardEdge);
  };
  return d;
}

// Arrow.jpg: each frame drawn over the window's own ground at the arrow's
// place, so the control blends in whichever frame it shows.
Canvas ArrowPicture(const Dialog& d, const Canvas& ground) {
  Canvas pic(96, 64, theme::kCaseTop);
  for (const Element& e : d.elements) {
    if (e.section != "BUTTONINFO2") continue;
    const bool left = e.key.find("LEFT") != std::string::npos;
    const Rect at = d.Find(left ? "LEFT_ARROW" : "RIGHT_ARROW").rect;
    const Rect cell{e.rect.x - 1, e.rect.y - 1, 24, 32};
    Canvas frame = ground.Crop({at.x, at.y, cell.w, cell.h});
    DrawArrowFrame(frame, {0, 0, at.w, at.h}, e.key.rfind("UP_", 0) == 0, e.key.back() - '0');
    pic.Paste(frame, cell.x, cell.y);
  }
  return pic;
}

}  // namespace

FileSet MainWindowFiles(const Fonts& f) {
  const Dialog d = BuildMain(f);
  FileSet files;
  files["Skins/Main.ini"] = [&] {
    const std::string t = LayoutFileText(d);
    return Bytes(t.begin(), t.end());
  }();
  const Canvas ground = Render(d, {Look::kNormal});
  files["Skins/main_bg.jpg"] = EncodeJpeg(ground, kJpegQuality);
  files["Skins/main_mask.png"] = EncodePng(RoundedMask(d.width, d.height, kWindowRadius));
  const std::pair<const char*, Look> states[] = {
      {"main_normal.jpg", Look::kNormal}, {"main_over.jpg", Look::kOver},   {"main_down.jpg", Look::kDown},
      {"main_disable.jpg", Look::kDisabled}, {"main_color0.jpg", Look::kUnlit}, {"main_color1.jpg", Look::kLit},
  };
  for (const auto& [name, look] : states)
    files[std::string("Skins/") + name] = EncodeJpeg(StatePicture(d, {look}), kJpegQuality);
  // The arrows copy from (x - 1, y - 1) of their origin, which the layout
  // already accounts for: no shift here.
  Dialog bare = d;
  for (Element& e : bare.elements) e.face = {};
  files["Skins/Arrow.jpg"] = EncodeJpeg(ArrowPicture(d, Render(bare, {Look::kNormal})), kJpegQuality);
  for (auto& [name, bytes] : LightingPanelPictures(d, f)) files[name] = std::move(bytes);
  return files;
}

}  // namespace keyloom::skin
