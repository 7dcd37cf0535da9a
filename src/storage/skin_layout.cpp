#include "storage/skin_layout.h"

#include <array>
#include <climits>

#include "base/format.h"
#include "storage/decimal_scan.h"
#include "storage/file_paths.h"
#include "storage/ini.h"

namespace keyloom {

std::u16string_view SkinLayoutFileName(SkinLayout layout) {
  switch (layout) {
    case SkinLayout::kMain: return u"Main.ini";
    case SkinLayout::kComposite: return u"Composite.ini";
    case SkinLayout::kProfile: return u"Profile.ini";
    case SkinLayout::kUpdate: return u"UpdateDlg.ini";
  }
  return u"Main.ini";
}

std::u16string SkinFolder(std::u16string_view program_folder) {
  return JoinPath(program_folder, kSkinFolderName);
}

std::u16string SkinLayoutPath(std::u16string_view program_folder, SkinLayout layout) {
  return JoinPath(SkinFolder(program_folder), SkinLayoutFileName(layout));
}

SkinRect ParseSkinRect(std::u16string_view value) {
  std::array<int, 4> v{};
  ScanDecimalList(value, v);
  return SkinRect{v[0], v[1], v[2], v[3]};
}

SkinRect ReadSkinRect(const IniService& ini, const std::u16string& layout_file,
                      std::u16string_view section, std::u16string_view key) {
  return ParseSkinRect(ini.GetString(layout_file, section, key, kDefaultSkinRect, kSkinRectCapacity));
}

SkinScreen ReadSkinScreen(const IniService& ini, const std::u16string& layout_file) {
  SkinScreen screen;
  screen.main = ini.GetString(layout_file, kScreenSection, u"Main", u"", kSkinScreenCapacity);
  screen.mask = ini.GetString(layout_file, kScreenSection, u"Mask", u"", kSkinScreenCapacity);
  if (screen.mask.empty()) screen.mask = screen.main;
  return screen;
}

std::u16string ReadSkinLink(const IniService& ini, const std::u16string& main_layout_file, int index) {
  static constexpr std::array<std::u16string_view, 3> kKeys = {u"Link", u"Link1", u"Link2"};
  if (index < 0 || index >= 3) index = 0;
  std::u16string link = ini.GetString(main_layout_file, kScreenSection, kKeys[index], u"", kSkinScreenCapacity);
  return link.empty() ? std::u16string(kDefaultSkinLink) : link;
}

std::u16string ArrowOriginKey(bool left, bool flip_up, int frame) {
  std::u16string key = flip_up ? u"UP_ARROW_" : u"DOWN_ARROW_";
  key += left ? u"LEFT%d" : u"RIGHT%d";
  return FormatText(key, frame == 2 ? 2 : 1);
}

namespace {
// A layout file may hold any number; the origin never overflows.
int OneLess(int v) { return v == INT_MIN ? v : v - 1; }
}  // namespace

SkinButtonPlacement PlanSkinButton(const SkinRect& rect) {
  return SkinButtonPlacement{rect, {OneLess(rect.x), OneLess(rect.y)}, rect.x == 1 && rect.y == 1};
}

SkinButtonPlacement PlanSkinButtonWithOrigin(const SkinRect& rect, const SkinRect& origin) {
  return SkinButtonPlacement{rect, {OneLess(origin.x), OneLess(origin.y)}, false};
}

SkinRect PlanControlAt(const SkinRect& rect, int current_width, int current_height) {
  return SkinRect{rect.x, rect.y, current_width, current_height};
}

std::vector<MaskRun> MaskRuns(std::span<const uint32_t> pixels, int width, int height) {
  std::vector<MaskRun> runs;
  if (width <= 0 || height <= 0) return runs;
  const size_t row_length = static_cast<size_t>(width);
  for (int y = 0; y < height; ++y) {
    const size_t row_start = static_cast<size_t>(y) * row_length;
    if (row_start + row_length > pixels.size()) break;
    const uint32_t* row = pixels.data() + row_start;
    int x = 0;
    while (x < width) {
      while (x < width && (row[x] & 0xFFFFFF) == 0xFFFFFF) ++x;
      const int begin = x;
      while (x < width && (row[x] & 0xFFFFFF) != 0xFFFFFF) ++x;
      if (x > begin) runs.push_back(MaskRun{y, begin, x});
    }
  }
  return runs;
}

}  // namespace keyloom
