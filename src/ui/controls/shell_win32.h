// The shell services the windows use, behind interfaces a test can record:
// starting documents and programs, and the notification-area icon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace keyloom {

class ShellLauncher {
 public:
  virtual ~ShellLauncher() = default;
  // ShellExecuteW; returns its result (above 32 on success).
  virtual intptr_t Execute(std::u16string_view verb, const std::u16string& file, const std::u16string& parameters,
                           const std::u16string& folder, int show) = 0;
};

class Win32ShellLauncher final : public ShellLauncher {
 public:
  intptr_t Execute(std::u16string_view verb, const std::u16string& file, const std::u16string& parameters,
                   const std::u16string& folder, int show) override;
};

inline constexpr std::u16string_view kHelpPage = u"index.html";

// Opens the help page "index.html" of `help_folder` (which ends in a
// separator) with the "open" verb, shown normally.
void OpenHelp(ShellLauncher& shell, const std::u16string& help_folder);

class ShellNotifier {
 public:
  virtual ~ShellNotifier() = default;
  // Shell_NotifyIconW.
  virtual bool Notify(DWORD message, NOTIFYICONDATAW& data) = 0;
};

class Win32ShellNotifier final : public ShellNotifier {
 public:
  bool Notify(DWORD message, NOTIFYICONDATAW& data) override { return Shell_NotifyIconW(message, &data) != FALSE; }
};

}  // namespace keyloom
