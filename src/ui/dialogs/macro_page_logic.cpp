#include "ui/dialogs/macro_page_logic.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "base/format.h"
#include "base/text.h"
#include "model/key_names.h"
#include "storage/app_settings.h"
#include "ui/dialogs/composite_ids.h"
#include "ui/dialogs/key_editor_host.h"

namespace keyloom {

namespace {

// Controls that act on the current macro.
constexpr int kMacroControls[] = {KEYLOOM_IDC_MACRO_DELETE, KEYLOOM_IDC_RECORD,     KEYLOOM_IDC_EVENT_DELETE,
                                  KEYLOOM_IDC_EVENT_CLEAR,  KEYLOOM_IDC_EVENT_TOP,  KEYLOOM_IDC_EVENT_UP,
                                  KEYLOOM_IDC_EVENT_DOWN,   KEYLOOM_IDC_EVENT_BOTTOM, KEYLOOM_IDC_CYCLES};

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::u16string NameOf(const MacroRecord& macro) { return std::u16string(macro.name, MacroNameLength(macro)); }

// Decimal digits as a number, saturating far above any limit.
int64_t ReadDecimal(std::u16string_view text, bool& any_digit, bool& negative) {
  int64_t value = 0;
  any_digit = false;
  negative = false;
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    any_digit = true;
    value = std::min<int64_t>(value * 10 + (text[i] - u'0'), int64_t{1} << 40);
  }
  return negative ? -value : value;
}

uint32_t RoundDelay(int64_t delay) {
  delay = std::clamp<int64_t>(delay, 0, kMaxMacroDelayMs);
  return static_cast<uint32_t>(delay - delay % 10);
}

}  // namespace

MacroPageLogic::MacroPageLogic(CompositeView& view, const TextSource& texts, AppSettings& settings,
                               const Clock& clock)
    : view_(view), texts_(texts), settings_(settings), recorder_(clock) {}

void MacroPageLogic::Load(std::span<const MacroRecord> macros) {
  macros_.assign(macros.begin(), macros.begin() + std::min<size_t>(macros.size(), kMaxMacros));
  for (MacroRecord& m : macros_) m.new_flag = 0;
  current_ = -1;
  events_.clear();
  selected_ = -1;
  histories_.clear();
  deleted_used_ = false;
  name_counter_ = 0;
  ShowList();
  LoadCurrent();
}

std::u16string MacroPageLogic::RecordDelayValueName() const { return texts_.Text(u"MACRO_ACTION_RECORD_DELAY"); }

int MacroPageLogic::ReadRecordDelayMode() {
  const std::u16string name = RecordDelayValueName();
  const int stored = settings_.ReadInt(kProfilesSection, name, 0);
  record_delay_mode_ = stored == 1 ? 1 : 0;
  if (stored != record_delay_mode_) settings_.WriteInt(kProfilesSection, name, 0);
  view_.SetChecked(KEYLOOM_IDC_RECORD_DELAY, record_delay_mode_ == 1);
  return record_delay_mode_;
}

void MacroPageLogic::ShowList() {
  std::vector<std::u16string> names;
  names.reserve(macros_.size());
  for (const MacroRecord& m : macros_) names.push_back(NameOf(m));
  view_.ShowMacroList(names, current_);
}

void MacroPageLogic::EnableMacroControls() {
  for (int id : kMacroControls) view_.SetEnabled(id, current_ >= 0);
}

void MacroPageLogic::StoreCurrent() {
  if (current_ < 0 || current_ >= int(macros_.size())) return;
  MacroRecord& m = macros_[current_];
  m.cycles = static_cast<uint8_t>(std::clamp(cycles_, 1, 255));
  const size_t count = std::min<size_t>(events_.size(), kMaxMacroEvents);
  std::copy_n(events_.begin(), count, m.events);
  std::fill(m.events + count, m.events + kMaxMacroEvents, MacroEvent{});
  m.event_count = static_cast<uint16_t>(count);
}

void MacroPageLogic::LoadCurrent() {
  events_.clear();
  selected_ = -1;
  if (current_ >= 0) {
    const MacroRecord& m = macros_[current_];
    events_.assign(m.events, m.events + std::min<size_t>(m.event_count, kMaxMacroEvents));
    cycles_ = std::clamp<int>(m.cycles, 1, 255);
  } else {
    cycles_ = 1;
  }
  view_.SetCyclesText(current_ >= 0 ? FormatText(u"%d", cycles_) : u"1", false);
  view_.ShowEvents(selected_);
  EnableMacroControls();
}

