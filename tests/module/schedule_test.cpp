// Schedule ids: every kind listed from paper space in its order, a concrete schedule only
// with its data object there, and each failure with its result and exact report.
#include <functional>

#include "dxf_files.h"
#include "ezdxf_runner.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

using Schedule_ids = bool (*)(std::list<AcDbObjectId>&);

// "CS1 CCS1": the titles of the schedules, "?" for an id that is no schedule.
std::string titles(const std::list<AcDbObjectId>& ids) {
    std::string text;
    for (const AcDbObjectId& id : ids) {
        AcDbObjectPointer<KORVSchedule> schedule(id, AcDb::kForRead);
        const std::wstring title = schedule.openStatus() == Acad::eOk ? schedule->title() : L"?";
        text += (text.empty() ? "" : " ") + std::string(title.begin(), title.end());
    }
    return text;
}

class ScheduleTest : public ModuleTest {
protected:
    // Paper space, in order: column schedule CS1, concrete column schedule CCS1, a line,
    // concrete beam schedule CBS1, CCS2 whose data was erased, CCS3 pointing at beam data,
    // column schedule CS2. Model space holds a column schedule that is never listed.
    void SetUp() override {
        ModuleTest::SetUp();
        DrawingBuilder drawing(open_document(L"C:/proj/sheets.dwg")->database());
        paper_space_ = drawing.paper_space();
        drawing.add(new KORVColumn_schedule());
        host_test::add_column_schedule(drawing, {0, 0, 0}, L"CS1");
        ccs1_ = host_test::add_concrete_column_schedule(drawing, {0, 10, 0}, L"CCS1", {L"A"});
        drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), L"",
                    drawing.paper_space());
        const AcDbObjectId cbs1 =
            host_test::add_concrete_beam_schedule(drawing, {0, 20, 0}, L"CBS1", {L"B1"});
        const AcDbObjectId ccs2 =
            host_test::add_concrete_column_schedule(drawing, {0, 30, 0}, L"CCS2", {L"B"});
        drawing.erase(host_test::schedule_data_of(ccs2));
        const AcDbObjectId ccs3 =
            host_test::add_concrete_column_schedule(drawing, {0, 40, 0}, L"CCS3", {});
        {
            AcDbObjectPointer<KORVSchedule> schedule(ccs3, AcDb::kForWrite);
            schedule->set_data_id(host_test::schedule_data_of(cbs1));
        }
        host_test::add_column_schedule(drawing, {0, 50, 0}, L"CS2");
        host_test::clear_assertion_reports();
    }

    AcDbObjectId paper_space_;
    AcDbObjectId ccs1_;
};

struct KindRow {
    const char* name;
    Schedule_ids function;
    const char* listed;
};

const KindRow kKinds[] = {
    {"column", KORVget_column_schedule_ids, "CS1 CS2"},
    {"concrete column", KORVget_concrete_column_schedule_ids, "CCS1"},
    {"concrete beam", KORVget_concrete_beam_schedule_ids, "CBS1"},
};

TEST_F(ScheduleTest, ListsEachKindInPaperSpaceOrderAppendingOnEveryCall) {
    for (const KindRow& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        std::list<AcDbObjectId> ids;
        ASSERT_TRUE(kind.function(ids));
        EXPECT_EQ(titles(ids), kind.listed);
        ASSERT_TRUE(kind.function(ids));
        EXPECT_EQ(titles(ids), std::string(kind.listed) + " " + kind.listed);
        EXPECT_EQ(host_test::assertion_summary(), "");
        expect_host_clean();
    }
}

TEST_F(ScheduleTest, AnEmptyPaperSpaceGivesTrueAndLeavesTheListAlone) {
    open_document(L"C:/proj/empty.dwg");
    for (const KindRow& kind : kKinds) {
        std::list<AcDbObjectId> ids = {ccs1_};
        EXPECT_TRUE(kind.function(ids)) << kind.name;
        EXPECT_EQ(ids.size(), 1u) << kind.name;
    }
}

struct FaultRow {
    const char* name;
    std::function<void()> arm;
    bool returned;
    // The concrete column schedules listed after the fault ("-": the list untouched).
    const char* listed;
    const char* assertions;
};

TEST_F(ScheduleTest, EachFailureGivesItsResultAndReport) {
    const FaultRow rows[] = {
        {"PaperSpaceDoesNotOpen",
         [this] { host_test::fail_open_of(paper_space_, Acad::eWasOpenForWrite); }, false, "-",
         "pBTR@column_schedule_inventory"},
        {"NoBlockTable", [] { host_test::fail_next(HostOp::GetBlockTable, Acad::eFileAccessErr); },
         false, "-", "pBTR@column_schedule_inventory"},
        {"IteratorFails",
         [] { host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory); }, false, "-",
         ""},
        {"LibraryThrowsForOneSchedule",
         [this] { host_test::throw_in_library("get_schedule_data", 1, ccs1_); }, true, "",
         "false@column_schedule_inventory"},
        {"DataDoesNotOpen",
         [this] {
             host_test::fail_open_of(host_test::schedule_data_of(ccs1_), Acad::eWasOpenForWrite);
         },
         true, "", ""},
    };
    for (const FaultRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::list<AcDbObjectId> ids;
        row.arm();
        EXPECT_EQ(KORVget_concrete_column_schedule_ids(ids), row.returned);
        EXPECT_EQ(std::string(row.listed) == "-" ? (ids.empty() ? "-" : "changed") : titles(ids),
                  row.listed);
        EXPECT_EQ(host_test::assertion_summary(), row.assertions);
        host_test::clear_assertion_reports();
        host_test::clear_faults();
        expect_host_clean();
    }
}

}  // namespace

namespace {

// Schedules and their data go through a drawing file as they are, and a third-party reader
// accepts the file.
TEST_F(ScheduleTest, SchedulesAndTheirDataSurviveASave) {
    dxf_files::ScratchFolder folder;
    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    ASSERT_EQ(database->saveAs(folder.wpath("sheets.dxf").c_str()), Acad::eOk);
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDwgFile(folder.wpath("sheets.dxf").c_str()), Acad::eOk);
    host_test::set_working_database(&back);
    for (const KindRow& kind : kKinds) {
        std::list<AcDbObjectId> ids;
        EXPECT_TRUE(kind.function(ids));
        EXPECT_EQ(titles(ids), kind.listed) << kind.name;
    }
    std::list<AcDbObjectId> ids;
    KORVget_concrete_column_schedule_ids(ids);
    AcDbObjectPointer<KORVSchedule_data> data(host_test::schedule_data_of(ids.front()),
                                              AcDb::kForRead);
    ASSERT_EQ(data.openStatus(), Acad::eOk);
    EXPECT_EQ(data->rows(), std::vector<std::wstring>{L"A"});
    host_test::set_working_database(database);
    if (ezdxf_runner::available()) {
        EXPECT_EQ(ezdxf_runner::audit({folder.path("sheets.dxf")}),
                  "sheets.dxf errors=0 fixes=0\n");
    }
}

}  // namespace
