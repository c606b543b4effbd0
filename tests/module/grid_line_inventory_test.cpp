// Grid line inventories: the split into linear and radial lines, system names and lines by
// system, the build's success rule over external references, the registry and the rebuild,
// the drop with the document, and the build and queries under failure.
#include <functional>
#include <set>

#include "grid_line_inventory.h"
#include "inventory_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

// The host drawing's model space holds, in this order: circle C1 of "Ring", master 1 of
// "B", radial R1 of "A" (a radial line is also a master line: only the order of the kind
// tests makes it radial), trimmed master 2 of "A", master 3 of "a", master 4 of "A ", the
// column C12, radial R2 of "Ring", and an insert of the plain block BAY holding master 9 of
// "B". The resolved reference CORE, inserted twice, holds master X of "B" and circle K of
// "A".
struct GridBuilding {
    AcApDocument* document = nullptr;
    AcDbDatabase* database = nullptr;
    AcDbObjectId model_space;
    AcDbObjectId c1, one, r1, c12;
    AcDbDatabase* core = nullptr;
    AcDbObjectId core_record;
};

using Names = std::list<std::wstring>;
using Ids = std::list<AcDbObjectId>;

// "A|A |B": the names joined by "|".
std::string joined(const Names& names) {
    std::string text;
    for (const std::wstring& name : names) {
        if (!text.empty()) text += '|';
        text += std::string(name.begin(), name.end());
    }
    return text;
}

// "1 2 X": each line's label, "C12" for the column, "?" for what does not open.
std::string labels(const Ids& ids) {
    std::string text;
    for (const AcDbObjectId& id : ids) {
        if (!text.empty()) text += ' ';
        AcDbObjectPointer<AcDbEntity> entity(id, AcDb::kForRead);
        if (entity.openStatus() != Acad::eOk) {
            text += "?";
        } else if (auto* line = dynamic_cast<KORVGrid_line_parent*>(entity.object())) {
            text += std::string(line->label().begin(), line->label().end());
        } else if (auto* member = KORVLinear_structural_member::cast(entity.object())) {
            const std::wstring name = member->get_full_member_name(false);
            text += std::string(name.begin(), name.end());
        }
    }
    return text;
}

}  // namespace

class GridLineTest : public InventoryTest {
protected:
    GridBuilding open_grid_building(const std::wstring& file_name = L"C:/proj/grids.dwg") {
        GridBuilding b;
        b.document = open_document(file_name);
        b.database = b.document->database();
        DrawingBuilder main(b.database);
        b.model_space = main.model_space();
        b.c1 = host_test::add_circle_grid_line(main, L"Ring", L"C1", {0, 0, 0}, 5);
        b.one = host_test::add_master_grid_line(main, L"B", L"1", {0, 0, 0}, {0, 9, 0});
        b.r1 = host_test::add_radial_grid_line(main, L"A", L"R1", {0, 0, 0}, {1, 0, 0}, {5, 0, 0});
        host_test::add_trimmed_master_grid_line(main, L"A", L"2", {3, 0, 0}, {3, 9, 0}, 1, 8);
        host_test::add_master_grid_line(main, L"a", L"3", {6, 0, 0}, {6, 9, 0});
        host_test::add_master_grid_line(main, L"A ", L"4", {9, 0, 0}, {9, 9, 0});
        b.c12 = host_test::add_column(main, L"C12", {0, 0, 0}, 3);
        host_test::add_radial_grid_line(main, L"Ring", L"R2", {0, 0, 0}, {0, 1, 0}, {0, 5, 0});
        const AcDbObjectId bay = main.define_block(L"BAY");
        host_test::add_master_grid_line(main, L"B", L"9", {0, 0, 0}, {1, 0, 0}, bay);
        main.insert(bay);
        auto core = host_test::new_drawing();
        b.core = core.get();
        DrawingBuilder core_builder(core.get());
        host_test::add_master_grid_line(core_builder, L"B", L"X", {0, 0, 0}, {9, 0, 0});
        host_test::add_circle_grid_line(core_builder, L"A", L"K", {0, 0, 0}, 2);
        b.core_record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
        main.insert(b.core_record, {{10, 0, 0}});
        main.insert(b.core_record, {{20, 0, 0}, kQuarterTurn});
        return b;
    }

