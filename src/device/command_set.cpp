#include "device/command_set.h"

#include <algorithm>
#include <cstring>

namespace keyloom {

const KeyboardModel* FindModel(uint16_t vendor_id, uint16_t product_id) {
  for (const KeyboardModel* m : {&kModelA, &kModelB})
    if (m->vendor_id == vendor_id && m->product_id == product_id) return m;
  return nullptr;
}

namespace {

// Whether `reply` can be the answer to `request`. The keyboard echoes the
// command, length and offset of the frame it answers, so a reply that names
// another frame is a late answer to an earlier one (it came after its time
// limit, while this frame's reply was awaited) and must not pass for this
// frame's: a block read would take another chunk's bytes (the macro area's
// 16-byte header and its first 56-byte chunk differ only in length). A reply
// whose command byte is 0 echoes nothing and is taken as it comes; report id
// and checksum are never looked at.
bool AnswersRequest(const CommandFrame& request, std::span<const uint8_t, kFrameSize> reply) {
  if (reply[frame::kCommand] == 0) return true;
  return std::equal(request.begin() + frame::kCommand, request.begin() + frame::kStatus,
                    reply.begin() + frame::kCommand);
}

}  // namespace

int CommandSet::Transact(std::span<const uint8_t> request, std::span<uint8_t, kFrameSize> reply) {
  if (!link_.connected) return kResultNoKeyboard;
  CommandFrame frame{};
  std::copy_n(request.begin(), std::min(request.size(), kFrameSize), frame.begin());
  KeyboardExchange exchange(link_);
  if (!exchange.held()) return kResultWriteFailed;
  return TransactLocked(frame, reply);
}

int CommandSet::TransactLocked(const CommandFrame& request, std::span<uint8_t, kFrameSize> reply) {
  HidInterface& hid = link_.hid;
  Clock& clock = link_.clock;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    // A reply that came after its time limit must not pass for this one's.
    hid.DiscardPendingInput();
    size_t written = 0;
    if (!hid.WriteReport(request.data(), kFrameSize, &written, kWriteLimitMs) || written != kFrameSize)
      return kResultWriteFailed;
    // Reports that answer another frame are passed over within the limit.
    const int64_t deadline = clock.NowMs() + kReplyLimitMs;
    for (int64_t left = kReplyLimitMs; left > 0; left = deadline - clock.NowMs()) {
      size_t read = 0;
      if (!hid.ReadReport(reply.data(), kFrameSize, &read, static_cast<int>(left))) break;
      if (AnswersRequest(request, reply)) return kResultOk;
    }
  }
  return kResultNoKeyboard;
}

int CommandSet::SendOnly(std::span<const uint8_t> request) {
  if (!link_.connected) return 0;
  CommandFrame frame{};
  std::copy_n(request.begin(), std::min(request.size(), kFrameSize), frame.begin());
  KeyboardExchange exchange(link_);
  if (!exchange.held()) return 0;
  size_t written = 0;
  return link_.hid.WriteReport(frame.data(), kFrameSize, &written, kWriteLimitMs) && written == kFrameSize;
}

int CommandSet::SingleFrame(CommandFrame& request, std::span<uint8_t, kFrameSize> reply) {
  SealFrame(request);
  const int result = Transact(request, reply);
  if (result != kResultOk) return result;
  return StatusResult(reply[frame::kStatus]);
}

int CommandSet::BlockRead(Command command, int base, std::span<uint8_t> data) {
  if (!link_.connected) return kResultNoKeyboard;
  KeyboardExchange exchange(link_);
  CommandFrame request = MakeFrame(static_cast<uint8_t>(command), 0, 0);
  CommandFrame reply{};
  const size_t total = data.size();
  for (size_t k = 0; k < total; k += kFrameData) {
    const size_t chunk = std::min(kFrameData, total - k);
    request[frame::kLength] = static_cast<uint8_t>(chunk);
    StoreU16(&request[frame::kOffset], static_cast<uint16_t>(base + k));
    const int result = SingleFrame(request, reply);
    if (result != kResultOk) return result;
    std::copy_n(reply.begin() + frame::kData, chunk, data.begin() + k);
  }
  return kResultOk;
}

int CommandSet::BlockWrite(Command command, int base, std::span<const uint8_t> data) {
  if (!link_.connected) return kResultNoKeyboard;
  KeyboardExchange exchange(link_);
  // One frame serves every chunk: after a short last chunk the bytes beyond
  // it still hold the previous chunk's data, and are sent and summed as such.
  CommandFrame request = MakeFrame(static_cast<uint8_t>(command), 0, 0);
  CommandFrame reply{};
  const size_t total = data.size();
  for (size_t k = 0; k < total; k += kFrameData) {
    const size_t chunk = std::min(kFrameData, total - k);
    request[frame::kLength] = static_cast<uint8_t>(chunk);
    StoreU16(&request[frame::kOffset], static_cast<uint16_t>(base + k));
    std::copy_n(data.begin() + k, chunk, request.begin() + frame::kData);
    const int result = SingleFrame(request, reply);
    if (result != kResultOk) return result;
  }
  return kResultOk;
}

