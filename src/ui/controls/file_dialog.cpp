#include "ui/controls/file_dialog.h"

namespace keyloom {

std::u16string SystemFilter(std::u16string_view filter) {
  std::u16string out(filter);
  for (char16_t& c : out)
    if (c == u'|') c = u'\0';
  // Two NULs end the list; a filter that lacked its closing bars gets them.
  while (out.size() < 2 || out[out.size() - 1] != u'\0' || out[out.size() - 2] != u'\0') out.push_back(u'\0');
  return out;
}

}  // namespace keyloom
