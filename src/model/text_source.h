// Where the model's user-visible texts come from. The language files
// implement it; tests hand in a fixed table. Kept here so the model does not
// depend on how texts are stored.
#pragma once

#include <string>
#include <string_view>

namespace keyloom {

class TextSource {
 public:
  virtual ~TextSource() = default;
  // The text of a text key in the current language. A missing key gives the
  // lookup's own error text, never an exception.
  virtual std::u16string Text(std::u16string_view key) const = 0;
};

}  // namespace keyloom
