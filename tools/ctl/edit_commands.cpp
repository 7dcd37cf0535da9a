// keys set, keys reset and macro: the key assignments changed through the
// key editor's and the macro editor's own operations, then applied as the
// main window's Apply applies them (key_edit.h).
#include <algorithm>
#include <mutex>

#include "base/text.h"
#include "commands.h"
#include "key_edit.h"
#include "model/key_apply.h"
#include "model/key_buttons.h"
#include "model/key_names.h"
#include "names.h"
#include "storage/app_settings.h"
#include "ui/dialogs/composite_view.h"
#include "ui/dialogs/key_editor_host.h"
#include "ui/dialogs/macro_page_logic.h"

namespace keyloom::ctl {

namespace {

// The macro page without a window: what it would show in a message box goes
// to the error stream as a note; a question is answered yes, as the command
// line already said what to do.
class HeadlessEditorView final : public WindowlessCompositeView {
 public:
  explicit HeadlessEditorView(Context& ctx, const TextSource& texts) : ctx_(ctx), texts_(texts) {}
  void ShowMessage(std::u16string_view key) override { ShowText(texts_.Text(key)); }
  void ShowText(std::u16string_view text) override { ctx_.err << "keyloomctl: note: " << Utf16ToUtf8(text) << "\n"; }