    // "A|B / Ring => 1 X / C1": the names of each kind, then the lines of each kind, of the
    // drawing (null db and empty name: the working drawing); "unavailable" when a query
    // answers false.
    static std::string grid_text(AcDbDatabase* db = nullptr, const std::wstring& name = L"") {
        Names linear_names, radial_names;
        Ids linear, radial;
        if (!KORVget_linear_grid_system_names(linear_names, db, name) ||
            !KORVget_radial_grid_system_names(radial_names, db, name) ||
            !KORVget_linear_grid_lines({}, db, name, linear) ||
            !KORVget_radial_grid_lines({}, db, name, radial)) {
            return "unavailable";
        }
        return joined(linear_names) + " / " + joined(radial_names) + " => " + labels(linear) +
               " / " + labels(radial);
    }

    static constexpr const char* kWhole = "A|A |B|a / A|Ring => 1 2 3 4 X / C1 R1 R2 K";
};

TEST_F(GridLineTest, SplitsByKindAndNamesEachKindsSystemsOnceInWideStringOrder) {
    GridBuilding b = open_grid_building();
    // The reference's block is scanned once although inserted twice; the plain block BAY
    // is not scanned at all.
    EXPECT_EQ(grid_text(), kWhole);
    EXPECT_EQ(grid_text(b.database, L"C:/proj/grids.dwg"), kWhole);

    // The linear run then the radial run: "A" comes twice. Names are cleared first.
    Names names = {L"stale"};
    EXPECT_TRUE(KORVget_grid_system_names(names, nullptr, L""));
    EXPECT_EQ(joined(names), "A|A |B|a|A|Ring");

    // Lines by system: exact names, inventory order, appended behind what ids holds.
    const struct {
        Names systems;
        const char* linear;
        const char* radial;
    } rows[] = {
        {{L"A"}, "C12 2", "C12 R1 K"}, {{L"B", L"Ring"}, "C12 1 X", "C12 C1 R2"},
        {{L""}, "C12", "C12"},         {{L"a", L"A "}, "C12 3 4", "C12"},
        {{L"none"}, "C12", "C12"},
    };
    for (const auto& row : rows) {
        Ids linear = {b.c12}, radial = {b.c12};
        EXPECT_TRUE(KORVget_linear_grid_lines(row.systems, nullptr, L"", linear));
        EXPECT_TRUE(KORVget_radial_grid_lines(row.systems, nullptr, L"", radial));
        EXPECT_EQ(labels(linear), row.linear) << joined(row.systems);
        EXPECT_EQ(labels(radial), row.radial) << joined(row.systems);
    }
    Ids twice;
    KORVget_radial_grid_lines({L"A"}, b.database, L"", twice);
    KORVget_radial_grid_lines({L"A"}, b.database, L"", twice);
    EXPECT_EQ(labels(twice), "R1 K R1 K");

    // Names are read from the lines on every call; erased lines drop out silently.
    {
        AcDbObjectPointer<KORVMaster_grid_line> one(b.one, AcDb::kForWrite);
        ASSERT_EQ(one.openStatus(), Acad::eOk);
        one->set_grid_system_name(L"Z");
    }
    DrawingBuilder(b.database).erase(b.r1);
    EXPECT_EQ(grid_text(), "A|A |B|Z|a / A|Ring => 1 2 3 4 X / C1 R2 K");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// The build succeeds when every reference is resolved, or when some resolved one holds a
// grid line; model space's own lines never make up for a reference that is not resolved.
TEST_F(GridLineTest, BuildsOnlyWhenEveryReferenceResolvesOrAResolvedOneHoldsGridLines) {
    enum Content { kNothing, kGridLine, kColumn };
    const struct {
        const char* name;
        bool model_space_line;
        Content resolved;  // a resolved reference holding this, when not kNothing
        AcDb::XrefStatus other;
        const char* expected;
    } rows[] = {
        {"EmptyDrawing", false, kNothing, AcDb::kXrfResolved, " /  =>  / "},
        {"ResolvedWithoutLines", true, kColumn, AcDb::kXrfResolved, "M /  => m / "},
        {"UnresolvedWithModelSpaceLinesOnly", true, kColumn, AcDb::kXrfUnresolved, "unavailable"},
        {"UnloadedWithModelSpaceLinesOnly", true, kNothing, AcDb::kXrfUnloaded, "unavailable"},
        {"UnresolvedWithLinesInAResolvedOne", false, kGridLine, AcDb::kXrfFileNotFound,
         "R /  => r / "},
    };
    int number = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AcApDocument* document = open_document(L"C:/proj/d" + std::to_wstring(++number) + L".dwg");
        DrawingBuilder main(document->database());
        if (row.model_space_line) host_test::add_master_grid_line(main, L"M", L"m", {}, {1, 0, 0});
        if (row.resolved != kNothing) {
            auto referenced = host_test::new_drawing();
            DrawingBuilder inside(referenced.get());
            if (row.resolved == kGridLine) {
                host_test::add_master_grid_line(inside, L"R", L"r", {}, {1, 0, 0});
            } else {
                host_test::add_column(inside, L"C1", {}, 3);
            }
            main.insert(main.attach_xref(L"IN", L"C:/proj/in.dwg", std::move(referenced)));
        }
        if (row.other != AcDb::kXrfResolved) {
            const AcDbObjectId out =
                main.attach_xref(L"OUT", L"C:/proj/out.dwg", nullptr, row.other);
            // Content left in the record itself never counts: only the status tells.
            host_test::add_master_grid_line(main, L"O", L"o", {}, {1, 0, 0}, out);
            main.insert(out);
        }
        EXPECT_EQ(grid_text(), row.expected);
        // Nothing was stored: the next query scans again.
        if (std::string(row.expected) == "unavailable") {
            EXPECT_GT(host_operations_of([] { EXPECT_EQ(grid_text(), "unavailable"); }), 0);
            host_test::fail_open_of(main.model_space(), Acad::eWasOpenForWrite);
            EXPECT_EQ(grid_text(), "unavailable");
            EXPECT_EQ(host_test::armed_fault_count(), 0);
        }
        EXPECT_EQ(host_test::assertion_summary(), "");
    }
}

