// Every device operation against every fault the keyboard or the link can
// show: no reply (once, three times, four times), status 0xFF and 0xFE,
// unplugging before, at and after a frame, a reply that arrives in the next
// frame's reply window, a stalled write (each at the first, a middle and the
// last frame of the operation), a stale reply waiting in the input queue,
// and report latencies just under and just over the reply limit.
//
// For each case: the result the retry rule gives, a bounded time on the
// keyboard's clock, and a host state that tells the truth: a success has
// really reached the keyboard (or really read it), a failure leaves the
// state the operation promises for failures.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "device/default_matrix.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/lighting_ops.h"
#include "model/macro.h"
#include "model/text_source.h"
#include "storage/profile_file.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::RecordingSink;
using testing::SimStack;
using Bytes = std::vector<uint8_t>;

constexpr int kLatencyMs = 1;  // per report, as a full-speed USB endpoint

Bytes Pattern(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

class Messages final : public UserMessages {
 public:
  void ShowMessage(std::u16string_view key) override { keys.emplace_back(key); }
  std::vector<std::u16string> keys;
};

class Texts final : public TextSource {
 public:
  std::u16string Text(std::u16string_view) const override { return u"Macro "; }
};

class ViewOff final : public LightingViewSetting {
 public:
  int StoredLightingView() const override { return 0; }
};

MacroRecord Macro(uint16_t id, int events) {
  MacroRecord m;
  m.macro_id = id;
  for (int i = 0; i < events; ++i) AddMacroEvent(m, {20, static_cast<uint16_t>(0x1E + i % 10), static_cast<uint16_t>(i % 2)});
  SetMacroName(m, u"m" + std::u16string(1, static_cast<char16_t>(u'0' + id)));
  return m;
}

// A keyboard whose memory holds something else than any operation writes,
// and a host as it is after the keyboard's arrival.
struct Env {
  explicit Env(char model) : sim(model) {
    sim.keyboard.SetLatencyMs(kLatencyMs);
    sim.keyboard.EditMemory([](SimMemory& m) {
      const Bytes p = Pattern(m.params.size(), 1), k = Pattern(m.keymaps.size(), 2), c = Pattern(m.keycolors.size(), 3);
      std::copy(p.begin(), p.end(), m.params.begin());
      std::copy(k.begin(), k.end(), m.keymaps.begin());
      std::copy(c.begin(), c.end(), m.keycolors.begin());
      // A default key map the host does not have yet, and a macro area.
      for (size_t i = 0; i < m.default_keymap.size(); i += 3) m.default_keymap[i + 2] ^= 0x40;
      const std::vector<MacroRecord> macros = {Macro(1, 30), Macro(2, 12)};
      const Bytes area = BuildMacroArea(macros, MacroAreaSizes(macros).with_names, true);
      std::copy(area.begin(), area.end(), m.macros.begin());
      m.settings[10] = 1;
    });
    const SimMemory memory = sim.keyboard.Memory();
    sim.link.SetDefaultMatrix(memory.default_keymap);
    sim.link.macro_capacity = static_cast<int>(memory.macros.size());
    stores.edit.macros = {Macro(1, 40), Macro(2, 7), Macro(3, 90)};
    for (int p = 0; p < kProfileCount; ++p) {
      KeyRecord r;
      r.type = static_cast<uint16_t>(KeyType::kPlayMacro);
      r.value = static_cast<uint32_t>(p + 1);
      stores.edit.SetRecord(p, 0x1E, r);
    }
    lighting.state.lighting_profile = 1;
    lighting.key_colours = [] {
      std::array<uint8_t, kKeyColourTableSize> c{};
      const Bytes b = Pattern(c.size(), 9);
      std::copy(b.begin(), b.end(), c.begin());
      return c;
    }();
    presence.quiet_start = 1;
    sim.keyboard.ClearTrace();
    before = sim.keyboard.Memory();
  }

  SimMemory Memory() const { return sim.keyboard.Memory(); }
  Bytes KeyMap(const SimMemory& m, int profile) const {
    auto at = m.keymaps.begin() + profile * sim.link.stride;
    return Bytes(at, at + sim.link.keymap_size);
  }

  SimStack sim;
  KeyStores stores;
  LightingModel lighting;
  Messages messages;
  RecordingSink sink;
  PresenceState presence;
  Bytes got;  // what a read brought back
  SimMemory before;
};

// How an operation tells its outcome.
enum class Reports {
  kCode,  // the result code of the first step that failed
  kBool,  // 1 for success, anything else for failure
};

struct Operation {
  std::string name;
  char model;
  Reports reports;
  std::function<int(Env&)> run;
  // Checks the host and the keyboard after the run; `ok` says whether the
  // operation said it succeeded.
  std::function<void(Env&, bool ok)> check;
  // The result when step `frame` failed with `code`, for operations that
  // report something else than the failing step's code.
  std::function<int(int frame, int code)> reported = nullptr;
};

Bytes Slice(std::span<const uint8_t> bytes, size_t at, size_t n) { return Bytes(bytes.begin() + at, bytes.begin() + at + n); }

std::vector<Operation> Operations() {
  std::vector<Operation> ops;
  auto frame = [](std::vector<Operation>& list, std::string name, std::function<int(Env&)> run,
                  std::function<void(Env&, bool)> check) {
    list.push_back({std::move(name), 'A', Reports::kCode, std::move(run), std::move(check)});
  };
  auto nothing = [](Env&, bool) {};

  // Single-frame commands.
  frame(ops, "BeginExchange", [](Env& e) { return e.sim.commands.BeginExchange(); }, nothing);
  frame(ops, "EndExchange", [](Env& e) { return e.sim.commands.EndExchange(); }, nothing);
  frame(ops, "ReadSettings",
        [](Env& e) {
          std::array<uint8_t, kSettingsSize> s{};
          const int r = e.sim.commands.ReadSettings(s);
          e.got.assign(s.begin(), s.end());
          return r;
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(e.got, Bytes(e.before.settings.begin(), e.before.settings.end()));
          }
        });
  frame(ops, "WriteSettings",
        [](Env& e) {
          auto s = e.before.settings;
          s[10] = 2;
          return e.sim.commands.WriteSettings(s);
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(e.Memory().settings[10], 2);
          }
        });
  frame(ops, "ReadParams",
        [](Env& e) {
          std::array<uint8_t, kFrameData> p{};
          const int r = e.sim.commands.ReadParams(42, 42, p);
          e.got.assign(p.begin(), p.begin() + 42);
          return r;
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(e.got, Slice(e.before.params, 42, 42));
          }
        });
  frame(ops, "WriteParams",
        [](Env& e) {
          const uint8_t bytes[5] = {9, 8, 7, 6, 5};
          return e.sim.commands.WriteParams(45, bytes);
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().params, 45, 5), (Bytes{9, 8, 7, 6, 5}));
          }
        });
  frame(ops, "WriteKeyColors",
        [](Env& e) {
          const Bytes c = Pattern(54, 77);
          return e.sim.commands.WriteKeyColors(2, 126, c);
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().keycolors, 1024 + 378, 54), Pattern(54, 77));
          }
        });
  ops.push_back({"GetActiveProfile", 'A', Reports::kBool,
                 [](Env& e) { return e.sim.commands.GetActiveProfile() == 1 ? 1 : 0; },
                 [](Env& e, bool ok) { EXPECT_EQ(e.sim.link.active_profile_cache, ok ? 1 : -1); }});
  frame(ops, "SetActiveProfile", [](Env& e) { return e.sim.commands.SetActiveProfile(2); },
        [](Env& e, bool ok) {
          EXPECT_EQ(e.sim.link.active_profile_cache, ok ? 2 : -1);
          if (ok) {
            EXPECT_EQ(e.Memory().settings, [&] { auto s = e.before.settings; s[10] = 2; return s; }());
          }
        });

  // Chunked transfers, on both models' geometry.
  for (char model : {'A', 'B'}) {
    const std::string m(1, model);
    ops.push_back({"ReadKeyMap/" + m, model, Reports::kCode,
                   [](Env& e) {
                     e.got.assign(kMaxKeyMapSize, 0);
                     const int r = e.sim.commands.ReadKeyMap(2, e.got);
                     e.got.resize(e.sim.link.keymap_size);
                     return r;
                   },
                   [](Env& e, bool ok) {
                     if (ok) {
                       EXPECT_EQ(e.got, e.KeyMap(e.before, 2));
                     }
                   }});
    ops.push_back({"WriteKeyMap/" + m, model, Reports::kCode,
                   [](Env& e) { return e.sim.commands.WriteKeyMap(1, Pattern(e.sim.link.keymap_size, 5)); },
                   [](Env& e, bool ok) {
                     if (ok) {
                       EXPECT_EQ(e.KeyMap(e.Memory(), 1), Pattern(e.sim.link.keymap_size, 5));
                     }
                   }});
  }
  frame(ops, "ReadMacros",
        [](Env& e) {
          e.got.assign(500, 0);
          return e.sim.commands.ReadMacros(e.got);
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(e.got, Slice(e.before.macros, 0, 500));
          }
        });
  frame(ops, "WriteMacros", [](Env& e) { return e.sim.commands.WriteMacros(Pattern(500, 6)); },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().macros, 0, 500), Pattern(500, 6));
          }
        });
  frame(ops, "ReadDefaultKeyMap",
        [](Env& e) {
          e.got.assign(e.sim.link.keymap_size, 0);
          return e.sim.commands.ReadDefaultKeyMap(e.got);
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(e.got, e.before.default_keymap);
          }
        });
  frame(ops, "ReadMacroArea",
        [](Env& e) { return ReadMacroArea(e.sim.commands, e.got); },
        [](Env& e, bool ok) {
          if (!ok) {
            EXPECT_TRUE(e.got.empty()) << "a failed read is not an empty area";
            return;
          }
          ASSERT_GE(e.got.size(), kMacroAreaHeaderSize);
          EXPECT_EQ(e.got, Slice(e.before.macros, 0, LoadU16(&e.before.macros[2])));
        });

  // The apply of key maps and macros, one profile and three, both models.
  for (char model : {'A', 'B'}) {
    for (bool all : {false, true}) {
      ops.push_back({std::string(all ? "Apply3/" : "Apply1/") + model, model, Reports::kBool,
                     [all](Env& e) {
                       e.stores.all_profiles = all;
                       return ApplyToKeyboard(e.stores, e.sim.commands, e.messages, false) ? 1 : 0;
                     },
                     [all](Env& e, bool ok) {
                       // A failed apply must be tried again as a whole.
                       EXPECT_EQ(e.stores.all_profiles.load(), all && !ok);
                       if (!ok) return;
                       const SimMemory m = e.Memory();
                       const MacroAreaSizePair sizes = MacroAreaSizes(e.stores.applied.macros);
                       EXPECT_EQ(Slice(m.macros, 0, sizes.with_names),
                                 BuildMacroArea(e.stores.applied.macros, sizes.with_names, true));
                       for (int p = 0; p < kProfileCount; ++p) {
                         Bytes expected(e.sim.link.keymap_size, 0);
                         ASSERT_TRUE(EncodeKeyMap(e.stores.applied, p, e.sim.link.DefaultMatrix(), expected));
                         if (all || p == 1) {
                           EXPECT_EQ(e.KeyMap(m, p), expected) << "profile " << p;
                         } else {
                           EXPECT_EQ(e.KeyMap(m, p), e.KeyMap(e.before, p)) << "profile " << p;
                         }
                       }
                     }});
    }
  }

  // Lighting writes and the per-key colours.
  frame(ops, "WriteLightingBytes",
        [](Env& e) {
          const uint8_t bytes[3] = {0x11, 0x22, 0x33};
          return WriteLightingBytes(e.lighting, e.sim.commands, 5, bytes);
        },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().params, 42 + 5, 3), (Bytes{0x11, 0x22, 0x33}));
          }
        });
  frame(ops, "WriteModeSelection",
        [](Env& e) {
          e.lighting.state.colourful = true;
          return WriteModeSelection(e.lighting, e.sim.commands, 4);
        },
        [](Env& e, bool ok) {
          EXPECT_EQ(e.lighting.state.mode, 4) << "the state keeps the choice either way";
          if (ok) {
            EXPECT_EQ(e.Memory().params[42], 4);
          }
        });
  frame(ops, "WriteDefaultLightingRecord",
        [](Env& e) { return WriteDefaultLightingRecord(e.lighting, e.sim.commands); },
        [](Env& e, bool ok) {
          const auto record = DefaultLightingRecord();
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().params, 42, record.size()), Bytes(record.begin(), record.end()));
          }
        });
  frame(ops, "WriteLedColour",
        [](Env& e) { return WriteLedColour(e.lighting, e.sim.commands, 20, 0x00102030); },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().keycolors, 512 + 60, 3), (Bytes{0x30, 0x20, 0x10}));
          }
        });
  frame(ops, "WriteAllLedColours",
        [](Env& e) { return WriteAllLedColours(e.lighting, e.sim.commands); },
        [](Env& e, bool ok) {
          if (ok) {
            EXPECT_EQ(Slice(e.Memory().keycolors, 512, 432), Slice(e.lighting.key_colours, 512, 432));
          }
        });
  ops.push_back({"ReadLightingState", 'A', Reports::kCode,
                 [](Env& e) {
                   std::fill(e.lighting.records.begin(), e.lighting.records.end(), 0xEE);
                   return ReadLightingState(e.lighting, e.sim.commands, ViewOff()) == 0 ? 1 : -1;
                 },
                 [](Env& e, bool ok) {
                   if (!ok) return;
                   // Each record is the keyboard's or, when its read failed, what it was.
                   for (int p = 0; p < 3; ++p) {
                     const Bytes got = Slice(e.lighting.records, p * 42, 42);
                     if (got != Bytes(42, 0xEE)) {
                       EXPECT_EQ(got, Slice(e.before.params, p * 42, 42)) << p;
                     }
                   }
                 },
                 // Only the settings block read (frame 1) shows in the result.
                 [](int frame, int) { return frame == 1 ? -1 : kResultOk; }});

  // The backup of the keyboard into a profile file.
  ops.push_back({"ReadProfileFromKeyboard", 'B', Reports::kCode,
                 [](Env& e) { return ReadProfileFromKeyboard(e.sim.commands, Texts(), e.got); },
                 [](Env& e, bool ok) {
                   if (!ok) {
                     EXPECT_TRUE(e.got.empty());
                     return;
                   }
                   KeyStore store;
                   ASSERT_TRUE(ReadProfileBytes(e.got, store));
                   EXPECT_EQ(store.macros.size(), 2u);
                   // Each profile's records come from that profile's key map.
                   for (int p = 0; p < kProfileCount; ++p) {
                     std::array<uint8_t, kRecordBlockBytes> records{};
                     DecodeKeyMap(e.KeyMap(e.before, p), e.sim.link.DefaultMatrix(), records);
                     const auto got = store.ProfileRecords(p);
                     EXPECT_TRUE(std::equal(got.begin(), got.end(), records.begin())) << "profile " << p;
                   }
                 },
                 // The active profile's read gives 0 for any failure.
                 [](int frame, int code) { return frame == 1 ? kResultNoKeyboard : code; }});

  // The reads of an arrival: the default key map, then the settings block.
  ops.push_back({"Arrival", 'B', Reports::kBool,
                 [](Env& e) {
                   e.sim.link.SetDefaultMatrix(kBuiltInDefaultMatrix);
                   e.sim.link.macro_capacity = 12345;
                   KeyboardWatcher watcher(e.sim.link, e.sim.commands, e.presence, e.sink);
                   watcher.OnKeyboardPresence(1);
                   const auto calls = e.sink.Calls();
                   const bool said = std::find(calls.begin(), calls.end(), "message MAIN_DEFAULT_MATRIX_PROMPT") != calls.end();
                   return !said && e.sim.link.macro_capacity != 12345 ? 1 : 0;
                 },
                 [](Env& e, bool) {
                   const auto calls = e.sink.Calls();
                   const bool said = std::find(calls.begin(), calls.end(), "message MAIN_DEFAULT_MATRIX_PROMPT") != calls.end();
                   const auto matrix = e.sim.link.DefaultMatrix();
                   const Bytes now(matrix.begin(), matrix.begin() + e.sim.link.keymap_size);
                   if (said) {
                     EXPECT_NE(now, e.before.default_keymap) << "a failed read keeps the old matrix";
                   } else {
                     EXPECT_EQ(now, e.before.default_keymap);
                   }
                   if (e.sim.link.macro_capacity != 12345) {
                     EXPECT_EQ(e.sim.link.macro_capacity, 64 * 128);
                   }
                   EXPECT_EQ(calls.back(), "tray 141") << "the window hears of the arrival either way";
                 }});
  return ops;
}

