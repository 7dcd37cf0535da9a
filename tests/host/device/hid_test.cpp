#include <gtest/gtest.h>

#include <thread>

#include "device/hid_descriptor.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

TEST(HidInterface, EmptyMachineEnumeratesNothing) {
  SimHidBackend backend(nullptr);
  HidInterface hid(backend);
  EXPECT_EQ(hid.Enumerate(), 1);
  EXPECT_FALSE(hid.NextPath().has_value());
}

TEST(HidInterface, HoldsEveryPathOfAManyInterfaceMachine) {
  SimStack sim('A', false);
  sim.backend.AddUnrelatedInterfaces(20);
  HidInterface hid(sim.backend);
  ASSERT_EQ(hid.Enumerate(), 1);
  int n = 0;
  while (hid.NextPath()) ++n;
  EXPECT_EQ(n, 23);
}

TEST(HidInterface, OpenOfAPathThatIsGoneLeavesItClosed) {
  SimStack sim('A', false);
  HidInterface hid(sim.backend);
  EXPECT_EQ(hid.Open(u"\\\\?\\hid#vid_0c45&pid_652f&mi_09#gone", true, true, true, false), 0);
  EXPECT_FALSE(hid.IsOpen());
  EXPECT_EQ(hid.Close(), 0);
}

TEST(HidInterface, ReadWithALimitOnASilentInterfaceTimesOut) {
  SimStack sim;
  uint8_t buf[64];
  size_t done = 99;
  EXPECT_EQ(sim.link.hid.ReadReport(buf, 64, &done, 300), 0);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(sim.clock.NowMs(), 300);
}

TEST(HidInterface, CloseFromAnotherThreadEndsAnEndlessRead) {
  SimStack sim;
  std::atomic<int> result{-1};
  std::thread reader([&] {
    uint8_t buf[64];
    size_t done = 0;
    result = sim.link.hid.ReadReport(buf, 64, &done, -1);
  });
  sim.link.hid.Close();
  reader.join();
  EXPECT_EQ(result, 0);
}

TEST(HidInterface, ConsumerReportGivesTheFirstUsageThatIsOn) {
  SimStack sim;
  HidInterface hid(sim.backend);
  ASSERT_EQ(hid.Open(sim.backend.PathOf(SimInterface::kConsumer), true, false, true, false), 1);
  EXPECT_EQ(hid.caps().usage_page, 0x000C);
  EXPECT_EQ(hid.caps().usage, 0x0001);
  EXPECT_EQ(hid.caps().input_report_length, 3);
  ASSERT_FALSE(hid.input_items().empty());
  const uint8_t down[3] = {3, 0x02, 0x04};
  ASSERT_TRUE(hid.ParseInputReport(down, 3));
  EXPECT_EQ(hid.input_items()[0].usages[0], 0x0402);
  const uint8_t up[3] = {3, 0, 0};
  ASSERT_TRUE(hid.ParseInputReport(up, 3));
  EXPECT_EQ(hid.input_items()[0].usages[0], 0);
  // A report of another id changes no item.
  ASSERT_TRUE(hid.ParseInputReport(down, 3));
  const uint8_t other[3] = {7, 0x11, 0x18};
  ASSERT_TRUE(hid.ParseInputReport(other, 3));
  EXPECT_EQ(hid.input_items()[0].usages[0], 0x0402);
}

TEST(HidInterface, ButtonItemsOfOnePageEachKeepTheirOwnUsages) {
  SimStack sim;
  HidInterface hid(sim.backend);
  ASSERT_EQ(hid.Open(sim.backend.PathOf(SimInterface::kBoot), true, false, true, false), 1);
  const auto& items = hid.input_items();
  ASSERT_GE(items.size(), 2u);
  const uint8_t report[9] = {0, 0x02 /* left shift */, 0, 0x04 /* A */, 0x05 /* B */, 0, 0, 0, 0};
  ASSERT_TRUE(hid.ParseInputReport(report, 9));
  EXPECT_EQ(items[0].usages[0], 0xE1);
  EXPECT_EQ(items[0].usages[1], 0);
  EXPECT_EQ(items[1].usages[0], 0x04);
  EXPECT_EQ(items[1].usages[1], 0x05);
}

