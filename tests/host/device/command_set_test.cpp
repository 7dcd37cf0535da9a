#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

std::string Hex(std::span<const uint8_t> bytes) {
  std::string s;
  char buf[4];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    s += buf;
  }
  return s;
}

TEST(CommandFrame, ChecksumCoversBytes3To63) {
  CommandFrame f = MakeFrame(3, 44, 0);
  SealFrame(f);
  EXPECT_EQ(f[1], 0x2F);
  EXPECT_EQ(f[2], 0x00);
  f[63] = 0xFF;
  f[40] = 0xFF;
  SealFrame(f);
  EXPECT_EQ(LoadU16(&f[1]), 47 + 0xFF + 0xFF);
}

TEST(Commands, ReadSettingsSendsTheDocumentedFrame) {
  SimStack sim;
  std::array<uint8_t, kSettingsSize> settings{};
  ASSERT_EQ(sim.commands.ReadSettings(settings), kResultOk);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 1u);
  const uint8_t expected[9] = {0x04, 0x2F, 0x00, 0x03, 0x2C, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(Hex({frames[0].data(), 9}), Hex(expected));
  EXPECT_TRUE(std::all_of(frames[0].begin() + 9, frames[0].end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(settings[11], 32);  // model A: 4096 bytes of macros
  EXPECT_EQ(settings[12], 1);
}

TEST(Commands, SetActiveProfileReadsThenWritesTheWholeBlockWithoutBracket) {
  SimStack sim;
  const auto before = sim.keyboard.Memory().settings;
  ASSERT_EQ(sim.commands.SetActiveProfile(2), kResultOk);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0][frame::kCommand], 3);
  EXPECT_EQ(frames[1][frame::kCommand], 4);
  auto expected = before;
  expected[10] = 2;
  EXPECT_EQ(Hex({frames[1].data() + 8, kSettingsSize}), Hex(expected));
  EXPECT_EQ(sim.keyboard.Memory().settings, expected);
  EXPECT_EQ(sim.link.active_profile_cache, 2);
  EXPECT_EQ(sim.commands.GetActiveProfile(), 2);
  EXPECT_EQ(sim.Frames().size(), 2u) << "the cache answers";
}

TEST(Commands, NegativeProfileSendsNothing) {
  SimStack sim;
  sim.commands.SetActiveProfile(-1);
  EXPECT_TRUE(sim.Frames().empty());
}

TEST(Commands, GetActiveProfileAsksOnceThenUsesTheCache) {
  SimStack sim;
  sim.keyboard.EditMemory([](SimMemory& m) { m.settings[10] = 1; });
  EXPECT_EQ(sim.commands.GetActiveProfile(), 1);
  EXPECT_EQ(sim.commands.GetActiveProfile(), 1);
  EXPECT_EQ(sim.Frames().size(), 1u);
}

TEST(Commands, NoKeyboardMeansZeroAtOnceAndNothingSent) {
  SimStack sim('A', /*connect=*/false);
  std::array<uint8_t, kSettingsSize> s{};
  std::array<uint8_t, 384> block{};
  EXPECT_EQ(sim.commands.ReadSettings(s), kResultNoKeyboard);
  EXPECT_EQ(sim.commands.WriteKeyMap(0, block), kResultNoKeyboard);
  EXPECT_EQ(sim.commands.BeginExchange(), kResultNoKeyboard);
  EXPECT_EQ(sim.commands.EnterBootMode(), 0);
  EXPECT_EQ(sim.commands.GetActiveProfile(), -1);
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_EQ(sim.clock.NowMs(), 0) << "no waiting without a keyboard";
}

TEST(Commands, KeyboardThatNeverAnswersGetsFourWritesAndZero) {
  SimStack sim;
  sim.keyboard.DropReplies(1000);
  std::array<uint8_t, kSettingsSize> s{};
  EXPECT_EQ(sim.commands.ReadSettings(s), kResultNoKeyboard);
  EXPECT_EQ(sim.Frames().size(), 4u);
  EXPECT_EQ(sim.clock.NowMs(), 4 * kReplyLimitMs);
}

TEST(Commands, LostRepliesAreRetriedWithTheSameFrame) {
  SimStack sim;
  sim.keyboard.DropReplies(3);
  std::array<uint8_t, kSettingsSize> s{};
  EXPECT_EQ(sim.commands.ReadSettings(s), kResultOk);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 4u);
  for (const auto& f : frames) EXPECT_EQ(f, frames[0]);
}

