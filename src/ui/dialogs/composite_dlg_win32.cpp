#include "ui/dialogs/composite_dlg_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include "base/text.h"
#include "storage/skin_layout.h"
#include "ui/controls/placement_win32.h"
#include "ui/dialogs/composite_theme_win32.h"
#include "ui/controls/window_text_win32.h"

namespace keyloom {

using namespace composite_theme;

namespace {

constexpr int kMacroOnlySet = 4;

// Controls the window places itself (not image buttons), with their skin keys.
struct Placed {
  int id;
  std::u16string_view key;
};
constexpr Placed kPlacedControls[] = {
    {KEYLOOM_IDC_KEY_INPUT, u"FUNC_KEY_INPUT"},       {KEYLOOM_IDC_MOUSE_LIST, u"FUNC_MOUSE_SELECT"},
    {KEYLOOM_IDC_MEDIA_LIST, u"FUNC_MEDIA_SELECT"},   {KEYLOOM_IDC_FUNCTION_LIST, u"FUNC_FUNCTION_SELECT"},
    {KEYLOOM_IDC_MACRO_LIST, u"FUNC_MACRO_LIST"},     {KEYLOOM_IDC_EVENT_LIST, u"FUNC_MACRO_LIST2"},
    {KEYLOOM_IDC_CYCLES, u"FUNC_MACRO_CYCLES"},       {KEYLOOM_IDC_CYCLES_LABEL, u"FUNC_MACRO_CYCLES_PROMPT"},
    {KEYLOOM_IDC_RECORD_DELAY_LABEL, u"FUNC_MACRO_RECORD_DELAY2"},
};

// Controls that sit in a field the window paints (fill and frame), inset so
// their text is centred in it; the controls themselves have no border.
struct Field {
  int id;
  std::u16string_view key;
  bool text;  // a one-line edit: centred vertically, with side margins
};
constexpr Field kFields[] = {
    {KEYLOOM_IDC_KEY_INPUT, u"FUNC_KEY_INPUT", true},       {KEYLOOM_IDC_CYCLES, u"FUNC_MACRO_CYCLES", true},
    {KEYLOOM_IDC_MEDIA_LIST, u"FUNC_MEDIA_SELECT", false},  {KEYLOOM_IDC_FUNCTION_LIST, u"FUNC_FUNCTION_SELECT", false},
    {KEYLOOM_IDC_EVENT_LIST, u"FUNC_MACRO_LIST2", false},
};

constexpr int kListItemHeight = 24;
// Caption colours of the image buttons that carry a language text.
constexpr uint32_t kCaptionNormal = 0xE4DDD9, kCaptionOver = 0xFFFFFF, kCaptionDisabled = 0x675C56;


ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

// ---- The dialog -------------------------------------------------------------------

Keyloom_DlgComposite::Keyloom_DlgComposite(CompositeEditorContext& context, CompositePictures& pictures,
                                           const TextSource& texts, const Clock& clock, int button_id,
                                           int active_profile)
    : CBaseDialog(context.resources, KEYLOOM_IDD_COMPOSITE, context.owner, context.layout_file, context.skin_folder,
                  SkinEnvironment{context.ini, context.exit_silently}),
      context_(context),
      pictures_(pictures),
      texts_(texts),
      logic_context_{context.stores, texts, context.settings, clock, context.host},
      logic_(*this, logic_context_),
      button_id_(button_id),
      active_profile_(active_profile),
      skinned_{{
          {KEYLOOM_IDC_PAGE_KEY, u"CONTROL_KEY", false, {}},
          {KEYLOOM_IDC_PAGE_MACRO, u"CONTROL_MACRO", false, {}},
          {KEYLOOM_IDC_PAGE_MEDIA, u"CONTROL_MEDIA", false, {}},
          {KEYLOOM_IDC_PAGE_FUNCTION, u"CONTROL_FUNCTION", false, {}},
          {KEYLOOM_IDC_CLEAR, u"CONTROL_CLEAR", false, {}},
          {KEYLOOM_IDC_OSK, u"CONTROL_OSK", false, {}},
          {KEYLOOM_IDC_MASK, u"CONTROL_MASK", true, {}},
          {KEYLOOM_IDC_TITLE, u"CONTROL_TITLE", true, {}},
          {KEYLOOM_IDC_SWITCH_KEYBOARD, u"FUNC_KEY_KEYBOARD", false, {}},
          {KEYLOOM_IDC_SWITCH_MOUSE, u"FUNC_KEY_MOUSE", false, {}},
          {KEYLOOM_IDC_MACRO_ADD, u"FUNC_MACRO_ADD", false, {}},
          {KEYLOOM_IDC_MACRO_DELETE, u"FUNC_MACRO_DELETE", false, {}},
          {KEYLOOM_IDC_RECORD, u"FUNC_MACRO_RECORD", false, {}},
          {KEYLOOM_IDC_EVENT_DELETE, u"FUNC_MACRO_DELETE2", false, {}},
          {KEYLOOM_IDC_EVENT_CLEAR, u"FUNC_MACRO_CLEAR", false, {}},
          {KEYLOOM_IDC_EVENT_TOP, u"FUNC_MACRO_UP_TOP", false, {}},
          {KEYLOOM_IDC_EVENT_UP, u"FUNC_MACRO_UP", false, {}},
          {KEYLOOM_IDC_EVENT_DOWN, u"FUNC_MACRO_DOWN", false, {}},
          {KEYLOOM_IDC_EVENT_BOTTOM, u"FUNC_MACRO_DOWN_BOTTOM", false, {}},
          {KEYLOOM_IDC_RECORD_DELAY, u"FUNC_MACRO_RECORD_DELAY", false, {}},
          {KEYLOOM_IDC_APPLY, u"CONTROL2_APPLY", false, {}},
          {KEYLOOM_IDC_OK, u"CONTROL_OK", false, {}},
          {KEYLOOM_IDC_CANCEL, u"CONTROL_CANCEL", false, {}},
      }} {}

Keyloom_DlgComposite::~Keyloom_DlgComposite() {
  hooks_.reset();
  cell_editor_.Detach();
  DetachEventList();
  for (Skinned& s : skinned_) s.button.Detach();
}

CPngButton* Keyloom_DlgComposite::button(int id) {
  for (Skinned& s : skinned_)
    if (s.id == id) return &s.button;
  return nullptr;
}

std::u16string Keyloom_DlgComposite::Caption() const {
  std::u16string caption = texts_.Text(u"MAIN_CAPTION");
  return caption.empty() ? u"Keyloom" : caption;
}

BOOL Keyloom_DlgComposite::OnInitDialog() {
  if (!LoadSkin()) return TRUE;  // the program ends: the skin is not there
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (!pictures_.loaded()) pictures_.Load(hwnd(), client.right, client.bottom, skin_folder());
  SetWindowTextW(hwnd(), AsWide(Caption()));
  SetUpControls();
  if (!logic_.Start(button_id_, active_profile_)) {
    Win32Dialog::EndDialog(-1);
    return TRUE;
  }
  PlaceWindow();
  return TRUE;
}

void Keyloom_DlgComposite::SetUpControls() {
  const IniService& ini = context_.ini;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW face{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) face = metrics.lfMessageFont;
  face.lfHeight = -13;
  face.lfWeight = FW_NORMAL;
  lstrcpynW(face.lfFaceName, L"Arial Unicode MS", LF_FACESIZE);
  font_ = GdiFont(CreateFontIndirectW(&face));
  face.lfHeight = -18;
  face.lfWeight = FW_SEMIBOLD;
  key_font_ = GdiFont(CreateFontIndirectW(&face));
  field_brush_ = GdiBrush(CreateSolidBrush(kFieldColour));
  card_brush_ = GdiBrush(CreateSolidBrush(kCardColour));

  for (Skinned& s : skinned_) {
    if (!s.button.Attach(GetDlgItem(hwnd(), s.id))) continue;
    PlaceSkinButton(s.button, ini, layout_file(), kButtonSection, s.key, pictures_.Looks(0));
    if (s.decoration) EnableWindow(s.button.hwnd(), FALSE);
  }
  // Buttons whose captions are language texts draw them over their faces.
  for (int id : {KEYLOOM_IDC_RECORD, KEYLOOM_IDC_SWITCH_KEYBOARD, KEYLOOM_IDC_SWITCH_MOUSE}) {
    CPngButton* b = button(id);
    if (!b) continue;
    b->SetCaptionStyle(true, 10, u"Arial Unicode MS", kCaptionNormal, kCaptionOver, kCaptionOver, kCaptionDisabled,
                       kCaptionOver, kDefaultCaptionFormat);
    if (id == KEYLOOM_IDC_RECORD) b->SetMargins(24, 0, 0, 0);
    else b->SetMargins(20, 0, 0, 0);
  }
  for (const Placed& p : kPlacedControls) {
    HWND control = GetDlgItem(hwnd(), p.id);
    PlaceControl(control, ini, layout_file(), kButtonSection, p.key);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  SendDlgItemMessageW(hwnd(), KEYLOOM_IDC_KEY_INPUT, WM_SETFONT, reinterpret_cast<WPARAM>(key_font_.get()), FALSE);
  for (const Field& f : kFields) PlaceInField(f.id, f.key, f.text);
  for (int id : {KEYLOOM_IDC_MEDIA_LIST, KEYLOOM_IDC_FUNCTION_LIST})
    SendDlgItemMessageW(hwnd(), id, LB_SETITEMHEIGHT, 0, kListItemHeight);
  SendDlgItemMessageW(hwnd(), KEYLOOM_IDC_CYCLES, EM_SETLIMITTEXT, 5, 0);
  SendDlgItemMessageW(hwnd(), KEYLOOM_IDC_MACRO_LIST, CB_LIMITTEXT, kMaxMacroNameLength, 0);
  SetUpEventList();
}

void Keyloom_DlgComposite::PlaceInField(int id, std::u16string_view key, bool text) {
  HWND control = GetDlgItem(hwnd(), id);
  if (!control) return;
  const SkinRect r = ReadSkinRect(context_.ini, layout_file(), kButtonSection, key);
  if (!text) {
    MoveWindow(control, r.x + 1, r.y + 1, r.w - 2, r.h - 2, FALSE);
    return;
  }
  WindowDc dc(control);
  SelectedObject with_font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  const int height = std::min(r.h - 2, int(metrics.tmHeight) + 2);
  MoveWindow(control, r.x + 6, r.y + (r.h - height) / 2, r.w - 12, height, FALSE);
}

void Keyloom_DlgComposite::PaintFields(HDC dc) {
  GdiBrush fill(CreateSolidBrush(kFieldColour)), edge(CreateSolidBrush(kFieldEdgeColour));
  for (const Field& f : kFields) {
    if (!(GetWindowLongW(GetDlgItem(hwnd(), f.id), GWL_STYLE) & WS_VISIBLE)) continue;
    const SkinRect r = ReadSkinRect(context_.ini, layout_file(), kButtonSection, f.key);
    RECT box{r.x, r.y, r.x + r.w, r.y + r.h};
    FillRect(dc, &box, fill.get());
    FrameRect(dc, &box, edge.get());
  }
}

void Keyloom_DlgComposite::PlaceWindow() {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  RECT clicked{};
  const bool beside = !logic_.macro_mode() && context_.button_rect && context_.button_rect(button_id_, clicked);
  HMONITOR monitor = beside ? MonitorFromRect(&clicked, MONITOR_DEFAULTTONEAREST)
                            : MonitorFromWindow(context_.owner ? context_.owner : hwnd(), MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  const ScreenRect work = ToScreenRect(info.rcWork);
  const ScreenPoint at =
      beside ? PlaceBesideButton(ToScreenRect(clicked), width, height, work) : CentreOn(work, width, height);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Keyloom_DlgComposite::OnOK() { logic_.Ok(); }
void Keyloom_DlgComposite::OnCancel() { logic_.Cancel(); }

void Keyloom_DlgComposite::OnDestroyed() {
  // However the window went (its owner closed, the program quit), the hooks
  // and the recording go with it.
  logic_.Close();
  hooks_.reset();
}

bool Keyloom_DlgComposite::InForeground() const {
  HWND front = GetForegroundWindow();
  return front && (front == hwnd() || GetAncestor(front, GA_ROOTOWNER) == hwnd() ||
                   GetWindow(front, GW_OWNER) == hwnd());
}

bool Keyloom_DlgComposite::FocusInTextField() const {
  HWND focus = GetFocus();
  if (!focus) return false;
  wchar_t name[32] = L"";
  GetClassNameW(focus, name, 32);
  return _wcsicmp(name, L"Edit") == 0 || _wcsicmp(name, L"ComboBox") == 0;
}

bool Keyloom_DlgComposite::PreTranslateMessage(MSG& msg) {
  if (cell_editor_.PreTranslate(msg)) return true;
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  const auto vk = static_cast<uint32_t>(msg.wParam);
  if (down && logic_.page() == EditorPage::kMacro && GetKeyState(VK_CONTROL) < 0 && !FocusInTextField()) {
    if (vk == 'Z' || vk == 'Y') {
      if (vk == 'Z') logic_.macro_page().Undo();
      if (vk == 'Y') logic_.macro_page().Redo();
      return true;
    }
  }
  if (down && vk == VK_DELETE && msg.hwnd == GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST)) {
    logic_.macro_page().DeleteEvent();
    return true;
  }
  // F1 comes back as WM_HELP, whatever happens to its key message here.
  return CompositeLogic::OnDialogKey(vk);
}

bool Keyloom_DlgComposite::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK || id == IDCANCEL) return false;  // OnOK / OnCancel
      OnCommand(id, HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      result = 0;
      return true;
    }
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lparam), result);
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wparam) != GetDlgItem(hwnd(), KEYLOOM_IDC_EVENT_LIST)) return false;
      {
        POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        if (at.x == -1 && at.y == -1) GetCursorPos(&at);
        TrackEventMenu(at);
      }
      result = 0;
      return true;
    case WM_MEASUREITEM: {
      auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (measure.CtlType == ODT_MENU && event_menu_) {
        result = event_menu_->OnMeasureItem(hwnd(), measure);
        return result != 0;
      }
      if (measure.CtlType == ODT_LISTBOX) {
        measure.itemHeight = kListItemHeight;
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw.CtlType == ODT_MENU && event_menu_) {
        result = event_menu_->OnDrawItem(draw);
        return result != 0;
      }
      if (draw.CtlType == ODT_LISTBOX) {
        DrawListItem(draw);
        result = TRUE;
        return true;
      }
      return false;  // image buttons draw themselves
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      result = reinterpret_cast<LRESULT>(ControlColours(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)));
      return result != 0;
    case WM_HELP:
      logic_.OnHelp();
      result = TRUE;
      return true;
    case kLanguageMessage:
      if (wparam == kLanguageMessageTag) logic_.Relabel();
      result = 0;
      return true;
    case WM_PAINT: {
      PaintDc paint(hwnd());
      PaintBackground(paint.get());
      PaintFields(paint.get());
      result = 0;
      return true;
    }
    default:
      return CBaseDialog::OnMessage(message, wparam, lparam, result);
  }
}

