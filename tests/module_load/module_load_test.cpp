#include <gtest/gtest.h>
#include <host_test/host_test.h>
#include <host_test/module_loader.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

// The names the Windows build exports, from the module's .def file.
std::vector<std::string> def_file_exports() {
    std::ifstream def(KORV_MODULE_DEF);
    std::vector<std::string> names;
    std::string line;
    bool in_exports = false;
    while (std::getline(def, line)) {
        if (line.rfind("EXPORTS", 0) == 0) {
            in_exports = true;
            continue;
        }
        std::smatch match;
        if (in_exports &&
            std::regex_search(line, match, std::regex(R"(^\s+([A-Za-z_?][\w?@$]*))"))) {
            names.push_back(match[1]);
        }
    }
    return names;
}

// The symbol a .def name is exported under here: the plain name, or for the one
// C++-linkage export this platform's mangling of the same signature.
std::string exported_symbol(const std::string& def_name) {
    if (def_name == "?KORVget_imported_wall@@YA_NAEBU_GUID@@AEAUKORVid_and_filename@@@Z") {
        return "_Z21KORVget_imported_wallRK5_GUIDR19KORVid_and_filename";
    }
    return def_name;
}

}  // namespace

TEST(ModuleLoad, StartsUpAsAnExtensionDllAndRegistersNothing) {
    host_test::reset_host();
    {
        host_test::LoadedModule module(KORV_MODULE_PATH);
        EXPECT_EQ(host_test::host_call_summary(),
                  "ExtRawDllMain AfxInitExtensionModule CDynLinkLibrary InitAcUiDLL "
                  "unlockApplication registerAppMDIAware");
        EXPECT_TRUE(host_test::is_unlocked(module.app_id()));
        EXPECT_TRUE(host_test::is_mdi_aware(module.app_id()));
        for (int code : {16, 17, 18}) {
            EXPECT_EQ(module.send(static_cast<AcRx::AppMsgCode>(code)), AcRx::kRetOK);
        }
        for (const std::string& name : def_file_exports()) {
            EXPECT_NE(module.symbol(exported_symbol(name)), nullptr) << name;
        }
        host_test::clear_host_calls();
        module.unload();
        EXPECT_EQ(host_test::host_call_summary(), "AfxTermExtensionModule");
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
}
