// Message boxes with an OK button. A text key is looked up in the language
// file (the model's UserMessages); a finished text is one the caller built,
// such as a language text used as a format with its argument.
#pragma once

#include <string_view>

#include "model/user_messages.h"

namespace keyloom {

class MessageBoxes : public UserMessages {
 public:
  virtual void ShowText(std::u16string_view text) = 0;
};

}  // namespace keyloom
