// backup and backups: the automatic backups Keyloom writes before it hands the
// keyboard to an updater, restores defaults or imports, made or listed by
// hand. They live in "Backups" in the user data folder.
#include <cstdio>

#include "base/text.h"
#include "commands.h"
#include "storage/backups.h"

namespace keyloom::ctl {

namespace {

std::string TimeText(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

}  // namespace

int CmdBackup(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  if (parsed.error || !parsed.positional.empty())
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl backup"));
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  if (!ActiveProfile(ctx, *s)) return kExitKeyboard;
  KeyboardBackups backups(KeyboardBackups::FolderIn(UserDataFolder()));
  const BackupResult result = backups.Write(s->commands, s->texts.source);
  const std::string folder = Utf16ToUtf8(backups.folder());
  switch (result.error) {
    case BackupError::kNone: break;
    case BackupError::kKeyboard:
      return ctx.KeyboardFailed("reading the key maps and macros", result.keyboard_result);
    case BackupError::kFolder: return ctx.Fail(kExitFile, "cannot make the folder " + folder);
    case BackupError::kWrite:
      return ctx.Fail(kExitFile, "cannot write " + Utf16ToUtf8(result.path) + ": " + DescribeSaveError(result.save));
  }
  const std::string path = Utf16ToUtf8(result.path);
  if (!ctx.json) ctx.out << "backed up to " << path << "\n";
  return ctx.Done(ctx.Result().Add("file", path));
}

int CmdBackups(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  if (parsed.error || !parsed.positional.empty())
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl backups"));
  const KeyboardBackups backups(KeyboardBackups::FolderIn(UserDataFolder()));
  JsonArray list;
  std::string lines;
  for (const BackupFile& f : backups.List()) {
    const std::string path = Utf16ToUtf8(f.path);
    lines += path + "\n";
    list.AddRaw(JsonObject().Add("file", path).Add("time", TimeText(f.stamp.time)).str());
  }
  if (!ctx.json) {
    ctx.out << lines;
    return kExitDone;
  }
  return ctx.Done(ctx.Result().Add("folder", Utf16ToUtf8(backups.folder())).AddRaw("backups", list.str()));
}

}  // namespace keyloom::ctl
