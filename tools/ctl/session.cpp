#include "session.h"

#include "base/text.h"
#include "model/lighting.h"
#include "storage/file_paths.h"
#include "storage/user_data.h"
#if !defined(_WIN32)
#include <unistd.h>

#include "device/hid_linux.h"
#endif

namespace keyloom::ctl {

namespace {

HidEnvironment MakeEnvironment(Clock& clock, const std::u16string& model, const std::u16string& state_dir,
                               [[maybe_unused]] const Environment& env, std::ostream& err) {
  if (!model.empty()) {
    const std::string m = Utf16ToUtf8(model);
    const std::string dir = NativeFolderArgument(state_dir);
    return MakeHidEnvironment(clock, m.c_str(), dir.empty() ? nullptr : dir.c_str(),
                              [&err](const std::string& problem) { err << "keyloomctl: " << problem << "\n"; });
  }
#if !defined(_WIN32)
  if (env.hidraw_root && !env.hidraw_root->empty()) {
    const std::string root = Utf16ToUtf8(*env.hidraw_root);
    HidEnvironment e;
    e.backend = MakeLinuxHidBackend({root + "/sys", root + "/dev"});
    return e;
  }
#endif
  return MakeHidEnvironment(clock, nullptr, nullptr);
}

}  // namespace

void StreamMessages::ShowMessage(std::u16string_view text_key) { ShowText(texts_.Text(text_key)); }

void StreamMessages::ShowText(std::u16string_view text) {
  shown_.emplace_back(text);
  err_ << "keyloomctl: " << Utf16ToUtf8(text) << "\n";
}

Texts::Texts(const Environment& env)
    : ini(MakePlatformIniService()),
      settings(MakePlatformSettingsStore(*ini)),
      language(*ini, *settings, env.program_folder),
      source(language) {}

std::u16string Texts::ModeName(int mode) {
  return language.LookupModeText(ModeTextKey(mode), language.CurrentLanguageIndex());
}

Session::Session(const std::u16string& model, const std::u16string& state_dir, const Environment& env,
                 std::ostream& err)
    : texts(env),
      messages(err, texts.source),
      hid(MakeEnvironment(clock, model, state_dir, env, err)),
      link(*hid.backend, clock),
      commands(link),
      sink_(messages),
      watcher_(link, commands, presence_, sink_) {
  // Never a window to open.
  presence_.quiet_start = 1;
}

bool Session::Connect() {
  // A scan does not wait: with no keyboard present the answer is immediate,
  // not after the transaction's retries.
  watcher_.Step();
  return link.connected != 0;
}

std::string Session::UnopenableKeyboardNode() {
#if defined(_WIN32)
  return {};
#else
  if (!hid.backend || hid.simulated) return {};
  std::vector<std::u16string> paths;
  if (!hid.backend->Enumerate(paths)) return {};
  for (const std::u16string& path : paths) {
    const auto ids = hid.backend->IdsOfPath(path);
    if (!ids || !FindModel(ids->vendor_id, ids->product_id)) continue;
    const std::string node = FileNameToBytes(path);
    if (::access(node.c_str(), R_OK | W_OK) != 0) return node;
  }
  return {};
#endif
}

std::u16string UserDataFolder() { return DefaultUserDataFolder(); }

std::u16string WorkingProfilePath() { return JoinPath(UserDataFolder(), u"$Profile0"); }

}  // namespace keyloom::ctl
