// The key editor's event list: a list view with virtual rows that the
// macro page's logic provides, the skin's colours, a header drawn to match,
// in-place cell editing on a click, and a menu on a right click.
#include "ui/dialogs/composite_dlg_win32.h"

#include <commctrl.h>
#include "ui/dialogs/composite_theme_win32.h"

namespace keyloom {

using namespace composite_theme;

namespace {
constexpr UINT_PTR kEventListSubclass = 0x45564C;  // 'EVL'
}  // namespace

void Keyloom_DlgComposite::SetUpEventList() {
  HWND list = GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  ListView_SetBkColor(list, kFieldColour);
  ListView_SetTextBkColor(list, kFieldColour);
  ListView_SetTextColor(list, kTextColour);
  for (int c = 0; c < kEventColumnCount; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kEventColumnWidths[c];
    column.pszText = const_cast<wchar_t*>(L"");
    column.iSubItem = c;
    ListView_InsertColumn(list, c, &column);
  }
  cell_editor_.Attach(list);
  // The list's header reports its drawing to the list, not to the dialog.
  SetWindowSubclass(list, EventListProc, kEventListSubclass, reinterpret_cast<DWORD_PTR>(this));
}

void Keyloom_DlgComposite::DetachEventList() {
  if (HWND list = hwnd() ? GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST) : nullptr)
    RemoveWindowSubclass(list, EventListProc, kEventListSubclass);
}

LRESULT CALLBACK Keyloom_DlgComposite::EventListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                                    UINT_PTR, DWORD_PTR self_data) {
  auto* self = reinterpret_cast<Keyloom_DlgComposite*>(self_data);
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    if (header->hwndFrom == ListView_GetHeader(window) && header->code == NM_CUSTOMDRAW)
      return self->DrawHeader(*reinterpret_cast<NMCUSTOMDRAW*>(lparam));
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, EventListProc, kEventListSubclass);
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT Keyloom_DlgComposite::DrawHeader(NMCUSTOMDRAW& draw) {
  HWND header = draw.hdr.hwndFrom;
  GdiBrush face(CreateSolidBrush(kHeaderColour)), edge(CreateSolidBrush(kFieldEdgeColour));
  switch (draw.dwDrawStage) {
    case CDDS_PREPAINT: {
      RECT all{};
      GetClientRect(header, &all);
      FillRect(draw.hdc, &all, face.get());
      return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    case CDDS_ITEMPREPAINT: {
      RECT r = draw.rc;
      FillRect(draw.hdc, &r, face.get());
      RECT line{r.right - 1, r.top + 4, r.right, r.bottom - 4};
      FillRect(draw.hdc, &line, edge.get());
      wchar_t text[64] = L"";
      HDITEMW item{};
      item.mask = HDI_TEXT;
      item.pszText = text;
      item.cchTextMax = 64;
      Header_GetItem(header, int(draw.dwItemSpec), &item);
      SavedDcState saved(draw.hdc);
      SetBkMode(draw.hdc, TRANSPARENT);
      SetTextColor(draw.hdc, kMutedColour);
      SelectObject(draw.hdc, font_.get());
      r.left += 6;
      DrawTextW(draw.hdc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      return CDRF_SKIPDEFAULT;
    }
    case CDDS_POSTPAINT: {
      // What lies right of the last column.
      RECT all{}, last{};
      GetClientRect(header, &all);
      const int count = Header_GetItemCount(header);
      if (count > 0 && Header_GetItemRect(header, count - 1, &last)) all.left = last.right;
      FillRect(draw.hdc, &all, face.get());
      RECT bottom{all.left, all.bottom - 1, all.right, all.bottom};
      FillRect(draw.hdc, &bottom, edge.get());
      return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}

bool Keyloom_DlgComposite::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.idFrom != KEYLOOM_IDC_EVENT_LIST) return false;
  MacroPageLogic& page = logic_.macro_page();
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
      if (info.item.mask & LVIF_TEXT) {
        const std::u16string text = page.CellText(info.item.iItem, info.item.iSubItem);
        const size_t n = std::min<size_t>(text.size(), size_t(std::max(info.item.cchTextMax - 1, 0)));
        std::copy_n(text.data(), n, reinterpret_cast<char16_t*>(info.item.pszText));
        if (info.item.cchTextMax > 0) info.item.pszText[n] = L'\0';
      }
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
      if (!updating_ && (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED))
        page.SelectEvent(change.iItem);
      result = 0;
      return true;
    }
    case NM_CLICK:
      OnEventClick(reinterpret_cast<NMITEMACTIVATE&>(header).ptAction);
      result = 0;
      return true;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header), result);
    default:
      return false;
  }
}

