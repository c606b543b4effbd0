// The grid lists of the current document: read once from the working database's model space
// on first need, extended only by the add calls, handed out as copies, kept whatever the
// first scan found, and dropped with their document only.
#include <functional>

#include "grid_lists.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

// The grid's name, or the member's for another object ("?" when neither opens).
std::string label(AcDbObjectId id) {
    AcDbEntityPointer entity(id, AcDb::kForRead);
    std::wstring name;
    if (entity.openStatus() != Acad::eOk) return "?";
    if (auto* callout = KORVRectangular_grid_callout::cast(entity.object())) {
        name = callout->get_name();
    } else if (auto* elevation = KORVElevation2_0::cast(entity.object())) {
        name = elevation->get_name();
    } else if (auto* member = KORVLinear_structural_member::cast(entity.object())) {
        name = member->get_full_member_name(false);
    }
    return std::string(name.begin(), name.end());
}

std::string labels(const std::list<AcDbObjectId>& ids) {
    std::string text;
    for (AcDbObjectId id : ids) text += (text.empty() ? "" : " ") + label(id);
    return text;
}

using Getter = bool (*)(std::list<AcDbObjectId>&);

}  // namespace

class GridListTest : public ModuleTest {
protected:
    // The list the getter gives, "(false)" when it fails; a list passed in is replaced.
    static std::string list_of(Getter getter) {
        std::list<AcDbObjectId> ids = {AcDbObjectId()};
        const bool found = getter(ids);
        expect_host_clean();
        if (!found) {
            EXPECT_EQ(ids.size(), 1u) << "untouched on failure";
            return "(false)";
        }
        return labels(ids);
    }

    // Model space: callouts P1 and P2 around an elevation grid E1 and a column C1; a callout
    // in a block definition and one in a reference, which are not model space's.
    struct GridDrawing {
        AcDbDatabase* db;
        AcDbObjectId p1, c1;
    };
    GridDrawing open_grid_drawing(const std::wstring& file_name) {
        GridDrawing drawing;
        drawing.db = open_document(file_name)->database();
        DrawingBuilder builder(drawing.db);
        drawing.p1 = host_test::add_grid_callout(builder, L"P1", {0, 0, 0}, {12, 8, 0});
        host_test::add_elevation_grid(builder, L"E1", {0, 0, 0}, {12, 0, 0});
        drawing.c1 = host_test::add_column(builder, L"C1", {0, 0, 0}, 3);
        host_test::add_grid_callout(builder, L"P2", {20, 0, 0}, {30, 8, 0});
        const AcDbObjectId block = builder.define_block(L"Block");
        builder.add(new KORVRectangular_grid_callout(L"InBlock", {}, {1, 1, 0}), L"", block);
        auto referenced = host_test::new_drawing();
        DrawingBuilder referenced_builder(referenced.get());
        host_test::add_grid_callout(referenced_builder, L"InReference", {}, {1, 1, 0});
        builder.insert(builder.attach_xref(L"REF", L"ref.dwg", std::move(referenced)));
        return drawing;
    }
};

TEST_F(GridListTest, ReadOnceFromModelSpaceThenExtendedOnlyByTheAddCalls) {
    GridDrawing drawing = open_grid_drawing(L"C:/proj/grids.dwg");
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "P1 P2");
    EXPECT_EQ(list_of(KORVget_radial_plan_grid_list), "");
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");

    // Grids drawn later are not seen; the add calls append whatever they are given.
    DrawingBuilder builder(drawing.db);
    const AcDbObjectId p3 = host_test::add_grid_callout(builder, L"P3", {}, {1, 1, 0});
    host_test::add_elevation_grid(builder, L"E2", {}, {1, 0, 0});
    KORVadd_plan_grid(drawing.p1);
    KORVadd_plan_grid(drawing.c1);
    KORVadd_radial_plan_grid(p3);
    KORVadd_radial_plan_grid(p3);
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "P1 P2 P1 C1");
    EXPECT_EQ(list_of(KORVget_radial_plan_grid_list), "P3 P3");
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");

    // Erased grids stay listed; the lists handed out are copies.
    builder.erase(drawing.p1);
    std::list<AcDbObjectId> ids;
    ASSERT_TRUE(KORVget_plan_grid_list(ids));
    ids.clear();
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "? P2 ? C1");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// The add calls find the record the getters would: made and scanned on first use.
TEST_F(GridListTest, AnAddBeforeAnyGetterScansFirst) {
    GridDrawing drawing = open_grid_drawing(L"C:/proj/grids.dwg");
    KORVadd_radial_plan_grid(drawing.p1);
    KORVadd_plan_grid(drawing.c1);
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "P1 P2 C1");
    EXPECT_EQ(list_of(KORVget_radial_plan_grid_list), "P1");
}

