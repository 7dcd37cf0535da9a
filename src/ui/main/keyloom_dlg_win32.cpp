#include "ui/main/keyloom_dlg_win32.h"

#include <windowsx.h>

#include "base/text.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/skin_layout.h"
#include "ui/controls/gdi_win32.h"
#include "ui/controls/placement_win32.h"
#include "ui/dialogs/about_dlg_win32.h"

namespace keyloom {

namespace {
constexpr int kMainIcon = 128;
constexpr int kApplyId = 1006;
}  // namespace

// Language texts in message boxes owned by the main window.
class CKeyloomDlg::WindowMessageBoxes final : public MessageBoxes {
 public:
  explicit WindowMessageBoxes(CKeyloomDlg& window) : window_(window) {}
  void ShowMessage(std::u16string_view key) override { ShowText(window_.Text(key)); }
  void ShowText(std::u16string_view text) override {
    const std::u16string body(text), title = window_.Text(u"MAIN_CAPTION");
    MessageBoxW(window_.hwnd(), AsWide(body), AsWide(title), MB_OK);
  }

 private:
  CKeyloomDlg& window_;
};

CKeyloomDlg::CKeyloomDlg(MainWindowContext& context)
    : CBaseDialog(context.resources, kMainDialogTemplate, nullptr, context.layout_file, context.skin_folder,
                  SkinEnvironment{context.ini, context.exit_silently}),
      context_(context),
      logic_(*this, context.presence, tray_image_),
      tray_(context.resources, context.notifier),
      buttons_{{
          {kCmdOk, u"CONTROL_OK", u"", {}},
          {kCmdCancel, u"CONTROL_CANCEL", u"", {}},
          {kCmdHelp, u"CONTROL_HELP", u"MAIN_HELP_PROMPT", {}},
          {kCmdClose, u"CONTROL_CLOSE", u"MAIN_CLOSE_PROMPT", {}},
          {kCmdMinimize, u"CONTROL_MINIMIZE", u"MAIN_MINIMIZE_PROMPT", {}},
          {kCmdButtonMenu, u"CONTROL_MENU", u"MAIN_MENU_PROMPT", {}},
          {kApplyId, u"CONTROL2_APPLY", u"", {}},
      }} {
  if (!context_.messages) own_messages_ = std::make_unique<WindowMessageBoxes>(*this);
}

CKeyloomDlg::~CKeyloomDlg() {
  for (SkinnedButton& b : buttons_) b.button.Detach();
  tray_.Remove();
}

std::u16string CKeyloomDlg::Text(std::u16string_view key) const {
  return context_.texts.LookupText(key, context_.texts.CurrentLanguageIndex());
}

CPngButton* CKeyloomDlg::button(int id) {
  for (SkinnedButton& b : buttons_)
    if (b.id == id) return &b.button;
  return nullptr;
}

BOOL CKeyloomDlg::OnInitDialog() {
  CBaseDialog::OnInitDialog();

  if (HMENU system = GetSystemMenu(hwnd(), FALSE)) {
    wchar_t about[64] = L"&About...";
    LoadStringW(resources(), kAboutMenuString, about, 64);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, kSysCmdAbout, about);
  }
  HICON big = static_cast<HICON>(LoadImageW(resources(), MAKEINTRESOURCEW(kMainIcon), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageW(resources(), MAKEINTRESOURCEW(kMainIcon), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

  // The window needs the layered-window service of the system.
  HMODULE user32 = GetModuleHandleW(L"User32.dll");
  if (!user32 || !GetProcAddress(user32, "SetLayeredWindowAttributes")) {
    if (context_.exit_silently) context_.exit_silently();
    return TRUE;
  }

  if (!LoadSurfaces()) {
    if (context_.exit_silently) context_.exit_silently();
    return TRUE;
  }
  link_ = ReadSkinLink(context_.ini, context_.layout_file, 0);
  SkinCommandButtons();

  // No taskbar button while hidden; other copies find the window by its tag.
  LONG_PTR ex_style = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, (ex_style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  SetWindowLongPtrW(hwnd(), GWLP_USERDATA, static_cast<LONG_PTR>(kMainWindowTag));
  SetWindowLongPtrW(hwnd(), GWL_STYLE, GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);

  SetWindowTextW(hwnd(), AsWide(Text(u"MAIN_CAPTION")));
  CreateNamedEvents();

  HICON tray_icon = static_cast<HICON>(LoadImageW(resources(), MAKEINTRESOURCEW(TrayImageState::kInitialImage),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  tray_.Create(hwnd(), kTrayCallbackMessage, Text(u"KEYBOARD_TRAY_DESC"), tray_icon, kTrayIconId);

  PostMessageW(hwnd(), kMainMsgInit, kMainTagInit, 0);
  SendMessageW(hwnd(), kMainMsgLanguage, kMainTagLanguage, context_.texts.CurrentLanguageIndex());
  SetTimer(hwnd(), kPreviewTimer, kPreviewTimerFirstMs, nullptr);
  return TRUE;
}

bool CKeyloomDlg::LoadSurfaces() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  for (size_t i = 0; i < kMainSurfaceFiles.size(); ++i) {
    auto surface = std::make_unique<SkinSurface>(hwnd(), client.right, client.bottom);
    if (!surface->ok() || !surface->DrawPicture(context_.skin_folder + std::u16string(kMainSurfaceFiles[i])))
      return false;
    surfaces_[i] = std::move(surface);
  }
  return true;
}

void CKeyloomDlg::SkinCommandButtons() {
  // Normal, mouse over, pressed and disabled from the first set; the
  // selected look is the pressed one.
  const StateSurfaces looks = {surfaces_[0].get(), surfaces_[1].get(), surfaces_[2].get(), surfaces_[3].get(),
                               surfaces_[2].get()};
  for (SkinnedButton& b : buttons_) {
    if (!b.button.Attach(GetDlgItem(hwnd(), b.id))) continue;
    PlaceSkinButton(b.button, context_.ini, context_.layout_file, kButtonSection, b.key, looks);
  }
  // Nothing to apply yet.
  if (CPngButton* apply = button(kApplyId)) EnableWindow(apply->hwnd(), FALSE);
}

void CKeyloomDlg::CreateNamedEvents() {
  events_.clear();
  events_.reserve(kMainEventCount);
  for (int n = 1; n <= kMainEventCount; ++n) {
    const std::u16string name = MainEventName(n);
    events_.emplace_back(CreateEventW(nullptr, FALSE, FALSE, AsWide(name)));
  }
}

void CKeyloomDlg::SetTrayImage(int mode, int id) {
  tray_image_.Set(mode, id, [this](int image) { tray_.SetIcon(image); });
}

void CKeyloomDlg::OnOK() { logic_.OnCommand(kCmdOk); }
void CKeyloomDlg::OnCancel() { logic_.OnCommand(kCmdCancel); }

bool CKeyloomDlg::PreTranslateMessage(MSG& msg) {
  const bool combo_focused = GetFocus() && GetFocus() == GetDlgItem(hwnd(), kModeComboId);
  return MainWindowLogic::SwallowsKey(msg.message, static_cast<unsigned>(msg.wParam), combo_focused);
}

void CKeyloomDlg::PaintIconic() {
  PaintDc paint(hwnd());
  RECT client{};
  GetClientRect(hwnd(), &client);
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
  HICON icon = reinterpret_cast<HICON>(SendMessageW(hwnd(), WM_GETICON, ICON_BIG, 0));
  const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  if (icon) DrawIcon(paint.get(), (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, icon);
}

bool CKeyloomDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (auto tagged = logic_.OnTaggedMessage(message, wparam, lparam)) {
    result = *tagged;
    return true;
  }
  switch (message) {
    case WM_NCPAINT:
      // The first paints after creation hide the window: it starts hidden.
      if (logic_.OnNonClientPaint()) ShowWindow(hwnd(), SW_HIDE);
      result = 0;
      return true;
    case WM_PAINT:
      if (!IsIconic(hwnd())) break;
      PaintIconic();
      result = 0;
      return true;
    case WM_COMMAND:
      if (lparam != 0 && HIWORD(wparam) != BN_CLICKED) return false;
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) return false;  // OnOK / OnCancel
      return logic_.OnCommand(LOWORD(wparam));
    case WM_SYSCOMMAND:
      if (!logic_.OnSystemCommand(static_cast<unsigned>(wparam & 0xFFF0))) return false;
      result = 0;
      return true;
    case WM_HELP:
      OpenHelp();
      result = TRUE;
      return true;
    case WM_TIMER:
      if (wparam != kPreviewTimer) return false;
      SetTimer(hwnd(), kPreviewTimer, kPreviewTimerMs, nullptr);
      result = 0;
      return true;
    default: break;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

// --- view ---

void CKeyloomDlg::Hide() { ShowWindow(hwnd(), SW_HIDE); }

void CKeyloomDlg::ShowAsApplicationWindow() {
  LONG_PTR ex_style = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, (ex_style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void CKeyloomDlg::ShowMessage(std::u16string_view text_key) {
  MessageBoxes* boxes = context_.messages ? context_.messages : own_messages_.get();
  boxes->ShowMessage(text_key);
}

void CKeyloomDlg::PostMinimize() { PostMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void CKeyloomDlg::TrackButtonMenu() {
  UniqueMenu menu(LoadMenuW(resources(), MAKEINTRESOURCEW(kButtonMenu)));
  HMENU items = menu.get() ? GetSubMenu(menu.get(), 0) : nullptr;
  if (!items) return;
  // The first four items carry these commands, under the captions they have.
  const UINT commands[] = {kCmdImport, kCmdExport, kCmdAbout, kCmdMenuClose};
  for (UINT position = 0; position < 4; ++position) {
    wchar_t caption[128] = L"";
    GetMenuStringW(items, position, caption, 128, MF_BYPOSITION);
    ModifyMenuW(items, position, MF_BYPOSITION | MF_STRING, commands[position], caption);
  }
  POINT at{};
  GetCursorPos(&at);
  TrackPopupMenu(items, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void CKeyloomDlg::ShowAbout() {
  if (about_) return;  // one About box at a time
  CAboutDlg about(resources(), hwnd(), context_.texts, context_.shell, link_, context_.help_folder);
  about_ = &about;
  about.DoModal();
  about_ = nullptr;
}

void CKeyloomDlg::OpenHelp() { keyloom::OpenHelp(context_.shell, context_.help_folder); }

void CKeyloomDlg::ApplyLanguage(int index) {
  if (about_ && about_->hwnd()) SendMessageW(about_->hwnd(), kMainMsgLanguage, kMainTagLanguage, index);
  for (SkinnedButton& b : buttons_) {
    if (b.tooltip_key.empty() || !b.button.hwnd()) continue;
    b.button.SetTooltipText(context_.texts.LookupText(b.tooltip_key, index), true);
  }
}

bool CKeyloomDlg::CloseEditors() {
  if (about_) about_->EndDialog(IDCANCEL);
  return true;
}

void CKeyloomDlg::CloseInstanceMutex() { context_.instance_mutex.reset(); }

void CKeyloomDlg::CloseNamedEvents() { events_.clear(); }

void CKeyloomDlg::RemoveTrayIcon() { tray_.Remove(); }

void CKeyloomDlg::ReleaseSkin() {
  // The buttons let go of the surfaces before they are freed.
  for (SkinnedButton& b : buttons_) b.button.SetStateSurfaces({}, false);
  for (auto& surface : surfaces_) surface.reset();
  ReleasePictures();
}

void CKeyloomDlg::EndMainDialog() {
  KillTimer(hwnd(), kPreviewTimer);
  EndDialog(IDOK);
}

}  // namespace keyloom