enum class FaultKind {
  kNoReply1, kNoReply3, kNoReply4, kStatusFF, kStatusFE,
  kUnplugBefore, kUnplugAt, kUnplugAfter, kLateReply, kStalledWrite,
  // Not tied to a frame:
  kStaleReply, kLatencyUnderLimit, kLatencyOverLimit,
};

const char* Name(FaultKind f) {
  switch (f) {
    case FaultKind::kNoReply1: return "no reply x1";
    case FaultKind::kNoReply3: return "no reply x3";
    case FaultKind::kNoReply4: return "no reply x4";
    case FaultKind::kStatusFF: return "status FF";
    case FaultKind::kStatusFE: return "status FE";
    case FaultKind::kUnplugBefore: return "unplug before";
    case FaultKind::kUnplugAt: return "unplug at";
    case FaultKind::kUnplugAfter: return "unplug after";
    case FaultKind::kLateReply: return "late reply";
    case FaultKind::kStalledWrite: return "stalled write";
    case FaultKind::kStaleReply: return "stale reply";
    case FaultKind::kLatencyUnderLimit: return "latency 290 ms";
    case FaultKind::kLatencyOverLimit: return "latency 310 ms";
  }
  return "?";
}

// The result of the failing step: the retry rule, and what a gone keyboard
// gives (-1: the next write fails).
int StepResult(FaultKind f, int frame, int frames) {
  switch (f) {
    case FaultKind::kNoReply4: return kResultNoKeyboard;
    case FaultKind::kStatusFF: return kResultRefused;
    case FaultKind::kStatusFE: return kResultBusy;
    case FaultKind::kUnplugBefore:
    case FaultKind::kUnplugAt:
    case FaultKind::kStalledWrite: return kResultWriteFailed;
    case FaultKind::kUnplugAfter: return frame == frames ? kResultOk : kResultWriteFailed;
    default: return kResultOk;
  }
}

