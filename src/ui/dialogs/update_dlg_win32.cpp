#include "ui/dialogs/update_dlg_win32.h"

#include "base/text.h"
#include "storage/skin_layout.h"
#include "ui/controls/file_picker_win32.h"
#include "ui/controls/placement_win32.h"
#include "ui/controls/screen_geometry.h"
#include "ui/main/keyloom_dlg_win32.h"

namespace keyloom {

namespace {

// The path field painted in the skin, and the text on it.
constexpr COLORREF kFieldColour = RGB(0x11, 0x13, 0x18);
constexpr COLORREF kPathColour = RGB(0xE8, 0xEB, 0xF0);

bool IsExistingFile(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(AsWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void UpdatePictures::Load(HWND window, int width, int height, const std::u16string& skin_folder) {
  // A picture that cannot be loaded leaves the buttons without that look.
  auto load = [&](std::u16string_view name) {
    auto surface = std::make_unique<SkinSurface>(window, width, height);
    if (!surface->ok() || !surface->DrawPicture(skin_folder + std::u16string(name))) surface.reset();
    return surface;
  };
  normal_ = load(u"update_normal.jpg");
  over_ = load(u"update_over.jpg");
  loaded_ = true;
}

StateSurfaces UpdatePictures::Looks() const {
  // Normal; mouse over, pressed and disabled share one picture.
  return {normal_.get(), over_.get(), over_.get(), over_.get(), normal_.get()};
}

CKeyloom_DlgUpdate::CKeyloom_DlgUpdate(FirmwareUpdateContext& context, HWND owner, UpdatePictures& pictures,
                                       UpdateDialogContext& logic_context)
    : CBaseDialog(context.resources, kUpdateDialogTemplate, owner, context.layout_file, context.skin_folder,
                  SkinEnvironment{context.ini, context.exit_silently}),
      context_(context),
      pictures_(pictures),
      logic_(*this, logic_context),
      skinned_{{
          {kCancelUpdateButton, u"CONTROL_CUPButton", UpdateText::kCancelCaption, {}},
          {kUpdateButton, u"CONTROL_UPButton", UpdateText::kUpdateCaption, {}},
          {kOpenButton, u"CONTROL_OPENButton", UpdateText::kOpenCaption, {}},
          {kBackupButton, u"CONTROL_BACKUPButton", UpdateText::kBackupCaption, {}},
      }} {}

CKeyloom_DlgUpdate::~CKeyloom_DlgUpdate() {
  for (Skinned& s : skinned_) s.button.Detach();
}

CPngButton* CKeyloom_DlgUpdate::button(int id) {
  for (Skinned& s : skinned_)
    if (s.id == id) return &s.button;
  return nullptr;
}

std::u16string CKeyloom_DlgUpdate::Title() const { return UpdateTextOf(context_.texts, UpdateText::kDialogTitle); }

BOOL CKeyloom_DlgUpdate::OnInitDialog() {
  if (!LoadSkin()) return TRUE;  // the program ends: the skin is not there
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (!pictures_.loaded()) pictures_.Load(hwnd(), client.right, client.bottom, skin_folder());
  SetWindowTextW(hwnd(), AsWide(Title()));

  font_ = MessageFont(13, FW_NORMAL);
  field_brush_ = GdiBrush(CreateSolidBrush(kFieldColour));

  for (Skinned& s : skinned_) {
    if (!s.button.Attach(GetDlgItem(hwnd(), s.id))) continue;
    PlaceSkinButton(s.button, context_.ini, layout_file(), kButtonSection, s.key, pictures_.Looks());
    // The faces carry the words; the captions are for screen readers.
    SetWindowTextW(s.button.hwnd(), AsWide(UpdateTextOf(context_.texts, s.caption)));
  }
  HWND path = GetDlgItem(hwnd(), kUpdatePathStatic);
  PlaceControl(path, context_.ini, layout_file(), kButtonSection, u"CONTROL_UPStatic");
  SendMessageW(path, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  HWND combo = GetDlgItem(hwnd(), kUpdateCombo);
  PlaceControl(combo, context_.ini, layout_file(), kButtonSection, u"CONTROL_UPCombox");
  ShowWindow(combo, SW_HIDE);

  // Centred on the owner's screen.
  RECT window{};
  GetWindowRect(hwnd(), &window);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(parent() ? parent() : hwnd(), MONITOR_DEFAULTTOPRIMARY), &info);
  const ScreenPoint at = CentreOn({info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom},
                                  window.right - window.left, window.bottom - window.top);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  logic_.Start();
  return TRUE;
}

bool CKeyloom_DlgUpdate::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      // Enter has no button to press here; Escape closes (the choice stays).
      if (id == IDOK) {
        result = 0;
        return true;
      }
      if (lparam == 0 || HIWORD(wparam) != BN_CLICKED) return false;
      if (!logic_.OnCommand(id)) return false;
      result = 0;
      return true;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) != GetDlgItem(hwnd(), kUpdatePathStatic)) return false;
      SetTextColor(reinterpret_cast<HDC>(wparam), kPathColour);
      SetBkColor(reinterpret_cast<HDC>(wparam), kFieldColour);
      result = reinterpret_cast<LRESULT>(field_brush_.get());
      return true;
    default: break;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

std::optional<std::u16string> CKeyloom_DlgUpdate::AskFileName(const FileDialogRequest& request) {
  if (context_.ask_file_name) return context_.ask_file_name(request);
  Win32FilePicker picker(hwnd());
  return picker.Choose(request);
}

void CKeyloom_DlgUpdate::SetCurrentFolder(const std::u16string& folder) { SetCurrentDirectoryW(AsWide(folder)); }

void CKeyloom_DlgUpdate::ShowPath(std::u16string_view path) {
  SetDlgItemTextW(hwnd(), kUpdatePathStatic, AsWide(std::u16string(path)));
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CKeyloom_DlgUpdate::ShowText(std::u16string_view text) {
  if (context_.show_text) {
    context_.show_text(text, Title());
    return;
  }
  const std::u16string body(text), title = Title();
  MessageBoxW(hwnd(), AsWide(body), AsWide(title), MB_OK);
}

bool CKeyloom_DlgUpdate::AskYesNo(std::u16string_view question) {
  if (context_.ask_yes_no) return context_.ask_yes_no(question, Title());
  const std::u16string body(question), title = Title();
  return MessageBoxW(hwnd(), AsWide(body), AsWide(title), MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES;
}

void CKeyloom_DlgUpdate::Close() { CBaseDialog::OnOK(); }

// ---- FirmwareUpdate ---------------------------------------------------------

intptr_t FirmwareUpdate::Start(const ProgramStart& start) {
  return context_.shell.Execute(start.verb, start.file, start.parameters, start.folder, SW_SHOWNORMAL);
}

UpdateCheckOutcome FirmwareUpdate::Check(Clock& clock) {
  UpdateCheckContext check{context_.commands, clock, context_.texts,
                           [this](std::u16string_view text, std::u16string_view title) {
                             if (context_.ask_ok_cancel) return context_.ask_ok_cancel(text, title);
                             const std::u16string body(text), caption(title);
                             // Without an owner, as the check runs before anything else is asked.
                             return MessageBoxW(nullptr, AsWide(body), AsWide(caption), MB_OKCANCEL) == IDOK;
                           },
                           [this](const ProgramStart& start) { return Start(start); }, context_.help_folder};
  return UpdateCheck(check);
}

void FirmwareUpdate::RunDialog(HWND owner) {
  if (dialog_) return;  // one at a time
  UpdateDialogContext logic_context{context_.commands,
                                    context_.edit,
                                    context_.texts,
                                    [this](const ProgramStart& start) { return Start(start); },
                                    IsExistingFile,
                                    context_.package_folder,
                                    chosen_updater_,
                                    context_.backups};
  CKeyloom_DlgUpdate dialog(context_, owner, pictures_, logic_context);
  dialog_ = &dialog;
  dialog.DoModal();
  dialog_ = nullptr;
}

void HookUpFirmwareUpdate(MainWindowContext& main, FirmwareUpdate& update, Clock& clock) {
  main.show_firmware_update = [&update](CKeyloomDlg& window) { update.RunDialog(window.hwnd()); };
  main.update_check = [&update, &clock](CKeyloomDlg&) {
    if (update.Check(clock) == UpdateCheckOutcome::kDeclined) update.context().exit_silently();
  };
}

}  // namespace keyloom
