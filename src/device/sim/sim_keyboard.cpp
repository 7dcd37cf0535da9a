#include "device/sim/sim_keyboard.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/atomic_file.h"
#include "base/file_read.h"
#include "device/default_matrix.h"

namespace keyloom {

namespace {

constexpr std::array<uint8_t, 42> kDefaultLightingRecord = {0x01, 0x04, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};

// Where model B keeps its nine G keys in its default key map.
constexpr int kModelBGKeyPositions[9] = {0, 1, 2, 3, 4, 5, 6, 7, 14};

// The memory's files, one bit each in the dirty mask.
enum StateFile : unsigned {
  kSettingsFile = 1u << 0,
  kParamsFile = 1u << 1,
  kKeyMapsFile = 1u << 2,
  kMacrosFile = 1u << 3,
  kDefaultKeyMapFile = 1u << 4,
  kKeyColoursFile = 1u << 5,
  kAllStateFiles = (1u << 6) - 1,
};

struct StateArea {
  StateFile file;
  const char* name;
  std::span<uint8_t> (*bytes)(SimMemory&);
};
constexpr StateArea kStateAreas[] = {
    {kSettingsFile, "settings.bin", [](SimMemory& m) { return std::span<uint8_t>(m.settings); }},
    {kParamsFile, "params.bin", [](SimMemory& m) { return std::span<uint8_t>(m.params); }},
    {kKeyMapsFile, "keymaps.bin", [](SimMemory& m) { return std::span<uint8_t>(m.keymaps); }},
    {kMacrosFile, "macros.bin", [](SimMemory& m) { return std::span<uint8_t>(m.macros); }},
    {kDefaultKeyMapFile, "default_keymap.bin", [](SimMemory& m) { return std::span<uint8_t>(m.default_keymap); }},
    {kKeyColoursFile, "keycolors.bin", [](SimMemory& m) { return std::span<uint8_t>(m.keycolors); }},
};

StateFile FileOfCommand(uint8_t command) {
  switch (static_cast<Command>(command)) {
    case Command::kWriteSettings: return kSettingsFile;
    case Command::kWriteParams: return kParamsFile;
    case Command::kWriteKeyMap: return kKeyMapsFile;
    case Command::kWriteMacros: return kMacrosFile;
    case Command::kWriteKeyColors: return kKeyColoursFile;
    default: return kAllStateFiles;
  }
}

}  // namespace

SimMemory FactoryMemory(const KeyboardModel& model) {
  SimMemory m;
  // Bytes 0-7 are the firmware's own; they must come back unchanged when the
  // active profile is written, so give them recognisable values.
  const uint8_t head[8] = {0x56, 0x52, 0x01, 0x07, 0x20, 0x26, 0x00, 0x01};
  std::copy(std::begin(head), std::end(head), m.settings.begin());
  m.settings[10] = 0;
  m.settings[11] = model.letter == 'A' ? 32 : 64;
  for (int i = 0; i < 20; ++i) m.settings[12 + i] = static_cast<uint8_t>(i + 1);
  for (int p = 0; p < 3; ++p) std::copy(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end(), m.params.begin() + p * 42);

  m.default_keymap.assign(kBuiltInDefaultMatrix.begin(), kBuiltInDefaultMatrix.begin() + model.keymap_size);
  if (model.letter == 'B') {
    for (int g = 0; g < 9; ++g) {
      uint8_t* e = &m.default_keymap[kModelBGKeyPositions[g] * 3];
      e[0] = 0x06;
      e[1] = 0xA2;
      e[2] = static_cast<uint8_t>(g + 1);
    }
  }
  m.keymaps.assign(static_cast<size_t>(3 * model.stride), 0);
  for (int p = 0; p < 3; ++p)
    std::copy(m.default_keymap.begin(), m.default_keymap.end(), m.keymaps.begin() + p * model.stride);
  m.macros.assign(size_t{m.settings[11]} * 128, 0);
  return m;
}

SimKeyboard::SimKeyboard(const KeyboardModel& model, Clock& clock)
    : model_(model), clock_(clock), memory_(FactoryMemory(model)) {}

SimKeyboard::~SimKeyboard() {
  std::lock_guard lock(mutex_);
  SaveState();
}

SimMemory SimKeyboard::Memory() const {
  std::lock_guard lock(mutex_);
  return memory_;
}

void SimKeyboard::EditMemory(const std::function<void(SimMemory&)>& edit) {
  std::lock_guard lock(mutex_);
  edit(memory_);
  SaveState(true);
}

std::vector<CommandFrame> SimKeyboard::Trace() const {
  std::lock_guard lock(mutex_);
  return trace_;
}

void SimKeyboard::ClearTrace() {
  std::lock_guard lock(mutex_);
  trace_.clear();
}

void SimKeyboard::SetStateDir(std::filesystem::path dir) {
  std::lock_guard lock(mutex_);
  state_dir_ = std::move(dir);
  state_writable_ = true;
  snapshot_written_ = false;
}

void SimKeyboard::SetProblemReporter(std::function<void(const std::string&)> report) {
  std::lock_guard lock(mutex_);
  report_ = std::move(report);
}

std::vector<std::string> SimKeyboard::Problems() const {
  std::lock_guard lock(mutex_);
  return problems_;
}

void SimKeyboard::Report(const std::string& problem) {
  problems_.push_back(problem);
  if (report_) report_(problem);
}

void SimKeyboard::Plug() {
  std::lock_guard lock(mutex_);
  if (plugged_) return;
  LoadState();
  // A keyboard in boot mode comes back from a new plug-in as itself (the
  // boot loader runs until the updater is done or the cable is pulled).
  memory_.boot_mode = false;
  plugged_ = true;
  ++generation_;
}

void SimKeyboard::Unplug() {
  std::lock_guard lock(mutex_);
  UnplugLocked();
}

void SimKeyboard::UnplugLocked() {
  if (!plugged_) return;
  in_exchange_ = false;
  SaveState();
  plugged_ = false;
  ++generation_;
  vendor_in_.clear();
  consumer_in_.clear();
  boot_in_.clear();
  cv_.notify_all();
}

bool SimKeyboard::plugged() const {
  std::lock_guard lock(mutex_);
  return plugged_;
}

uint64_t SimKeyboard::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

bool SimKeyboard::Alive(uint64_t generation) const {
  std::lock_guard lock(mutex_);
  return plugged_ && generation == generation_;
}

void SimKeyboard::SwitchProfileOnKeyboard(int profile) {
  {
    std::lock_guard lock(mutex_);
    memory_.settings[10] = static_cast<uint8_t>(profile);
    dirty_ |= kSettingsFile;
    SaveState();
  }
  SendConsumerUsage(kNotifyProfile);
}

void SimKeyboard::ChangeLightingOnKeyboard(uint8_t mode) {
  {
    std::lock_guard lock(mutex_);
    memory_.params[memory_.settings[10] * 42] = mode;
    dirty_ |= kParamsFile;
    SaveState();
  }
  SendConsumerUsage(kNotifyLighting);
}

void SimKeyboard::EnterTemporaryState() { SendConsumerUsage(kNotifyTemporaryOn); }
void SimKeyboard::LeaveTemporaryState() { SendConsumerUsage(kNotifyTemporaryOff); }

void SimKeyboard::SendConsumerUsage(uint16_t usage) {
  std::lock_guard lock(mutex_);
  if (!plugged_) return;
  Enqueue(consumer_in_, {{3, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)}});
  Enqueue(consumer_in_, {{3, 0, 0}});
}

