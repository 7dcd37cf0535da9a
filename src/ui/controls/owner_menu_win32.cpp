#include "ui/controls/owner_menu_win32.h"

#include <algorithm>

#include "base/text.h"

namespace keyloom {

namespace {
// Item data: a tag in the high bits, the item's position in the low ones,
// so items of other menus are left alone.
constexpr ULONG_PTR kDataTag = 0x4F4D0000;  // 'OM'
constexpr int kItemHeight = 26, kSeparatorHeight = 9, kPadding = 14, kShortcutGap = 28;
}  // namespace

COwnerMenu::COwnerMenu(std::vector<Item> items) : COwnerMenu(std::move(items), Colours{}) {}

COwnerMenu::COwnerMenu(std::vector<Item> items, const Colours& colours)
    : items_(std::move(items)), colours_(colours), menu_(CreatePopupMenu()) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    font_ = GdiFont(CreateFontIndirectW(&metrics.lfMenuFont));
  for (size_t i = 0; i < items_.size() && menu_; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_DATA;
    info.fType = MFT_OWNERDRAW | (items_[i].id == 0 ? MFT_SEPARATOR : 0);
    info.wID = items_[i].id;
    info.fState = items_[i].enabled ? MFS_ENABLED : MFS_DISABLED;
    info.dwItemData = kDataTag | i;
    InsertMenuItemW(menu_, UINT(i), TRUE, &info);
  }
  background_ = GdiBrush(CreateSolidBrush(colours_.face));
  if (menu_) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = background_.get();
    SetMenuInfo(menu_, &info);
  }
}

COwnerMenu::~COwnerMenu() {
  if (menu_) DestroyMenu(menu_);
}

UINT COwnerMenu::Track(HWND owner, POINT at) {
  if (!menu_) return 0;
  return static_cast<UINT>(
      TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y,
                     0, owner, nullptr));
}

const COwnerMenu::Item* COwnerMenu::ItemOf(ULONG_PTR data) const {
  if ((data & 0xFFFF0000u) != kDataTag) return nullptr;
  const size_t i = data & 0xFFFF;
  return i < items_.size() ? &items_[i] : nullptr;
}

bool COwnerMenu::OnMeasureItem(HWND owner, MEASUREITEMSTRUCT& measure) const {
  if (measure.CtlType != ODT_MENU) return false;
  const Item* item = ItemOf(measure.itemData);
  if (!item) return false;
  if (item->id == 0) {
    measure.itemWidth = 1;
    measure.itemHeight = kSeparatorHeight;
    return true;
  }
  WindowDc dc(owner);
  SelectedObject with_font(dc.get(), font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SIZE text{}, shortcut{};
  GetTextExtentPoint32W(dc.get(), AsWide(item->text), int(item->text.size()), &text);
  if (!item->shortcut.empty())
    GetTextExtentPoint32W(dc.get(), AsWide(item->shortcut), int(item->shortcut.size()), &shortcut);
  measure.itemWidth = UINT(2 * kPadding + text.cx + (shortcut.cx ? kShortcutGap + shortcut.cx : 0));
  measure.itemHeight = UINT(std::max<LONG>(kItemHeight, text.cy + 8));
  return true;
}

bool COwnerMenu::OnDrawItem(const DRAWITEMSTRUCT& draw) const {
  if (draw.CtlType != ODT_MENU) return false;
  const Item* item = ItemOf(draw.itemData);
  if (!item) return false;
  HDC dc = draw.hDC;
  RECT r = draw.rcItem;
  const bool selected = (draw.itemState & ODS_SELECTED) && item->enabled && item->id != 0;
  GdiBrush face(CreateSolidBrush(selected ? colours_.highlight : colours_.face));
  FillRect(dc, &r, face.get());
  if (item->id == 0) {
    RECT line{r.left + 8, (r.top + r.bottom) / 2, r.right - 8, (r.top + r.bottom) / 2 + 1};
    GdiBrush brush(CreateSolidBrush(colours_.separator));
    FillRect(dc, &line, brush.get());
    return true;
  }
  SavedDcState saved(dc);
  SetBkMode(dc, TRANSPARENT);
  if (font_) SelectObject(dc, font_.get());
  SetTextColor(dc, !item->enabled ? colours_.disabled : colours_.text);
  RECT text = r;
  text.left += kPadding;
  text.right -= kPadding;
  DrawTextW(dc, AsWide(item->text), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (!item->shortcut.empty()) {
    SetTextColor(dc, !item->enabled ? colours_.disabled : selected ? colours_.text : colours_.muted);
    DrawTextW(dc, AsWide(item->shortcut), -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  return true;
}

}  // namespace keyloom
