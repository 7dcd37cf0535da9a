// Joining folder and file names with the platform's separator. Either
// separator is accepted at the end of a folder.
#pragma once

#include <string>
#include <string_view>

namespace keyloom {

#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

inline std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string path(folder);
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path.push_back(kPathSeparator);
  path.append(name);
  return path;
}

#if !defined(_WIN32)
// A file of ours in the per-user configuration folder:
// $XDG_CONFIG_HOME (or ~/.config)/Valdric RGB Mechanical Keyboard/NAME.
std::u16string UserConfigFile(std::string_view name);
#endif

}  // namespace keyloom