void MacroPageLogic::SelectMacro(int index) {
  if (index < -1 || index >= int(macros_.size())) return;
  StoreCurrent();
  current_ = index;
  view_.SelectListItem(KEYLOOM_IDC_MACRO_LIST, index);
  LoadCurrent();
}

void MacroPageLogic::SelectMacroById(uint32_t macro_id) {
  int index = macros_.empty() ? -1 : 0;
  for (size_t i = 0; i < macros_.size() && macro_id != 0; ++i)
    if (macros_[i].macro_id == macro_id) index = int(i);
  SelectMacro(index);
  ShowList();
}

bool MacroPageLogic::NameTakenByOther(std::u16string_view name, int except) const {
  for (size_t i = 0; i < macros_.size(); ++i)
    if (int(i) != except && StartsWithIgnoringCase(NameOf(macros_[i]), name)) return true;
  return false;
}

std::u16string MacroPageLogic::NextDefaultName() {
  if (macros_.empty()) name_counter_ = 0;
  const std::u16string prefix = texts_.Text(u"MACRO_NEW_PREFIX");
  // At most 100 names can stand in the way of the next free number.
  for (;;) {
    ++name_counter_;
    std::u16string name = prefix + FormatText(u"%d", name_counter_);
    if (!NameTakenByOther(name, -1)) return name;
  }
}

MacroRecord MacroPageLogic::NewMacro(std::u16string_view name) const {
  MacroRecord m;
  SetMacroName(m, name);
  m.cycles = 1;
  m.new_flag = 1;
  m.macro_id = NextMacroId(macros_);
  return m;
}

void MacroPageLogic::AddMacro() {
  if (int(macros_.size()) >= kMaxMacros) {
    view_.ShowText(FormatText(texts_.Text(u"MACRO_ERR_MAX"), kMaxMacros));
    return;
  }
  const std::u16string name = NextDefaultName();
  StoreCurrent();
  macros_.push_back(NewMacro(name));
  histories_.erase(macros_.back().macro_id);
  current_ = int(macros_.size()) - 1;
  ShowList();
  LoadCurrent();
  EnableApply();
}

void MacroPageLogic::Rename(std::u16string_view typed) {
  if (macros_.empty()) {
    const std::u16string name = typed.empty() ? NextDefaultName() : std::u16string(typed);
    macros_.insert(macros_.begin(), NewMacro(name));
    histories_.erase(macros_.front().macro_id);
    current_ = 0;
    ShowList();
    LoadCurrent();
    EnableApply();
    return;
  }
  if (current_ < 0) return;
  std::u16string name(typed.substr(0, kMaxMacroNameLength));
  if (name.empty() || NameTakenByOther(name, current_)) name = NextDefaultName();
  SetMacroName(macros_[current_], name);
  view_.RenameMacroItem(current_, NameOf(macros_[current_]));
  EnableApply();
}

bool MacroPageLogic::DeleteMacro(const KeyStore& edit) {
  if (current_ < 0) return false;
  const MacroRecord& m = macros_[current_];
  if (m.new_flag == 0) {
    bool used = false;
    {
      std::lock_guard lock(edit.mutex);
      for (int n = 0; n < kProfileCount * kRecordsPerBlock && !used; ++n) {
        const KeyRecord r = edit.RecordAt(n);
        used = r.kind() == KeyType::kPlayMacro && (r.value & 0xFFFF) == m.macro_id;
      }
    }
    if (used && !view_.AskYesNo(u"MACRO_DELETE_CONFIRM_OF_KEYS")) return false;
    deleted_used_ = deleted_used_ || used;
  }
  histories_.erase(m.macro_id);
  macros_.erase(macros_.begin() + current_);
  current_ = macros_.empty() ? -1 : std::max(0, current_ - 1);
  ShowList();
  LoadCurrent();
  EnableApply();
  return true;
}

void MacroPageLogic::OnCyclesChanged(std::u16string_view text) {
  bool any_digit = false, negative = false;
  const int64_t value = ReadDecimal(text, any_digit, negative);
  if (any_digit && value >= 1 && value <= 255) {
    cycles_ = int(value);
  } else {
    cycles_ = value > 255 ? 255 : 1;
    view_.SetCyclesText(FormatText(u"%d", cycles_), true);
  }
  if (current_ >= 0) EnableApply();
}

