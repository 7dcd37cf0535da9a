#include "ui/controls/file_picker_win32.h"

#include <commdlg.h>

#include <vector>

#include "base/text.h"

namespace keyloom {

std::wstring DialogFilter(std::u16string_view filter) {
  std::wstring out;
  for (char16_t c : filter) out.push_back(c == u'|' ? L'\0' : static_cast<wchar_t>(c));
  // Doubly terminated even when the filter does not end in "||".
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

std::optional<std::u16string> Win32FilePicker::Choose(const FileDialogRequest& request) {
  std::vector<wchar_t> name(32768, L'\0');
  const size_t n = std::min(request.initial_name.size(), name.size() - 1);
  for (size_t i = 0; i < n; ++i) name[i] = static_cast<wchar_t>(request.initial_name[i]);
  const std::wstring filter = DialogFilter(request.filter);
  const std::wstring extension(request.default_extension.begin(), request.default_extension.end());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | (request.hide_read_only ? OFN_HIDEREADONLY : 0);
  if (request.save) {
    if (request.ask_before_overwrite) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  }
  return FromWide(name.data());
}

}  // namespace keyloom
