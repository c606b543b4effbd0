// The database utilities through `korv-inventory query`: a drawing another program holds is
// read through a copy the program reports and leaves behind, a system variable is read,
// and a redraw shows as the host call it makes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <host_test/file_locks.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <optional>

#include "tool_runner.h"

using Json = nlohmann::ordered_json;
using ::testing::HasSubstr;

TEST(DatabaseUtilitiesQuery, AHeldDrawingIsReadThroughACopyLeftForTheCaller) {
    TemporaryFolder folder;
    const std::filesystem::path held = folder.path() / "held.dxf";
    const std::filesystem::path temporary = folder.path() / "tmp";
    std::filesystem::copy_file(sample_drawing(), held);
    std::filesystem::create_directory(temporary);
    auto hold = host_test::hold_exclusive_lock(held.wstring());

    // TMPDIR names the temporary folder the host answers.
    std::optional<std::string> before;
    if (const char* value = std::getenv("TMPDIR")) before = value;
    setenv("TMPDIR", temporary.c_str(), 1);
    const ToolRun run = run_line(
        "query --json $S KORVloadDwgReadOnly " + held.string() +
        " + KORVloadDwgReadOnly $S + KORVget_string_var DWGNAME + KORVget_string_var LUNITS"
        " + KORVupdate_entity 8 + KORVupdate_entity 0");
    before ? setenv("TMPDIR", before->c_str(), 1) : unsetenv("TMPDIR");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Json calls = Json::parse(run.out)["calls"];
    ASSERT_EQ(calls.size(), 6u);

    EXPECT_EQ(calls[0]["arguments"].dump(),
              R"({"database":"new","path":")" + held.string() + "\"}");
    EXPECT_EQ(calls[0]["returned"], true);
    EXPECT_EQ(calls[0]["outputs"]["used_copy"], true);
    const std::filesystem::path copy = calls[0]["outputs"]["copy_name"].get<std::string>();
    EXPECT_EQ(copy.parent_path(), temporary);
    EXPECT_THAT(copy.filename().string(), ::testing::MatchesRegex("dwg[0-9A-F]+\\.TMP"));
    EXPECT_EQ(read_file(copy), read_file(held));  // still there: the caller's to remove
    EXPECT_EQ(calls[1]["outputs"].dump(), R"({"used_copy":false,"copy_name":""})");
    EXPECT_EQ(calls[1]["returned"], true);
    EXPECT_EQ(calls[2]["outputs"]["value"], "building.dxf");
    EXPECT_EQ(calls[3]["returned"], true);  // a number: answered, no text
    EXPECT_EQ(calls[3]["outputs"]["value"], "");
    EXPECT_TRUE(calls[4]["returned"].is_null());
    EXPECT_EQ(calls[4]["host_calls"].dump(), R"(["acdbEntUpd 8"])");
    EXPECT_FALSE(calls[5].contains("host_calls"));
    for (const Json& call : calls) EXPECT_EQ(call["assertions"], Json::array());
}

TEST(DatabaseUtilitiesQuery, TextFormShowsTheOutputsAndTheHostCall) {
    const ToolRun run = run_line(
        "query $S KORVget_string_var NOSUCHVAR + KORVupdate_entity 8 + KORVloadDwgReadOnly "
        "/no/such/drawing.dxf");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("KORVget_string_var name=NOSUCHVAR\n  returned: false\n"
                                   "  value: -\n"));
    EXPECT_THAT(run.out, HasSubstr("KORVupdate_entity entity=8\n  host call: acdbEntUpd 8\n"));
    EXPECT_THAT(run.out, HasSubstr("  returned: false\n  used_copy: false\n  copy_name: -\n"));
}
