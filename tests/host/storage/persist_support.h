// Small helpers for the user data, profile file and skin layout tests: a
// temporary folder, whole-file reads and writes, fixed language texts and
// message boxes that record what they show.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "model/text_source.h"
#include "storage/message_boxes.h"

namespace keyloom::persist_test {

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("keyloom-persist-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::u16string File(const std::string& name) const { return (path_ / name).u16string(); }
  std::u16string Folder() const { return path_.u16string(); }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::u16string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
inline void WriteFile(const std::u16string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<uint8_t> ReadFile(const std::u16string& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline std::string ReadText(const std::u16string& path) {
  const std::vector<uint8_t> b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

class FixedTexts final : public TextSource {
 public:
  std::map<std::u16string, std::u16string, std::less<>> texts;
  std::u16string Text(std::u16string_view key) const override {
    auto it = texts.find(key);
    return it == texts.end() ? u"#Error" : it->second;
  }
};

// Records "key:<text key>" and "text:<finished text>" in the order shown.
class RecordingBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::u16string_view key) override { shown.push_back("key:" + Utf16ToUtf8(key)); }
  void ShowText(std::u16string_view text) override { shown.push_back("text:" + Utf16ToUtf8(text)); }
  std::vector<std::string> shown;
};

}  // namespace keyloom::persist_test
