#include "device/hid_descriptor.h"

#include <algorithm>
#include <map>

namespace keyloom {

namespace {

struct Globals {
  uint16_t usage_page = 0;
  int32_t logical_min = 0;
  int32_t logical_max = 0;
  uint32_t report_size = 0;
  uint32_t report_count = 0;
  uint8_t report_id = 0;
};

struct Locals {
  std::vector<uint16_t> usages;
  std::optional<uint16_t> usage_min, usage_max;
  void Clear() { *this = Locals{}; }
};

int32_t SignExtend(uint32_t v, int bytes) {
  if (bytes == 1) return static_cast<int8_t>(v);
  if (bytes == 2) return static_cast<int16_t>(v);
  return static_cast<int32_t>(v);
}

// Reads `bits` bits (at most 32) starting `bit` bits into `data`, LSB first.
std::optional<uint32_t> ReadBits(std::span<const uint8_t> data, uint32_t bit, uint32_t bits) {
  if (bits == 0 || bits > 32) return std::nullopt;
  if ((static_cast<uint64_t>(bit) + bits + 7) / 8 > data.size()) return std::nullopt;
  uint64_t v = 0;
  for (uint32_t i = 0; i < bits; ++i) {
    const uint32_t b = bit + i;
    if (data[b / 8] & (1u << (b % 8))) v |= uint64_t{1} << i;
  }
  return static_cast<uint32_t>(v);
}

// The first element of `f` whose usage (as UsageAt gives it) is `usage`,
// found without walking the elements: a field may have 65535 of them.
std::optional<uint32_t> FirstElementOf(const HidInputField& f, uint16_t usage) {
  uint32_t k = 0;
  if (f.has_range) {
    // Elements past the range repeat usage_max, which its own element has first.
    if (usage < f.usage_min || usage > f.usage_max) return std::nullopt;
    k = uint32_t{usage} - f.usage_min;
  } else if (!f.usages.empty()) {
    // Elements past the list repeat its last usage, which is in the list.
    const auto at = std::find(f.usages.begin(), f.usages.end(), usage);
    if (at == f.usages.end()) return std::nullopt;
    k = static_cast<uint32_t>(at - f.usages.begin());
  } else if (usage != 0) {
    return std::nullopt;
  }
  if (k >= f.report_count) return std::nullopt;
  return k;
}

std::span<const uint8_t> Payload(std::span<const uint8_t> report) {
  // Reports always carry a report-id byte (0 when the descriptor has none).
  return report.empty() ? report : report.subspan(1);
}

}  // namespace

uint16_t HidInputField::UsageAt(size_t index) const {
  if (has_range) {
    const uint32_t u = uint32_t{usage_min} + static_cast<uint32_t>(index);
    return static_cast<uint16_t>(std::min<uint32_t>(u, usage_max));
  }
  if (usages.empty()) return 0;
  return usages[std::min(index, usages.size() - 1)];
}

std::optional<HidReportDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes) {
  HidReportDescriptor d;
  Globals g;
  std::vector<Globals> stack;
  Locals l;
  std::map<std::pair<int, uint8_t>, uint32_t> bits;  // (main kind, report id) -> bits so far
  int depth = 0;
  bool top_taken = false;
  size_t i = 0;
  while (i < bytes.size()) {
    const uint8_t prefix = bytes[i];
    if (prefix == 0xFE) {  // long item: skip it whole
      if (i + 2 >= bytes.size()) return std::nullopt;
      const size_t size = bytes[i + 1];
      if (i + 3 + size > bytes.size()) return std::nullopt;
      i += 3 + size;
      continue;
    }
    const int size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (i + 1 + size > bytes.size()) return std::nullopt;
    uint32_t data = 0;
    for (int k = 0; k < size; ++k) data |= uint32_t{bytes[i + 1 + k]} << (8 * k);
    const int type = (prefix >> 2) & 3;
    const int tag = prefix >> 4;
    i += 1 + size;

    if (type == 1) {  // global
      switch (tag) {
        case 0: g.usage_page = static_cast<uint16_t>(data); break;
        case 1: g.logical_min = SignExtend(data, size); break;
        case 2: g.logical_max = size < 4 && g.logical_min >= 0 ? static_cast<int32_t>(data) : SignExtend(data, size); break;
        case 7: g.report_size = data; break;
        case 8: g.report_id = static_cast<uint8_t>(data); d.uses_report_ids = true; break;
        case 9: g.report_count = data; break;
        case 10: stack.push_back(g); break;
        case 11:
          if (stack.empty()) return std::nullopt;
          g = stack.back();
          stack.pop_back();
          break;
        default: break;
      }
    } else if (type == 2) {  // local
      switch (tag) {
        case 0: l.usages.push_back(static_cast<uint16_t>(data)); break;
        case 1: l.usage_min = static_cast<uint16_t>(data); break;
        case 2: l.usage_max = static_cast<uint16_t>(data); break;
        default: break;
      }
    } else if (type == 0) {  // main
      if (tag == 10) {  // collection
        if (depth == 0 && !top_taken && !l.usages.empty()) {
          d.usage_page = g.usage_page;
          d.usage = l.usages.front();
          top_taken = true;
        }
        ++depth;
      } else if (tag == 12) {  // end collection
        if (depth == 0) return std::nullopt;
        --depth;
      } else if (tag == 8 || tag == 9 || tag == 11) {  // input, output, feature
        if (g.report_size > 32) return std::nullopt;
        const uint64_t field_bits = uint64_t{g.report_size} * g.report_count;
        uint32_t& used = bits[{tag, g.report_id}];
        if (used + field_bits > 8 * 65535u) return std::nullopt;
        if (tag == 8 && field_bits > 0) {
          HidInputField f;
          f.report_id = g.report_id;
          f.usage_page = g.usage_page;
          f.is_constant = data & 1;
          f.is_array = !(data & 2);
          f.bit_offset = used;
          f.report_size = static_cast<uint8_t>(g.report_size);
          f.report_count = static_cast<uint16_t>(std::min<uint32_t>(g.report_count, 0xFFFF));
          f.logical_min = g.logical_min;
          f.logical_max = g.logical_max;
          f.usages = l.usages;
          if (l.usage_min && l.usage_max && *l.usage_min <= *l.usage_max) {
            f.has_range = true;
            f.usage_min = *l.usage_min;
            f.usage_max = *l.usage_max;
          }
          if (!f.is_constant) d.inputs.push_back(std::move(f));
        }
        used += static_cast<uint32_t>(field_bits);
      }
      l.Clear();
    }
  }
  for (const auto& [key, count] : bits) {
    const auto length = static_cast<uint16_t>(1 + (count + 7) / 8);
    uint16_t& slot = key.first == 8 ? d.input_report_length
                     : key.first == 9 ? d.output_report_length
                                      : d.feature_report_length;
    slot = std::max(slot, length);
  }
  return d;
}

