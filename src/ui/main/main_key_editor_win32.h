// The key editor as the main window uses it: a CompositeEditor whose context
// comes from the main window's (edit store, settings, paths, language, skin,
// message boxes) and whose host is the window itself.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/dialogs/composite_editor_win32.h"
#include "ui/main/main_hooks.h"

namespace keyloom {

class CKeyloomDlg;

class MainKeyEditor final : public KeyEditorLauncher {
 public:
  explicit MainKeyEditor(CKeyloomDlg& window);
  MainKeyEditor(const MainKeyEditor&) = delete;
  MainKeyEditor& operator=(const MainKeyEditor&) = delete;

  // The editor finds the key from the button; the key index the window
  // worked out from the same button is not needed.
  void OpenForButton(uint16_t key_index, int control_id) override;
  bool IsOpen() const override { return editor_.IsOpen(); }
  bool Close() override { return editor_.Close(); }
  void StopRecording() override { editor_.StopRecording(); }
  void OnLanguage(int index) override { editor_.Relabel(index); }

  CompositeEditor& editor() { return editor_; }
  CompositeEditorContext& context() { return context_; }

 private:
  CKeyloomDlg& window_;
  CompositeEditorContext context_;
  CompositeEditor editor_;
};

// For MainWindowContext::make_key_editor.
std::unique_ptr<KeyEditorLauncher> MakeMainKeyEditor(CKeyloomDlg& window);

}  // namespace keyloom
