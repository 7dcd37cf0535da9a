#include "ui/main/keyloom_dlg_win32.h"

#include <windowsx.h>

#include <atomic>
#include <thread>

#include "base/text.h"
#include "device/presence_sink_win32.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/skin_layout.h"
#include "ui/controls/gdi_win32.h"
#include "ui/controls/placement_win32.h"
#include "ui/dialogs/about_dlg_win32.h"
#include "ui/dialogs/profile_dlg_win32.h"
#include "ui/main/keyward_link.h"

namespace keyloom {

namespace {
constexpr int kMainIcon = 128;
constexpr uint32_t kProfilesCaptionFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
constexpr int kProfilesCaptionIndent = 40;
constexpr DWORD kCaptionWhite = 0xFFFFFF, kCaptionOver = 0x0082FF, kCaptionPressed = 0x049BFF,
                kCaptionDisabled = 0x7F7F7F;

std::unique_ptr<LightingPanel> MakePanel(MainWindowContext& context, CKeyloomDlg& window) {
  if (context.make_lighting_panel)
    if (auto panel = context.make_lighting_panel(window)) return panel;
  return std::make_unique<LightingPanel>();
}

std::unique_ptr<KeyEditorLauncher> MakeEditor(MainWindowContext& context, CKeyloomDlg& window) {
  if (context.make_key_editor)
    if (auto editor = context.make_key_editor(window)) return editor;
  return std::make_unique<KeyEditorLauncher>();
}

// The skin keys of the extra keys D1..D6.
std::u16string ExtraKeySkinKey(int i) { return u"KEY_D" + std::u16string(1, static_cast<char16_t>(u'1' + i)); }
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
      panel_(MakePanel(context, *this)),
      editor_(MakeEditor(context, *this)),
      logic_(*this, MainWindowServices{context.model, context.presence, tray_image_, *panel_, *editor_,
                                       context.files ? *context.files : own_files_}),
      tray_(context.resources, context.notifier) {
  if (!context_.messages) own_messages_ = std::make_unique<WindowMessageBoxes>(*this);
}

CKeyloomDlg::~CKeyloomDlg() {
  StopKeyboardThreads();
  for (auto& b : buttons_) b->Detach();
  tray_.Remove();
}

std::u16string CKeyloomDlg::Text(std::u16string_view key) const {
  return context_.texts.LookupText(key, context_.texts.CurrentLanguageIndex());
}

CPngButton* CKeyloomDlg::button(int id) {
  auto it = by_id_.find(id);
  return it == by_id_.end() ? nullptr : it->second;
}

CPngButton& CKeyloomDlg::Adopt(HWND control) {
  buttons_.push_back(std::make_unique<CPngButton>());
  CPngButton& b = *buttons_.back();
  if (b.Attach(control)) by_id_[GetDlgCtrlID(control)] = &b;
  return b;
}

BOOL CKeyloomDlg::OnInitDialog() {
  CBaseDialog::OnInitDialog();
  PlaceInWorkArea();

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

  logic_.OnCreating();
  // The notification reader first, then the watcher; an arrival they report
  // before the window is complete waits for the end of its creation.
  if (context_.start_keyboard_threads) StartKeyboardThreads();

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
  for (int i = 0; i < 3; ++i) links_[i] = ReadSkinLink(context_.ini, context_.layout_file, i);
  CreateKeyButtons();
  SkinCommandButtons();
  LoadProgressPictures();
  panel_->Initialise();

  // No taskbar button while hidden; other copies find the window by its tag.
  LONG_PTR ex_style = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, (ex_style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  SetWindowLongPtrW(hwnd(), GWLP_USERDATA, static_cast<LONG_PTR>(kMainWindowTag));
  SetWindowLongPtrW(hwnd(), GWL_STYLE, GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);

  SetWindowTextW(hwnd(), AsWide(Text(u"MAIN_CAPTION")));
  CreateNamedEvents();

  // The icon shows what the keyboard threads reported so far.
  tray_.prepare_menu = [this](HMENU menu) { RelabelTrayMenu(menu); };
  tray_image_.CreateIcon([this](int image) {
    HICON icon = static_cast<HICON>(LoadImageW(resources(), MAKEINTRESOURCEW(image), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    return tray_.Create(hwnd(), kTrayCallbackMessage, Text(u"KEYBOARD_TRAY_DESC"), icon, kTrayIconId, image);
  });

  logic_.OnCreated();
  PostMessageW(hwnd(), kMainMsgInit, kMainTagInit, 0);
  SendMessageW(hwnd(), kMainMsgLanguage, kMainTagLanguage, context_.texts.CurrentLanguageIndex());
  preview_timer_ms_ = 0;  // a new window has no timers yet
  StartPreviewTimer(kPreviewTimerFirstMs);
  SetTimer(hwnd(), kArrowTimer, kArrowTimerMs, nullptr);
  return TRUE;
}

void CKeyloomDlg::PlaceInWorkArea() { CentreWindow(hwnd(), nullptr); }

void CKeyloomDlg::StartKeyboardThreads() {
  MessageBoxes* boxes = context_.messages;
  sink_ = std::make_unique<Win32PresenceSink>(
      hwnd(), [this](int icon) { tray_image_.SetFromPresence(icon, [this](int image) { tray_.SetIcon(image); }); },
      [this, boxes](std::u16string_view key) {
        if (boxes) {
          boxes->ShowMessage(key);
        } else {
          own_messages_->ShowMessage(key);
        }
      });
  MainModel& model = context_.model;
  threads_ = std::make_unique<PresenceThreads>(model.link, model.commands, context_.presence, *sink_,
                                               context_.hid_backend);
}

bool CKeyloomDlg::LoadSurfaces() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  for (size_t i = 0; i < kMainSurfaceFiles.size(); ++i) {
    auto surface = std::make_unique<SkinSurface>(hwnd(), client.right, client.bottom);
    if (!surface->ok()) return false;
    // Four pictures are named twice: the second surface copies the first
    // instead of decoding the file again.
    const SkinSurface* same = nullptr;
    for (size_t j = 0; j < i && !same; ++j)
      if (kMainSurfaceFiles[j] == kMainSurfaceFiles[i]) same = surfaces_[j].get();
    if (same) {
      BitBlt(surface->dc(), 0, 0, client.right, client.bottom, same->dc(), 0, 0, SRCCOPY);
      surface->MarkDrawn();
    } else if (!surface->DrawPicture(context_.skin_folder + std::u16string(kMainSurfaceFiles[i]))) {
      return false;
    }
    surfaces_[i] = std::move(surface);
  }
  return true;
}

void CKeyloomDlg::CreateKeyButtons() {
  // Normal, mouse over, pressed, disabled (the normal picture) and selected
  // (the "disable" picture: the assigned look).
  const StateSurfaces keys = {surfaces_[0].get(), surfaces_[1].get(), surfaces_[2].get(), surfaces_[0].get(),
                              surfaces_[3].get()};
  // The extra keys are shown dimmed while the Flip switch disables them.
  const StateSurfaces extra = {surfaces_[0].get(), surfaces_[1].get(), surfaces_[2].get(), surfaces_[3].get(),
                               surfaces_[3].get()};
  auto make = [this](int id, std::u16string_view caption, std::u16string_view key, const StateSurfaces& looks) {
    const std::wstring text(caption.begin(), caption.end());
    HWND control = CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 1, 1,
                                   hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    CPngButton& b = Adopt(control);
    PlaceSkinButton(b, context_.ini, context_.layout_file, kButtonSection, key, looks);
  };
  for (const KeyButton& k : kMainKeyButtons) make(k.control_id, k.caption, SkinKeyName(k), keys);
  for (int j = 0; j < kGKeyCount; ++j) {
    const std::u16string caption = u"G" + std::u16string(1, static_cast<char16_t>(u'1' + j));
    make(kGKeyButtonIds[j], caption, GKeySkinKeyName(j), keys);
  }
  make(kFnButtonId, u"Fn", kFnSkinKey, keys);
  for (int i = 0; i < static_cast<int>(kExtraKeyButtonIds.size()); ++i) {
    const std::u16string caption = u"D" + std::u16string(1, static_cast<char16_t>(u'1' + i));
    make(kExtraKeyButtonIds[i], caption, ExtraKeySkinKey(i), extra);
  }
}

void CKeyloomDlg::SkinCommandButtons() {
  // Normal, mouse over, pressed and disabled from the first set; the
  // selected look is the pressed one, except for the profile and
  // report-rate buttons, whose chosen look is the "disable" picture.
  const StateSurfaces looks = {surfaces_[0].get(), surfaces_[1].get(), surfaces_[2].get(), surfaces_[3].get(),
                               surfaces_[2].get()};
  const StateSurfaces toggles = {surfaces_[0].get(), surfaces_[1].get(), surfaces_[2].get(), surfaces_[3].get(),
                                 surfaces_[3].get()};
  static constexpr SkinnedButton kButtons[] = {
      {kCmdLogoLink, u"TOVRIK_LINK", u""},
      {kCmdProfiles, u"FUNC_PROFILES", u""},
      {kCmdMacro, u"FUNC_MACRO", u""},
      {kCmdOk, u"CONTROL_OK", u""},
      {kCmdCancel, u"CONTROL_CANCEL", u""},
      {kCmdHelp, u"CONTROL_HELP", u"MAIN_HELP_PROMPT"},
      {kCmdClose, u"CONTROL_CLOSE", u"MAIN_CLOSE_PROMPT"},
      {kCmdMinimize, u"CONTROL_MINIMIZE", u"MAIN_MINIMIZE_PROMPT"},
      {kCmdButtonMenu, u"CONTROL_MENU", u"MAIN_MENU_PROMPT"},
      {kCmdApply, u"CONTROL2_APPLY", u""},
      {kLockCapsId, u"LOCK_CAPS", u""},
      {kLockNumId, u"LOCK_NUM", u""},
      {kLockScrollId, u"LOCK_SCROLL", u""},
      {kCmdLockAb, u"LOCK_AB", u""},
      {kCmdFlip0, u"FLIP_0", u""},
      {kCmdFlip1, u"FLIP_1", u""},
      {kCmdFlip2, u"FLIP_2", u""},
      {kVersionId, u"TOVRIK_VER", u""},
      {kProfileButtonIds[0], u"FUNC_PROFILE1", u""},
      {kProfileButtonIds[1], u"FUNC_PROFILE2", u""},
      {kProfileButtonIds[2], u"FUNC_PROFILE3", u""},
      {kCmdRestoreDefaults, u"FUNC_DEFAULT", u""},
      {kSwitchId, u"FUNC_SWITCH", u""},
      {kReportRateButtonIds[0], u"FUNC_REPORT1", u""},
      {kReportRateButtonIds[1], u"FUNC_REPORT2", u""},
      {kReportRateButtonIds[2], u"FUNC_REPORT3", u""},
      {kReportRateButtonIds[3], u"FUNC_REPORT4", u""},
      {kCmdLink0, u"KEY_PCGAME", u""},
      {kCmdLink1, u"KEY_FACEBOOK", u""},
      {kCmdLink2, u"KEY_INSTARGRAM", u""},
  };
  for (const SkinnedButton& s : kButtons) {
    HWND control = GetDlgItem(hwnd(), s.id);
    if (!control) continue;
    CPngButton& b = Adopt(control);
    bool toggle = false;
    for (int id : kProfileButtonIds) toggle |= id == s.id;
    for (int id : kReportRateButtonIds) toggle |= id == s.id;
    PlaceSkinButton(b, context_.ini, context_.layout_file, kButtonSection, s.key, toggle ? toggles : looks);
  }
  SetWindowTextW(GetDlgItem(hwnd(), kCmdLogoLink), AsWide(links_[0]));
  SetWindowTextW(GetDlgItem(hwnd(), kCmdLink0), AsWide(links_[0]));
  SetWindowTextW(GetDlgItem(hwnd(), kCmdLink1), AsWide(links_[1]));
  SetWindowTextW(GetDlgItem(hwnd(), kCmdLink2), AsWide(links_[2]));
  if (CPngButton* profiles = button(kCmdProfiles)) {
    // The skin's profiles button is a wide horizontal button with a glyph
    // at its left: the name goes beside the glyph on one line, unrotated.
    profiles->SetCaptionStyle(true, 10, u"Arial Unicode MS", kCaptionWhite, kCaptionOver, kCaptionPressed,
                              kCaptionDisabled, kCaptionWhite, kProfilesCaptionFormat);
    profiles->SetMargins(kProfilesCaptionIndent, 0, 0, 0);
  }
  if (CPngButton* version = button(kVersionId)) {
    SetWindowTextW(version->hwnd(), L"");
    version->SetCaptionStyle(true, 8, u"Verdana Unicode MS", kCaptionWhite, kCaptionOver, kCaptionPressed,
                             kCaptionDisabled, kCaptionWhite, 36);
    EnableWindow(version->hwnd(), FALSE);
  }
  // The two arrows beside the extra keys animate between two frames.
  for (int id : {kLeftArrowId, kRightArrowId})
    if (HWND control = GetDlgItem(hwnd(), id)) Adopt(control);
  PlaceArrows(arrow_frame_);
  // Nothing to apply yet.
  SetEnabled(kCmdApply, false);
}

void CKeyloomDlg::PlaceArrows(int frame) {
  const bool left[] = {true, false};
  const int ids[] = {kLeftArrowId, kRightArrowId};
  for (int i = 0; i < 2; ++i) {
    CPngButton* b = button(ids[i]);
    if (!b) continue;
    const std::u16string_view key = left[i] ? u"LEFT_ARROW" : u"RIGHT_ARROW";
    const std::u16string origin = logic_.keyboard_view().ArrowOrigin(left[i], frame);
    auto [plan, added] = arrow_plans_.try_emplace(origin);
    if (added) {
      const IniService& ini = context_.ini;
      plan->second = PlanSkinButtonWithOrigin(ReadSkinRect(ini, context_.layout_file, kButtonSection, key),
                                              ReadSkinRect(ini, context_.layout_file, kArrowFrameSection, origin));
    }
    PlaceSkinButtonByPlan(*b, plan->second, surfaces_[kArrowSurface].get());
    b->Redraw();
  }
}

void CKeyloomDlg::LoadProgressPictures() {
  for (int i = 0; i < kProgressFrames; ++i)
    progress_pictures_[i] = LoadPicture(context_.skin_folder + ProgressPictureName(i));
  if (HWND strip = GetDlgItem(hwnd(), kProgressStripId)) {
    PlaceControl(strip, context_.ini, context_.layout_file, kButtonSection, u"CONTROL_JDTStatic");
    ShowWindow(strip, SW_HIDE);
  }
}

void CKeyloomDlg::ShowProgressFrame(int frame) {
  progress_frame_ = frame % kProgressFrames;
  HWND strip = GetDlgItem(hwnd(), kProgressStripId);
  if (!strip) return;
  SendMessageW(strip, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(progress_pictures_[progress_frame_].get()));
}

bool CKeyloomDlg::busy_visible() const {
  HWND strip = GetDlgItem(hwnd(), kProgressStripId);
  return strip && IsWindowVisible(strip);
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

void CKeyloomDlg::RelabelTrayMenu(HMENU menu) {
  static constexpr std::u16string_view kKeys[] = {u"TRAY_MENU_OPEN", u"TRAY_MENU_ABOUT", u"TRAY_MENU_EXIT"};
  for (UINT position = 0; position < 3; ++position) {
    wchar_t caption[128] = L"";
    if (GetMenuStringW(menu, position, caption, 128, MF_BYPOSITION) == 0) continue;
    const std::u16string text = TextOr(LanguageTextSource(context_.texts), kKeys[position], FromWide(caption));
    const UINT id = GetMenuItemID(menu, static_cast<int>(position));
    ModifyMenuW(menu, position, MF_BYPOSITION | MF_STRING, id, AsWide(text));
  }
}

void CKeyloomDlg::OnOK() { logic_.OnCommand(kCmdOk); }
void CKeyloomDlg::OnCancel() { logic_.OnCommand(kCmdCancel); }

bool CKeyloomDlg::PreTranslateMessage(MSG& msg) {
  if (msg.message == kMainMsgPostedApply && msg.hwnd == hwnd()) {
    logic_.Apply();
    return false;  // normal dispatch follows
  }
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

void CKeyloomDlg::StartPreviewTimer(UINT ms) {
  if (ms == preview_timer_ms_) return;
  if (SetTimer(hwnd(), kPreviewTimer, ms, PreviewTimerProc)) preview_timer_ms_ = ms;
}

void CKeyloomDlg::StopPreviewTimer() {
  KillTimer(hwnd(), kPreviewTimer);
  preview_timer_ms_ = 0;
}

void CALLBACK CKeyloomDlg::PreviewTimerProc(HWND window, UINT, UINT_PTR id, DWORD) {
  // The timer is only ever set on the main window, whose dialog long holds it.
  auto* self = dynamic_cast<CKeyloomDlg*>(reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, DWLP_USER)));
  if (self && self->hwnd() == window) self->OnTimer(id);
}

void CKeyloomDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case kProgressTimer: ShowProgressFrame(progress_frame_ + 1); break;
    case kBusyShowTimer:
      KillTimer(hwnd(), kBusyShowTimer);
      if (busy_ <= 0) break;
      ShowProgressFrame(0);
      ShowWindow(GetDlgItem(hwnd(), kProgressStripId), SW_SHOWNA);
      SetTimer(hwnd(), kProgressTimer, kProgressTimerMs, nullptr);
      break;
    case kBusyHideTimer:
      KillTimer(hwnd(), kBusyHideTimer);
      if (busy_ > 0) break;
      KillTimer(hwnd(), kBusyShowTimer);
      KillTimer(hwnd(), kProgressTimer);
      ShowWindow(GetDlgItem(hwnd(), kProgressStripId), SW_HIDE);
      break;
    case kArrowTimer:
      arrow_frame_ = arrow_frame_ == 1 ? 2 : 1;
      // Unseen, the arrows wait: the next second after showing places them.
      if (IsWindowVisible(hwnd()) && !IsIconic(hwnd())) PlaceArrows(arrow_frame_);
      break;
    case kPreviewTimer:
      StartPreviewTimer(kPreviewTimerMs);
      logic_.OnTimer(kPreviewTimer);
      break;
    default:
      // The keyboard's notifications are one-shot.
      if (id == static_cast<UINT_PTR>(kTimerLightingChanged) || id == static_cast<UINT_PTR>(kTimerProfileChanged)) {
        KillTimer(hwnd(), id);
        logic_.OnTimer(static_cast<int>(id));
      }
      break;
  }
}

bool CKeyloomDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (auto tagged = logic_.OnTaggedMessage(message, wparam, lparam)) {
    result = *tagged;
    return true;
  }
  if (HandleStartTimerMessage(hwnd(), message, wparam)) {
    result = 0;
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
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = lparam != 0 ? HIWORD(wparam) : 0;
      if (code == BN_CLICKED && (id == IDOK || id == IDCANCEL)) return false;  // OnOK / OnCancel
      if (!logic_.OnCommand(id, code == BN_CLICKED ? 0 : code)) return false;
      result = 0;
      return true;
    }
    case WM_SYSCOMMAND:
      if (!logic_.OnSystemCommand(static_cast<unsigned>(wparam & 0xFFF0))) return false;
      result = 0;
      return true;
    case WM_HELP:
      OpenHelp();
      result = TRUE;
      return true;
    case WM_TIMER:
      OnTimer(wparam);
      result = 0;
      return true;
    case kMainMsgSlider:
      logic_.OnSliderMessage(static_cast<int>(wparam), static_cast<int>(lparam));
      result = 0;
      return true;
    default: break;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

// --- controls ---

void CKeyloomDlg::SetEditingLook(int button_id, bool editing) {
  if (CPngButton* b = button(button_id)) SendMessageW(b->hwnd(), BM_SETSTATE, editing ? TRUE : FALSE, 0);
}

void CKeyloomDlg::SetEnabled(int id, bool enabled) {
  if (HWND control = GetDlgItem(hwnd(), id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void CKeyloomDlg::SetSelected(int id, bool selected) {
  if (CPngButton* b = button(id)) b->SetSelected(selected, true);
}

void CKeyloomDlg::SetTooltip(int id, std::u16string_view text) {
  if (CPngButton* b = button(id); b && b->tooltip_text() != text) b->SetTooltipText(text, true);
}

void CKeyloomDlg::SetCaption(int id, std::u16string_view text) {
  const std::u16string caption(text);
  if (HWND control = GetDlgItem(hwnd(), id)) {
    SetWindowTextW(control, AsWide(caption));
    InvalidateRect(control, nullptr, FALSE);
  }
}

void CKeyloomDlg::SetVisible(int id, bool visible) {
  if (HWND control = GetDlgItem(hwnd(), id)) ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

void CKeyloomDlg::Redraw(int id) {
  if (CPngButton* b = button(id)) {
    b->Redraw();
  } else if (HWND control = GetDlgItem(hwnd(), id)) {
    InvalidateRect(control, nullptr, TRUE);
  }
}

// --- prompts ---

void CKeyloomDlg::ShowMessage(std::u16string_view text_key) {
  MessageBoxes* boxes = context_.messages ? context_.messages : own_messages_.get();
  boxes->ShowMessage(text_key);
}

void CKeyloomDlg::ShowText(std::u16string_view text) {
  MessageBoxes* boxes = context_.messages ? context_.messages : own_messages_.get();
  boxes->ShowText(text);
}

bool CKeyloomDlg::AskYesNo(std::u16string_view text_key) {
  if (context_.ask_yes_no) return context_.ask_yes_no(text_key);
  const std::u16string body = Text(text_key), title = Text(u"MAIN_CAPTION");
  return MessageBoxW(hwnd(), AsWide(body), AsWide(title), MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES;
}

// --- view ---

void CKeyloomDlg::Hide() { ShowWindow(hwnd(), SW_HIDE); }

void CKeyloomDlg::ShowAsApplicationWindow() {
  LONG_PTR ex_style = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, (ex_style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW);
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd());
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

void CKeyloomDlg::TrackProfileMenu() {
  const ProfileMenu& model = logic_.profiles().menu();
  UniqueMenu menu(CreatePopupMenu());
  if (!menu.get()) return;
  for (size_t i = 0; i < model.items.size(); ++i) {
    const ProfileMenu::Item& item = model.items[i];
    if (item.command == 0) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      const UINT checked = static_cast<int>(i) == model.checked ? MF_CHECKED : MF_UNCHECKED;
      AppendMenuW(menu.get(), MF_STRING | checked, static_cast<UINT_PTR>(item.command), AsWide(item.text));
    }
  }
  SetForegroundWindow(hwnd());
  POINT at{};
  GetCursorPos(&at);
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void CKeyloomDlg::ShowAbout() {
  if (about_) return;  // one About box at a time
  CAboutDlg about(resources(), hwnd(), context_.texts, context_.shell, links_[0], context_.help_folder);
  about_ = &about;
  about.DoModal();
  about_ = nullptr;
}

void CKeyloomDlg::ShowProfileManager() {
  if (profile_dialog_) return;
  LanguageTextSource texts(context_.texts);
  MessageBoxes* boxes = context_.messages ? context_.messages : own_messages_.get();
  ProfileDialogContext dialog_context{resources(),
                                      context_.ini,
                                      texts,
                                      logic_.profiles(),
                                      logic_.files(),
                                      *boxes,
                                      context_.shell,
                                      context_.profile_layout_file,
                                      context_.skin_folder,
                                      context_.help_folder,
                                      context_.exit_silently};
  CKeyloom_DlgProfile dialog(dialog_context, hwnd());
  profile_dialog_ = &dialog;
  dialog.DoModal();
  profile_dialog_ = nullptr;
}

void CKeyloomDlg::ShowFirmwareUpdate() {
  if (context_.show_firmware_update) context_.show_firmware_update(*this);
}

void CKeyloomDlg::RunUpdateCheck() {
  if (context_.update_check) context_.update_check(*this);
}

void CKeyloomDlg::TellProfileChanged(int profile) { NotifyKeywardProfile(profile); }

void CKeyloomDlg::OpenHelp() { keyloom::OpenHelp(context_.shell, context_.help_folder); }

void CKeyloomDlg::OpenLink(int index) {
  if (index < 0 || index > 2) return;
  context_.shell.Execute(u"open", links_[index], u"", u"", SW_SHOWNORMAL);
}

void CKeyloomDlg::ApplyLanguage(int index) {
  if (about_ && about_->hwnd()) SendMessageW(about_->hwnd(), kMainMsgLanguage, kMainTagLanguage, index);
  static constexpr std::pair<int, std::u16string_view> kTooltips[] = {
      {kCmdHelp, u"MAIN_HELP_PROMPT"},
      {kCmdClose, u"MAIN_CLOSE_PROMPT"},
      {kCmdMinimize, u"MAIN_MINIMIZE_PROMPT"},
      {kCmdButtonMenu, u"MAIN_MENU_PROMPT"},
  };
  for (const auto& [id, key] : kTooltips)
    if (CPngButton* b = button(id)) b->SetTooltipText(context_.texts.LookupText(key, index), true);
}

void CKeyloomDlg::RefreshTexts() {
  tray_.SetTip(Text(u"KEYBOARD_TRAY_DESC"));
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void CKeyloomDlg::CloseDialogsForRemoval() {
  if (about_) about_->EndDialog(IDCANCEL);
  if (profile_dialog_) profile_dialog_->EndDialog(IDCANCEL);
  SetFocus(hwnd());
}

void CKeyloomDlg::BeginBusy() {
  ++busy_;
  KillTimer(hwnd(), kBusyHideTimer);
  SetTimer(hwnd(), kBusyShowTimer, kBusyDelayMs, nullptr);
}

void CKeyloomDlg::EndBusy() {
  if (busy_ > 0) --busy_;
  if (busy_ == 0) SetTimer(hwnd(), kBusyHideTimer, kBusyDelayMs, nullptr);
}

void CKeyloomDlg::RunWhileResponsive(const std::function<void()>& work) {
  std::atomic<bool> done{false};
  HWND window = hwnd();
  std::thread worker([&] {
    work();
    done = true;
    PostMessageW(window, WM_NULL, 0, 0);  // wakes the loop below
  });
  while (!done) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (!done && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
        break;
      }
      if (Win32Dialog::PreTranslateChain(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  worker.join();
}

bool CKeyloomDlg::CloseEditors() {
  if (about_) about_->EndDialog(IDCANCEL);
  if (profile_dialog_) profile_dialog_->EndDialog(IDCANCEL);
  return true;
}

void CKeyloomDlg::StopKeyboardThreads() {
  if (!threads_) return;
  // The watcher may be waiting inside a message it sent to this thread:
  // sent messages are served until both threads have ended.
  threads_->StopWhileServing([](int ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  });
  threads_.reset();
  sink_.reset();
}

void CKeyloomDlg::CloseInstanceMutex() { context_.instance_mutex.reset(); }

void CKeyloomDlg::CloseNamedEvents() { events_.clear(); }

void CKeyloomDlg::RemoveTrayIcon() { tray_.Remove(); }

void CKeyloomDlg::ReleaseSkin() {
  // The buttons let go of the surfaces before they are freed.
  for (auto& b : buttons_) b->SetStateSurfaces({}, false);
  for (auto& surface : surfaces_) surface.reset();
  for (auto& picture : progress_pictures_) picture.reset();
  ReleasePictures();
}

void CKeyloomDlg::EndMainDialog() {
  StopPreviewTimer();
  for (UINT_PTR id : {kArrowTimer, kProgressTimer, kBusyShowTimer, kBusyHideTimer}) KillTimer(hwnd(), id);
  EndDialog(IDOK);
}

}  // namespace keyloom
