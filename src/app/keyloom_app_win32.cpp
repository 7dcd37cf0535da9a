#include "app/keyloom_app_win32.h"

#include <shellapi.h>

#include <cstdlib>
#include <memory>

#include "app/single_instance_win32.h"
#include "app/startup.h"
#include "base/clock.h"
#include "base/text.h"
#include "device/command_set.h"
#include "device/hid_backend.h"
#include "device/keyboard_link.h"
#include "device/presence.h"
#include "storage/app_settings.h"
#include "storage/backups.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/lighting_view_file.h"
#include "storage/settings.h"
#include "storage/user_data.h"
#include "storage/working_profile.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/shell_win32.h"
#include "ui/dialogs/update_dlg_win32.h"
#include "ui/main/keyloom_dlg_win32.h"
#include "ui/main/main_key_editor_win32.h"
#include "ui/main/main_lighting_panel_win32.h"

namespace keyloom {

namespace {

// The application's registry key, kept open for the life of the process.
class RegistryKey {
 public:
  RegistryKey(HKEY root, const std::u16string& path, REGSAM access) {
    if (RegCreateKeyExW(root, AsWide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
      key_ = nullptr;  // not noticed: start-up goes on
  }
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::vector<std::u16string> CommandLineArguments() {
  std::vector<std::u16string> arguments;
  int count = 0;
  if (wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) arguments.push_back(FromWide(list[i]));
    LocalFree(list);
  }
  return arguments;
}

int RunKeyloom(HINSTANCE resources, const std::vector<std::u16string>& arguments) {
  // Built first and destroyed last, after the graphics library has shut
  // down: the keyboard link (its device lock goes before its interface).
  SystemClock clock;
  HidEnvironment hid = MakeHidEnvironment(clock, std::getenv("KEYLOOM_SIMULATE"), std::getenv("KEYLOOM_SIM_STATE"));
  KeyboardLink link(*hid.backend, clock);
  GdiplusSession graphics;

  const ProgramPaths paths = DeriveProgramPaths(ExecutablePath());
  RegistryKey application_key(HKEY_CURRENT_USER, std::u16string(kApplicationKey),
                              KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
  std::unique_ptr<IniService> ini = MakePlatformIniService();
  std::unique_ptr<SettingsStore> settings = MakePlatformSettingsStore(*ini);
  std::unique_ptr<AppSettings> app_settings = MakePlatformAppSettings(*ini);
  LanguageTexts texts(*ini, *settings, paths.language_folder);

  PresenceState presence;
  Win32ShellLauncher shell;
  Win32ShellNotifier notifier;
  UniqueHandle instance_mutex;
  Win32InstanceEnvironment instance(instance_mutex, paths.program_file_name, paths.daemon, shell);
  if (RunStartupChecks(arguments, instance, presence.quiet_start) == StartupResult::kExit) return 0;

  {
    // The records the main window and every editor work on.
    CommandSet commands(link);
    KeyStores stores;
    LightingModel lighting;
    BaseColourFlags base_colour_flags{};
    UserDataStore user_data(*ini, DefaultUserDataFolder(), paths.program_folder);
    LightingViewFile lighting_view(*ini, user_data.folder());
    LanguageTextSource text_source(texts);
    MainModel model{link,       commands,      stores,        lighting,
                    base_colour_flags, user_data, *app_settings, text_source,
                    lighting_view, WorkingProfilePath(user_data.folder())};
    KeyboardBackups backups(KeyboardBackups::FolderIn(user_data.folder()));
    model.backups = &backups;

    MainWindowContext context{resources,      *ini,          texts,           presence,         shell,
                              notifier,       instance_mutex, model,          *hid.backend,     paths.main_skin,
                              paths.skin_folder, paths.help_folder, paths.profile_skin};
    FirmwareUpdateContext firmware_context{.resources = resources,
                                           .ini = *ini,
                                           .texts = text_source,
                                           .commands = commands,
                                           .edit = stores.edit,
                                           .shell = shell,
                                           .backups = &backups,
                                           .layout_file = paths.update_skin,
                                           .skin_folder = paths.skin_folder,
                                           .help_folder = paths.help_folder,
                                           .package_folder = paths.package_folder};
    FirmwareUpdate firmware(firmware_context);
    HookUpFirmwareUpdate(context, firmware, clock);
    context.make_key_editor = MakeMainKeyEditor;
    context.make_lighting_panel = [&lighting_view](CKeyloomDlg& window) {
      return MakeMainLightingPanel(window, lighting_view);
    };
    CKeyloomDlg main_window(context);
    // A window that could not be created is a failed start, not a normal end.
    if (main_window.DoModal() == -1) return kExitNoWindow;
  }
  // Let every window repaint what the main window covered.
  InvalidateRect(nullptr, nullptr, TRUE);
  return 0;
}

}  // namespace keyloom
