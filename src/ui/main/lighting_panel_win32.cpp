#include "ui/main/lighting_panel_win32.h"

#include <commctrl.h>

#include "base/text.h"
#include "model/lighting.h"
#include "storage/language.h"
#include "storage/skin_layout.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/slider_logic.h"
#include "ui/controls/window_text_win32.h"
#include "ui/main/lighting_preview.h"

namespace keyloom {

using namespace panel;

namespace {

constexpr UINT_PTR kParentSubclass = 0x4C5047;  // 'LPG'
constexpr int kFieldHeight = 22;                // the closed height of the combo boxes
constexpr int kNameCapacity = 259;              // characters of a user-mode name
constexpr int kNumberDigits = 3;

// Pictures that take clicks; the others are labels.
bool Clickable(uint16_t id) {
  switch (id) {
    case kDirectionFirst: case kDirectionSecond: case kColourfulPicture: case kChoiceRed: case kChoiceYellow:
    case kChoiceGreen: case kChoiceBlue: case kPaintTool: case kBaseTool: case kViewOn: case kViewOff:
      return true;
    default:
      return false;
  }
}

// Shown from the start, whatever the state: the view switch and its label.
bool AlwaysShown(uint16_t id) { return id == kViewOn || id == kViewOff || id == kViewLabel; }

}  // namespace

CLightingPanel::CLightingPanel(const LightingPanelWindowContext& window, const LightingPanelContext& model)
    : window_(window), model_(model), logic_(*this, model) {}

CLightingPanel::~CLightingPanel() { Destroy(); }

HWND CLightingPanel::control(uint16_t id) const { return parent_ ? GetDlgItem(parent_, id) : nullptr; }

HBITMAP CLightingPanel::Picture(std::u16string_view name) const {
  auto it = pictures_.find(name);
  return it == pictures_.end() ? nullptr : it->second.get();
}

HBITMAP CLightingPanel::ShownPicture(uint16_t id) const {
  if (auto it = picture_controls_.find(id); it != picture_controls_.end()) return it->second->picture();
  if (auto it = slider_pictures_.find(id); it != slider_pictures_.end()) return Picture(it->second);
  return nullptr;
}

CColourButton* CLightingPanel::colour_button(uint16_t id) {
  auto it = colour_buttons_.find(id);
  return it == colour_buttons_.end() ? nullptr : it->second.get();
}

std::u16string CLightingPanel::LightText(std::u16string_view key) const {
  if (!key.empty() && key.front() == u'=') return std::u16string(key.substr(1));
  return window_.texts.LookupLightText(key, language_);
}

HWND CLightingPanel::CreateControl(const Control& c, HFONT font) {
  const DWORD visible = AlwaysShown(c.id) ? WS_VISIBLE : 0;
  const DWORD base = WS_CHILD | visible;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](const wchar_t* cls, DWORD style, DWORD ex_style = 0) {
    return CreateWindowExW(ex_style, cls, L"", base | style, 0, 0, 1, 1, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
  };
  HWND hwnd = nullptr;
  switch (c.kind) {
    case ControlKind::kModeList:
    case ControlKind::kUserModeList: {
      const DWORD kind = c.kind == ControlKind::kModeList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
      hwnd = make(WC_COMBOBOXW, kind | WS_VSCROLL | WS_TABSTOP | WS_CLIPCHILDREN);
      if (!hwnd) break;
      SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kFieldHeight - 6);
      if (c.kind == ControlKind::kUserModeList) SendMessageW(hwnd, CB_LIMITTEXT, kNameCapacity, 0);
      auto combo = std::make_unique<CSkinCombo>();
      combo->Attach(hwnd);
      combos_[c.id] = std::move(combo);
      break;
    }
    case ControlKind::kPicture: {
      hwnd = make(L"STATIC", SS_LEFT);
      if (!hwnd) break;
      auto picture = std::make_unique<CPictureControl>();
      picture->Attach(hwnd, Clickable(c.id));
      if (!c.content.empty()) picture->SetPicture(Picture(c.content));
      picture_controls_[c.id] = std::move(picture);
      break;
    }
    case ControlKind::kSlider: {
      hwnd = make(L"STATIC", SS_LEFT | WS_TABSTOP);
      if (!hwnd) break;
      auto slider = std::make_unique<CBitmapSlider>();
      slider->Attach(hwnd);
      slider->SetRange(0, c.id == kBrightnessSlider ? 4 : 3);
      slider->SetPageSize(1);
      sliders_[c.id] = std::move(slider);
      break;
    }
    case ControlKind::kColourButton: {
      hwnd = make(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP);
      if (!hwnd) break;
      auto button = std::make_unique<CColourButton>(window_.colour_dialog);
      button->Attach(hwnd);
      colour_buttons_[c.id] = std::move(button);
      break;
    }
    case ControlKind::kLabel: {
      hwnd = make(L"STATIC", SS_LEFT);
      if (!hwnd) break;
      auto label = std::make_unique<CTextLabel>();
      label->Attach(hwnd, label_font_ ? label_font_.get() : font);
      labels_[c.id] = std::move(label);
      break;
    }
    case ControlKind::kNumberBox:
      hwnd = make(L"EDIT", ES_NUMBER | ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP);
      if (!hwnd) break;
      SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      SendMessageW(hwnd, EM_LIMITTEXT, kNumberDigits, 0);
      break;
  }
  return hwnd;
}