void SimKeyboard::AddFault(int k, FaultKind kind, int value) {
  faults_.push_back({frames_ + k, kind, value});
}

std::optional<int> SimKeyboard::FaultAt(int n, FaultKind kind) const {
  for (const Fault& f : faults_)
    if (f.frame == n && f.kind == kind) return f.value;
  return std::nullopt;
}

void SimKeyboard::DropReplies(int count) {
  std::lock_guard lock(mutex_);
  drop_replies_ = count;
}

void SimKeyboard::DropRepliesAt(int k, int count) {
  std::lock_guard lock(mutex_);
  for (int i = 0; i < count; ++i) AddFault(k + i, FaultKind::kDrop, 0);
}

void SimKeyboard::ReplyStatusAt(int k, uint8_t status) {
  std::lock_guard lock(mutex_);
  AddFault(k, FaultKind::kStatus, status);
}

void SimKeyboard::StallWrites(bool stall) {
  std::lock_guard lock(mutex_);
  stall_writes_ = stall;
  cv_.notify_all();
}

void SimKeyboard::StallWriteAt(int k) {
  std::lock_guard lock(mutex_);
  AddFault(k, FaultKind::kStall, 0);
}

void SimKeyboard::UnplugAt(int k, UnplugMoment moment) {
  std::lock_guard lock(mutex_);
  const FaultKind kind = moment == UnplugMoment::kBeforeFrame ? FaultKind::kUnplugBefore
                         : moment == UnplugMoment::kAtFrame   ? FaultKind::kUnplugAt
                                                              : FaultKind::kUnplugAfterReply;
  AddFault(k, kind, 0);
}

