// What the main window keeps of the key editor: it opens the editor for a
// key button, closes it from outside (the keyboard went, Quit), forwards the
// language and stops a recording. The state pictures are loaded once and
// kept for the next opening.
#pragma once

#include "base/clock.h"
#include "storage/language.h"
#include "ui/dialogs/composite_dlg_win32.h"

namespace keyloom {

class CompositeEditor {
 public:
  explicit CompositeEditor(CompositeEditorContext& context);
  ~CompositeEditor();
  CompositeEditor(const CompositeEditor&) = delete;
  CompositeEditor& operator=(const CompositeEditor&) = delete;

  // Opens the editor for a key button and returns when it closes: 0, or -1
  // for an id that is no key button (or when the active profile cannot be
  // read), in which case nothing opens.
  int OpenForButton(int button_id);
  bool IsOpen() const { return dialog_ != nullptr; }
  // Closes an open editor as Cancel would. False while one of its questions
  // or messages is on the screen: it closes when that is answered.
  bool Close();
  // Forwards the language message to an open editor.
  void Relabel(int language);
  void StopRecording();
  Keyloom_DlgComposite* dialog() const { return dialog_; }

 private:
  CompositeEditorContext& context_;
  LanguageTextSource texts_;
  SystemClock system_clock_;
  CompositePictures pictures_;
  Keyloom_DlgComposite* dialog_ = nullptr;
};

}  // namespace keyloom
