// Report descriptors and input reports come from whatever device answers on
// a HID path: parse any descriptor, open an interface that has it, and read
// any reports through it as the notification reader does (the first usage of
// the first input item is the keyboard's notification).
//
// Input: two bytes, the descriptor's length L (little-endian, modulo 4096);
// L bytes of descriptor; then reports, each a length byte n and n bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "device/hid.h"
#include "device/hid_descriptor.h"
#include "device/sim/sim_backend.h"

using namespace keyloom;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> in(data, size);
  if (in.size() < 2) return 0;
  const size_t length = std::min<size_t>(LoadU16(in.data()) % 4096, in.size() - 2);
  const auto descriptor = ParseReportDescriptor(in.subspan(2, length));
  in = in.subspan(2 + length);
  if (!descriptor) return 0;
  // What the platform's parser would report about it.
  DescriptorButtonCaps(*descriptor);
  DescriptorValueCaps(*descriptor);
  DescriptorMaxUsageListLength(*descriptor, 0x0C);

  DescribedHidBackend backend(*descriptor);
  HidInterface hid(backend);
  if (!hid.Open(DescribedHidBackend::kPath, true, false, true, false)) return 0;
  std::vector<uint8_t> report(std::max<size_t>(hid.caps().input_report_length, 1));
  while (!in.empty()) {
    const size_t n = std::min<size_t>(in[0], in.size() - 1);
    // Reads fill the input report length, padded with zeros.
    std::fill(report.begin(), report.end(), 0);
    std::copy_n(in.begin() + 1, std::min(n, report.size()), report.begin());
    in = in.subspan(1 + n);
    hid.ParseInputReport(report.data(), report.size());
    const auto& items = hid.input_items();
    [[maybe_unused]] volatile uint16_t usage = !items.empty() && !items[0].usages.empty() ? items[0].usages[0] : 0;
    // Also a report shorter than the descriptor says.
    hid.ParseInputReport(report.data(), std::min(n, report.size()));
  }
  return 0;
}
