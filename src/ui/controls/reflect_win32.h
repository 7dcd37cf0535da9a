// Notifications a parent hands back to the control they concern, so a
// control draws itself (the parent reflects WM_DRAWITEM with this message).
#pragma once

#include <windows.h>

namespace keyloom {

// wParam 0, lParam the DRAWITEMSTRUCT; a control that drew returns TRUE.
inline constexpr UINT kReflectedDrawItem = WM_USER + 0x1C00 + WM_DRAWITEM;

// For a parent's window procedure: true when the control drew the item.
inline bool ReflectDrawItem(LPARAM lparam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
  return item && item->CtlType == ODT_BUTTON && item->hwndItem &&
         SendMessageW(item->hwndItem, kReflectedDrawItem, 0, lparam) != 0;
}

}  // namespace keyloom
