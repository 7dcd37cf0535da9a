// HID report transport: finds HID interfaces, opens one by path, learns its
// ids and report capabilities, moves whole reports with time limits that
// another thread can cut short, and turns an input report into usages.
//
// HidInterface is portable; the platform lives behind HidBackend/HidDevice
// (Win32 SetupAPI + hid.dll, the simulated keyboard, Linux hidraw).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace keyloom {

struct HidOpenOptions {
  bool read = false;
  bool write = false;
  bool overlapped = false;
  bool share_read_only = false;  // others may only read; otherwise read and write
};

struct HidAttributes {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t version = 0;
};

// Top-level capabilities. Report lengths include the report-id byte.
struct HidCaps {
  uint16_t usage = 0;
  uint16_t usage_page = 0;
  uint16_t input_report_length = 0;
  uint16_t output_report_length = 0;
  uint16_t feature_report_length = 0;
  uint16_t input_button_caps = 0;
  uint16_t input_value_caps = 0;
};

// One input capability as the platform describes it.
struct HidInputCap {
  uint16_t usage_page = 0;
  uint8_t report_id = 0;
  bool is_range = false;
  uint16_t usage_min = 0;  // the single usage when !is_range
  uint16_t usage_max = 0;
};

// One item per input button capability, then one per usage of every input
// value capability. A descriptor is outside bytes: a few hundred of them can
// declare millions of value usages, so an interface keeps its first
// kMaxInputDataItems items and each button item room for kMaxUsagesOnAtOnce
// usages; the keyboard's interfaces need a handful of each.
inline constexpr size_t kMaxInputDataItems = 4096;
inline constexpr size_t kMaxUsagesOnAtOnce = 1024;

struct InputDataItem {
  bool is_button = false;
  uint16_t usage_page = 0;
  int32_t status = 0;
  uint32_t report_id = 0;  // only the low byte is compared
  bool is_set = false;
  // Button item: the capability's usage range and the usages that are on,
  // packed at the front and ended by 0 when fewer than the capacity.
  uint32_t usage_min = 0;
  uint32_t usage_max = 0;
  std::vector<uint16_t> usages;
  // Value item.
  uint16_t usage = 0;
  uint32_t raw_value = 0;
  int32_t scaled_value = 0;
};

inline constexpr int32_t kHidStatusSuccess = 0x00110000;  // the platform's success code

// An open interface. Every operation may be called from any thread; Abort()
// is the only one meant to run while a Read or Write waits on another thread.
class HidDevice {
 public:
  virtual ~HidDevice() = default;

  virtual HidAttributes Attributes() const = 0;
  virtual HidCaps Caps() const = 0;
  virtual std::vector<HidInputCap> InputButtonCaps() const = 0;
  virtual std::vector<HidInputCap> InputValueCaps() const = 0;
  // Longest list of usages that can be on at once for `usage_page`.
  virtual size_t MaxUsageListLength(uint16_t usage_page) const = 0;
  // Usages of `usage_page` that are on in `report`; false when the platform
  // cannot parse the report.
  virtual bool GetUsages(uint16_t usage_page, std::span<const uint8_t> report,
                         std::vector<uint16_t>& on) const = 0;
  virtual bool GetUsageValue(uint16_t usage_page, uint16_t usage, std::span<const uint8_t> report,
                             uint32_t& raw, int32_t& scaled, int32_t& scaled_status) const = 0;

  // One report in or out within `timeout_ms` (-1: no limit). Non-zero on
  // success with the byte count in *done; 0 on failure, time limit or
  // Abort(). A transfer that did not complete is cancelled, and its
  // cancellation awaited, before the call returns: no late completion can
  // land in `buffer` or be taken for a later reply.
  virtual int Read(uint8_t* buffer, size_t length, size_t* done, int timeout_ms) = 0;
  virtual int Write(const uint8_t* buffer, size_t length, size_t* done, int timeout_ms) = 0;
  // Makes every Read or Write in progress, and every later one, return 0.
  // Used when the interface is closed.
  virtual void Abort() = 0;
  // Drops input reports that arrived unasked (a reply that came after its
  // time limit), so the next read sees only what the next request causes.
  virtual void DiscardPendingInput() = 0;

