// keyloom_skin OUTPUT_FOLDER [--list]
//
// Writes the skin that ships beside the program: OUTPUT_FOLDER/Skins (layout
// files and pictures) and OUTPUT_FOLDER/icons. The repository's assets folder
// holds its output; the tests regenerate it and compare byte for byte.
// --list prints the paths it writes, one a line, relative to OUTPUT_FOLDER.
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

#include "base/atomic_file.h"
#include "base/file_read.h"
#include "dialog.h"

#ifndef KEYLOOM_SKIN_FONT_DIR
#define KEYLOOM_SKIN_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

int main(int argc, char** argv) {
  using namespace keyloom::skin;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [--list]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const bool list = argc > 2 && std::string(argv[2]) == "--list";
  const Fonts fonts(KEYLOOM_SKIN_FONT_DIR);

  FileSet all;
  for (FileSet part : {MainWindowFiles(fonts), KeyEditorFiles(fonts), ProfileManagerFiles(fonts),
                       UpdateDialogFiles(fonts), IconFiles()})
    all.merge(part);

  size_t total = 0;
  for (const auto& [name, bytes] : all) {
    const std::filesystem::path path = out / name;
    std::filesystem::create_directories(path.parent_path());
    const std::span<const uint8_t> pieces[] = {
        {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}};
    if (const keyloom::SaveResult saved = keyloom::SaveFileAtomically(keyloom::FromFsPath(path), pieces); !saved) {
      std::fprintf(stderr, "cannot write %s: %s\n", path.string().c_str(), keyloom::DescribeSaveError(saved).c_str());
      return 1;
    }
    total += bytes.size();
    if (list) std::printf("%s\n", name.c_str());
  }
  std::fprintf(stderr, "%zu files, %zu bytes\n", all.size(), total);
  return 0;
}
