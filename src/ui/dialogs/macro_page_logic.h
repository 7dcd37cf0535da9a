// The key editor's macro page apart from drawing: the editor's own copies of
// the macros, the event list of the current macro with its in-place edits,
// the recorder, undo and redo of the event list, and the commit that puts the
// copies into the edit store.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "base/clock.h"
#include "model/key_store.h"
#include "model/macro.h"
#include "model/text_source.h"
#include "ui/dialogs/composite_view.h"
#include "ui/dialogs/event_history.h"
#include "ui/dialogs/key_hook_logic.h"

namespace keyloom {

class AppSettings;
class KeyEditorHost;

// Columns of the event list.
enum EventColumn { kEventKeyColumn = 0, kEventActionColumn = 1, kEventDelayColumn = 2, kEventColumnCount = 3 };
// Wide enough for names such as "Print Screen" and the header "Delay (ms)".
inline constexpr int kEventColumnWidths[kEventColumnCount] = {86, 52, 80};
inline constexpr std::u16string_view kPressArrow = u"\u2193";
inline constexpr std::u16string_view kReleaseArrow = u"  \u2191";
// The key column offers the keys of list orders 0..105.
inline constexpr int kEventKeyChoices = 106;
// Delays recorded without measuring.
inline constexpr uint32_t kFixedRecordDelayMs = 50;

// What clicking a cell of the event list starts.
struct CellEdit {
  enum class Kind { kNone, kChoice, kNumber };
  Kind kind = Kind::kNone;
  std::vector<std::u16string> choices;  // kChoice
  int preset = -1;                      // kChoice: the entry shown first; -1 none
  std::u16string text;                  // kNumber: the delay as it stands
};

class MacroPageLogic {
 public:
  MacroPageLogic(CompositeView& view, const TextSource& texts, AppSettings& settings, const Clock& clock);

  // Copies of `macros` (new flags cleared); none is current yet.
  void Load(std::span<const MacroRecord> macros);
  // The record-delay mode from the settings: 0 or 1; anything else is
  // written back as 0.
  int ReadRecordDelayMode();

  // ---- Macro list ----
  // Stores the current macro, then loads the one at `index` (-1: none).
  void SelectMacro(int index);
  // Selects the macro with `macro_id`, or the first when none has it.
  void SelectMacroById(uint32_t macro_id);
  void AddMacro();
  // A change of the macro list's edit field.
  void Rename(std::u16string_view typed);
  // Deletes the current macro; asks first when the edit store's key records
  // (any profile) play it. False when nothing was deleted.
  bool DeleteMacro(const KeyStore& edit);
  // A change of the cycles edit.
  void OnCyclesChanged(std::u16string_view text);

  // ---- Event list ----
  void SelectEvent(int row);
  void DeleteEvent();
  void ClearEvents();
  enum class Move { kTop, kUp, kDown, kBottom };
  void MoveEvent(Move move);
  CellEdit BeginCellEdit(int row, int column);
  void CommitKeyCell(int row, int choice);
  void CommitActionCell(int row, int choice);
  void CommitDelayCell(int row, std::u16string_view text);
  bool Undo();
  bool Redo();
  bool CanUndo() const;
  bool CanRedo() const;
  // The text a cell shows.
  std::u16string CellText(int row, int column) const;

  // ---- Recording ----
  void ToggleRecording();
  void StartRecording();
  void StopRecording();
  void ToggleRecordDelay();
  HookAction OnRecordThreadKey(const HookKey& key);
  HookAction OnRecordLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground);
  // Puts a recorded event into the list after the selected row (or at the
  // end), with the delay rules of the record-delay mode.
  void InsertRecorded(const RecordedKey& event);

  // ---- Commit ----
  // Writes the page's state into the current macro's copy.
  void StoreCurrent();
  // The macro half of the editor's apply: stores the current macro, then,
  // under the edit store's lock, resets PlayMacro records whose macro is gone
  // (or was replaced by a new macro with its id), gives records with id 0
  // the first macro, and replaces the edit store's macros by the copies.
  // Sets the stores' all-profiles flag after a macro that keys played was
  // deleted, and whenever a key map other than the active profile's must be
  // written again. True when the store changed.
  bool Commit(KeyStores& stores, int active_profile, KeyEditorHost& host);

  // ---- State ----
  int current() const { return current_; }
  const std::vector<MacroRecord>& macros() const { return macros_; }
  const std::vector<MacroEvent>& events() const { return events_; }
  int selected_event() const { return selected_; }
  int cycles() const { return cycles_; }
  bool recording() const { return recording_; }
  int record_delay_mode() const { return record_delay_mode_; }
  int name_counter() const { return name_counter_; }
  // Empties the copies (the editor closes).
  void Release();

 private:
  void LoadCurrent();
  void ShowList();
  void EnableMacroControls();
  std::u16string NextDefaultName();
  bool NameTakenByOther(std::u16string_view name, int except) const;
  MacroRecord NewMacro(std::u16string_view name) const;
  EventHistory* History();
  EventState State() const;
  void Restore(const EventState& state);
  // Every change of the event list runs between these two: the first keeps
  // the state for undo, the second shows the rows and enables apply.
  void BeginChange();
  void EndChange();
  void EnableApply();
  std::u16string RecordDelayValueName() const;

  CompositeView& view_;
  const TextSource& texts_;
  AppSettings& settings_;
  MacroRecorder recorder_;
  std::vector<MacroRecord> macros_;
  int current_ = -1;
  std::vector<MacroEvent> events_;
  int selected_ = -1;
  int cycles_ = 1;
  int name_counter_ = 0;
  bool recording_ = false;
  int record_delay_mode_ = 0;
  // Undo and redo of the event list, one history per macro id; a recording
  // collects its events into one step.
  std::map<uint16_t, EventHistory> histories_;
  EventState recording_before_;
  bool recording_changed_ = false;
  // A macro that keys played was deleted: their profiles' key maps and the
  // positions after it change, so the next apply writes every profile.
  bool deleted_used_ = false;
};

}  // namespace keyloom
