// `korv-inventory report` and the tour on the sample building: what the program prints is
// what the sample holds, through both references and the nested one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

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
                                   "2 concrete plan reps, 1 wall rebar configs, 20 slab edges, "
                                   "2 concrete beamlines\n"));
    EXPECT_THAT(run.out, ContainsRegex("CORE +core.dxf +resolved +2 +-\n"));
    EXPECT_THAT(run.out, ContainsRegex("STAIR +stair.dxf +resolved +1 +CORE\n"));
    EXPECT_THAT(run.out, ContainsRegex("C1 +7 +- +- +0,0,0 +0,0,4 +4 +4 +concrete +imported "
                                       "6B29FC40-CA47-1067-B31D-00DD010662DA\n"));
    // The core's columns once per insert, placed by each; the second insert is turned.
    EXPECT_THAT(run.out,
                ContainsRegex("C102 +8@CORE +CORE +37 +18,2,0 +18,2,12 +12 +12 +concrete"));
    EXPECT_THAT(run.out,
                ContainsRegex("C102 +8@CORE +CORE +38 +-2,6,0 +-2,6,12 +12 +12 +concrete"));
    EXPECT_THAT(run.out, ContainsRegex("BR201 +7@STAIR +STAIR +- +0.5,0.5,0 +0.5,3,2 +2 +3.2015"));
    EXPECT_THAT(run.out,
                ContainsRegex("W1 +31 +- +- +0,0,0 +6,0,0 +4 +6 +concrete +imported 3F2504E0"));

    const Json report = Json::parse(run_line("report --json $S").out);
    EXPECT_EQ(report["counts"].dump(),
              R"({"columns":26,"beams":34,"braces":5,"walls":4,"plan_reps":2,"rebar_configs":1,)"
              R"("slab_edges":20,"concrete_beamlines":2})");
    // Beamlines by their marks, the higher floor first.
    EXPECT_EQ(item_keys(report["concrete_beamlines"]), "CB2 CB1 ");
    EXPECT_EQ(report["concrete_beamlines"][1]["kind_flag"], true);
    EXPECT_EQ(report["references"][1]["nested_in"], "CORE");
    EXPECT_EQ(item_keys(report["braces"]), "BR1 BR2 BR3 BR201@STAIR BR202@STAIR ");
    EXPECT_EQ(item_keys(report["walls"]), "W1 W2 W101@CORE#37 W101@CORE#38 ");
    const Json& c101 = report["columns"][18];
    EXPECT_EQ(
        c101["name"].dump() + c101["id"].dump() + c101["start"].dump() + c101["handle_text"].dump(),
        R"("C101""7@CORE"[14.0,2.0,0.0]"7")");
    EXPECT_EQ(report["plan_reps"][0]["class"], "KORVConcrete_lateral_beam_plan_rep");
    EXPECT_EQ(report["rebar_configs"][0]["start"].dump(), "[0.0,0.0,0.0]");
    // Floor slabs drawn as slab edge objects, the core's roof as plain lines seen per insert.
    EXPECT_EQ(report["slab_edges"][0]["class"], "KORVSlab_edge");
    EXPECT_EQ(report["slab_edges"][12]["drawn_as"].dump() + report["slab_edges"][12]["id"].dump() +
                  report["slab_edges"][16]["start"].dump(),
              R"("line""14@CORE"[-2.0,2.0,12.0])");
    std::string schedules;
    for (const Json& schedule : report["schedules"])
        schedules += schedule["kind"].get<std::string>() + ": " +
                     schedule["title"].get<std::string>() + "; ";
    EXPECT_EQ(schedules,
              "column schedule: COLUMN SCHEDULE; concrete column schedule: CONCRETE COLUMN "
              "SCHEDULE; ");
    EXPECT_THAT(run.out, ContainsRegex("concrete column schedule +CONCRETE COLUMN SCHEDULE +71\n"));
}

TEST(Query, ReachesTheSlabEdgesAndTheIntervalsTheyBound) {
    const ToolRun run = run_line(
        "query $S KORVget_slab_edges true + KORVget_intervals_bounded_by_slab 0,0,4 12,0,4 6,1,4 "
        "0.1");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("KORVget_slab_edges second_list=true\n  returned: true\n"
                                   "  result: 20\n"));
    EXPECT_THAT(run.out, HasSubstr("  parameters: 2\n    0\n    1\n  points: 2\n    0,0,4\n"
                                   "    12,0,4\n"));
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