TEST_F(GridLineTest, KeepsOneInventoryPerDocumentAndNameAndRebuildsOnlyTheOwnNamedOne) {
    GridBuilding b = open_grid_building();
    Names names = {L"kept"};
    Ids ids = {b.c12};

    // A failed build stores nothing and answers false with the outputs untouched.
    host_test::fail_open_of(b.model_space, Acad::eWasOpenForWrite);
    EXPECT_FALSE(KORVget_grid_system_names(names, nullptr, L""));
    host_test::fail_open_of(b.model_space, Acad::eWasOpenForWrite);
    EXPECT_FALSE(KORVget_linear_grid_lines({}, nullptr, L"", ids));
    EXPECT_EQ(joined(names) + " " + labels(ids), "kept C12");
    EXPECT_EQ(grid_text(), kWhole);

    // Stored: no rescan (a model space open would fail), a drawn line unseen.
    DrawingBuilder main(b.database);
    host_test::add_master_grid_line(main, L"B", L"5", {12, 0, 0}, {12, 9, 0});
    host_test::fail_open_of(b.model_space, Acad::eWasOpenForWrite);
    EXPECT_EQ(grid_text(), kWhole);
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    host_test::clear_faults();

    // The same database under another name, and a database read aside from any document,
    // are inventories of their own; the aside one needs a name.
    EXPECT_EQ(grid_text(b.database, L"C:/proj/GRIDS.dwg"),
              "A|A |B|a / A|Ring => 1 2 3 4 5 X / C1 R1 R2 K");
    auto aside = host_test::new_drawing();
    DrawingBuilder aside_builder(aside.get());
    host_test::add_circle_grid_line(aside_builder, L"S", L"s", {}, 1);
    EXPECT_EQ(grid_text(aside.get()), "unavailable");
    EXPECT_EQ(grid_text(aside.get(), L"C:/proj/aside.dwg"), " / S =>  / s");
    host_test::add_master_grid_line(main, L"B", L"6", {}, {1, 0, 0});

    // The rebuild reaches the entry under the database's own name only, in place.
    Grid_line_inventory* own = get_grid_line_inventory(b.database, L"");
    KORVrebuild_grid_inventory(nullptr);
    EXPECT_EQ(get_grid_line_inventory(b.database, L""), own);
    EXPECT_EQ(grid_text(), "A|A |B|a / A|Ring => 1 2 3 4 5 6 X / C1 R1 R2 K");
    EXPECT_EQ(grid_text(b.database, L"C:/proj/GRIDS.dwg"),
              "A|A |B|a / A|Ring => 1 2 3 4 5 X / C1 R1 R2 K");

    // A failed rebuild keeps what it gathered: here model space, the references lost.
    host_test::fail_nth(HostOp::GetBlockTable, 2, Acad::eFileAccessErr);
    KORVrebuild_grid_inventory(b.database);
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    EXPECT_EQ(get_grid_line_inventory(b.database, L""), own);
    EXPECT_EQ(grid_text(), "A|A |B|a / A|Ring => 1 2 3 4 5 6 / C1 R1 R2");

    // A rebuild of a drawing not yet inventoried stores it only when its build succeeds;
    // the reference's own drawing goes under its file.
    host_test::fail_open_of(DrawingBuilder(b.core).model_space(), Acad::eWasOpenForWrite);
    KORVrebuild_grid_inventory(b.core);
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    KORVrebuild_grid_inventory(b.core);
    host_test::fail_open_of(DrawingBuilder(b.core).model_space(), Acad::eWasOpenForWrite);
    EXPECT_EQ(grid_text(b.core, L"C:/proj/core.dwg"), "B / A => X / K");
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    host_test::clear_faults();

    // Without a current document nothing is available and the rebuild does nothing; without
    // a working database a null db finds nothing.
    host_test::set_current_document(nullptr);
    EXPECT_EQ(grid_text(b.database), "unavailable");
    EXPECT_EQ(host_operations_of([&] { KORVrebuild_grid_inventory(b.database); }), 0);
    host_test::set_current_document(b.document);
    host_test::set_working_database(nullptr);
    EXPECT_EQ(grid_text(), "unavailable");
    EXPECT_EQ(grid_text(b.database), "A|A |B|a / A|Ring => 1 2 3 4 5 6 / C1 R1 R2");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(GridLineTest, DroppingADocumentEmptiesItsGridInventoriesOnly) {
    GridBuilding first = open_grid_building(L"C:/proj/first.dwg");
    EXPECT_EQ(grid_text(), kWhole);
    EXPECT_EQ(grid_text(first.core, L""), "B / A => X / K");
    Grid_line_inventory* first_core = get_grid_line_inventory(first.core, L"");
    open_grid_building(L"C:/proj/second.dwg");
    EXPECT_EQ(grid_text(), kWhole);
    Grid_line_inventory* second_own = get_grid_line_inventory(nullptr, L"");
    // The first document's inventory of the core is not the second's.
    EXPECT_NE(get_grid_line_inventory(first.core, L""), first_core);

    KORVinventory_document_to_be_destroyed(first.document);
    EXPECT_EQ(get_grid_line_inventory(nullptr, L""), second_own);
    host_test::set_current_document(first.document);
    host_test::set_working_database(first.database);
    // Gone: the next query builds again, and here fails to.
    host_test::fail_open_of(first.model_space, Acad::eWasOpenForWrite);
    EXPECT_EQ(grid_text(), "unavailable");
    EXPECT_EQ(host_test::armed_fault_count(), 0);
}

// ----- failures -------------------------------------------------------------------------------

namespace {

struct GridFaultRow {
    const char* name;
    std::function<void(const GridBuilding&)> arm;
    const char* result;  // grid_text of the first query
    const char* assertions;
};

const char* const kThrown = "false@grid_line_inventory";

const GridFaultRow kGridFaultRows[] = {
    {"ModelSpaceDoesNotOpen",
     [](const GridBuilding& b) { host_test::fail_open_of(b.model_space, Acad::eWasOpenForWrite); },
     "unavailable", ""},
    {"BlockTableDoesNotOpenForModelSpace",
     [](const GridBuilding&) {
         host_test::fail_nth(HostOp::GetBlockTable, 1, Acad::eFileAccessErr);
     },
     "unavailable", ""},
    {"ModelSpaceIteratorFails",
     [](const GridBuilding&) {
         host_test::fail_nth(HostOp::NewEntityIterator, 1, Acad::eOutOfMemory);
     },
     "unavailable", ""},
    {"BlockTableDoesNotOpenForTheReferences",
     [](const GridBuilding&) {
         host_test::fail_nth(HostOp::GetBlockTable, 2, Acad::eFileAccessErr);
     },
     "unavailable", ""},
    {"BlockTableIteratorFails",
     [](const GridBuilding&) {
         host_test::fail_nth(HostOp::NewTableIterator, 1, Acad::eOutOfMemory);
     },
     "unavailable", ""},
    {"EntityDoesNotOpen",
     [](const GridBuilding& b) { host_test::fail_open_of(b.r1, Acad::eWasOpenForWrite); },
     "A|A |B|a / A|Ring => 1 2 3 4 X / C1 R2 K", ""},
    {"ReferenceRecordDoesNotOpen",
     [](const GridBuilding& b) { host_test::fail_open_of(b.core_record, Acad::eWasOpenForWrite); },
     "A|A |B|a / A|Ring => 1 2 3 4 / C1 R1 R2", ""},
    // A reference whose block cannot be walked found nothing, but it is resolved.
    {"ReferenceBlockIteratorFails",
     [](const GridBuilding&) {
         host_test::fail_nth(HostOp::NewEntityIterator, 2, Acad::eOutOfMemory);
     },
     "A|A |B|a / A|Ring => 1 2 3 4 / C1 R1 R2", ""},
    // The kind tests of the second entity (master line 1) raise: it alone is passed over.
    {"KindTestThrowsForOneEntity",
     [](const GridBuilding&) { host_test::throw_in_library("KORVRadial_grid_line::desc", 2); },
     "A|A |B|a / A|Ring => 2 3 4 X / C1 R1 R2 K", kThrown},
    {"LinearKindTestThrowsInTheReference",
     [](const GridBuilding&) { host_test::throw_in_library("KORVMaster_grid_line::desc", 9); },
     "A|A |B|a / A|Ring => 1 2 3 4 / C1 R1 R2 K", kThrown},
    {"NoDrawingName",
     [](const GridBuilding& b) {
         host_test::fail_at(HostOp::GetFilename, b.database, Acad::eNotApplicable);
     },
     "A|A |B|a / A|Ring => 1 2 3 4 X / C1 R1 R2 K", "pDrawingName@grid_line_inventory"},
};

}  // namespace

class GridFaultTest : public GridLineTest, public ::testing::WithParamInterface<GridFaultRow> {};

TEST_P(GridFaultTest, GivesItsResultAndReportsExactlyItsChecks) {
    const GridFaultRow& row = GetParam();
    GridBuilding b = open_grid_building();
    host_test::clear_faults();
    row.arm(b);
    EXPECT_EQ(grid_text(), row.result);
    EXPECT_EQ(host_test::armed_fault_count(), 0) << "the fault was never reached";
    EXPECT_EQ(host_test::assertion_summary(), row.assertions);
    expect_host_clean();
}

INSTANTIATE_TEST_SUITE_P(EveryFailureRow, GridFaultTest, ::testing::ValuesIn(kGridFaultRows),
                         [](const ::testing::TestParamInfo<GridFaultRow>& row) {
                             return std::string(row.param.name);
                         });

// An id that opens as something other than a grid line is reported and passed over by both
// queries; the exported calls never report anything else.
TEST_F(GridLineTest, AnInventoriedIdThatIsNoGridLineIsReportedAndPassedOver) {
    GridBuilding b = open_grid_building();
    Grid_line_inventory* inventory = get_grid_line_inventory(nullptr, L"");
    ASSERT_NE(inventory, nullptr);
    inventory->linear_lines().push_front(b.c12);
    Names names;
    Ids ids;
    EXPECT_TRUE(KORVget_linear_grid_system_names(names, nullptr, L""));
    EXPECT_TRUE(KORVget_linear_grid_lines({}, nullptr, L"", ids));
    EXPECT_EQ(joined(names) + " => " + labels(ids), "A|A |B|a => 1 2 3 4 X");
    EXPECT_EQ(host_test::assertion_summary(), "mgl@grid_line_inventory mgl@grid_line_inventory");
}

// Every host failure in a first query ends in the whole answer or in false with nothing
// stored, so that the query after it gives the whole answer.
TEST_F(GridLineTest, EveryHostFailureInAFirstQueryEndsInAnAnswerOrARetry) {
    static const std::set<std::string> known = {"false@grid_line_inventory",
                                                "pDrawingName@grid_line_inventory"};
    int unavailable = 0, partial = 0;
    for (long n = 0; n < 5000; ++n) {
        SCOPED_TRACE("host operations allowed: " + std::to_string(n));
        open_grid_building(L"C:/proj/run" + std::to_wstring(n) + L".dwg");
        host_test::clear_faults();
        host_test::clear_assertion_reports();
        host_test::fail_after(n, Acad::eWasOpenForWrite);
        Names names;
        const bool answered = KORVget_grid_system_names(names, nullptr, L"");
        const long operations = host_test::host_operation_count();
        host_test::clear_faults();
        expect_host_clean();
        for (const auto& report : host_test::assertion_reports()) {
            EXPECT_EQ(known.count(report.expression + "@" + report.source), 1u)
                << report.expression << "@" << report.source;
        }
        if (operations <= n) {
            EXPECT_TRUE(answered);
            EXPECT_EQ(joined(names), "A|A |B|a|A|Ring");
            break;
        }
        if (!answered) {
            ++unavailable;
            EXPECT_TRUE(names.empty());
            host_test::clear_assertion_reports();
            EXPECT_EQ(grid_text(), kWhole);
        } else {
            partial += joined(names) != "A|A |B|a|A|Ring";
        }
    }
    EXPECT_GT(unavailable, 0);
    EXPECT_GT(partial, 0);
}