HBRUSH Keyloom_DlgComposite::ControlColours(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  const bool label = id == KEYLOOM_IDC_CYCLES_LABEL || id == KEYLOOM_IDC_RECORD_DELAY_LABEL;
  SetTextColor(dc, label ? kMutedColour : kTextColour);
  SetBkColor(dc, label ? kCardColour : kFieldColour);
  return label ? card_brush_.get() : field_brush_.get();
}

void Keyloom_DlgComposite::DrawListItem(const DRAWITEMSTRUCT& draw) {
  if (draw.itemID == UINT(-1)) return;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  GdiBrush fill(CreateSolidBrush(selected ? kAccentColour : kFieldColour));
  FillRect(draw.hDC, &draw.rcItem, fill.get());
  const int length = int(SendMessageW(draw.hwndItem, LB_GETTEXTLEN, draw.itemID, 0));
  std::wstring text(size_t(std::max(length, 0)) + 1, L'\0');
  SendMessageW(draw.hwndItem, LB_GETTEXT, draw.itemID, reinterpret_cast<LPARAM>(text.data()));
  SavedDcState saved(draw.hDC);
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, kTextColour);
  SelectObject(draw.hDC, font_.get());
  RECT r = draw.rcItem;
  r.left += 10;
  DrawTextW(draw.hDC, text.c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Keyloom_DlgComposite::OnCommand(int id, int code, HWND control) {
  if (updating_) return;
  MacroPageLogic& page = logic_.macro_page();
  const bool clicked = code == BN_CLICKED || control == nullptr;
  switch (id) {
    case KEYLOOM_IDC_PAGE_KEY:
    case KEYLOOM_IDC_PAGE_MACRO:
    case KEYLOOM_IDC_PAGE_MEDIA:
    case KEYLOOM_IDC_PAGE_FUNCTION:
      if (clicked) logic_.OnPageButton(static_cast<EditorPage>(id - KEYLOOM_IDC_PAGE_KEY));
      return;
    case KEYLOOM_IDC_CLEAR: if (clicked) logic_.OnClear(); return;
    case KEYLOOM_IDC_OSK: if (clicked) logic_.OnOnScreenKeyboard(); return;
    case KEYLOOM_IDC_APPLY: if (clicked) logic_.Apply(); return;
    case KEYLOOM_IDC_SWITCH_KEYBOARD: if (clicked) logic_.OnSwitch(false); return;
    case KEYLOOM_IDC_SWITCH_MOUSE: if (clicked) logic_.OnSwitch(true); return;
    case KEYLOOM_IDC_MOUSE_LIST:
      if (code == CBN_SELCHANGE) logic_.OnMouseAction(int(SendMessageW(control, CB_GETCURSEL, 0, 0)));
      return;
    case KEYLOOM_IDC_MEDIA_LIST:
      if (code == LBN_SELCHANGE) logic_.OnMediaSelected(int(SendMessageW(control, LB_GETCURSEL, 0, 0)));
      return;
    case KEYLOOM_IDC_FUNCTION_LIST:
      if (code == LBN_SELCHANGE) logic_.OnFunctionSelected(int(SendMessageW(control, LB_GETCURSEL, 0, 0)));
      return;
    case KEYLOOM_IDC_MACRO_LIST:
      if (code == CBN_SELCHANGE) page.SelectMacro(int(SendMessageW(control, CB_GETCURSEL, 0, 0)));
      if (code == CBN_EDITCHANGE) page.Rename(WindowText(control));
      if (code == CBN_KILLFOCUS) SyncMacroName();
      return;
    case KEYLOOM_IDC_MACRO_ADD: if (clicked) page.AddMacro(); return;
    case KEYLOOM_IDC_MACRO_DELETE: if (clicked) page.DeleteMacro(context_.stores.edit); return;
    case KEYLOOM_IDC_RECORD: if (clicked) page.ToggleRecording(); return;
    case KEYLOOM_IDC_EVENT_DELETE: if (clicked) page.DeleteEvent(); return;
    case KEYLOOM_IDC_EVENT_CLEAR: if (clicked) page.ClearEvents(); return;
    case KEYLOOM_IDC_EVENT_TOP: if (clicked) page.MoveEvent(MacroPageLogic::Move::kTop); return;
    case KEYLOOM_IDC_EVENT_UP: if (clicked) page.MoveEvent(MacroPageLogic::Move::kUp); return;
    case KEYLOOM_IDC_EVENT_DOWN: if (clicked) page.MoveEvent(MacroPageLogic::Move::kDown); return;
    case KEYLOOM_IDC_EVENT_BOTTOM: if (clicked) page.MoveEvent(MacroPageLogic::Move::kBottom); return;
    case KEYLOOM_IDC_RECORD_DELAY: if (clicked) page.ToggleRecordDelay(); return;
    case KEYLOOM_IDC_RECORD_DELAY_LABEL:  // the check box's label toggles it too
      if (code == STN_CLICKED && IsWindowEnabled(GetDlgItem(hwnd(), KEYLOOM_IDC_RECORD_DELAY)))
        page.ToggleRecordDelay();
      return;
    case KEYLOOM_IDC_CYCLES:
      if (code == EN_CHANGE) page.OnCyclesChanged(WindowText(control));
      return;
    case KEYLOOM_IDM_EVENT_UNDO: page.Undo(); return;
    case KEYLOOM_IDM_EVENT_REDO: page.Redo(); return;
    default: return;
  }
}

void Keyloom_DlgComposite::SyncMacroName() {
  // After typing, the field shows the name the macro really got.
  const MacroPageLogic& page = logic_.macro_page();
  HWND combo = GetDlgItem(hwnd(), KEYLOOM_IDC_MACRO_LIST);
  ++updating_;
  if (page.current() >= 0) {
    SendMessageW(combo, CB_SETCURSEL, WPARAM(page.current()), 0);
    SetWindowTextW(combo, reinterpret_cast<const wchar_t*>(page.macros()[page.current()].name));
  }
  --updating_;
}

// ---- CompositeView -------------------------------------------------------------

void Keyloom_DlgComposite::SetVisible(int id, bool visible) {
  HWND control = GetDlgItem(hwnd(), id);
  // The style, not IsWindowVisible: the dialog itself is hidden until it first runs idle.
  if (!control || ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) == visible) return;
  ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
  for (const Field& f : kFields)
    if (f.id == id) {
      // The field around the control comes and goes with it.
      const SkinRect r = ReadSkinRect(context_.ini, layout_file(), kButtonSection, f.key);
      RECT box{r.x, r.y, r.x + r.w, r.y + r.h};
      InvalidateRect(hwnd(), &box, FALSE);
    }
  if (!visible && id == KEYLOOM_IDC_EVENT_LIST) cell_editor_.Abandon();
}