void SimKeyboard::DelayReplyAt(int k, int extra_ms) {
  std::lock_guard lock(mutex_);
  AddFault(k, FaultKind::kDelay, extra_ms);
}

void SimKeyboard::SetLatencyMs(int ms) { latency_ms_ = ms; }

void SimKeyboard::QueueUnaskedReport(const CommandFrame& report) {
  std::lock_guard lock(mutex_);
  if (!plugged_) return;
  Enqueue(vendor_in_, {{report.begin(), report.end()}, clock_.NowMs()});
}

void SimKeyboard::SetJitterUs(int max_us, uint32_t seed) {
  jitter_state_ = seed;
  jitter_us_ = max_us;
}

void SimKeyboard::SetFrameHook(std::function<void(int, const CommandFrame&)> hook) {
  std::lock_guard lock(mutex_);
  frame_hook_ = std::move(hook);
}

int SimKeyboard::frames_seen() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

void SimKeyboard::Jitter() {
  const int max_us = jitter_us_;
  if (max_us <= 0) return;
  // A counter through a mixing function: every caller gets its own number
  // without a lock.
  uint32_t x = jitter_state_.fetch_add(0x9E3779B9u);
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  std::this_thread::sleep_for(std::chrono::microseconds(x % static_cast<uint32_t>(max_us + 1)));
}

SimKeyboard::InQueue& SimKeyboard::Queue(SimInterface iface) {
  switch (iface) {
    case SimInterface::kVendor: return vendor_in_;
    case SimInterface::kConsumer: return consumer_in_;
    case SimInterface::kBoot: break;
  }
  return boot_in_;
}

void SimKeyboard::Enqueue(InQueue& queue, InReport report) {
  // Reports arrive in the order of their arrival times; equal times keep the
  // order they were sent in.
  auto at = std::find_if(queue.begin(), queue.end(), [&](const InReport& r) { return r.ready_at > report.ready_at; });
  queue.insert(at, std::move(report));
  ++queue_version_;
  cv_.notify_all();
}

bool SimKeyboard::Arrived(const InQueue& queue) const {
  return !queue.empty() && queue.front().ready_at <= clock_.NowMs();
}

void SimKeyboard::Wake() {
  std::lock_guard lock(mutex_);
  cv_.notify_all();
}

void SimKeyboard::DiscardInput(SimInterface iface) {
  std::lock_guard lock(mutex_);
  // What has arrived goes; a report still on its way arrives later.
  InQueue& queue = Queue(iface);
  while (Arrived(queue)) queue.pop_front();
}

