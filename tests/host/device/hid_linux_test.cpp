// The hidraw backend against a fake sysfs tree whose device nodes are sockets
// served by the simulated keyboard: enumeration, matching, the protocol end
// to end, time limits, Close from another thread and unplugging.
#if defined(__linux__)

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/text.h"
#include "device/command_set.h"
#include "device/hid_linux.h"
#include "device/presence.h"
#include "device/sim/sim_backend.h"
#include "support/fake_hidraw.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::FakeHidrawTree;
using testing::RecordingSink;
using Calls = std::vector<std::string>;
using Ms = std::chrono::milliseconds;

int64_t ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - since).count();
}

// A mouse of another vendor: report 1, three buttons.
constexpr uint8_t kMouseDescriptor[] = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x09, 0x19, 0x01,
                                        0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,
                                        0xC0};

// A machine whose keyboard talks through the real hidraw backend.
struct HidrawMachine {
  explicit HidrawMachine(char model = 'A', int others = 0)
      : keyboard(model == 'B' ? kModelB : kModelA, clock), backend(MakeLinuxHidBackend(tree.roots())),
        link(*backend, clock), commands(link), watcher(link, commands, state, sink) {
    keyboard.Plug();
    for (int i = 0; i < others; ++i) tree.Add(0x1A2B, static_cast<uint16_t>(0x100 + i), kMouseDescriptor);
    tree.AddKeyboard(keyboard);
  }

  SystemClock clock;
  SimKeyboard keyboard;  // outlives the tree that serves it
  FakeHidrawTree tree;
  std::unique_ptr<HidBackend> backend;
  KeyboardLink link;
  CommandSet commands;
  PresenceState state;
  RecordingSink sink;
  KeyboardWatcher watcher;
};

TEST(LinuxHid, EnumeratesEveryInterfaceInNodeNumberOrder) {
  HidrawMachine m('A', 9);  // 9 others and the keyboard's 3: more than 8
  std::filesystem::create_directories(m.tree.root() / "sys/class/hidraw/not-a-node");
  HidInterface hid(*m.backend);
  ASSERT_EQ(hid.Enumerate(), 1);
  std::vector<std::string> names;
  while (auto p = hid.NextPath()) names.push_back(std::filesystem::path(Utf16ToUtf8(*p)).filename().string());
  ASSERT_EQ(names.size(), 12u);
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], "hidraw" + std::to_string(i));
}

TEST(LinuxHid, MachineWithoutHidrawClassHasNoInterfaces) {
  auto backend = MakeLinuxHidBackend({"/nonexistent-keyloom/sys", "/nonexistent-keyloom/dev"});
  HidInterface hid(*backend);
  EXPECT_EQ(hid.Enumerate(), 1);
  EXPECT_FALSE(hid.NextPath());
}

TEST(LinuxHid, WatcherOpensTheVendorInterfaceAndTalksThroughIt) {
  for (char model : {'A', 'B'}) {
    SCOPED_TRACE(model);
    HidrawMachine m(model, 2);
    ASSERT_TRUE(m.watcher.Step());
    ASSERT_EQ(m.link.connected, 1);
    EXPECT_EQ(Utf16ToUtf8(m.link.hid.path()), m.tree.NodeOf(SimInterface::kVendor));
    EXPECT_EQ(m.link.keymap_size, model == 'A' ? 378 : 384);
    EXPECT_EQ(m.sink.Calls(), (Calls{"arrival", "tray 141", "open"}));
    EXPECT_EQ(m.link.macro_capacity, model == 'A' ? 4096 : 8192);
    EXPECT_EQ(m.commands.SetActiveProfile(2), kResultOk);
    EXPECT_EQ(m.keyboard.Memory().settings[10], 2);
  }
}

TEST(LinuxHid, BootAndConsumerInterfacesHaveTheIdsButDoNotMatch) {
  HidrawMachine m;
  HidInterface hid(*m.backend);
  for (SimInterface iface : {SimInterface::kBoot, SimInterface::kConsumer}) {
    const std::u16string path = Utf8ToUtf16(m.tree.NodeOf(iface));
    EXPECT_TRUE(IsCandidatePath(*m.backend, path));
    ASSERT_EQ(hid.Open(path, true, true, true, false), 1);
    EXPECT_EQ(hid.attributes().vendor_id, 0x0C45);
    EXPECT_EQ(hid.attributes().product_id, 0x652F);
    EXPECT_NE(hid.caps().usage_page, kVendorUsagePage);
  }
  EXPECT_EQ(hid.caps().input_report_length, 3);  // the consumer interface: report id and 16 bits
}

TEST(LinuxHid, ReadWithALimitOnASilentInterfaceTimesOut) {
  HidrawMachine m;
  HidInterface hid(*m.backend);
  ASSERT_EQ(hid.Open(Utf8ToUtf16(m.tree.NodeOf(SimInterface::kVendor)), true, true, true, false), 1);
  uint8_t buf[64];
  size_t done = 99;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(hid.ReadReport(buf, sizeof buf, &done, 300), 0);
  const int64_t elapsed = ElapsedMs(start);
  EXPECT_EQ(done, 0u);
  EXPECT_GE(elapsed, 295);
  EXPECT_LT(elapsed, 2000);
}

