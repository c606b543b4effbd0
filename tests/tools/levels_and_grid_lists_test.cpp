// The sample building's levels and grid lists through the program: the report lists them,
// and the queries reach every level and grid list export, levels printed by name and
// elevation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

TEST(LevelsAndGridLists, TheReportListsThemAndEveryExportAnswersAQuery) {
    const ToolRun report = run_line("report $S");
    ASSERT_EQ(report.exit_code, 0) << report.err;
    EXPECT_THAT(report.out, ContainsRegex("\nLevels \\(4\\)\n +NAME +ELEVATION\n +Level 1 +0.0\n"
                                          " +Level 2 +4.0\n +Level 3 +8.0\n +Roof +12.0\n"));
    EXPECT_THAT(report.out, ContainsRegex("\nPlan grids \\(1\\)\n +NAME +ID\n +- +[0-9A-F]+\n"));
    EXPECT_THAT(report.out, HasSubstr("\nRadial plan grids (0)\n"));
    EXPECT_THAT(report.out, HasSubstr("\nElevation grids (2)\n"));
    const Json json = Json::parse(run_line("report --json $S").out);
    EXPECT_EQ(json["levels"][3].dump(), R"({"name":"Roof","elevation":12.0})");
    EXPECT_EQ(json["plan_grids"][0]["class"], "KORVRectangular_grid_callout");
    EXPECT_EQ(json["elevation_grids"][1]["class"], "KORVElevation2_0");
    const std::string callout = json["plan_grids"][0]["id"];

    const ToolRun levels = run_line("query $S KORVget_levels");
    ASSERT_EQ(levels.exit_code, 0) << levels.err;
    EXPECT_THAT(levels.out, ContainsRegex("KORVget_levels\n  returned: true\n  levels: 4\n +NAME "
                                          "+ELEVATION\n +Level 1 +0.0\n"));

    const Json calls =
        Json::parse(run_line("query --json $S KORVadd_plan_grid " + callout +
                             " + KORVadd_radial_plan_grid " + callout +
                             " + KORVget_plan_grid_list + KORVget_radial_plan_grid_list + "
                             "KORVget_elevation_grid_list + KORVclear_level_inventories")
                        .out)["calls"];
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[2]["outputs"]["ids"].size(), 2u);  // scanned, then the one added
    EXPECT_EQ(calls[3]["outputs"]["ids"][0]["id"], callout);
    EXPECT_EQ(calls[4]["outputs"]["ids"].size(), 2u);
    EXPECT_TRUE(calls[5]["returned"].is_null());
    for (const Json& call : calls) EXPECT_EQ(call["assertions"], Json::array()) << call;
}