void Arm(SimKeyboard& kb, FaultKind f, int k) {
  using M = SimKeyboard::UnplugMoment;
  switch (f) {
    case FaultKind::kNoReply1: kb.DropRepliesAt(k, 1); break;
    case FaultKind::kNoReply3: kb.DropRepliesAt(k, 3); break;
    case FaultKind::kNoReply4: kb.DropRepliesAt(k, 4); break;
    case FaultKind::kStatusFF: kb.ReplyStatusAt(k, kStatusRefused); break;
    case FaultKind::kStatusFE: kb.ReplyStatusAt(k, kStatusBusy); break;
    case FaultKind::kUnplugBefore: kb.UnplugAt(k, M::kBeforeFrame); break;
    case FaultKind::kUnplugAt: kb.UnplugAt(k, M::kAtFrame); break;
    case FaultKind::kUnplugAfter: kb.UnplugAt(k, M::kAfterReply); break;
    // Past the limit, and after the retry's reply was taken: it lands while
    // the next frame's reply is awaited.
    case FaultKind::kLateReply: kb.DelayReplyAt(k, kReplyLimitMs + 2 * kLatencyMs); break;
    case FaultKind::kStalledWrite: kb.StallWriteAt(k); break;
    case FaultKind::kStaleReply: {
      // Echoes nothing and says "refused": taken for a reply it would fail
      // the operation.
      CommandFrame stale{};
      stale[0] = kReportId;
      stale[frame::kStatus] = kStatusRefused;
      kb.QueueUnaskedReport(stale);
      break;
    }
    case FaultKind::kLatencyUnderLimit: kb.SetLatencyMs(kReplyLimitMs - 10); break;
    case FaultKind::kLatencyOverLimit: kb.SetLatencyMs(kReplyLimitMs + 10); break;
  }
}

