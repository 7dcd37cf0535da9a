// The save routine between processes: two processes saving one file at the
// same time, and a saving process killed at random moments. Every content
// saved checks itself (length and hash), so a torn or mixed file shows.
//
// KEYLOOM_KILL_COUNT sets the number of kills (20 by default, which keeps
// the suite fast; run it once with 300 or more for a figure).
#if !defined(_WIN32)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/bytes.h"
#include "base/file_read.h"
#include "storage/persist_support.h"

namespace keyloom {
namespace {

using persist_test::TempDir;
using Bytes = std::vector<uint8_t>;

constexpr uint64_t kMagic = 0x31305645'41534C4Bull;  // "KLSAVE01"

uint64_t Fnv1a(const uint8_t* p, size_t n) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}

void Put64(Bytes& b, size_t at, uint64_t v) {
  StoreU32(&b[at], static_cast<uint32_t>(v));
  StoreU32(&b[at + 4], static_cast<uint32_t>(v >> 32));
}
uint64_t Get64(const Bytes& b, size_t at) { return LoadU32(&b[at]) | (uint64_t{LoadU32(&b[at + 4])} << 32); }

// magic, number, payload length, payload (from the number), hash of the rest.
Bytes Content(uint64_t number, size_t length) {
  Bytes b(24 + length + 8);
  Put64(b, 0, kMagic);
  Put64(b, 8, number);
  Put64(b, 16, length);
  uint64_t x = number * 0x9E3779B97F4A7C15ull + 1;
  for (size_t i = 0; i < length; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    b[24 + i] = static_cast<uint8_t>(x);
  }
  Put64(b, 24 + length, Fnv1a(b.data(), 24 + length));
  return b;
}

// The number of a whole content, or nothing for anything else.
std::optional<uint64_t> Whole(const Bytes& b) {
  if (b.size() < 32 || Get64(b, 0) != kMagic || Get64(b, 16) != b.size() - 32) return std::nullopt;
  if (Get64(b, b.size() - 8) != Fnv1a(b.data(), b.size() - 8)) return std::nullopt;
  return Get64(b, 8);
}

bool Save(const std::u16string& path, const Bytes& bytes) { return ReplaceFileAtomically(path, bytes); }

Bytes Read(const std::u16string& path) {
  Bytes bytes;
  ReadFileBounded(path, 64u << 20, bytes);
  return bytes;
}

int ExitCodeOf(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Two processes save one file 200 times each, at the same time: every save
// succeeds, and the file ends whole, as one of the two.
TEST(AtomicFileProcesses, TwoProcessesSavingOneFileEndWithOneWholeFile) {
  TempDir dir;
  const std::u16string path = dir.File("shared.bin");
  const Bytes contents[2] = {Content(1, 256 << 10), Content(2, 384 << 10)};
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      close(ready[1]);
      char go;
      if (read(ready[0], &go, 1) != 1) _exit(100);  // both start together
      int failures = 0;
      for (int i = 0; i < 200; ++i) failures += Save(path, contents[c]) ? 0 : 1;
      _exit(failures > 99 ? 99 : failures);
    }
  }
  close(ready[0]);
  const char go[2] = {'g', 'g'};
  ASSERT_EQ(write(ready[1], go, 2), 2);
  close(ready[1]);
  const int failed[2] = {ExitCodeOf(children[0]), ExitCodeOf(children[1])};
  EXPECT_EQ(failed[0], 0) << "saves that failed in the first process";
  EXPECT_EQ(failed[1], 0) << "saves that failed in the second process";
  const Bytes final = Read(path);
  const std::optional<uint64_t> number = Whole(final);
  ASSERT_TRUE(number) << "the file is torn or mixed (" << final.size() << " bytes)";
  EXPECT_TRUE(*number == 1 || *number == 2);
  EXPECT_EQ(final, contents[*number - 1]);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"shared.bin"});
  std::printf("two processes, 200 saves each: %d and %d failed, the file is content %llu, whole\n", failed[0],
              failed[1], static_cast<unsigned long long>(*number));
}

// A process saving one file over and over is killed at random moments. The
// file is whole every time, old or new; the next save leaves no temporary
// file behind.
TEST(AtomicFileProcesses, KilledAtRandomMomentsTheFileIsAlwaysOldOrNew) {
  const char* env = std::getenv("KEYLOOM_KILL_COUNT");
  const int kills = env && std::atoi(env) > 0 ? std::atoi(env) : 20;
  TempDir dir;
  const std::u16string path = dir.File("saved.bin");
  std::mt19937_64 rng(std::random_device{}());
  uint64_t last = 1;
  ASSERT_TRUE(Save(path, Content(last, 4096)));
  int during_save = 0;  // kills that left a temporary file: the save was under way
  int replaced = 0;     // kills after which the file held a content the killed process saved

  for (int k = 0; k < kills; ++k) {
    const uint64_t first = (uint64_t(k) + 1) << 32;  // this child's contents are first, first + 1, ...
    const unsigned seed = static_cast<unsigned>(rng());
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(started[0]);
      std::mt19937 sizes(seed);
      if (write(started[1], "s", 1) != 1) _exit(100);
      for (uint64_t n = first;; ++n) Save(path, Content(n, 4096 + sizes() % (256u << 10)));
    }
    close(started[1]);
    char s;
    ASSERT_EQ(read(started[0], &s, 1), 1);
    close(started[0]);
    // The moment of the kill is the random part; nothing waits on it.
    usleep(static_cast<useconds_t>(rng() % 20000));
    kill(child, SIGKILL);
    ExitCodeOf(child);

    const std::optional<uint64_t> number = Whole(Read(path));
    ASSERT_TRUE(number) << "kill " << k << " left a torn file";
    ASSERT_TRUE(*number == last || *number >= first) << "kill " << k;
    if (*number >= first) ++replaced;
    if (dir.Entries().size() > 1) ++during_save;

    last = first - 1;
    ASSERT_TRUE(Save(path, Content(last, 4096)));
    ASSERT_EQ(dir.Entries(), std::vector<std::string>{"saved.bin"}) << "after kill " << k;
  }
  std::printf("%d kills: the file whole every time; %d kills left a temporary file (killed during a save), "
              "%d after the killed process had replaced the file; none left after the next save\n",
              kills, during_save, replaced);
}

}  // namespace
}  // namespace keyloom

#endif  // !_WIN32
