// What one keyloomctl run works with: the keyboard link with its command set
// (found by one scan of the keyboard watcher), the language texts, the user
// data folder, and where messages for the user go.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "ctl.h"
#include "device/command_set.h"
#include "device/hid_backend.h"
#include "device/presence.h"
#include "model/key_store.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/message_boxes.h"
#include "storage/settings.h"

namespace keyloom::ctl {

// Message boxes become lines on the error stream; the texts shown are kept
// so the caller can tell what went wrong.
class StreamMessages final : public MessageBoxes {
 public:
  StreamMessages(std::ostream& err, const TextSource& texts) : err_(err), texts_(texts) {}
  void ShowMessage(std::u16string_view text_key) override;
  void ShowText(std::u16string_view text) override;
  const std::vector<std::u16string>& shown() const { return shown_; }

 private:
  std::ostream& err_;
  const TextSource& texts_;
  std::vector<std::u16string> shown_;
};

// The watcher's presence reports have no window to reach; a message it
// shows (the default key map could not be read) goes to the error stream.
class QuietPresenceSink final : public PresenceSink {
 public:
  explicit QuietPresenceSink(MessageBoxes& messages) : messages_(messages) {}
  void SendArrival() override {}
  void SendRemoval() override {}
  void PostOpen() override {}
  void HideMainWindow() override {}
  void SetTrayImage(int) override {}
  void StartTimer(int) override {}
  void ShowMessage(std::u16string_view text_key) override { messages_.ShowMessage(text_key); }

 private:
  MessageBoxes& messages_;
};

struct Texts {
  explicit Texts(const Environment& env);
  std::unique_ptr<IniService> ini;
  std::unique_ptr<SettingsStore> settings;
  LanguageTexts language;
  LanguageTextSource source;
  std::u16string ModeName(int mode);
};

class Session {
 public:
  // `model`/`state_dir`: the simulated keyboard to use (model empty: the
  // machine's own HID interfaces).
  Session(const std::u16string& model, const std::u16string& state_dir, const Environment& env,
          std::ostream& err);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One scan of the keyboard watcher, as at start-up: finds and opens the
  // command interface and runs the arrival reads (default key map, settings
  // block). False when no supported keyboard is present.
  bool Connect();
  // After a Connect that found nothing: the device node of a keyboard
  // interface that is present but that this user may not open (Linux
  // without the udev rule); empty when there is none.
  std::string UnopenableKeyboardNode();

  Texts texts;
  StreamMessages messages;
  SystemClock clock;
  HidEnvironment hid;
  KeyboardLink link;
  CommandSet commands;
  KeyStores stores;

 private:
  PresenceState presence_;
  QuietPresenceSink sink_;
  KeyboardWatcher watcher_;
};

// The user data folder and the working profile file in it.
std::u16string UserDataFolder();
std::u16string WorkingProfilePath();

}  // namespace keyloom::ctl
