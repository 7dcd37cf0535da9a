// The platform side of the one-running-copy rule: the named mutex, the
// search for another copy of this program, the tagged messages sent to its
// main window, and the daemon start.
#pragma once

#include <windows.h>

#include <string>

#include "app/startup.h"
#include "base/handle_win32.h"
#include "ui/controls/shell_win32.h"

namespace keyloom {

// The running program's full path; empty when the system cannot say.
std::u16string ExecutablePath();

// Process id of the first process in a snapshot whose executable file name
// is `file_name`, ignoring case; the idle process and `skip` (this process)
// are passed over. 0 when there is none.
uint32_t FindProcessByFileName(const std::u16string& file_name, uint32_t skip);

// The top-level window of `process_id` whose user data is the 'MAIN' tag,
// from the top of the Z order; null when it has none.
HWND FindMainWindowOf(uint32_t process_id);

class Win32InstanceEnvironment final : public InstanceEnvironment {
 public:
  // `mutex` receives the created mutex; `daemon` is its full path.
  Win32InstanceEnvironment(UniqueHandle& mutex, std::u16string program_file_name, std::u16string daemon,
                           ShellLauncher& shell, std::u16string mutex_name = std::u16string(kInstanceMutexName));

  bool MutexExists() override;
  void CreateMutexOwned() override;
  uint32_t FindRunningCopy() override;
  void SendToMainWindow(uint32_t process_id, unsigned message, uint32_t tag) override;
  void StartDaemon() override;

 private:
  UniqueHandle& mutex_;
  std::u16string program_file_name_;
  std::u16string daemon_;
  ShellLauncher& shell_;
  std::u16string mutex_name_;
};

}  // namespace keyloom
