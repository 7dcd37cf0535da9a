#include "device/sim/sim_backend.h"

#include <cstdio>

#include "base/text.h"
#include "device/hid_descriptor.h"

namespace keyloom {

namespace {

// Consumer control: report 3, one 16-bit usage selector (0 = nothing down).
constexpr uint8_t kConsumerDescriptor[] = {
    0x05, 0x0C,        // usage page (consumer)
    0x09, 0x01,        // usage (consumer control)
    0xA1, 0x01,        // collection (application)
    0x85, 0x03,        //   report id 3
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x1F,  //   logical maximum 0x1FFF
    0x19, 0x00,        //   usage minimum 0
    0x2A, 0xFF, 0x1F,  //   usage maximum 0x1FFF
    0x75, 0x10,        //   report size 16
    0x95, 0x01,        //   report count 1
    0x81, 0x00,        //   input (data, array, absolute)
    0xC0,              // end collection
};

// Vendor interface: report 4, 63 bytes in and out.
constexpr uint8_t kVendorDescriptor[] = {
    0x06, 0x1C, 0xFF,  // usage page 0xFF1C
    0x09, 0x92,        // usage 0x92
    0xA1, 0x01,        // collection (application)
    0x85, 0x04,        //   report id 4
    0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F,
    0x09, 0x01, 0x81, 0x02,  // input (data, variable, absolute)
    0x09, 0x01, 0x91, 0x02,  // output
    0xC0,
};

// Boot keyboard: modifiers and six key slots.
constexpr uint8_t kBootDescriptor[] = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,        // generic desktop, keyboard
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02,        // modifier bits
    0x75, 0x08, 0x95, 0x01, 0x81, 0x01,        // reserved byte
    0x19, 0x00, 0x29, 0x65, 0x15, 0x00, 0x25, 0x65,
    0x75, 0x08, 0x95, 0x06, 0x81, 0x00,        // six key slots
    0xC0,
};

std::u16string MakePath(uint16_t vid, uint16_t pid, int mi, const char* tail) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "\\\\?\\hid#vid_%04x&pid_%04x&mi_%02d#7&1a2b3c4d&0&%04d#%s", vid, pid, mi, mi,
                tail);
  return Utf8ToUtf16(buf);
}

constexpr const char* kHidClass = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

class SimDevice final : public DescriptorHidDevice {
 public:
  SimDevice(SimKeyboard& keyboard, SimInterface iface, HidReportDescriptor descriptor)
      : DescriptorHidDevice(std::move(descriptor)), keyboard_(keyboard), iface_(iface), generation_(keyboard.generation()) {}

  HidAttributes Attributes() const override {
    return {keyboard_.model().vendor_id, keyboard_.model().product_id, 0x0105};
  }
  int Read(uint8_t* buffer, size_t length, size_t* done, int timeout_ms) override {
    return keyboard_.Read(iface_, generation_, aborted_, {buffer, length}, done, timeout_ms);
  }
  int Write(const uint8_t* buffer, size_t length, size_t* done, int timeout_ms) override {
    *done = 0;
    if (!keyboard_.Write(iface_, generation_, aborted_, {buffer, length}, timeout_ms)) return 0;
    *done = length;
    return 1;
  }
  void Abort() override {
    aborted_ = true;
    keyboard_.Wake();
  }
  void DiscardPendingInput() override { keyboard_.DiscardInput(iface_); }

 private:
  SimKeyboard& keyboard_;
  const SimInterface iface_;
  const uint64_t generation_;
  std::atomic<bool> aborted_{false};
};

// An interface of something else on the machine: opens, never talks.
class InertDevice final : public HidDevice {
 public:
  HidAttributes Attributes() const override { return {0x1A2B, 0x0001, 1}; }
  HidCaps Caps() const override { return {0x02, 0x01, 5, 0, 0, 1, 0}; }
  std::vector<HidInputCap> InputButtonCaps() const override { return {{0x09, 0, true, 1, 3}}; }
  std::vector<HidInputCap> InputValueCaps() const override { return {}; }
  size_t MaxUsageListLength(uint16_t) const override { return 3; }
  bool GetUsages(uint16_t, std::span<const uint8_t>, std::vector<uint16_t>&) const override { return true; }
  bool GetUsageValue(uint16_t, uint16_t, std::span<const uint8_t>, uint32_t&, int32_t&, int32_t&) const override {
    return false;
  }
  int Read(uint8_t*, size_t, size_t* done, int) override { return *done = 0, 0; }
  int Write(const uint8_t*, size_t, size_t* done, int) override { return *done = 0, 0; }
  void Abort() override {}
  void DiscardPendingInput() override {}
};

