// The main window: the skinned dialog that lives hidden behind the tray
// icon. It builds its frame (skin, state pictures, key buttons and command
// buttons, tray icon, named events), starts and stops the keyboard threads,
// answers the tagged messages of other copies and of its own threads, shows
// the busy indicator of Apply and runs Quit. Its decisions are in
// MainWindowLogic.
//
// Hook-up points for the parts built elsewhere (see main_hooks.h): the
// context's make_lighting_panel and make_key_editor create the lighting panel
// and the key editor for this window; show_firmware_update opens the
// firmware dialog (command 32780) and update_check runs the check of the
// 'OPEN' handling. Each gets the window and reaches the
// logic (logic()), the model (logic().model()), the controls by id
// (controls(), button()), the skin (surface(), layout_file()) and, for the
// key editor, key_editor_host().
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/handle_win32.h"
#include "device/presence.h"
#include "storage/message_boxes.h"
#include "storage/skin_layout.h"
#include "ui/controls/base_dialog_win32.h"
#include "ui/controls/file_picker_win32.h"
#include "ui/controls/png_button_win32.h"
#include "ui/controls/shell_win32.h"
#include "ui/controls/tray_icon_win32.h"
#include "ui/dialogs/key_editor_host.h"
#include "ui/main/main_window_logic.h"
#include "ui/main/tray_image.h"

namespace keyloom {

class IniService;
class LanguageTexts;
class CAboutDlg;
class CKeyloom_DlgProfile;
class CKeyloomDlg;
class Win32PresenceSink;

// What the main window is given by the program.
struct MainWindowContext {
  HINSTANCE resources;  // templates, icons, menus and strings
  const IniService& ini;
  LanguageTexts& texts;
  PresenceState& presence;
  ShellLauncher& shell;
  ShellNotifier& notifier;
  UniqueHandle& instance_mutex;  // closed by Quit
  MainModel& model;
  HidBackend& hid_backend;       // where the notification reader looks for the keyboard
  std::u16string layout_file;    // Skins\Main.ini
  std::u16string skin_folder;    // Skins\ (with the separator)
  std::u16string help_folder;    // Help\ (with the separator)
  std::u16string profile_layout_file;  // Skins\Profile.ini
  MessageBoxes* messages = nullptr;    // null: message boxes owned by the window
  // Yes/No questions with a language text, No the default; null: a message box.
  std::function<bool(std::u16string_view text_key)> ask_yes_no = nullptr;
  FilePicker* files = nullptr;  // null: the platform's file dialogs
  // The keyboard watcher and the notification reader start with the window
  // unless a test drives presence itself.
  bool start_keyboard_threads = true;
  // Ends the program at once without a message (a missing picture or a
  // platform function); tests replace it.
  std::function<void()> exit_silently = [] { ExitProcess(0); };
  // Parts built elsewhere; null: the do-nothing defaults of main_hooks.h.
  std::function<std::unique_ptr<LightingPanel>(CKeyloomDlg&)> make_lighting_panel = nullptr;
  std::function<std::unique_ptr<KeyEditorLauncher>(CKeyloomDlg&)> make_key_editor = nullptr;
  std::function<void(CKeyloomDlg&)> show_firmware_update = nullptr;
  std::function<void(CKeyloomDlg&)> update_check = nullptr;  // the 'OPEN' handling's check
};

// The eleven pictures every skinned button of the main window copies from.
inline constexpr std::array<std::u16string_view, 11> kMainSurfaceFiles = {
    u"main_normal.jpg", u"main_over.jpg",    u"main_down.jpg",     u"main_disable.jpg",
    u"main_normal.jpg", u"main_over.jpg",    u"main_down.jpg",     u"main_disable.jpg",
    u"Arrow.jpg",       u"main_color0.jpg",  u"main_color1.jpg",
};
inline constexpr size_t kArrowSurface = 8;

// Controls of the template whose ids the program chose (not fixed by the
// files other programs read).
inline constexpr int kLockCapsId = 1125;
inline constexpr int kLockNumId = 1126;
inline constexpr int kLockScrollId = 1127;
inline constexpr int kVersionId = 1132;      // TOVRIK_VER
inline constexpr int kSwitchId = 1133;       // FUNC_SWITCH
inline constexpr int kLeftArrowId = 1144;
inline constexpr int kRightArrowId = 1145;

class CKeyloomDlg final : public CBaseDialog, private MainWindowView, private KeyEditorHost {
 public:
  explicit CKeyloomDlg(MainWindowContext& context);
  ~CKeyloomDlg() override;

  // The tray image operation: mode 0 shows `id` (or the remembered image
  // when 0), mode 1 the temporary image. Any thread.
  void SetTrayImage(int mode, int id);

