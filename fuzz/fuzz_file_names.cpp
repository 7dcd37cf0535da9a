// File names come from the command line and the environment in any
// encoding: every byte string must survive the trip through the program's
// UTF-16 strings (POSIX), and every UTF-16 string the trip through WTF-8
// (Windows arguments). The input is used both ways.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (keyloom::FileNameToBytes(keyloom::FileNameFromBytes(bytes)) != bytes) std::abort();
  // Text that is valid UTF-8 decodes as the ordinary conversion does.
  const std::u16string text = keyloom::Utf8ToUtf16(bytes);
  if (keyloom::Utf16ToUtf8(text) == bytes && keyloom::FileNameFromBytes(bytes) != text) std::abort();

  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  if (keyloom::Wtf8ToUtf16(keyloom::Utf16ToWtf8(units)) != units) std::abort();
  return 0;
}
