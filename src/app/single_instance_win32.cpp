#include "app/single_instance_win32.h"

#include <tlhelp32.h>

#include <vector>

#include "base/text.h"
#include "ui/main/main_window_logic.h"

namespace keyloom {

std::u16string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return u"";
    if (n < buffer.size()) return FromWide(buffer.data());
    buffer.resize(buffer.size() * 2);
  }
}

uint32_t FindProcessByFileName(const std::u16string& file_name, uint32_t skip) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  // The system's idle process (id 0) is passed over by its id, not by its
  // place: not every system lists it first.
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == 0 || entry.th32ProcessID == skip) continue;
    if (EqualsIgnoreAsciiCase(FromWide(entry.szExeFile), file_name)) return entry.th32ProcessID;
  }
  return 0;
}

HWND FindMainWindowOf(uint32_t process_id) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != process_id) continue;
    if (static_cast<uint32_t>(GetWindowLongPtrW(w, GWLP_USERDATA)) == kMainWindowTag) return w;
  }
  return nullptr;
}

Win32InstanceEnvironment::Win32InstanceEnvironment(UniqueHandle& mutex, std::u16string program_file_name,
                                                   std::u16string daemon, ShellLauncher& shell,
                                                   std::u16string mutex_name)
    : mutex_(mutex),
      program_file_name_(std::move(program_file_name)),
      daemon_(std::move(daemon)),
      shell_(shell),
      mutex_name_(std::move(mutex_name)) {}

bool Win32InstanceEnvironment::MutexExists() {
  UniqueHandle existing(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, AsWide(mutex_name_)));
  return static_cast<bool>(existing);
}

void Win32InstanceEnvironment::CreateMutexOwned() {
  mutex_.reset(CreateMutexW(nullptr, TRUE, AsWide(mutex_name_)));
}

uint32_t Win32InstanceEnvironment::FindRunningCopy() {
  // This process is left out: it may come before the older copy in the list.
  return FindProcessByFileName(program_file_name_, GetCurrentProcessId());
}

void Win32InstanceEnvironment::SendToMainWindow(uint32_t process_id, unsigned message, uint32_t tag) {
  if (HWND main = FindMainWindowOf(process_id)) SendMessageW(main, message, tag, 0);
}

void Win32InstanceEnvironment::StartDaemon() { shell_.Execute(u"open", daemon_, u"", u"", SW_HIDE); }

}  // namespace keyloom
