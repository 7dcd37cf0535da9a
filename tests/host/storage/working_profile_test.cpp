#include <gtest/gtest.h>

#include "model/key_map.h"
#include "storage/working_profile.h"
#include "storage/persist_support.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

// What the keyboard holds after an apply of `store` to every profile.
KeyboardAssignments Applied(const KeyStore& store, const std::array<uint8_t, kDefaultMatrixBytes>& matrix,
                            bool names) {
  KeyboardAssignments k;
  for (int p = 0; p < kProfileCount; ++p) {
    k.key_maps[p].assign(kMaxKeyMapSize, 0);
    EncodeKeyMap(store, p, matrix, k.key_maps[p]);
  }
  if (!store.macros.empty()) {
    const MacroAreaSizePair sizes = MacroAreaSizes(store.macros);
    k.macro_area = BuildMacroArea(store.macros, names ? sizes.with_names : sizes.without_names, names);
  }
  return k;
}

MacroRecord Macro(uint16_t id, std::u16string_view name) {
  MacroRecord m;
  m.macro_id = id;
  SetMacroName(m, name);
  AddMacroEvent(m, {10, 0x01E, kMacroStatePress});
  AddMacroEvent(m, {10, 0x01E, kMacroStateRelease});
  return m;
}

TEST(WorkingProfile, TheKeyboardHoldsAStoreWhenItsMapsAndMacroAreaAreWhatTheApplySends) {
  const auto matrix = kBuiltInDefaultMatrix;
  KeyStore store;
  KeyRecord launch;
  launch.type = static_cast<uint16_t>(KeyType::kLaunchProgram);
  store.SetRecord(1, 0x1E, launch);  // the keyboard cannot tell it from Default
  store.macros.push_back(Macro(1, u"a name the keyboard may not keep"));
  const size_t roomy = 8192;
  const size_t tight = MacroAreaSizes(store.macros).without_names;

  EXPECT_TRUE(KeyboardHoldsStore(Applied(store, matrix, true), store, matrix, roomy));
  EXPECT_TRUE(KeyboardHoldsStore(Applied(store, matrix, false), store, matrix, tight)) << "names left out";
  EXPECT_FALSE(KeyboardHoldsStore(Applied(store, matrix, false), store, matrix, tight - 1))
      << "macros the apply could not have sent";

  // One position of one profile that differs is enough; bytes past the 126
  // positions are the keyboard's own.
  KeyboardAssignments k = Applied(store, matrix, true);
  k.key_maps[2][kKeyMapUsedBytes] ^= 0x40;
  EXPECT_TRUE(KeyboardHoldsStore(k, store, matrix, roomy));
  k.key_maps[2][99 * 3 + 2] ^= 0x40;
  EXPECT_FALSE(KeyboardHoldsStore(k, store, matrix, roomy));

  // A keyboard that was never written holds its default key map, which is
  // what a store read from it sends back.
  KeyboardAssignments factory;
  for (auto& map : factory.key_maps) map.assign(matrix.begin(), matrix.begin() + kMaxKeyMapSize);
  KeyStore decoded;
  for (int p = 0; p < kProfileCount; ++p) DecodeKeyMap(factory.key_maps[p], matrix, decoded.ProfileRecords(p));
  EXPECT_TRUE(KeyboardHoldsStore(factory, decoded, matrix, roomy));

  KeyboardAssignments other_macro = Applied(store, matrix, true);
  other_macro.macro_area.back() ^= 1;
  EXPECT_FALSE(KeyboardHoldsStore(other_macro, store, matrix, roomy));
  KeyboardAssignments no_macros = Applied(store, matrix, true);
  no_macros.macro_area.clear();
  EXPECT_FALSE(KeyboardHoldsStore(no_macros, store, matrix, roomy));
  KeyStore empty;
  EXPECT_TRUE(KeyboardHoldsStore(Applied(empty, matrix, true), empty, matrix, roomy));
}

TEST(WorkingProfile, AKeyboardThatCannotBeReadGivesAnEmptyDocumentAndLeavesTheFile) {
  SimStack sim('A');
  persist_test::TempDir dir;
  const std::u16string path = WorkingProfilePath(dir.Folder());
  class NoTexts final : public TextSource {
    std::u16string Text(std::u16string_view) const override { return u"M"; }
  } texts;
  KeyStore edit;
  edit.SetRecord(0, 0x1E, KeyRecord{2, 0, 0x30, 0, 0});
  sim.keyboard.Unplug();
  sim.link.connected = 0;
  EXPECT_EQ(LoadWorkingProfile(path, edit, sim.commands, texts), WorkingProfileSource::kEmpty);
  EXPECT_FALSE(edit.Record(0, 0x1E).assigned());
  EXPECT_EQ(edit.Record(0, 256).sub, 0x301);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));
}

}  // namespace
}  // namespace keyloom
