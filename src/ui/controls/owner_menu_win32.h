// A pop-up menu that draws its own items in the skin's dark colours, with
// an optional shortcut text right-aligned on each item. The owner window
// passes its WM_MEASUREITEM and WM_DRAWITEM for menus here while the menu
// is shown.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/controls/gdi_win32.h"

namespace keyloom {

class COwnerMenu {
 public:
  struct Item {
    UINT id = 0;  // 0: a separator
    std::u16string text;
    std::u16string shortcut;
    bool enabled = true;
  };

  // Colours: red in the low byte.
  struct Colours {
    COLORREF face = RGB(0x1F, 0x22, 0x29);
    COLORREF text = RGB(0xE8, 0xEB, 0xF0);
    COLORREF muted = RGB(0x8B, 0x93, 0xA1);
    COLORREF disabled = RGB(0x56, 0x5C, 0x67);
    COLORREF highlight = RGB(0x1E, 0x72, 0xB0);
    COLORREF separator = RGB(0x2E, 0x33, 0x3D);
  };

  explicit COwnerMenu(std::vector<Item> items);
  COwnerMenu(std::vector<Item> items, const Colours& colours);
  ~COwnerMenu();
  COwnerMenu(const COwnerMenu&) = delete;
  COwnerMenu& operator=(const COwnerMenu&) = delete;

  // Shows the menu at a screen point and returns the command chosen, or 0.
  UINT Track(HWND owner, POINT at);
  HMENU handle() const { return menu_; }
  const std::vector<Item>& items() const { return items_; }

  // The owner's menu messages; true when they were this menu's.
  bool OnMeasureItem(HWND owner, MEASUREITEMSTRUCT& measure) const;
  bool OnDrawItem(const DRAWITEMSTRUCT& draw) const;

 private:
  const Item* ItemOf(ULONG_PTR data) const;

  std::vector<Item> items_;
  Colours colours_;
  HMENU menu_ = nullptr;
  GdiFont font_;
  GdiBrush background_;  // the margins around the items
};

}  // namespace keyloom
