#include "inventory_module.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "KORVInventory.h"
#include "function_table.h"
#include "tool_error.h"

namespace korv_tool {

InventoryModule::InventoryModule(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw ToolError(ExitCode::kFile, "no such module: " + path);
    // The loader searches the library path for a bare file name; the user means this folder.
    const std::string file = std::filesystem::absolute(path, error).lexically_normal().string();
    try {
        module_ = std::make_unique<host_test::LoadedModule>(error ? path : file);
    } catch (const std::runtime_error& refused) {
        throw ToolError(ExitCode::kModule, refused.what());
    }
    for (const ExportedFunction& function : exported_functions()) {
        if (module_->symbol(function.symbol) == nullptr)
            throw ToolError(ExitCode::kModule, path + " does not export " + function.name);
    }
}

void InventoryModule::forget(AcApDocument* document) const {
    module_->function<decltype(KORVinventory_document_to_be_destroyed)>(
        "KORVinventory_document_to_be_destroyed")(document);
}

std::string choose_module_path(const std::string& option, const std::string& built_in) {
    if (!option.empty()) return option;
    const char* environment = std::getenv("KORV_MODULE");
    if (environment != nullptr && *environment != '\0') return environment;
    return built_in;
}

}  // namespace korv_tool