void Keyloom_DlgComposite::SetEnabled(int id, bool enabled) {
  HWND control = GetDlgItem(hwnd(), id);
  if (!control || (IsWindowEnabled(control) != FALSE) == enabled) return;
  EnableWindow(control, enabled ? TRUE : FALSE);
  if (CPngButton* b = button(id)) b->Redraw();
}

void Keyloom_DlgComposite::SetText(int id, std::u16string_view text) {
  const std::u16string value(text);
  ++updating_;
  SetDlgItemTextW(hwnd(), id, AsWide(value));
  --updating_;
  if (CPngButton* b = button(id)) b->Redraw();
}

void Keyloom_DlgComposite::SetChecked(int id, bool checked) {
  if (CPngButton* b = button(id)) b->SetSelected(checked, true);
}

void Keyloom_DlgComposite::SetSelectedLook(int id, bool selected) {
  if (CPngButton* b = button(id)) b->SetSelected(selected, true);
}

void Keyloom_DlgComposite::SetTooltip(int id, std::u16string_view text) {
  if (CPngButton* b = button(id)) b->SetTooltipText(text, true);
}

void Keyloom_DlgComposite::SetPagePictures(EditorPage page, bool macro_mode) {
  const int set = macro_mode ? kMacroOnlySet : int(page);
  const StateSurfaces looks = pictures_.Looks(set);
  const SkinSurface* normal = pictures_.Normal(set);
  for (Skinned& s : skinned_) {
    if (!s.button.hwnd()) continue;
    StateSurfaces faces = looks;
    if (s.decoration) faces = {normal, normal, normal, normal, normal};
    // The page's pictures draw its own tab chosen.
    if (s.id >= KEYLOOM_IDC_PAGE_KEY && s.id <= KEYLOOM_IDC_PAGE_FUNCTION) faces[4] = normal;
    s.button.SetStateSurfaces(faces, true);
  }
}