TEST(Report, GivesEachItemsEndTopAndLengthAndKeepsOnlyWhatTheFiltersName) {
    const Json report =
        Json::parse(run_line("report --json --kind walls,columns --references -,CORE $S").out);
    EXPECT_FALSE(report.contains("beams"));
    EXPECT_EQ(report["counts"].dump(), R"({"columns":26,"walls":4})");
    EXPECT_EQ(item_keys(report["walls"]), "W1 W2 W101@CORE#37 W101@CORE#38 ");
    const Json& c1 = report["columns"][0];
    EXPECT_EQ(c1["start"].dump() + c1["end"].dump() + c1["top"].dump() + c1["length"].dump(),
              "[0.0,0.0,0.0][0.0,0.0,4.0]4.04.0");
    const ToolRun text = run_line("report --kind braces --references STAIR $S");
    EXPECT_THAT(text.out, HasSubstr("Inventories: 2 braces\n"));
    EXPECT_THAT(text.out, ContainsRegex("NAME +ID +REFERENCE +INSERT +START +END +TOP +LENGTH +"
                                        "MATERIAL +NOTES\n +BR201 +7@STAIR"));
}

TEST(Report, SeveralDrawingsAsJsonAndAsCsvThatReadsBackToTheSameRows) {
    const Json reports = Json::parse(run_line("report --json $S $S").out);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], reports[1]);

    const ToolRun csv = run_line("report --format csv $S $S");
    ASSERT_EQ(csv.exit_code, 0) << csv.err;
    TemporaryFolder folder;
    std::ofstream(folder.path() / "report.csv", std::ios::binary) << csv.out;
    const ToolRun parsed = run_program(
        "python3", {"-c",
                    "import csv, json, sys\n"
                    "print(json.dumps(list(csv.reader(open(sys.argv[1], newline='')))))",
                    (folder.path() / "report.csv").string()});
    ASSERT_EQ(parsed.exit_code, 0) << parsed.err;
    const Json rows = Json::parse(parsed.out);
    ASSERT_EQ(rows.size(), 1u + 2u * 94u);
    EXPECT_EQ(rows[0][2], "name");
    // Each row is an item of the JSON report, in the same order, with the same values.
    size_t row = 1;
    for (const Json& report : reports) {
        for (const char* kind : {"columns", "beams", "braces", "walls", "plan_reps",
                                 "rebar_configs", "slab_edges", "concrete_beamlines"}) {
            for (const Json& item : report[kind]) {
                const Json& cells = rows[row++];
                ASSERT_EQ(cells.size(), 18u);
                EXPECT_EQ(cells[0], report["drawing"]);
                EXPECT_EQ(cells[1], kind);
                EXPECT_EQ(cells[2], item["name"].is_null() ? "" : item["name"].get<std::string>());
                EXPECT_EQ(cells[4], item["id"]);
                EXPECT_EQ(std::stod(cells[9].get<std::string>()), item["start"][2].get<double>());
                if (item.contains("top")) {
                    EXPECT_EQ(std::stod(cells[13].get<std::string>()), item["top"].get<double>());
                }
            }
        }
    }
}

TEST(Report, ShowsProgressOnATerminalOnlyAndErasesItBeforeTheAnswer) {
    TemporaryFolder folder;
    const std::string answer = (folder.path() / "answer").string();
    // script(1) gives the program a terminal for stderr; its answer goes to a file.
    const ToolRun terminal =
        run_program("script", {"-q", "-e", "-c",
                               std::string(KORV_INVENTORY_PROGRAM) + " report '" +
                                   sample_drawing() + "' >'" + answer + "'",
                               "/dev/null"});
    ASSERT_EQ(terminal.exit_code, 0) << terminal.err;
    EXPECT_THAT(terminal.out, HasSubstr("\r\033[Kkorv-inventory: reading "));
    EXPECT_THAT(terminal.out, HasSubstr("\r\033[Kkorv-inventory: reporting on "));
    EXPECT_EQ(terminal.out.substr(terminal.out.rfind('\r')), "\r\033[K");  // erased at the end
    EXPECT_EQ(read_file(answer).find('\033'), std::string::npos);
    const ToolRun piped = run_line("report $S");
    ASSERT_EQ(piped.exit_code, 0);
    EXPECT_EQ(piped.err, "");
}
