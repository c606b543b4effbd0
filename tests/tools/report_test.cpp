// `korv-inventory report` and the tour on the sample building: what the program prints is
// what the sample holds, through both references and the nested one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

namespace {

// The items of one kind as "NAME@REFERENCE#INSERT" in report order ("C1", "C101@CORE#37").
std::string item_keys(const Json& items) {
    std::string keys;
    for (const Json& item : items) {
        keys += item["name"].is_null() ? "-" : item["name"].get<std::string>();
        if (item["file_name"] != "") keys += "@" + item["file_name"].get<std::string>();
        if (!item["reference"].is_null()) keys += "#" + item["reference"].get<std::string>();
        keys += " ";
    }
    return keys;
}

}  // namespace

TEST(Report, ListsWhatTheSampleBuildingHoldsAsTextAndJson) {
    const ToolRun run = run_line("report $S");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(run.out, HasSubstr("Inventories: 26 columns, 34 beams, 5 braces, 4 walls, "
                                   "1 concrete plan reps, 1 wall rebar configs\n"));
    EXPECT_THAT(run.out, ContainsRegex("CORE +core.dxf +resolved +2 +-\n"));
    EXPECT_THAT(run.out, ContainsRegex("STAIR +stair.dxf +resolved +1 +CORE\n"));
    EXPECT_THAT(run.out,
                ContainsRegex("C1 +7 +- +- +0,0,0 +concrete +imported 6B29FC40-CA47-1067-B31D-"
                              "00DD010662DA\n"));
    // The core's columns once per insert, placed by each; the second insert is turned.
    EXPECT_THAT(run.out, ContainsRegex("C102 +8@CORE +CORE +37 +18,2,0 +concrete"));
    EXPECT_THAT(run.out, ContainsRegex("C102 +8@CORE +CORE +38 +-2,6,0 +concrete"));
    EXPECT_THAT(run.out, ContainsRegex("BR201 +7@STAIR +STAIR +- +0.5,0.5,0 +steel"));
    EXPECT_THAT(run.out, ContainsRegex("W1 +31 +- +- +0,0,0 +concrete +imported 3F2504E0"));

    const Json report = Json::parse(run_line("report --json $S").out);
    EXPECT_EQ(report["counts"].dump(),
              R"({"columns":26,"beams":34,"braces":5,"walls":4,"plan_reps":1,"rebar_configs":1})");
    EXPECT_EQ(report["references"][1]["nested_in"], "CORE");
    EXPECT_EQ(item_keys(report["braces"]), "BR1 BR2 BR3 BR201@STAIR BR202@STAIR ");
    EXPECT_EQ(item_keys(report["walls"]), "W1 W2 W101@CORE#37 W101@CORE#38 ");
    const Json& c101 = report["columns"][18];
    EXPECT_EQ(
        c101["name"].dump() + c101["id"].dump() + c101["start"].dump() + c101["handle_text"].dump(),
        R"("C101""7@CORE"[14.0,2.0,0.0]"7")");
    EXPECT_EQ(report["plan_reps"][0]["class"], "KORVConcrete_lateral_beam_plan_rep");
    EXPECT_EQ(report["rebar_configs"][0]["start"].dump(), "[0.0,0.0,0.0]");
    std::string schedules;
    for (const Json& schedule : report["schedules"])
        schedules += schedule["kind"].get<std::string>() + ": " +
                     schedule["title"].get<std::string>() + "; ";
    EXPECT_EQ(schedules,
              "column schedule: COLUMN SCHEDULE; concrete column schedule: CONCRETE COLUMN "
              "SCHEDULE; ");
    EXPECT_THAT(run.out, ContainsRegex("concrete column schedule +CONCRETE COLUMN SCHEDULE +54\n"));
}

TEST(Tour, WithoutArgumentsReportsOnTheSampleAndRunsTypicalQueries) {
    const ToolRun run = run_line("");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Inventories: 26 columns, 34 beams"));
    EXPECT_THAT(run.out, ContainsRegex("query [^\n]*building.dxf KORVfind_underlying_column "
                                       "6,0,4 0\nKORVfind_underlying_column point=6,0,4 "
                                       "exclude=0\n  returned: true\n  out:\n"
                                       " +NAME +ID +FILE_NAME +REFERENCE_ID\n +C2 +8 +- +-\n"));
    EXPECT_THAT(run.out, HasSubstr("KORVfind_beams_in_rectangle corner1=-1,-1,0"));
    EXPECT_THAT(run.out, HasSubstr("KORVfind_columns_between_elevs has_lower=true lower=4 "
                                   "has_upper=true upper=8\n  returned: true\n  result: 14\n"));
    EXPECT_THAT(run.out,
                ContainsRegex("KORVget_imported_wall [^\n]*\n[^\n]*\n[^\n]*\n[^\n]*\n +W1 "));
}
