#include "ui/controls/placement_win32.h"

#include "storage/skin_layout.h"
#include "ui/controls/window_position.h"

namespace keyloom {

namespace {
void MoveTo(HWND control, const SkinRect& r, bool repaint) {
  MoveWindow(control, r.x, r.y, r.w, r.h, repaint ? TRUE : FALSE);
}

void Apply(CPngButton& button, const SkinButtonPlacement& plan, const StateSurfaces& surfaces) {
  if (!button.hwnd()) return;
  MoveTo(button.hwnd(), plan.rect, false);
  // The button keeps the skin's one-based origin and copies from one pixel
  // up and left of it, which is where the plan says its face is.
  button.Place(plan.picture_origin.x + 1, plan.picture_origin.y + 1, surfaces, false);
  if (plan.disabled) EnableWindow(button.hwnd(), FALSE);
}
}  // namespace

void PlaceSkinButton(CPngButton& button, const IniService& ini, const std::u16string& layout_file,
                     std::u16string_view section, std::u16string_view key, const StateSurfaces& surfaces) {
  Apply(button, PlanSkinButton(ReadSkinRect(ini, layout_file, section, key)), surfaces);
}

void PlaceSkinButtonWithOrigin(CPngButton& button, const IniService& ini, const std::u16string& layout_file,
                               std::u16string_view section, std::u16string_view key,
                               std::u16string_view origin_section, std::u16string_view origin_key,
                               const SkinSurface* picture) {
  const SkinButtonPlacement plan = PlanSkinButtonWithOrigin(ReadSkinRect(ini, layout_file, section, key),
                                                            ReadSkinRect(ini, layout_file, origin_section, origin_key));
  PlaceSkinButtonByPlan(button, plan, picture);
}

void PlaceSkinButtonByPlan(CPngButton& button, const SkinButtonPlacement& plan, const SkinSurface* picture) {
  Apply(button, plan, {picture, picture, picture, picture, picture});
}

void PlaceControl(HWND control, const IniService& ini, const std::u16string& layout_file,
                  std::u16string_view section, std::u16string_view key) {
  if (control) MoveTo(control, ReadSkinRect(ini, layout_file, section, key), false);
}

void PlaceControlAt(HWND control, const IniService& ini, const std::u16string& layout_file,
                    std::u16string_view section, std::u16string_view key) {
  if (!control) return;
  RECT bounds{};
  GetWindowRect(control, &bounds);
  const SkinRect r = PlanControlAt(ReadSkinRect(ini, layout_file, section, key), bounds.right - bounds.left,
                                   bounds.bottom - bounds.top);
  MoveTo(control, r, true);
  InvalidateRect(control, nullptr, TRUE);
}

void CentreWindow(HWND window, HWND owner) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  HMONITOR where = MonitorFromWindow(owner && IsWindowVisible(owner) ? owner : window, MONITOR_DEFAULTTOPRIMARY);
  if (!GetMonitorInfoW(where, &monitor)) return;
  const ScreenRect work{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right, monitor.rcWork.bottom};
  const int width = r.right - r.left, height = r.bottom - r.top;
  ScreenPoint at = CentreInWorkArea(work, width, height);
  RECT o{};
  if (owner && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &o))
    at = CentreOver({o.left, o.top, o.right, o.bottom}, work, width, height);
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace keyloom
