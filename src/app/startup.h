// Start-up decisions that come before any window: the program's paths, the
// command line ("/Kill", "/Start") and the rule that keeps one running copy.
// The platform side (single_instance_win32.h) supplies the mutex, the
// running-copy search and the daemon start.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom {

inline constexpr std::u16string_view kInstanceMutexName = u"TQ52H09D-1";
inline constexpr std::u16string_view kDaemonFileName = u"Keyward.exe";
inline constexpr std::u16string_view kCompanyKeyName = u"Valdric RGB Mechanical Keyboard";
inline constexpr std::u16string_view kApplicationKey = u"Software\\Valdric RGB Mechanical Keyboard";

// Paths derived from the program's own file path, all full paths (the
// program may be started from any working folder). Folders end in a
// separator.
struct ProgramPaths {
  std::u16string program_folder;     // drive and folder of the executable
  std::u16string program_file_name;  // file name and extension
  // Below, each is the program folder followed by:
  std::u16string help_folder;        // "Help\"
  std::u16string main_skin;          // "Skins\Main.ini"
  std::u16string skin_folder;        // "Skins\", the folder of every layout file
  std::u16string colour_prefix;      // "Skins\UserDengColor_"
  std::u16string profile_skin;       // "Skins\Profile.ini"
  std::u16string update_skin;        // "Skins\UpdateDlg.ini"
  std::u16string composite_skin;     // "Skins\Composite.ini"
  std::u16string package_folder;     // "Package\"
  std::u16string daemon;             // "Keyward.exe"
  std::u16string language_folder;    // the program folder itself
};
// `executable` is the program's full path (either separator).
ProgramPaths DeriveProgramPaths(std::u16string_view executable);

// Whole-argument, case-insensitive.
bool IsKillArgument(std::u16string_view argument);
bool IsStartArgument(std::u16string_view argument);

// What the start-up check needs from the platform.
class InstanceEnvironment {
 public:
  virtual ~InstanceEnvironment() = default;
  // Opens the named mutex; false when it does not exist.
  virtual bool MutexExists() = 0;
  // Creates it, owned by this thread (a failure is not noticed).
  virtual void CreateMutexOwned() = 0;
  // Process id of another running copy of this program, or 0.
  virtual uint32_t FindRunningCopy() = 0;
  // Sends a tagged message to that process's main window, if it has one.
  virtual void SendToMainWindow(uint32_t process_id, unsigned message, uint32_t tag) = 0;
  // Starts the daemon hidden; the result is not looked at.
  virtual void StartDaemon() = 0;
};

enum class StartupResult { kContinue, kExit };

// Clears the quiet-start flag, scans the arguments after the program name
// ("/Kill": end a running copy and exit; "/Start": quiet start), enforces one
// running copy (a second copy asks the first to show itself and exits), and
// starts the daemon. kExit means: end this process now with exit code 0,
// before any window exists.
StartupResult RunStartupChecks(const std::vector<std::u16string>& arguments, InstanceEnvironment& env,
                               std::atomic<int>& quiet_start);

}  // namespace keyloom
