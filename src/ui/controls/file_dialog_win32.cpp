#include "ui/controls/file_dialog_win32.h"

#include <commdlg.h>

#include <vector>

#include "base/text.h"

namespace keyloom {

std::optional<std::u16string> ShowFileDialog(HWND owner, const FileDialogRequest& request) {
  // Room for long paths; the initial name is where the dialog starts.
  std::vector<wchar_t> file(32768, L'\0');
  for (size_t i = 0; i < request.initial_name.size() && i + 1 < file.size(); ++i)
    file[i] = static_cast<wchar_t>(request.initial_name[i]);
  const std::u16string filter = SystemFilter(request.filter);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = AsWide(filter);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = request.initial_folder.empty() ? nullptr : AsWide(request.initial_folder);
  ofn.lpstrDefExt = request.default_extension.empty() ? nullptr : AsWide(request.default_extension);
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING;
  const BOOL chosen = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  return FromWide(file.data());
}

}  // namespace keyloom
