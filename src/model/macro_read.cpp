#include <array>

#include "base/bytes.h"
#include "device/command_set.h"
#include "model/macro.h"

namespace keyloom {

int ReadMacroArea(CommandSet& commands, std::vector<uint8_t>& area) {
  area.clear();
  std::array<uint8_t, kMacroAreaHeaderSize> header{};
  int result = commands.ReadMacros(header);
  if (result != kResultOk) return result;
  if (LoadU16(header.data()) != kMacroAreaMagic) return kResultOk;  // no macros
  const uint16_t total = LoadU16(header.data() + 2);
  // An area shorter than its own header holds nothing that can be read.
  if (total < kMacroAreaHeaderSize) return kResultOk;
  std::vector<uint8_t> bytes(total);
  result = commands.ReadMacros(bytes);
  if (result != kResultOk) return result;
  area = std::move(bytes);
  return kResultOk;
}

}  // namespace keyloom
