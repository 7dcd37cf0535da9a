#include <windows.h>
#include <shlobj.h>

#include "base/text.h"
#include "storage/user_data.h"

namespace keyloom {

std::u16string LocalAppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  // CSIDL_LOCAL_APPDATA (28), created when missing.
  if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_LOCAL_APPDATA, TRUE)) return {};
  return FromWide(path);
}

}  // namespace keyloom
