#include "install_layout.h"

#include <filesystem>

namespace korv_tool {

std::string installed_or_built(const std::string& relative, const std::string& built_in) {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return built_in;
    const std::filesystem::path installed = program.parent_path() / relative;
    if (std::filesystem::is_regular_file(installed, error))
        return installed.lexically_normal().string();
    return built_in;
}

}  // namespace korv_tool
