#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "base/text.h"
#include "ctl.h"

namespace keyloom::ctl {

std::u16string ProgramFolder() {
  wchar_t buf[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  if (n == 0 || n >= std::size(buf)) return {};
  std::u16string path(reinterpret_cast<const char16_t*>(buf), n);
  const size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

std::optional<std::u16string> GetEnvironment(const char* name) {
  std::wstring wide(name, name + std::char_traits<char>::length(name));
  const wchar_t* value = _wgetenv(wide.c_str());
  if (!value) return std::nullopt;
  return FromWide(value);
}

// Output is UTF-8 text.
void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

std::u16string PathFromArgument(const std::string& argument) { return Wtf8ToUtf16(argument); }

std::string NativeFolderArgument(const std::u16string& folder) { return Utf16ToUtf8(folder); }

}  // namespace keyloom::ctl
