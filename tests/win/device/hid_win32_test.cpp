#include <gtest/gtest.h>

#include "base/clock.h"
#include "device/hid_backend.h"
#include "device/hid_win32.h"
#include "device/presence.h"

namespace keyloom {
namespace {

TEST(Win32Hid, EnumeratesWhateverTheSystemPresents) {
  auto backend = MakeWin32HidBackend();
  HidInterface hid(*backend);
  ASSERT_EQ(hid.Enumerate(), 1);
  int paths = 0;
  while (auto p = hid.NextPath()) {
    ++paths;
    EXPECT_FALSE(IsCandidatePath(*backend, *p)) << "no keyboard of ours is attached here";
  }
  EXPECT_EQ(static_cast<size_t>(paths), hid.path_count());
}

TEST(Win32Hid, OpenOfAMissingPathFailsAndStaysClosed) {
  auto backend = MakeWin32HidBackend();
  HidInterface hid(*backend);
  EXPECT_EQ(hid.Open(u"\\\\?\\hid#vid_0c45&pid_652f&mi_02#0&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030}", true,
                     true, true, false),
            0);
  EXPECT_FALSE(hid.IsOpen());
  EXPECT_FALSE(backend->Probe(u"\\\\?\\hid#vid_0c45&pid_652f#missing"));
}

TEST(Win32Hid, SimulationIsChosenByTheEnvironment) {
  SystemClock clock;
  HidEnvironment sim = MakeHidEnvironment(clock, "B", nullptr);
  ASSERT_NE(sim.simulated, nullptr);
  EXPECT_EQ(sim.simulated->model().product_id, 0x5064);
  HidEnvironment real = MakeHidEnvironment(clock, nullptr, nullptr);
  EXPECT_EQ(real.simulated, nullptr);
  ASSERT_NE(real.backend, nullptr);
}

}  // namespace
}  // namespace keyloom