  MainWindowLogic& logic() { return logic_; }
  MainControls& controls() { return *this; }
  // Starts the preview timer 1052 to expire every `ms`. Its expiry runs
  // OnTimer through a timer procedure, not through the window's procedure
  // and the subclasses on it: under Wine each subclass level asks the
  // window server for its property, 20 times a second. A timer that runs
  // at `ms` already is left as it runs: setting it again is one more
  // request to the window server at every tick.
  void StartPreviewTimer(UINT ms);
  void StopPreviewTimer();
  // What the key editor tells the window (it marks the window modified and
  // has the key buttons redrawn).
  KeyEditorHost& key_editor_host() { return *this; }
  MainWindowContext& context() { return context_; }
  CTrayIcon& tray() { return tray_; }
  const TrayImageState& tray_image() const { return tray_image_; }
  CAboutDlg* about() const { return about_; }
  CKeyloom_DlgProfile* profile_dialog() const { return profile_dialog_; }
  // The image button of a control, or null.
  CPngButton* button(int id);
  size_t named_events() const { return events_.size(); }
  const SkinSurface* surface(size_t index) const { return surfaces_[index].get(); }
  bool keyboard_threads_running() const { return threads_ != nullptr; }
  int progress_frame() const { return progress_frame_; }
  bool busy_visible() const;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  class WindowMessageBoxes;
  struct SkinnedButton {
    int id;
    std::u16string_view key;
    std::u16string_view tooltip_key;  // empty: no tooltip
  };

  bool LoadSurfaces();
  void CreateKeyButtons();
  void SkinCommandButtons();
  void PlaceArrows(int frame);
  void PlaceInWorkArea();
  void StartKeyboardThreads();
  void CreateNamedEvents();
  void LoadProgressPictures();
  void ShowProgressFrame(int frame);
  void OnTimer(UINT_PTR id);
  static void CALLBACK PreviewTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
  std::u16string Text(std::u16string_view key) const;
  void PaintIconic();
  void RelabelTrayMenu(HMENU menu);
  CPngButton& Adopt(HWND control);

  // KeyEditorHost
  void MarkChanged() override { logic_.SetModified(true); }
  void RefreshKey(int profile, uint16_t key_index) override { logic_.keyboard_view().RefreshKey(profile, key_index); }
  void RefreshKeyTips() override { logic_.keyboard_view().RefreshTips(); }
  // The button shows its pressed look while its key is edited.
  void SetEditingLook(int button_id, bool editing) override;

  // MainControls
  void SetEnabled(int id, bool enabled) override;
  void SetSelected(int id, bool selected) override;
  void SetTooltip(int id, std::u16string_view text) override;
  void SetCaption(int id, std::u16string_view text) override;
  void SetVisible(int id, bool visible) override;
  void Redraw(int id) override;
  // MainPrompts
  void ShowMessage(std::u16string_view text_key) override;
  void ShowText(std::u16string_view text) override;
  bool AskYesNo(std::u16string_view text_key) override;
  // ProfileMenuView
  void SetProfileMenu(const ProfileMenu&) override {}
  // MainWindowView
  void Hide() override;
  void ShowAsApplicationWindow() override;
  void PostMinimize() override;
  void TrackButtonMenu() override;
  void TrackProfileMenu() override;
  void ShowAbout() override;
  void ShowProfileManager() override;
  void ShowFirmwareUpdate() override;
  void RunUpdateCheck() override;
  void TellProfileChanged(int profile) override;
  void OpenHelp() override;
  void OpenLink(int index) override;
  void ApplyLanguage(int index) override;
  void RefreshTexts() override;
  void CloseDialogsForRemoval() override;
  void BeginBusy() override;
  void EndBusy() override;
  void RunWhileResponsive(const std::function<void()>& work) override;
  bool CloseEditors() override;
  void StopKeyboardThreads() override;
  void CloseInstanceMutex() override;
  void CloseNamedEvents() override;
  void RemoveTrayIcon() override;
  void ReleaseSkin() override;
  void EndMainDialog() override;

  MainWindowContext& context_;
  TrayImageState tray_image_;
  Win32FilePicker own_files_;
  std::unique_ptr<LightingPanel> panel_;
  std::unique_ptr<KeyEditorLauncher> editor_;
  MainWindowLogic logic_;
  CTrayIcon tray_;
  std::unique_ptr<MessageBoxes> own_messages_;
  std::array<std::unique_ptr<SkinSurface>, kMainSurfaceFiles.size()> surfaces_;
  // Every image button of the window, by control id.
  std::vector<std::unique_ptr<CPngButton>> buttons_;
  std::unordered_map<int, CPngButton*> by_id_;
  std::vector<UniqueHandle> events_;
  std::array<GdiBitmap, kProgressFrames> progress_pictures_;
  int progress_frame_ = 0;
  int busy_ = 0;
  int arrow_frame_ = 1;
  // Where each arrow goes and shows its face, by its origin key, read
  // from the layout once: the arrows change frame every second.
  std::unordered_map<std::u16string, SkinButtonPlacement> arrow_plans_;
  UINT preview_timer_ms_ = 0;  // the preview timer's period; 0 while it is stopped
  CAboutDlg* about_ = nullptr;
  CKeyloom_DlgProfile* profile_dialog_ = nullptr;
  std::array<std::u16string, 3> links_;
  std::unique_ptr<Win32PresenceSink> sink_;
  std::unique_ptr<PresenceThreads> threads_;
};

}  // namespace keyloom
