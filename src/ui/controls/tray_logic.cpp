#include "ui/controls/tray_logic.h"

namespace keyloom {

namespace {
constexpr uint64_t kRightButtonUp = 0x0205;      // WM_RBUTTONUP
constexpr uint64_t kLeftDoubleClick = 0x0203;    // WM_LBUTTONDBLCLK
}  // namespace

TrayDecision DecideTrayNotification(unsigned our_icon_id, uint64_t icon_id, uint64_t mouse_message) {
  if (icon_id != our_icon_id) return {0, TrayAction::kNone};
  if (mouse_message == kRightButtonUp) return {1, TrayAction::kShowMenu};
  if (mouse_message == kLeftDoubleClick) return {1, TrayAction::kRunDefault};
  return {1, TrayAction::kNone};
}

std::u16string FitTrayTip(std::u16string_view text) {
  constexpr size_t kMax = kTrayTipCapacity - 1;
  if (text.size() <= kMax) return std::u16string(text);
  size_t keep = kMax - 3;
  // Do not leave a high surrogate without its partner.
  if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
  std::u16string cut(text.substr(0, keep));
  cut += u"...";
  return cut;
}

}  // namespace keyloom
