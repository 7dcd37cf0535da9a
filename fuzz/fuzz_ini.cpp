// INI files are user-editable text in any encoding: parse any bytes, look
// keys up, edit, and check the engine's promises: an unedited document
// serialises to exactly its own bytes, and a value that was set reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <optional>
#include <string>
#include <vector>

#include "storage/ini_document.h"

namespace {

// Names to look up and set come from the input's first bytes, so the fuzzer
// can make them match sections and keys of the document.
std::u16string Name(std::span<const uint8_t>& in) {
  if (in.empty()) return u"k";
  const size_t n = std::min<size_t>(in[0] % 8, in.size() - 1);
  std::u16string name;
  for (size_t i = 1; i <= n; ++i) name.push_back(static_cast<char16_t>(in[i]));
  in = in.subspan(n + 1);
  return name;
}

bool Plain(const std::u16string& name) {
  if (name.empty()) return false;
  for (char16_t c : name)
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keyloom;
  const std::span<const uint8_t> all(data, size);
  std::span<const uint8_t> in = all;
  const std::u16string section = Name(in);
  const std::u16string key = Name(in);

  IniDocument doc = IniDocument::Parse(in);
  if (doc.Serialize() != std::vector<uint8_t>(in.begin(), in.end())) std::abort();
  doc.Find(section, key);
  doc.Find(u"", key);

  // A plain value set under plain names reads back as written, whatever
  // the file's encoding and whatever else it holds.
  const std::u16string value = u"v=1;[x] y";
  doc.Set(section, key, value);
  const IniDocument again = IniDocument::Parse(doc.Serialize());
  if (Plain(section) && Plain(key) && again.Find(section, key) != value) std::abort();
  return 0;
}
