// The main window: the skinned dialog that lives hidden behind the tray
// icon. It builds its frame (skin, state pictures, command buttons, tray
// icon, named events), answers the tagged messages of other copies and of
// its own threads, and runs Quit. Its decisions are in MainWindowLogic.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/handle_win32.h"
#include "storage/message_boxes.h"
#include "ui/controls/base_dialog_win32.h"
#include "ui/controls/png_button_win32.h"
#include "ui/controls/shell_win32.h"
#include "ui/controls/tray_icon_win32.h"
#include "ui/main/main_window_logic.h"
#include "ui/main/tray_image.h"

namespace keyloom {

class IniService;
class LanguageTexts;
class CAboutDlg;

// What the main window is given by the program.
struct MainWindowContext {
  HINSTANCE resources;  // templates, icons, menus and strings
  const IniService& ini;
  LanguageTexts& texts;
  PresenceState& presence;
  ShellLauncher& shell;
  ShellNotifier& notifier;
  UniqueHandle& instance_mutex;  // closed by Quit
  std::u16string layout_file;    // Skins\Main.ini
  std::u16string skin_folder;    // Skins\ (with the separator)
  std::u16string help_folder;    // Help\ (with the separator)
  MessageBoxes* messages = nullptr;  // null: message boxes owned by the window
  // Ends the program at once without a message (a missing picture or a
  // platform function); tests replace it.
  std::function<void()> exit_silently = [] { ExitProcess(0); };
};

// The eleven pictures every skinned button of the main window copies from.
inline constexpr std::array<std::u16string_view, 11> kMainSurfaceFiles = {
    u"main_normal.jpg", u"main_over.jpg",    u"main_down.jpg",     u"main_disable.jpg",
    u"main_normal.jpg", u"main_over.jpg",    u"main_down.jpg",     u"main_disable.jpg",
    u"Arrow.jpg",       u"main_color0.jpg",  u"main_color1.jpg",
};

class CKeyloomDlg final : public CBaseDialog, private MainWindowView {
 public:
  explicit CKeyloomDlg(MainWindowContext& context);
  ~CKeyloomDlg() override;

  // The tray image operation: mode 0 shows `id` (or the remembered image
  // when 0), mode 1 the temporary image. Any thread.
  void SetTrayImage(int mode, int id);

  MainWindowLogic& logic() { return logic_; }
  CTrayIcon& tray() { return tray_; }
  const TrayImageState& tray_image() const { return tray_image_; }
  CAboutDlg* about() const { return about_; }
  CPngButton* button(int id);
  size_t named_events() const { return events_.size(); }
  const SkinSurface* surface(size_t index) const { return surfaces_[index].get(); }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  class WindowMessageBoxes;

  bool LoadSurfaces();
  void SkinCommandButtons();
  void CreateNamedEvents();
  std::u16string Text(std::u16string_view key) const;
  void PaintIconic();

  // MainWindowView
  void Hide() override;
  void ShowAsApplicationWindow() override;
  void ShowMessage(std::u16string_view text_key) override;
  void PostMinimize() override;
  void TrackButtonMenu() override;
  void ShowAbout() override;
  void OpenHelp() override;
  void Apply() override {}
  void ApplyLanguage(int index) override;
  bool CloseEditors() override;
  void CloseInstanceMutex() override;
  void StopMacroRecording() override {}
  void CloseNamedEvents() override;
  void RemoveTrayIcon() override;
  void FreeKeyStores() override {}
  void ReleaseSkin() override;
  void EndMainDialog() override;

  MainWindowContext& context_;
  TrayImageState tray_image_;
  MainWindowLogic logic_;
  CTrayIcon tray_;
  std::unique_ptr<MessageBoxes> own_messages_;
  std::array<std::unique_ptr<SkinSurface>, kMainSurfaceFiles.size()> surfaces_;
  struct SkinnedButton {
    int id;
    std::u16string_view key;
    std::u16string_view tooltip_key;  // empty: no tooltip
    CPngButton button;
  };
  std::array<SkinnedButton, 7> buttons_;
  std::vector<UniqueHandle> events_;
  CAboutDlg* about_ = nullptr;
  std::u16string link_;
};

}  // namespace keyloom
