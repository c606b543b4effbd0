// `korv-inventory audit` lists what the host repaired reading a drawing, as text and JSON,
// and report says in one line on stderr that there was something to list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

#include "tool_runner.h"

using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

TEST(Audit, ListsTheRepairsOfADrawingAndReportCountsThem) {
    TemporaryFolder folder;
    const std::string drawing = (folder.path() / "other.dxf").string();
    // A line whose owner is missing (group 330, line 19) and whose material reference is a
    // name (group 347, line 25).
    std::ofstream(drawing) << "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1032\n"
                              "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  5\n2A\n"
                              "330\nFFFFF\n100\nAcDbEntity\n  8\n0\n347\nSteel\n100\nAcDbLine\n"
                              " 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n0\n 31\n0\n  0\nENDSEC\n"
                              "  0\nEOF\n";
    const ToolRun text = run_korv_inventory({"audit", drawing});
    ASSERT_EQ(text.exit_code, 0) << text.err;
    EXPECT_EQ(text.out,
              "other.dxf: 2 repairs made reading it\n"
              "  line  handle  group  repair\n"
              "  19    2A      330    owner that is no block of the file replaced by its space\n"
              "  25    2A      347    reference that is no handle read as none\n");

    const ToolRun json = run_korv_inventory({"audit", "--json", drawing});
    ASSERT_EQ(json.exit_code, 0) << json.err;
    const Json repairs = Json::parse(json.out)["repairs"];
    ASSERT_EQ(repairs.size(), 2u);
    EXPECT_EQ(
        repairs[1].dump(),
        R"({"line":25,"handle":"2A","group":347,"what":"reference that is no handle read as none"})");

    const ToolRun report = run_korv_inventory({"report", drawing});
    EXPECT_EQ(report.exit_code, 0) << report.err;
    EXPECT_EQ(report.err,
              "korv-inventory: other.dxf needed 2 repairs to read (korv-inventory "
              "audit lists them)\n");

    const ToolRun sample = run_line("audit $S");
    EXPECT_EQ(sample.out, "building.dxf: read without repairs\n");
    EXPECT_EQ(run_line("report $S").err, "");
    EXPECT_EQ(run_line("audit").exit_code, 2);
}
