// The skin's visual language: colours, fonts, glyphs and the faces of keys,
// buttons and labels in each of their looks.
#pragma once

#include <string>
#include <string_view>

#include "raster.h"

namespace keyloom::skin {

namespace theme {
inline constexpr Colour kWindowTop = Hex(0x181B21);
inline constexpr Colour kWindowBottom = Hex(0x0F1115);
inline constexpr Colour kWindowEdge = Hex(0x2E333D);
inline constexpr Colour kTitleBar = Hex(0x111318);
inline constexpr Colour kCaseTop = Hex(0x1D2027);
inline constexpr Colour kCaseBottom = Hex(0x17191F);
inline constexpr Colour kCaseEdge = Hex(0x2C313B);
inline constexpr Colour kCard = Hex(0x1A1D23);  // flat: the panel's pictures sit on it
inline constexpr Colour kCardEdge = Hex(0x2A2E37);
inline constexpr Colour kText = Hex(0xE8EBF0);
inline constexpr Colour kMuted = Hex(0x8B93A1);
inline constexpr Colour kFaint = Hex(0x5A616D);
inline constexpr Colour kAccent = Hex(0x38B6FF);
inline constexpr Colour kAccentDeep = Hex(0x1E72B0);
inline constexpr Colour kAccentDim = Hex(0x163A55);
inline constexpr Colour kAmber = Hex(0xFFB547);
inline constexpr Colour kAmberDim = Hex(0x3B301C);
inline constexpr Colour kDanger = Hex(0xE0474C);
inline constexpr Colour kField = Hex(0x111318);
}  // namespace theme

// The looks a control can have in one state picture. kSelected is the look
// of a chosen item (an assigned key, the active profile, the current page);
// kUnlit and kLit are the keyboard's faces for the lighting pictures.
enum class Look { kNormal, kOver, kDown, kDisabled, kSelected, kUnlit, kLit };

struct Fonts {
  Font regular;
  Font bold;
  explicit Fonts(const std::string& folder)
      : regular(folder + "/DejaVuSans.ttf"), bold(folder + "/DejaVuSans-Bold.ttf") {}
};

enum class Glyph {
  kNone, kMenu, kHelp, kMinimize, kClose, kGlobe, kChat, kCamera, kProfiles, kMacro, kCheck, kCross,
  kReset, kSwap, kKeyboard, kRecord, kPlus, kMinus, kTrash, kToTop, kUp, kDown, kToBottom, kEraser,
  kFolder, kSave, kUpload, kMedia, kFunction, kApply, kBroom, kBrush, kBucket,
};
// Draws `g` centred in a square of `size` pixels at (cx, cy).
void DrawGlyph(Canvas& c, Glyph g, float cx, float cy, float size, Colour colour, float stroke = 1.6f);

// A keycap: one or two legend lines ("!\n1": upper line first).
void DrawKeycap(Canvas& c, const Fonts& f, const Rect& r, std::string_view legend, Look look);

enum class ButtonStyle { kPlain, kPrimary, kToggle, kTab, kQuiet };
// A push button with an optional glyph left of its label (or alone).
void DrawButton(Canvas& c, const Fonts& f, const Rect& r, std::string_view label, Glyph glyph, Look look,
                ButtonStyle style = ButtonStyle::kPlain, float text_size = 12.f);
// A borderless title-bar button; `danger` reddens its hover.
void DrawTitleButton(Canvas& c, const Rect& r, Glyph g, Look look, bool danger);
// Small caps label in the muted colour.
void DrawCaption(Canvas& c, const Fonts& f, const Rect& r, std::string_view text, Align align = Align::kLeft,
                 Colour colour = theme::kMuted, float size = 10.f);

}  // namespace keyloom::skin
