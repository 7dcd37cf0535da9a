// A HidBackend that presents the simulated keyboard's three interfaces (with
// real report descriptors) and, optionally, unrelated HID interfaces, so the
// discovery code meets what it meets on a real machine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/hid.h"
#include "device/hid_descriptor.h"
#include "device/sim/sim_keyboard.h"

namespace keyloom {

// The report descriptors the simulated interfaces present.
std::span<const uint8_t> SimReportDescriptor(SimInterface iface);

class SimHidBackend final : public HidBackend {
 public:
  // `keyboard` may be null: a machine without the keyboard.
  explicit SimHidBackend(SimKeyboard* keyboard);

  // Adds `count` unrelated interfaces (another vendor's mouse, say) that are
  // listed before the keyboard's.
  void AddUnrelatedInterfaces(int count);
  // Adds an interface with the keyboard's ids whose open is refused
  // (another program holds it exclusively).
  void AddRefusingInterface();
  // Makes the next enumeration fail.
  void FailNextEnumeration() { fail_enumeration_ = true; }
  int opens() const { return opens_; }
  int closes_seen() const { return probes_; }

  bool Enumerate(std::vector<std::u16string>& paths) override;
  std::shared_ptr<HidDevice> Open(const std::u16string& path, const HidOpenOptions& options) override;
  bool Probe(const std::u16string& path) override;

  // The path of one of the keyboard's interfaces.
  std::u16string PathOf(SimInterface iface) const;

 private:
  SimKeyboard* keyboard_;
  std::vector<std::u16string> unrelated_;
  std::u16string refusing_;
  std::atomic<bool> fail_enumeration_{false};
  std::atomic<int> opens_{0};
  std::atomic<int> probes_{0};
};

// A machine with one silent interface that presents a report descriptor of
// the caller's choosing: what any descriptor makes of an open interface.
class DescribedHidBackend final : public HidBackend {
 public:
  static constexpr char16_t kPath[] = u"described";

  explicit DescribedHidBackend(HidReportDescriptor descriptor) : descriptor_(std::move(descriptor)) {}

  bool Enumerate(std::vector<std::u16string>& paths) override;
  std::shared_ptr<HidDevice> Open(const std::u16string& path, const HidOpenOptions& options) override;
  bool Probe(const std::u16string& path) override { return path == kPath; }

 private:
  HidReportDescriptor descriptor_;
};

}  // namespace keyloom
