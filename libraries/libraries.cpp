#include "libraries.h"

namespace boot {

platform::OwnedLibrary LoadAuthorLibrary(BootState& state, const std::string& name) {
  const platform::Os& os = state.Os();
  const Directories& dirs = state.dirs;
  for (const std::string* dir : {&dirs.program, &dirs.osSys, &dirs.win, &dirs.setup}) {
    if (dir->empty() || !os.files->FileExists(*dir + name)) continue;
    if (const platform::Library library = os.libraries->LoadLibrary(*dir + name)) {
      return platform::OwnedLibrary(*os.libraries, library);
    }
  }
  return {};
}

}  // namespace boot
