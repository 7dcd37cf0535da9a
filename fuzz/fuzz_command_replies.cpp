// A keyboard that answers with arbitrary bytes: every reply the program
// reads (settings block, key maps, default key map, macro area, lighting
// records) comes from the input, and the program's reading of them (arrival,
// lighting refresh, key-map decoding, macro area, apply, profile backup)
// must stay inside its buffers whatever they say.
//
// The input is a stream of replies. Each starts with a control byte c:
//   c = 0xFF       no reply (the transaction times out and retries)
//   bit 0          a status byte follows (otherwise status 0, success)
//   bits 1..7      n <= 56: the next n bytes are the reply's data, and its
//                  first eight bytes echo the request, as the keyboard's do;
//                  n > 56: the reply's first eight bytes come next (it need
//                  not echo the request), then n - 56 bytes of data The
// first input byte picks the model (bit 0) and whether writes fail (bit 1).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "base/clock.h"
#include "device/command_set.h"
#include "device/keyboard_link.h"
#include "device/presence.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/lighting_ops.h"
#include "model/macro.h"
#include "storage/profile_file.h"
#include "storage/working_profile.h"

namespace {

using namespace keyloom;

class ReplyStream {
 public:
  explicit ReplyStream(std::span<const uint8_t> data) : data_(data) {}
  bool Next(const CommandFrame& request, uint8_t* out) {
    if (data_.empty()) return false;
    const uint8_t c = Take();
    if (c == 0xFF) return false;
    std::fill(out, out + kFrameSize, uint8_t{0});
    size_t n = size_t{c} >> 1;
    if (n > kFrameData) {
      // A reply that does not echo the request (another frame's, or noise):
      // its first eight bytes come from the input too.
      const size_t header = std::min<size_t>(frame::kData, data_.size());
      std::copy_n(data_.begin(), header, out);
      data_ = data_.subspan(header);
      n -= kFrameData;
    } else {
      std::copy_n(request.begin(), frame::kData, out);
      out[frame::kStatus] = 0;
    }
    if (c & 1) out[frame::kStatus] = Take();
    n = std::min<size_t>({n, kFrameData, data_.size()});
    std::copy_n(data_.begin(), n, out + frame::kData);
    data_ = data_.subspan(n);
    return true;
  }

 private:
  uint8_t Take() {
    if (data_.empty()) return 0;
    const uint8_t b = data_[0];
    data_ = data_.subspan(1);
    return b;
  }
  std::span<const uint8_t> data_;
};

class FuzzDevice final : public HidDevice {
 public:
  FuzzDevice(ReplyStream& replies, bool writes_fail) : replies_(replies), writes_fail_(writes_fail) {}
  HidAttributes Attributes() const override { return {0x0C45, 0x652F, 1}; }
  HidCaps Caps() const override { return {kVendorUsage, kVendorUsagePage, 65, 65, 0, 0, 0}; }
  std::vector<HidInputCap> InputButtonCaps() const override { return {}; }
  std::vector<HidInputCap> InputValueCaps() const override { return {}; }
  size_t MaxUsageListLength(uint16_t) const override { return 0; }
  bool GetUsages(uint16_t, std::span<const uint8_t>, std::vector<uint16_t>&) const override { return false; }
  bool GetUsageValue(uint16_t, uint16_t, std::span<const uint8_t>, uint32_t&, int32_t&, int32_t&) const override {
    return false;
  }
  int Read(uint8_t* buffer, size_t length, size_t* done, int) override {
    *done = 0;
    if (length < kFrameSize || !replies_.Next(last_request_, buffer)) return 0;
    *done = kFrameSize;
    return 1;
  }
  int Write(const uint8_t* buffer, size_t length, size_t* done, int) override {
    *done = 0;
    if (writes_fail_) return 0;
    std::copy_n(buffer, std::min(length, kFrameSize), last_request_.begin());
    *done = length;
    return 1;
  }
  void Abort() override {}
  void DiscardPendingInput() override {}

 private:
  ReplyStream& replies_;
  bool writes_fail_;
  CommandFrame last_request_{};
};

class FuzzBackend final : public HidBackend {
 public:
  explicit FuzzBackend(std::shared_ptr<HidDevice> device) : device_(std::move(device)) {}
  bool Enumerate(std::vector<std::u16string>& paths) override {
    paths = {u"fuzz"};
    return true;
  }
  std::shared_ptr<HidDevice> Open(const std::u16string&, const HidOpenOptions&) override { return device_; }
  bool Probe(const std::u16string&) override { return true; }

 private:
  std::shared_ptr<HidDevice> device_;
};

class NullSink final : public PresenceSink {
 public:
  void SendArrival() override {}
  void SendRemoval() override {}
  void PostOpen() override {}
  void HideMainWindow() override {}
  void SetTrayImage(int) override {}
  void StartTimer(int) override {}
  void ShowMessage(std::u16string_view) override {}
};

class NullMessages final : public UserMessages {
 public:
  void ShowMessage(std::u16string_view) override {}
};

class ViewOn final : public LightingViewSetting {
 public:
  int StoredLightingView() const override { return 1; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t options = data[0];
  ReplyStream replies(std::span<const uint8_t>(data + 1, size - 1));
  FuzzBackend backend(std::make_shared<FuzzDevice>(replies, (options & 2) != 0));
  ManualClock clock;
  KeyboardLink link(backend, clock);
  link.hid.Open(u"fuzz", true, true, true, false);
  link.SetModel((options & 1) ? kModelB : kModelA);
  link.connected = 1;
  CommandSet commands(link);

  // Arrival: the default key map and the settings block.
  PresenceState presence;
  presence.quiet_start = 1;
  NullSink sink;
  KeyboardWatcher watcher(link, commands, presence, sink);
  watcher.OnKeyboardPresence(1);

  LightingModel lighting;
  ViewOn view;
  ReadLightingState(lighting, commands, view);
  WriteModeSelection(lighting, commands, lighting.modes.ModeOfPosition(0));

  KeyStores stores;
  const std::array<uint8_t, kDefaultMatrixBytes> matrix = link.DefaultMatrix();
  for (int p = 0; p < 3; ++p) {
    std::array<uint8_t, kMaxKeyMapSize> block{};
    if (commands.ReadKeyMap(p, block) == kResultOk)
      DecodeKeyMap(std::span(block).first(static_cast<size_t>(link.keymap_size.load())), matrix,
                   stores.edit.ProfileRecords(p));
  }
  std::vector<uint8_t> area;
  if (ReadMacroArea(commands, area) == kResultOk) stores.edit.macros = DecodeMacroArea(area, u"Macro ");

  NullMessages messages;
  ApplyToKeyboard(stores, commands, messages, false);

  // The comparison the arrival makes with the working profile file.
  KeyboardAssignments held;
  if (ReadKeyboardAssignments(commands, held) == kResultOk) {
    const std::vector<uint8_t> file = ProfileFileBytesOf(held, matrix, u"Macro ");
    KeyStore loaded;
    if (!ReadProfileBytes(file, loaded)) std::abort();  // what the keyboard holds always makes a file
    KeyboardHoldsStore(held, loaded, matrix, static_cast<size_t>(std::max(0, link.macro_capacity.load())));
    KeyboardHoldsStore(held, stores.edit, matrix, static_cast<size_t>(std::max(0, link.macro_capacity.load())));
  }
  return 0;
}
