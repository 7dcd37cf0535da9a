#include "device/presence.h"

#include <array>
#include <chrono>

#include "base/text.h"

namespace keyloom {

namespace {

uint16_t HexAfter(const std::u16string& path, std::u16string_view tag) {
  const size_t at = FindIgnoreAsciiCase(path, tag);
  if (at == std::u16string::npos) return 0;
  uint32_t value = 0;
  for (size_t i = at + tag.size(); i < path.size(); ++i) {
    const char16_t c = AsciiLower(path[i]);
    int digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else break;
    value = (value << 4) | static_cast<uint32_t>(digit);
    if (value > 0xFFFF) return 0;  // not a 16-bit id
  }
  return static_cast<uint16_t>(value);
}

bool Matches(const HidInterface& hid, uint16_t usage_page, uint16_t usage) {
  const HidAttributes a = hid.attributes();
  const HidCaps c = hid.caps();
  return FindModel(a.vendor_id, a.product_id) != nullptr && c.usage_page == usage_page && c.usage == usage;
}

}  // namespace

bool IsCandidatePath(HidBackend& backend, const std::u16string& path) {
  uint16_t vid, pid;
  if (auto ids = backend.IdsOfPath(path)) {
    vid = ids->vendor_id;
    pid = ids->product_id;
  } else {
    vid = HexAfter(path, u"vid_");
    pid = HexAfter(path, u"pid_");
  }
  return FindModel(vid, pid) != nullptr;
}

void StopSignal::Stop() {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  cv_.notify_all();
}

bool StopSignal::Sleep(Clock& clock, int64_t ms) {
  std::unique_lock lock(mutex_);
  return !clock.WaitFor(cv_, lock, ms, [this] { return stopped_.load(); });
}

// --- keyboard watcher ---

void KeyboardWatcher::Run(StopSignal& stop) {
  if (state_.quiet_start) link_.clock.SleepMs(10);
  if (!Probe()) return;
  while (!stop.stopped()) {
    if (!Step()) return;
    if (!stop.Sleep(link_.clock, PeriodMs())) return;
  }
}

bool KeyboardWatcher::OpenMatching() {
  while (auto path = link_.hid.NextPath()) {
    if (!IsCandidatePath(link_.hid.backend(), *path)) continue;
    if (!link_.hid.Open(*path, true, true, true, false)) continue;
    if (Matches(link_.hid, kVendorUsagePage, kVendorUsage)) return true;
    link_.hid.Close();
  }
  return false;
}

bool KeyboardWatcher::Probe() {
  if (!link_.hid.Enumerate()) return false;
  if (OpenMatching()) {
    link_.connected = 1;
    std::array<uint8_t, kSettingsSize> settings{};
    commands_.ReadSettings(settings);  // wakes the keyboard; the contents are not used
    link_.hid.Close();
  }
  link_.hid.FreePaths();
  link_.connected = 0;
  return true;
}

bool KeyboardWatcher::Step() {
  if (link_.connected) {
    Check();
    return true;
  }
  return Scan();
}

void KeyboardWatcher::Check() {
  if (link_.hid.backend().Probe(link_.hid.path())) return;
  link_.connected = 0;
  OnKeyboardPresence(0);
}

bool KeyboardWatcher::Scan() {
  if (!link_.hid.Enumerate()) return false;
  const bool found = OpenMatching();
  if (found) {
    const HidAttributes a = link_.hid.attributes();
    link_.SetModel(*FindModel(a.vendor_id, a.product_id));
    link_.connected = 1;
    OnKeyboardPresence(1);
  }
  if (!first_scan_done_) {
    first_scan_done_ = true;
    if (!found) state_.quiet_start = 1;
  }
  link_.hid.FreePaths();
  return true;
}

void KeyboardWatcher::OnKeyboardPresence(int present) {
  if (present == state_.last_reported) return;
  if (!present) {
    link_.active_profile_cache = -1;
    sink_.SendRemoval();
    sink_.HideMainWindow();
    state_.remembered_tray_image = kTrayNoKeyboard;
    sink_.SetTrayImage(kTrayNoKeyboard);
  } else {
    std::array<uint8_t, kMaxKeyMapSize> matrix{};
    const size_t size = static_cast<size_t>(link_.keymap_size.load());
    int matrix_read, settings_read;
    std::array<uint8_t, kSettingsSize> settings{};
    {
      // The two reads in one exchange; the window is reached only after it,
      // since its handling of the arrival sends commands itself.
      KeyboardExchange exchange(link_);
      matrix_read = commands_.ReadDefaultKeyMap(std::span(matrix).first(size));
      settings_read = commands_.ReadSettings(settings);
    }
    if (matrix_read == kResultOk)
      link_.SetDefaultMatrix(std::span(matrix).first(size));
    else
      sink_.ShowMessage(u"MAIN_DEFAULT_MATRIX_PROMPT");
    if (settings_read == kResultOk) link_.macro_capacity = settings[11] * 128;
    sink_.SendArrival();
    state_.remembered_tray_image = kTrayKeyboard;
    sink_.SetTrayImage(kTrayKeyboard);
  }
  state_.last_reported = present;
  if (!state_.quiet_start) {
    if (present) sink_.PostOpen();
    state_.quiet_start = 1;
  }
}

// --- notification reader ---

void NotificationReader::Run(StopSignal& stop) {
  while (!stop.stopped()) {
    if (!ScanOnce(stop)) return;
    if (!stop.Sleep(clock_, 1000)) return;
  }
}

bool NotificationReader::ScanOnce(StopSignal& stop) {
  if (!hid_.Enumerate()) return false;
  while (auto path = hid_.NextPath()) {
    if (stop.stopped()) break;
    if (!IsCandidatePath(hid_.backend(), *path)) continue;
    if (!hid_.Open(*path, true, false, true, false)) continue;
    if (!Matches(hid_, kConsumerUsagePage, kConsumerUsage)) {
      hid_.Close();
      continue;
    }
    std::vector<uint8_t> report(std::max<size_t>(hid_.caps().input_report_length, 1));
    size_t got = 0;
    while (!stop.stopped() && hid_.ReadReport(report.data(), report.size(), &got, -1)) {
      hid_.ParseInputReport(report.data(), got);
      const auto& items = hid_.input_items();
      const uint16_t usage = !items.empty() && !items[0].usages.empty() ? items[0].usages[0] : 0;
      Act(usage);
    }
    hid_.Close();  // the keyboard went away: look for it again later
    break;
  }
  hid_.FreePaths();
  return true;
}

void NotificationReader::Act(uint16_t usage) {
  switch (usage) {
    case 0x0401: sink_.StartTimer(kTimerLightingChanged); break;
    case 0x0402: sink_.StartTimer(kTimerProfileChanged); break;
    case 0x1811: sink_.SetTrayImage(kTrayTemporary); break;
    case 0x1810: sink_.SetTrayImage(state_.remembered_tray_image); break;
    default: break;
  }
}

// --- threads ---

PresenceThreads::PresenceThreads(KeyboardLink& link, CommandSet& commands, PresenceState& state,
                                 PresenceSink& sink, HidBackend& backend)
    : watcher_(link, commands, state, sink), reader_(backend, link.clock, state, sink) {
  reader_thread_ = std::thread([this] {
    reader_.Run(stop_);
    Ended();
  });
  watcher_thread_ = std::thread([this] {
    watcher_.Run(stop_);
    Ended();
  });
}

PresenceThreads::~PresenceThreads() { Stop(); }

void PresenceThreads::Ended() {
  std::lock_guard lock(ended_mutex_);
  --running_;
  ended_cv_.notify_all();
}

void PresenceThreads::RequestStop() {
  stop_.Stop();
  reader_.Interrupt();
}

bool PresenceThreads::WaitEnded(int ms) {
  std::unique_lock lock(ended_mutex_);
  return ended_cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return running_ <= 0; });
}

void PresenceThreads::StopWhileServing(const std::function<void(int ms)>& serve) {
  RequestStop();
  while (!WaitEnded(0)) {
    if (serve) {
      serve(10);
    } else {
      WaitEnded(10);
    }
  }
  Stop();
}

void PresenceThreads::Stop() {
  RequestStop();
  if (reader_thread_.joinable()) reader_thread_.join();
  if (watcher_thread_.joinable()) watcher_thread_.join();
}

}  // namespace keyloom
