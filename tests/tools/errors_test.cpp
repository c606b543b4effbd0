// Bad inputs: each gives its message on stderr, nothing on stdout, and its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tool_runner.h"

using ::testing::HasSubstr;

namespace {

struct BadInput {
    std::string label;
    std::string line;  // $S: the sample drawing
    int exit_code;
    std::string message;
};

const std::string kCall = "query $S KORVfind_underlying_column ";

const std::vector<BadInput> kBadInputs = {
    {"NoSuchCommand", "frobnicate", 2, "frobnicate"},
    {"ReportWithoutDrawing", "report", 2, "drawings is required"},
    {"QueryWithoutFunction", "query $S", 2, "query needs a function to call"},
    {"CsvOfAQuery", "query --format csv $S KORVget_columns", 2, "--format csv is for report only"},
    {"UnknownFormat", "--format yaml report $S", 2, "yaml not in {text,json,csv}"},
    {"MissingDrawing", "report /no/such/drawing.dxf", 3, "no such file: /no/such/drawing.dxf"},
    {"DrawingIsAFolder", "report " KORV_SAMPLES_DIR, 3,
     "not a file: " KORV_SAMPLES_DIR " is a folder"},
    {"MissingModule", "--module /no/such/module.so report $S", 3,
     "no such module: /no/such/module.so"},
    {"NotAModule", "--module " KORV_NOT_A_MODULE " report $S", 6, "acrxEntryPoint"},
    {"UnknownFunction", "query $S KORVfind_underlying_colum 6,0,4 0", 5,
     "unknown function KORVfind_underlying_colum (did you mean KORVfind_underlying_column?)"},
    {"MalformedPoint", kCall + "6,0 0", 5,
     "KORVfind_underlying_column: point: '6,0' is not a point (x,y,z)"},
    {"TooFewArguments", kCall + "6,0,4", 5,
     "KORVfind_underlying_column takes 2 argument(s), 1 given: "
     "KORVfind_underlying_column POINT EXCLUDE"},
    {"HandleOfNothing", kCall + "6,0,4 FFFF", 5,
     "exclude: no object has handle FFFF in the drawing"},
    {"UnknownReference", kCall + "6,0,4 7@ANNEX", 5,
     "exclude: the drawing has no reference named ANNEX"},
    {"NotAMember", "query $S KORVadd_beam 33", 5, "member: 33 is not a structural member"},
    {"MalformedGuid", "query $S KORVget_imported_wall 3F2504E0", 5,
     "guid: '3F2504E0' is not a GUID"},
    {"EmptyCall", kCall + "6,0,4 0 +", 5, "a function name is missing"},
};

class BadInputs : public ::testing::TestWithParam<BadInput> {};

}  // namespace

TEST_P(BadInputs, GiveTheirMessageAndExitStatus) {
    const ToolRun run = run_line(GetParam().line);
    EXPECT_EQ(run.exit_code, GetParam().exit_code) << run.err;
    EXPECT_THAT(run.err, HasSubstr(GetParam().message));
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(Program, BadInputs, ::testing::ValuesIn(kBadInputs),
                         [](const auto& test) { return test.param.label; });

TEST(BadDrawing, AnUnreadableDrawingIsExplainedWithTheHostsStatus) {
    const std::vector<std::pair<std::string, std::string>> drawings = {
        {"  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n",
         "the file is truncated or damaged (eDwgNeedsRecovery)"},
        {"PK\x03\x04 not a drawing\n",
         "it is not a drawing the host reads (not a DXF file, or "
         "a DXF file of release R12 or older) (eBadDxfSequence)"}};
    TemporaryFolder folder;
    for (const auto& [text, why] : drawings) {
        const std::filesystem::path drawing = folder.path() / "bad.dxf";
        std::ofstream(drawing, std::ios::binary) << text;
        const ToolRun run = run_korv_inventory({"report", drawing.string()});
        EXPECT_EQ(run.exit_code, 4);
        EXPECT_EQ(run.err,
                  "korv-inventory: cannot read drawing " + drawing.string() + ": " + why + "\n");
    }
}

TEST(Help, EveryCommandExplainsItselfWithExamples) {
    for (const std::string command : {"report", "query", "list-functions", "describe"}) {
        const ToolRun run = run_korv_inventory({command, "--help"});
        EXPECT_EQ(run.exit_code, 0) << command;
        EXPECT_THAT(run.out, HasSubstr("korv-inventory " + command)) << command;
        EXPECT_THAT(run.out, HasSubstr("Exit status: 0 success")) << command;
        if (command == "query") {
            EXPECT_THAT(run.out, HasSubstr("Put -- before"));
            EXPECT_THAT(run.out, HasSubstr("korv-inventory query samples/building.dxf "
                                           "KORVfind_underlying_column 6,0,4 0"));
        }
    }
    EXPECT_THAT(run_line("list-functions").out,
                HasSubstr("KORVfind_walls_in_rectangle CORNER1 CORNER2 CROSSING "
                          "VIEW_DIRECTION CLIP_1 DEPTH_1 DEPTH_2\n    arguments: "));
}
