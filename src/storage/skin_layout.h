// Skin layout files: where each control of a skinned window sits and which
// pictures give the window its face and shape. One INI file per window in
// the Skins folder beside the program, read through the INI service and
// never written; nothing is cached, so an edited file shows at the next
// placement.
//
// The placement rules are plain functions of the rectangles read here; the
// skinned controls apply them to real windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom {

class IniService;

enum class SkinLayout { kMain, kComposite, kProfile, kUpdate };

inline constexpr std::u16string_view kSkinFolderName = u"Skins";
// "Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini".
std::u16string_view SkinLayoutFileName(SkinLayout layout);
// <program folder>/Skins
std::u16string SkinFolder(std::u16string_view program_folder);
// <program folder>/Skins/<layout file>
std::u16string SkinLayoutPath(std::u16string_view program_folder, SkinLayout layout);

inline constexpr std::u16string_view kScreenSection = u"SCREEN";
inline constexpr std::u16string_view kButtonSection = u"BUTTONINFO";
inline constexpr std::u16string_view kArrowFrameSection = u"BUTTONINFO2";  // main layout only

// Buffers the values are read with, terminator included.
inline constexpr size_t kSkinRectCapacity = 260;
inline constexpr size_t kSkinScreenCapacity = 2047;

// x,y is the control's top-left corner in the window's client area.
struct SkinRect {
  int x = 1, y = 1, w = 1, h = 1;
  bool operator==(const SkinRect&) const = default;
};
// What a missing placement key reads as.
inline constexpr std::u16string_view kDefaultSkinRect = u"1,1,1,1,x";

// "%d,%d,%d,%d": anything after the fourth number is ignored; numbers that
// are not there read as 0.
SkinRect ParseSkinRect(std::u16string_view value);
SkinRect ReadSkinRect(const IniService& ini, const std::u16string& layout_file,
                      std::u16string_view section, std::u16string_view key);

// The window's background picture and the mask that cuts its shape, as
// names relative to the skin folder. An empty value counts as absent; the
// mask defaults to the background.
struct SkinScreen {
  std::u16string main;
  std::u16string mask;
};
SkinScreen ReadSkinScreen(const IniService& ini, const std::u16string& layout_file);

// The main window's three link buttons: "Link", "Link1", "Link2" (index 0..2).
inline constexpr std::u16string_view kDefaultSkinLink = u"https://www.valdric.example/";
std::u16string ReadSkinLink(const IniService& ini, const std::u16string& main_layout_file, int index);

// Key of an arrow control's picture origin in one animation frame (1 or 2):
// "UP_ARROW_LEFT1" .. "DOWN_ARROW_RIGHT2". The "UP_" form is used while the
// Flip setting is 1.
std::u16string ArrowOriginKey(bool left, bool flip_up, int frame);

// ---- Placement rules -----------------------------------------------------
struct SkinPoint {
  int x = 0, y = 0;
  bool operator==(const SkinPoint&) const = default;
};

struct SkinButtonPlacement {
  SkinRect rect;              // where the button goes, with its size
  SkinPoint picture_origin;   // where its face is copied from in each state picture
  bool disabled = false;
  bool operator==(const SkinButtonPlacement&) const = default;
};

// An image button: placed at its rectangle, its face copied from each state
// picture at (x - 1, y - 1); a button at x = 1, y = 1 (a missing key) is
// disabled.
SkinButtonPlacement PlanSkinButton(const SkinRect& rect);
// A button placed from one key whose pictures come from another key's x,y
// (the main window's animated arrows); it is never disabled by the rule above.
SkinButtonPlacement PlanSkinButtonWithOrigin(const SkinRect& rect, const SkinRect& origin);
// Moves a control to the key's x,y and keeps its present size.
SkinRect PlanControlAt(const SkinRect& rect, int current_width, int current_height);

// ---- Window shape ---------------------------------------------------------
// One run of kept pixels on row y: [x_begin, x_end).
struct MaskRun {
  int y = 0, x_begin = 0, x_end = 0;
  bool operator==(const MaskRun&) const = default;
};
// The runs of a mask picture's pixels whose red, green and blue are not all
// 255, rows top to bottom. `pixels` holds `height` rows of `width` pixels,
// each 0x??RRGGBB (a 32-bit top-down bitmap); a mask smaller than it says
// gives no runs for the rows it lacks.
std::vector<MaskRun> MaskRuns(std::span<const uint32_t> pixels, int width, int height);

}  // namespace keyloom
