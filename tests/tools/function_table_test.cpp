// The tool's table of functions against the module's export list: every exported function
// is reachable through `query`, under the symbol the module exports it by, with as many
// argument names as it takes typed arguments.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "function_table.h"

using namespace korv_tool;

namespace {

// The module's exports as the Windows build lists them, the entry points excepted.
std::set<std::string> def_file_functions() {
    std::ifstream def(KORV_MODULE_DEF);
    std::set<std::string> names;
    std::string line;
    const std::regex export_line(R"(^\s+(\?)?(KORV\w+))");
    std::smatch match;
    while (std::getline(def, line)) {
        if (std::regex_search(line, match, export_line)) names.insert(match[2]);
    }
    return names;
}

}  // namespace

TEST(FunctionTable, HoldsExactlyTheModulesExports) {
    std::set<std::string> table;
    for (const ExportedFunction& function : exported_functions()) {
        EXPECT_TRUE(table.insert(function.name).second) << function.name << " twice";
    }
    const std::set<std::string> exported = def_file_functions();
    ASSERT_GE(exported.size(), 50u);
    EXPECT_EQ(table, exported);
}

TEST(FunctionTable, RowsDescribeTheDeclaredSignatures) {
    const ExportedFunction* beams = find_function("KORVfind_beams_in_rectangle");
    ASSERT_NE(beams, nullptr);
    EXPECT_EQ(beams->usage(),
              "KORVfind_beams_in_rectangle CORNER1 CORNER2 CROSSING VIEW_DIRECTION CLIP_1 CLIP_2 "
              "DEPTH_1 DEPTH_2");
    std::string kinds;
    for (const ParameterInfo& parameter : beams->parameters) kinds += parameter.kind + ";";
    EXPECT_EQ(kinds,
              "database;drawing name;point;point;flag;vector;flag;flag;number;number;record list;");
    EXPECT_EQ(beams->returns, "flag");

    const ExportedFunction* wall = find_function("KORVget_imported_wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->symbol, "_Z21KORVget_imported_wallRK5_GUIDR19KORVid_and_filename");
    EXPECT_EQ(wall->usage(), "KORVget_imported_wall GUID");
    EXPECT_EQ(find_function("KORVget_new_brace_name")->returns, "name");
    EXPECT_EQ(find_function("KORVinventory_document_to_be_destroyed")->parameters[0].source,
              ParameterSource::kContext);
    EXPECT_EQ(find_function("KORVget_unsupported_beams")->parameters[0].kind, "end list");
    EXPECT_EQ(find_function("KORVfind_layout_beams")->parameters[2].kind, "elevations");
    EXPECT_EQ(find_function("KORVadd_brace")->parameters[0].kind, "member");
    EXPECT_EQ(find_function("no_such_function"), nullptr);
}

TEST(FunctionTable, RowsNamingTheirOwnBindingsDescribeThem) {
    const ExportedFunction* load = find_function("KORVloadDwgReadOnly");
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->usage(), "KORVloadDwgReadOnly PATH");
    std::string parameters;
    for (const ParameterInfo& parameter : load->parameters)
        parameters += parameter.name + ":" + parameter.kind + ";";
    EXPECT_EQ(parameters, "database:new database;path:path;used_copy:flag;copy_name:text;");
    EXPECT_EQ(load->parameters[0].source, ParameterSource::kMade);
    EXPECT_EQ(load->parameters[3].source, ParameterSource::kOutput);
    EXPECT_EQ(find_function("KORVget_string_var")->usage(), "KORVget_string_var NAME");
    EXPECT_EQ(find_function("KORVget_string_var")->parameters[1].name, "value");
    EXPECT_EQ(find_function("KORVupdate_entity")->returns, "nothing");
}
