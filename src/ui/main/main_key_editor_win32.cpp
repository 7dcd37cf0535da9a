#include "ui/main/main_key_editor_win32.h"

#include "ui/main/keyloom_dlg_win32.h"

namespace keyloom {

namespace {

CompositeEditorContext EditorContext(CKeyloomDlg& window) {
  MainWindowContext& main = window.context();
  MainModel& model = main.model;
  return CompositeEditorContext{
      main.resources,
      main.ini,
      main.texts,
      model.stores,
      model.settings,
      main.shell,
      window.key_editor_host(),
      main.skin_folder + u"Composite.ini",
      main.skin_folder,
      main.help_folder,
      nullptr,  // the owner: the window, once it exists
      [&model] { return model.commands.GetActiveProfile(); },
      [&window](int button_id, RECT& screen) {
        HWND control = window.hwnd() ? GetDlgItem(window.hwnd(), button_id) : nullptr;
        return control && IsWindowVisible(control) && GetWindowRect(control, &screen);
      },
      // Boxes the main window's creator replaced (tests) are the editor's
      // too; otherwise the editor shows its own, in front of itself. A
      // replaced question is handed the editor's text, already in the
      // current language.
      main.messages,
      main.ask_yes_no ? std::function<bool(std::u16string_view)>(
                            [&main](std::u16string_view text) { return main.ask_yes_no(text); })
                      : nullptr,
      nullptr,  // the system's clock
      main.exit_silently};
}

}  // namespace

MainKeyEditor::MainKeyEditor(CKeyloomDlg& window)
    : window_(window), context_(EditorContext(window)), editor_(context_) {}

void MainKeyEditor::OpenForButton(uint16_t key_index, int control_id) {
  (void)key_index;
  // The window exists only once it was created, after this object.
  context_.owner = window_.hwnd();
  editor_.OpenForButton(control_id);
}

std::unique_ptr<KeyEditorLauncher> MakeMainKeyEditor(CKeyloomDlg& window) {
  return std::make_unique<MainKeyEditor>(window);
}

}  // namespace keyloom
