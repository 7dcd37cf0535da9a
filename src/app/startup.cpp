#include "app/startup.h"

#include "base/text.h"
#include "ui/main/main_window_logic.h"

namespace keyloom {

ProgramPaths DeriveProgramPaths(std::u16string_view executable) {
  ProgramPaths p;
  const size_t slash = executable.find_last_of(u"\\/");
  const size_t name_start = slash == std::u16string_view::npos ? 0 : slash + 1;
  p.program_folder = std::u16string(executable.substr(0, name_start));
  p.program_file_name = std::u16string(executable.substr(name_start));
  // The separator the executable's own path uses, so host builds stay native.
  const char16_t sep = (slash != std::u16string_view::npos) ? executable[slash] : u'\\';
  auto rel = [&p, sep](std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
      if (c == u'\\') c = sep;
    return p.program_folder + out;
  };
  p.help_folder = rel(u"Help\\");
  p.main_skin = rel(u"Skins\\Main.ini");
  p.skin_folder = rel(u"Skins\\");
  p.colour_prefix = rel(u"Skins\\UserDengColor_");
  p.profile_skin = rel(u"Skins\\Profile.ini");
  p.update_skin = rel(u"Skins\\UpdateDlg.ini");
  p.composite_skin = rel(u"Skins\\Composite.ini");
  p.package_folder = rel(u"Package\\");
  p.daemon = rel(kDaemonFileName);
  p.language_folder = p.program_folder;
  return p;
}

bool IsKillArgument(std::u16string_view argument) { return EqualsIgnoreAsciiCase(argument, u"/Kill"); }
bool IsStartArgument(std::u16string_view argument) { return EqualsIgnoreAsciiCase(argument, u"/Start"); }

StartupResult RunStartupChecks(const std::vector<std::u16string>& arguments, InstanceEnvironment& env,
                               std::atomic<int>& quiet_start) {
  quiet_start = 0;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (IsKillArgument(arguments[i])) {
      if (const uint32_t running = env.FindRunningCopy()) {
        env.SendToMainWindow(running, kMainMsgKill, kMainTagKill);
        return StartupResult::kExit;
      }
    } else if (IsStartArgument(arguments[i])) {
      quiet_start = 1;
    }
  }
  if (env.MutexExists()) {
    if (const uint32_t running = env.FindRunningCopy()) {
      env.SendToMainWindow(running, kMainMsgOpen, kMainTagOpen);
      return StartupResult::kExit;
    }
  } else {
    env.CreateMutexOwned();
  }
  env.StartDaemon();
  return StartupResult::kContinue;
}

}  // namespace keyloom