TEST(Commands, StatusBytesMapToResults) {
  struct Case {
    uint8_t status;
    int result;
  } cases[] = {{0xFF, kResultRefused}, {0xFE, kResultBusy}, {0x00, kResultOk}, {0x01, kResultOk}, {0x7F, kResultOk}};
  for (const Case& c : cases) {
    SimStack sim;
    sim.keyboard.ReplyStatusAt(1, c.status);
    EXPECT_EQ(sim.commands.BeginExchange(), c.result) << "status " << int(c.status);
  }
}

TEST(Commands, StalledWriteFailsWithMinusOneAndIsNotRepeated) {
  SimStack sim;
  sim.keyboard.StallWrites(true);
  EXPECT_EQ(sim.commands.BeginExchange(), kResultWriteFailed);
  EXPECT_EQ(sim.clock.NowMs(), kWriteLimitMs);
  EXPECT_TRUE(sim.Frames().empty());
}

TEST(Commands, ReadKeyMapOfProfile1OnModelBUsesStride512) {
  SimStack sim('B');
  std::array<uint8_t, 384> block{};
  ASSERT_EQ(sim.commands.ReadKeyMap(1, block), kResultOk);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 7u);
  const int offsets[] = {512, 568, 624, 680, 736, 792, 848};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(frames[i][frame::kCommand], 7);
    EXPECT_EQ(LoadU16(&frames[i][frame::kOffset]), offsets[i]);
    EXPECT_EQ(frames[i][frame::kLength], i < 6 ? 56 : 48);
  }
  const auto memory = sim.keyboard.Memory();
  EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.keymaps.begin() + 512));
}

TEST(Commands, KeyMapProfileAbove2IsRefusedWithNothingSent) {
  SimStack sim;
  std::array<uint8_t, 384> block{};
  EXPECT_EQ(sim.commands.WriteKeyMap(3, block), kResultBadProfile);
  EXPECT_EQ(sim.commands.ReadKeyMap(-1, block), kResultBadProfile);
  EXPECT_TRUE(sim.Frames().empty());
}

TEST(Commands, KeyMapOfProfile2WithStride378StartsAt756) {
  SimStack sim;
  std::array<uint8_t, 378> block{};
  block.fill(0x22);
  ASSERT_EQ(sim.commands.WriteKeyMap(2, block), kResultOk);
  EXPECT_EQ(LoadU16(&sim.Frames()[0][frame::kOffset]), 756);
  const auto memory = sim.keyboard.Memory();
  EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.keymaps.begin() + 756));
}

TEST(Commands, ShortLastChunkCarriesThePreviousChunksBytes) {
  SimStack sim;
  std::vector<uint8_t> area(60);
  for (size_t i = 0; i < area.size(); ++i) area[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(sim.commands.WriteMacros(area), kResultOk);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 2u);
  const CommandFrame& last = frames[1];
  EXPECT_EQ(last[frame::kLength], 4);
  EXPECT_EQ(LoadU16(&last[frame::kOffset]), 56);
  EXPECT_EQ(last[8], 57);
  EXPECT_EQ(last[11], 60);
  EXPECT_EQ(last[12], 5) << "stale byte 4 of the first chunk stays in the frame";
  EXPECT_EQ(last[63], 56);
  EXPECT_EQ(LoadU16(&last[1]), FrameChecksum(last)) << "stale bytes are summed";
}

TEST(Commands, EmptyBlockSendsNothing) {
  SimStack sim;
  EXPECT_EQ(sim.commands.WriteMacros({}), kResultOk);
  EXPECT_TRUE(sim.Frames().empty());
}

TEST(Commands, FailingChunkStopsTheTransferAndKeepsEarlierChunks) {
  SimStack sim;
  std::array<uint8_t, 378> block{};
  block.fill(0x33);
  sim.keyboard.ReplyStatusAt(3, 0xFF);
  EXPECT_EQ(sim.commands.WriteKeyMap(0, block), kResultRefused);
  EXPECT_EQ(sim.Frames().size(), 3u);
  const auto memory = sim.keyboard.Memory();
  EXPECT_EQ(memory.keymaps[111], 0x33);
}

TEST(Commands, WriteKeyColorsOffsetIncludesTheLightingProfile) {
  SimStack sim;
  const uint8_t rgb[3] = {0x10, 0x20, 0x30};
  ASSERT_EQ(sim.commands.WriteKeyColors(2, 126, rgb), kResultOk);
  const auto f = sim.Frames().at(0);
  EXPECT_EQ(f[frame::kCommand], 17);
  EXPECT_EQ(LoadU16(&f[frame::kOffset]), 1402);
  EXPECT_EQ(sim.keyboard.Memory().keycolors[1402], 0x10);
}

