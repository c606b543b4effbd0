// install_layout.h: where korv-inventory finds the module and the sample building.
//
// Run from the build tree, the program uses the paths it was built with; installed (by
// `cmake --install`), it finds both relative to its own executable, so that an installed
// tree works wherever it is copied.
#pragma once

#include <string>

namespace korv_tool {

// The installed file at `relative` (a path relative to the folder of the running program)
// when it exists, else `built_in`.
std::string installed_or_built(const std::string& relative, const std::string& built_in);

}  // namespace korv_tool