// The scan reads the working database; the record is the current document's.
TEST_F(GridListTest, WithoutACurrentDocumentNothingIsKeptAndTheScanReadsTheWorkingDatabase) {
    GridDrawing drawing = open_grid_drawing(L"C:/proj/grids.dwg");
    AcApDocument* document = acDocManagerPtr()->curDocument();
    host_test::set_current_document(nullptr);
    const long before = host_test::host_operation_count();
    for (Getter getter :
         {KORVget_plan_grid_list, KORVget_radial_plan_grid_list, KORVget_elevation_grid_list}) {
        EXPECT_EQ(list_of(getter), "(false)");
    }
    KORVadd_plan_grid(drawing.c1);
    KORVadd_radial_plan_grid(drawing.c1);
    EXPECT_EQ(host_test::host_operation_count(), before);

    auto other = host_test::new_drawing();
    DrawingBuilder other_builder(other.get());
    host_test::add_grid_callout(other_builder, L"Other", {}, {1, 1, 0});
    host_test::set_current_document(document);
    host_test::set_working_database(other.get());
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "Other");
    EXPECT_EQ(list_of(KORVget_radial_plan_grid_list), "");
    host_test::set_working_database(drawing.db);
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "Other");
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");
}

TEST_F(GridListTest, DroppingADocumentDropsOnlyItsLists) {
    GridDrawing first = open_grid_drawing(L"C:/proj/first.dwg");
    AcApDocument* first_document = acDocManagerPtr()->curDocument();
    KORVadd_radial_plan_grid(first.p1);
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");
    GridDrawing second = open_grid_drawing(L"C:/proj/second.dwg");
    KORVadd_plan_grid(second.c1);
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");

    DrawingBuilder(first.db).erase(first.p1);
    DrawingBuilder(second.db).erase(second.p1);
    KORVinventory_document_to_be_destroyed(first_document);
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "? P2 C1");
    host_test::set_current_document(first_document);
    host_test::set_working_database(first.db);
    EXPECT_EQ(list_of(KORVget_plan_grid_list), "P2");
    EXPECT_EQ(list_of(KORVget_radial_plan_grid_list), "");
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");
}

namespace {

struct ScanFaultRow {
    const char* name;
    std::function<void(AcDbDatabase*, AcDbObjectId p1)> arm;
    const char* assertions;
    const char* plan_grids;  // the first scan's, kept from then on
};

const ScanFaultRow kScanFaultRows[] = {
    {"BlockTableDoesNotOpen",
     [](AcDbDatabase*, AcDbObjectId) {
         host_test::fail_next(HostOp::GetBlockTable, Acad::eFileAccessErr);
     },
     "es == Acad::eOk@database_inv", ""},
    {"ModelSpaceDoesNotOpen",
     [](AcDbDatabase* db, AcDbObjectId) {
         host_test::fail_open_of(DrawingBuilder(db).model_space(), Acad::eWasOpenForWrite);
     },
     "", ""},
    {"ModelSpaceIteratorFails",
     [](AcDbDatabase*, AcDbObjectId) {
         host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory);
     },
     "", ""},
    {"GridDoesNotOpen",
     [](AcDbDatabase*, AcDbObjectId p1) { host_test::fail_open_of(p1, Acad::eWasOpenForWrite); },
     "", "P2"},
    {"NoWorkingDatabase",
     [](AcDbDatabase*, AcDbObjectId) { host_test::set_working_database(nullptr); }, "", ""},
};

}  // namespace

class GridScanFaultTest : public GridListTest,
                          public ::testing::WithParamInterface<ScanFaultRow> {};

// Whatever the first scan found is kept: later calls neither scan again nor fail.
TEST_P(GridScanFaultTest, TheFirstScanIsKeptWhateverItFound) {
    const ScanFaultRow& row = GetParam();
    GridDrawing drawing = open_grid_drawing(L"C:/proj/grids.dwg");
    host_test::clear_faults();
    row.arm(drawing.db, drawing.p1);
    EXPECT_EQ(list_of(KORVget_plan_grid_list), row.plan_grids);
    EXPECT_EQ(host_test::armed_fault_count(), 0) << "the fault was never reached";
    EXPECT_EQ(host_test::assertion_summary(), row.assertions);

    host_test::set_working_database(drawing.db);
    const long before = host_test::host_operation_count();
    std::list<AcDbObjectId> ids;
    EXPECT_TRUE(KORVget_plan_grid_list(ids));
    KORVadd_plan_grid(drawing.c1);
    EXPECT_EQ(host_test::host_operation_count(), before) << "scanned again";
    EXPECT_EQ(labels(ids), row.plan_grids);
    EXPECT_EQ(list_of(KORVget_elevation_grid_list), "E1");  // its own first scan
}

INSTANTIATE_TEST_SUITE_P(EveryFailureRow, GridScanFaultTest, ::testing::ValuesIn(kScanFaultRows),
                         [](const ::testing::TestParamInfo<ScanFaultRow>& row) {
                             return std::string(row.param.name);
                         });