TEST(Commands, EnterBootModeSendsAnUnsummedFrameAndReadsNothing) {
  SimStack sim;
  EXPECT_NE(sim.commands.EnterBootMode(), 0);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 1u);
  CommandFrame expected{};
  expected[0] = 0x04;
  expected[3] = 0xEE;
  expected[4] = 0xEE;
  EXPECT_EQ(Hex(frames[0]), Hex(expected));
  EXPECT_TRUE(sim.keyboard.Memory().boot_mode);
  EXPECT_FALSE(sim.keyboard.plugged()) << "the keyboard restarts into its boot loader";
  EXPECT_EQ(sim.clock.NowMs(), 0) << "no reply is awaited";
}

TEST(Commands, EndExchangePausesTenMilliseconds) {
  SimStack sim;
  EXPECT_EQ(sim.commands.EndExchange(), kResultOk);
  EXPECT_EQ(sim.clock.NowMs(), kEndExchangePauseMs);
}

TEST(Commands, UnpluggingMidTransferFailsTheWriteThatFollows) {
  SimStack sim;
  std::array<uint8_t, 378> block{};
  sim.keyboard.UnplugAfterFrames(2);
  EXPECT_EQ(sim.commands.WriteKeyMap(0, block), kResultWriteFailed);
  EXPECT_EQ(sim.Frames().size(), 2u);
}

TEST(Commands, AnUnaskedReportIsNotTakenForTheNextReply) {
  SimStack sim;
  // A frame whose reply nobody reads (an unknown command: status 0xFF) leaves
  // that reply waiting, like a reply that came after its time limit.
  CommandFrame unasked = MakeFrame(0x55, 0, 0);
  SealFrame(unasked);
  size_t done = 0;
  sim.link.hid.WriteReport(unasked.data(), kFrameSize, &done, kWriteLimitMs);
  EXPECT_EQ(sim.commands.BeginExchange(), kResultOk);
}

TEST(Commands, TwoThreadsNeverReceiveEachOthersData) {
  SimStack sim;
  sim.keyboard.EditMemory([](SimMemory& m) {
    std::fill(m.params.begin(), m.params.end(), 0xAA);
    std::fill(m.settings.begin() + 12, m.settings.end(), 0x55);
  });
  std::atomic<int> wrong{0};
  auto settings_reader = [&] {
    for (int i = 0; i < 300; ++i) {
      std::array<uint8_t, kSettingsSize> s{};
      if (sim.commands.ReadSettings(s) != kResultOk || s[20] != 0x55) ++wrong;
    }
  };
  auto params_reader = [&] {
    for (int i = 0; i < 300; ++i) {
      std::array<uint8_t, kFrameData> p{};
      if (sim.commands.ReadParams(0, 42, p) != kResultOk || p[20] != 0xAA) ++wrong;
    }
  };
  std::thread a(settings_reader), b(params_reader);
  a.join();
  b.join();
  EXPECT_EQ(wrong, 0);
}

TEST(SimKeyboard, RefusesBadChecksumsUnknownCommandsAndOutOfRangeAreas) {
  SimStack sim;
  CommandFrame reply{};
  CommandFrame bad_sum = MakeFrame(1, 0, 0);
  bad_sum[1] = 0x99;
  EXPECT_EQ(sim.commands.Transact(bad_sum, reply), kResultOk);
  EXPECT_EQ(reply[frame::kStatus], 0xFF);
  CommandFrame unknown = MakeFrame(0x42, 0, 0);
  SealFrame(unknown);
  sim.commands.Transact(unknown, reply);
  EXPECT_EQ(reply[frame::kStatus], 0xFF);
  const uint8_t data[8] = {};
  EXPECT_EQ(sim.commands.WriteParams(120, data), kResultRefused) << "126-byte area";
  EXPECT_EQ(sim.commands.WriteParams(118, data), kResultOk);
}

