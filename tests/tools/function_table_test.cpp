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

// Usage, then "name:kind" per parameter, marked @C where the drawing gives it, @O for an
// output and @M where the tool makes it for the call, then the return kind.
std::string signature(const std::string& name) {
    const ExportedFunction* function = find_function(name);
    if (function == nullptr) return "none";
    std::string text = function->usage() + "\n";
    for (const ParameterInfo& parameter : function->parameters) {
        text += parameter.name + ":" + parameter.kind;
        if (parameter.source != ParameterSource::kArgument)
            text += "@" + std::string("ACOM").substr(static_cast<int>(parameter.source), 1);
        text += ";";
    }
    return text + " -> " + function->returns;
}

}  // namespace

TEST(FunctionTable, HoldsExactlyTheModulesExports) {
    std::set<std::string> table, exported;
    for (const ExportedFunction& function : exported_functions())
        EXPECT_TRUE(table.insert(function.name).second) << function.name << " twice";
    // The module's exports as the Windows build lists them, the entry points excepted.
    std::ifstream def(KORV_MODULE_DEF);
    const std::regex export_line(R"(^\s+(\?)?(KORV\w+))");
    std::smatch match;
    for (std::string line; std::getline(def, line);)
        if (std::regex_search(line, match, export_line)) exported.insert(match[2]);
    ASSERT_GE(exported.size(), 50u);
    EXPECT_EQ(table, exported);
}

TEST(FunctionTable, RowsDescribeTheDeclaredSignatures) {
    EXPECT_EQ(signature("KORVfind_beams_in_rectangle"),
              "KORVfind_beams_in_rectangle CORNER1 CORNER2 CROSSING VIEW_DIRECTION CLIP_1 CLIP_2 "
              "DEPTH_1 DEPTH_2\ndatabase:database@C;drawing_name:drawing name@C;corner1:point;"
              "corner2:point;crossing:flag;view_direction:vector;clip_1:flag;clip_2:flag;"
              "depth_1:number;depth_2:number;result:record list@O; -> flag");
    EXPECT_EQ(signature("KORVloadDwgReadOnly"),
              "KORVloadDwgReadOnly PATH\ndatabase:new database@M;path:path;used_copy:flag@O;"
              "copy_name:text@O; -> flag");
    EXPECT_EQ(signature("KORVget_imported_wall"),
              "KORVget_imported_wall GUID\nguid:guid;out:record@O; -> flag");
    EXPECT_EQ(find_function("KORVget_imported_wall")->symbol,
              "_Z21KORVget_imported_wallRK5_GUIDR19KORVid_and_filename");
    EXPECT_EQ(signature("KORVinventory_document_to_be_destroyed"),
              "KORVinventory_document_to_be_destroyed\ndocument:document@C; -> nothing");
    EXPECT_EQ(signature("KORVget_unsupported_beams"),
              "KORVget_unsupported_beams\nresult:end list@O; -> flag");
    EXPECT_EQ(signature("KORVfind_layout_beams"),
              "KORVfind_layout_beams START END ELEVATIONS\nstart:point;end:point;"
              "elevations:elevations;result:record list@O; -> flag");
    EXPECT_EQ(signature("KORVget_string_var"),
              "KORVget_string_var NAME\nname:text;value:text@O; -> flag");
    EXPECT_EQ(signature("KORVupdate_entity"),
              "KORVupdate_entity ENTITY\nentity:object; -> nothing");
    EXPECT_EQ(signature("KORVdraw_rebar_block"),
              "KORVdraw_rebar_block PLACEMENT_VALUE INSERT_POINT ADVANCE_INSERT_POINT TYPE_TEXT "
              "ASPECT_RATIO BARS_X BARS_Y IS_CIRCULAR TIE_LEGS_X TIE_LEGS_Y REACTOR_TARGET "
              "TEXT_STYLE TEXT_HEIGHT\nplacement_value:number;insert_point:point;"
              "advance_insert_point:flag;type_text:text;aspect_ratio:number;bars_x:integer;"
              "bars_y:integer;is_circular:flag;tie_legs_x:integer;tie_legs_y:integer;"
              "reactor_target:object;text_style:object;text_height:number; -> object");
    EXPECT_EQ(signature("no_such_function"), "none");
}

TEST(FunctionTable, GridLineRowsTakeSystemNamesAndGiveNameLists) {
    EXPECT_EQ(signature("KORVget_grid_system_names"),
              "KORVget_grid_system_names\nnames:name list@O;database:database@C;"
              "drawing_name:drawing name@C; -> flag");
    EXPECT_EQ(signature("KORVget_radial_grid_lines"),
              "KORVget_radial_grid_lines SYSTEM_NAMES\nsystem_names:names;database:database@C;"
              "drawing_name:drawing name@C;ids:id list@O; -> flag");
    EXPECT_EQ(signature("KORVrebuild_grid_inventory"),
              "KORVrebuild_grid_inventory\ndatabase:database@C; -> nothing");
}
