// inventory_module.h: the built KORVInventory module, loaded the way the host loads an
// application (host_test::LoadedModule), with every function of the tool's table resolved
// by its exported name up front, so that a module built without one of them is refused at
// once rather than at the query that needs it.
#pragma once

#include <acdocman.h>
#include <host_test/module_loader.h>

#include <memory>
#include <string>

namespace korv_tool {

class InventoryModule {
public:
    // Throws ToolError: kFile when path names no file, kModule when the host refuses to load
    // it or it does not export every function of the table.
    explicit InventoryModule(const std::string& path);

    const host_test::LoadedModule& loaded() const { return *module_; }
    // Tells the module that the document is about to be destroyed, as the product does
    // before a drawing closes, so that its inventories go with it.
    void forget(AcApDocument* document) const;

private:
    std::unique_ptr<host_test::LoadedModule> module_;
};

// The module to load: the --module option when given, else the KORV_MODULE environment
// variable when set and not empty, else the module built with the tool.
std::string choose_module_path(const std::string& option, const std::string& built_in);

}  // namespace korv_tool