TEST(SimKeyboard, ModelBDefaultKeyMapCarriesTheGKeys) {
  const SimMemory m = FactoryMemory(kModelB);
  ASSERT_EQ(m.default_keymap.size(), 384u);
  const int positions[9] = {0, 1, 2, 3, 4, 5, 6, 7, 14};
  for (int g = 0; g < 9; ++g) {
    const uint8_t* e = &m.default_keymap[positions[g] * 3];
    EXPECT_EQ(e[0], 6);
    EXPECT_EQ(e[1], 0xA2);
    EXPECT_EQ(e[2], g + 1);
  }
  EXPECT_EQ(m.default_keymap[126 * 3], 0);
  EXPECT_EQ(m.macros.size(), 8192u);
  const SimMemory a = FactoryMemory(kModelA);
  EXPECT_TRUE(std::equal(a.default_keymap.begin(), a.default_keymap.end(), kBuiltInDefaultMatrix.begin()));
  EXPECT_EQ(a.macros.size(), 4096u);
}

TEST(SimKeyboard, StateDirectoryKeepsMemoryBetweenProcesses) {
  const auto dir = std::filesystem::path(KEYLOOM_BINARY_DIR) / "tmp" / "sim-state-test";
  std::filesystem::remove_all(dir);
  {
    SimStack sim('B', false);
    sim.keyboard.Unplug();
    sim.keyboard.SetStateDir(dir);
    sim.keyboard.Plug();
    sim.Connect();
    ASSERT_EQ(sim.commands.SetActiveProfile(1), kResultOk);
  }
  EXPECT_EQ(std::filesystem::file_size(dir / "settings.bin"), 44u);
  EXPECT_EQ(std::filesystem::file_size(dir / "keymaps.bin"), 1536u);
  EXPECT_EQ(std::filesystem::file_size(dir / "macros.bin"), 8192u);
  SimStack again('B', false);
  again.keyboard.Unplug();
  again.keyboard.SetStateDir(dir);
  again.keyboard.Plug();
  EXPECT_EQ(again.keyboard.Memory().settings[10], 1);
}

// A memory file the keyboard cannot use is said, and kept: the keyboard runs
// on the factory contents and writes none of its files.
TEST(SimKeyboard, StateFileItCannotReadIsReportedAndLeftAlone) {
  const auto dir = std::filesystem::path(KEYLOOM_BINARY_DIR) / "tmp" / "sim-state-unreadable";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "keymaps.bin");  // a folder where a file should be
  {
    std::ofstream(dir / "settings.bin", std::ios::binary) << std::string(43, '\x01');
  }
  SimStack sim('A', false);
  sim.keyboard.Unplug();
  std::vector<std::string> reported;
  sim.keyboard.SetProblemReporter([&](const std::string& p) { reported.push_back(p); });
  sim.keyboard.SetStateDir(dir);
  sim.keyboard.Plug();
  sim.Connect();
  ASSERT_EQ(reported.size(), 3u);
  EXPECT_NE(reported[0].find("settings.bin: it holds 43 bytes, not 44"), std::string::npos) << reported[0];
  EXPECT_NE(reported[1].find("keymaps.bin: it is a folder, not a regular file"), std::string::npos) << reported[1];
  EXPECT_NE(reported[2].find("writes none of its memory files"), std::string::npos) << reported[2];
  EXPECT_EQ(sim.keyboard.Memory().settings, FactoryMemory(kModelA).settings);

  ASSERT_EQ(sim.commands.SetActiveProfile(2), kResultOk);
  EXPECT_EQ(sim.keyboard.Memory().settings[10], 2);
  EXPECT_EQ(std::filesystem::file_size(dir / "settings.bin"), 43u);
  EXPECT_FALSE(std::filesystem::exists(dir / "params.bin"));
  EXPECT_EQ(sim.keyboard.Problems(), reported);
}

TEST(SimKeyboard, StateFileItCannotWriteIsReportedOnce) {
  const auto file = std::filesystem::path(KEYLOOM_BINARY_DIR) / "tmp" / "sim-state-is-a-file";
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::remove_all(file);
  std::ofstream(file) << "not a folder";
  SimStack sim('B', false);
  sim.keyboard.Unplug();
  sim.keyboard.SetStateDir(file);
  sim.keyboard.Plug();
  sim.Connect();
  ASSERT_EQ(sim.commands.SetActiveProfile(1), kResultOk);
  ASSERT_EQ(sim.commands.SetActiveProfile(2), kResultOk);
  const std::vector<std::string> problems = sim.keyboard.Problems();
  ASSERT_EQ(problems.size(), 6u) << "one report per memory file:\n" << ::testing::PrintToString(problems);
  EXPECT_NE(problems[0].find("cannot write its memory file"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("settings.bin: its folder cannot be used"), std::string::npos) << problems[0];
}

}  // namespace
}  // namespace keyloom
