// keyloomctl: the command-line companion. It drives the same device, model
// and storage operations as the main window; nothing here re-implements them.
//
//   keyloomctl [--simulate A|B] [--sim-state DIR] [--json] COMMAND ...
//
// Exit status: 0 done; 1 the keyboard is absent, did not answer or refused;
// 2 usage error, or a file that cannot be read or written (or too little
// memory); 3 a file that is not a valid profile file.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace keyloom::ctl {

enum ExitCode : int {
  kExitDone = 0,
  kExitKeyboard = 1,
  kExitUsage = 2,
  kExitFile = 2,  // a file that cannot be read or written
  kExitBadProfileFile = 3,
};

// What the program reads from outside besides its arguments.
struct Environment {
  std::optional<std::u16string> simulate;     // KEYLOOM_SIMULATE
  std::optional<std::u16string> sim_state;    // KEYLOOM_SIM_STATE
  std::optional<std::u16string> hidraw_root;  // KEYLOOM_HIDRAW_ROOT (Linux: <root>/sys, <root>/dev)
  std::u16string program_folder;              // where the language file lies
};

// Runs one invocation; `args` are the arguments after the program name:
// UTF-8 text, and file names as the system gave them (POSIX bytes; WTF-8 of
// the UTF-16 on Windows). Data go to `out`, errors to `err`.
int Run(std::span<const std::string> args, const Environment& env, std::ostream& out, std::ostream& err);

// Platform parts (ctl_posix.cpp, ctl_win32.cpp).
// A file name given as an argument, exactly as the system gave it.
std::u16string PathFromArgument(const std::string& argument);
// The folder name for the simulated keyboard's memory, as the system takes it.
std::string NativeFolderArgument(const std::u16string& folder);
std::u16string ProgramFolder();
std::optional<std::u16string> GetEnvironment(const char* name);
void PrepareConsole();

}  // namespace keyloom::ctl