int CommandSet::KeyMapTransfer(Command command, int profile, uint8_t* block, size_t capacity) {
  if (static_cast<unsigned>(profile) > 2) return kResultBadProfile;
  const int base = profile * link_.stride;
  // The key-map size is the connected model's, set at arrival; a block too
  // small for it is never overrun.
  const size_t size = std::min(static_cast<size_t>(link_.keymap_size.load()), capacity);
  if (command == Command::kReadKeyMap) return BlockRead(command, base, {block, size});
  return BlockWrite(command, base, {block, size});
}

int CommandSet::BeginExchange() {
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kBeginExchange), 0, 0);
  CommandFrame reply{};
  return SingleFrame(request, reply);
}

int CommandSet::EndExchange() {
  link_.clock.SleepMs(kEndExchangePauseMs);
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kEndExchange), 0, 0);
  CommandFrame reply{};
  return SingleFrame(request, reply);
}

int CommandSet::ReadSettings(std::span<uint8_t, kSettingsSize> settings) {
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kReadSettings), kSettingsSize, 0);
  CommandFrame reply{};
  const int result = SingleFrame(request, reply);
  if (result == kResultOk) std::copy_n(reply.begin() + frame::kData, kSettingsSize, settings.begin());
  return result;
}

int CommandSet::WriteSettings(std::span<const uint8_t, kSettingsSize> settings) {
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kWriteSettings), kSettingsSize, 0);
  std::copy(settings.begin(), settings.end(), request.begin() + frame::kData);
  CommandFrame reply{};
  return SingleFrame(request, reply);
}

int CommandSet::ReadParams(int offset, int length, std::span<uint8_t, kFrameData> out) {
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kReadParams),
                                   static_cast<uint8_t>(std::clamp(length, 0, int{kFrameData})),
                                   static_cast<uint16_t>(offset));
  CommandFrame reply{};
  const int result = SingleFrame(request, reply);
  if (result == kResultOk) std::copy_n(reply.begin() + frame::kData, kFrameData, out.begin());
  return result;
}

int CommandSet::WriteParams(int offset, std::span<const uint8_t> bytes) {
  const size_t n = std::min(bytes.size(), kFrameData);
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kWriteParams), static_cast<uint8_t>(n),
                                   static_cast<uint16_t>(offset));
  std::copy_n(bytes.begin(), n, request.begin() + frame::kData);
  CommandFrame reply{};
  return SingleFrame(request, reply);
}

int CommandSet::ReadKeyMap(int profile, std::span<uint8_t> block) {
  return KeyMapTransfer(Command::kReadKeyMap, profile, block.data(), block.size());
}

int CommandSet::WriteKeyMap(int profile, std::span<const uint8_t> block) {
  return KeyMapTransfer(Command::kWriteKeyMap, profile, const_cast<uint8_t*>(block.data()), block.size());
}

int CommandSet::ReadMacros(std::span<uint8_t> area) { return BlockRead(Command::kReadMacros, 0, area); }

int CommandSet::WriteMacros(std::span<const uint8_t> area) { return BlockWrite(Command::kWriteMacros, 0, area); }

int CommandSet::ReadDefaultKeyMap(std::span<uint8_t> block) {
  const size_t size = std::min(static_cast<size_t>(link_.keymap_size.load()), block.size());
  return BlockRead(Command::kReadDefaultKeyMap, 0, block.first(size));
}

int CommandSet::WriteKeyColors(int lighting_profile, int first_led, std::span<const uint8_t> colours) {
  const size_t n = std::min(colours.size(), kFrameData);
  const int offset = first_led * 3 + lighting_profile * 512;
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kWriteKeyColors), static_cast<uint8_t>(n),
                                   static_cast<uint16_t>(offset));
  std::copy_n(colours.begin(), n, request.begin() + frame::kData);
  CommandFrame reply{};
  return SingleFrame(request, reply);
}

int CommandSet::EnterBootMode() {
  // The boot-mode frame carries no checksum: 04 00 00 EE EE, then zeros.
  CommandFrame request{};
  request[0] = kReportId;
  request[frame::kCommand] = static_cast<uint8_t>(Command::kEnterBootMode);
  request[frame::kLength] = static_cast<uint8_t>(Command::kEnterBootMode);
  return SendOnly(request);
}

int CommandSet::GetActiveProfile() {
  const int cached = link_.active_profile_cache;
  if (cached != -1) return cached;
  std::array<uint8_t, kSettingsSize> settings{};
  if (ReadSettings(settings) != kResultOk) return -1;
  link_.active_profile_cache = settings[10];
  return settings[10];
}

int CommandSet::SetActiveProfile(int profile) {
  if (profile < 0) return kResultNoKeyboard;
  // Nobody may change the block between its read and its write.
  KeyboardExchange exchange(link_);
  std::array<uint8_t, kSettingsSize> settings{};
  const int read = ReadSettings(settings);
  if (read != kResultOk) return read;
  settings[10] = static_cast<uint8_t>(profile);
  const int written = WriteSettings(settings);
  link_.active_profile_cache = written == kResultOk ? settings[10] : -1;
  return written;
}

}  // namespace keyloom