namespace {
bool IsButton(const HidInputField& f) { return f.is_array || f.report_size == 1; }

HidInputCap CapOf(const HidInputField& f) {
  HidInputCap cap;
  cap.usage_page = f.usage_page;
  cap.report_id = f.report_id;
  if (f.has_range) {
    cap.is_range = true;
    cap.usage_min = f.usage_min;
    cap.usage_max = f.usage_max;
  } else if (f.usages.size() > 1) {
    cap.is_range = true;
    cap.usage_min = *std::min_element(f.usages.begin(), f.usages.end());
    cap.usage_max = *std::max_element(f.usages.begin(), f.usages.end());
  } else {
    cap.usage_min = cap.usage_max = f.usages.empty() ? 0 : f.usages.front();
  }
  return cap;
}
}  // namespace

std::vector<HidInputCap> DescriptorButtonCaps(const HidReportDescriptor& d) {
  std::vector<HidInputCap> caps;
  for (const HidInputField& f : d.inputs)
    if (IsButton(f)) caps.push_back(CapOf(f));
  return caps;
}

std::vector<HidInputCap> DescriptorValueCaps(const HidReportDescriptor& d) {
  std::vector<HidInputCap> caps;
  for (const HidInputField& f : d.inputs)
    if (!IsButton(f)) caps.push_back(CapOf(f));
  return caps;
}

size_t DescriptorMaxUsageListLength(const HidReportDescriptor& d, uint16_t usage_page) {
  size_t n = 0;
  for (const HidInputField& f : d.inputs)
    if (IsButton(f) && f.usage_page == usage_page) n += f.report_count;
  return n;
}

bool DescriptorUsagesOn(const HidReportDescriptor& d, uint16_t usage_page, std::span<const uint8_t> report,
                        std::vector<uint16_t>& on) {
  if (report.empty()) return false;
  const std::span<const uint8_t> payload = Payload(report);
  for (const HidInputField& f : d.inputs) {
    if (!IsButton(f) || f.usage_page != usage_page || f.report_id != report[0]) continue;
    for (uint32_t k = 0; k < f.report_count; ++k) {
      const auto v = ReadBits(payload, f.bit_offset + k * f.report_size, f.report_size);
      if (!v) return false;
      if (f.is_array) {
        const int64_t index = static_cast<int64_t>(*v) - f.logical_min;
        if (*v == 0 || static_cast<int64_t>(*v) > f.logical_max || index < 0) continue;
        const uint16_t usage = f.UsageAt(static_cast<size_t>(index));
        if (usage != 0) on.push_back(usage);
      } else if (*v) {
        on.push_back(f.UsageAt(k));
      }
    }
  }
  return true;
}

bool DescriptorUsageValue(const HidReportDescriptor& d, uint16_t usage_page, uint16_t usage,
                          std::span<const uint8_t> report, uint32_t& raw, int32_t& scaled) {
  if (report.empty()) return false;
  const std::span<const uint8_t> payload = Payload(report);
  for (const HidInputField& f : d.inputs) {
    if (IsButton(f) || f.usage_page != usage_page || f.report_id != report[0]) continue;
    const std::optional<uint32_t> k = FirstElementOf(f, usage);
    if (!k) continue;
    const auto v = ReadBits(payload, f.bit_offset + *k * f.report_size, f.report_size);
    if (!v) return false;
    raw = *v;
    scaled = f.logical_min < 0 ? SignExtend(*v, f.report_size <= 8 ? 1 : f.report_size <= 16 ? 2 : 4)
                               : static_cast<int32_t>(*v);
    return true;
  }
  return false;
}

HidCaps DescriptorHidDevice::Caps() const {
  HidCaps c;
  c.usage_page = d_.usage_page;
  c.usage = d_.usage;
  c.input_report_length = d_.input_report_length;
  c.output_report_length = d_.output_report_length;
  c.feature_report_length = d_.feature_report_length;
  c.input_button_caps = static_cast<uint16_t>(DescriptorButtonCaps(d_).size());
  c.input_value_caps = static_cast<uint16_t>(DescriptorValueCaps(d_).size());
  return c;
}

}  // namespace keyloom