int CountCommand(const std::vector<CommandFrame>& frames, Command c) {
  return static_cast<int>(std::count_if(frames.begin(), frames.end(),
                                        [c](const CommandFrame& f) { return f[frame::kCommand] == uint8_t(c); }));
}

TEST(FaultMatrix, EveryOperationUnderEveryFault) {
  constexpr FaultKind kPositional[] = {FaultKind::kNoReply1,     FaultKind::kNoReply3,   FaultKind::kNoReply4,
                                       FaultKind::kStatusFF,     FaultKind::kStatusFE,   FaultKind::kUnplugBefore,
                                       FaultKind::kUnplugAt,     FaultKind::kUnplugAfter, FaultKind::kLateReply,
                                       FaultKind::kStalledWrite};
  constexpr FaultKind kWhole[] = {FaultKind::kStaleReply, FaultKind::kLatencyUnderLimit, FaultKind::kLatencyOverLimit};
  int cases = 0;
  for (const Operation& op : Operations()) {
    // The frames of the operation on a sound keyboard.
    int frames = 0;
    {
      Env e(op.model);
      ASSERT_EQ(op.run(e), kResultOk) << op.name;
      frames = static_cast<int>(e.sim.Frames().size());
      op.check(e, true);
    }
    ASSERT_GT(frames, 0) << op.name;
    std::vector<std::pair<FaultKind, int>> plan;
    for (FaultKind f : kPositional)
      for (int k : {1, (frames + 1) / 2, frames})
        if (plan.empty() || plan.back() != std::pair{f, k}) plan.emplace_back(f, k);
    for (FaultKind f : kWhole) plan.emplace_back(f, 0);

    for (const auto& [fault, k] : plan) {
      SCOPED_TRACE(op.name + ": " + Name(fault) + (k ? " at frame " + std::to_string(k) + " of " + std::to_string(frames) : ""));
      ++cases;
      Env e(op.model);
      Arm(e.sim.keyboard, fault, k);
      const int64_t start = e.sim.clock.NowMs();
      const int result = op.run(e);
      const int64_t elapsed = e.sim.clock.NowMs() - start;

      const int step = StepResult(fault, k, frames);
      const int failing_frame = fault == FaultKind::kUnplugAfter ? k + 1 : k;
      int expected = op.reported && step != kResultOk ? op.reported(failing_frame, step) : step;
      if (op.reports == Reports::kBool) expected = expected == kResultOk ? 1 : 0;
      if (op.reports == Reports::kBool) {
        EXPECT_EQ(result == 1, expected == 1) << "result " << result;
      } else {
        EXPECT_EQ(result, expected);
      }
      op.check(e, result == kResultOk);

      // Time: no wait beyond the limits the retry rule allows for the
      // frames that were written, and none of the waits it requires skipped.
      const std::vector<CommandFrame> sent = e.sim.Frames();
      const int latency = fault == FaultKind::kLatencyUnderLimit ? kReplyLimitMs - 10
                          : fault == FaultKind::kLatencyOverLimit ? kReplyLimitMs + 10
                                                                  : kLatencyMs;
      const int64_t bound = static_cast<int64_t>(sent.size() + 1) * (2 * latency + kReplyLimitMs) +
                            (fault == FaultKind::kStalledWrite ? kWriteLimitMs : 0) +
                            (CountCommand(sent, Command::kEndExchange) + 1) * kEndExchangePauseMs;
      EXPECT_LE(elapsed, bound);
      const int silent = fault == FaultKind::kNoReply1 ? 1 : fault == FaultKind::kNoReply3 ? 3 : fault == FaultKind::kNoReply4 ? 4 : 0;
      EXPECT_GE(elapsed, silent * kReplyLimitMs + (fault == FaultKind::kStalledWrite ? kWriteLimitMs : 0));
    }
  }
  std::cout << "[ fault matrix ] " << cases << " cases\n";
  RecordProperty("cases", cases);
}

}  // namespace
}  // namespace keyloom
