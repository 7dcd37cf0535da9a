#include "ui/dialogs/composite_logic.h"

#include <algorithm>
#include <array>
#include <mutex>

#include "model/key_apply.h"
#include "model/key_buttons.h"
#include "model/key_names.h"
#include "ui/dialogs/composite_ids.h"

namespace keyloom {

namespace {

constexpr std::array<int, 4> kPageButtons = {KEYLOOM_IDC_PAGE_KEY, KEYLOOM_IDC_PAGE_MACRO, KEYLOOM_IDC_PAGE_MEDIA,
                                             KEYLOOM_IDC_PAGE_FUNCTION};
constexpr int kMacroPageControls[] = {
    KEYLOOM_IDC_MACRO_LIST,   KEYLOOM_IDC_MACRO_ADD,  KEYLOOM_IDC_MACRO_DELETE, KEYLOOM_IDC_EVENT_LIST,
    KEYLOOM_IDC_RECORD,       KEYLOOM_IDC_EVENT_DELETE, KEYLOOM_IDC_EVENT_CLEAR, KEYLOOM_IDC_EVENT_TOP,
    KEYLOOM_IDC_EVENT_UP,     KEYLOOM_IDC_EVENT_DOWN, KEYLOOM_IDC_EVENT_BOTTOM, KEYLOOM_IDC_RECORD_DELAY,
    KEYLOOM_IDC_CYCLES,       KEYLOOM_IDC_CYCLES_LABEL, KEYLOOM_IDC_RECORD_DELAY_LABEL};
constexpr uint32_t kVkEnter = 0x0D, kVkEscape = 0x1B;

int MouseActionOf(KeyCode code) {
  for (size_t i = 0; i < kMouseActions.size(); ++i)
    if (kMouseActions[i].code == code) return int(i);
  return -1;
}

}  // namespace

std::optional<EditTarget> EditTargetOfButton(int button_id) {
  if (button_id < 0 || button_id > 0xFFFF) return std::nullopt;
  const int g = GKeyOfControl(uint16_t(button_id));
  if (g >= 0) return EditTarget{uint16_t(kKeyIndexG1 + g), button_id == kMacroGKeyButtonId};
  const int position = MainKeyPosition(uint16_t(button_id));
  if (position >= 0) return EditTarget{KeyIndexOf(kMainKeyButtons[position]), false};
  return std::nullopt;
}

EditorPage PageOfType(KeyType type) {
  switch (type) {
    case KeyType::kPlayMacro: return EditorPage::kMacro;
    case KeyType::kMedia: return EditorPage::kMedia;
    case KeyType::kFunction: return EditorPage::kFunction;
    default: return EditorPage::kKey;
  }
}

ScreenPoint PlaceBesideButton(const ScreenRect& button, int width, int height, const ScreenRect& work) {
  auto fits = [&](int x, int y) {
    return x >= work.left && y >= work.top && x + width <= work.right && y + height <= work.bottom;
  };
  auto clamp_y = [&](int y) { return std::max(work.top, std::min(y, work.bottom - height)); };
  auto clamp_x = [&](int x) { return std::max(work.left, std::min(x, work.right - width)); };
  // Beside the button, its top level with the button's where the screen allows.
  const int y = clamp_y(button.top);
  const ScreenPoint right{button.right, y}, left{button.left - width, y};
  if (fits(right.x, right.y)) return right;
  if (fits(left.x, left.y)) return left;
  const int x = clamp_x(button.left);
  const ScreenPoint below{x, button.bottom}, above{x, button.top - height};
  if (fits(below.x, below.y)) return below;
  if (fits(above.x, above.y)) return above;
  return {clamp_x(right.x), y};
}

CompositeLogic::CompositeLogic(CompositeView& view, KeyEditorContext& context)
    : view_(view), context_(context), macro_page_(view, context.texts, context.settings, context.clock) {}

HookMode CompositeLogic::hooks() const {
  if (macro_page_.recording()) return HookMode::kRecord;
  return capturing_ ? HookMode::kCapture : HookMode::kNone;
}

bool CompositeLogic::Start(int button_id, int active_profile) {
  const std::optional<EditTarget> target = EditTargetOfButton(button_id);
  if (!target || active_profile < 0 || active_profile >= kProfileCount) return false;
  button_id_ = button_id;
  key_index_ = target->key_index;
  macro_mode_ = target->macro_mode;
  profile_ = active_profile;
  open_ = true;
  capturing_ = false;
  macro_chosen_ = false;
  context_.host.SetEditingLook(button_id_, true);

  mouse_action_ = media_ = function_ = 0;
  captured_ = 0;
  switch_mouse_ = false;
  Relabel();
  view_.SetCyclesText(u"1", false);
  macro_page_.ReadRecordDelayMode();
  KeyRecord record;
  {
    std::lock_guard lock(context_.stores.edit.mutex);
    macro_page_.Load(context_.stores.edit.macros);
    record = context_.stores.edit.Record(profile_, key_index_);
  }
  EnableApply(false);
  type_ = static_cast<KeyType>(record.type);
  stored_value_ = record.value;
  stored_sub_ = record.sub;

  if (macro_mode_) {
    type_ = KeyType::kPlayMacro;
    for (int id : {KEYLOOM_IDC_PAGE_KEY, KEYLOOM_IDC_PAGE_MEDIA, KEYLOOM_IDC_PAGE_FUNCTION, KEYLOOM_IDC_CLEAR})
      view_.SetEnabled(id, false);
  }
  ShowPage(true);
  return true;
}

void CompositeLogic::Relabel() {
  const TextSource& t = context_.texts;
  view_.SetText(KEYLOOM_IDC_CYCLES_LABEL, t.Text(u"MACRO_CYCLES"));
  view_.SetText(KEYLOOM_IDC_RECORD_DELAY_LABEL, t.Text(u"RECORD_DELAY"));
  view_.SetText(KEYLOOM_IDC_SWITCH_KEYBOARD, t.Text(u"IDS_MACRO_KB_KEY"));
  view_.SetText(KEYLOOM_IDC_SWITCH_MOUSE, t.Text(u"IDS_MACRO_MOU_KEY"));
  view_.SetText(KEYLOOM_IDC_RECORD,
                t.Text(macro_page_.recording() ? u"MACRO_ACTION_STOP_RECORD" : u"MACRO_ACTION_RECORD"));
  view_.SetTooltip(KEYLOOM_IDC_CLEAR, t.Text(u"COMPOSITE_PROMPT_CLEAR"));
  view_.SetTooltip(KEYLOOM_IDC_OSK, t.Text(u"COMPOSITE_PROMPT_OSK"));
  // The event list's tool buttons show only symbols.
  view_.SetTooltip(KEYLOOM_IDC_EVENT_TOP, t.Text(u"MACRO_MENU_TOP"));
  view_.SetTooltip(KEYLOOM_IDC_EVENT_UP, t.Text(u"MACRO_MENU_UP"));
  view_.SetTooltip(KEYLOOM_IDC_EVENT_DOWN, t.Text(u"MACRO_MENU_DOWN"));
  view_.SetTooltip(KEYLOOM_IDC_EVENT_BOTTOM, t.Text(u"MACRO_MENU_BOTTOM"));
  view_.SetTooltip(KEYLOOM_IDC_EVENT_DELETE, t.Text(u"MACRO_MENU_DELETE"));
  view_.SetTooltip(KEYLOOM_IDC_EVENT_CLEAR, t.Text(u"MACRO_MENU_CLEAR"));
  view_.SetEventColumns({t.Text(u"MACRO_KEYS_TISHI"), t.Text(u"MACRO_ACTION_TISHI"), t.Text(u"MACRO_DELAY_MS")});

  std::vector<std::u16string> items;
  for (const MediaEntry& m : kMediaList) items.push_back(KeyName(t, m.code));
  view_.FillList(KEYLOOM_IDC_MEDIA_LIST, items);
  view_.SelectListItem(KEYLOOM_IDC_MEDIA_LIST, media_);
  items.clear();
  for (std::u16string_view key : kKeyboardFunctionTextKeys) items.push_back(t.Text(key));
  view_.FillList(KEYLOOM_IDC_FUNCTION_LIST, items);
  view_.SelectListItem(KEYLOOM_IDC_FUNCTION_LIST, function_);
  items.clear();
  for (const MouseAction& m : kMouseActions) items.push_back(t.Text(m.text_key));
  view_.FillList(KEYLOOM_IDC_MOUSE_LIST, items);
  view_.SelectListItem(KEYLOOM_IDC_MOUSE_LIST, mouse_action_);

  view_.SetText(KEYLOOM_IDC_KEY_INPUT, captured_ ? KeyName(t, captured_) : u"");
  view_.ShowEvents(macro_page_.selected_event());
}

void CompositeLogic::SetCapture(bool on) {
  if (on == capturing_ && !(on && macro_page_.recording())) return;
  if (on) macro_page_.StopRecording();
  capturing_ = on;
  view_.SetHookMode(on ? HookMode::kCapture : HookMode::kNone);
}

void CompositeLogic::SetSwitch(bool mouse) {
  switch_mouse_ = mouse;
  view_.SetChecked(KEYLOOM_IDC_SWITCH_KEYBOARD, !mouse);
  view_.SetChecked(KEYLOOM_IDC_SWITCH_MOUSE, mouse);
  if (page_ == EditorPage::kKey) {
    view_.SetVisible(KEYLOOM_IDC_KEY_INPUT, !mouse);
    view_.SetVisible(KEYLOOM_IDC_MOUSE_LIST, mouse);
  }
}

void CompositeLogic::EnableApply(bool enabled) { view_.SetEnabled(KEYLOOM_IDC_APPLY, enabled); }

void CompositeLogic::ShowPage(bool first_time) {
  page_ = PageOfType(type_);
  switch (page_) {
    case EditorPage::kMacro:
      SetCapture(false);
      if (first_time) {
        macro_page_.SelectMacroById(stored_value_);
        stored_sub_ = uint16_t(std::clamp<int>(stored_sub_, 1, 255));
      } else if (!macro_page_.macros().empty() && macro_page_.current() < 0) {
        macro_page_.SelectMacro(0);
      }
      break;
    case EditorPage::kMedia:
      SetCapture(false);
      macro_page_.StopRecording();
      if (first_time) {
        media_ = stored_value_ < kMediaList.size() ? int(stored_value_) : 0;
        view_.SelectListItem(KEYLOOM_IDC_MEDIA_LIST, media_);
      }
      break;
    case EditorPage::kFunction:
      SetCapture(false);
      macro_page_.StopRecording();
      if (first_time) {
        function_ = stored_value_ < kKeyboardFunctionTextKeys.size() ? int(stored_value_) : 0;
        view_.SelectListItem(KEYLOOM_IDC_FUNCTION_LIST, function_);
      }
      break;
    case EditorPage::kKey:
      macro_page_.StopRecording();
      SetCapture(true);
      if (first_time) {
        // Only a Key record's value is a key code: the values of other types
        // (a text offset, for instance) must not turn into one.
        captured_ = type_ == KeyType::kKey ? KeyCode(stored_value_) : 0;
        bool mouse = false;
        if (type_ == KeyType::kKey) {
          const int action = MouseActionOf(captured_);
          if (action >= 0) {
            mouse = true;
            mouse_action_ = action;
            captured_ = 0;
            view_.SelectListItem(KEYLOOM_IDC_MOUSE_LIST, action);
          }
        }
        view_.SetText(KEYLOOM_IDC_KEY_INPUT, captured_ ? KeyName(context_.texts, captured_) : u"");
        switch_mouse_ = mouse;
      }
      break;
  }
  ShowPageControls();
}

void CompositeLogic::ShowPageControls() {
  const bool key = page_ == EditorPage::kKey;
  view_.SetVisible(KEYLOOM_IDC_SWITCH_KEYBOARD, key);
  view_.SetVisible(KEYLOOM_IDC_SWITCH_MOUSE, key);
  SetSwitch(switch_mouse_);
  if (!key) {
    view_.SetVisible(KEYLOOM_IDC_KEY_INPUT, false);
    view_.SetVisible(KEYLOOM_IDC_MOUSE_LIST, false);
  }
  for (int id : kMacroPageControls) view_.SetVisible(id, page_ == EditorPage::kMacro);
  view_.SetVisible(KEYLOOM_IDC_MEDIA_LIST, page_ == EditorPage::kMedia);
  view_.SetVisible(KEYLOOM_IDC_FUNCTION_LIST, page_ == EditorPage::kFunction);
  for (size_t p = 0; p < kPageButtons.size(); ++p) view_.SetSelectedLook(kPageButtons[p], int(p) == int(page_));
  view_.SetPagePictures(page_, macro_mode_);
}

void CompositeLogic::OnPageButton(EditorPage page) {
  if (!open_ || (macro_mode_ && page != EditorPage::kMacro)) return;
  KeyType wanted = type_;
  switch (page) {
    case EditorPage::kKey:
      if (type_ != KeyType::kKey && type_ != KeyType::kDefault) wanted = KeyType::kKey;
      break;
    case EditorPage::kMacro: wanted = KeyType::kPlayMacro; break;
    case EditorPage::kMedia: wanted = KeyType::kMedia; break;
    case EditorPage::kFunction: wanted = KeyType::kFunction; break;
  }
  if (wanted == type_) return;
  type_ = wanted;
  ShowPage(false);
  EnableApply(true);
}

void CompositeLogic::OnClear() {
  if (!open_ || macro_mode_) return;
  OnPageButton(EditorPage::kKey);
  if (type_ != KeyType::kKey) return;
  captured_ = 0;
  view_.SetText(KEYLOOM_IDC_KEY_INPUT, u"");
  type_ = KeyType::kDefault;
  SetSwitch(false);
  SetCapture(true);
}

void CompositeLogic::OnSwitch(bool mouse) {
  if (!open_ || page_ != EditorPage::kKey || mouse == switch_mouse_) return;
  SetSwitch(mouse);
  // The mouse side always names an action: the one selected in its list.
  if (mouse) type_ = KeyType::kKey;
  EnableApply(true);
}

void CompositeLogic::OnMouseAction(int index) {
  if (!open_ || index < 0 || index >= int(kMouseActions.size())) return;
  mouse_action_ = index;
  if (switch_mouse_) type_ = KeyType::kKey;
  EnableApply(true);
}

void CompositeLogic::OnMediaSelected(int index) {
  if (!open_ || index < 0 || index >= int(kMediaList.size())) return;
  media_ = index;
  EnableApply(true);
}

void CompositeLogic::OnFunctionSelected(int index) {
  if (!open_ || index < 0 || index >= int(kKeyboardFunctionTextKeys.size())) return;
  function_ = index;
  EnableApply(true);
}

void CompositeLogic::OnOnScreenKeyboard() { view_.OpenOnScreenKeyboard(); }

KeyRecord CompositeLogic::BuildRecord() {
  uint32_t value = 0;
  uint16_t cycles = 0;
  KeyType type = type_;
  switch (type) {
    case KeyType::kKey:
      value = switch_mouse_ ? kMouseActions[std::clamp<size_t>(mouse_action_, 0, kMouseActions.size() - 1)].code
                            : captured_;
      break;
    case KeyType::kPlayMacro:
      if (macro_page_.macros().empty() || macro_page_.current() < 0) {
        type = KeyType::kDefault;
      } else {
        value = macro_page_.macros()[macro_page_.current()].macro_id;
        cycles = uint16_t(macro_page_.cycles());
      }
      break;
    case KeyType::kMedia: value = uint32_t(media_); break;
    case KeyType::kFunction: value = uint32_t(function_); break;
    default: break;
  }
  return EditorKeyRecord(key_index_, type, value, cycles);
}

void CompositeLogic::Apply() {
  if (!open_) return;
  macro_page_.StopRecording();
  KeyStore& edit = context_.stores.edit;
  std::lock_guard lock(edit.mutex);
  bool changed = macro_page_.Commit(context_.stores, profile_, context_.host);
  const KeyRecord record = BuildRecord();
  if (AssignKey(edit, profile_, key_index_, record)) changed = true;
  type_ = record.kind();
  context_.host.RefreshKey(profile_, key_index_);
  context_.host.RefreshKeyTips();
  EnableApply(false);
  if (changed) context_.host.MarkChanged();
}

void CompositeLogic::Ok() {
  if (!open_) return;
  Apply();
  Close();
  view_.EndDialog();
}

void CompositeLogic::Cancel() {
  if (!open_) return;
  Close();
  view_.EndDialog();
}

void CompositeLogic::Close() {
  if (!open_) return;
  SetCapture(false);
  macro_page_.Release();
  EnableApply(false);
  open_ = false;
  context_.host.SetEditingLook(button_id_, false);
}

void CompositeLogic::Take(KeyCode code) {
  captured_ = code;
  view_.SetText(KEYLOOM_IDC_KEY_INPUT, KeyName(context_.texts, captured_));
  type_ = KeyType::kKey;
  // The Win keys are taken whatever the switch says; the key is what counts then.
  if (switch_mouse_) SetSwitch(false);
  EnableApply(true);
}

HookAction CompositeLogic::OnThreadKey(const HookKey& key) {
  if (macro_page_.recording()) return macro_page_.OnRecordThreadKey(key);
  if (!capturing_) return HookAction::kPass;
  const CaptureOutcome out = CaptureThreadKey(key, switch_mouse_);
  if (out.taken) Take(out.taken);
  return out.action;
}

HookAction CompositeLogic::OnLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground) {
  if (macro_page_.recording()) return macro_page_.OnRecordLowLevelKey(virtual_key, release, dialog_in_foreground);
  if (!capturing_) return HookAction::kPass;
  const CaptureOutcome out = CaptureLowLevelKey(virtual_key, release, dialog_in_foreground);
  if (out.taken) Take(out.taken);
  return out.action;
}

bool CompositeLogic::OnDialogKey(uint32_t virtual_key) { return virtual_key == kVkEnter || virtual_key == kVkEscape; }

void CompositeLogic::OnHelp() {
  if (!macro_page_.recording()) view_.OpenHelp();
}

}  // namespace keyloom