void Keyloom_DlgComposite::OnEventClick(POINT at) {
  HWND list = GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST);
  LVHITTESTINFO hit{};
  hit.pt = at;
  if (ListView_SubItemHitTest(list, &hit) < 0 || hit.iItem < 0) return;
  MacroPageLogic& page = logic_.macro_page();
  page.SelectEvent(hit.iItem);
  const CellEdit edit = page.BeginCellEdit(hit.iItem, hit.iSubItem);
  switch (edit.kind) {
    case CellEdit::Kind::kChoice:
      cell_editor_.BeginChoice(hit.iItem, hit.iSubItem, edit.choices, edit.preset,
                               [this](int row, int column, const CListCellEditor::Outcome& out) {
                                 if (!out.accepted) return;
                                 MacroPageLogic& events = logic_.macro_page();
                                 if (column == kEventKeyColumn) events.CommitKeyCell(row, out.choice);
                                 if (column == kEventActionColumn) events.CommitActionCell(row, out.choice);
                               });
      return;
    case CellEdit::Kind::kNumber:
      cell_editor_.BeginNumber(hit.iItem, hit.iSubItem, edit.text,
                               [this](int row, int, const CListCellEditor::Outcome& out) {
                                 if (out.accepted) logic_.macro_page().CommitDelayCell(row, out.text);
                               });
      return;
    case CellEdit::Kind::kNone: return;
  }
}

bool Keyloom_DlgComposite::OnCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) {
  HWND list = draw.nmcd.hdr.hwndFrom;
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: result = CDRF_NOTIFYITEMDRAW; return true;
    case CDDS_ITEMPREPAINT:
      // The selection in the skin's accent, focused or not.
      draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
      result = CDRF_NOTIFYSUBITEMDRAW;
      return true;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const bool selected = ListView_GetItemState(list, int(draw.nmcd.dwItemSpec), LVIS_SELECTED) != 0;
      // Key and action in grey, the delay (what is typed) in the text colour.
      draw.clrText = selected ? RGB(0xFF, 0xFF, 0xFF)
                              : draw.iSubItem == kEventDelayColumn ? kTextColour : GetSysColor(COLOR_GRAYTEXT);
      draw.clrTextBk = selected ? kAccentColour : kFieldColour;
      result = CDRF_DODEFAULT;
      return true;
    }
    default: return false;
  }
}

void Keyloom_DlgComposite::TrackEventMenu(POINT at) {
  if (logic_.page() != EditorPage::kMacro || logic_.macro_page().current() < 0) return;
  const MacroPageLogic& page = logic_.macro_page();
  const bool row = page.selected_event() >= 0;
  const auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(hwnd(), id)) != FALSE; };
  auto text = [this](std::u16string_view key) { return texts_.Text(key); };
  COwnerMenu menu({
      {KEYLOOM_IDM_EVENT_UNDO, text(u"MACRO_MENU_UNDO"), u"Ctrl+Z", page.CanUndo()},
      {KEYLOOM_IDM_EVENT_REDO, text(u"MACRO_MENU_REDO"), u"Ctrl+Y", page.CanRedo()},
      {0, u"", u"", true},
      {KEYLOOM_IDC_EVENT_TOP, text(u"MACRO_MENU_TOP"), u"", row && enabled(KEYLOOM_IDC_EVENT_TOP)},
      {KEYLOOM_IDC_EVENT_UP, text(u"MACRO_MENU_UP"), u"", row && enabled(KEYLOOM_IDC_EVENT_UP)},
      {KEYLOOM_IDC_EVENT_DOWN, text(u"MACRO_MENU_DOWN"), u"", row && enabled(KEYLOOM_IDC_EVENT_DOWN)},
      {KEYLOOM_IDC_EVENT_BOTTOM, text(u"MACRO_MENU_BOTTOM"), u"", row && enabled(KEYLOOM_IDC_EVENT_BOTTOM)},
      {0, u"", u"", true},
      {KEYLOOM_IDC_EVENT_DELETE, text(u"MACRO_MENU_DELETE"), u"Del", row && enabled(KEYLOOM_IDC_EVENT_DELETE)},
      {KEYLOOM_IDC_EVENT_CLEAR, text(u"MACRO_MENU_CLEAR"), u"",
       !page.events().empty() && enabled(KEYLOOM_IDC_EVENT_CLEAR)},
  });
  event_menu_ = &menu;
  const UINT chosen = menu.Track(hwnd(), at);
  event_menu_ = nullptr;
  if (chosen) OnCommand(int(chosen), BN_CLICKED, nullptr);
}

void Keyloom_DlgComposite::ShowEvents(int selected) {
  HWND list = GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST);
  if (!list) return;
  ++updating_;
  ListView_SetItemCountEx(list, int(logic_.macro_page().events().size()), LVSICF_NOSCROLL);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (selected >= 0) {
    ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, selected, FALSE);
  }
  InvalidateRect(list, nullptr, FALSE);
  --updating_;
}

void Keyloom_DlgComposite::SetEventColumns(const std::vector<std::u16string>& headers) {
  HWND list = GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST);
  for (size_t c = 0; c < headers.size() && c < size_t(kEventColumnCount); ++c) {
    std::u16string text = headers[c];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = reinterpret_cast<wchar_t*>(text.data());
    ListView_SetColumn(list, int(c), &column);
  }
}

}  // namespace keyloom
