// `korv-inventory query --json` against the same call made in this process on the same
// file: the program's answer is the module's answer, record for record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <host_test/host_test.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>

#include "KORVInventory.h"
#include "drawing_dump.h"
#include "host_fixture.h"
#include "tool_runner.h"

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;
using Json = nlohmann::ordered_json;
using Records = std::list<KORVid_and_filename>;

namespace {

using drawing_dump::handle;
using drawing_dump::narrow;

std::string name_of(AcDbObjectId id) {
    AcDbObjectPointer<KORVLinear_structural_member> member(id, AcDb::kForRead);
    return member.openStatus() == Acad::eOk ? narrow(member->get_full_member_name(false)) : "-";
}

std::string or_dash(const std::string& text) {
    return text.empty() ? "-" : text;
}

// "C101 7 CORE 37 [7]": name, handle, file name, reference handle, handle text.
std::string canonical(const Records& records) {
    std::string text;
    for (const KORVid_and_filename& record : records)
        text += name_of(record.id) + " " + handle(record.id) + " " +
                or_dash(narrow(record.file_name)) + " " +
                (record.reference_id.isNull() ? "-" : handle(record.reference_id)) + " [" +
                narrow(record.handle_text) + "]\n";
    return text;
}

std::string canonical(const Json& records) {
    std::string text;
    for (const Json& record : records) {
        auto field = [&](const char* key) {
            return record[key].is_null() ? "-" : or_dash(record[key].get<std::string>());
        };
        text += (record["name"].is_null() ? "-" : record["name"].get<std::string>()) + " " +
                field("handle") + " " + field("file_name") + " " + field("reference") + " [" +
                record.value("handle_text", "") + "]\n";
    }
    return text;
}

// The records a call's JSON reports: its result list, or its single answer when it has one.
Json answered_records(const Json& call) {
    const Json& outputs = call["outputs"];
    if (outputs.contains("result")) return outputs["result"];
    if (outputs.contains("out") && !outputs["out"]["id"].is_null())
        return Json::array({outputs["out"]});
    return Json::array();
}

bool one(bool found, const KORVid_and_filename& out, Records& records) {
    if (found) records.push_back(out);
    return found;
}

struct QueryCase {
    std::string label;
    std::string call;
    // The same call in process: what it returned, and its records.
    std::function<bool(AcDbDatabase*, const std::wstring&, Records&)> direct;
};

std::vector<QueryCase> query_cases() {
    return {
        {"ColumnsBetweenElevations", "KORVfind_columns_between_elevs true 4 true 8",
         [](AcDbDatabase*, const std::wstring&, Records& r) {
             return KORVfind_columns_between_elevs(true, 4, true, 8, r);
         }},
        {"EveryMemberSeenFromTheSide",
         "KORVfind_members_in_rectangle true true true -1e3,0,-1e3 1e3,0,1e3 0,1,0 false false 0 0",
         [](AcDbDatabase* db, const std::wstring& name, Records& r) {
             return KORVfind_members_in_rectangle(true, true, true, {-1e3, 0, -1e3}, {1e3, 0, 1e3},
                                                  {0, 1, 0}, false, false, 0, 0, db, name, r);
         }},
        {"UnderlyingColumn", "KORVfind_underlying_column 6,0,4 0",
         [](AcDbDatabase*, const std::wstring&, Records& r) {
             KORVid_and_filename out;
             return one(KORVfind_underlying_column({6, 0, 4}, AcDbObjectId::kNull, out), out, r);
         }},
        {"ImportedWallByItsDecoratedName",
         "KORVget_imported_wall 3F2504E0-4F89-11D3-9A0C-0305E82C3301",
         [](AcDbDatabase*, const std::wstring&, Records& r) {
             const GUID guid = {
                 0x3F2504E0, 0x4F89, 0x11D3, {0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01}};
             KORVid_and_filename out;
             return one(KORVget_imported_wall(guid, out), out, r);
         }},
    };
}

// The sample opened in this process as the program opens it: same file, same name.
class InProcessSample : public HostTest, public ::testing::WithParamInterface<QueryCase> {
protected:
    void SetUp() override {
        HostTest::SetUp();
        name_ = std::filesystem::absolute(sample_drawing()).lexically_normal().wstring();
        auto database = std::make_unique<AcDbDatabase>(false, true);
        ASSERT_EQ(database->readDwgFile(name_.c_str()), Acad::eOk);
        document_ = host_test::add_document(std::move(database), name_);
        host_test::set_current_document(document_);
        host_test::set_working_database(document_->database());
    }
    void TearDown() override {
        if (document_ != nullptr) KORVinventory_document_to_be_destroyed(document_);
        HostTest::TearDown();
    }

    std::wstring name_;
    AcApDocument* document_ = nullptr;
};

}  // namespace

