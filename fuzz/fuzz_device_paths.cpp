// What identifies a device comes from the system: hidraw uevent text, the
// names of nodes, and platform paths that spell the ids ("vid_XXXX&pid_
// XXXX"). Read ids from any text; an id that reads matches what the text
// says. The node-name and uevent paths run against an empty sysfs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/text.h"
#include "device/hid.h"
#include "device/hid_linux.h"
#include "device/presence.h"

namespace {

using namespace keyloom;

// A backend whose paths carry their ids: IsCandidatePath reads them from the path.
class PathIdsBackend final : public HidBackend {
 public:
  bool Enumerate(std::vector<std::u16string>&) override { return false; }
  std::shared_ptr<HidDevice> Open(const std::u16string&, const HidOpenOptions&) override { return nullptr; }
  bool Probe(const std::u16string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto ids = ParseHidUevent(text)) {
    // The ids are in a "HID_ID=" line.
    if (text.find("HID_ID=") == std::string_view::npos) std::abort();
  }

  static PathIdsBackend path_ids;
  const std::u16string path = FileNameFromBytes(text);
  IsCandidatePath(path_ids, path);

  // Node names as the Linux backend meets them, under a root where nothing exists.
  static const std::unique_ptr<HidBackend> hidraw = MakeLinuxHidBackend({"/nonexistent-keyloom-fuzz/sys", "/nonexistent-keyloom-fuzz/dev"});
  if (size <= 64) {
    const std::u16string node = u"/nonexistent-keyloom-fuzz/dev/" + path;
    const auto ids = hidraw->IdsOfPath(node);
    if (!ids || ids->vendor_id != 0 || ids->product_id != 0) std::abort();  // unreadable: always 0
    if (hidraw->Probe(node)) std::abort();
  }
  return 0;
}