TEST(HidInterface, DescriptorDeclaringMillionsOfUsagesKeepsItsFirstItems) {
  // 100 value ranges of 65536 usages each and a bitmap of 60000 buttons, in 718 bytes.
  std::vector<uint8_t> bytes = {0x05, 0x0C, 0x75, 0x01, 0x96, 0x60, 0xEA, 0x19, 0x01, 0x2A, 0x60, 0xEA, 0x81, 0x02,
                                0x75, 0x08, 0x95, 0x01};
  for (int i = 0; i < 100; ++i) bytes.insert(bytes.end(), {0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x81, 0x02});
  DescribedHidBackend backend(*ParseReportDescriptor(bytes));
  HidInterface hid(backend);
  ASSERT_EQ(hid.Open(DescribedHidBackend::kPath, true, false, true, false), 1);
  const auto& items = hid.input_items();
  ASSERT_EQ(items.size(), kMaxInputDataItems);
  EXPECT_TRUE(items[0].is_button);
  EXPECT_EQ(items[0].usages.size(), kMaxUsagesOnAtOnce);
  EXPECT_EQ(items[1].usage, 0);
  EXPECT_EQ(items.back().usage, kMaxInputDataItems - 2);
  // The first button is still read.
  std::vector<uint8_t> report(hid.caps().input_report_length, 0);
  report[1] = 0x01;
  hid.ParseInputReport(report.data(), report.size());
  EXPECT_EQ(items[0].usages[0], 0x0001);
}

TEST(HidDescriptor, ValueOfAUsageIsItsFirstElement) {
  const uint8_t bytes[] = {
      0x05, 0x01, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF, 0x00,  // page 1, 8-bit values 0..255
      0x19, 0x30, 0x29, 0x32, 0x95, 0x04, 0x81, 0x02,        // range 30..32, 4 elements: 30 31 32 32
      0x09, 0x40, 0x09, 0x41, 0x95, 0x03, 0x81, 0x02,        // list 40 41, 3 elements: 40 41 41
      0x19, 0x50, 0x29, 0x5F, 0x95, 0x02, 0x81, 0x02,        // range 50..5F, 2 elements: 50 51
      0x95, 0x01, 0x81, 0x02,                                // no usage, 1 element
  };
  const auto d = ParseReportDescriptor(bytes);
  ASSERT_TRUE(d);
  const uint8_t report[] = {0, 10, 11, 12, 13, 20, 21, 22, 30, 31, 40};
  struct Case {
    uint16_t usage;
    std::optional<uint32_t> value;
  } cases[] = {
      {0x30, 10}, {0x31, 11}, {0x32, 12}, {0x33, std::nullopt}, {0x40, 20}, {0x41, 21},
      {0x42, std::nullopt}, {0x50, 30}, {0x51, 31}, {0x52, std::nullopt}, {0x5F, std::nullopt}, {0x00, 40},
  };
  for (const Case& c : cases) {
    uint32_t raw = 0;
    int32_t scaled = 0;
    const bool found = DescriptorUsageValue(*d, 0x01, c.usage, report, raw, scaled);
    EXPECT_EQ(found, c.value.has_value()) << std::hex << c.usage;
    if (found && c.value) {
      EXPECT_EQ(raw, *c.value) << std::hex << c.usage;
    }
  }
}

TEST(HidDescriptor, DescribesTheThreeInterfaces) {
  struct Case {
    SimInterface iface;
    uint16_t page, usage, in_len, out_len;
  } cases[] = {
      {SimInterface::kVendor, 0xFF1C, 0x92, 64, 64},
      {SimInterface::kConsumer, 0x000C, 0x0001, 3, 0},
      {SimInterface::kBoot, 0x0001, 0x0006, 9, 0},
  };
  for (const Case& c : cases) {
    auto d = ParseReportDescriptor(SimReportDescriptor(c.iface));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->usage_page, c.page);
    EXPECT_EQ(d->usage, c.usage);
    EXPECT_EQ(d->input_report_length, c.in_len);
    EXPECT_EQ(d->output_report_length, c.out_len);
  }
}

TEST(HidDescriptor, BootKeyboardReportsModifiersAndKeys) {
  auto d = ParseReportDescriptor(SimReportDescriptor(SimInterface::kBoot));
  ASSERT_TRUE(d);
  const uint8_t report[9] = {0, 0x02 /* left shift */, 0, 0x04 /* A */, 0x05 /* B */, 0, 0, 0, 0};
  std::vector<uint16_t> on;
  ASSERT_TRUE(DescriptorUsagesOn(*d, 0x07, report, on));
  EXPECT_EQ(on, (std::vector<uint16_t>{0xE1, 0x04, 0x05}));
}

TEST(HidDescriptor, RefusesTruncatedAndOversizedItems) {
  const uint8_t cut[] = {0x05, 0x0C, 0x26, 0xFF};           // a two-byte item cut short
  const uint8_t wide[] = {0x75, 0x40, 0x95, 0x01, 0x81, 0x02};  // 64-bit field
  const uint8_t pop[] = {0xB4};                               // pop without push
  EXPECT_FALSE(ParseReportDescriptor(cut));
  EXPECT_FALSE(ParseReportDescriptor(wide));
  EXPECT_FALSE(ParseReportDescriptor(pop));
  std::vector<uint16_t> on;
  auto d = ParseReportDescriptor(SimReportDescriptor(SimInterface::kConsumer));
  const uint8_t short_report[2] = {3, 1};
  EXPECT_FALSE(DescriptorUsagesOn(*d, 0x0C, short_report, on));
}

}  // namespace
}  // namespace keyloom
