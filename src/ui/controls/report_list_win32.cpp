#include "ui/controls/report_list_win32.h"

#include <algorithm>

#include "base/text.h"

namespace keyloom {

namespace {
constexpr UINT_PTR kSubclassId = 0x52504C;  // 'RPL'

// The check-box state of a list item's state bits: 1 ticked, 0 not, -1 none.
int CheckOf(UINT state) {
  const UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
  return image == 0 ? -1 : static_cast<int>(image) - 1;
}

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
}  // namespace

CReportList::~CReportList() { Detach(); }

bool CReportList::Attach(HWND list, bool check_boxes, const ReportListColours& colours) {
  Detach();
  if (!list) return false;
  list_ = list;
  check_boxes_ = check_boxes;
  colours_ = colours;
  LONG_PTR style = GetWindowLongPtrW(list_, GWL_STYLE);
  style = (style & ~LVS_TYPEMASK) | LVS_REPORT | LVS_SHOWSELALWAYS;
  SetWindowLongPtrW(list_, GWL_STYLE, style);
  // Grid lines are drawn by the list itself (DrawGrid), in the skin's
  // colour and only where there are rows.
  DWORD extended = LVS_EX_FULLROWSELECT;
  if (check_boxes_) extended |= LVS_EX_CHECKBOXES;
  ListView_SetExtendedListViewStyleEx(list_, extended, extended);
  ListView_SetBkColor(list_, colours_.background);
  ListView_SetTextBkColor(list_, colours_.background);
  ListView_SetTextColor(list_, colours_.text);
  header_brush_ = GdiBrush(CreateSolidBrush(colours_.header_background));
  SetWindowSubclass(list_, ListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void CReportList::Detach() {
  if (list_) RemoveWindowSubclass(list_, ListProc, kSubclassId);
  list_ = nullptr;
  header_brush_.reset();
}

int CReportList::AddColumn(std::u16string_view caption, int width) {
  std::wstring text = Wide(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.cx = width;
  column.pszText = text.data();
  column.iSubItem = ColumnCount();
  return static_cast<int>(SendMessageW(list_, LVM_INSERTCOLUMNW, column.iSubItem, reinterpret_cast<LPARAM>(&column)));
}

void CReportList::SetColumnCaption(int column, std::u16string_view caption) {
  std::wstring text = Wide(caption);
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = text.data();
  SendMessageW(list_, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
}

int CReportList::ColumnCount() const {
  HWND header = list_ ? ListView_GetHeader(list_) : nullptr;
  return header ? Header_GetItemCount(header) : 0;
}

int CReportList::AddRow(const std::vector<std::u16string>& cells) {
  const bool was_quiet = quiet_;
  quiet_ = true;
  std::wstring first = cells.empty() ? std::wstring() : Wide(cells[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = RowCount();
  item.pszText = first.data();
  const int row = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (size_t c = 1; row >= 0 && c < cells.size(); ++c) {
    std::wstring text = Wide(cells[c]);
    LVITEMW sub{};
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = text.data();
    SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
  }
  quiet_ = was_quiet;
  return row;
}

void CReportList::DeleteRow(int row) {
  const bool was_quiet = quiet_;
  quiet_ = true;
  ListView_DeleteItem(list_, row);
  quiet_ = was_quiet;
}

void CReportList::DeleteAllRows() {
  const bool was_quiet = quiet_;
  quiet_ = true;
  ListView_DeleteAllItems(list_);
  quiet_ = was_quiet;
}

int CReportList::RowCount() const { return list_ ? ListView_GetItemCount(list_) : 0; }

std::u16string CReportList::CellText(int row, int column) const {
  wchar_t text[1024] = L"";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 1024;
  SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return FromWide(text);
}

void CReportList::SetCheckedRow(int row) {
  const bool was_quiet = quiet_;
  quiet_ = true;
  for (int r = 0; r < RowCount(); ++r) ListView_SetCheckState(list_, r, r == row ? TRUE : FALSE);
  quiet_ = was_quiet;
}

bool CReportList::Checked(int row) const { return ListView_GetCheckState(list_, row) != 0; }

int CReportList::CheckedRow() const {
  for (int r = 0; r < RowCount(); ++r)
    if (Checked(r)) return r;
  return -1;
}

int CReportList::SelectedRow() const {
  return list_ ? ListView_GetNextItem(list_, -1, LVNI_SELECTED) : -1;
}

void CReportList::SelectRow(int row) {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
  if (row >= 0) {
    ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, row, FALSE);
  }
}

void CReportList::FillLastColumn() {
  if (list_ && ColumnCount() > 0) ListView_SetColumnWidth(list_, ColumnCount() - 1, LVSCW_AUTOSIZE_USEHEADER);
}

void CReportList::DrawGrid(HDC dc) {
  const int rows = RowCount();
  if (rows == 0) return;
  RECT first{}, last{};
  ListView_GetItemRect(list_, ListView_GetTopIndex(list_), &first, LVIR_BOUNDS);
  ListView_GetItemRect(list_, rows - 1, &last, LVIR_BOUNDS);
  RECT client{};
  GetClientRect(list_, &client);
  const int bottom = std::min(last.bottom, client.bottom);
  GdiPen pen(CreatePen(PS_SOLID, 1, colours_.header_line));
  SelectedObject selected(dc, pen.get());
  for (int r = ListView_GetTopIndex(list_); r < rows; ++r) {
    RECT row{};
    ListView_GetItemRect(list_, r, &row, LVIR_BOUNDS);
    if (row.top > client.bottom) break;
    MoveToEx(dc, row.left, row.bottom - 1, nullptr);
    LineTo(dc, row.right, row.bottom - 1);
  }
  HWND header = ListView_GetHeader(list_);
  int x = first.left;
  for (int c = 0; c + 1 < ColumnCount(); ++c) {
    x += ListView_GetColumnWidth(list_, Header_OrderToIndex(header, c));
    MoveToEx(dc, x - 1, first.top, nullptr);
    LineTo(dc, x - 1, bottom);
  }
}

bool CReportList::OnNotify(const NMHDR* header, LRESULT& result) {
  if (!header || !list_ || header->hwndFrom != list_) return false;
  if (header->code == NM_CUSTOMDRAW) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
      result = CDRF_NOTIFYPOSTPAINT;
    } else if (draw->nmcd.dwDrawStage == CDDS_POSTPAINT) {
      DrawGrid(draw->nmcd.hdc);
      result = CDRF_DODEFAULT;
    } else {
      result = CDRF_DODEFAULT;
    }
    return true;
  }
  if (!check_boxes_) return false;
  if (header->code != LVN_ITEMCHANGING && header->code != LVN_ITEMCHANGED) return false;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  result = FALSE;
  if (quiet_ || !(change->uChanged & LVIF_STATE) || change->iItem < 0) return true;
  const int before = CheckOf(change->uOldState), after = CheckOf(change->uNewState);
  if (before < 0 || after < 0 || before == after) return true;  // not a tick
  if (header->code == LVN_ITEMCHANGING) {
    if (on_check_changing && !on_check_changing(change->iItem, after == 1)) result = TRUE;  // refused
    return true;
  }
  if (after == 1) {
    const bool was_quiet = quiet_;
    quiet_ = true;
    for (int r = 0; r < RowCount(); ++r)
      if (r != change->iItem && Checked(r)) ListView_SetCheckState(list_, r, FALSE);
    quiet_ = was_quiet;
  }
  if (on_check_changed) on_check_changed(change->iItem, after == 1);
  return true;
}

LRESULT CReportList::DrawHeader(NMCUSTOMDRAW* draw) {
  switch (draw->dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      RECT r = draw->rc;
      FillRect(draw->hdc, &r, header_brush_.get());
      {
        GdiPen pen(CreatePen(PS_SOLID, 1, colours_.header_line));
        SelectedObject selected(draw->hdc, pen.get());
        MoveToEx(draw->hdc, r.right - 1, r.top + 3, nullptr);
        LineTo(draw->hdc, r.right - 1, r.bottom - 3);
        MoveToEx(draw->hdc, r.left, r.bottom - 1, nullptr);
        LineTo(draw->hdc, r.right, r.bottom - 1);
      }
      wchar_t text[256] = L"";
      HDITEMW item{};
      item.mask = HDI_TEXT;
      item.pszText = text;
      item.cchTextMax = 256;
      Header_GetItem(draw->hdr.hwndFrom, static_cast<int>(draw->dwItemSpec), &item);
      SetBkMode(draw->hdc, TRANSPARENT);
      SetTextColor(draw->hdc, colours_.header_text);
      r.left += 6;
      DrawTextW(draw->hdc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      return CDRF_SKIPDEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}

LRESULT CALLBACK CReportList::ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                       DWORD_PTR self) {
  auto* list = reinterpret_cast<CReportList*>(self);
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    if (header && header->code == NM_CUSTOMDRAW && header->hwndFrom == ListView_GetHeader(window))
      return list->DrawHeader(reinterpret_cast<NMCUSTOMDRAW*>(lparam));
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, ListProc, kSubclassId);
    list->list_ = nullptr;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace keyloom