int SimKeyboard::Write(SimInterface iface, uint64_t generation, const std::atomic<bool>& aborted,
                       std::span<const uint8_t> report, int timeout_ms) {
  Jitter();
  const int latency = latency_ms_;
  if (latency > 0) clock_.SleepMs(latency);
  std::unique_lock lock(mutex_);
  auto gone = [&] { return !plugged_ || generation != generation_ || aborted.load(); };
  if (gone()) return 0;
  const bool vendor_frame = iface == SimInterface::kVendor && report.size() == kFrameSize;
  const int n = vendor_frame ? ++frames_ : 0;
  if (vendor_frame && FaultAt(n, FaultKind::kUnplugBefore)) {
    UnplugLocked();
    return 0;
  }
  if (vendor_frame && FaultAt(n, FaultKind::kStall)) {
    // The write never completes: it ends at its limit (or when the
    // interface goes) and the keyboard never sees the frame.
    clock_.WaitFor(cv_, lock, timeout_ms, gone);
    return 0;
  }
  if (stall_writes_) {
    clock_.WaitFor(cv_, lock, timeout_ms, [&] { return gone() || !stall_writes_; });
    if (gone() || stall_writes_) return 0;
  }
  if (!vendor_frame) return 1;  // accepted, ignored

  CommandFrame request;
  std::copy_n(report.begin(), kFrameSize, request.begin());
  trace_.push_back(request);
  if (frame_hook_) frame_hook_(n, request);
  bool changed = false;
  std::optional<CommandFrame> reply = Process(request, changed);
  if (reply) {
    if (const auto status = FaultAt(n, FaultKind::kStatus)) (*reply)[frame::kStatus] = static_cast<uint8_t>(*status);
    SealFrame(*reply);
    if (drop_replies_ > 0) {
      --drop_replies_;
    } else if (!FaultAt(n, FaultKind::kDrop)) {
      InReport in{{reply->begin(), reply->end()}, clock_.NowMs() + latency + FaultAt(n, FaultKind::kDelay).value_or(0)};
      in.unplug_when_read = FaultAt(n, FaultKind::kUnplugAfterReply).has_value();
      Enqueue(vendor_in_, std::move(in));
    }
  }
  const bool unplug = FaultAt(n, FaultKind::kUnplugAt).has_value();
  std::erase_if(faults_, [n](const Fault& f) { return f.frame <= n; });
  // Memory reaches the files once an exchange is over, not at every frame
  // of it (a macro area is some 150 frames).
  const uint8_t command = request[frame::kCommand];
  if (command == static_cast<uint8_t>(Command::kBeginExchange)) in_exchange_ = true;
  if (command == static_cast<uint8_t>(Command::kEndExchange)) in_exchange_ = false;
  if (changed) dirty_ |= FileOfCommand(command);
  if (!in_exchange_) SaveState();
  if (memory_.boot_mode || unplug) UnplugLocked();
  return 1;
}

int SimKeyboard::Read(SimInterface iface, uint64_t generation, const std::atomic<bool>& aborted,
                      std::span<uint8_t> out, size_t* done, int timeout_ms) {
  *done = 0;
  Jitter();
  std::unique_lock lock(mutex_);
  InQueue& queue = Queue(iface);
  auto gone = [&] { return !plugged_ || generation != generation_ || aborted.load(); };
  const int64_t deadline = timeout_ms < 0 ? -1 : clock_.NowMs() + timeout_ms;
  // Waits until the first report has arrived: on a clock that moves only
  // when waited on, each wait ends exactly at the next arrival or at the
  // limit, whichever is first.
  while (!gone() && !Arrived(queue)) {
    const int64_t now = clock_.NowMs();
    if (deadline >= 0 && now >= deadline) break;
    int64_t until = deadline;
    if (!queue.empty() && (until < 0 || queue.front().ready_at < until)) until = queue.front().ready_at;
    const uint64_t version = queue_version_;
    clock_.WaitFor(cv_, lock, until < 0 ? -1 : until - now,
                   [&] { return gone() || Arrived(queue) || queue_version_ != version; });
  }
  if (gone() || !Arrived(queue)) return 0;
  InReport report = std::move(queue.front());
  queue.pop_front();
  if (report.unplug_when_read) UnplugLocked();
  lock.unlock();
  const size_t n = std::min(report.bytes.size(), out.size());
  std::copy_n(report.bytes.begin(), n, out.begin());
  std::fill(out.begin() + n, out.end(), 0);
  *done = out.size();
  return 1;
}

bool SimKeyboard::Area(uint8_t command, std::span<uint8_t>& area) {
  switch (static_cast<Command>(command)) {
    case Command::kReadSettings:
    case Command::kWriteSettings: area = memory_.settings; return true;
    case Command::kReadParams:
    case Command::kWriteParams: area = memory_.params; return true;
    case Command::kReadKeyMap:
    case Command::kWriteKeyMap: area = memory_.keymaps; return true;
    case Command::kReadMacros:
    case Command::kWriteMacros: area = memory_.macros; return true;
    case Command::kReadDefaultKeyMap: area = memory_.default_keymap; return true;
    case Command::kWriteKeyColors: area = memory_.keycolors; return true;
    default: return false;
  }
}

