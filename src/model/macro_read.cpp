#include <algorithm>
#include <array>

#include "base/bytes.h"
#include "device/command_set.h"
#include "model/macro.h"

namespace keyloom {

int ReadMacroArea(CommandSet& commands, std::vector<uint8_t>& area) {
  area.clear();
  // The header and the area it announces are read in one exchange.
  KeyboardExchange exchange(commands.link());
  std::array<uint8_t, kMacroAreaHeaderSize> header{};
  int result = commands.ReadMacros(header);
  if (result != kResultOk) return result;
  if (LoadU16(header.data()) != kMacroAreaMagic) return kResultOk;  // no macros
  size_t total = LoadU16(header.data() + 2);
  // An area shorter than its own header holds nothing that can be read. One
  // that claims more than the keyboard's macro area holds is read as far as
  // the area goes: the keyboard refuses reads past it.
  const int capacity = commands.link().macro_capacity.load();
  if (capacity > 0) total = std::min(total, static_cast<size_t>(capacity));
  if (total < kMacroAreaHeaderSize) return kResultOk;
  std::vector<uint8_t> bytes(total);
  result = commands.ReadMacros(bytes);
  if (result != kResultOk) return result;
  area = std::move(bytes);
  return kResultOk;
}

}  // namespace keyloom
