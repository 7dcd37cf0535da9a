// How the model tells the user something: by a text key of the language
// file. Windows show the text in a message box; tests record the keys.
#pragma once

#include <string_view>

namespace keyloom {

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void ShowMessage(std::u16string_view text_key) = 0;
};

}  // namespace keyloom
