// Names found in the Backups folder decide which files are pruned: only a
// name the program itself makes may parse, and it must make that name again
// from what was parsed. The input is the name's UTF-16LE units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "storage/backups.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string name(size / 2, u'\0');
  for (size_t i = 0; i < name.size(); ++i) name[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  const std::optional<keyloom::BackupStamp> stamp = keyloom::ParseBackupFileName(name);
  if (stamp && keyloom::BackupFileName(stamp->time, stamp->number) != name) std::abort();
  return 0;
}