  // Keeps other programs off this interface until UnlockExclusive: another
  // program (another Keyloom, keyloomctl) that asks meanwhile waits. Waits
  // up to `timeout_ms` of real time while another program holds it; false
  // only when it held it all that time. An interface that cannot be locked
  // (an aborted one, or a platform without such locks) counts as held.
  // Calls come from one thread at a time and never nest.
  virtual bool LockExclusive(int /*timeout_ms*/) { return true; }
  virtual void UnlockExclusive() {}
};

// The exclusive hold of one open interface (HidInterface::HoldExclusive);
// released when destroyed.
class HidExclusiveHold {
 public:
  HidExclusiveHold() = default;
  HidExclusiveHold(std::shared_ptr<HidDevice> device, bool held)
      : device_(held ? std::move(device) : nullptr), held_(held) {}
  HidExclusiveHold(HidExclusiveHold&& other) noexcept
      : device_(std::move(other.device_)), held_(std::exchange(other.held_, true)) {}
  HidExclusiveHold& operator=(HidExclusiveHold&& other) noexcept {
    if (this != &other) {
      Release();
      device_ = std::move(other.device_);
      held_ = std::exchange(other.held_, true);
    }
    return *this;
  }
  ~HidExclusiveHold() { Release(); }
  // False when another program kept the interface past the limit.
  bool held() const { return held_; }

 private:
  void Release() {
    if (device_) device_->UnlockExclusive();
    device_.reset();
  }
  std::shared_ptr<HidDevice> device_;
  bool held_ = true;
};

// The platform's HID services.
class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // Paths of every present HID interface. False when the enumeration failed;
  // `paths` then holds nothing.
  virtual bool Enumerate(std::vector<std::u16string>& paths) = 0;
  // Opens an interface; nullptr when it is gone or refuses the access asked.
  virtual std::shared_ptr<HidDevice> Open(const std::u16string& path, const HidOpenOptions& options) = 0;
  // Opens the path with no access rights and closes it again: whether the
  // interface is still present.
  virtual bool Probe(const std::u16string& path) = 0;
  // Vendor and product id of a path, for backends whose paths do not spell
  // them as "vid_XXXX"/"pid_XXXX". Nothing when the path carries them.
  virtual std::optional<HidAttributes> IdsOfPath(const std::u16string& /*path*/) { return std::nullopt; }
};

class HidInterface {
 public:
  explicit HidInterface(HidBackend& backend) : backend_(backend) {}
  ~HidInterface();
  HidInterface(const HidInterface&) = delete;
  HidInterface& operator=(const HidInterface&) = delete;

  // Fills the path list with every present interface and rewinds NextPath.
  int Enumerate();
  // The next path, or nothing when the list is empty or exhausted.
  std::optional<std::u16string> NextPath();
  void FreePaths();

  // Closes what was open, then opens `path`. 0 when the interface cannot be
  // opened or described; the object is then closed.
  int Open(const std::u16string& path, bool read, bool write, bool overlapped, bool share_read_only);
  // Wakes a read or write in progress on another thread and closes. 0 when
  // nothing was open.
  int Close();
  bool IsOpen() const;

  int ReadReport(uint8_t* buffer, size_t length, size_t* done, int timeout_ms);
  int WriteReport(const uint8_t* buffer, size_t length, size_t* done, int timeout_ms);
  void DiscardPendingInput();
  // Keeps other programs off the open interface while the result lives
  // (HidDevice::LockExclusive). Nothing open: nothing to hold, held.
  HidExclusiveHold HoldExclusive(int timeout_ms);

  // Fills the input data items whose report id equals report[0].
  bool ParseInputReport(const uint8_t* report, size_t length);

  HidBackend& backend() { return backend_; }
  const std::u16string& path() const { return path_; }
  HidAttributes attributes() const { return attributes_; }
  HidCaps caps() const { return caps_; }
  const std::vector<InputDataItem>& input_items() const { return items_; }
  size_t path_count() const { return paths_.size(); }

 private:
  std::shared_ptr<HidDevice> Device() const;
  void BuildInputItems(const HidDevice& device);

  HidBackend& backend_;
  std::vector<std::u16string> paths_;
  size_t next_path_ = 0;
  HidOpenOptions options_;
  mutable std::mutex device_mutex_;  // guards device_ only; never held while waiting
  std::shared_ptr<HidDevice> device_;
  std::u16string path_;
  HidAttributes attributes_;
  HidCaps caps_;
  std::vector<InputDataItem> items_;
  std::vector<uint8_t> input_report_;
  std::atomic<int> read_in_progress_{0};
  std::atomic<int> write_in_progress_{0};
};

}  // namespace keyloom
