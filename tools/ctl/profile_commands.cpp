// export, import and keys: profile files and key assignments, through the
// profile file operations, the apply and the key-map decoder.
#include <array>
#include <filesystem>

#include "base/atomic_file.h"
#include "base/file_read.h"
#include "base/format.h"
#include "base/text.h"
#include "commands.h"
#include "key_edit.h"
#include "model/key_map.h"
#include "model/key_names.h"
#include "model/macro.h"
#include "storage/profile_file.h"

namespace keyloom::ctl {

namespace {

// Reads and checks a profile file, for reading only and never more than the
// largest valid one. On failure reports it (exit 2 for a file that cannot be
// read, 3 for one that is not a valid profile file) and stores the exit code
// in `exit`.
std::optional<std::vector<uint8_t>> ValidProfileFile(Context& ctx, const TextSource& texts, const std::string& path,
                                                     int& exit) {
  std::vector<uint8_t> bytes;
  const ReadResult read = ReadFileBounded(PathFromArgument(path), kMaxProfileFileBytes, bytes);
  const std::string not_valid = Utf16ToUtf8(FormatText(texts.Text(u"PROFILE_FORMAT_ERROR"), Utf8ToUtf16(path)));
  if (read.error == ReadError::kTooLarge) {
    exit = ctx.Fail(kExitBadProfileFile,
                    not_valid + " It holds " + std::to_string(read.size) + " bytes, more than any profile file.",
                    "bad_profile_file");
    return std::nullopt;
  }
  if (read.error == ReadError::kMissing) {
    exit = ctx.Fail(kExitFile, path + " does not exist", "file_missing");
    return std::nullopt;
  }
  if (!read) {
    exit = ctx.Fail(kExitFile, "cannot read " + path + ": " + DescribeReadError(read), "file_unreadable");
    return std::nullopt;
  }
  if (CheckProfileBytes(bytes) != ProfileCheck::kValid) {
    exit = ctx.Fail(kExitBadProfileFile, not_valid);
    return std::nullopt;
  }
  return bytes;
}

const char* TypeName(KeyType type) {
  switch (type) {
    case KeyType::kDefault: return "default";
    case KeyType::kDisabled: return "disabled";
    case KeyType::kKey: return "key";
    case KeyType::kLaunchProgram: return "launch-program";
    case KeyType::kPlayMacro: return "play-macro";
    case KeyType::kStopMacro: return "stop-macro";
    case KeyType::kTextBlock: return "text-block";
    case KeyType::kMedia: return "media";
    case KeyType::kFunction: return "function";
  }
  return "unknown";
}

// The assignment as the key editor's descriptive text words it, without the
// key's name and the "set" text in front. The types that text says nothing
// more about get a plain word.
std::u16string AssignmentText(const TextSource& texts, const KeyStore& store, int profile, uint16_t key_index,
                              const KeyRecord& record) {
  std::u16string text = KeyFunctionTip(texts, u"", record, store.macros).text;
  const std::u16string set = texts.Text(u"KEY_PROMPT_SET");
  if (text.compare(0, set.size(), set) == 0) text.erase(0, set.size());
  if (!text.empty()) return text;
  const StringSlot* slot = nullptr;
  const int number = RecordNumber(profile, key_index);
  if (number >= 0 && static_cast<size_t>(number) < store.slots.size() && store.slots[number].size)
    slot = &store.slots[number];
  switch (record.kind()) {
    case KeyType::kDisabled: return u"disabled";
    case KeyType::kStopMacro: return u"stop macro";
    case KeyType::kLaunchProgram: return slot ? u"launch program " + slot->text : u"launch program";
    case KeyType::kTextBlock: return slot ? u"text block \"" + slot->text + u"\"" : u"text block";
    default: return u"type " + Utf8ToUtf16(std::to_string(record.type));
  }
}

}  // namespace

int CmdExport(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  if (parsed.error || parsed.positional.size() != 1)
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl export FILE"));
  const std::string& path = parsed.positional[0];
  const std::u16string file = PathFromArgument(path);
  // What cannot be written is said before the keyboard is read.
  if (const SaveResult target = CheckSaveTarget(file); !target)
    return ctx.Fail(kExitFile, "cannot write " + path + ": " + DescribeSaveError(target), "file_unwritable");
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  if (!ActiveProfile(ctx, *s)) return kExitKeyboard;
  std::vector<uint8_t> bytes;
  const int read = ReadProfileFromKeyboard(s->commands, s->texts.source, bytes);
  if (read != kResultOk) return ctx.KeyboardFailed("reading the key maps and macros", read);
  if (const SaveResult saved = SaveFileAtomically(file, std::array{std::span<const uint8_t>(bytes)}); !saved)
    return ctx.Fail(kExitFile, "cannot write " + path + ": " + DescribeSaveError(saved), "file_unwritable");
  if (!ctx.json) ctx.out << "exported to " << path << "\n";
  return ctx.Done(ctx.Result().Add("file", path));
}

int CmdImport(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  if (parsed.error || parsed.positional.size() != 1)
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl import FILE"));
  const std::string& path = parsed.positional[0];
  // The file is judged before the keyboard is looked for: a bad file never
  // reaches it.
  {
    auto texts = ctx.TextsOnly();
    int exit = kExitDone;
    if (!ValidProfileFile(ctx, texts->source, path, exit)) return exit;
  }
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;

  // The main window's import saves the working profile file, which exists
  // once the main window has read the keyboard; keyloomctl creates it when
  // the main window has not.
  const std::u16string working = WorkingProfilePath();
  const std::string working_name = Utf16ToUtf8(working);
  SeedUserDataFolder(ctx, *s);
  std::error_code ec;
  if (!std::filesystem::exists(FsPath(working), ec)) NewProfileFile(working, 0, nullptr);

  ProfileImportContext import{s->stores, s->commands, s->texts.source, s->messages, working, nullptr};
  if (!ImportProfileFile(PathFromArgument(path), import)) {
    // Checked above: the file changed meanwhile, or memory ran out.
    return ctx.Fail(kExitFile, "cannot load " + path, "file_unreadable");
  }
  if (!import.applied) {
    // As after the main window's Apply: what the keyboard did not take is
    // kept, and can be sent again.
    if (s->link.in_use_by_other_program && import.working_profile_saved)
      return ctx.Fail(kExitKeyboard, std::string(kInUseText) + "; the working profile file " + working_name +
                                         " holds " + path + ": run this import again to finish");
    if (import.working_profile_saved)
      return ctx.Fail(kExitKeyboard, "the keyboard did not take the key maps and macros; the working profile file " +
                                         working_name + " holds " + path +
                                         ": run this import again, or press Apply in Keyloom, to finish",
                      "apply_failed");
    return ctx.Fail(kExitKeyboard, "the keyboard did not take the key maps and macros, and the working profile file " +
                                       working_name + " could not be saved: run this import again to finish",
                    "apply_failed");
  }
  if (!ctx.json) ctx.out << "imported " << path << " and applied profiles 1-3\n";
  return ctx.Done(ctx.Result().Add("file", path).Add("working_profile_file", working_name));
}

int CmdKeys(Context& ctx, std::span<const std::string> args) {
  static constexpr std::string_view kOptions[] = {"profile", "file", "cycles"};
  const ParsedArgs parsed = ParseArgs(args, kOptions);
  if (!parsed.error && !parsed.positional.empty() &&
      (parsed.positional[0] == "set" || parsed.positional[0] == "reset"))
    return CmdKeysEdit(ctx, parsed);
  if (parsed.error || !parsed.positional.empty() || parsed.options.count("cycles"))
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl keys [--profile N] [--file FILE]"));
  std::optional<int> profile;
  if (auto it = parsed.options.find("profile"); it != parsed.options.end()) {
    profile = ParseProfile(it->second);
    if (!profile) return ctx.Fail(kExitUsage, "--profile takes 1, 2 or 3, not " + it->second, "bad_value");
  }
  const auto file = parsed.options.find("file");
  const bool from_file = file != parsed.options.end();

  std::unique_ptr<Texts> own_texts;
  std::optional<KeyEdit> edit;
  KeyStore file_store;
  const KeyStore* shown = &file_store;
  if (from_file) {
    own_texts = ctx.TextsOnly();
    int exit = kExitDone;
    auto bytes = ValidProfileFile(ctx, own_texts->source, file->second, exit);
    if (!bytes) return exit;
    std::lock_guard lock(file_store.mutex);
    if (!ReadProfileBytes(*bytes, file_store))
      return ctx.Fail(kExitBadProfileFile, "cannot load the records of " + file->second);
    if (!profile) profile = 0;
  } else {
    // The assignments as the main window shows them: the working profile
    // file when the keyboard holds what it holds (program paths and text
    // blocks live only there), else the keyboard's own.
    edit = BeginKeyEdit(ctx, profile);
    if (!edit) return kExitKeyboard;
    profile = edit->profile;
    shown = &edit->edit();
  }
  const TextSource& texts = from_file ? own_texts->source : edit->session->texts.source;
  const KeyStore& store = *shown;
  std::lock_guard lock(store.mutex);

  JsonArray keys;
  std::string lines;
  for (uint16_t k = 0; k < kRecordsPerBlock; ++k) {
    const KeyRecord record = store.Record(*profile, k);
    if (!record.assigned()) continue;
    const std::string name = Utf16ToUtf8(KeyButtonName(texts, CodeFromKeyIndex(k)));
    const std::string assignment = Utf16ToUtf8(AssignmentText(texts, store, *profile, k, record));
    lines += name + ": " + assignment + "\n";
    keys.AddRaw(JsonObject()
                    .Add("key_index", k)
                    .Add("key", name)
                    .Add("type", TypeName(record.kind()))
                    .Add("value", static_cast<int64_t>(record.value))
                    .Add("assignment", assignment)
                    .str());
  }
  if (!ctx.json) {
    ctx.out << (lines.empty() ? "no keys are assigned in profile " + std::to_string(*profile + 1) +
                                    ": every key does its default\n"
                              : lines);
    return kExitDone;
  }
  return ctx.Done(ctx.Result()
                      .Add("profile", *profile + 1)
                      .Add("source", from_file ? file->second : std::string("keyboard"))
                      .AddRaw("keys", keys.str()));
}

}  // namespace keyloom::ctl
