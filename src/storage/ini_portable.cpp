#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "storage/ini.h"
#include "storage/ini_document.h"

namespace keyloom {

namespace {

// No settings or language file comes near this; a bigger file is not read.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

enum class ReadResult { kOk, kMissing, kFailed };

ReadResult ReadFileBytes(const std::filesystem::path& path, std::vector<uint8_t>& out) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return ReadResult::kMissing;
  if (!std::filesystem::is_regular_file(status)) return ReadResult::kFailed;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) return ReadResult::kFailed;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReadResult::kFailed;
  out.resize(static_cast<size_t>(size));
  in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (in.gcount() != static_cast<std::streamsize>(out.size())) return ReadResult::kFailed;
  return ReadResult::kOk;
}

// The whole file goes to a temporary file beside it, which then replaces the
// file in one step: a failed write never leaves half a settings file.
bool ReplaceFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::path temp = path;
  temp += u".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  return true;
}

std::u16string Cut(std::u16string text, size_t capacity) {
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

}  // namespace

std::u16string PortableIniService::GetString(const std::u16string& file, std::u16string_view section,
                                             std::u16string_view key, std::u16string_view default_value,
                                             size_t capacity) const {
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(std::filesystem::path(file), bytes) == ReadResult::kOk) {
    if (auto value = IniDocument::Parse(bytes).Find(section, key)) return Cut(std::move(*value), capacity);
  }
  while (!default_value.empty() && default_value.back() == u' ') default_value.remove_suffix(1);
  return Cut(std::u16string(default_value), capacity);
}

bool PortableIniService::WriteString(const std::u16string& file, std::u16string_view section,
                                     std::u16string_view key, std::u16string_view value) {
  const std::filesystem::path path(file);
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(path, bytes) == ReadResult::kFailed) return false;
  IniDocument doc = IniDocument::Parse(bytes);
  doc.Set(section, key, value);
  const std::vector<uint8_t> updated = doc.Serialize();
  if (updated == bytes && !bytes.empty()) return true;
  return ReplaceFile(path, updated);
}

}  // namespace keyloom