bool CLightingPanel::Create(HWND parent, int language_index) {
  Destroy();
  parent_ = parent;
  language_ = language_index;
  for (std::u16string_view name : AllPictures())
    pictures_.emplace(std::u16string(name), LoadPicture(window_.skin_folder + std::u16string(name)));

  {
    WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    auto make_font = [](int height, int weight) {
      return GdiFont(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    };
    font_ = make_font(-MulDiv(9, dpi, 72), FW_NORMAL);
    label_font_ = make_font(-MulDiv(8, dpi, 96) - 3, FW_BOLD);
  }
  field_brush_ = GdiBrush(CreateSolidBrush(skin_look::kField));
  HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  bool ok = true;
  updating_ = true;
  for (const Control& c : kControls) {
    HWND hwnd = CreateControl(c, font);
    if (!hwnd) {
      ok = false;
      continue;
    }
    PlaceControl(c.id, c.skin_key);
  }
  updating_ = false;
  SetWindowSubclass(parent_, ParentProc, kParentSubclass, reinterpret_cast<DWORD_PTR>(this));
  Relabel(language_index);
  return ok;
}

void CLightingPanel::Destroy() {
  if (!parent_) return;
  RemoveWindowSubclass(parent_, ParentProc, kParentSubclass);
  for (const Control& c : kControls)
    if (HWND hwnd = control(c.id)) DestroyWindow(hwnd);
  picture_controls_.clear();
  sliders_.clear();
  slider_pictures_.clear();
  colour_buttons_.clear();
  labels_.clear();
  combos_.clear();
  pictures_.clear();
  parent_ = nullptr;
}

void CLightingPanel::Relabel(int index) {
  language_ = index;
  for (const Control& c : kControls) {
    HWND hwnd = control(c.id);
    if (hwnd && c.kind == ControlKind::kLabel) SetWindowTextW(hwnd, AsWide(LightText(c.content)));
  }
  // The colour labels are pictures; their text names them for screen readers.
  for (uint16_t id : {kColourLabel, kReactionLabel})
    if (HWND hwnd = control(id)) SetWindowTextW(hwnd, AsWide(LightText(u"Color")));
  const std::u16string other = LightText(u"Other");
  for (auto& [id, button] : colour_buttons_) button->SetOtherText(other);
  if (!modes_.empty()) {
    const std::vector<int> modes = modes_;
    const int selected = static_cast<int>(SendMessageW(control(kModeList), CB_GETCURSEL, 0, 0));
    SetModeList(modes);
    SelectMode(selected);
  }
}

void CLightingPanel::OnPreviewTimer() {
  const bool shown = parent_ && IsWindowVisible(parent_) && !IsIconic(parent_);
  model_.preview.Tick(model_.lighting.state, shown);
}

// ---- input --------------------------------------------------------------------

LRESULT CALLBACK CLightingPanel::ParentProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<CLightingPanel*>(data);
  LRESULT result = 0;
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, ParentProc, kParentSubclass);
  } else if (self->HandleParentMessage(message, wparam, lparam, result)) {
    return result;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

bool CLightingPanel::HandleParentMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message != WM_CTLCOLOREDIT) return false;
  const auto id = static_cast<uint16_t>(GetDlgCtrlID(reinterpret_cast<HWND>(lparam)));
  if (id != kRed && id != kGreen && id != kBlue) return false;
  result = reinterpret_cast<LRESULT>(ColourSkinField(reinterpret_cast<HDC>(wparam), field_brush_.get()));
  return true;
}

void CLightingPanel::OnSlider(int control_id, int position) {
  if (control_id != kBrightnessSlider && control_id != kSpeedSlider) return;
  logic_.OnSlider(static_cast<uint16_t>(control_id), position);
}