TEST_P(InProcessSample, JsonAnswerIsTheModulesAnswer) {
    const QueryCase& query = GetParam();
    const ToolRun run = run_line("query --json $S " + query.call);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Json call = Json::parse(run.out)["calls"][0];
    EXPECT_EQ(call["function"], words(query.call)[0]);
    EXPECT_EQ(call["assertions"], Json::array());

    Records direct;
    EXPECT_EQ(call["returned"], query.direct(document_->database(), name_, direct));
    EXPECT_FALSE(direct.empty());
    EXPECT_EQ(canonical(answered_records(call)), canonical(direct));
}

INSTANTIATE_TEST_SUITE_P(Sample, InProcessSample, ::testing::ValuesIn(query_cases()),
                         [](const auto& test) { return test.param.label; });

TEST(QuerySequence, CallsSeparatedByPlusRunInOrderOnOneDrawingWithChecksReported) {
    const ToolRun run = run_line(
        "query --json $S KORVdelete_column 8 true + find_underlying_column 6,0,4 0 + "
        "KORVdelete_column 8 false + KORVfind_underlying_column 6,0,4 0 + KORVget_new_brace_name");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Json calls = Json::parse(run.out)["calls"];
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0]["arguments"].dump(), R"({"member":"8","erasing":"true"})");
    EXPECT_EQ(calls[1]["returned"], false);  // C2 (handle 8) is out of the inventory
    EXPECT_TRUE(calls[1]["outputs"]["out"]["id"].is_null());
    EXPECT_EQ(calls[3]["outputs"]["out"]["name"], "C2");  // and back
    EXPECT_EQ(calls[4]["returned"], "BR203");             // after the stair's BR202

    const Json checked = Json::parse(
        run_line("query --json --drawing-name OTHER $S KORVget_columns_with_filenames 5 + "
                 "KORVfind_walls_in_rectangle -1,-1,0 1,1,0 true 0,0,1 false 0 -100")
            .out)["calls"];
    EXPECT_EQ(checked[0]["returned"], true);  // a kind it does not know is only reported
    EXPECT_EQ(checked[0]["assertions"].dump(), R"(["false@member_inventory"])");
    EXPECT_EQ(checked[0]["outputs"]["result"], Json::array());
    EXPECT_EQ(checked[1]["arguments"]["drawing_name"], "OTHER");
    EXPECT_EQ(checked[1]["outputs"]["result"][0]["name"], "W1");
    EXPECT_FALSE(checked[1].contains("left_open"));
}

TEST(QuerySequence, ReachesThePlanRepIndexConcreteBeamsAndBeamlines) {
    const ToolRun run = run_line(
        "query $S KORVget_concrete_lateral_beam_plan_rep_id 1A + "
        "KORVget_concrete_beams_with_filenames false + KORVget_concrete_beamlines_ids + "
        "KORVfind_marked_concrete_beamlines_in_database 3.99:4.01,7.99:8.01 true");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    // B2 (handle 1A) has its plan rep; B1 and B2 share CB1's concrete data, B1 comes first.
    EXPECT_THAT(run.out, HasSubstr("member_handle=1A\n  returned: 55\n"));
    EXPECT_THAT(run.out,
                ContainsRegex("result: 1\n +NAME +ID +FILE_NAME +REFERENCE_ID\n +B1 +19 "));
    EXPECT_THAT(run.out,
                ContainsRegex("own_ids: 2\n +NAME +ID\n +- +54\n +- +53\n  xref_ids: 0\n"));
    EXPECT_THAT(run.out,
                ContainsRegex("flag=true\n  returned: true\n  marks: 1\n +CB1\n  ids: 1\n"));
    EXPECT_THAT(run.out, Not(HasSubstr("message")));
    EXPECT_EQ(
        run_line("query $S KORVfind_marked_concrete_beamlines_in_database 4:x true").exit_code, 5);
}

// A diagram placed after the sample sheet's four, its point written back, then listed as
// the last tie pattern reference: the next one follows it.
TEST(QuerySequence, ARebarDiagramIsPlacedAndItsInsertPointReported) {
    const std::string draw = "KORVdraw_rebar_block 2.5 0,20,0 true CT9 1 4 2 false 3 4 54 0 0.15";
    const ToolRun run = run_line("query --json $S " + draw + " + " + draw +
                                 " + KORVget_concrete_column_schedule_ids");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Json calls = Json::parse(run.out)["calls"];
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_NE(calls[0]["returned"], "0");  // the new reference
    const std::string first = calls[0]["outputs"]["insert_point"];
    const std::string second = calls[1]["outputs"]["insert_point"];
    EXPECT_EQ(first.substr(first.find(',')), second.substr(second.find(',')));  // one row
    EXPECT_LT(std::stod(first), std::stod(second));
    EXPECT_EQ(calls[2]["outputs"]["ids"][0]["id"], "71");
    EXPECT_EQ(calls[0]["assertions"], Json::array());
}