// ---- Event list --------------------------------------------------------------

EventHistory* MacroPageLogic::History() {
  if (current_ < 0) return nullptr;
  return &histories_[macros_[current_].macro_id];
}

EventState MacroPageLogic::State() const { return {events_, selected_}; }

void MacroPageLogic::Restore(const EventState& state) {
  events_ = state.events;
  selected_ = state.selected < int(events_.size()) ? state.selected : -1;
  view_.ShowEvents(selected_);
  EnableApply();
}

void MacroPageLogic::BeginChange() {
  EventHistory* history = History();
  if (!history) return;
  // A recording is one step: what it added so far becomes that step before
  // another change is made in the middle of it.
  if (recording_ && recording_changed_) history->Push(recording_before_);
  recording_changed_ = false;
  history->Push(State());
}

void MacroPageLogic::EndChange() {
  if (recording_) recording_before_ = State();
  view_.ShowEvents(selected_);
  EnableApply();
}

void MacroPageLogic::EnableApply() { view_.SetEnabled(KEYLOOM_IDC_APPLY, true); }

void MacroPageLogic::SelectEvent(int row) { selected_ = row >= 0 && row < int(events_.size()) ? row : -1; }

void MacroPageLogic::DeleteEvent() {
  if (selected_ < 0 || selected_ >= int(events_.size())) return;
  BeginChange();
  events_.erase(events_.begin() + selected_);
  if (selected_ >= int(events_.size())) selected_ = int(events_.size()) - 1;
  EndChange();
}

void MacroPageLogic::ClearEvents() {
  if (events_.empty() || !view_.AskYesNo(u"MACRO_ACTION_CLEAR_CONFIRM")) return;
  BeginChange();
  events_.clear();
  selected_ = -1;
  EndChange();
}

void MacroPageLogic::MoveEvent(Move move) {
  const int n = int(events_.size());
  if (selected_ < 0 || selected_ >= n) return;
  int to = selected_;
  switch (move) {
    case Move::kTop: to = 0; break;
    case Move::kUp: to = std::max(0, selected_ - 1); break;
    case Move::kDown: to = std::min(n - 1, selected_ + 1); break;
    case Move::kBottom: to = n - 1; break;
  }
  if (to == selected_) return;
  BeginChange();
  const MacroEvent moved = events_[selected_];
  events_.erase(events_.begin() + selected_);
  events_.insert(events_.begin() + to, moved);
  selected_ = to;
  EndChange();
}

std::u16string MacroPageLogic::CellText(int row, int column) const {
  if (row < 0 || row >= int(events_.size())) return {};
  const MacroEvent& e = events_[row];
  switch (column) {
    case kEventKeyColumn: return KeyName(texts_, e.key_code);
    case kEventActionColumn: return std::u16string(e.state == kMacroStatePress ? kPressArrow : kReleaseArrow);
    case kEventDelayColumn: return FormatText(u"%u", e.delay);
    default: return {};
  }
}

CellEdit MacroPageLogic::BeginCellEdit(int row, int column) {
  CellEdit edit;
  if (row < 0 || row >= int(events_.size())) return edit;
  const MacroEvent& e = events_[row];
  switch (column) {
    case kEventKeyColumn: {
      edit.kind = CellEdit::Kind::kChoice;
      for (int order = 0; order < kEventKeyChoices; ++order)
        edit.choices.push_back(NameForListOrder(texts_, uint16_t(order)));
      const uint16_t order = ListOrderOf(e.key_code);
      edit.preset = CodeFromListOrder(order) == e.key_code && order < kEventKeyChoices ? order : -1;
      return edit;
    }
    case kEventActionColumn:
      edit.kind = CellEdit::Kind::kChoice;
      edit.choices = {std::u16string(kPressArrow), std::u16string(kReleaseArrow)};
      edit.preset = e.state == kMacroStatePress ? 0 : 1;
      return edit;
    case kEventDelayColumn:
      // The delay is typed while nothing else changes the list.
      StopRecording();
      edit.kind = CellEdit::Kind::kNumber;
      edit.text = FormatText(u"%u", e.delay);
      return edit;
    default:
      view_.ShowMessage(u"MACRO_ACTION_ERR_MODIFY");
      return edit;
  }
}

