// keyloomctl's entry point: the arguments (UTF-8, with file names kept whole),
// the environment, then Run.
#include <iostream>
#include <string>
#include <vector>

#include "base/text.h"
#include "ctl.h"

namespace {

int Main(std::vector<std::string> args) {
  keyloom::ctl::PrepareConsole();
  keyloom::ctl::Environment env;
  env.simulate = keyloom::ctl::GetEnvironment("KEYLOOM_SIMULATE");
  env.sim_state = keyloom::ctl::GetEnvironment("KEYLOOM_SIM_STATE");
  env.hidraw_root = keyloom::ctl::GetEnvironment("KEYLOOM_HIDRAW_ROOT");
  env.program_folder = keyloom::ctl::ProgramFolder();
  const int code = keyloom::ctl::Run(args, env, std::cout, std::cerr);
  std::cout.flush();
  return code;
}

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    // WTF-8: a name that is not well-formed UTF-16 still reaches the file system unchanged.
    args.push_back(keyloom::Utf16ToWtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  return Main(std::move(args));
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