bool CLightingPanel::OnCommand(int control_id, int code) {
  const auto id = static_cast<uint16_t>(control_id);
  const Control* c = FindControl(id);
  HWND hwnd = control(id);
  if (!c || !hwnd) return false;
  if (updating_) return true;
  switch (c->kind) {
    case ControlKind::kModeList:
      if (code == CBN_SELCHANGE) logic_.OnModeChosen(static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)));
      break;
    case ControlKind::kUserModeList:
      if (code == CBN_SELCHANGE) {
        logic_.OnUserModeChosen(static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)));
      } else if (code == CBN_EDITCHANGE) {
        logic_.OnUserModeNameEdited(WindowText(hwnd));
      }
      break;
    case ControlKind::kPicture:
      if (code == STN_CLICKED || code == STN_DBLCLK) logic_.OnPictureClicked(id);
      break;
    case ControlKind::kColourButton:
      if (code == kColourButtonChosen) logic_.OnColourChosen(id, colour_buttons_.at(id)->colour());
      break;
    case ControlKind::kNumberBox:
      if (code == EN_CHANGE) logic_.OnNumberTextChanged(id, WindowText(hwnd));
      break;
    case ControlKind::kSlider:
    case ControlKind::kLabel:
      break;
  }
  return true;
}

// ---- view ---------------------------------------------------------------------

void CLightingPanel::ShowControl(uint16_t id, bool shown) {
  HWND hwnd = control(id);
  if (!hwnd || (IsWindowVisible(hwnd) != FALSE) == shown) return;
  ShowWindow(hwnd, shown ? SW_SHOWNA : SW_HIDE);
}

void CLightingPanel::SetPicture(uint16_t id, std::u16string_view picture) {
  if (auto it = picture_controls_.find(id); it != picture_controls_.end()) it->second->SetPicture(Picture(picture));
}

void CLightingPanel::SetSlider(uint16_t id, int position, std::u16string_view picture) {
  auto it = sliders_.find(id);
  if (it == sliders_.end()) return;
  CBitmapSlider& slider = *it->second;
  if (slider.position() != position) slider.SetPosition(position);
  std::u16string& shown = slider_pictures_[id];
  if (shown == picture) return;
  shown = std::u16string(picture);
  // The slider owns what it shows: it gets its own copy of the picture.
  HBITMAP source = Picture(picture);
  slider.SetPicture(GdiBitmap(source ? static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, 0)) : nullptr));
}

void CLightingPanel::SetColourButton(uint16_t id, Colour colour) {
  if (CColourButton* button = colour_button(id)) button->SetColour(colour);
}

void CLightingPanel::PlaceControl(uint16_t id, std::u16string_view skin_key) {
  HWND hwnd = control(id);
  if (!hwnd) return;
  const SkinRect r = ReadSkinRect(window_.ini, window_.layout_file, kButtonSection, skin_key);
  RECT now{};
  GetWindowRect(hwnd, &now);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&now), 2);
  if (now.left == r.x && now.top == r.y && now.right - now.left == r.w && now.bottom - now.top == r.h) return;
  MoveWindow(hwnd, r.x, r.y, r.w, r.h, TRUE);
}

void CLightingPanel::SetModeList(std::span<const int> modes) {
  modes_.assign(modes.begin(), modes.end());
  HWND list = control(kModeList);
  if (!list) return;
  updating_ = true;
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (int mode : modes) {
    const std::u16string name = window_.texts.LookupModeText(ModeTextKey(mode), language_);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(name)));
  }
  updating_ = false;
}

void CLightingPanel::SelectMode(int position) {
  updating_ = true;
  SendMessageW(control(kModeList), CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  updating_ = false;
}

void CLightingPanel::SetUserModeNames(std::span<const std::u16string> names) {
  HWND list = control(kUserModeList);
  if (!list) return;
  updating_ = true;
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(name)));
  updating_ = false;
}

void CLightingPanel::SelectUserMode(int user_mode) {
  updating_ = true;
  SendMessageW(control(kUserModeList), CB_SETCURSEL, static_cast<WPARAM>(user_mode), 0);
  updating_ = false;
}

void CLightingPanel::ReplaceUserModeName(int user_mode, std::u16string_view name) {
  HWND list = control(kUserModeList);
  if (!list) return;
  updating_ = true;
  // The entry is replaced under the user's typing: the caret stays where it was.
  const LRESULT selection = SendMessageW(list, CB_GETEDITSEL, 0, 0);
  const std::u16string text(name);
  SendMessageW(list, CB_DELETESTRING, static_cast<WPARAM>(user_mode), 0);
  SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(user_mode), reinterpret_cast<LPARAM>(AsWide(text)));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(user_mode), 0);
  SendMessageW(list, CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(selection), HIWORD(selection)));
  updating_ = false;
}

void CLightingPanel::SetEditText(uint16_t id, std::u16string_view text) {
  HWND hwnd = control(id);
  if (!hwnd) return;
  const std::u16string value(text);
  SetWindowTextW(hwnd, AsWide(value));
  SendMessageW(hwnd, EM_SETSEL, value.size(), value.size());
}

}  // namespace keyloom