void MacroPageLogic::CommitKeyCell(int row, int choice) {
  if (row < 0 || row >= int(events_.size()) || choice < 0 || choice >= kEventKeyChoices) return;
  const KeyCode code = CodeFromListOrder(uint16_t(choice));
  if (code == 0 || code == events_[row].key_code) return;
  BeginChange();
  events_[row].key_code = code;
  selected_ = row;
  EndChange();
}

void MacroPageLogic::CommitActionCell(int row, int choice) {
  if (row < 0 || row >= int(events_.size()) || (choice != 0 && choice != 1)) return;
  const uint16_t state = choice == 0 ? kMacroStatePress : kMacroStateRelease;
  if (state == events_[row].state) return;
  BeginChange();
  events_[row].state = state;
  selected_ = row;
  EndChange();
}

void MacroPageLogic::CommitDelayCell(int row, std::u16string_view text) {
  if (row < 0 || row >= int(events_.size())) return;
  bool any_digit = false, negative = false;
  int64_t value = ReadDecimal(text, any_digit, negative);
  if (value > int64_t{kMaxMacroDelayMs}) {
    view_.ShowText(FormatText(texts_.Text(u"MACRO_ACTION_ERR_DELAY_MAX"), kMaxMacroDelayMs));
    value = kMaxMacroDelayMs;
  }
  const uint32_t delay = RoundDelay(value);
  selected_ = row;
  if (delay == events_[row].delay) {
    view_.ShowEvents(selected_);  // the cell shows the stored value again
    return;
  }
  BeginChange();
  events_[row].delay = delay;
  EndChange();
}

bool MacroPageLogic::Undo() {
  EventHistory* history = History();
  if (!history || recording_) return false;
  std::optional<EventState> back = history->Undo(State());
  if (!back) return false;
  Restore(*back);
  return true;
}

bool MacroPageLogic::Redo() {
  EventHistory* history = History();
  if (!history || recording_) return false;
  std::optional<EventState> forward = history->Redo(State());
  if (!forward) return false;
  Restore(*forward);
  return true;
}

bool MacroPageLogic::CanUndo() const {
  if (current_ < 0 || recording_) return false;
  auto it = histories_.find(macros_[current_].macro_id);
  return it != histories_.end() && it->second.can_undo();
}

bool MacroPageLogic::CanRedo() const {
  if (current_ < 0 || recording_) return false;
  auto it = histories_.find(macros_[current_].macro_id);
  return it != histories_.end() && it->second.can_redo();
}

// ---- Recording -----------------------------------------------------------------

void MacroPageLogic::ToggleRecording() {
  if (recording_) {
    StopRecording();
  } else {
    StartRecording();
  }
}

void MacroPageLogic::StartRecording() {
  if (recording_ || current_ < 0) return;
  recording_ = true;
  recording_before_ = State();
  recording_changed_ = false;
  view_.SetText(KEYLOOM_IDC_RECORD, texts_.Text(u"MACRO_ACTION_STOP_RECORD"));
  view_.SetSelectedLook(KEYLOOM_IDC_RECORD, true);
  for (int id : {KEYLOOM_IDC_MACRO_ADD, KEYLOOM_IDC_MACRO_DELETE, KEYLOOM_IDC_MACRO_LIST}) view_.SetEnabled(id, false);
  recorder_.Start();
  view_.SetHookMode(HookMode::kRecord);
}

void MacroPageLogic::StopRecording() {
  if (!recording_) return;
  view_.SetHookMode(HookMode::kNone);
  recording_ = false;
  if (recording_changed_)
    if (EventHistory* history = History()) history->Push(std::move(recording_before_));
  recording_changed_ = false;
  view_.SetText(KEYLOOM_IDC_RECORD, texts_.Text(u"MACRO_ACTION_RECORD"));
  view_.SetSelectedLook(KEYLOOM_IDC_RECORD, false);
  for (int id : {KEYLOOM_IDC_MACRO_ADD, KEYLOOM_IDC_MACRO_LIST}) view_.SetEnabled(id, true);
  view_.SetEnabled(KEYLOOM_IDC_MACRO_DELETE, current_ >= 0);
}

void MacroPageLogic::ToggleRecordDelay() {
  record_delay_mode_ = record_delay_mode_ == 1 ? 0 : 1;
  settings_.WriteInt(kProfilesSection, RecordDelayValueName(), record_delay_mode_);
  view_.SetChecked(KEYLOOM_IDC_RECORD_DELAY, record_delay_mode_ == 1);
}

