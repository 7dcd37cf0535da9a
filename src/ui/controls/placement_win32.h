// Placing controls on a skinned window from its layout file: where each
// control goes and which pictures an image button copies its face from.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/controls/png_button_win32.h"

namespace keyloom {

class IniService;
struct SkinButtonPlacement;

// Moves and sizes the button to the key's rectangle (without repainting)
// and gives it the five state pictures with the rectangle's x,y as origin;
// a button at 1,1 (a missing key) is disabled.
void PlaceSkinButton(CPngButton& button, const IniService& ini, const std::u16string& layout_file,
                     std::u16string_view section, std::u16string_view key, const StateSurfaces& surfaces);
// Places from `key`, takes the picture origin from `origin_key` of
// `origin_section`, and uses one picture for all five looks.
void PlaceSkinButtonWithOrigin(CPngButton& button, const IniService& ini, const std::u16string& layout_file,
                               std::u16string_view section, std::u16string_view key,
                               std::u16string_view origin_section, std::u16string_view origin_key,
                               const SkinSurface* picture);
// As PlaceSkinButtonWithOrigin, from a plan already read.
void PlaceSkinButtonByPlan(CPngButton& button, const SkinButtonPlacement& plan, const SkinSurface* picture);
// Moves and sizes any control to the key's rectangle.
void PlaceControl(HWND control, const IniService& ini, const std::u16string& layout_file,
                  std::u16string_view section, std::u16string_view key);
// Moves a control to the key's x,y, keeps its size, and repaints it.
void PlaceControlAt(HWND control, const IniService& ini, const std::u16string& layout_file,
                    std::u16string_view section, std::u16string_view key);

// Moves a top-level window so that it lies centred over `owner` (or, with
// no owner, centred in the work area of its monitor), entirely inside that
// work area.
void CentreWindow(HWND window, HWND owner);

}  // namespace keyloom
