#include "ui/controls/shell_win32.h"

#include "base/text.h"

namespace keyloom {

intptr_t Win32ShellLauncher::Execute(std::u16string_view verb, const std::u16string& file,
                                     const std::u16string& parameters, const std::u16string& folder, int show) {
  const std::u16string verb_text(verb);
  HINSTANCE result = ShellExecuteW(nullptr, AsWide(verb_text), AsWide(file), AsWide(parameters), AsWide(folder), show);
  return reinterpret_cast<intptr_t>(result);
}

void OpenHelp(ShellLauncher& shell, const std::u16string& help_folder) {
  // The full path, so the page is found whatever the working folder is.
  shell.Execute(u"open", help_folder + std::u16string(kHelpPage), u"", help_folder, SW_SHOWNORMAL);
}

}  // namespace keyloom
