// Region queries: windows, plan windows, a segment, elevation bands, walls at a point and
// layout copies. Each walks one inventory in key order, moves the query's geometry into the
// member's own drawing, asks the library, and appends what matched; a member that no longer
// opens or whose library call raises is skipped.
#include <cmath>
#include <functional>
#include <numbers>
#include <random>

#include "member_inventory.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::MemberPlan;
using Kind = KORVLinear_structural_member::Kind;
using Results = std::list<KORVid_and_filename>;

namespace {

// The window arguments of the rectangle queries, plan view and crossing unless changed.
struct Window {
    Window(const AcGePoint3d& c1, const AcGePoint3d& c2) : corner1(c1), corner2(c2) {}
    Window& inside() {
        crossing = false;
        return *this;
    }
    Window& along(const AcGeVector3d& direction) {
        view = direction;
        return *this;
    }
    Window& front(double depth) {  // keeps depth <= depth
        clip_1 = true;
        depth_1 = depth;
        return *this;
    }
    Window& back(double depth) {  // keeps depth >= depth
        clip_2 = true;
        depth_2 = depth;
        return *this;
    }

    AcGePoint3d corner1, corner2;
    bool crossing = true;
    AcGeVector3d view = AcGeVector3d::kZAxis;
    bool clip_1 = false, clip_2 = false;
    double depth_1 = 0.0, depth_2 = 0.0;
};

const Window kEverywhere({-1e5, -1e5, 0}, {1e5, 1e5, 0});

bool columns_in(const Window& w, Results& r) {
    return KORVfind_columns_in_rectangle(w.corner1, w.corner2, w.crossing, w.view, w.clip_1,
                                         w.clip_2, w.depth_1, w.depth_2, r);
}
bool beams_in(const Window& w, Results& r, AcDbDatabase* db = nullptr,
              const std::wstring& name = L"") {
    return KORVfind_beams_in_rectangle(db, name, w.corner1, w.corner2, w.crossing, w.view, w.clip_1,
                                       w.clip_2, w.depth_1, w.depth_2, r);
}
bool braces_in(const Window& w, Results& r) {
    return KORVfind_braces_in_rectangle(w.corner1, w.corner2, w.crossing, w.view, w.clip_1,
                                        w.clip_2, w.depth_1, w.depth_2, r);
}
// The wall query has no clip_2 of its own: depth_2 always applies.
bool walls_in(const Window& w, Results& r, AcDbDatabase* db = nullptr,
              const std::wstring& name = L"") {
    return KORVfind_walls_in_rectangle(w.corner1, w.corner2, w.crossing, w.view, w.clip_1,
                                       w.depth_1, w.depth_2, db, name, r);
}
bool members_in(bool all_beams, bool include_walls, const Window& w, Results& r,
                AcDbDatabase* db = nullptr, const std::wstring& name = L"") {
    return KORVfind_members_in_rectangle(all_beams, include_walls, w.crossing, w.corner1, w.corner2,
                                         w.view, w.clip_1, w.clip_2, w.depth_1, w.depth_2, db, name,
                                         r);
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class RegionQueryTest : public ModuleTest {
public:
    static constexpr double kQuarterTurn = 1.5707963267948966;

    DrawingBuilder& open_plan(const std::wstring& file_name = L"C:/proj/plan.dwg") {
        drawing_ = std::make_unique<DrawingBuilder>(open_document(file_name)->database());
        return *drawing_;
    }
    AcDbDatabase* database() const { return drawing_->database(); }

    static AcDbObjectId member(DrawingBuilder& drawing, Kind kind, const std::wstring& name,
                               const AcGePoint3d& start, const AcGePoint3d& end,
                               bool lateral = false) {
        MemberPlan plan;
        plan.kind = kind;
        plan.start = start;
        plan.end = end;
        plan.name = name;
        plan.lateral = lateral;
        return host_test::add_member(drawing, plan);
    }
    AcDbObjectId column(const std::wstring& name, const AcGePoint3d& bottom, double top_z) {
        return member(*drawing_, Kind::kColumn, name, bottom, {bottom.x, bottom.y, top_z});
    }
    AcDbObjectId beam(const std::wstring& name, const AcGePoint3d& start, const AcGePoint3d& end,
                      bool lateral = false) {
        return member(*drawing_, Kind::kBeam, name, start, end, lateral);
    }
    AcDbObjectId brace(const std::wstring& name, const AcGePoint3d& start, const AcGePoint3d& end) {
        return member(*drawing_, Kind::kBrace, name, start, end);
    }
    static AcDbObjectId wall(DrawingBuilder& drawing, const std::wstring& name,
                             const AcGePoint3d& start, const AcGePoint3d& end,
                             double start_height = 3.0, double end_height = 3.0) {
        auto* wall = new KORVWall_3(start, end, start_height, end_height);
        wall->set_name(name);
        return drawing.add(wall);
    }
    AcDbObjectId wall(const std::wstring& name, const AcGePoint3d& start, const AcGePoint3d& end,
                      double start_height = 3.0, double end_height = 3.0) {
        return wall(*drawing_, name, start, end, start_height, end_height);
    }

    // Attaches CORE (C:/proj/core.dwg) after fill has drawn its content.
    template <class Fill>
    AcDbObjectId attach_core(Fill&& fill) {
        auto core = host_test::new_drawing();
        DrawingBuilder builder(core.get());
        fill(builder);
        return drawing_->attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
    }
    // CORE with its column C7 from (1, 1, 0) to (1, 1, 3).
    AcDbObjectId attach_core_c7(AcDbObjectId* c7 = nullptr) {
        return attach_core([&](DrawingBuilder& core) {
            const AcDbObjectId id = member(core, Kind::kColumn, L"C7", {1, 1, 0}, {1, 1, 3});
            if (c7) *c7 = id;
        });
    }

    // "1F 20 -": the handle texts of the results, "-" where there is none.
    static std::string handles(const Results& results) {
        std::string text;
        for (const auto& result : results) {
            const std::wstring handle(result.handle_text);
            text += (text.empty() ? "" : " ") + (handle.empty() ? "-" : narrow(handle));
        }
        return text;
    }
    static std::string handle_texts(std::initializer_list<AcDbObjectId> ids) {
        std::string text;
        for (const AcDbObjectId& id : ids) {
            ACHAR buffer[AcDbHandle::kStrSiz] = L"-";
            AcDbObjectPointer<AcDbEntity> entity(id, AcDb::kForRead);
            AcDbHandle handle;
            if (entity.openStatus() == Acad::eOk) {
                entity->getAcDbHandle(handle);
                handle.getIntoAsciiBuffer(buffer);
            }
            text += (text.empty() ? "" : " ") + narrow(buffer);
        }
        return text;
    }
    // "db@member_inventory col_inventory@member_inventory" for {"db", "col_inventory"}.
    static std::string reports(std::initializer_list<const char*> expressions) {
        std::string text;
        for (const char* expression : expressions)
            text += (text.empty() ? "" : " ") + std::string(expression) + "@member_inventory";
        return text;
    }

    std::unique_ptr<DrawingBuilder> drawing_;
};

// ----- no inventory --------------------------------------------------------------------------

TEST_F(RegionQueryTest, WithoutAnInventoryEveryQueryAnswersFalseAndLeavesTheListAlone) {
    Results r{KORVid_and_filename(AcDbObjectId(), L"keep", AcDbObjectId())};
    const AcGePoint3d p0(0, 0, 0), p1(1, 1, 1);
    const std::list<double> elevations{0.0};
    auto every_query = [&](AcDbDatabase* db, const std::wstring& name) {
        EXPECT_FALSE(columns_in(kEverywhere, r));
        EXPECT_FALSE(beams_in(kEverywhere, r, db, name));
        EXPECT_FALSE(braces_in(kEverywhere, r));
        EXPECT_FALSE(walls_in(kEverywhere, r, db, name));
        EXPECT_FALSE(members_in(true, true, kEverywhere, r, db, name));
        EXPECT_FALSE(KORVfind_columns_in_plane_rectangle(p0, p1, r));
        EXPECT_FALSE(KORVfind_beams_in_plane_rectangle(p0, p1, true, r));
        EXPECT_FALSE(KORVfind_braces_in_plane_rectangle(p0, p1, r));
        EXPECT_FALSE(KORVfind_walls_in_plane_rectangle(p0, p1, r));
        EXPECT_FALSE(KORVfind_beams_intersecting_segment(p0, p1, false, r));
        EXPECT_FALSE(KORVfind_columns_between_elevs(false, 0, false, 0, r));
        EXPECT_FALSE(KORVfind_walls_between_elevs(false, 0, false, 0, r));
        EXPECT_FALSE(KORVfind_braces_between_elevs(false, 0, false, 0, r));
        EXPECT_FALSE(KORVfind_lat_beams_between_elevs(0, false, 0, r));
        EXPECT_FALSE(KORVfind_walls_starting_or_ending_at_point(p0, AcDbObjectId(), r));
        EXPECT_FALSE(KORVfind_layout_columns(p0, p1, elevations, r));
        EXPECT_FALSE(KORVfind_layout_beams(p0, p1, elevations, r));
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r.front().file_name, L"keep");
    };

    // No document, no working database: the current lookups report the missing database,
    // and the calls that name their inventory report it too.
    every_query(nullptr, L"");
    EXPECT_EQ(host_test::assertion_summary(),
              reports({"db", "db", "col_inventory", "db", "db", "db", "db", "db", "db", "db", "db",
                       "db", "db", "db", "col_inventory", "db", "beam_inventory"}));
    expect_host_clean();

    // A drawing without a current document, also when named: nothing is built for it.
    host_test::clear_assertion_reports();
    open_plan();
    column(L"C1", {0, 0, 0}, 3);
    host_test::set_current_document(nullptr);
    every_query(database(), L"C:/proj/plan.dwg");
    EXPECT_EQ(host_test::assertion_summary(),
              reports({"col_inventory", "col_inventory", "beam_inventory"}));
}

// ----- rectangle queries ---------------------------------------------------------------------

TEST_F(RegionQueryTest, RectangleQueriesAppendInKeyOrderWithHandles) {
    open_plan();
    const AcDbObjectId c3 = column(L"C3", {10, 0, 0}, 3);
    const AcDbObjectId c1 = column(L"C1", {0, 0, 0}, 3);
    const AcDbObjectId c2 = column(L"C2", {5, 0, 0}, 3);
    const AcDbObjectId b1 = beam(L"B1", {0, 10, 3}, {10, 10, 3});
    const AcDbObjectId br1 = brace(L"BR1", {0, 20, 0}, {4, 20, 3});
    const AcDbObjectId w1 = wall(L"W1", {0, 30, 0}, {10, 30, 0});

    // Key order is creation order, not position; what the list held stays in front; corners
    // come in any order. Crossing takes any part of the axis, inside all of it.
    Results r{KORVid_and_filename(b1, L"", AcDbObjectId())};
    EXPECT_TRUE(columns_in(Window({-1, -1, 0}, {11, 1, 0}), r));
    EXPECT_TRUE(columns_in(Window({11, 1, 0}, {4, -1, 0}), r));
    EXPECT_TRUE(beams_in(Window({-1, 9, 0}, {5, 11, 0}), r, database(), L"C:/proj/plan.dwg"));
    EXPECT_TRUE(beams_in(Window({-1, 9, 0}, {5, 11, 0}).inside(), r));
    EXPECT_TRUE(beams_in(Window({-1, 9, 0}, {11, 11, 0}).inside(), r));
    EXPECT_TRUE(braces_in(Window({-1, 19, 0}, {2, 21, 0}), r));
    EXPECT_TRUE(braces_in(Window({-1, 19, 0}, {2, 21, 0}).inside(), r));
    EXPECT_TRUE(walls_in(Window({-1, 29, 0}, {5, 31, 0}).back(-100), r));
    EXPECT_TRUE(walls_in(Window({-1, 29, 0}, {5, 31, 0}).inside().back(-100), r));
    // A degenerate window holds nothing; a drawing that is not current must be named.
    EXPECT_TRUE(columns_in(Window({-1, 0, 0}, {11, 0, 0}), r));
    auto side = host_test::new_drawing();
    EXPECT_FALSE(beams_in(kEverywhere, r, side.get(), L""));
    EXPECT_TRUE(beams_in(kEverywhere, r, side.get(), L"C:/proj/side.dwg"));
    EXPECT_EQ(names(r), "B1 C3 C1 C2 C3 C2 B1 B1 BR1 W1");
    EXPECT_EQ(handles(r), handle_texts({AcDbObjectId(), c3, c1, c2, c3, c2, b1, b1, br1, w1}));

    // An empty drawing: true, and the list as it was.
    open_plan(L"C:/proj/empty.dwg");
    r = {KORVid_and_filename(b1, L"", AcDbObjectId())};
    EXPECT_TRUE(columns_in(kEverywhere, r));
    EXPECT_TRUE(beams_in(kEverywhere, r));
    EXPECT_TRUE(braces_in(kEverywhere, r));
    EXPECT_TRUE(walls_in(kEverywhere, r));
    EXPECT_TRUE(members_in(true, true, kEverywhere, r));
    EXPECT_EQ(r.size(), 1u);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegionQueryTest, ClipDepthsCutTheAxisAlongTheViewDirection) {
    open_plan();
    column(L"C1", {0, 0, 0}, 3);
    wall(L"W1", {0, 5, 0}, {10, 5, 0});  // the axis is the base line, at z = 0
    const Window plan({-1, -1, 0}, {1, 1, 0});
    auto columns_seen = [&](Window w) {
        Results r;
        EXPECT_TRUE(columns_in(w, r));
        return names(r);
    };
    EXPECT_EQ(columns_seen(Window(plan).front(-0.5)), "");
    EXPECT_EQ(columns_seen(Window(plan).front(1)), "C1");
    EXPECT_EQ(columns_seen(Window(plan).back(3.5)), "");
    EXPECT_EQ(columns_seen(Window(plan).back(2)), "C1");
    EXPECT_EQ(columns_seen(Window(plan).back(1).front(2)), "C1");
    EXPECT_EQ(columns_seen(Window(plan).back(4).front(5)), "");
    // A depth d names the plane through d times the view direction: looking down -Z depth 2
    // is z = -2, and along (0, 0, 2) depth 1 is z = 2.
    const AcGeVector3d down(0, 0, -1), doubled(0, 0, 2);
    EXPECT_EQ(columns_seen(Window(plan).along(down).back(-2)), "C1");
    EXPECT_EQ(columns_seen(Window(plan).along(down).front(-4)), "");
    EXPECT_EQ(columns_seen(Window(plan).along(doubled).back(1)), "C1");
    EXPECT_EQ(columns_seen(Window(plan).along(doubled).back(1.6)), "");
    EXPECT_EQ(columns_seen(Window(plan).along(doubled).front(-0.1)), "");
    EXPECT_EQ(columns_seen(Window(plan).along(doubled).front(0.1)), "C1");

    // The wall query always applies the back clip, and the front one when asked.
    Results r;
    const Window walls({-1, 4, 0}, {11, 6, 0});
    EXPECT_TRUE(walls_in(Window(walls).back(1), r));
    EXPECT_TRUE(walls_in(Window(walls).back(-1).front(-0.5), r));
    EXPECT_TRUE(walls_in(Window(walls).back(-1), r));
    EXPECT_EQ(names(r), "W1");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegionQueryTest, HorizontalViewDirectionsUseTheLibrarysElevationWindowTest) {
    open_plan();
    const AcDbObjectId c1 = column(L"C1", {0, 0, 0}, 3);
    // Looking along -Y the view plane is (x, z).
    const Window elevation = Window({-1, 0, 1}, {1, 0, 2}).along({0, -1, 0});
    Results r;
    EXPECT_TRUE(columns_in(elevation, r));
    EXPECT_EQ(names(r), "C1");

    r.clear();
    host_test::throw_in_library("in_rectangle_horizontal_view", 1, c1);
    EXPECT_TRUE(columns_in(elevation, r));
    EXPECT_TRUE(r.empty());
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    expect_host_clean();

    // The plan and oblique views go to the other test and leave that one armed.
    host_test::clear_assertion_reports();
    host_test::throw_in_library("in_rectangle_horizontal_view", 1, c1);
    EXPECT_TRUE(columns_in(Window({-1, -1, 0}, {1, 1, 0}), r));
    EXPECT_TRUE(columns_in(Window({-5, -5, -5}, {5, 5, 5}).along({0, -1, 1}), r));
    EXPECT_EQ(names(r), "C1 C1");
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    host_test::clear_faults();
    host_test::throw_in_library("in_rectangle", 1, c1);
    EXPECT_TRUE(columns_in(elevation, r));
    EXPECT_EQ(names(r), "C1 C1 C1");
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    EXPECT_TRUE(columns_in(Window({-1, -1, 0}, {1, 1, 0}), r));
    EXPECT_EQ(names(r), "C1 C1 C1");
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
}

TEST_F(RegionQueryTest, MembersInRectangleListsColumnsBeamsBracesThenWalls) {
    open_plan();
    const AcDbObjectId w1 = wall(L"W1", {0, 2, 0}, {5, 2, 0});
    const AcDbObjectId br1 = brace(L"BR1", {0, 0, 0}, {5, 1, 3});
    const AcDbObjectId b1 = beam(L"B1", {0, 0, 3}, {5, 0, 3}, true);
    const AcDbObjectId b2 = beam(L"B2", {0, 1, 3}, {5, 1, 3});
    const AcDbObjectId c1 = column(L"C1", {0, 0, 0}, 3);
    column(L"C9", {100, 0, 0}, 3);
    const Window w({-1, -1, 0}, {6, 3, 0});

    // Everything; lateral beams only, and those without their handles; no walls.
    Results r;
    EXPECT_TRUE(members_in(true, true, w, r, database(), L"C:/proj/plan.dwg"));
    EXPECT_TRUE(members_in(false, true, w, r));
    EXPECT_TRUE(members_in(true, false, w, r));
    EXPECT_EQ(names(r), "C1 B1 B2 BR1 W1 C1 B1 BR1 W1 C1 B1 B2 BR1");
    EXPECT_EQ(handles(r),
              handle_texts({c1, b1, b2, br1, w1, c1, AcDbObjectId(), br1, w1, c1, b1, b2, br1}));
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegionQueryTest, MembersInRectangleKeepsWhatItAppendedBeforeAMissingInventory) {
    auto open_building = [&](const std::wstring& file_name) {
        open_plan(file_name);
        column(L"C1", {0, 0, 0}, 3);
        beam(L"B1", {0, 0, 3}, {5, 0, 3});
        brace(L"BR1", {0, 0, 0}, {5, 0, 3});
        wall(L"W1", {0, 1, 0}, {5, 1, 0});
    };
    // The scan of the family after the last one built fails: what came before stays
    // appended; walls that cannot be scanned are no error.
    struct Case {
        const wchar_t* file_name;
        int built;
        bool result;
        const char* found;
        const char* summary;
    };
    const Case cases[] = {
        {L"C:/proj/a.dwg", 1, false, "C1", "beam_inventory@member_inventory"},
        {L"C:/proj/b.dwg", 2, false, "C1 B1", "brace_inventory@member_inventory"},
        {L"C:/proj/c.dwg", 3, true, "C1 B1 BR1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.file_name));
        host_test::clear_assertion_reports();
        open_building(c.file_name);
        ASSERT_NE(get_column_inventory(nullptr, L""), nullptr);
        EXPECT_TRUE(c.built < 2 || get_beam_inventory(nullptr, L"") != nullptr);
        EXPECT_TRUE(c.built < 3 || get_brace_inventory(nullptr, L"") != nullptr);
        host_test::fail_open_of(drawing_->model_space(), Acad::eWasOpenForWrite);
        Results r;
        EXPECT_EQ(members_in(true, true, kEverywhere, r), c.result);
        EXPECT_EQ(names(r), c.found);
        EXPECT_EQ(host_test::armed_fault_count(), 0);
        EXPECT_EQ(host_test::assertion_summary(), c.summary);
        expect_host_clean();
        // Nothing was stored, so the next call scans what failed and goes on.
        EXPECT_TRUE(members_in(true, true, kEverywhere, r));
        EXPECT_EQ(names(r), std::string(c.found) + " C1 B1 BR1 W1");
    }
}

// ----- records that fail ---------------------------------------------------------------------

// One query family: the kind of its two members, the query (which matches both members
// as make_pair draws them) and a library call the query makes on each member.
struct FailingRecordCase {
    const char* name;
    Kind kind;
    const char* library_call;
    bool (*query)(Results& r);
};

// Two members, A and B, drawn so that every query of their kind matches both: stacked
// columns, beams one floor apart (lateral), braces side by side, walls from the origin.
std::pair<AcDbObjectId, AcDbObjectId> make_pair(DrawingBuilder& drawing, Kind kind) {
    const auto one = [&](const wchar_t* name, double i) {
        const AcGePoint3d side(0, i, 0), up(0, 0, 3 * i);
        switch (kind) {
            case Kind::kColumn:
                return host_test::add_column(drawing, name, up, 3);
            case Kind::kBeam:
                return RegionQueryTest::member(drawing, kind, name, up + AcGeVector3d(0, 0, 3),
                                               up + AcGeVector3d(10, 0, 3), true);
            case Kind::kBrace:
                return host_test::add_brace(drawing, name, side, side + AcGeVector3d(5, 0, 3));
            default:
                return RegionQueryTest::wall(drawing, name, {0, 0, 0}, {10, i, 0});
        }
    };
    const AcDbObjectId a = one(L"A", 0);
    return {a, one(L"B", 1)};
}

const AcGePoint3d kOrigin(0, 0, 0);
const AcGePoint3d kFar1(-1e5, -1e5, 0), kFar2(1e5, 1e5, 0);

const FailingRecordCase kFailingRecordCases[] = {
    {"ColumnsInRectangle", Kind::kColumn, "in_rectangle",
     [](Results& r) { return columns_in(kEverywhere, r); }},
    {"BeamsInRectangle", Kind::kBeam, "in_rectangle",
     [](Results& r) { return beams_in(kEverywhere, r); }},
    {"BracesInRectangle", Kind::kBrace, "in_rectangle",
     [](Results& r) { return braces_in(kEverywhere, r); }},
    {"WallsInRectangle", Kind::kWall, "in_rectangle",
     [](Results& r) { return walls_in(Window(kEverywhere).back(-100), r); }},
    {"MembersInRectangle", Kind::kColumn, "in_rectangle",
     [](Results& r) { return members_in(true, true, kEverywhere, r); }},
    {"LateralBeamsInRectangle", Kind::kBeam, "is_lateral",
     [](Results& r) { return members_in(false, false, kEverywhere, r); }},
    {"ColumnsInPlaneRectangle", Kind::kColumn, "in_plane_rectangle",
     [](Results& r) { return KORVfind_columns_in_plane_rectangle(kFar1, kFar2, r); }},
    {"BeamsInPlaneRectangle", Kind::kBeam, "in_plane_rectangle",
     [](Results& r) { return KORVfind_beams_in_plane_rectangle(kFar1, kFar2, false, r); }},
    {"BracesInPlaneRectangle", Kind::kBrace, "in_plane_rectangle",
     [](Results& r) { return KORVfind_braces_in_plane_rectangle(kFar1, kFar2, r); }},
    {"WallsInPlaneRectangle", Kind::kWall, "in_plane_rectangle",
     [](Results& r) { return KORVfind_walls_in_plane_rectangle(kFar1, kFar2, r); }},
    {"BeamsIntersectingSegment", Kind::kBeam, "get_start_point",
     [](Results& r) {
         return KORVfind_beams_intersecting_segment({5, 0, 0}, {5, 0, 10}, false, r);
     }},
    {"ColumnsBetweenElevs", Kind::kColumn, "get_end_point",
     [](Results& r) { return KORVfind_columns_between_elevs(true, -1, true, 100, r); }},
    {"WallsBetweenElevs", Kind::kWall, "get_end_height",
     [](Results& r) { return KORVfind_walls_between_elevs(true, -1, true, 100, r); }},
    {"BracesBetweenElevs", Kind::kBrace, "get_end_point",
     [](Results& r) { return KORVfind_braces_between_elevs(true, -1, true, 100, r); }},
    {"WallsStartingAtPoint", Kind::kWall, "get_start_point",
     [](Results& r) {
         return KORVfind_walls_starting_or_ending_at_point(kOrigin, AcDbObjectId(), r);
     }},
    {"LayoutColumns", Kind::kColumn, "get_end_point",
     [](Results& r) {
         return KORVfind_layout_columns(kOrigin, {0, 0, 3}, std::list<double>{0, 3}, r);
     }},
    {"LayoutBeams", Kind::kBeam, "get_start_point",
     [](Results& r) {
         return KORVfind_layout_beams(kOrigin, {10, 0, 0}, std::list<double>{3, 6}, r);
     }},
};

class FailingRecordTest : public RegionQueryTest,
                          public ::testing::WithParamInterface<FailingRecordCase> {};

TEST_P(FailingRecordTest, ARecordThatRaisesOrNoLongerOpensIsSkipped) {
    const FailingRecordCase& c = GetParam();
    DrawingBuilder& drawing = open_plan();
    const AcDbObjectId a = make_pair(drawing, c.kind).first;
    Results r;
    ASSERT_TRUE(c.query(r));
    ASSERT_EQ(names(r), "A B");

    // The library raises inside A's test: reported once, A skipped, the walk goes on.
    r.clear();
    host_test::throw_in_library(c.library_call, 1, a);
    EXPECT_TRUE(c.query(r));
    EXPECT_EQ(names(r), "B");
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    expect_host_clean();

    // A was erased from the drawing after the build: its record no longer opens.
    host_test::clear_assertion_reports();
    drawing.erase(a);
    r.clear();
    EXPECT_TRUE(c.query(r));
    EXPECT_EQ(names(r), "B");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, FailingRecordTest, ::testing::ValuesIn(kFailingRecordCases),
                         [](const ::testing::TestParamInfo<FailingRecordCase>& param_info) {
                             return std::string(param_info.param.name);
                         });

// ----- plan rectangles and segments ----------------------------------------------------------

TEST_F(RegionQueryTest, PlaneRectanglesUseEachKindsFlagAndTheReferencesZClip) {
    open_plan();
    column(L"C1", {0, 0, 0}, 3);
    beam(L"B1", {0, 0, 3}, {10, 0, 3});       // half in the window
    brace(L"BR1", {0, 1, 0}, {10, 1, 3});     // half in
    brace(L"BR2", {1, 1.5, 0}, {2, 1.5, 3});  // wholly in
    wall(L"W1", {0, 2, 0}, {10, 2, 0});       // half in
    // Through a reference the clip counts when it runs along Z, with its depths as they are
    // in the referenced drawing. CORE's C7 stands from z 0 to 3 there; every insert puts it
    // 10 higher.
    const AcDbObjectId record = attach_core_c7();
    std::vector<AcDbObjectId> inserts;
    for (int i = 0; i < 4; ++i)
        inserts.push_back(drawing_->insert(record, {{20.0 + 10 * i, 0, 10}}));
    host_test::set_clip(inserts[0], AcGeVector3d::kZAxis, false, 0, true, 5);   // z >= 5: gone
    host_test::set_clip(inserts[1], AcGeVector3d::kXAxis, false, 0, true, 5);   // not along Z
    host_test::set_clip(inserts[2], AcGeVector3d::kZAxis, true, 1, true, 0.5);  // 0.5 to 1
    host_test::set_clip(inserts[3], AcGeVector3d::kZAxis, true, -1, false, 0);  // z <= -1: gone

    const AcGePoint3d c1(-1, -1, 0), c2(5, 3, 0);
    Results r;
    EXPECT_TRUE(KORVfind_columns_in_plane_rectangle(c1, c2, r));
    EXPECT_TRUE(KORVfind_beams_in_plane_rectangle(c1, c2, true, r));
    EXPECT_TRUE(KORVfind_beams_in_plane_rectangle(c1, c2, false, r));
    EXPECT_TRUE(KORVfind_braces_in_plane_rectangle(c1, c2, r));
    EXPECT_TRUE(KORVfind_walls_in_plane_rectangle(c1, c2, r));
    EXPECT_TRUE(KORVfind_columns_in_plane_rectangle({15, -5, 0}, {100, 5, 0}, r));
    ASSERT_EQ(names(r), "C1 B1 BR2 W1 C7@CORE C7@CORE");
    EXPECT_EQ(handles(r), "- - - - - -");
    EXPECT_EQ(std::prev(r.end(), 2)->reference_id, inserts[1]);
    EXPECT_EQ(r.back().reference_id, inserts[2]);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegionQueryTest, SegmentQueriesWithAndWithoutTouchingEnds) {
    open_plan();
    beam(L"B1", {0, 0, 3}, {10, 0, 3});    // along the segment: parallel, never counted
    beam(L"B2", {10, 0, 3}, {10, 10, 3});  // meets it end to end
    beam(L"B3", {5, -5, 3}, {5, 5, 3});    // crosses it
    beam(L"B4", {7, 0, 3}, {7, -5, 3});    // starts on it
    beam(L"B5", {3, 0, 3}, {3, 0, 3});     // no length
    beam(L"B6", {0, 20, 3}, {10, 20, 3});  // far away
    // A quarter turn at double scale: RB runs from (100, 0, 3) to (80, 0, 3).
    const AcDbObjectId record = attach_core([](DrawingBuilder& core) {
        member(core, Kind::kBeam, L"RB", {0, 0, 0}, {0, 10, 0});
    });
    drawing_->insert(record, {{100, 0, 3}, kQuarterTurn, AcGeScale3d(2, 2, 2)});

    auto segment = [&](const AcGePoint3d& s, const AcGePoint3d& e, bool exclude_touching) {
        Results r;
        EXPECT_TRUE(KORVfind_beams_intersecting_segment(s, e, exclude_touching, r));
        EXPECT_EQ(handles(r).find_first_not_of("- "), std::string::npos);
        return names(r);
    };
    EXPECT_EQ(segment({0, 0, 3}, {10, 0, 3}, false), "B2 B3 B4");
    EXPECT_EQ(segment({0, 0, 3}, {10, 0, 3}, true), "B3");
    EXPECT_EQ(segment({90, -1, 3}, {90, 1, 3}, true), "RB@CORE");
    EXPECT_EQ(segment({80, 0, 3}, {80, 5, 3}, true), "");
    EXPECT_EQ(segment({80, 0, 3}, {80, 5, 3}, false), "RB@CORE");

    // A segment without length opens nothing.
    Results r{KORVid_and_filename()};
    const long before = host_test::host_operation_count();
    EXPECT_TRUE(KORVfind_beams_intersecting_segment({5, 0, 3}, {5, 0, 3}, false, r));
    EXPECT_EQ(host_test::host_operation_count(), before);
    EXPECT_EQ(r.size(), 1u);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// ----- elevation bands -----------------------------------------------------------------------

TEST_F(RegionQueryTest, ElevationBoundsExcludeTheirExactEdgesAndCompareEachKindsOwnLevels) {
    open_plan();
    column(L"C1", {0, 0, 0}, 3);
    column(L"C2", {1, 0, 3 - 0.0001}, 6);  // bottom exactly at 3 - 0.0001
    column(L"C3", {2, 0, 3 - 0.0002}, 6);
    column(L"C4", {3, 0, 0}, 3 + 0.0001);  // top exactly at 3 + 0.0001
    column(L"C5", {4, 0, 0}, 3 + 0.0002);
    // CORE's C7 stands from 0 to 3 there, from 10 to 13 here.
    drawing_->insert(attach_core_c7(), {{10, 0, 10}});
    wall(L"W1", {0, 0, 0}, {10, 0, 0}, 5.0002, 2);  // the higher height counts
    wall(L"W2", {0, 1, 0}, {10, 1, 0}, 2, 5 + 0.0001);
    wall(L"W3", {0, 2, 8 - 0.0001}, {10, 2, 8 - 0.0001});
    wall(L"W4", {0, 3, 8 - 0.0002}, {10, 3, 8 - 0.0002});
    brace(L"BR1", {0, 0, 0}, {5, 0, 3.0002});  // mostly below 3
    brace(L"BR2", {0, 1, 0}, {5, 1, 3 + 0.0001});
    brace(L"BR3", {0, 2, 4}, {5, 2, 0});  // its top is its start
    brace(L"BR4", {0, 3, 0}, {5, 3, 6 - 0.0001});
    brace(L"BR5", {0, 4, 0}, {5, 4, 5});

    using Query = bool (*)(bool, double, bool, double, Results&);
    auto between = [&](Query query, bool has_lower, double lower, bool has_upper, double upper) {
        Results r;
        EXPECT_TRUE(query(has_lower, lower, has_upper, upper, r));
        return names(r);
    };
    const Query columns = KORVfind_columns_between_elevs, walls = KORVfind_walls_between_elevs,
                braces = KORVfind_braces_between_elevs;
    EXPECT_EQ(between(columns, false, 0, true, 3), "C1 C3 C4 C5");
    EXPECT_EQ(between(columns, true, 3, false, 0), "C2 C3 C5 C7@CORE");
    EXPECT_EQ(between(columns, true, 3, true, 6), "C2 C3 C5");
    EXPECT_EQ(between(columns, false, 99, false, -99), "C1 C2 C3 C4 C5 C7@CORE");
    EXPECT_EQ(between(columns, true, 12.5, true, 10), "");
    EXPECT_EQ(between(columns, true, 12.5, true, 10.0002), "C7@CORE");
    EXPECT_EQ(between(walls, true, 5, false, 0), "W1 W3 W4");
    EXPECT_EQ(between(walls, false, 0, true, 8), "W1 W2 W4");
    // Both bounds are compared with the brace's top, even the upper one.
    EXPECT_EQ(between(braces, true, 3, false, 0), "BR1 BR3 BR4 BR5");
    EXPECT_EQ(between(braces, false, 0, true, 6), "BR1 BR2 BR3 BR5");
    EXPECT_EQ(between(braces, true, 3, true, 6), "BR1 BR3 BR5");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// A referenced brace is judged by its own top, in its own drawing, with the bounds moved
// there: BRC rises from 0 to 4 in CORE, from 10 to 14 here.
TEST_F(RegionQueryTest, ABraceOfARaisedReferenceIsJudgedByItsOwnTop) {
    open_plan();
    drawing_->insert(attach_core([](DrawingBuilder& core) {
                         member(core, Kind::kBrace, L"BRC", {0, 5, 0}, {5, 5, 4});
                     }),
                     {{3, 0, 10}});
    auto between = [](bool has_lower, double lower, bool has_upper, double upper) {
        Results r;
        EXPECT_TRUE(KORVfind_braces_between_elevs(has_lower, lower, has_upper, upper, r));
        return names(r);
    };
    EXPECT_EQ(between(true, 13.9, false, 0), "BRC@CORE");
    EXPECT_EQ(between(true, 14.1, false, 0), "");
    EXPECT_EQ(between(false, 0, true, 14.1), "BRC@CORE");
    EXPECT_EQ(between(false, 0, true, 13.9), "");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegionQueryTest, LateralBeamsComeOnlyFromReferencesWithAnInclusiveUpperBound) {
    open_plan();
    beam(L"OB", {0, 0, 13}, {10, 0, 13}, true);  // the drawing's own: never listed
    AcDbObjectId lb;
    const AcDbObjectId record = attach_core([&](DrawingBuilder& core) {
        lb = member(core, Kind::kBeam, L"LB", {0, 0, 3}, {10, 0, 3}, true);
        member(core, Kind::kBeam, L"NB", {0, 1, 3}, {10, 1, 3});
        member(core, Kind::kBeam, L"LB2", {0, 2, 5}, {10, 2, 5}, true);
        member(core, Kind::kBeam, L"LB3", {0, 3, 0}, {10, 3, 2.5}, true);
    });
    drawing_->insert(record, {{0, 0, 10}});  // z 3 there is 13 here

    auto lateral = [&](double lower, bool has_upper, double upper) {
        Results r;
        EXPECT_TRUE(KORVfind_lat_beams_between_elevs(lower, has_upper, upper, r));
        EXPECT_EQ(handles(r).find_first_not_of("- "), std::string::npos);
        return names(r);
    };
    // LB's ends lie above the upper bound by less than the tolerance: still inside.
    EXPECT_EQ(lateral(12, true, 13 - 0.00005), "LB@CORE LB3@CORE");
    EXPECT_EQ(lateral(12, true, 13 - 0.0002), "LB3@CORE");
    EXPECT_EQ(lateral(12, false, 0), "LB@CORE LB2@CORE LB3@CORE");
    // The lower bound always applies, exclusively.
    EXPECT_EQ(lateral(13 - 0.0002, false, 0), "LB@CORE LB2@CORE");
    EXPECT_EQ(lateral(13, false, 0), "LB2@CORE");

    host_test::throw_in_library("is_lateral", 1, lb);
    EXPECT_EQ(lateral(12, false, 0), "LB2@CORE LB3@CORE");
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
}

// ----- walls at a point and layout copies ----------------------------------------------------

TEST_F(RegionQueryTest, WallsAtAPointUseTheLengthToleranceOfTheWallsOwnDrawing) {
    open_plan();
    wall(L"W1", {0.5, 0, 0}, {10, 0, 0});  // starts exactly at the tolerance's distance
    wall(L"W2", {0, 10, 0}, {0, 0.5, 0});  // ends there
    wall(L"W3", {0.5001, 0, 0}, {0, -10, 0});
    wall(L"W4", {0, 0, 0}, {0, 0, 0});  // both ends at the point
    const AcDbObjectId w5 = wall(L"W5", {0, 0, 0}, {-10, 0, 0});
    AcDbDatabase* core_database = nullptr;
    const AcDbObjectId record = attach_core([&](DrawingBuilder& core) {
        wall(core, L"RW", {0, 0, 0}, {0, 10, 0});
        core_database = core.database();
    });
    drawing_->insert(record, {{0.3, 0, 0}});  // RW starts at (0.3, 0, 0)
    KORVset_database_length_tolerance(database(), 0.5);

    auto at_origin = [&](AcDbObjectId exclude) {
        Results r;
        EXPECT_TRUE(KORVfind_walls_starting_or_ending_at_point({0, 0, 0}, exclude, r));
        EXPECT_EQ(handles(r).find_first_not_of("- "), std::string::npos);
        return names(r);
    };
    // Starting walls first, then ending ones; CORE's own tolerance is still the default.
    EXPECT_EQ(at_origin(w5), "W1 W4 W2 W4");
    EXPECT_EQ(at_origin(AcDbObjectId()), "W1 W4 W5 W2 W4");
    KORVset_database_length_tolerance(core_database, 0.5);
    EXPECT_EQ(at_origin(w5), "W1 W4 RW@CORE W2 W4");
    KORVset_database_length_tolerance(database(), 0.0);  // back to the default
    EXPECT_EQ(at_origin(w5), "W4 RW@CORE W4");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegionQueryTest, LayoutCopiesMatchEachElevationInTurn) {
    open_plan();
    column(L"C1", {0, 0, 0}, 3);
    column(L"C2", {0, 0, 3}, 6);
    column(L"C3", {0, 0, 6}, 9);
    column(L"C4", {5, 0, 0}, 3);
    member(*drawing_, Kind::kColumn, L"C5", {0, 0, 6}, {0, 0, 3});  // upside down
    beam(L"B1", {0, 0, 3}, {5, 0, 3});
    beam(L"B2", {0, 0, 6}, {5, 0, 6});
    beam(L"B3", {5, 0, 9}, {0, 0, 9});
    const AcDbObjectId record = attach_core_c7();
    const AcDbObjectId first = drawing_->insert(record, {{10, 0, 0}});
    const AcDbObjectId second = drawing_->insert(record, {{20, 0, 0}, kQuarterTurn});

    auto columns = [&](const AcGePoint3d& s, const AcGePoint3d& e, std::list<double> levels) {
        Results r;
        EXPECT_TRUE(KORVfind_layout_columns(s, e, levels, r));
        EXPECT_EQ(handles(r).find_first_not_of("- "), std::string::npos);
        return r;
    };
    // Once per matching elevation, records in key order.
    EXPECT_EQ(names(columns({0, 0, 0}, {0, 0, 3}, {3, 6, 3, 12})), "C2 C2 C3");
    EXPECT_EQ(names(columns({0, 0, 0}, {0, 0, 3}, {0})), "C1");
    EXPECT_EQ(names(columns({0, 0, 0}, {0, 0, 3}, {})), "");
    Results seen = columns({11, 1, 0}, {11, 1, 3}, {0, 3});
    EXPECT_EQ(names(seen), "C7@CORE");
    EXPECT_EQ(seen.front().reference_id, first);
    seen = columns({19, 1, -5}, {19, 1, -2}, {5});
    EXPECT_EQ(names(seen), "C7@CORE");
    EXPECT_EQ(seen.front().reference_id, second);

    Results beams;
    EXPECT_TRUE(KORVfind_layout_beams({0, 0, 0}, {5, 0, 0}, {3, 6, 9}, beams));
    EXPECT_EQ(names(beams), "B1 B2");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// ----- references placed with a rotation and a scale -----------------------------------------

// Many random placements of one reference: a small window drawn in the host's coordinates
// around where the reference's column lands finds exactly that column through that insert,
// in plan and in an elevation view, and a window beside it finds nothing.
TEST_F(RegionQueryTest, AColumnOfARotatedScaledReferenceIsFoundWhereItLands) {
    open_plan();
    AcDbObjectId c7;
    const AcDbObjectId record = attach_core([&](DrawingBuilder& core) {
        c7 = member(core, Kind::kColumn, L"C7", {1, 1, 0}, {1, 1, 3});
        member(core, Kind::kColumn, L"C8", {6, 0, 0}, {6, 0, 3});
    });

    std::mt19937 random(20240611u);
    std::uniform_real_distribution<double> across(-5000, 5000), height(-50, 50),
        turn(0, 2 * std::numbers::pi), scale(0.5, 3.0);
    std::vector<AcDbObjectId> inserts;
    for (int i = 0; i < 25; ++i) {
        const double s = scale(random);
        inserts.push_back(
            drawing_->insert(record, {{across(random), across(random), height(random)},
                                      turn(random),
                                      AcGeScale3d(s, s, scale(random))}));
    }

    const std::string c7_handle = handle_texts({c7});
    const double h = 0.5;
    for (const AcDbObjectId& insert : inserts) {
        AcGeMatrix3d placed;
        {
            AcDbObjectPointer<AcDbBlockReference> reference(insert, AcDb::kForRead);
            ASSERT_EQ(reference.openStatus(), Acad::eOk);
            placed = reference->blockTransform();
        }
        const AcGePoint3d p = placed * AcGePoint3d(1, 1, 0), top = placed * AcGePoint3d(1, 1, 3);
        const double mid = (p.z + top.z) / 2;
        SCOPED_TRACE("insert landing at " + std::to_string(p.x) + ", " + std::to_string(p.y));
        auto expect = [&](const Window& w, bool found) {
            Results r;
            EXPECT_TRUE(columns_in(w, r));
            EXPECT_EQ(names(r), found ? "C7@CORE" : "");
            EXPECT_EQ(handles(r), found ? c7_handle : "");
            EXPECT_TRUE(!found || (r.size() == 1 && r.front().reference_id == insert));
        };
        const Window plan({p.x - h, p.y - h, 0}, {p.x + h, p.y + h, 0});
        expect(plan, true);
        expect(Window(plan).inside(), true);
        // A depth band through the column in the host's z, and one above it.
        expect(Window(plan).back(mid - 0.1).front(mid + 0.1), true);
        expect(Window(plan).back(top.z + 0.5).front(top.z + 1), false);
        expect(Window({p.x + 1, p.y - h, 0}, {p.x + 2, p.y + h, 0}), false);

        // Seen from the side along Y, cut to a slab around the column's y.
        const Window side = Window({p.x - h, p.y, mid - h}, {p.x + h, p.y, mid + h})
                                .along({0, 1, 0})
                                .back(p.y - 0.5)
                                .front(p.y + 0.5);
        expect(side, true);
        expect(Window(side).back(p.y + 0.25), false);
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

}  // namespace
