#include "device/hid.h"

#include <algorithm>

namespace keyloom {

HidInterface::~HidInterface() {
  Close();
  FreePaths();
}

int HidInterface::Enumerate() {
  next_path_ = 0;
  paths_.clear();
  std::vector<std::u16string> found;
  if (!backend_.Enumerate(found)) return 0;
  paths_ = std::move(found);
  return 1;
}

std::optional<std::u16string> HidInterface::NextPath() {
  if (next_path_ >= paths_.size()) return std::nullopt;
  const std::u16string& p = paths_[next_path_++];
  if (p.empty()) return std::nullopt;  // an entry that could not be read ends the scan
  return p;
}

void HidInterface::FreePaths() {
  paths_.clear();
  paths_.shrink_to_fit();
  next_path_ = 0;
}

std::shared_ptr<HidDevice> HidInterface::Device() const {
  std::lock_guard lock(device_mutex_);
  return device_;
}

bool HidInterface::IsOpen() const { return Device() != nullptr; }

int HidInterface::Open(const std::u16string& path, bool read, bool write, bool overlapped,
                       bool share_read_only) {
  options_ = {read, write, overlapped, share_read_only};
  path_ = path.substr(0, 259);
  Close();
  std::shared_ptr<HidDevice> device = backend_.Open(path, options_);
  if (!device) return 0;
  attributes_ = device->Attributes();
  caps_ = device->Caps();
  BuildInputItems(*device);
  std::lock_guard lock(device_mutex_);
  device_ = std::move(device);
  return 1;
}

int HidInterface::Close() {
  std::shared_ptr<HidDevice> device;
  {
    std::lock_guard lock(device_mutex_);
    device.swap(device_);
  }
  if (!device) return 0;
  // Always abort, not only when a transfer is flagged in progress: a reader
  // that took the device a moment before this Close must not start a wait on
  // a closed interface. A transfer in progress keeps the device alive (it
  // holds its own reference) until its cancellation has completed.
  // The input data items stay: another thread may be parsing a report with
  // them, and the next Open rebuilds them.
  device->Abort();
  return 1;
}

int HidInterface::ReadReport(uint8_t* buffer, size_t length, size_t* done, int timeout_ms) {
  if (done) *done = 0;
  std::shared_ptr<HidDevice> device = Device();
  if (!device) return 0;
  read_in_progress_ = 1;
  size_t moved = 0;
  const int result = device->Read(buffer, length, &moved, timeout_ms);
  read_in_progress_ = 0;
  if (done) *done = moved;
  return result;
}

int HidInterface::WriteReport(const uint8_t* buffer, size_t length, size_t* done, int timeout_ms) {
  if (done) *done = 0;
  std::shared_ptr<HidDevice> device = Device();
  if (!device) return 0;
  write_in_progress_ = 1;
  size_t moved = 0;
  const int result = device->Write(buffer, length, &moved, timeout_ms);
  write_in_progress_ = 0;
  if (done) *done = moved;
  return result;
}

void HidInterface::DiscardPendingInput() {
  if (std::shared_ptr<HidDevice> device = Device()) device->DiscardPendingInput();
}

HidExclusiveHold HidInterface::HoldExclusive(int timeout_ms) {
  std::shared_ptr<HidDevice> device = Device();
  if (!device) return {};
  const bool held = device->LockExclusive(timeout_ms);
  return HidExclusiveHold(std::move(device), held);
}

void HidInterface::BuildInputItems(const HidDevice& device) {
  items_.clear();
  input_report_.assign(caps_.input_report_length, 0);
  for (const HidInputCap& cap : device.InputButtonCaps()) {
    if (items_.size() == kMaxInputDataItems) return;
    InputDataItem item;
    item.is_button = true;
    item.status = kHidStatusSuccess;
    item.usage_page = cap.usage_page;
    item.report_id = cap.report_id;
    item.usage_min = cap.usage_min;
    item.usage_max = cap.is_range ? cap.usage_max : cap.usage_min;
    item.usages.assign(std::min(device.MaxUsageListLength(cap.usage_page), kMaxUsagesOnAtOnce), 0);
    items_.push_back(std::move(item));
  }
  for (const HidInputCap& cap : device.InputValueCaps()) {
    const uint32_t last = cap.is_range ? cap.usage_max : cap.usage_min;
    for (uint32_t usage = cap.usage_min; usage <= last; ++usage) {
      if (items_.size() == kMaxInputDataItems) return;
      InputDataItem item;
      item.status = kHidStatusSuccess;
      item.usage_page = cap.usage_page;
      item.report_id = cap.report_id;
      item.usage = static_cast<uint16_t>(usage);
      items_.push_back(std::move(item));
    }
  }
}

bool HidInterface::ParseInputReport(const uint8_t* report, size_t length) {
  std::shared_ptr<HidDevice> device = Device();
  if (!device || report == nullptr || length == 0) return false;
  const std::span<const uint8_t> bytes(report, length);
  // The usages that are on depend on the page alone: each page is asked once.
  std::vector<std::pair<uint16_t, std::vector<uint16_t>>> on_by_page;
  const auto usages_on = [&](uint16_t page) -> const std::vector<uint16_t>& {
    for (const auto& [asked, on] : on_by_page)
      if (asked == page) return on;
    std::vector<uint16_t> on;
    device->GetUsages(page, bytes, on);
    return on_by_page.emplace_back(page, std::move(on)).second;
  };
  for (InputDataItem& item : items_) {
    if ((item.report_id & 0xFF) != report[0]) continue;
    if (item.is_button) {
      const std::vector<uint16_t>& on = usages_on(item.usage_page);
      size_t kept = 0;
      for (uint16_t usage : on) {
        if (kept == item.usages.size()) break;
        if (usage >= item.usage_min && usage <= item.usage_max) item.usages[kept++] = usage;
      }
      if (kept < item.usages.size()) item.usages[kept] = 0;
    } else {
      uint32_t raw = 0;
      int32_t scaled = 0;
      int32_t scaled_status = kHidStatusSuccess;
      if (!device->GetUsageValue(item.usage_page, item.usage, bytes, raw, scaled, scaled_status)) {
        item.status = 0;
        return false;
      }
      item.raw_value = raw;
      item.scaled_value = scaled;
      item.status = scaled_status;
    }
    item.is_set = true;
  }
  return true;
}

}  // namespace keyloom
