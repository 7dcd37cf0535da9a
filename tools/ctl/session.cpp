#include "session.h"

#include "base/text.h"
#include "model/lighting.h"
#include "storage/file_paths.h"
#include "storage/user_data.h"
#if !defined(_WIN32)
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

std::u16string UserDataFolder() { return DefaultUserDataFolder(); }

std::u16string WorkingProfilePath() { return JoinPath(UserDataFolder(), u"$Profile0"); }

}  // namespace keyloom::ctl