std::optional<CommandFrame> SimKeyboard::Process(const CommandFrame& request, bool& changed) {
  const uint8_t command = request[frame::kCommand];
  if (command == static_cast<uint8_t>(Command::kEnterBootMode)) {
    memory_.boot_mode = true;  // no reply: the keyboard restarts into its boot loader
    return std::nullopt;
  }
  CommandFrame reply = MakeFrame(command, request[frame::kLength], LoadU16(&request[frame::kOffset]));
  auto refuse = [&] {
    reply[frame::kStatus] = kStatusRefused;
    return reply;
  };
  if (LoadU16(&request[frame::kChecksum]) != FrameChecksum(request)) return refuse();
  if (command == static_cast<uint8_t>(Command::kBeginExchange) ||
      command == static_cast<uint8_t>(Command::kEndExchange))
    return reply;

  std::span<uint8_t> area;
  if (!Area(command, area)) return refuse();
  const size_t length = request[frame::kLength];
  const size_t offset = LoadU16(&request[frame::kOffset]);
  if (length > kFrameData) return refuse();
  const bool is_write = command == static_cast<uint8_t>(Command::kWriteSettings) ||
                        command == static_cast<uint8_t>(Command::kWriteParams) ||
                        command == static_cast<uint8_t>(Command::kWriteKeyMap) ||
                        command == static_cast<uint8_t>(Command::kWriteMacros) ||
                        command == static_cast<uint8_t>(Command::kWriteKeyColors);
  if (command == static_cast<uint8_t>(Command::kReadParams)) {
    // The lighting refresh asks for 56 bytes at each record (0, 42, 84): the
    // firmware returns what the area holds and zeros past its end.
    if (offset >= area.size()) return refuse();
    const size_t n = std::min(kFrameData, area.size() - offset);
    std::copy_n(area.begin() + offset, n, reply.begin() + frame::kData);
    return reply;
  }
  if (offset + length > area.size()) return refuse();
  if (is_write) {
    if (!std::equal(area.begin() + offset, area.begin() + offset + length, request.begin() + frame::kData)) {
      std::copy_n(request.begin() + frame::kData, length, area.begin() + offset);
      changed = true;
    }
  } else {
    std::copy_n(area.begin() + offset, length, reply.begin() + frame::kData);
  }
  return reply;
}

void SimKeyboard::LoadState() {
  if (!state_dir_) return;
  SimMemory m = FactoryMemory(model_);
  bool whole = true;
  for (const StateArea& area : kStateAreas) {
    const std::span<uint8_t> bytes = area.bytes(m);
    const std::filesystem::path path = *state_dir_ / area.name;
    std::vector<uint8_t> file;
    const ReadResult r = ReadFileBounded(FromFsPath(path), bytes.size(), file);
    if (r && file.size() == bytes.size()) {
      std::copy(file.begin(), file.end(), bytes.begin());
    } else if (r.error != ReadError::kMissing) {  // a missing file was never written: the factory's
      whole = false;
      const std::string why = r || r.error == ReadError::kTooLarge
                                  ? "it holds " + std::to_string(r.size) + " bytes, not " + std::to_string(bytes.size())
                                  : DescribeReadError(r);
      Report("simulated keyboard: cannot use its memory file " + path.string() + ": " + why);
    }
    // The macro area's size follows the settings block.
    if (area.file == kSettingsFile) m.macros.assign(size_t{m.settings[11]} * 128, 0);
  }
  if (!whole) {
    Report("simulated keyboard: it runs on the factory contents for what it could not read and writes none of "
           "its memory files, so nothing in " + state_dir_->string() + " is lost; remove the file to start afresh");
    state_writable_ = false;
  }
  memory_ = std::move(m);
  dirty_ = 0;
  snapshot_written_ = false;
}

void SimKeyboard::SaveState(bool all) {
  // The first write of a run writes every file, so the folder always holds
  // the whole memory.
  if (all || (dirty_ != 0 && !snapshot_written_)) dirty_ = kAllStateFiles;
  if (!state_dir_ || !state_writable_ || dirty_ == 0) return;
  std::error_code ec;
  std::filesystem::create_directories(*state_dir_, ec);
  for (const StateArea& area : kStateAreas) {
    if (!(dirty_ & area.file)) continue;
    const std::filesystem::path path = *state_dir_ / area.name;
    const std::span<const uint8_t> pieces[] = {area.bytes(memory_)};
    const SaveResult r = SaveFileAtomically(FromFsPath(path), pieces);
    if (r) {
      dirty_ &= ~area.file;
      write_failed_ &= ~area.file;
    } else if (!(write_failed_ & area.file)) {
      write_failed_ |= area.file;  // said once, until a write succeeds again
      Report("simulated keyboard: cannot write its memory file " + path.string() + ": " + DescribeSaveError(r));
    }
  }
  if (dirty_ == 0) snapshot_written_ = true;
}

}  // namespace keyloom
