// keyloomctl run as a process: against the simulated keyboard with its memory
// kept in files (checked afterwards), and against a fake hidraw machine
// served from this process, so the real Linux backend carries the commands.
#if defined(__linux__) && defined(KEYLOOMCTL_PATH)

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <set>
#include <thread>

#include "base/bytes.h"
#include "base/file_read.h"
#include "base/text.h"
#include "device/hid_linux.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/key_buttons.h"
#include "model/key_tables.h"
#include "storage/interrupted_apply.h"
#include "storage/profile_file.h"
#include "model/text_source.h"
#include "storage/ini.h"
#include "storage/user_data.h"
#include "storage/working_profile.h"
#include "support/fake_hidraw.h"
#include "support/sim_stack.h"


namespace keyloom {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& p) {
  const Bytes b = ReadBytes(p);
  return std::string(b.begin(), b.end());
}

void WriteBytes(const fs::path& p, const Bytes& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct CtlRun {
  int exit = -1;
  std::string out, err;
  int64_t ms = 0;
};

// A simulated keyboard of model B in this process, reached through a fake
// hidraw machine: `env` is what keyloomctl needs to find it.
struct HidrawKeyboard {
  HidrawKeyboard() : keyboard(kModelB, clock) {
    keyboard.Plug();
    tree.AddKeyboard(keyboard);
  }
  std::string env() const { return "KEYLOOM_HIDRAW_ROOT=" + tree.root().string(); }
  SystemClock clock;
  SimKeyboard keyboard;
  testing::FakeHidrawTree tree;
};

// A temporary home: the user data and settings folders, the simulated
// keyboard's memory, files to import and export.
class CtlFixture : public ::testing::Test {
 protected:
  CtlFixture() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("keyloomctl-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(root_);
  }
  ~CtlFixture() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  fs::path Path(const std::string& name) const { return root_ / name; }
  fs::path State() const { return root_ / "kb"; }
  fs::path WorkingProfile() const { return root_ / "data" / "Valdric RGB Mechanical Keyboard" / "$Profile0"; }

  // Runs keyloomctl with `args`; the environment holds only the temporary
  // home and `extra` ("NAME=value"), never the caller's KEYLOOM_* values.
  CtlRun Ctl(std::vector<std::string> args, std::vector<std::string> extra = {}) {
    return CtlAll({std::move(args)}, std::move(extra)).front();
  }

  // Several runs at the same time, each with its own output files.
  std::vector<CtlRun> CtlAll(std::vector<std::vector<std::string>> runs, std::vector<std::string> extra = {}) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<pid_t> pids = Start(std::move(runs), std::move(extra));
    std::vector<CtlRun> results;
    for (size_t i = 0; i < pids.size(); ++i) results.push_back(Wait(pids[i], i, start));
    return results;
  }

  // Starts the runs; the i-th writes stdout<i>.txt and stderr<i>.txt. A run
  // that could not start has pid 0.
  std::vector<pid_t> Start(std::vector<std::vector<std::string>> runs, std::vector<std::string> extra) {
    std::vector<std::string> env = {"HOME=" + root_.string(), "XDG_DATA_HOME=" + (root_ / "data").string(),
                                    "XDG_CONFIG_HOME=" + (root_ / "config").string(), "LANG=C"};
    env.insert(env.end(), extra.begin(), extra.end());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<pid_t> pids(runs.size(), 0);
    for (size_t i = 0; i < runs.size(); ++i) {
      std::vector<std::string>& args = runs[i];
      args.insert(args.begin(), KEYLOOMCTL_PATH);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      const std::string n = std::to_string(i);
      const fs::path out = Path("stdout" + n + ".txt"), err = Path("stderr" + n + ".txt");
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      // Relative file names of an example land in the temporary home.
      posix_spawn_file_actions_addchdir_np(&actions, root_.c_str());
      if (posix_spawn(&pids[i], argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        ADD_FAILURE() << "cannot start " << KEYLOOMCTL_PATH;
        pids[i] = 0;
      }
      posix_spawn_file_actions_destroy(&actions);
    }
    return pids;
  }

  // Waits for run i (started at `start`) to end; a run killed by a signal
  // has exit code 128 + the signal.
  CtlRun Wait(pid_t pid, size_t i, std::chrono::steady_clock::time_point start) {
    CtlRun run;
    if (pid == 0) return run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadText(Path("stdout" + std::to_string(i) + ".txt"));
    run.err = ReadText(Path("stderr" + std::to_string(i) + ".txt"));
    return run;
  }

  // keyloomctl on the simulated keyboard of `model` whose memory lives in State().
  CtlRun Sim(std::vector<std::string> args, const char* model = "A") {
    args.insert(args.begin(), {"--simulate", model, "--sim-state", State().string()});
    return Ctl(std::move(args));
  }

  // The keyboard's memory files, by name.
  std::map<std::string, Bytes> Memory() const {
    std::map<std::string, Bytes> files;
    if (fs::exists(State()))
      for (const auto& e : fs::directory_iterator(State())) files[e.path().filename().string()] = ReadBytes(e.path());
    return files;
  }

  // Configures the keyboard of State() as Keyloom would: assignments in all
  // three profiles and two named macros, applied to every profile.
  void ConfigureKeyboard() {
    testing::SimStack sim('A');
    sim.keyboard.SetStateDir(State());
    sim.link.macro_capacity = sim.keyboard.Memory().settings[11] * 128;
    KeyStores stores;
    KeyStore& edit = stores.edit;
    for (uint16_t i = 0; i < 2; ++i) {
      MacroRecord m;
      SetMacroName(m, i == 0 ? u"Greeting" : u"Build");
      m.macro_id = static_cast<uint16_t>(i + 1);
      m.cycles = static_cast<uint8_t>(2 + i);
      AddMacroEvent(m, {50, 0x23, kMacroStatePress});   // H
      AddMacroEvent(m, {30, 0x23, kMacroStateRelease});
      edit.macros.push_back(m);
    }
    const auto key = [](KeyType type, uint32_t value) {
      KeyRecord r;
      r.type = static_cast<uint16_t>(type);
      r.value = value;
      return r;
    };
    edit.SetRecord(0, KeyIndexFromCode(0x1E), key(KeyType::kKey, 0x30));       // A -> B
    edit.SetRecord(0, KeyIndexFromCode(0x3B), key(KeyType::kMedia, 7));        // F1 -> mute
    edit.SetRecord(1, KeyIndexFromCode(0x10), key(KeyType::kPlayMacro, 2));    // Q -> macro 2
    edit.SetRecord(2, KeyIndexFromCode(0x01), key(KeyType::kDisabled, 0));     // Esc off
    edit.SetRecord(2, KeyIndexFromCode(0x02), key(KeyType::kFunction, 3));
    struct NoMessages : UserMessages {
      void ShowMessage(std::u16string_view) override {}
    } messages;
    ASSERT_TRUE(ApplyToKeyboard(stores, sim.commands, messages, true));
  }

  // A valid profile file with one assignment in profile 1.
  fs::path MakeProfileFile(const std::string& name) {
    KeyStore store;
    store.block = NewStoreBlock(0);
    store.SetRecord(0, KeyIndexFromCode(0x1E), KeyRecord{static_cast<uint16_t>(KeyType::kKey), 0, 0x30, 0, 0});
    const fs::path p = Path(name);
    EXPECT_TRUE(ProfileFileWrite(p.u16string(), store, true));
    return p;
  }

  fs::path root_;
};

TEST_F(CtlFixture, ProfileCommandMakesTheProfileActive) {
  CtlRun r = Sim({"profile", "3"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Memory().at("settings.bin").at(10), 2);
  r = Sim({"profile"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "3\n");
  // Bytes 0-7 of the settings block come back as the keyboard had them.
  const SimMemory factory = FactoryMemory(kModelA);
  EXPECT_TRUE(std::equal(factory.settings.begin(), factory.settings.begin() + 8, Memory().at("settings.bin").begin()));
}

TEST_F(CtlFixture, LightingModeGoesToByteZeroOfThatProfilesRecord) {
  const CtlRun r = Sim({"lighting", "set", "--mode", "4", "--profile", "2"});
  ASSERT_EQ(r.exit, 0) << r.err;
  const SimMemory factory = FactoryMemory(kModelA);
  Bytes expected(factory.params.begin(), factory.params.end());
  expected[42] = 4;  // profile 2 as printed is record 1
  EXPECT_EQ(Memory().at("params.bin"), expected);
}

TEST_F(CtlFixture, LightingFieldsAreWrittenAsThePanelWritesThem) {
  const CtlRun r = Sim({"lighting", "set", "--brightness", "1", "--speed", "3", "--direction", "255", "--colour",
                     "102030", "--report-rate", "3"},
                    "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  const Bytes params = Memory().at("params.bin");
  // Record 0 (profile 1 is active): brightness, speed, direction, colourful
  // off with the colour, report rate (the window's third button is 2).
  EXPECT_EQ(Bytes(params.begin(), params.begin() + 8), (Bytes{0x01, 1, 3, 255, 0, 0x10, 0x20, 0x30}));
  EXPECT_EQ(params[15], 2);
}

TEST_F(CtlFixture, ModeTheKeyboardDoesNotOfferIsRefusedAndNothingWritten) {
  const CtlRun r = Sim({"lighting", "set", "--mode", "21", "--brightness", "0"});
  EXPECT_EQ(r.exit, 2);
  EXPECT_NE(r.err.find("does not offer mode 21"), std::string::npos) << r.err;
  EXPECT_EQ(Memory().count("params.bin"), 0u) << "the keyboard's memory was never changed";
}

TEST_F(CtlFixture, ImportOfAnExportLeavesKeyMapsAndMacrosUnchanged) {
  ConfigureKeyboard();
  const auto before = Memory();
  ASSERT_FALSE(before.empty());
  const fs::path file = Path("backup.fwc");
  CtlRun r = Sim({"export", file.string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  r = Sim({"import", file.string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  const auto after = Memory();
  EXPECT_EQ(after.at("keymaps.bin"), before.at("keymaps.bin"));
  EXPECT_EQ(after.at("macros.bin"), before.at("macros.bin"));
  // The working profile file is the imported document.
  const Bytes working = ReadBytes(WorkingProfile());
  EXPECT_EQ(working, ReadBytes(file));
}

TEST_F(CtlFixture, ImportAppliesAllThreeProfiles) {
  const fs::path file = MakeProfileFile("one.fwc");
  const CtlRun r = Sim({"import", file.string()}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  const Bytes keymaps = Memory().at("keymaps.bin");
  const SimMemory factory = FactoryMemory(kModelB);
  // The A key (usage 0x04) sits at position 19: profile 1 now sends B (0x05).
  EXPECT_EQ(Bytes(keymaps.begin() + 57, keymaps.begin() + 60), (Bytes{0x02, 0x02, 0x05}));
  // Profiles 2 and 3 were written too, each as the default key map.
  for (int p = 1; p < 3; ++p)
    EXPECT_TRUE(std::equal(factory.default_keymap.begin(), factory.default_keymap.end(), keymaps.begin() + p * 512))
        << "profile " << p + 1;
}

// A new user's first backup, taken back, changes nothing and lists no key.
TEST_F(CtlFixture, ExportThenImportOfAFactoryKeyboardChangesNothing) {
  for (const char* model : {"A", "B"}) {
    SCOPED_TRACE(model);
    fs::remove_all(State());
    // Two profile switches: the memory files exist from here on.
    ASSERT_EQ(Sim({"profile", "2"}, model).exit, 0);
    ASSERT_EQ(Sim({"profile", "1"}, model).exit, 0);
    const auto before = Memory();
    const fs::path file = Path(std::string("factory-") + model + ".fwc");
    CtlRun r = Sim({"export", file.string()}, model);
    ASSERT_EQ(r.exit, 0) << r.err;
    r = Sim({"import", file.string()}, model);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(Memory().at("keymaps.bin"), before.at("keymaps.bin"));
    for (const char* profile : {"1", "2", "3"}) {
      r = Sim({"keys", "--profile", profile}, model);
      EXPECT_EQ(r.exit, 0) << r.err;
      EXPECT_EQ(r.out, std::string("no keys are assigned in profile ") + profile + ": every key does its default\n");
    }
  }
}

TEST_F(CtlFixture, FileThatIsNotAProfileFileGivesExit3AndChangesNothing) {
  ConfigureKeyboard();
  const auto before = Memory();
  Bytes good = ReadBytes(MakeProfileFile("good.fwc"));
  Bytes bad_checksum = good;
  bad_checksum[31] ^= 1;
  const Bytes too_short(good.begin(), good.begin() + 1000);
  Bytes too_long = good;
  too_long.resize(kMaxProfileFileBytes + 1);  // a valid header, and more than any profile file holds
  for (const auto& [name, bytes] : {std::pair{"checksum.fwc", bad_checksum}, std::pair{"short.fwc", too_short},
                                    std::pair{"huge.fwc", too_long}}) {
    SCOPED_TRACE(name);
    WriteBytes(Path(name), bytes);
    const CtlRun r = Sim({"import", Path(name).string()});
    EXPECT_EQ(r.exit, 3) << r.err;
    EXPECT_NE(r.err.find(name), std::string::npos) << "the message names the file: " << r.err;
    EXPECT_EQ(Memory(), before);
    EXPECT_FALSE(fs::exists(WorkingProfile()));
  }
  const CtlRun keys = Sim({"keys", "--file", Path("checksum.fwc").string()});
  EXPECT_EQ(keys.exit, 3);
}

// Export that cannot write its file says why, with a file error, and
// leaves what is there as it was: a device stays a device.
TEST_F(CtlFixture, ExportThatCannotWriteItsFileGivesAFileError) {
  fs::create_directory(Path("folder.fwc"));
  WriteBytes(Path("locked.fwc"), Bytes{1, 2, 3});
  fs::permissions(Path("locked.fwc"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const struct {
    std::string path;
    std::string says;
  } cases[] = {
      {"/dev/full", "it is a device, not a regular file"},
      {Path("folder.fwc").string(), "it is a folder, not a regular file"},
      {Path("locked.fwc").string(), "it is read-only"},
      {Path("missing/x.fwc").string(), "its folder cannot be used (No such file or directory)"},
  };
  for (const auto& c : cases) {
    const CtlRun r = Sim({"export", c.path});
    EXPECT_EQ(r.exit, 2) << c.path << ": " << r.err;
    EXPECT_EQ(r.err, "keyloomctl: export: cannot write " + c.path + ": " + c.says + "\n");
  }
  struct stat st {};
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(ReadBytes(Path("locked.fwc")), (Bytes{1, 2, 3}));
  EXPECT_FALSE(fs::exists(Path("missing")));
}

// A macro area whose header claims more than the keyboard holds exports the
// macros that are there.
TEST_F(CtlFixture, ExportWorksWhenTheMacroHeaderClaimsMoreThanTheCapacity) {
  ConfigureKeyboard();
  Bytes macros = ReadBytes(State() / "macros.bin");
  ASSERT_EQ(macros.size(), 4096u);
  macros[2] = 0xFF, macros[3] = 0xFF;  // 65535 bytes
  WriteBytes(State() / "macros.bin", macros);
  const fs::path file = Path("claims.fwc");
  CtlRun r = Sim({"export", file.string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  r = Sim({"keys", "--file", file.string(), "--profile", "2"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("Build"), std::string::npos) << "the second macro's name: " << r.out;
}

// A keyboard that names active profile index 3 is refused the same way by
// every command that works on the active profile.
TEST_F(CtlFixture, ActiveProfileIndex3IsRefusedTheSameWayByEveryCommand) {
  ASSERT_EQ(Sim({"profile", "2"}).exit, 0);
  Bytes settings = ReadBytes(State() / "settings.bin");
  settings[10] = 3;
  WriteBytes(State() / "settings.bin", settings);
  const std::vector<std::vector<std::string>> commands = {
      {"info"}, {"profile"}, {"keys"}, {"export", Path("x.fwc").string()}, {"lighting", "set", "--speed", "1"},
  };
  for (const auto& args : commands) {
    const CtlRun r = Sim(args);
    EXPECT_EQ(r.exit, 1) << args[0];
    EXPECT_NE(r.err.find(": the keyboard reports active profile index 3\n"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(Path("x.fwc")));
}

// An import the keyboard does not take leaves the file in $Profile0, as the
// main window's Apply does, and says how to finish.
TEST_F(CtlFixture, ImportTheKeyboardDoesNotTakeIsKeptInTheWorkingProfileFile) {
  HidrawKeyboard machine;
  SimKeyboard& keyboard = machine.keyboard;
  const std::string root = machine.env();
  const fs::path file = MakeProfileFile("one.fwc");
  // Frames: 7 of the default key map and the settings read at arrival, then
  // begin and the macro area; the 12th is in the first key map.
  keyboard.ReplyStatusAt(12, 0xFF);
  CtlRun r = Ctl({"import", file.string()}, {root});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err, "keyloomctl: import: the keyboard did not take the key maps and macros; the working profile file " +
                       WorkingProfile().string() + " holds " + file.string() +
                       ": run this import again, or press Apply in Keyloom, to finish\n");
  EXPECT_EQ(ReadBytes(WorkingProfile()), ReadBytes(file));
  r = Ctl({"import", file.string()}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(keyboard.Memory().keymaps[57 + 2], 0x05);  // A sends B in profile 1
}

// A name that is not UTF-8 is written and read under exactly its bytes; a
// read-only file imports.
TEST_F(CtlFixture, FileNamesAreKeptByteForByteAndReadOnlyFilesImport) {
  ConfigureKeyboard();
  const std::string name = "caf\xE9 \x83\x76.fwc";  // Latin-1 and Shift-JIS bytes
  const fs::path file = root_ / name;
  CtlRun r = Sim({"export", file.string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  ASSERT_TRUE(fs::is_regular_file(file));
  for (const auto& e : fs::directory_iterator(root_))
    EXPECT_TRUE(e.path().filename() == name || e.path().filename().string().find(".fwc") == std::string::npos)
        << "another name was written: " << e.path();
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const Bytes before = ReadBytes(file);
  r = Sim({"import", file.string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  r = Sim({"keys", "--file", file.string()});
  EXPECT_EQ(r.exit, 0) << r.err;
}

// A small file whose one long string every record names: the import is
// refused before anything is taken for it, and nothing is written.
TEST_F(CtlFixture, StringAmplifyingFileIsRefused) {
  Bytes file = ReadBytes(MakeProfileFile("amplify.fwc"));
  const uint32_t text = 2 * 131072 + 2;  // one string of 131072 units
  file.resize(32832);
  for (int n = 0; n < 2048; ++n) {
    file[64 + n * 16] = 3;  // launch program, string at offset 0
    StoreU32(&file[64 + n * 16 + 4], 0);
  }
  StoreU32(&file[8], 32832 + text);
  StoreU32(&file[16], text);
  file[31] = HeaderChecksum(file);
  file.resize(32832 + text, 'a');
  file[file.size() - 1] = file[file.size() - 2] = 0;
  WriteBytes(Path("amplify.fwc"), file);
  ConfigureKeyboard();
  const auto before = Memory();
  const CtlRun r = Sim({"import", Path("amplify.fwc").string()});
  EXPECT_EQ(r.exit, 3) << r.err;
  EXPECT_NE(r.err.find("is not a valid profile file"), std::string::npos) << r.err;
  EXPECT_EQ(Memory(), before);
  EXPECT_FALSE(fs::exists(WorkingProfile()));
}

TEST_F(CtlFixture, KeysListsTheAssignmentsOfAProfile) {
  ConfigureKeyboard();
  // From the keyboard: profile 3 holds a disabled key and a function key.
  CtlRun r = Sim({"--json", "keys", "--profile", "3"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("\"key_index\":1,\"key\":"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"type\":\"disabled\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"type\":\"function\",\"value\":3"), std::string::npos) << r.out;
  // From a file, without asking the keyboard: one "name: assignment" line.
  const fs::path file = MakeProfileFile("one.fwc");
  r = Ctl({"keys", "--file", file.string()}, {"KEYLOOM_HIDRAW_ROOT=" + Path("empty").string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_NE(r.out.find(": "), std::string::npos) << r.out;
}

TEST_F(CtlFixture, DumpShowsTheAreas) {
  struct Case {
    std::vector<std::string> args;
    int size;
  } cases[] = {
      {{"settings"}, 44}, {{"lighting"}, 126}, {{"keymap", "2"}, 384}, {{"default-keymap"}, 384}, {{"macros"}, 8192},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--json", "dump"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CtlRun r = Sim(args, "B");
    ASSERT_EQ(r.exit, 0) << c.args[0] << ": " << r.err;
    EXPECT_NE(r.out.find("\"size\":" + std::to_string(c.size) + ","), std::string::npos) << r.out.substr(0, 120);
  }
  const CtlRun text = Sim({"dump", "settings"});
  EXPECT_EQ(text.out.substr(0, 30), "0000  56 52 01 07 20 26 00 01 ");
}

TEST_F(CtlFixture, UsageErrorsGiveExit2) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"bogus"},
      {"profile", "4"},
      {"profile", "0"},
      {"lighting", "set"},
      {"lighting", "set", "--brightness", "5"},
      {"lighting", "set", "--direction", "7"},
      {"lighting", "set", "--colour", "12345"},
      {"lighting", "set", "--colourful", "maybe"},
      {"lighting", "set", "--speed"},
      {"lighting", "show"},
      {"dump", "keymap"},
      {"dump", "everything"},
      {"keys", "--profile", "9"},
      {"--profile", "9", "keys"},
      {"--bogus", "keys"},
      {"--profile", "1"},
      {"import"},
      {"import", "/nonexistent/file.fwc"},
  };
  for (const auto& args : cases) {
    const CtlRun r = Sim(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.exit, 2) << joined << "\n" << r.err;
    EXPECT_FALSE(r.err.empty()) << joined;
  }
  EXPECT_EQ(Ctl({"--sim-state", State().string(), "info"}).exit, 2);
  EXPECT_EQ(Memory().size(), 0u);
}

TEST_F(CtlFixture, HelpPerCommand) {
  const CtlRun r = Sim({"lighting", "--help"});
  EXPECT_EQ(r.exit, 0);
  EXPECT_NE(r.out.find("--report-rate"), std::string::npos);
  EXPECT_EQ(Ctl({"--help"}).exit, 0);
}

TEST_F(CtlFixture, JsonGivesOneObjectPerCommand) {
  CtlRun r = Sim({"--json", "profile", "2"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "{\"command\":\"profile\",\"ok\":true,\"active_profile\":2}\n");
  r = Ctl({"--json", "profile"}, {"KEYLOOM_HIDRAW_ROOT=" + Path("empty").string()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out,
            "{\"command\":\"profile\",\"ok\":false,\"exit\":1,\"error\":\"no_keyboard\",\"message\":\"no keyboard "
            "connected\"}\n");
}

TEST_F(CtlFixture, NoKeyboardGivesExit1WithinASecond) {
  // A machine whose HID interfaces are another vendor's: nothing matches.
  testing::FakeHidrawTree tree;
  const uint8_t mouse[] = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0};
  tree.Add(0x1A2B, 0x0001, mouse);
  const CtlRun r = Ctl({"info"}, {"KEYLOOM_HIDRAW_ROOT=" + tree.root().string()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("no keyboard connected"), std::string::npos) << r.err;
  EXPECT_LT(r.ms, 1000);
}

TEST_F(CtlFixture, CommandsReachAKeyboardThroughHidraw) {
  HidrawKeyboard machine;
  SimKeyboard& keyboard = machine.keyboard;
  const std::string root = machine.env();
  CtlRun r = Ctl({"profile", "2"}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(keyboard.Memory().settings[10], 1);
  r = Ctl({"lighting", "set", "--mode", "6"}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(keyboard.Memory().params[42], 6);
  r = Ctl({"--json", "info"}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("\"model\":\"B\",\"vendor_id\":12815,\"product_id\":20580,\"active_profile\":2"),
            std::string::npos)
      << r.out;
  // The keyboard refusing a frame: the message names the operation and the result.
  // Frames of the run: 7 of the default key map and the settings read at
  // arrival, then the settings read and write of SetActiveProfile.
  keyboard.ReplyStatusAt(10, 0xFF);
  r = Ctl({"profile", "1"}, {root});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("SetActiveProfile failed: result -102"), std::string::npos) << r.err;
}

TEST_F(CtlFixture, BackupWritesIntoTheBackupsFolderAndBackupsListsThemNewestFirst) {
  ConfigureKeyboard();
  const fs::path folder = root_ / "data" / "Valdric RGB Mechanical Keyboard" / "Backups";
  CtlRun r = Sim({"backups"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = Sim({"backup"});
  ASSERT_EQ(r.exit, 0) << r.err;
  ASSERT_EQ(r.out.rfind("backed up to " + folder.string() + "/Backup ", 0), 0u) << r.out;
  const std::string first = r.out.substr(std::string("backed up to ").size(), r.out.size() - 14);
  ASSERT_EQ(Sim({"backup"}).exit, 0);
  r = Sim({"backups"});
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> out;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }();
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[1], first) << "newest first";
  // A backup is a profile file of what the keyboard held.
  const auto before = Memory();
  ASSERT_EQ(Sim({"import", first}).exit, 0);
  EXPECT_EQ(Memory().at("keymaps.bin"), before.at("keymaps.bin"));
  EXPECT_EQ(Memory().at("macros.bin"), before.at("macros.bin"));

  r = Sim({"--json", "backups"});
  EXPECT_NE(r.out.find("\"backups\":[{\"file\":\"" + lines[0] + "\",\"time\":\""), std::string::npos) << r.out;
  EXPECT_EQ(Sim({"backup", "extra"}).exit, 2);
  r = Ctl({"backup"}, {"KEYLOOM_HIDRAW_ROOT=" + Path("empty").string()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(Sim({"backups"}).out, lines[0] + "\n" + lines[1] + "\n") << "no keyboard, no new backup";
}

// Programs that share one keyboard take turns: each exchange (an import's
// begin ... end bracket, a lighting change's, the reads of an arrival) holds
// the keyboard against the others, so no frame of one falls inside
// another's bracket, and every reply, which each program's node receives a
// copy of, is taken only by the one that asked.
TEST_F(CtlFixture, ProgramsOnOneKeyboardTakeTurns) {
  HidrawKeyboard machine;
  SimKeyboard& keyboard = machine.keyboard;
  keyboard.SetLatencyMs(1);  // real time: runs overlap for a while
  struct Sent {
    int connection;
    uint8_t command;
  };
  std::vector<Sent> frames;  // the hook runs under the keyboard's lock
  keyboard.SetFrameHook([&](int, const CommandFrame& f) {
    frames.push_back({testing::FakeHidrawTree::current_connection, f[frame::kCommand]});
  });
  const fs::path file = MakeProfileFile("one.fwc");
  std::vector<std::vector<std::string>> runs;
  for (int i = 0; i < 3; ++i) {
    runs.push_back({"import", file.string()});
    runs.push_back({"lighting", "set", "--mode", std::to_string(4 + i), "--profile", "3"});
  }
  const std::vector<CtlRun> done = CtlAll(runs, {machine.env()});
  for (const CtlRun& r : done) EXPECT_EQ(r.exit, 0) << r.err;
  // Taken under the keyboard's lock, as the hook ran: its last frames are seen.
  keyboard.SetFrameHook(nullptr);

  int owner = 0, mixed = 0, brackets = 0;
  std::set<int> connections;
  for (const Sent& s : frames) {
    connections.insert(s.connection);
    if (owner && s.connection != owner) ++mixed;
    if (s.command == uint8_t(Command::kBeginExchange)) owner = s.connection, ++brackets;
    if (s.command == uint8_t(Command::kEndExchange)) owner = 0;
  }
  EXPECT_EQ(mixed, 0);
  EXPECT_EQ(brackets, 3 + 3 * 2) << "an import brackets its writes; a lighting change its refresh and its write";
  EXPECT_EQ(connections.size(), 6u);
  // What the imports applied is what the keyboard holds.
  KeyStore store;
  {
    std::lock_guard lock(store.mutex);
    ASSERT_EQ(ProfileFileRead(file.u16string(), store), 1);
  }
  Bytes expected(kModelB.keymap_size, 0);
  ASSERT_TRUE(EncodeKeyMap(store, 0, keyboard.Memory().default_keymap, expected));
  const SimMemory m = keyboard.Memory();
  EXPECT_EQ(Bytes(m.keymaps.begin(), m.keymaps.begin() + kModelB.keymap_size), expected);
}

// A program that holds the keyboard for longer than another will wait: the
// other gives up with a message that says why.
TEST_F(CtlFixture, KeyboardHeldByAnotherProgramIsSaidSo) {
  HidrawKeyboard machine;
  auto backend = MakeLinuxHidBackend(machine.tree.roots());
  const std::u16string node = Utf8ToUtf16(machine.tree.NodeOf(SimInterface::kVendor));
  std::shared_ptr<HidDevice> other = backend->Open(node, {true, true, true, false});
  ASSERT_TRUE(other);
  ASSERT_TRUE(other->LockExclusive(0));
  CtlRun r = Ctl({"profile"}, {machine.env()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("the keyboard is in use by another program"), std::string::npos) << r.err;
  EXPECT_GE(r.ms, kOtherProgramWaitMs);
  EXPECT_LT(r.ms, 2 * kOtherProgramWaitMs) << "it waits once, not once per command";
  EXPECT_TRUE(machine.keyboard.Trace().empty()) << "nothing was sent";

  other->UnlockExclusive();
  r = Ctl({"profile"}, {machine.env()});
  EXPECT_EQ(r.exit, 0) << r.err;
}

// The main window's side of the keyboard's next connection, in this
// process through the Linux backend: the link set up as the watcher sets it
// up (default key map and settings read).
struct NextConnection {
  explicit NextConnection(HidrawKeyboard& machine)
      : backend(MakeLinuxHidBackend(machine.tree.roots())), link(*backend, clock), commands(link) {
    link.hid.Open(Utf8ToUtf16(machine.tree.NodeOf(SimInterface::kVendor)), true, true, true, false);
    link.SetModel(machine.keyboard.model());
    link.connected = 1;
    std::array<uint8_t, kMaxKeyMapSize> matrix{};
    const auto used = std::span(matrix).first(static_cast<size_t>(link.keymap_size.load()));
    EXPECT_EQ(commands.ReadDefaultKeyMap(used), kResultOk);
    link.SetDefaultMatrix(used);
    std::array<uint8_t, kSettingsSize> settings{};
    EXPECT_EQ(commands.ReadSettings(settings), kResultOk);
    link.macro_capacity = settings[11] * 128;
  }
  SystemClock clock;
  std::unique_ptr<HidBackend> backend;
  KeyboardLink link;
  CommandSet commands;
};

// keyloomctl killed at random frames of an import leaves the keyboard
// partly written; the next connection applies the working profile file
// again, after which the keyboard holds it. Killed before its first write,
// nothing is marked and the keyboard still holds what it held.
TEST_F(CtlFixture, ImportKilledAtAnyFrameIsFinishedAtTheNextConnection) {
  HidrawKeyboard machine;
  SimKeyboard& keyboard = machine.keyboard;
  // Macros of several frames, keys of every profile playing them.
  KeyStore file_store;
  file_store.block = NewStoreBlock(0);
  for (uint16_t id = 1; id <= 3; ++id) {
    MacroRecord m;
    SetMacroName(m, u"Macro " + std::u16string(1, char16_t(u'0' + id)));
    m.macro_id = id;
    for (int i = 0; i < 60 * id; ++i)
      AddMacroEvent(m, {10, uint16_t(0x10 + i % 8), uint16_t(i % 2 ? kMacroStateRelease : kMacroStatePress)});
    file_store.macros.push_back(m);
  }
  for (int p = 0; p < kProfileCount; ++p) {
    file_store.SetRecord(p, KeyIndexFromCode(0x1E), KeyRecord{uint16_t(KeyType::kPlayMacro), 0, uint32_t(1 + p), 0, 0});
    file_store.SetRecord(p, KeyIndexFromCode(0x30), KeyRecord{uint16_t(KeyType::kKey), 0, 0x1E, 0, 0});
  }
  const fs::path file = Path("full.fwc");
  ASSERT_TRUE(ProfileFileWrite(file.u16string(), file_store, true));
  const SimMemory factory = keyboard.Memory();
  const std::u16string working = WorkingProfile().u16string();

  auto start_import = [&] { return Start({{"import", file.string()}}, {machine.env()}).front(); };
  const int first = keyboard.frames_seen();
  ASSERT_EQ(Wait(start_import(), 0, std::chrono::steady_clock::now()).exit, 0);
  const int frames = keyboard.frames_seen() - first;
  ASSERT_FALSE(ApplyMarked(working));

  std::mt19937 random(16);
  std::atomic<pid_t> child{0};
  std::atomic<int> kill_at{0};
  keyboard.SetFrameHook([&](int frame, const CommandFrame&) {
    if (frame != kill_at.load()) return;
    pid_t pid;
    while ((pid = child.load()) == 0) std::this_thread::yield();  // set as soon as the spawn returns
    kill(pid, SIGKILL);
  });
  int marked = 0;
  for (int n = 0; n < 24; ++n) {
    const int k = std::uniform_int_distribution<int>(1, frames)(random);
    SCOPED_TRACE("killed at frame " + std::to_string(k) + " of " + std::to_string(frames));
    keyboard.EditMemory([&](SimMemory& m) { m = factory; });
    std::error_code ec;
    fs::remove(WorkingProfile(), ec);
    fs::remove(FsPath(ApplyMarkPath(working)), ec);
    child = 0;
    kill_at = keyboard.frames_seen() + k;
    child = start_import();
    const CtlRun run = Wait(child, 0, std::chrono::steady_clock::now());
    ASSERT_EQ(run.exit, 128 + SIGKILL) << run.err;
    kill_at = 0;

    const bool was_marked = ApplyMarked(working);
    marked += was_marked;
    NextConnection next(machine);
    struct NoMessages : UserMessages {
      void ShowMessage(std::u16string_view) override {}
    } messages;
    KeyStores stores;
    const InterruptedApply finished = FinishInterruptedApply(working, stores, next.commands, messages);
    EXPECT_EQ(finished, was_marked ? InterruptedApply::kFinished : InterruptedApply::kNone);
    EXPECT_FALSE(ApplyMarked(working));
    const SimMemory m = keyboard.Memory();
    if (!was_marked) {
      EXPECT_EQ(m.keymaps, factory.keymaps);
      EXPECT_EQ(m.macros, factory.macros);
      continue;
    }
    KeyboardAssignments held;
    ASSERT_EQ(ReadKeyboardAssignments(next.commands, held), kResultOk);
    std::lock_guard lock(file_store.mutex);
    EXPECT_TRUE(KeyboardHoldsStore(held, file_store, next.link.DefaultMatrix(), size_t(next.link.macro_capacity.load())))
        << "the keyboard holds the imported file";
  }
  keyboard.SetFrameHook(nullptr);
  EXPECT_GT(marked, 12) << "most kills fall inside the apply";
  std::cout << "[ interrupted import ] 24 kills at random frames of " << frames << ", " << marked
            << " inside the apply, each followed by a connection\n";
}

// ---- Changing keys and macros, as the main window's editors do ----

// The default key map read at arrival, as the keyboard watcher reads it.
void TakeDefaultMatrix(testing::SimStack& sim) {
  std::vector<uint8_t> bytes(static_cast<size_t>(sim.link.keymap_size.load()), 0);
  ASSERT_EQ(sim.commands.ReadDefaultKeyMap(bytes), kResultOk);
  sim.link.SetDefaultMatrix(bytes);
}

size_t CountFrames(const SimKeyboard& keyboard, Command command) {
  size_t n = 0;
  for (const CommandFrame& f : keyboard.Trace())
    if (f[frame::kCommand] == static_cast<uint8_t>(command)) ++n;
  return n;
}

TEST_F(CtlFixture, KeysSetWritesTheKeyMapAndKeysListsIt) {
  CtlRun r = Sim({"keys"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "no keys are assigned in profile 1: every key does its default\n");
  r = Sim({"keys", "set", "A", "b"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  // The A key (usage 0x04) sits at position 19 of profile 1's key map: it now sends B.
  const Bytes keymaps = Memory().at("keymaps.bin");
  EXPECT_EQ(Bytes(keymaps.begin() + 57, keymaps.begin() + 60), (Bytes{0x02, 0x02, 0x05}));
  r = Sim({"keys"}, "B");
  EXPECT_EQ(r.out, "A: (key: B)\n");
  // keys reset gives it back.
  r = Sim({"keys", "reset"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Memory().at("keymaps.bin"), Bytes(FactoryMemory(kModelB).keymaps));
}

TEST_F(CtlFixture, AChangeIsWhatTheMainWindowLoadsFromTheWorkingProfileFile) {
  ASSERT_EQ(Sim({"keys", "set", "a", "b"}, "B").exit, 0);
  // A text block lives only in the working profile file: the main window
  // must keep the file (not rebuild it from the keyboard) to show it.
  CtlRun r = Sim({"keys", "set", "f1", "text", "hello", "world"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  // The keyboard plugged in again with the memory keyloomctl left.
  testing::SimStack sim('B', false);
  sim.keyboard.Unplug();
  sim.keyboard.SetStateDir(State());
  sim.keyboard.Plug();
  sim.Connect();
  sim.link.macro_capacity = sim.keyboard.Memory().settings[11] * 128;
  TakeDefaultMatrix(sim);
  class NoTexts final : public TextSource {
    std::u16string Text(std::u16string_view) const override { return u"M"; }
  } texts;
  KeyStore edit;
  ASSERT_EQ(LoadWorkingProfile(WorkingProfile().u16string(), edit, sim.commands, texts),
            WorkingProfileSource::kWorkingFile);
  EXPECT_EQ(edit.Record(0, KeyIndexFromCode(0x1E)), (KeyRecord{uint16_t(KeyType::kKey), 0, 0x30, 0, 0}));
  const int f1 = RecordNumber(0, KeyIndexFromCode(0x3B));
  EXPECT_EQ(edit.RecordAt(f1).kind(), KeyType::kTextBlock);
  EXPECT_EQ(edit.slots[f1].text, u"hello world");
  r = Sim({"keys"}, "B");
  EXPECT_EQ(r.out, "A: (key: B)\nF1: text block \"hello world\"\n");
}

TEST_F(CtlFixture, MacroOnG1IsWrittenByteForByteAsTheMacroEditorWrites) {
  CtlRun r = Sim({"macro", "add", "Hello", "--cycles", "3", "h:down", "55", "h:up", "40001", "i"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  // Delays as the editor's delay cell takes them: 10 ms steps, at most 40000 ms, with a note.
  EXPECT_NE(r.err.find("at most 40000"), std::string::npos) << r.err;
  r = Sim({"keys", "set", "G1", "macro", "hello", "--cycles", "2"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;

  // What Keyloom's editors leave in the edit store, applied by Apply.
  testing::SimStack expected('B');
  expected.keyboard.SetStateDir(Path("expected"));
  expected.link.macro_capacity = expected.keyboard.Memory().settings[11] * 128;
  TakeDefaultMatrix(expected);
  KeyStores stores;
  MacroRecord m;
  SetMacroName(m, u"Hello");
  m.macro_id = 1;
  m.cycles = 3;
  AddMacroEvent(m, {50, 0x23, kMacroStatePress});
  AddMacroEvent(m, {40000, 0x23, kMacroStateRelease});
  AddMacroEvent(m, {0, 0x17, kMacroStatePress});
  AddMacroEvent(m, {0, 0x17, kMacroStateRelease});
  stores.edit.macros.push_back(m);
  stores.edit.SetRecord(0, kKeyIndexG1, KeyRecord{uint16_t(KeyType::kPlayMacro), 2, 1, 0, 0});
  struct NoMessages : UserMessages {
    void ShowMessage(std::u16string_view) override {}
  } messages;
  ASSERT_TRUE(ApplyToKeyboard(stores, expected.commands, messages, false));
  const SimMemory want = expected.keyboard.Memory();
  const auto got = Memory();
  EXPECT_EQ(got.at("macros.bin"), Bytes(want.macros));
  EXPECT_EQ(got.at("keymaps.bin"), Bytes(want.keymaps));
  r = Sim({"macro", "show", "Hello"}, "B");
  EXPECT_EQ(r.out, "name:   Hello\ncycles: 3\nevents: H:down 50 H:up 40000 I:down I:up\n");
}

TEST_F(CtlFixture, DeletingAMacroKeysPlayResetsThemAndRewritesEveryProfile) {
  HidrawKeyboard machine;
  const std::string root = machine.env();
  ASSERT_EQ(Ctl({"macro", "add", "M", "a"}, {root}).exit, 0);
  ASSERT_EQ(Ctl({"macro", "add", "N", "b"}, {root}).exit, 0);
  CtlRun r = Ctl({"keys", "set", "q", "macro", "M", "--profile", "2"}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  ASSERT_EQ(Ctl({"keys", "set", "w", "macro", "N"}, {root}).exit, 0);
  const size_t before = CountFrames(machine.keyboard, Command::kWriteKeyMap);
  ASSERT_EQ(Ctl({"keys", "set", "e", "b"}, {root}).exit, 0);
  const size_t one_profile = CountFrames(machine.keyboard, Command::kWriteKeyMap) - before;
  ASSERT_GT(one_profile, 0u);

  r = Ctl({"macro", "delete", "M"}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(CountFrames(machine.keyboard, Command::kWriteKeyMap) - before - one_profile, 3 * one_profile);
  r = Ctl({"keys", "--profile", "2"}, {root});
  EXPECT_EQ(r.out, "no keys are assigned in profile 2: every key does its default\n");
  // W played the second macro, now the first: still N.
  r = Ctl({"keys"}, {root});
  EXPECT_NE(r.out.find("W: (macro: N)"), std::string::npos) << r.out;
  r = Ctl({"macro", "list"}, {root});
  EXPECT_EQ(r.out, "N (2 events, played 1 time)\n");
}

TEST_F(CtlFixture, ColourAllSendsEightFramesOfPerKeyColours) {
  HidrawKeyboard machine;
  const std::string root = machine.env();
  const size_t before = CountFrames(machine.keyboard, Command::kWriteKeyColors);
  CtlRun r = Ctl({"colour", "--all", "FF0000"}, {root});
  ASSERT_EQ(r.exit, 0) << r.err;
  // The frames laid out by their offsets: every key button's LED is red.
  Bytes table(512, 0);
  size_t frames = 0;
  const auto trace = machine.keyboard.Trace();
  for (const CommandFrame& f : trace) {
    if (f[frame::kCommand] != static_cast<uint8_t>(Command::kWriteKeyColors)) continue;
    if (frames++ < before) continue;
    const size_t offset = f[frame::kOffset] | (f[frame::kOffset + 1] << 8);
    ASSERT_LE(offset + f[frame::kLength], table.size());
    std::copy_n(f.begin() + frame::kData, f[frame::kLength], table.begin() + offset);
  }
  ASSERT_EQ(frames - before, 8u);
  for (const KeyButton& b : kMainKeyButtons)
    EXPECT_EQ(Bytes(table.begin() + b.led * 3, table.begin() + b.led * 3 + 3), (Bytes{0xFF, 0x00, 0x00}))
        << "LED " << b.led;
  // The user data file of profile 1 keeps the painting in its current user mode.
  const auto ini = MakePlatformIniService();
  UserDataStore user(*ini, (root_ / "data" / "Valdric RGB Mechanical Keyboard").u16string(), u"");
  const int mode = user.ReadCurrentUserMode(0);
  EXPECT_EQ(user.ReadKeyColour(0, mode, kMainKeyButtons[0].led), (KeyColour{0x0000FF, 0}));
  EXPECT_EQ(user.ReadKeyColour(0, mode, kGKeyLed), (KeyColour{0x0000FF, 0}));
}

TEST_F(CtlFixture, ReportRateIsNumberedAsTheWindowsButtons) {
  CtlRun r = Sim({"report-rate", "4"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Memory().at("params.bin").at(15), 3);
  r = Sim({"report-rate", "--json"}, "B");
  EXPECT_EQ(r.out, "{\"command\":\"report-rate\",\"ok\":true,\"profile\":1,\"report_rate\":4}\n");
  r = Sim({"lighting", "set", "--report-rate", "1"}, "B");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Memory().at("params.bin").at(15), 0);
}

TEST_F(CtlFixture, BadNamesAndValuesGiveExit2NamingTheAcceptedValues) {
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const Case cases[] = {
      {{"keys", "set", "nokey", "b"}, "e.g. a, f5, left-ctrl, g1"},
      {{"keys", "set", "a", "nokey"}, "FUNCTION is a key name, disabled, default"},
      {{"keys", "set", "a", "media", "loud"}, "mute"},
      {{"keys", "set", "a", "function", "12"}, "(or 1-11)"},
      {{"keys", "set", "a", "mouse", "fourth"}, "left, right, middle, wheel-up, wheel-down"},
      {{"keys", "set", "a", "macro", "none"}, "there are none"},
      {{"keys", "set", "a", "macro", "none", "--cycles", "0"}, "1-255"},
      {{"keys", "set", "a", "b", "--profile", "4"}, "1, 2 or 3"},
      {{"macro", "add", "X", "a:sideways"}, "KEY:down, KEY:up or KEY"},
      {{"macro", "add", "X", "50", "a"}, "must follow an event"},
      {{"report-rate", "0"}, "1, 2, 3 or 4"},
      {{"colour", "a", "red"}, "RRGGBB"},
      {{"colour", "user-mode", "11"}, "1-10"},
      {{"lighting", "set", "--report-rate", "0"}, "1-4"},
  };
  for (const Case& c : cases) {
    const CtlRun r = Sim(c.args, "B");
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    EXPECT_EQ(r.exit, 2) << line << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << line << "\n" << r.err;
  }
  EXPECT_EQ(Memory().count("keymaps.bin"), 0u) << "nothing was written";
}

TEST_F(CtlFixture, EveryOutcomeIsOneJsonObjectWithAStableErrorCode) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> env;
    int exit;
    std::string error;
  };
  const std::string state = State().string();
  WriteBytes(Path("plain"), Bytes{1});
  const Case cases[] = {
      {{"frob", "--json"}, {}, 2, "unknown_command"},
      {{"--json", "--frob"}, {}, 2, "unknown_option"},
      {{"keys", "--bogus", "--json"}, {"KEYLOOM_SIMULATE=B"}, 2, "usage"},
      {{"info", "--json"}, {"KEYLOOM_SIMULATE=Z"}, 2, "bad_environment"},
      {{"info", "--json", "--simulate", "A", "--sim-state", Path("plain").string()}, {}, 2, "bad_value"},
      {{"import", Path("missing.fwc").string(), "--json"}, {}, 2, "file_missing"},
      {{"info", "--json"}, {"KEYLOOM_HIDRAW_ROOT=" + Path("empty").string()}, 1, "no_keyboard"},
      {{"macro", "show", "x", "--json"}, {"KEYLOOM_SIMULATE=B", "KEYLOOM_SIM_STATE=" + state}, 2, "no_such_macro"},
  };
  for (const Case& c : cases) {
    const CtlRun r = Ctl(c.args, c.env);
    EXPECT_EQ(r.exit, c.exit) << c.args[0] << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_NE(r.out.find("\"ok\":false,\"exit\":" + std::to_string(c.exit) + ",\"error\":\"" + c.error + "\""),
              std::string::npos)
        << r.out;
  }
  CtlRun r = Ctl({"--version"});
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out.rfind("keyloomctl ", 0), 0u);
  // Options after the command, the command's own options before it, and
  // the missing file said in words.
  r = Sim({"keys", "--json"}, "B");
  EXPECT_EQ(r.out, "{\"command\":\"keys\",\"ok\":true,\"profile\":1,\"source\":\"keyboard\",\"keys\":[]}\n");
  for (const std::vector<std::string>& before : {std::vector<std::string>{"--profile", "2", "keys", "--json"},
                                                 std::vector<std::string>{"--profile=2", "--json", "keys"}}) {
    r = Sim(before, "B");
    EXPECT_EQ(r.out, "{\"command\":\"keys\",\"ok\":true,\"profile\":2,\"source\":\"keyboard\",\"keys\":[]}\n")
        << before[0] << "\n" << r.err;
  }
  r = Ctl({"import", Path("missing.fwc").string()});
  EXPECT_NE(r.err.find("missing.fwc does not exist"), std::string::npos) << r.err;
}


TEST_F(CtlFixture, AKeyboardThisUserMayNotOpenNamesItsNodeAndTheUdevRule) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens every node";
  HidrawKeyboard machine;
  for (SimInterface iface : {SimInterface::kBoot, SimInterface::kConsumer, SimInterface::kVendor})
    ::chmod(machine.tree.NodeOf(iface).c_str(), 0);
  const CtlRun r = Ctl({"info", "--json"}, {machine.env()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("may not open it: install the udev rule"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(machine.tree.root().string()), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("\"error\":\"keyboard_not_openable\""), std::string::npos) << r.out;
}

// The words of one example line as a shell would split them: quotes group,
// '#' starts a comment.
std::vector<std::string> ShellWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  char quote = 0;
  for (char c : line) {
    if (quote) {
      if (c == quote) quote = 0;
      else word += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      in_word = true;
    } else if (c == '#' && !in_word) {
      break;
    } else if (c == ' ') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

TEST_F(CtlFixture, EveryExampleOfTheReadmeAndTheHelpPageWorksAsWritten) {
  size_t examples = 0;
  for (const char* doc : {"/README.md", "/docs/keyloomctl.md"}) {
    std::istringstream text(ReadText(fs::path(KEYLOOM_SOURCE_DIR + std::string(doc))));
    std::string line;
    bool in_code = false;
    while (std::getline(text, line)) {
      // Shell blocks only: the synopsis block shows the grammar, not a command.
      if (line.rfind("```", 0) == 0) in_code = !in_code && line == "```sh";
      if (!in_code || line.rfind("keyloomctl ", 0) != 0) continue;
      std::vector<std::string> words = ShellWords(line);
      words.erase(words.begin());
      // The README's own --sim-state folder is kept inside the temporary home.
      for (std::string& w : words)
        if (w == "/tmp/kb") w = Path("kb-readme").string();
      const CtlRun r = Ctl(words, {"KEYLOOM_SIMULATE=B", "KEYLOOM_SIM_STATE=" + State().string()});
      EXPECT_EQ(r.exit, 0) << doc << ": " << line << "\n" << r.err;
      ++examples;
    }
  }
  EXPECT_GT(examples, 0u) << "the examples were found";
}

}  // namespace
}  // namespace keyloom

#endif
