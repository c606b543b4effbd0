// Member maintenance and listing: the exports that add, delete and restore members, look
// imported members up by GUID, give the next free names and list the columns. They work on
// the current drawing's inventory, built once and never rescanned, so what they change is
// seen by every later query of the same drawing.
#include <map>
#include <random>
#include <set>

#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::MemberPlan;
using Kind = KORVLinear_structural_member::Kind;
using Material = KORVLinear_structural_member::Material;

namespace {

// CORE holds a concrete column C7 at (1, 1, 0), attached once and inserted twice: moved by
// (10, 0, 0), and moved by (20, 0, 0) with a quarter turn, so that C7 stands at (11, 1, 0)
// and (19, 1, 0) in the host's coordinates.
struct CoreReference {
    AcDbObjectId c7, first_insert, second_insert;
};

class MaintenanceTest : public ModuleTest {
protected:
    DrawingBuilder& open_plan() {
        drawing_ = std::make_unique<DrawingBuilder>(open_document(L"C:/proj/plan.dwg")->database());
        return *drawing_;
    }

    static AcDbObjectId member(DrawingBuilder& drawing, Kind kind, const std::wstring& name,
                               const AcGePoint3d& start, const AcGePoint3d& end,
                               Material material = Material::kSteel, std::list<GUID> guids = {}) {
        MemberPlan plan;
        plan.kind = kind;
        plan.start = start;
        plan.end = end;
        plan.name = name;
        plan.material = material;
        plan.guids = std::move(guids);
        return host_test::add_member(drawing, plan);
    }
    AcDbObjectId member(Kind kind, const std::wstring& name, const AcGePoint3d& start,
                        const AcGePoint3d& end, Material material = Material::kSteel,
                        std::list<GUID> guids = {}) {
        return member(*drawing_, kind, name, start, end, material, std::move(guids));
    }
    AcDbObjectId column(const std::wstring& name, const AcGePoint3d& base,
                        Material material = Material::kSteel, std::list<GUID> guids = {}) {
        return member(Kind::kColumn, name, base, base + AcGeVector3d(0, 0, 3), material,
                      std::move(guids));
    }
    AcDbObjectId beam(const std::wstring& name, double y = 0.0) {
        return member(Kind::kBeam, name, {0, y, 3}, {10, y, 3});
    }

    CoreReference attach_core(std::list<GUID> c7_guids = {}) {
        auto database = host_test::new_drawing();
        DrawingBuilder builder(database.get());
        CoreReference core;
        core.c7 = member(builder, Kind::kColumn, L"C7", {1, 1, 0}, {1, 1, 3}, Material::kConcrete,
                         std::move(c7_guids));
        const AcDbObjectId record =
            drawing_->attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(database));
        core.first_insert = drawing_->insert(record, {{10, 0, 0}});
        core.second_insert = drawing_->insert(record, {{20, 0, 0}, 1.5707963267948966});
        return core;
    }

    // Hands the member, open for read, to one of the add exports.
    static bool add_open(bool (*add)(KORVLinear_structural_member*), AcDbObjectId id) {
        AcDbObjectPointer<KORVLinear_structural_member> opened(id, AcDb::kForRead);
        EXPECT_EQ(opened.openStatus(), Acad::eOk);
        return add(opened.object());
    }

    // The beams of the current inventory, through a window that holds the whole plan.
    static std::string beams_in_plan() {
        std::list<KORVid_and_filename> found;
        EXPECT_TRUE(KORVfind_beams_in_rectangle(nullptr, L"", {-1e6, -1e6, 0}, {1e6, 1e6, 0}, true,
                                                AcGeVector3d::kZAxis, false, false, 0, 0, found));
        return names(found);
    }
    static std::string braces() {
        std::list<KORVid_and_filename> found;
        EXPECT_TRUE(KORVfind_braces_between_elevs(false, 0, false, 0, found));
        return names(found);
    }
    static std::string columns() {
        std::list<AcDbObjectId> ids;
        EXPECT_TRUE(KORVget_columns(ids));
        return names(ids);
    }
    static std::string columns_of_kind(int kind) {
        std::list<KORVid_and_filename> found;
        EXPECT_TRUE(KORVget_columns_with_filenames(kind, found));
        return names(found);
    }

