// The three editor windows: the key editor with its four pages, the profile
// manager and the firmware update dialog.
#include <string>

#include "dialog.h"

namespace keyloom::skin {
namespace {

using namespace theme;

Bytes TextBytes(const std::string& t) { return Bytes(t.begin(), t.end()); }

FaceFn Button(const Fonts& f, std::string label, Glyph g, ButtonStyle style = ButtonStyle::kPlain) {
  return [&f, label, g, style](Canvas& c, const Rect& r, const PictureContext& ctx) {
    DrawButton(c, f, r, label, g, ctx.look, style);
  };
}

// ---- Key editor -------------------------------------------------------------

enum Page { kNoPage = -1, kKeyPage, kMacroPage, kMediaPage, kFunctionPage };

struct PageInfo {
  const char* file_prefix;
  const char* tab;
  Glyph glyph;
  const char* heading;
  const char* hint;
};
constexpr PageInfo kPages[] = {
    {"key", "Key", Glyph::kKeyboard, "Single key",
     "Press the key the button should send, or a key on the on-screen keyboard."},
    {"macro", "Macro", Glyph::kMacro, "Macro",
     "Pick a macro to play, or make a new one and record it from your typing."},
    {"media", "Media", Glyph::kMedia, "Media action", "Choose a multimedia action for the button."},
    {"function", "Function", Glyph::kFunction, "Keyboard function",
     "Choose a function that the keyboard performs itself."},
};

// The page tabs: the current page's tab shows chosen in every picture of its
// page; in the macro-only form the other tabs are disabled.
FaceFn TabFace(const Fonts& f, int page) {
  return [&f, page](Canvas& c, const Rect& r, const PictureContext& ctx) {
    Look look = ctx.look;
    if (ctx.macro_mode && page != kMacroPage) {
      look = Look::kDisabled;
    } else if (ctx.page == page) {
      look = ctx.look == Look::kDown ? Look::kDown : Look::kSelected;
    }
    DrawButton(c, f, r, kPages[page].tab, kPages[page].glyph, look, ButtonStyle::kTab);
  };
}

// Buttons of the macro page: drawn only in that page's pictures.
FaceFn MacroButton(const Fonts& f, std::string label, Glyph g) {
  return [&f, label, g](Canvas& c, const Rect& r, const PictureContext& ctx) {
    if (ctx.page == kMacroPage) DrawButton(c, f, r, label, g, ctx.look);
  };
}

// The single-key page's keyboard/mouse switch: two toggles whose captions
// (language texts) the buttons draw; the chosen one shows selected.
FaceFn KeyPageToggle() {
  return [](Canvas& c, const Rect& r, const PictureContext& ctx) {
    if (ctx.page != kKeyPage) return;
    const Look look = ctx.look == Look::kDown ? Look::kSelected : ctx.look;
    const Rect body = r.Inset(1, 1);
    Colour fill = Hex(0x22252C), edge = Hex(0x3A404B);
    if (look == Look::kOver) edge = kAccent;
    if (look == Look::kSelected) fill = Hex(0x1A4766), edge = kAccent;
    c.FillRoundRect(body, 6.f, Paint(fill));
    c.StrokeRoundRect(body, 6.f, 1.f, edge);
    // A dot that fills when chosen.
    const float cx = body.x + 16.f, cy = body.y + body.h / 2.f;
    c.FillCircle(cx, cy, 6.f, look == Look::kSelected ? kAccent : Hex(0x111318));
    c.StrokeCircle(cx, cy, 6.f, 1.2f, look == Look::kSelected ? kAccent : Hex(0x5A616D));
  };
}

// The record-delay check box of the macro page: a box, ticked in the
// selected (pressed) look.
FaceFn MacroCheck() {
  return [](Canvas& c, const Rect& r, const PictureContext& ctx) {
    if (ctx.page != kMacroPage) return;
    const Rect box{r.x + 1, r.y + (r.h - 16) / 2, 16, 16};
    const bool ticked = ctx.look == Look::kDown;
    const bool disabled = ctx.look == Look::kDisabled;
    c.FillRoundRect(box, 3.f, Paint(ticked ? kAccentDeep : kField));
    c.StrokeRoundRect(box, 3.f, 1.f, ticked || ctx.look == Look::kOver ? kAccent : Hex(disabled ? 0x2A2E37 : 0x5A616D));
    if (ticked) DrawGlyph(c, Glyph::kCheck, box.x + 8.f, box.y + 8.f, 12.f, Hex(0xFFFFFF), 1.8f);
  };
}

// Buttons that the macro-only form disables.
FaceFn KeyPageOnly(const Fonts& f, std::string label, Glyph g) {
  return [&f, label, g](Canvas& c, const Rect& r, const PictureContext& ctx) {
    DrawButton(c, f, r, label, g, ctx.macro_mode ? Look::kDisabled : ctx.look);
  };
}

Dialog BuildKeyEditor(const Fonts& f) {
  Dialog d;
  d.layout_file = "Composite.ini";
  d.width = 560, d.height = 440;
  d.screen = {{"Main", "composite_bg.jpg"}, {"Mask", "composite_mask.png"}};

  d.Add("CONTROL_TITLE", {16, 8, 300, 28}, [&f](Canvas& c, const Rect& r, const PictureContext&) {
    c.FillRoundRect({r.x + 2, r.y + 7, 4, 14}, 2.f, Paint(kAccent));
    f.bold.DrawIn(c, {r.x + 14, r.y, r.w - 14, r.h}, "KEY ASSIGNMENT", 12.5f, kText, Align::kLeft, 1.2f);
  });
  for (int p = 0; p < 4; ++p) {
    const char* keys[] = {"CONTROL_KEY", "CONTROL_MACRO", "CONTROL_MEDIA", "CONTROL_FUNCTION"};
    d.Add(keys[p], {20 + p * 131, 54, 127, 38}, TabFace(f, p));
  }
  // The page's banner: its symbol, name and what to do.
  d.Add("CONTROL_MASK", {20, 102, 520, 54}, [&f](Canvas& c, const Rect& r, const PictureContext& ctx) {
    if (ctx.page < 0) return;
    const PageInfo& p = kPages[ctx.page];
    c.FillCircle(r.x + 27.f, r.y + r.h / 2.f, 19.f, kAccentDim);
    DrawGlyph(c, p.glyph, r.x + 27.f, r.y + r.h / 2.f, 20.f, kAccent, 1.7f);
    f.bold.Draw(c, p.heading, r.x + 56, r.y + 22, 13.f, kText, 0.3f);
    f.regular.Draw(c, p.hint, r.x + 56, r.y + 41, 10.f, kMuted);
  });

  // Single-key page: the keyboard/mouse switch, then the captured key or,
  // with the switch on mouse, the mouse actions.
  d.Add("FUNC_KEY_KEYBOARD", {120, 186, 158, 32}, KeyPageToggle());
  d.Add("FUNC_KEY_MOUSE", {282, 186, 158, 32}, KeyPageToggle());
  d.Add("FUNC_KEY_INPUT", {120, 232, 320, 30});
  d.Add("FUNC_MOUSE_SELECT", {120, 232, 320, 200});
  // Media and function pages.
  d.Add("FUNC_MEDIA_SELECT", {32, 176, 496, 196});
  d.Add("FUNC_FUNCTION_SELECT", {32, 176, 496, 196});
  // Macro page.
  d.Add("FUNC_MACRO_LIST", {32, 176, 204, 240});
  d.Add("FUNC_MACRO_ADD", {32, 212, 100, 30}, MacroButton(f, "New", Glyph::kPlus));
  d.Add("FUNC_MACRO_DELETE", {136, 212, 100, 30}, MacroButton(f, "Delete", Glyph::kTrash));
  d.Add("FUNC_MACRO_CYCLES_PROMPT", {32, 258, 120, 20});
  d.Add("FUNC_MACRO_CYCLES", {160, 256, 76, 24});
  d.Add("FUNC_MACRO_RECORD_DELAY", {32, 290, 18, 20}, MacroCheck());
  d.Add("FUNC_MACRO_RECORD_DELAY2", {54, 290, 182, 20});
  // The record button's caption (Record / Stop) is drawn by the button.
  d.Add("FUNC_MACRO_RECORD", {32, 326, 204, 40}, [&f](Canvas& c, const Rect& r, const PictureContext& ctx) {
    if (ctx.page != kMacroPage) return;
    DrawButton(c, f, r, "", Glyph::kNone, ctx.look);
    c.FillCircle(r.x + 22.f, r.y + r.h / 2.f, 6.f, ctx.look == Look::kDisabled ? Hex(0x5A3A3C) : kDanger);
  });
  d.Add("FUNC_MACRO_LIST2", {248, 176, 238, 196});
  const struct {
    const char* key;
    Glyph glyph;
    int y;
  } tools[] = {{"FUNC_MACRO_UP_TOP", Glyph::kToTop, 176},    {"FUNC_MACRO_UP", Glyph::kUp, 208},
               {"FUNC_MACRO_DOWN", Glyph::kDown, 240},       {"FUNC_MACRO_DOWN_BOTTOM", Glyph::kToBottom, 272},
               {"FUNC_MACRO_DELETE2", Glyph::kMinus, 310},   {"FUNC_MACRO_CLEAR", Glyph::kBroom, 342}};
  for (const auto& t : tools) d.Add(t.key, {494, t.y, 36, 30}, MacroButton(f, "", t.glyph));

  // Bottom bar.
  d.Add("CONTROL_OSK", {20, 390, 44, 36}, Button(f, "", Glyph::kKeyboard));
  d.Add("CONTROL_CLEAR", {72, 390, 100, 36}, KeyPageOnly(f, "Clear", Glyph::kEraser));
  d.Add("CONTROL2_APPLY", {256, 390, 92, 36}, Button(f, "Apply", Glyph::kApply));
  d.Add("CONTROL_OK", {356, 390, 84, 36}, Button(f, "OK", Glyph::kNone, ButtonStyle::kPrimary));
  d.Add("CONTROL_CANCEL", {448, 390, 92, 36}, Button(f, "Cancel", Glyph::kNone));

  d.ground = [&f](Canvas& c, const PictureContext&) {
    DrawWindowFrame(c, f, "", 44, kWindowRadius);
    const Rect content{20, 164, 520, 216};
    c.FillRoundRect(content, 10.f, Paint(kCard));
    c.StrokeRoundRect(content, 10.f, 1.f, kCardEdge);
  };
  return d;
}

// ---- Profile manager ----------------------------------------------------------

Dialog BuildProfileManager(const Fonts& f) {
  Dialog d;
  d.layout_file = "Profile.ini";
  d.width = 540, d.height = 340;
  d.screen = {{"Main", "profile_bg.jpg"}, {"Mask", "profile_mask.png"}};
  d.Add("PROGRAM_LIST", {20, 60, 500, 204});
  d.Add("FUNC_ADD", {20, 284, 84, 36}, Button(f, "New", Glyph::kPlus));
  d.Add("FUNC_LOAD", {110, 284, 84, 36}, Button(f, "Load", Glyph::kFolder));
  d.Add("FUNC_DELETE", {200, 284, 92, 36}, Button(f, "Delete", Glyph::kTrash));
  d.Add("CONTROL2_APPLY", {314, 284, 70, 36}, Button(f, "Apply", Glyph::kNone));
  d.Add("CONTROL_OK", {390, 284, 60, 36}, Button(f, "OK", Glyph::kNone, ButtonStyle::kPrimary));
  d.Add("CONTROL_CANCEL", {456, 284, 64, 36}, Button(f, "Cancel", Glyph::kNone));
  d.ground = [&f](Canvas& c, const PictureContext&) {
    DrawWindowFrame(c, f, "PROFILES", 44, kWindowRadius);
    c.FillRoundRect({18, 58, 504, 208}, 6.f, Paint(kField));
    c.StrokeRoundRect({18, 58, 504, 208}, 6.f, 1.f, kCardEdge);
  };
  return d;
}

// ---- Firmware update ------------------------------------------------------------

Dialog BuildUpdateDialog(const Fonts& f) {
  Dialog d;
  d.layout_file = "UpdateDlg.ini";
  d.width = 480, d.height = 236;
  d.screen = {{"Main", "update_bg.jpg"}, {"Mask", "update_mask.png"}};
  d.Add("CONTROL_UPStatic", {26, 110, 330, 20});
  d.Add("CONTROL_UPCombox", {20, 146, 200, 120});
  d.Add("CONTROL_OPENButton", {370, 102, 90, 36}, Button(f, "Open", Glyph::kFolder));
  d.Add("CONTROL_BACKUPButton", {20, 180, 110, 36}, Button(f, "Backup", Glyph::kSave));
  d.Add("CONTROL_CUPButton", {264, 180, 96, 36}, Button(f, "Cancel", Glyph::kNone));
  d.Add("CONTROL_UPButton", {368, 180, 92, 36}, Button(f, "Update", Glyph::kUpload, ButtonStyle::kPrimary));
  d.ground = [&f](Canvas& c, const PictureContext&) {
    DrawWindowFrame(c, f, "FIRMWARE UPDATE", 44, kWindowRadius);
    f.regular.Draw(c, "Choose the updater program, back up your key assignments if you", 20, 70, 10.5f, kMuted);
    f.regular.Draw(c, "wish, then start the update. Keep the keyboard plugged in.", 20, 86, 10.5f, kMuted);
    c.FillRoundRect({20, 102, 342, 36}, 6.f, Paint(kField));
    c.StrokeRoundRect({20, 102, 342, 36}, 6.f, 1.f, kCardEdge);
  };
  return d;
}

void AddWindowFiles(FileSet& out, const Dialog& d) {
  out["Skins/" + d.layout_file] = TextBytes(LayoutFileText(d));
  out["Skins/" + d.screen[0].second] = EncodeJpeg(Render(d, {}), kJpegQuality);
  out["Skins/" + d.screen[1].second] = EncodePng(RoundedMask(d.width, d.height, kWindowRadius));
}

}  // namespace

FileSet KeyEditorFiles(const Fonts& f) {
  const Dialog d = BuildKeyEditor(f);
  FileSet out;
  AddWindowFiles(out, d);
  // The background shows wherever a control is hidden, so it carries no
  // page's controls; the page pictures do.
  out["Skins/" + d.screen[0].second] = EncodeJpeg(Render(d, {Look::kNormal, kNoPage, false}), kJpegQuality);
  const std::pair<const char*, Look> looks[] = {
      {"normal", Look::kNormal}, {"over", Look::kOver}, {"down", Look::kDown}, {"disable", Look::kDisabled}};
  for (int page = 0; page < 4; ++page)
    for (const auto& [suffix, look] : looks)
      out[std::string("Skins/") + kPages[page].file_prefix + "_" + suffix + ".jpg"] =
          EncodeJpeg(StatePicture(d, {look, page, false}), kJpegQuality);
  for (const auto& [suffix, look] : looks)
    out[std::string("Skins/macro2_") + suffix + ".jpg"] =
        EncodeJpeg(StatePicture(d, {look, kMacroPage, true}), kJpegQuality);
  return out;
}

FileSet ProfileManagerFiles(const Fonts& f) {
  const Dialog d = BuildProfileManager(f);
  FileSet out;
  AddWindowFiles(out, d);
  out["Skins/Profile_normal.jpg"] = EncodeJpeg(StatePicture(d, {Look::kNormal}), kJpegQuality);
  out["Skins/Profile_over.jpg"] = EncodeJpeg(StatePicture(d, {Look::kOver}), kJpegQuality);
  // Pressed and disabled buttons share this picture: a sunken, dimmed face
  // reads right for both, where a lit one would make a disabled Apply look
  // active.
  out["Skins/Profile_down.jpg"] = EncodeJpeg(StatePicture(d, {Look::kDisabled}), kJpegQuality);
  return out;
}

FileSet UpdateDialogFiles(const Fonts& f) {
  const Dialog d = BuildUpdateDialog(f);
  FileSet out;
  AddWindowFiles(out, d);
  out["Skins/update_normal.jpg"] = EncodeJpeg(StatePicture(d, {Look::kNormal}), kJpegQuality);
  // Mouse over, pressed and disabled share this picture.
  out["Skins/update_over.jpg"] = EncodeJpeg(StatePicture(d, {Look::kOver}), kJpegQuality);
  return out;
}

}  // namespace keyloom::skin
