// Bad inputs: each gives its message on stderr, nothing on stdout, and its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <host_test/host_test.h>

#include <fstream>

#include "tool_runner.h"

using ::testing::HasSubstr;

namespace {

struct BadInput {
    std::string label;
    std::vector<std::string> arguments;
    int exit_code;
    std::string message;
};

std::vector<BadInput> bad_inputs() {
    const std::string sample = sample_drawing();
    const std::string call = "KORVfind_underlying_column";
    return {
        {"NoSuchCommand", {"frobnicate"}, 2, "frobnicate"},
        {"ReportWithoutDrawing", {"report"}, 2, "drawing is required"},
        {"QueryWithoutFunction", {"query", sample}, 2, "call is required"},
        {"MissingDrawing",
         {"report", "/no/such/drawing.dxf"},
         3,
         "no such file: /no/such/drawing.dxf"},
        {"DrawingIsAFolder", {"report", KORV_SAMPLES_DIR}, 3, "not a file: "},
        {"MissingModule",
         {"--module", "/no/such/module.so", "report", sample},
         3,
         "no such module: /no/such/module.so"},
        {"NotAModule", {"--module", KORV_NOT_A_MODULE, "report", sample}, 6, "acrxEntryPoint"},
        {"UnknownFunction",
         {"query", sample, "KORVfind_underlying_colum", "6,0,4", "0"},
         5,
         "unknown function KORVfind_underlying_colum (did you mean KORVfind_underlying_column?)"},
        {"MalformedPoint",
         {"query", sample, call, "6,0", "0"},
         5,
         "KORVfind_underlying_column: point: '6,0' is not a point (x,y,z)"},
        {"TooFewArguments",
         {"query", sample, call, "6,0,4"},
         5,
         "KORVfind_underlying_column takes 2 argument(s), 1 given: KORVfind_underlying_column "
         "POINT EXCLUDE"},
        {"HandleOfNothing",
         {"query", sample, call, "6,0,4", "FFFF"},
         5,
         "exclude: no object has handle FFFF in the drawing"},
        {"UnknownReference",
         {"query", sample, call, "6,0,4", "7@ANNEX"},
         5,
         "exclude: the drawing has no reference named ANNEX"},
        {"NotAMember",
         {"query", sample, "KORVadd_beam", "33"},
         5,
         "member: 33 is not a structural member"},
        {"MalformedGuid",
         {"query", sample, "KORVget_imported_wall", "3F2504E0"},
         5,
         "guid: '3F2504E0' is not a GUID"},
        {"EmptyCall", {"query", sample, call, "6,0,4", "0", "+"}, 5, "a function name is missing"},
    };
}

void PrintTo(const BadInput& input, std::ostream* out) {
    *out << input.label;
}

class BadInputs : public ::testing::TestWithParam<BadInput> {};

}  // namespace

TEST_P(BadInputs, GiveTheirMessageAndExitStatus) {
    const BadInput& input = GetParam();
    const ToolRun run = run_korv_inventory(input.arguments);
    EXPECT_EQ(run.exit_code, input.exit_code) << run.err;
    EXPECT_THAT(run.err, HasSubstr(input.message));
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(Program, BadInputs, ::testing::ValuesIn(bad_inputs()),
                         [](const auto& test) { return test.param.label; });

TEST(BadDrawing, AnUnreadableDrawingShowsTheHostsStatus) {
    TemporaryFolder folder;
    const std::filesystem::path drawing = folder.path() / "truncated.dxf";
    std::ofstream(drawing) << "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n";
    host_test::reset_host();
    AcDbDatabase database(false, true);
    const Acad::ErrorStatus es = database.readDwgFile(drawing.wstring().c_str());
    ASSERT_NE(es, Acad::eOk);
    const std::wstring status = acadErrorStatusText(es);

    const ToolRun run = run_korv_inventory({"report", drawing.string()});
    EXPECT_EQ(run.exit_code, 4);
    EXPECT_EQ(run.err, "korv-inventory: cannot read drawing " + drawing.string() + ": " +
                           std::string(status.begin(), status.end()) + "\n");
}

TEST(Help, EveryCommandExplainsItselfWithExamples) {
    for (const char* command : {"report", "query", "list-functions"}) {
        const ToolRun run = run_korv_inventory({command, "--help"});
        EXPECT_EQ(run.exit_code, 0) << command;
        EXPECT_THAT(run.out, HasSubstr("korv-inventory " + std::string(command))) << command;
        EXPECT_THAT(run.out, HasSubstr("Exit status: 0 success")) << command;
    }
    EXPECT_THAT(run_korv_inventory({"query", "--help"}).out,
                HasSubstr("korv-inventory query samples/building.dxf KORVfind_underlying_column "
                          "6,0,4 0"));
    const ToolRun list = run_korv_inventory({"list-functions"});
    EXPECT_THAT(list.out, HasSubstr("KORVfind_walls_in_rectangle CORNER1 CORNER2 CROSSING "
                                    "VIEW_DIRECTION CLIP_1 DEPTH_1 DEPTH_2\n    arguments: "));
}