    std::unique_ptr<DrawingBuilder> drawing_;
};

TEST_F(MaintenanceTest, WithoutAnInventoryEveryCallAnswersFalseAndLeavesItsOutputsAlone) {
    const GUID guid = host_test::make_guid(1);
    std::list<AcDbObjectId> ids{AcDbObjectId()};
    KORVid_and_filename out(AcDbObjectId(), L"keep", AcDbObjectId());
    std::list<KORVid_and_filename> result{out};

    auto every_call = [&] {
        EXPECT_FALSE(KORVadd_column(nullptr));
        EXPECT_FALSE(KORVadd_beam(nullptr));
        EXPECT_FALSE(KORVadd_brace(nullptr));
        EXPECT_FALSE(KORVdelete_column(AcDbObjectId(), true));
        EXPECT_FALSE(KORVdelete_beam(AcDbObjectId(), false));
        EXPECT_FALSE(KORVdelete_brace(AcDbObjectId()));
        EXPECT_FALSE(KORVget_imported_column(guid, out));
        EXPECT_FALSE(KORVget_imported_beam(guid, out));
        EXPECT_FALSE(KORVget_imported_brace(guid, out));
        EXPECT_FALSE(KORVget_imported_wall(guid, out));
        EXPECT_EQ(KORVget_new_column_name(), L"C");
        EXPECT_EQ(KORVget_new_beam_name(), L"B");
        EXPECT_EQ(KORVget_new_brace_name(), L"BR");
        EXPECT_FALSE(KORVget_columns(ids));  // not even cleared
        EXPECT_FALSE(KORVget_columns_in_database(ids));
        EXPECT_FALSE(KORVget_columns_with_filenames(-1, result));
        EXPECT_FALSE(KORVget_columns_with_filenames(1, result));
        EXPECT_FALSE(KORVget_columns_with_filenames(2, result));  // no check of the kind either
        EXPECT_EQ(ids.size(), 1u);
        EXPECT_EQ(out.file_name, L"keep");
        EXPECT_EQ(names(result), "?@keep");
    };

    // No document and no working database: each lookup reports the missing database.
    every_call();
    std::string expected;
    for (int i = 0; i < 18; ++i) expected += (i ? " " : "") + std::string("db@member_inventory");
    EXPECT_EQ(host_test::assertion_summary(), expected);
    expect_host_clean();

    // A working database but no current document: unavailable, nothing to report.
    host_test::clear_assertion_reports();
    open_plan();
    column(L"C4", {0, 0, 0});
    host_test::set_current_document(nullptr);
    every_call();
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(MaintenanceTest, AddedMembersJoinTheInventoryAndRaiseTheNextName) {
    open_plan();
    beam(L"B9");
    beam(L"B3", 5);
    beam(L"GIRDER", 10);  // no number: the highest stays as it is
    column(L"C2", {0, 0, 0});
    EXPECT_EQ(KORVget_new_beam_name(), L"B10");
    EXPECT_EQ(KORVget_new_column_name(), L"C3");
    EXPECT_EQ(KORVget_new_brace_name(), L"BR1");  // an empty inventory starts at 1

    // Drawn after the build, the inventory knows it only once it is reported; asking for a
    // name reserves nothing, and deleting or a lower number never lowers the highest.
    const AcDbObjectId b17 = beam(L"B17", 15);
    EXPECT_EQ(beams_in_plan(), "B9 B3 GIRDER");
    EXPECT_TRUE(add_open(KORVadd_beam, b17));
    expect_host_clean();
    EXPECT_EQ(beams_in_plan(), "B9 B3 GIRDER B17");
    EXPECT_EQ(KORVget_new_beam_name(), L"B18");
    EXPECT_TRUE(KORVdelete_beam(b17, true));
    EXPECT_TRUE(add_open(KORVadd_beam, beam(L"B12A", 20)));
    EXPECT_EQ(KORVget_new_beam_name(), L"B18");
    EXPECT_TRUE(add_open(KORVadd_beam, beam(L"B0021", 25)));
    EXPECT_EQ(KORVget_new_beam_name(), L"B22");

    // The kind is not checked: a beam reported as a column is a column, numbered as one.
    EXPECT_TRUE(add_open(KORVadd_column, b17));
    EXPECT_EQ(columns(), "C2 B17");
    EXPECT_EQ(KORVget_new_column_name(), L"C18");

    // The brace inventory was scanned when it was empty and is never scanned again; a
    // member reported twice keeps one record.
    const AcDbObjectId br5 = member(Kind::kBrace, L"BR5", {0, 0, 0}, {5, 0, 3});
    EXPECT_EQ(KORVget_new_brace_name(), L"BR1");
    EXPECT_TRUE(add_open(KORVadd_brace, br5));
    EXPECT_TRUE(add_open(KORVadd_brace, br5));
    EXPECT_EQ(KORVget_new_brace_name(), L"BR6");
    EXPECT_EQ(braces(), "BR5");

    // At the largest number a name can carry, the next name goes on counting; a larger
    // number in a name counts as that largest one.
    EXPECT_TRUE(
        add_open(KORVadd_brace, member(Kind::kBrace, L"BR2147483647", {0, 1, 0}, {5, 1, 3})));
    EXPECT_EQ(KORVget_new_brace_name(), L"BR2147483648");
    EXPECT_TRUE(
        add_open(KORVadd_column, member(Kind::kColumn, L"C99999999999", {0, 2, 0}, {0, 2, 3})));
    EXPECT_EQ(KORVget_new_column_name(), L"C2147483648");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// A random sequence of adds, deletes and restores against a model that keeps two sets (live
// and erased) and the highest number, as the inventory's contract describes it.
TEST_F(MaintenanceTest, RandomMaintenanceSequencesAgreeWithASimpleModel) {
    const unsigned seed = ::testing::UnitTest::GetInstance()->random_seed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    open_plan();
    std::vector<AcDbObjectId> beams;
    std::set<AcDbObjectId> live, erased;
    int highest = 4;
    for (int i = 1; i <= 4; ++i)
        live.insert(beams.emplace_back(beam(L"B" + std::to_wstring(i), i)));
    EXPECT_EQ(beams_in_plan(), "B1 B2 B3 B4");

    for (int step = 0; step < 60; ++step) {
        const AcDbObjectId any = beams[pick(0, static_cast<int>(beams.size()) - 1)];
        switch (pick(0, 3)) {
            case 0: {  // a new beam, numbered or not
                const int number = pick(-1, 60);
                const AcDbObjectId id =
                    beam(number < 0 ? std::wstring(L"RAFTER") : L"B" + std::to_wstring(number),
                         step + 10.0);
                ASSERT_TRUE(add_open(KORVadd_beam, id));
                live.insert(beams.emplace_back(id));
                highest = std::max(highest, number);
                break;
            }
            case 1:  // a known beam reported again
                ASSERT_TRUE(add_open(KORVadd_beam, any));
                live.insert(any);
                break;
            case 2:
                ASSERT_TRUE(KORVdelete_beam(any, true));
                if (live.erase(any)) erased.insert(any);
                break;
            default:
                ASSERT_TRUE(KORVdelete_beam(any, false));
                if (erased.erase(any)) live.insert(any);
                break;
        }
        ASSERT_EQ(beams_in_plan(), names(std::list<AcDbObjectId>(live.begin(), live.end())))
            << "after step " << step;
        ASSERT_EQ(KORVget_new_beam_name(), L"B" + std::to_wstring(highest + 1));
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(MaintenanceTest, ImportedMembersAreFoundByAnyOfTheirGuidsAlsoAfterDeletion) {
    using host_test::make_guid;
    open_plan();
    const AcDbObjectId c1 =
        column(L"C1", {0, 0, 0}, Material::kSteel, {make_guid(1), make_guid(2)});
    const AcDbObjectId b1 =
        member(Kind::kBeam, L"B1", {0, 0, 3}, {5, 0, 3}, Material::kSteel, {make_guid(3)});
    const AcDbObjectId br1 =
        member(Kind::kBrace, L"BR1", {0, 0, 0}, {5, 0, 3}, Material::kSteel, {make_guid(4)});
    auto* wall = new KORVWall_3({0, 5, 0}, {5, 5, 0}, 3, 3);
    wall->set_imported(1, {make_guid(5)});
    const AcDbObjectId w1 = drawing_->add(wall);
    const CoreReference core = attach_core({make_guid(6)});

    // Only id and file name are written; the reference and the handle text keep their values.
    KORVid_and_filename out(AcDbObjectId(), L"stale", b1, AcDbHandle(0x2A));
    auto expect_found = [&](bool found, AcDbObjectId id, const std::wstring& file_name) {
        EXPECT_TRUE(found);
        EXPECT_EQ(out.id, id);
        EXPECT_EQ(out.file_name, file_name);
        EXPECT_EQ(out.reference_id, b1);
        EXPECT_EQ(std::wstring(out.handle_text), L"2A");
        out.file_name = L"stale";
    };
    expect_found(KORVget_imported_column(make_guid(1), out), c1, L"");
    expect_found(KORVget_imported_column(make_guid(6), out), core.c7, L"CORE");
    expect_found(KORVget_imported_column(make_guid(2), out), c1, L"");
    expect_found(KORVget_imported_beam(make_guid(3), out), b1, L"");
    expect_found(KORVget_imported_brace(make_guid(4), out), br1, L"");
    expect_found(KORVget_imported_wall(make_guid(5), out), w1, L"");

    // Unknown in that inventory: false, out untouched.
    EXPECT_FALSE(KORVget_imported_column(make_guid(3), out));
    EXPECT_FALSE(KORVget_imported_beam(make_guid(99), out));
    EXPECT_FALSE(KORVget_imported_wall(make_guid(1), out));
    EXPECT_EQ(out.id, w1);
    EXPECT_EQ(out.file_name, L"stale");

    // The index outlives the delete; a later member with the same GUID takes the entry over.
    EXPECT_TRUE(KORVdelete_column(c1, true));
    expect_found(KORVget_imported_column(make_guid(2), out), c1, L"");
    EXPECT_TRUE(
        add_open(KORVadd_column, column(L"C9", {9, 0, 0}, Material::kSteel, {make_guid(2)})));
    const AcDbObjectId c9 = column(L"C9", {9, 0, 0}, Material::kSteel, {make_guid(2)});
    EXPECT_TRUE(add_open(KORVadd_column, c9));
    expect_found(KORVget_imported_column(make_guid(2), out), c9, L"");
    expect_found(KORVget_imported_column(make_guid(1), out), c1, L"");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(MaintenanceTest, ColumnListsFollowDeletesAndRestoresOfTheDrawingsOwnRecords) {
    open_plan();
    const AcDbObjectId b3 = beam(L"B3");
    const AcDbObjectId c12 = column(L"C12", {0, 0, 0}, Material::kConcrete);
    column(L"C13", {5, 0, 0});
    const CoreReference core = attach_core();

    // Cleared first, each id once although C7 has two records; then the drawing's own
    // columns appended.
    std::list<AcDbObjectId> ids{b3, b3};
    EXPECT_TRUE(KORVget_columns(ids));
    EXPECT_EQ(names(ids), "C12 C13 C7");
    ids = {b3};
    EXPECT_TRUE(KORVget_columns_in_database(ids));
    EXPECT_EQ(names(ids), "B3 C12 C13");

    // Kind -1 appends every record, with its reference and no handle text.
    std::list<KORVid_and_filename> all{KORVid_and_filename(b3, L"", AcDbObjectId())};
    EXPECT_TRUE(KORVget_columns_with_filenames(-1, all));
    EXPECT_EQ(names(all), "B3 C12 C13 C7@CORE C7@CORE");
    std::vector<AcDbObjectId> references;
    for (const auto& entry : all) {
        references.push_back(entry.reference_id);
        EXPECT_EQ(std::wstring(entry.handle_text), L"");
    }
    EXPECT_EQ(references, (std::vector<AcDbObjectId>{AcDbObjectId(), AcDbObjectId(), AcDbObjectId(),
                                                     core.first_insert, core.second_insert}));

    // Deleting twice or restoring twice moves nothing more; the record comes back into its
    // place in key order. Members seen through a reference stay, whatever is asked.
    auto near_origin = [] {
        std::list<KORVid_and_filename> found;
        EXPECT_TRUE(KORVfind_columns_in_rectangle({-1, -1, 0}, {1, 1, 0}, true,
                                                  AcGeVector3d::kZAxis, false, false, 0, 0, found));
        return names(found);
    };
    for (int twice = 0; twice < 2; ++twice) EXPECT_TRUE(KORVdelete_column(c12, true));
    EXPECT_EQ(columns(), "C13 C7");
    EXPECT_EQ(near_origin(), "");
    for (int twice = 0; twice < 2; ++twice) EXPECT_TRUE(KORVdelete_column(c12, false));
    EXPECT_EQ(columns(), "C12 C13 C7");
    EXPECT_EQ(near_origin(), "C12");
    EXPECT_TRUE(KORVdelete_column(core.c7, true));
    EXPECT_EQ(columns_of_kind(-1), "C12 C13 C7@CORE C7@CORE");

    // Braces are always erased; beams are deleted and restored like columns.
    const AcDbObjectId br1 = member(Kind::kBrace, L"BR1", {0, 0, 0}, {5, 0, 3});
    EXPECT_EQ(braces(), "BR1");
    EXPECT_TRUE(KORVdelete_brace(br1));
    EXPECT_EQ(braces(), "");
    EXPECT_TRUE(KORVdelete_beam(b3, true));
    EXPECT_EQ(beams_in_plan(), "");
    EXPECT_TRUE(KORVdelete_beam(b3, false));
    EXPECT_EQ(beams_in_plan(), "B3");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(MaintenanceTest, ColumnsByMaterialComeInStartPointOrderWithEqualPointsAllKept) {
    open_plan();
    const AcDbObjectId c12 = column(L"C12", {5, 0, 0}, Material::kConcrete);
    column(L"C2", {0, 0, 0});
    column(L"C4", {5, 0, 0}, Material::kConcrete);  // the same start point as C12
    column(L"C5", {-1, 9, 0}, Material::kConcrete);
    column(L"C6", {5, -2, 0});
    column(L"C8", {5, 0, -1}, Material::kWood);  // neither steel nor concrete
    const CoreReference core = attach_core();    // C7 at (11, 1, 0) and (19, 1, 0)
    EXPECT_EQ(columns_of_kind(1), "C5 C12 C4 C7@CORE C7@CORE");
    std::list<KORVid_and_filename> steel;
    EXPECT_TRUE(KORVget_columns_with_filenames(0, steel));
    EXPECT_EQ(names(steel), "C2 C6");
    EXPECT_EQ(std::wstring(steel.front().handle_text), L"");
    EXPECT_EQ(host_test::assertion_summary(), "");

    // Any other kind: reported, answered true, the list untouched.
    EXPECT_TRUE(KORVget_columns_with_filenames(2, steel));
    EXPECT_TRUE(KORVget_columns_with_filenames(-2, steel));
    EXPECT_EQ(names(steel), "C2 C6");
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory false@member_inventory");

    // A list that is not empty on entry: the template's check reports, and the columns are
    // appended all the same.
    host_test::clear_assertion_reports();
    EXPECT_TRUE(KORVget_columns_with_filenames(1, steel));
    EXPECT_EQ(names(steel), "C2 C6 C5 C12 C4 C7@CORE C7@CORE");
    EXPECT_EQ(host_test::assertion_summary(),
              "answer_keys.size() == answer_values.size()@template");

    // Among equal start points the records' order rules: restored, C12 still precedes C4.
    EXPECT_TRUE(KORVdelete_column(c12, true));
    EXPECT_EQ(columns_of_kind(1), "C5 C4 C7@CORE C7@CORE");
    EXPECT_TRUE(KORVdelete_column(c12, false));

    // An added member keeps its own start point and no reference: at (15, 0, 0) it sorts
    // between the two placements of C7.
    EXPECT_TRUE(add_open(KORVadd_column, column(L"C30", {15, 0, 0}, Material::kConcrete)));
    std::list<KORVid_and_filename> concrete;
    EXPECT_TRUE(KORVget_columns_with_filenames(1, concrete));
    EXPECT_EQ(names(concrete), "C5 C12 C4 C7@CORE C30 C7@CORE");
    EXPECT_TRUE(std::prev(concrete.end(), 2)->reference_id.isNull());
    EXPECT_EQ(concrete.back().reference_id, core.second_insert);
}

}  // namespace
