#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/text.h"
#include "ctl.h"

namespace keyloom::ctl {

std::u16string ProgramFolder() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  // Installed, the program is in bin and what it reads in share/keyloom.
  const std::string installed = folder + "../share/keyloom/";
  if (::access((folder + "Lang0409.ini").c_str(), F_OK) != 0 && ::access((installed + "Lang0409.ini").c_str(), F_OK) == 0)
    return FileNameFromBytes(installed);
  return FileNameFromBytes(folder);
}

std::optional<std::u16string> GetEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return FileNameFromBytes(value);
}

void PrepareConsole() {}

std::u16string PathFromArgument(const std::string& argument) { return FileNameFromBytes(argument); }

std::string NativeFolderArgument(const std::u16string& folder) { return FileNameToBytes(folder); }

}  // namespace keyloom::ctl
