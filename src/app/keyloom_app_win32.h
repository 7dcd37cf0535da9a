// The Keyloom program from start to exit: the process-wide objects, the
// paths, the registry key, the start-up checks, the main window, and the
// clean-up in its order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace keyloom {

// The exit code when the main window cannot be created.
inline constexpr int kExitNoWindow = 3;

// `resources` is the module with the program's templates, icons and menus;
// `arguments` the command line including the program name. Returns the
// process exit code.
int RunKeyloom(HINSTANCE resources, const std::vector<std::u16string>& arguments);

// The command line split as the C runtime splits it.
std::vector<std::u16string> CommandLineArguments();

}  // namespace keyloom
