#include <gtest/gtest.h>
#include <host_test/drawing_builder.h>
#include <host_test/host_test.h>
#include <host_test/module_loader.h>

#include <fstream>
#include <list>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "StdAfx.h"
#include "korvdbx.h"

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

// The functions the exported header declares for export, in declaration order.
std::vector<std::string> header_exports() {
    std::string path = KORV_MODULE_DEF;
    path.replace(path.rfind(".def"), 4, ".h");
    std::ifstream header(path);
    std::stringstream text;
    text << header.rdbuf();
    const std::string content = text.str();
    std::vector<std::string> names;
    const std::regex declaration(R"(KORVINVENTORY_API\s+[\w:<>,\s*&]*?\b(KORV\w+)\s*\()");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), declaration);
         it != std::sregex_iterator(); ++it) {
        names.push_back((*it)[1]);
    }
    return names;
}

// The function name a .def entry exports: the entry itself, or the name inside a decorated
// (C++-linkage) entry.
std::string function_name(const std::string& def_name) {
    if (def_name.empty() || def_name[0] != '?') return def_name;
    return def_name.substr(1, def_name.find("@@") - 1);
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

TEST(ModuleLoad, TheDefFileListsExactlyTheFunctionsTheHeaderExports) {
    const std::vector<std::string> declared = header_exports();
    ASSERT_FALSE(declared.empty());
    std::set<std::string> listed;
    for (const std::string& name : def_file_exports()) {
        if (name.rfind("acrx", 0) != 0) listed.insert(function_name(name));
    }
    EXPECT_EQ(std::set<std::string>(declared.begin(), declared.end()), listed);
    EXPECT_EQ(declared.size(), listed.size()) << "a function is declared twice";
    // Only KORVget_imported_wall keeps C++ linkage: once it is declared, the .def must carry
    // it decorated.
    for (const std::string& name : def_file_exports()) {
        EXPECT_EQ(name[0] == '?', function_name(name) == "KORVget_imported_wall") << name;
    }
}

TEST(ModuleLoad, ExportsOnlyItsInterfaceWithTheLinkageEachFunctionHas) {
    host_test::reset_host();
    host_test::LoadedModule module(KORV_MODULE_PATH);
    for (const std::string& name : def_file_exports()) {
        if (name[0] == '?') {
            EXPECT_EQ(module.symbol(function_name(name)), nullptr) << "plain " << name;
        }
    }
    // The module's own functions stay inside it.
    EXPECT_EQ(module.symbol("_Z24current_column_inventoryv"), nullptr);
    EXPECT_EQ(module.symbol("current_column_inventory"), nullptr);
}

TEST(ModuleLoad, AnswersEveryOtherMessageWithoutDoingAnything) {
    host_test::reset_host();
    host_test::LoadedModule module(KORV_MODULE_PATH);
    host_test::clear_host_calls();
    for (int code = 0; code <= 40; ++code) {
        if (code == AcRx::kInitAppMsg || code == AcRx::kUnloadAppMsg) continue;
        EXPECT_EQ(module.send(static_cast<AcRx::AppMsgCode>(code)), AcRx::kRetOK) << code;
    }
    EXPECT_EQ(host_test::host_call_summary(), "");
    // Unlocked: it unloads, and loads again as fresh as the first time.
    module.unload();
    host_test::clear_host_calls();
    host_test::LoadedModule again(KORV_MODULE_PATH);
    EXPECT_EQ(host_test::host_call_summary(),
              "ExtRawDllMain AfxInitExtensionModule CDynLinkLibrary InitAcUiDLL "
              "unlockApplication registerAppMDIAware");
}

TEST(ModuleLoad, ItsDocumentExportsWorkAsTheHostCallsThem) {
    host_test::reset_host();
    host_test::LoadedModule module(KORV_MODULE_PATH);
    auto has_changed = module.function<bool()>("KORVcur_document_has_changed");
    auto to_be_destroyed =
        module.function<void(AcApDocument*)>("KORVinventory_document_to_be_destroyed");
    EXPECT_FALSE(has_changed());  // no document yet
    AcApDocument* document = host_test::add_document(host_test::new_drawing(), L"C:/a.dwg");
    host_test::set_current_document(document);
    EXPECT_TRUE(has_changed());
    EXPECT_FALSE(has_changed());
    to_be_destroyed(document);
    host_test::destroy_document(document);
    EXPECT_FALSE(has_changed());
    EXPECT_EQ(host_test::assertion_summary(), "");
    host_test::reset_host();
}

// The process ends with documents alive and their inventories built: with the module still
// loaded, and after the module was unloaded while a document stayed open. Both exits are
// clean, whatever order the host, the library and the module go in.
TEST(ModuleLoad, TheProcessEndsCleanlyWithDocumentsAliveLoadedOrUnloaded) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const bool unload : {false, true}) {
        EXPECT_EXIT(
            {
                host_test::LoadedModule module(KORV_MODULE_PATH);
                auto database = host_test::new_drawing();
                host_test::DrawingBuilder drawing(database.get());
                drawing.insert(
                    drawing.attach_xref(L"CORE", L"C:/core.dwg", host_test::new_drawing()),
                    {{10, 0, 0}});
                AcApDocument* document =
                    host_test::add_document(std::move(database), L"C:/main.dwg");
                host_test::set_current_document(document);
                host_test::set_working_database(document->database());
                std::list<AcDbObjectId> ids;
                if (!module.function<bool(std::list<AcDbObjectId>&)>("KORVget_columns")(ids))
                    std::exit(3);
                if (unload) module.unload();
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "")
            << (unload ? "unloaded" : "loaded");
    }
}

TEST(ModuleLoad, ItsLevelAndGridListExportsAnswerThroughTheirPlainNames) {
    host_test::reset_host();
    {
        host_test::LoadedModule module(KORV_MODULE_PATH);
        AcApDocument* document = host_test::add_document(host_test::new_drawing(), L"C:/a.dwg");
        host_test::set_current_document(document);
        host_test::set_working_database(document->database());
        host_test::DrawingBuilder drawing(document->database());
        KORVLevel::add_level_to_dictionary(document->database(), KORVLevel(L"Ground", 0.0));
        const AcDbObjectId callout =
            drawing.add(new KORVRectangular_grid_callout(L"A", {}, {1, 1, 0}));

        std::list<KORVLevel> levels;
        EXPECT_TRUE(module.function<bool(AcDbDatabase*, std::list<KORVLevel>&)>("KORVget_levels")(
            nullptr, levels));
        ASSERT_EQ(levels.size(), 1u);
        EXPECT_EQ(levels.front().get_name(), L"Ground");
        module.function<void()>("KORVclear_level_inventories")();
        module.function<void(const AcDbObjectId&)>("KORVadd_radial_plan_grid")(callout);
        module.function<void(const AcDbObjectId&)>("KORVadd_plan_grid")(callout);
        using Getter = bool(std::list<AcDbObjectId>&);
        for (const auto& [name, count] :
             {std::pair<const char*, size_t>{"KORVget_plan_grid_list", 2},
              {"KORVget_radial_plan_grid_list", 1},
              {"KORVget_elevation_grid_list", 0}}) {
            std::list<AcDbObjectId> ids;
            EXPECT_TRUE(module.function<Getter>(name)(ids)) << name;
            EXPECT_EQ(ids.size(), count) << name;
        }
        module.function<void(AcApDocument*)>("KORVinventory_document_to_be_destroyed")(document);
        host_test::destroy_document(document);
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
    EXPECT_EQ(host_test::assertion_summary(), "");
    host_test::reset_host();
}