void Keyloom_DlgComposite::FillList(int id, const std::vector<std::u16string>& items) {
  HWND control = GetDlgItem(hwnd(), id);
  const bool combo = id == KEYLOOM_IDC_MOUSE_LIST;
  ++updating_;
  SendMessageW(control, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (const std::u16string& item : items)
    SendMessageW(control, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(item)));
  --updating_;
}

void Keyloom_DlgComposite::SelectListItem(int id, int index) {
  HWND control = GetDlgItem(hwnd(), id);
  const bool combo = id == KEYLOOM_IDC_MOUSE_LIST || id == KEYLOOM_IDC_MACRO_LIST;
  // A list the user is moving through already shows the item.
  if (SendMessageW(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0) == index) return;
  ++updating_;
  SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(index), 0);
  if (index < 0 && id == KEYLOOM_IDC_MACRO_LIST) SetWindowTextW(control, L"");
  --updating_;
}

void Keyloom_DlgComposite::ShowMacroList(const std::vector<std::u16string>& names, int current) {
  HWND combo = GetDlgItem(hwnd(), KEYLOOM_IDC_MACRO_LIST);
  ++updating_;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : names) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(name)));
  SendMessageW(combo, CB_SETCURSEL, WPARAM(current), 0);
  if (current < 0) SetWindowTextW(combo, L"");
  --updating_;
}

