// A small HID report-descriptor parser for backends without the platform's
// HID parser (the simulated keyboard, Linux hidraw): enough to learn the
// top-level usage, the report lengths and the input fields, and to find the
// usages that are on in an input report.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/hid.h"

namespace keyloom {

struct HidInputField {
  uint8_t report_id = 0;
  uint16_t usage_page = 0;
  bool is_array = false;     // an array of usage indices (selectors)
  bool is_constant = false;  // padding
  uint32_t bit_offset = 0;   // from the first byte after the report id
  uint8_t report_size = 0;   // bits per element, at most 32
  uint16_t report_count = 0;
  int32_t logical_min = 0;
  int32_t logical_max = 0;
  // Either a list of usages or a range (usage_min..usage_max).
  std::vector<uint16_t> usages;
  bool has_range = false;
  uint16_t usage_min = 0;
  uint16_t usage_max = 0;

  uint16_t UsageAt(size_t index) const;  // the usage of element `index`
};

struct HidReportDescriptor {
  uint16_t usage_page = 0;  // of the first top-level collection
  uint16_t usage = 0;
  bool uses_report_ids = false;
  uint16_t input_report_length = 0;  // bytes, including the report-id byte
  uint16_t output_report_length = 0;
  uint16_t feature_report_length = 0;
  std::vector<HidInputField> inputs;
};

// Nothing when the descriptor is malformed (an item running past the end, a
// report size above 32 bits, more than 64 KiB of report).
std::optional<HidReportDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes);

// Capabilities in the shape the platform's parser gives them: arrays and
// one-bit variables are buttons, wider variables are values.
std::vector<HidInputCap> DescriptorButtonCaps(const HidReportDescriptor& d);
std::vector<HidInputCap> DescriptorValueCaps(const HidReportDescriptor& d);
size_t DescriptorMaxUsageListLength(const HidReportDescriptor& d, uint16_t usage_page);

// Usages of `usage_page` that are on in `report` (report[0] is the report id,
// or 0 when the descriptor uses none). False when the report is too short.
bool DescriptorUsagesOn(const HidReportDescriptor& d, uint16_t usage_page, std::span<const uint8_t> report,
                        std::vector<uint16_t>& on);
bool DescriptorUsageValue(const HidReportDescriptor& d, uint16_t usage_page, uint16_t usage,
                          std::span<const uint8_t> report, uint32_t& raw, int32_t& scaled);

// A HidDevice whose capabilities and usage extraction come from a parsed
// report descriptor; backends add the transfers.
class DescriptorHidDevice : public HidDevice {
 public:
  explicit DescriptorHidDevice(HidReportDescriptor descriptor) : d_(std::move(descriptor)) {}

  HidCaps Caps() const override;
  std::vector<HidInputCap> InputButtonCaps() const override { return DescriptorButtonCaps(d_); }
  std::vector<HidInputCap> InputValueCaps() const override { return DescriptorValueCaps(d_); }
  size_t MaxUsageListLength(uint16_t page) const override { return DescriptorMaxUsageListLength(d_, page); }
  bool GetUsages(uint16_t page, std::span<const uint8_t> report, std::vector<uint16_t>& on) const override {
    return DescriptorUsagesOn(d_, page, report, on);
  }
  bool GetUsageValue(uint16_t page, uint16_t usage, std::span<const uint8_t> report, uint32_t& raw,
                     int32_t& scaled, int32_t& scaled_status) const override {
    scaled_status = kHidStatusSuccess;
    return DescriptorUsageValue(d_, page, usage, report, raw, scaled);
  }

 protected:
  const HidReportDescriptor& descriptor() const { return d_; }

 private:
  const HidReportDescriptor d_;
};

}  // namespace keyloom
