// The sample building's grid systems through the program: the report lists each system
// with its lines, and `query` reaches the grid line functions with names typed and printed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

TEST(GridLineReport, ListsEachSystemOfTheSampleWithItsLines) {
    const ToolRun run = run_line("report $S");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\nGrid systems (2)\n"));
    EXPECT_THAT(run.out,
                ContainsRegex("FRAME +linear +B +[0-9A-F]+ +KORVTrimmed_master_grid_line\n"));
    EXPECT_THAT(run.out, ContainsRegex("CANOPY +radial +C2 +[0-9A-F]+ +KORVCircle_grid_line\n"));

    const Json systems = Json::parse(run_line("report --json $S").out)["grid_systems"];
    std::string text;
    for (const Json& system : systems) {
        text += system["name"].get<std::string>() + " " + system["kind"].get<std::string>() + ":";
        for (const Json& line : system["lines"]) text += " " + line["name"].get<std::string>();
        text += "\n";
    }
    EXPECT_EQ(text, "FRAME linear: 1 2 3 A B\nCANOPY radial: R1 R2 R3 C1 C2\n");
}

TEST(GridLineQuery, NamesAndLinesOfTheSampleAsTextAndJson) {
    // An empty argument: no system named, every line of the kind.
    const ToolRun run = run_korv_inventory(
        {"query", sample_drawing(), "KORVget_grid_system_names", "+", "KORVget_linear_grid_lines",
         "FRAME,CANOPY", "+", "KORVrebuild_grid_inventory", "+", "KORVget_radial_grid_lines", ""});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("KORVget_grid_system_names\n  returned: true\n  names: 2\n"
                                   "    FRAME\n    CANOPY\n"));
    EXPECT_THAT(run.out, HasSubstr("KORVget_linear_grid_lines system_names=FRAME,CANOPY\n"
                                   "  returned: true\n  ids: 5\n"));
    EXPECT_THAT(run.out, ContainsRegex("KORVget_radial_grid_lines system_names=\"\"\n"
                                       "  returned: true\n  ids: 5\n +NAME +ID\n +R1 "));

    const Json calls = Json::parse(
        run_line("query --json --drawing-name ASIDE $S KORVget_radial_grid_system_names")
            .out)["calls"];
    EXPECT_EQ(calls[0]["outputs"]["names"].dump(), R"(["CANOPY"])");
    EXPECT_EQ(calls[0]["assertions"], Json::array());
}
