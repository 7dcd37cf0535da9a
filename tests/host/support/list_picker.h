// A file picker for tests: each dialog is answered with the next path of a
// list (nothing: the user cancelled), and every request is kept.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls/file_picker.h"

namespace keyloom::testing {

class ListPicker final : public FilePicker {
 public:
  std::optional<std::u16string> Choose(const FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::u16string>> answers;
  std::vector<FileDialogRequest> requests;
};

}  // namespace keyloom::testing