void Keyloom_DlgComposite::RenameMacroItem(int index, std::u16string_view name) {
  HWND combo = GetDlgItem(hwnd(), KEYLOOM_IDC_MACRO_LIST);
  const std::u16string value(name);
  // The item is replaced; the edit field keeps what is being typed.
  ++updating_;
  const auto selection = static_cast<DWORD>(SendMessageW(combo, CB_GETEDITSEL, 0, 0));
  const std::u16string typed = WindowText(combo);
  SendMessageW(combo, CB_DELETESTRING, WPARAM(index), 0);
  SendMessageW(combo, CB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(AsWide(value)));
  if (WindowText(combo) != typed) SetWindowTextW(combo, AsWide(typed));
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(selection), HIWORD(selection)));
  --updating_;
}

void Keyloom_DlgComposite::SetCyclesText(std::u16string_view text, bool select_all) {
  HWND edit = GetDlgItem(hwnd(), KEYLOOM_IDC_CYCLES);
  const std::u16string value(text);
  ++updating_;
  SetWindowTextW(edit, AsWide(value));
  if (select_all) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
  } else {
    SendMessageW(edit, EM_SETSEL, WPARAM(value.size()), LPARAM(value.size()));
  }
  --updating_;
}

void Keyloom_DlgComposite::SetHookMode(HookMode mode) {
  hooks_.reset();
  if (mode != HookMode::kNone) hooks_ = std::make_unique<KeyboardHooks>(static_cast<KeyHookSink&>(*this));
}