// An interface that has a report descriptor and nothing to say.
class SilentDevice final : public DescriptorHidDevice {
 public:
  using DescriptorHidDevice::DescriptorHidDevice;
  HidAttributes Attributes() const override { return {}; }
  int Read(uint8_t*, size_t, size_t* done, int) override { return *done = 0, 0; }
  int Write(const uint8_t*, size_t, size_t* done, int) override { return *done = 0, 0; }
  void Abort() override {}
  void DiscardPendingInput() override {}
};

}  // namespace

std::span<const uint8_t> SimReportDescriptor(SimInterface iface) {
  switch (iface) {
    case SimInterface::kConsumer: return kConsumerDescriptor;
    case SimInterface::kVendor: return kVendorDescriptor;
    case SimInterface::kBoot: break;
  }
  return kBootDescriptor;
}

SimHidBackend::SimHidBackend(SimKeyboard* keyboard) : keyboard_(keyboard) {}

void SimHidBackend::AddUnrelatedInterfaces(int count) {
  for (int i = 0; i < count; ++i)
    unrelated_.push_back(MakePath(0x1A2B, static_cast<uint16_t>(0x0100 + unrelated_.size()), 0, kHidClass));
}

void SimHidBackend::AddRefusingInterface() {
  if (keyboard_) refusing_ = MakePath(keyboard_->model().vendor_id, keyboard_->model().product_id, 3, kHidClass);
}

std::u16string SimHidBackend::PathOf(SimInterface iface) const {
  if (!keyboard_) return {};
  const int mi = iface == SimInterface::kBoot ? 0 : iface == SimInterface::kConsumer ? 1 : 2;
  return MakePath(keyboard_->model().vendor_id, keyboard_->model().product_id, mi, kHidClass);
}

bool SimHidBackend::Enumerate(std::vector<std::u16string>& paths) {
  paths.clear();
  if (fail_enumeration_.exchange(false)) return false;
  paths = unrelated_;
  if (!refusing_.empty()) paths.push_back(refusing_);
  if (keyboard_ && keyboard_->plugged()) {
    for (SimInterface iface : {SimInterface::kBoot, SimInterface::kConsumer, SimInterface::kVendor})
      paths.push_back(PathOf(iface));
  }
  return true;
}

std::shared_ptr<HidDevice> SimHidBackend::Open(const std::u16string& path, const HidOpenOptions&) {
  ++opens_;
  for (const auto& p : unrelated_)
    if (p == path) return std::make_shared<InertDevice>();
  if (!keyboard_ || !keyboard_->plugged()) return nullptr;
  for (SimInterface iface : {SimInterface::kBoot, SimInterface::kConsumer, SimInterface::kVendor}) {
    if (path != PathOf(iface)) continue;
    auto descriptor = ParseReportDescriptor(SimReportDescriptor(iface));
    if (!descriptor) return nullptr;
    return std::make_shared<SimDevice>(*keyboard_, iface, std::move(*descriptor));
  }
  return nullptr;  // the refusing interface, or a path that is gone
}

bool SimHidBackend::Probe(const std::u16string& path) {
  ++probes_;
  if (!keyboard_ || !keyboard_->plugged()) return false;
  return path == PathOf(SimInterface::kVendor) || path == PathOf(SimInterface::kConsumer) ||
         path == PathOf(SimInterface::kBoot) || path == refusing_;
}

bool DescribedHidBackend::Enumerate(std::vector<std::u16string>& paths) {
  paths = {kPath};
  return true;
}

std::shared_ptr<HidDevice> DescribedHidBackend::Open(const std::u16string& path, const HidOpenOptions&) {
  if (path != kPath) return nullptr;
  return std::make_shared<SilentDevice>(descriptor_);
}

}  // namespace keyloom
