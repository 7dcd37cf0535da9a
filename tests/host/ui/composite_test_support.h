// The key editor's logic under test: a view that keeps what the window would
// show, fixed texts, settings in memory, and a main window that records what
// the editor tells it.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/text.h"
#include "model/key_store.h"
#include "model/text_source.h"
#include "storage/app_settings.h"
#include "ui/dialogs/composite_ids.h"
#include "ui/dialogs/composite_logic.h"

namespace keyloom::testing {

class RecordingCompositeView final : public CompositeView {
 public:
  void SetVisible(int id, bool visible) override { this->visible[id] = visible; }
  void SetEnabled(int id, bool enabled) override { this->enabled[id] = enabled; }
  void SetText(int id, std::u16string_view text) override { texts[id] = std::u16string(text); }
  void SetChecked(int id, bool checked) override { this->checked[id] = checked; }
  void SetSelectedLook(int id, bool selected) override { this->selected[id] = selected; }
  void SetTooltip(int id, std::u16string_view text) override { tooltips[id] = std::u16string(text); }
  void SetPagePictures(EditorPage page, bool macro_mode) override {
    picture_page = page;
    picture_macro_mode = macro_mode;
  }
  void FillList(int id, const std::vector<std::u16string>& items) override { lists[id] = items; }
  void SelectListItem(int id, int index) override {
    list_selection[id] = index;
    if (id == KEYLOOM_IDC_MACRO_LIST) macro_current = index;
  }
  void ShowMacroList(const std::vector<std::u16string>& names, int current) override {
    macro_names = names;
    macro_current = current;
  }
  void RenameMacroItem(int index, std::u16string_view name) override {
    if (index >= 0 && index < int(macro_names.size())) macro_names[index] = std::u16string(name);
  }
  void SetCyclesText(std::u16string_view text, bool select_all) override {
    cycles_text = std::u16string(text);
    cycles_selected = select_all;
  }
  void ShowEvents(int selected_row) override {
    ++events_shown;
    event_selection = selected_row;
  }
  void SetEventColumns(const std::vector<std::u16string>& headers) override { columns = headers; }
  void SetHookMode(HookMode mode) override { hooks = mode; }
  void ShowMessage(std::u16string_view key) override { messages.push_back("key:" + Utf16ToUtf8(key)); }
  void ShowText(std::u16string_view text) override { messages.push_back("text:" + Utf16ToUtf8(text)); }
  bool AskYesNo(std::u16string_view key) override {
    questions.push_back(Utf16ToUtf8(key));
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void OpenOnScreenKeyboard() override { ++osk; }
  void OpenHelp() override { ++help; }
  void EndDialog() override { ++ended; }

  bool is_enabled(int id) const {
    auto it = enabled.find(id);
    return it == enabled.end() || it->second;
  }
  bool is_visible(int id) const {
    auto it = visible.find(id);
    return it != visible.end() && it->second;
  }

  std::map<int, bool> visible, enabled, checked, selected;
  std::map<int, std::u16string> texts, tooltips;
  std::map<int, std::vector<std::u16string>> lists;
  std::map<int, int> list_selection;
  EditorPage picture_page = EditorPage::kKey;
  bool picture_macro_mode = false;
  std::vector<std::u16string> macro_names;
  int macro_current = -1;
  std::u16string cycles_text;
  bool cycles_selected = false;
  int events_shown = 0;
  int event_selection = -1;
  std::vector<std::u16string> columns;
  HookMode hooks = HookMode::kNone;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<bool> answers;
  int osk = 0, help = 0, ended = 0;
};

class FixedTexts final : public TextSource {
 public:
  std::map<std::u16string, std::u16string, std::less<>> texts = {
      {u"MACRO_NEW_PREFIX", u"Macro "},
      {u"MACRO_ERR_MAX", u"At most %d macros"},
      {u"MACRO_ACTION_ERR_DELAY_MAX", u"At most %d ms"},
      {u"MACRO_ACTION_RECORD_DELAY", u"Record delays"},
      {u"MACRO_ACTION_RECORD", u"Record"},
      {u"MACRO_ACTION_STOP_RECORD", u"Stop"},
      {u"IDS_KEYBOARD_A", u"A"},
      {u"IDS_KEYBOARD_B", u"B"},
      {u"IDS_KEYBOARD_LWIN", u"Win"},
      {u"IDS_KEYBOARD_PRINT", u"Print Screen"},
      {u"IDS_KEYBOARD_MOU_RIGHT", u"Right Button"},
  };
  std::u16string Text(std::u16string_view key) const override {
    auto it = texts.find(key);
    return it == texts.end() ? u"#Error" : it->second;
  }
};

class MemorySettings final : public AppSettings {
 public:
  int ReadInt(std::u16string_view section, std::u16string_view name, int default_value) const override {
    auto it = ints.find(Key(section, name));
    return it == ints.end() ? default_value : it->second;
  }
  std::u16string ReadString(std::u16string_view, std::u16string_view, std::u16string_view d) const override {
    return std::u16string(d);
  }
  bool WriteInt(std::u16string_view section, std::u16string_view name, int value) override {
    ints[Key(section, name)] = value;
    ++writes;
    return true;
  }
  bool WriteString(std::u16string_view, std::u16string_view, std::u16string_view) override { return true; }
  static std::u16string Key(std::u16string_view section, std::u16string_view name) {
    return std::u16string(section) + u"/" + std::u16string(name);
  }
  std::map<std::u16string, int> ints;
  int writes = 0;
};

class RecordingHost final : public KeyEditorHost {
 public:
  void MarkChanged() override { ++changed; }
  void RefreshKey(int profile, uint16_t key_index) override { refreshed.push_back({profile, key_index}); }
  void RefreshKeyTips() override { ++tips; }
  void SetEditingLook(int button_id, bool editing) override { editing_looks.push_back({button_id, editing}); }
  int changed = 0, tips = 0;
  std::vector<std::pair<int, uint16_t>> refreshed;
  std::vector<std::pair<int, bool>> editing_looks;
};

// Everything an editor needs, fresh.
struct EditorWorld {
  KeyStores stores;
  FixedTexts texts;
  MemorySettings settings;
  ManualClock clock;
  RecordingHost host;
  KeyEditorContext context{stores, texts, settings, clock, host};
  RecordingCompositeView view;
};

inline MacroRecord MakeMacro(uint16_t id, std::u16string_view name, std::vector<MacroEvent> events = {}) {
  MacroRecord m;
  m.macro_id = id;
  SetMacroName(m, name);
  for (const MacroEvent& e : events) AddMacroEvent(m, e);
  return m;
}

inline KeyRecord MakeRecord(KeyType type, uint32_t value = 0, uint16_t sub = 0) {
  KeyRecord r;
  r.type = uint16_t(type);
  r.value = value;
  r.sub = sub;
  return r;
}

}  // namespace keyloom::testing