void Keyloom_DlgComposite::ShowMessage(std::u16string_view text_key) { ShowText(texts_.Text(text_key)); }

void Keyloom_DlgComposite::ShowText(std::u16string_view text) {
  ++busy_;
  if (context_.messages) {
    context_.messages->ShowText(text);
  } else {
    const std::u16string body(text), title = Caption();
    MessageBoxW(hwnd(), AsWide(body), AsWide(title), MB_OK);
  }
  EndBusy();
}

void Keyloom_DlgComposite::EndBusy() {
  if (--busy_ > 0 || !close_requested_) return;
  close_requested_ = false;
  PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool Keyloom_DlgComposite::RequestClose() {
  if (busy_ > 0) {
    // The question on the screen runs its own loop inside one of the
    // editor's handlers: the editor goes once that handler is done.
    close_requested_ = true;
    return false;
  }
  logic_.Cancel();
  return true;
}

bool Keyloom_DlgComposite::AskYesNo(std::u16string_view text_key) {
  const std::u16string text = texts_.Text(text_key);
  ++busy_;
  bool yes = false;
  if (context_.ask_yes_no) {
    yes = context_.ask_yes_no(text);
  } else {
    const std::u16string title = Caption();
    yes = MessageBoxW(hwnd(), AsWide(text), AsWide(title), MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES;
  }
  EndBusy();
  return yes;
}

void Keyloom_DlgComposite::OpenOnScreenKeyboard() {
  context_.shell.Execute(u"open", u"osk.exe", u"", u"", SW_SHOWNORMAL);
}

void Keyloom_DlgComposite::OpenHelp() { keyloom::OpenHelp(context_.shell, context_.help_folder); }

void Keyloom_DlgComposite::EndDialog() {
  hooks_.reset();
  cell_editor_.Abandon();
  ReleasePictures();
  Win32Dialog::EndDialog(IDOK);
}

// ---- KeyHookSink -------------------------------------------------------------

HookAction Keyloom_DlgComposite::OnThreadHookKey(const HookKey& key) { return logic_.OnThreadKey(key); }

HookAction Keyloom_DlgComposite::OnDesktopHookKey(uint32_t virtual_key, bool release) {
  return logic_.OnLowLevelKey(virtual_key, release, InForeground());
}

}  // namespace keyloom