 private:
  Context& ctx_;
  const TextSource& texts_;
};

class HeadlessHost final : public KeyEditorHost {
 public:
  void MarkChanged() override { changed = true; }
  void RefreshKey(int, uint16_t) override {}
  void RefreshKeyTips() override {}
  void SetEditingLook(int, bool) override {}
  bool changed = false;
};

// The macro page reads the record-delay mode only when asked to; nothing of
// it is kept between runs of keyloomctl.
class NoSettings final : public AppSettings {
 public:
  int ReadInt(std::u16string_view, std::u16string_view, int default_value) const override { return default_value; }
  std::u16string ReadString(std::u16string_view, std::u16string_view, std::u16string_view d) const override {
    return std::u16string(d);
  }
  bool WriteInt(std::u16string_view, std::u16string_view, int) override { return true; }
  bool WriteString(std::u16string_view, std::u16string_view, std::u16string_view) override { return true; }
};

// The macro editor's page, loaded with the edit store's macros.
struct MacroEditor {
  MacroEditor(Context& ctx, KeyEdit& e)
      : view(ctx, e.session->texts.source), page(view, e.session->texts.source, settings, e.session->clock) {
    std::lock_guard lock(e.edit().mutex);
    page.Load(e.edit().macros);
  }
  HeadlessEditorView view;
  NoSettings settings;
  HeadlessHost host;
  MacroPageLogic page;
};

std::string NameOf(const MacroRecord& m) {
  return Utf16ToUtf8(std::u16string_view(m.name, MacroNameLength(m)));
}

// The macro named `name`: exactly, or else the one name that differs only in case.
int FindMacro(std::span<const MacroRecord> macros, const std::string& name) {
  for (size_t i = 0; i < macros.size(); ++i)
    if (NameOf(macros[i]) == name) return int(i);
  int found = -1;
  for (size_t i = 0; i < macros.size(); ++i) {
    if (FoldName(NameOf(macros[i])) != FoldName(name)) continue;
    if (found >= 0) return -1;
    found = int(i);
  }
  return found;
}

std::string MacroNamesText(std::span<const MacroRecord> macros) {
  std::string out;
  for (const MacroRecord& m : macros) out += (out.empty() ? "" : ", ") + NameOf(m);
  return out.empty() ? "there are none" : "there are: " + out;
}

int NoSuchMacro(Context& ctx, std::span<const MacroRecord> macros, const std::string& name) {
  return ctx.Fail(kExitUsage, "no macro is named \"" + name + "\" (" + MacroNamesText(macros) + ")", "no_such_macro");
}

constexpr std::string_view kFunctionUsage =
    "FUNCTION is a key name, disabled, default, media NAME, function NAME, macro NAME [--cycles N], stop-macro, "
    "mouse BUTTON, program PATH or text TEXT";

// The record (and string) `keys set` gives a key, as the key editor builds it.
struct Assignment {
  KeyRecord record;
  std::u16string text;  // program path or text block
  std::string shown;
};

int ParseAssignment(Context& ctx, KeyEdit& e, uint16_t key_index, std::span<const std::string> words,
                    const std::optional<int>& cycles, Assignment& a) {
  const TextSource& texts = e.session->texts.source;
  const std::string& what = words[0];
  const std::string kind = FoldName(what);
  auto need_one = [&](const char* value_name) {
    if (words.size() == 2) return true;
    ctx.Fail(kExitUsage, "usage: keyloomctl keys set KEY " + kind + " " + value_name, "usage");
    return false;
  };
  auto record = [&](KeyType type, uint32_t value, uint16_t c = 0) { a.record = EditorKeyRecord(key_index, type, value, c); };
  if (cycles && kind != "macro") return ctx.Fail(kExitUsage, "--cycles goes with macro NAME", "usage");
  if (kind == "disabled" || kind == "default" || kind == "stop-macro") {
    if (words.size() != 1) return ctx.Fail(kExitUsage, kind + " takes nothing after it", "usage");
    record(kind == "disabled" ? KeyType::kDisabled : kind == "default" ? KeyType::kDefault : KeyType::kStopMacro, 0);
    a.shown = kind;
  } else if (kind == "media") {
    if (!need_one("NAME")) return kExitUsage;
    const auto m = MediaByName(texts, words[1]);
    if (!m) return ctx.Fail(kExitUsage, "no media action \"" + words[1] + "\"; the media actions are " + MediaNames(texts), "bad_value");
    record(KeyType::kMedia, uint32_t(*m));
    a.shown = "media " + FoldName(Utf16ToUtf8(texts.Text(kMediaList[*m].text_key)));
  } else if (kind == "function") {
    if (!need_one("NAME")) return kExitUsage;
    const auto f = FunctionByName(texts, words[1]);
    if (!f) return ctx.Fail(kExitUsage, "no keyboard function \"" + words[1] + "\"; they are " + FunctionNames(texts), "bad_value");
    record(KeyType::kFunction, uint32_t(*f));
    a.shown = "function " + std::to_string(*f + 1);
  } else if (kind == "mouse") {
    if (!need_one("BUTTON")) return kExitUsage;
    const auto m = MouseByName(texts, words[1]);
    if (!m) return ctx.Fail(kExitUsage, "no mouse action \"" + words[1] + "\"; they are " + MouseNames(), "bad_value");
    record(KeyType::kKey, *m);
    a.shown = "mouse " + FoldName(words[1]);
  } else if (kind == "macro") {
    if (!need_one("NAME")) return kExitUsage;
    std::lock_guard lock(e.edit().mutex);
    const int i = FindMacro(e.edit().macros, words[1]);
    if (i < 0) return NoSuchMacro(ctx, e.edit().macros, words[1]);
    record(KeyType::kPlayMacro, e.edit().macros[i].macro_id, uint16_t(cycles.value_or(1)));
    a.shown = "macro " + NameOf(e.edit().macros[i]);
  } else if (kind == "program" || kind == "text") {
    if (words.size() < 2) return ctx.Fail(kExitUsage, "usage: keyloomctl keys set KEY " + kind + " " + (kind == "text" ? "TEXT" : "PATH"), "usage");
    std::string joined;
    for (size_t i = 1; i < words.size(); ++i) joined += (i > 1 ? " " : "") + words[i];
    a.text = kind == "program" ? PathFromArgument(joined) : Utf8ToUtf16(joined);
    if (a.text.size() > kMaxStringUnits)
      return ctx.Fail(kExitUsage, kind + " is longer than " + std::to_string(kMaxStringUnits) + " characters", "bad_value");
    record(kind == "program" ? KeyType::kLaunchProgram : KeyType::kTextBlock, 0);
    a.shown = kind + " " + joined;
  } else {
    if (words.size() != 1) return ctx.Fail(kExitUsage, std::string(kFunctionUsage), "usage");
    const auto code = TargetKeyByName(texts, what);
    if (!code)
      return ctx.Fail(kExitUsage, "\"" + what + "\" is no key name; " + std::string(kFunctionUsage), "bad_value");
    record(KeyType::kKey, *code);
    a.shown = a.record.kind() == KeyType::kDefault ? "default" : KeyWord(texts, *code);
  }
  return kExitDone;
}

int KeysSet(Context& ctx, const ParsedArgs& parsed) {
  const auto& p = parsed.positional;  // "set" KEY FUNCTION...
  if (p.size() < 3)
    return ctx.Fail(kExitUsage, "usage: keyloomctl keys set KEY FUNCTION [--profile N]; " + std::string(kFunctionUsage), "usage");
  std::optional<int> profile, cycles;
  int exit = kExitDone;
  if (!ProfileOption(ctx, parsed, profile, exit)) return exit;
  if (auto it = parsed.options.find("cycles"); it != parsed.options.end()) {
    cycles = ParseInt(it->second, 1, 255);
    if (!cycles) return ctx.Fail(kExitUsage, "--cycles takes 1-255, not " + it->second, "bad_value");
  }
  // The key and function names are checked before the keyboard is looked
  // for when they need no keyboard; macros need the edit store.
  auto e = BeginKeyEdit(ctx, profile);
  if (!e) return kExitKeyboard;
  const TextSource& texts = e->session->texts.source;
  const auto key = AssignableKeyByName(texts, p[1]);
  if (!key)
    return ctx.Fail(kExitUsage, "no key of the keyboard is named \"" + p[1] + "\" (the names `keyloomctl keys` prints, e.g. a, f5, left-ctrl, g1)", "bad_value");
  Assignment a;
  if (const int r = ParseAssignment(ctx, *e, *key, std::span(p).subspan(2), cycles, a); r != kExitDone) return r;
  const std::string key_word = FoldName(Utf16ToUtf8(KeyButtonName(texts, CodeFromKeyIndex(*key))));
  {
    std::lock_guard lock(e->edit().mutex);
    AssignKey(e->edit(), e->profile, *key, a.record);
    if (!a.text.empty() && !SetStringSlot(e->edit(), RecordNumber(e->profile, *key), a.text))
      return ctx.Fail(kExitUsage, "the working profile file cannot hold more text", "bad_value");
  }
  const std::string line = "profile " + std::to_string(e->profile + 1) + ": " + key_word + " -> " + a.shown + "\n";
  return FinishKeyEdit(ctx, *e, line,
                       ctx.Result().Add("profile", e->profile + 1).Add("key", key_word).Add("assignment", a.shown));
}

int KeysReset(Context& ctx, const ParsedArgs& parsed) {
  if (parsed.positional.size() != 1 || parsed.options.count("cycles"))
    return ctx.Fail(kExitUsage, "usage: keyloomctl keys reset [--profile N]", "usage");
  std::optional<int> profile;
  int exit = kExitDone;
  if (!ProfileOption(ctx, parsed, profile, exit)) return exit;
  auto e = BeginKeyEdit(ctx, profile);
  if (!e) return kExitKeyboard;
  {
    std::lock_guard lock(e->edit().mutex);
    const auto indices = MainKeyIndices();
    ResetProfileKeys(e->edit(), e->profile, indices, nullptr);
  }
  return FinishKeyEdit(ctx, *e, "profile " + std::to_string(e->profile + 1) + ": every key does its default again\n",
                       ctx.Result().Add("profile", e->profile + 1));
}

}  // namespace

int CmdKeysEdit(Context& ctx, const ParsedArgs& parsed) {
  ctx.command = "keys " + parsed.positional[0];
  if (parsed.options.count("file"))
    return ctx.Fail(kExitUsage, "--file is for listing; keys set and keys reset change the keyboard", "usage");
  return parsed.positional[0] == "set" ? KeysSet(ctx, parsed) : KeysReset(ctx, parsed);
}

// ---- macro ----------------------------------------------------------------

namespace {

std::string MacroJson(const TextSource& texts, const MacroRecord& m) {
  JsonArray events;
  for (int i = 0; i < m.event_count; ++i) {
    const MacroEvent& ev = m.events[i];
    events.AddRaw(JsonObject()
                      .Add("key", KeyWord(texts, ev.key_code))
                      .Add("action", ev.state == kMacroStateRelease ? "up" : "down")
                      .Add("delay", int64_t{ev.delay})
                      .str());
  }
  return JsonObject()
      .Add("name", NameOf(m))
      .Add("id", m.macro_id)
      .Add("cycles", m.cycles)
      .Add("events", m.event_count)
      .AddRaw("event_list", events.str())
      .str();
}

int MacroList(Context& ctx, KeyEdit& e) {
  std::lock_guard lock(e.edit().mutex);
  const auto& macros = e.edit().macros;
  const TextSource& texts = e.session->texts.source;
  JsonArray list;
  std::string lines;
  for (const MacroRecord& m : macros) {
    lines += NameOf(m) + " (" + std::to_string(m.event_count) + " events, played " + std::to_string(m.cycles) +
             (m.cycles == 1 ? " time" : " times") + ")\n";
    list.AddRaw(MacroJson(texts, m));
  }
  if (!ctx.json) {
    ctx.out << (macros.empty() ? "no macros\n" : lines);
    return kExitDone;
  }
  return ctx.Done(ctx.Result().AddRaw("macros", list.str()));
}

int MacroShow(Context& ctx, KeyEdit& e, const std::string& name) {
  std::lock_guard lock(e.edit().mutex);
  const int i = FindMacro(e.edit().macros, name);
  if (i < 0) return NoSuchMacro(ctx, e.edit().macros, name);
  const MacroRecord& m = e.edit().macros[i];
  const TextSource& texts = e.session->texts.source;
  if (!ctx.json) {
    ctx.out << "name:   " << NameOf(m) << "\ncycles: " << int(m.cycles) << "\nevents: "
            << FormatMacroEvents(texts, std::span(m.events, m.event_count)) << "\n";
    return kExitDone;
  }
  return ctx.Done(ctx.Result().AddRaw("macro", MacroJson(texts, m)));
}

// Puts the parsed events into the page's current macro as the editor does:
// each one as a recorded event, then its delay typed into the delay cell
// (which holds it to 40000 ms and cuts it to a multiple of 10 ms).
void FillEvents(MacroPageLogic& page, const std::vector<ParsedEvent>& events) {
  page.ClearEvents();
  for (const ParsedEvent& ev : events) page.InsertRecorded({ev.key_code, ev.state, 0});
  for (size_t i = 0; i < events.size(); ++i)
    page.CommitDelayCell(int(i), Utf8ToUtf16(events[i].delay.empty() ? "0" : events[i].delay));
}

}  // namespace

int CmdMacro(Context& ctx, std::span<const std::string> args) {
  static constexpr std::string_view kOptions[] = {"cycles"};
  const ParsedArgs parsed = ParseArgs(args, kOptions);
  if (parsed.error) return ctx.Fail(kExitUsage, *parsed.error, "usage");
  const auto& p = parsed.positional;
  const std::string action = p.empty() ? "" : p[0];
  const size_t want = action == "list" ? 1 : action == "show" || action == "delete" ? 2 : action == "rename" ? 3 : 0;
  const bool add = action == "add";
  if ((!add && (want == 0 || p.size() != want)) || (add && p.size() < 3))
    return ctx.Fail(kExitUsage,
                    "usage: keyloomctl macro list | show NAME | add NAME [--cycles N] EVENTS... | rename NAME NEW | "
                    "delete NAME",
                    "usage");
  ctx.command = "macro " + action;
  std::optional<int> cycles;
  if (auto it = parsed.options.find("cycles"); it != parsed.options.end()) {
    if (!add) return ctx.Fail(kExitUsage, "--cycles goes with macro add", "usage");
    cycles = ParseInt(it->second, 1, 255);
    if (!cycles) return ctx.Fail(kExitUsage, "--cycles takes 1-255, not " + it->second, "bad_value");
  }
  if (add || action == "rename") {
    const std::string& name = p[add ? 1 : 2];
    if (name.empty() || Utf8ToUtf16(name).size() > size_t(kMaxMacroNameLength))
      return ctx.Fail(kExitUsage, "a macro name has 1 to " + std::to_string(kMaxMacroNameLength) + " characters",
                      "bad_value");
  }
  auto e = BeginKeyEdit(ctx, std::nullopt);
  if (!e) return kExitKeyboard;
  if (action == "list") return MacroList(ctx, *e);
  if (action == "show") return MacroShow(ctx, *e, p[1]);

  const TextSource& texts = e->session->texts.source;
  MacroEditor editor(ctx, *e);
  MacroPageLogic& page = editor.page;
  std::string text;
  JsonObject result = ctx.Result();
  if (add) {
    const std::string& name = p[1];
    const EventParse events = ParseMacroEvents(texts, std::span(p).subspan(2));
    if (!events.error.empty()) return ctx.Fail(kExitUsage, events.error, "bad_value");
    if (FindMacro(page.macros(), name) >= 0)
      return ctx.Fail(kExitUsage, "a macro named \"" + name + "\" exists already", "macro_exists");
    if (int(page.macros().size()) >= kMaxMacros)
      return ctx.Fail(kExitUsage, "the keyboard holds at most " + std::to_string(kMaxMacros) + " macros", "too_many");
    if (events.events.size() > size_t(kMaxMacroEvents))
      return ctx.Fail(kExitUsage, "a macro holds at most " + std::to_string(kMaxMacroEvents) + " events", "bad_value");
    page.AddMacro();
    page.Rename(Utf8ToUtf16(name));
    if (NameOf(page.macros()[page.current()]) != name)
      return ctx.Fail(kExitUsage, "the name \"" + name + "\" is the start of another macro's name; choose another",
                      "macro_exists");
    page.OnCyclesChanged(Utf8ToUtf16(std::to_string(cycles.value_or(1))));
    FillEvents(page, events.events);
    const MacroRecord& m = page.macros()[page.current()];
    text = "added macro " + name + ": " + FormatMacroEvents(texts, page.events()) + "\n";
    result.Add("name", name).Add("id", m.macro_id);
  } else {
    const int i = FindMacro(page.macros(), p[1]);
    if (i < 0) return NoSuchMacro(ctx, page.macros(), p[1]);
    page.SelectMacro(i);
    const std::string old_name = NameOf(page.macros()[i]);
    if (action == "rename") {
      const std::string& name = p[2];
      const int other = FindMacro(page.macros(), name);
      if (other >= 0 && other != i)
        return ctx.Fail(kExitUsage, "a macro named \"" + name + "\" exists already", "macro_exists");
      page.Rename(Utf8ToUtf16(name));
      if (NameOf(page.macros()[i]) != name)
        return ctx.Fail(kExitUsage, "the name \"" + name + "\" is the start of another macro's name; choose another",
                        "macro_exists");
      text = "renamed macro " + old_name + " to " + name + "\n";
      result.Add("name", name).Add("old_name", old_name);
    } else {
      page.DeleteMacro(e->edit());
      text = "deleted macro " + old_name + "\n";
      result.Add("name", old_name);
    }
  }
  page.Commit(e->session->stores, e->active, editor.host);
  return FinishKeyEdit(ctx, *e, text, result);
}

}  // namespace keyloom::ctl