TEST(LinuxHid, CloseFromAnotherThreadEndsAnEndlessRead) {
  HidrawMachine m;
  HidInterface hid(*m.backend);
  ASSERT_EQ(hid.Open(Utf8ToUtf16(m.tree.NodeOf(SimInterface::kConsumer)), true, false, true, false), 1);
  std::atomic<int> result{-1};
  std::atomic<int64_t> waited{-1};
  std::thread reader([&] {
    uint8_t buf[3];
    size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    result = hid.ReadReport(buf, sizeof buf, &done, -1);
    waited = ElapsedMs(start);
  });
  hid.Close();
  reader.join();
  EXPECT_EQ(result, 0);
  EXPECT_LT(waited, 1000);
  // A read after the close fails at once as well.
  uint8_t buf[3];
  size_t done = 0;
  EXPECT_EQ(hid.ReadReport(buf, sizeof buf, &done, -1), 0);
}

TEST(LinuxHid, ConsumerNotificationArrivesAndParses) {
  HidrawMachine m;
  HidInterface hid(*m.backend);
  ASSERT_EQ(hid.Open(Utf8ToUtf16(m.tree.NodeOf(SimInterface::kConsumer)), true, false, true, false), 1);
  m.keyboard.SwitchProfileOnKeyboard(1);  // sends 0x0402, then all keys up
  uint8_t report[3];
  size_t done = 0;
  for (uint16_t expected : {0x0402, 0x0000}) {
    ASSERT_EQ(hid.ReadReport(report, sizeof report, &done, 2000), 1);
    EXPECT_EQ(done, 3u);
    ASSERT_TRUE(hid.ParseInputReport(report, done));
    EXPECT_EQ(hid.input_items().at(0).usages.at(0), expected);
  }
}

TEST(LinuxHid, UnplugEndsReadsAndTheWatcherReportsRemoval) {
  HidrawMachine m;
  ASSERT_TRUE(m.watcher.Step());
  HidInterface consumer(*m.backend);
  ASSERT_EQ(consumer.Open(Utf8ToUtf16(m.tree.NodeOf(SimInterface::kConsumer)), true, false, true, false), 1);
  m.sink.Clear();
  m.keyboard.Unplug();
  m.tree.RemoveKeyboard();
  uint8_t report[3];
  size_t done = 0;
  EXPECT_EQ(consumer.ReadReport(report, sizeof report, &done, -1), 0) << "the node closed: no endless wait";
  ASSERT_TRUE(m.watcher.Step());
  EXPECT_EQ(m.link.connected, 0);
  EXPECT_EQ(m.sink.Calls(), (Calls{"removal", "hide", "tray 128"}));
  uint8_t settings[kSettingsSize];
  EXPECT_EQ(m.commands.ReadSettings(settings), kResultNoKeyboard);
}

TEST(LinuxHid, InterfaceWithUnreadableDescriptionIsNotOpened) {
  HidrawMachine m;
  const std::string no_ids = "DRIVER=hid-generic\nHID_NAME=Broken\n";
  const uint8_t cut_descriptor[] = {0x06, 0x1C};
  const std::string bad_ids = m.tree.Add(0x0C45, 0x652F, SimReportDescriptor(SimInterface::kVendor), nullptr,
                                         SimInterface::kBoot, &no_ids);
  const std::string bad_descriptor = m.tree.Add(0x0C45, 0x652F, cut_descriptor);
  HidInterface hid(*m.backend);
  EXPECT_FALSE(IsCandidatePath(*m.backend, Utf8ToUtf16(bad_ids)));
  EXPECT_EQ(hid.Open(Utf8ToUtf16(bad_ids), true, true, true, false), 0);
  EXPECT_EQ(hid.Open(Utf8ToUtf16(bad_descriptor), true, true, true, false), 0);
  EXPECT_FALSE(hid.IsOpen());
  EXPECT_FALSE(m.backend->Probe(u"/dev/not-hidraw"));
}

TEST(LinuxHid, UeventIdsAreReadFromTheHidIdLine) {
  struct Case {
    const char* text;
    std::optional<std::pair<uint16_t, uint16_t>> ids;
  } cases[] = {
      {"DRIVER=hid-generic\nHID_ID=0003:00000C45:0000652F\nHID_NAME=x\n", std::pair<uint16_t, uint16_t>{0x0C45, 0x652F}},
      {"HID_ID=0003:0000320f:00005064", std::pair<uint16_t, uint16_t>{0x320F, 0x5064}},
      {"HID_NAME=x\n", std::nullopt},
      {"HID_ID=0003:00000C45\n", std::nullopt},
      {"HID_ID=0003:00010C45:0000652F\n", std::nullopt},  // not a 16-bit id
      {"HID_ID=0003:0000XC45:0000652F\n", std::nullopt},
      {"XHID_ID=0003:00000C45:0000652F\n", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = ParseHidUevent(c.text);
    ASSERT_EQ(got.has_value(), c.ids.has_value()) << c.text;
    if (got) {
      EXPECT_EQ(got->vendor_id, c.ids->first) << c.text;
      EXPECT_EQ(got->product_id, c.ids->second) << c.text;
    }
  }
}

}  // namespace
}  // namespace keyloom

#endif
