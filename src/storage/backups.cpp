#include "storage/backups.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "base/file_read.h"
#include "device/command_set.h"
#include "model/text_source.h"
#include "storage/file_paths.h"
#include "storage/language.h"
#include "storage/profile_file.h"

namespace keyloom {

namespace {

constexpr std::u16string_view kPrefix = u"Backup ";
constexpr std::u16string_view kExtension = u".fwc";

void AppendNumber(std::u16string& out, int value, int digits) {
  std::u16string text;
  for (int i = 0; i < digits || value > 0; ++i) {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  }
  out += text;
}

// Reads exactly `digits` decimal digits at `at`.
std::optional<int> ReadNumber(std::u16string_view text, size_t& at, size_t digits) {
  if (text.size() < at + digits) return std::nullopt;
  int value = 0;
  for (size_t i = 0; i < digits; ++i) {
    const char16_t c = text[at + i];
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  at += digits;
  return value;
}

bool Expect(std::u16string_view text, size_t& at, std::u16string_view what) {
  if (text.substr(at, what.size()) != what) return false;
  at += what.size();
  return true;
}

auto Order(const BackupStamp& s) {
  const LocalDateTime& t = s.time;
  return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, s.number);
}

}  // namespace

std::u16string BackupFileName(const LocalDateTime& t, int number) {
  std::u16string name(kPrefix);
  AppendNumber(name, t.year, 4);
  name += u'-';
  AppendNumber(name, t.month, 2);
  name += u'-';
  AppendNumber(name, t.day, 2);
  name += u' ';
  AppendNumber(name, t.hour, 2);
  name += u'-';
  AppendNumber(name, t.minute, 2);
  name += u'-';
  AppendNumber(name, t.second, 2);
  if (number > 1) {
    name += u" (";
    AppendNumber(name, number, 1);
    name += u')';
  }
  name += kExtension;
  return name;
}

std::optional<BackupStamp> ParseBackupFileName(std::u16string_view name) {
  BackupStamp s;
  size_t at = 0;
  LocalDateTime& t = s.time;
  auto field = [&](int& out, size_t digits, std::u16string_view after) {
    const std::optional<int> v = ReadNumber(name, at, digits);
    if (!v) return false;
    out = *v;
    return Expect(name, at, after);
  };
  if (!Expect(name, at, kPrefix) || !field(t.year, 4, u"-") || !field(t.month, 2, u"-") || !field(t.day, 2, u" ") ||
      !field(t.hour, 2, u"-") || !field(t.minute, 2, u"-") || !field(t.second, 2, u""))
    return std::nullopt;
  if (Expect(name, at, u" (")) {
    // 2 .. 9999: what BackupFileName makes for a repeated second.
    size_t digits = 0;
    while (at + digits < name.size() && digits < 5 && name[at + digits] >= u'0' && name[at + digits] <= u'9') ++digits;
    if (digits == 0 || digits > 4 || name[at] == u'0') return std::nullopt;
    s.number = *ReadNumber(name, at, digits);
    if (s.number < 2 || !Expect(name, at, u")")) return std::nullopt;
  }
  if (!Expect(name, at, kExtension) || at != name.size()) return std::nullopt;
  return s;
}

KeyboardBackups::KeyboardBackups(std::u16string folder, std::function<LocalDateTime()> now)
    : folder_(std::move(folder)), now_(std::move(now)) {}

std::u16string KeyboardBackups::FolderIn(const std::u16string& user_data_folder) {
  return JoinPath(user_data_folder, kBackupsFolderName);
}

BackupResult KeyboardBackups::Write(CommandSet& commands, const TextSource& texts, const WriteFaults* faults) {
  BackupResult result;
  // The keyboard first: a keyboard that cannot be read leaves no file.
  std::vector<uint8_t> file;
  result.keyboard_result = ReadProfileFromKeyboard(commands, texts, file);
  if (result.keyboard_result != kResultOk) {
    result.error = BackupError::kKeyboard;
    return result;
  }
  std::error_code ec;
  const std::filesystem::path folder = FsPath(folder_);
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    result.error = BackupError::kFolder;
    return result;
  }
  // A name no other backup has: the same second gets a number.
  const LocalDateTime now = now_ ? now_() : LocalDateTime{};
  std::u16string name;
  for (int number = 1;; ++number) {
    name = BackupFileName(now, number);
    if (!std::filesystem::exists(FsPath(JoinPath(folder_, name)), ec) || number >= 9999) break;
  }
  result.path = JoinPath(folder_, name);
  const std::span<const uint8_t> pieces[] = {file};
  result.save = SaveFileAtomically(result.path, pieces, faults);
  if (!result.save) {
    result.error = BackupError::kWrite;
    return result;
  }
  Prune();
  return result;
}

std::vector<BackupFile> KeyboardBackups::List() const {
  std::vector<BackupFile> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(FsPath(folder_), ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::u16string name = FromFsPath(it->path().filename());
    if (const std::optional<BackupStamp> stamp = ParseBackupFileName(name))
      files.push_back({JoinPath(folder_, name), name, *stamp});
  }
  std::sort(files.begin(), files.end(),
            [](const BackupFile& a, const BackupFile& b) { return Order(a.stamp) > Order(b.stamp); });
  return files;
}

void KeyboardBackups::Prune() const {
  const std::vector<BackupFile> files = List();
  std::error_code ec;
  for (size_t i = kBackupsKept; i < files.size(); ++i) std::filesystem::remove(FsPath(files[i].path), ec);
}

bool BackUpBeforeReplacing(KeyboardBackups& backups, CommandSet& commands, const TextSource& texts,
                           const std::function<bool(std::u16string_view question)>& ask_yes_no) {
  if (backups.Write(commands, texts)) return true;
  const std::u16string question =
      TextOr(texts, kBackupFailedPromptKey,
             u"The keyboard's current key assignments and macros could not be backed up. Continue without a backup?");
  return ask_yes_no && ask_yes_no(question);
}

}  // namespace keyloom