HookAction MacroPageLogic::OnRecordThreadKey(const HookKey& key) {
  if (!recording_) return HookAction::kPass;
  RecordOutcome out = recorder_.OnThreadKey(key);
  for (const RecordedKey& e : out.events) InsertRecorded(e);
  return out.action;
}

HookAction MacroPageLogic::OnRecordLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground) {
  if (!recording_) return HookAction::kPass;
  RecordOutcome out = recorder_.OnLowLevelKey(virtual_key, release, dialog_in_foreground);
  for (const RecordedKey& e : out.events) InsertRecorded(e);
  return out.action;
}

void MacroPageLogic::InsertRecorded(const RecordedKey& event) {
  if (current_ < 0 || events_.size() >= size_t(kMaxMacroEvents)) return;
  uint32_t delay = 0;
  if (record_delay_mode_ == 1) {
    delay = RoundDelay(event.delay);
  } else if (record_delay_mode_ == 0) {
    delay = kFixedRecordDelayMs;
  }
  if (!recording_) BeginChange();
  const int at = selected_ >= 0 && selected_ < int(events_.size()) ? selected_ + 1 : int(events_.size());
  MacroEvent row{0, event.key_code, event.state};
  if (at > 0) {
    // The delay belongs to the gap after an event: the measured gap goes to
    // the row before, and the new row keeps the gap that row had to its
    // next one.
    row.delay = events_[at - 1].delay;
    events_[at - 1].delay = delay;
  }
  events_.insert(events_.begin() + at, row);
  selected_ = at;
  if (recording_) {
    recording_changed_ = true;
    view_.ShowEvents(selected_);
    EnableApply();
  } else {
    EndChange();
  }
}

// ---- Commit ------------------------------------------------------------------

bool MacroPageLogic::Commit(KeyStores& stores, int active_profile, KeyEditorHost& host) {
  StoreCurrent();
  KeyStore& edit = stores.edit;
  std::lock_guard lock(edit.mutex);

  // Positions of the macros before and after, by id; a new macro that took
  // the id of a deleted one does not stand for it.
  auto position_in = [](const std::vector<MacroRecord>& list, uint32_t id, bool skip_new) {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].macro_id == id && !(skip_new && list[i].new_flag == 1)) return int(i);
    return -1;
  };

  bool changed = false;
  bool other_profiles = false;
  for (int n = 0; n < kKeyRecordCount; ++n) {
    KeyRecord r = edit.RecordAt(n);
    if (r.kind() != KeyType::kPlayMacro) continue;
    const int profile = n / kRecordsPerBlock;
    const uint16_t key_index = uint16_t(n % kRecordsPerBlock);
    const uint32_t id = r.value & 0xFFFF;
    const int before = id == 0 ? -1 : position_in(edit.macros, id, false);
    KeyRecord updated = r;
    if (id == 0 && !macros_.empty()) {
      updated.value = macros_.front().macro_id;
    } else if (position_in(macros_, id, true) < 0) {
      updated = KeyRecord{};
      updated.sub = GKeyIdOfKeyIndex(key_index);
    }
    const int after = updated.kind() == KeyType::kPlayMacro ? position_in(macros_, updated.value & 0xFFFF, true) : -1;
    if (!(updated == r)) {
      edit.SetRecordAt(n, updated);
      changed = true;
      host.RefreshKey(profile, key_index);
    }
    // The keyboard's key maps of other profiles name macros by position.
    if (profile != active_profile && profile < kProfileCount && (!(updated == r) || before != after))
      other_profiles = true;
  }

  bool macros_differ = edit.macros.size() != macros_.size();
  for (size_t i = 0; !macros_differ && i < macros_.size(); ++i) {
    MacroRecord copy = macros_[i];
    copy.new_flag = 0;
    macros_differ = std::memcmp(&copy, &edit.macros[i], sizeof(MacroRecord)) != 0;
  }
  // Once in the store, the copies stand for the stored macros.
  for (MacroRecord& m : macros_) m.new_flag = 0;
  if (macros_differ) {
    edit.macros = macros_;
    changed = true;
  }
  if (other_profiles || deleted_used_) stores.all_profiles = true;
  deleted_used_ = false;
  if (changed) host.MarkChanged();
  return changed;
}

void MacroPageLogic::Release() {
  StopRecording();
  macros_.clear();
  macros_.shrink_to_fit();
  events_.clear();
  histories_.clear();
  current_ = -1;
  selected_ = -1;
}

}  // namespace keyloom
