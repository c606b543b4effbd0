// Structural drawings through drawing files: every library class files its own data, the
// clips of inserts travel with them, references between members survive, and a class no
// loaded library defines is kept whole.
#include "StdAfx.h"

#include <host_test/read_repairs.h>
#include <host_test/structure_builder.h>

#include <string_view>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "ezdxf_runner.h"
#include "host_fixture.h"
#include "korvdbx.h"

using host_test::DrawingBuilder;

namespace {

// Every byte of the GUID: a round trip must keep them all.
std::string guid_text(const GUID& guid) {
    std::string text;
    for (unsigned char byte : std::string_view(reinterpret_cast<const char*>(&guid), sizeof guid)) {
        text += std::to_string(byte) + ".";
    }
    return text;
}

// What the library's entities hold, for the drawing dump.
std::string structural_text(const AcDbEntity* entity) {
    std::string text;
    if (auto* member = KORVLinear_structural_member::cast(entity)) {
        std::list<GUID> guids;
        member->get_Vanta_guids(guids);
        text += " kind=" + std::to_string(member->kind()) +
                " material=" + std::to_string(member->material()) +
                " name=" + drawing_dump::narrow(member->get_full_member_name(true)) +
                " imported=" + std::to_string(member->get_imported()) +
                " axis=" + drawing_dump::point(member->get_start_point(false)) + "-" +
                drawing_dump::point(member->get_end_point(false));
        for (const GUID& guid : guids) text += " guid=" + guid_text(guid);
        if (const KORVConcrete_member_data* data = member->get_concrete_data())
            text += " data=" + drawing_dump::handle(data->get_id());
    }
    if (auto* wall = KORVWall_3::cast(entity)) {
        text += " heights=" + drawing_dump::real(wall->get_start_height(false)) + "," +
                drawing_dump::real(wall->get_end_height(false));
    }
    if (auto* plan = KORVConcrete_lateral_beam_plan_rep::cast(entity)) {
        AcGePoint3d start, end;
        AcGeMatrix3d start_frame, end_frame;
        if (plan->get_end_points(false, start, end, start_frame, end_frame)) {
            text += " ends=" + drawing_dump::point(start) + "-" + drawing_dump::point(end);
        }
        text += " of=" + std::to_string(plan->get_member_ref().get_handle());
    }
    if (auto* beamline = KORVConcrete_beamline::cast(entity)) {
        AcGePoint3d start, end;
        if (beamline->get_positive_orientation_start_point(start))
            text += " start=" + drawing_dump::point(start);
        if (beamline->get_positive_orientation_end_point(end))
            text += " end=" + drawing_dump::point(end);
        text += " mark=" + drawing_dump::narrow(beamline->get_mark()) +
                " kind=" + std::to_string(beamline->get_kind_flag());
    }
    if (auto* reinforcement = KORVWall_reinforcement::cast(entity)) {
        AcGePoint3d first, second;
        if (reinforcement->get_wall_linear_geometry(first, second)) {
            text += " line=" + drawing_dump::point(first) + "-" + drawing_dump::point(second);
        }
        std::deque<AcDbObjectId> hosts;
        reinforcement->get_hosts_ids(hosts);
        for (const AcDbObjectId& host : hosts) text += " host=" + drawing_dump::handle(host);
    }
    if (auto* edge = KORVSlab_edge::cast(entity)) {
        text += " edge=" + drawing_dump::point(edge->start_point()) + "-" +
                drawing_dump::point(edge->end_point());
    }
    if (auto* line = dynamic_cast<const KORVGrid_line_parent*>(entity)) {
        text += " system=" + drawing_dump::narrow(line->grid_system_name()) +
                " label=" + drawing_dump::narrow(line->label());
    }
    if (auto* line = dynamic_cast<const KORVMaster_grid_line*>(entity)) {
        text += " line=" + drawing_dump::point(line->start_point()) + "-" +
                drawing_dump::point(line->end_point());
    }
    if (auto* line = dynamic_cast<const KORVTrimmed_master_grid_line*>(entity)) {
        text += " trims=" + drawing_dump::real(line->start_trim()) + "," +
                drawing_dump::real(line->end_trim());
    }
    if (auto* line = dynamic_cast<const KORVRadial_grid_line*>(entity)) {
        text += " center=" + drawing_dump::point(line->center());
    }
    if (auto* line = dynamic_cast<const KORVCircle_grid_line*>(entity)) {
        text += " circle=" + drawing_dump::point(line->center()) + "/" +
                drawing_dump::real(line->radius());
    }
    if (auto* callout = KORVRectangular_grid_callout::cast(entity)) {
        AcGePoint3d corner1, corner2;
        callout->get_corners(corner1, corner2);
        text += " grid=" + drawing_dump::narrow(callout->get_name()) + " " +
                drawing_dump::point(corner1) + "-" + drawing_dump::point(corner2);
    }
    if (auto* elevation = KORVElevation2_0::cast(entity)) {
        AcGePoint3d start, end;
        elevation->get_line(start, end);
        text += " elevation=" + drawing_dump::narrow(elevation->get_name()) + " " +
                drawing_dump::point(start) + "-" + drawing_dump::point(end);
    }
    if (auto* insert = AcDbBlockReference::cast(entity)) {
        AcGeVector3d normal;
        bool front = false, back = false;
        double front_depth = 0, back_depth = 0;
        if (KORVget_clip_depth_values(insert, normal, front, front_depth, back, back_depth)) {
            text += " clip=" + drawing_dump::vector(normal) + std::to_string(front) + "/" +
                    drawing_dump::real(front_depth) + "," + std::to_string(back) + "/" +
                    drawing_dump::real(back_depth);
        }
    }
    return text;
}

// The entities, then the levels of the level dictionary.
std::string dump(AcDbDatabase* db) {
    std::string text = drawing_dump::dump_drawing(db, structural_text);
    std::list<KORVLevel> levels;
    KORVLevel::find_levels_in_dictionary(db, levels);
    for (const KORVLevel& level : levels) {
        text += "level " + drawing_dump::narrow(level.get_name()) + " " +
                drawing_dump::real(level.get_elevation()) + "\n";
    }
    return text;
}

class StructuralFiles : public HostTest {
protected:
    std::unique_ptr<AcDbDatabase> save_and_read(AcDbDatabase* db, const std::string& name) {
        EXPECT_EQ(db->saveAs(folder.wpath(name).c_str()), Acad::eOk);
        auto back = std::make_unique<AcDbDatabase>(false, true);
        EXPECT_EQ(back->readDwgFile(folder.wpath(name).c_str()), Acad::eOk);
        return back;
    }

    // Members of every kind, named, with sections and GUIDs, a wall with its reinforcement,
    // a plan rep, a slab edge, and a block holding a member inserted with a clip.
    static void build_structure(DrawingBuilder& drawing) {
        host_test::add_member(drawing, {.start = AcGePoint3d(0, 0, 0),
                                        .end = AcGePoint3d(0, 0, 3.5),
                                        .name = L"C12",
                                        .section = L"W12X40",
                                        .guids = {host_test::make_guid(1), host_test::make_guid(2)},
                                        .layer = L"Columns"});
        const AcDbObjectId b7 =
            host_test::add_beam(drawing, L"B7", AcGePoint3d(0, 0, 3.5), AcGePoint3d(6, 0, 3.5),
                                KORVLinear_structural_member::kConcrete);
        host_test::add_brace(drawing, L"X1", AcGePoint3d(0, 0, 0), AcGePoint3d(6, 0, 3.5));
        const AcDbObjectId wall =
            host_test::add_wall(drawing, L"W1", AcGePoint3d(0, 5, 0), AcGePoint3d(6, 5, 0), 3.0);
        const AcDbObjectId other =
            host_test::add_wall(drawing, L"W2", AcGePoint3d(6, 5, 0), AcGePoint3d(6, 9, 0), 2.5);
        host_test::add_wall_reinforcement(drawing, AcGePoint3d(0, 5, 0), AcGePoint3d(6, 9, 0),
                                          {wall, other});
        host_test::add_plan_rep(drawing, AcGePoint3d(1, 1, 0), AcGePoint3d(4, 1, 0));
        host_test::add_slab_edge(drawing, AcGePoint3d(0, 0, 3.5), AcGePoint3d(6, 0, 3.5));
        host_test::add_master_grid_line(drawing, L"Main", L"A", {0, -2, 0}, {0, 10, 0});
        host_test::add_trimmed_master_grid_line(drawing, L"Main", L"1", {-2, 0, 0}, {8, 0, 0}, 1.5,
                                                6.25);
        host_test::add_radial_grid_line(drawing, L"Rotunda", L"R1", {30, 0, 0}, {32, 0, 0},
                                        {40, 0, 0});
        host_test::add_circle_grid_line(drawing, L"", L"C1", {30, 0, 0}, 7.5);
        host_test::add_beam_plan_rep(drawing, b7, true);
        // B7's concrete data names a beamline drawn after it; the second has no end.
        host_test::set_concrete_data(
            b7, host_test::add_concrete_beamline(drawing, {6, 0, 3.5}, {0, 0, 3.5}, L"CB1", true));
        host_test::add_concrete_beamline(drawing, {0, 9, 3.5}, AcGePoint3d::kOrigin, L"");
        const AcDbObjectId block = drawing.define_block(L"Bay");
        host_test::MemberPlan post;
        post.name = L"P1";
        post.end = AcGePoint3d(0, 0, 2);
        host_test::add_member(drawing, post, block);
        const AcDbObjectId insert =
            drawing.insert(block, host_test::Placement{AcGePoint3d(20, 0, 0), 0.3});
        host_test::set_clip(insert, AcGeVector3d(0, 0, 1), true, 1.25, false, -2.0);
        drawing.insert(block);  // no clip
        host_test::add_level(drawing, L"Ground", 0.0);
        host_test::add_level(drawing, L"Level 2", 3.5);
        host_test::add_grid_callout(drawing, L"A-C/1-3", AcGePoint3d(0, 0, 0),
                                    AcGePoint3d(6, 9, 0));
        host_test::add_elevation_grid(drawing, L"South", AcGePoint3d(0, 0, 0),
                                      AcGePoint3d(6, 0, 0));
    }

    dxf_files::ScratchFolder folder;
};

// ref.dxf holds every kind of structure and inserts nested.dxf; the host inserts it twice.
TEST_F(StructuralFiles, StructuresAndReferencesToThemInsertedTwiceAndNestedReadBackEqual) {
    auto nested = host_test::new_drawing();
    DrawingBuilder nested_drawing(nested.get());
    host_test::add_column(nested_drawing, L"N1", AcGePoint3d(1, 1, 0), 3.0);
    auto ref = host_test::new_drawing();
    DrawingBuilder ref_drawing(ref.get());
    build_structure(ref_drawing);
    ref_drawing.insert(
        ref_drawing.attach_xref(L"N", L"nested.dxf", save_and_read(nested.get(), "nested.dxf")));
    const std::string before = dump(ref.get());
    EXPECT_NE(before.find("guid="), std::string::npos) << before;
    EXPECT_NE(before.find("clip="), std::string::npos) << before;
    EXPECT_NE(before.find("edge=(0,0,3.5)-(6,0,3.5)"), std::string::npos) << before;
    EXPECT_NE(before.find("system=Main label=1 line=(-2,0,0)-(8,0,0) trims=1.5,6.25"),
              std::string::npos)
        << before;
    EXPECT_NE(before.find("level Level 2 3.5"), std::string::npos) << before;
    EXPECT_NE(before.find("grid=A-C/1-3"), std::string::npos) << before;
    EXPECT_NE(before.find("elevation=South"), std::string::npos) << before;
    EXPECT_NE(before.find("data="), std::string::npos) << before;
    EXPECT_NE(before.find("mark=CB1 kind=1"), std::string::npos) << before;
    auto back = save_and_read(ref.get(), "ref.dxf");
    EXPECT_EQ(dump(back.get()), before);
    EXPECT_EQ(dump(save_and_read(back.get(), "again.dxf").get()), before);
    if (ezdxf_runner::available()) {
        EXPECT_EQ(ezdxf_runner::audit({folder.path("ref.dxf")}), "ref.dxf errors=0 fixes=0\n");
    }

    auto host = host_test::new_drawing();
    DrawingBuilder host_drawing(host.get());
    const AcDbObjectId xref = host_drawing.attach_xref(L"REF", L"ref.dxf", std::move(back));
    host_drawing.insert(xref);
    host_drawing.insert(xref,
                        host_test::Placement{AcGePoint3d(0, 50, 0), 0, AcGeScale3d(-1, 1, 1)});
    const std::string host_before = dump(host.get());
    EXPECT_NE(host_before.find("name=N1"), std::string::npos) << host_before;
    EXPECT_EQ(dump(save_and_read(host.get(), "host.dxf").get()), host_before);
}

TEST_F(StructuralFiles, AClassNoLibraryDefinesIsKeptWithItsClassEntry) {
    const std::string text =
        "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1032\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nCLASSES\n  0\nCLASS\n  1\nKORVFUTURE\n  2\nKORVFuture_thing\n"
        "  3\nKORVDBX\n 90\n0\n 91\n1\n280\n0\n281\n1\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n  0\nKORVFUTURE\n  5\n50\n100\nAcDbEntity\n  8\n0\n"
        "100\nKORVFuture_thing\n 40\n2.5\n  0\nENDSEC\n  0\nEOF\n";
    dxf_files::write_text(folder.path("future.dxf"), text);
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(folder.wpath("future.dxf").c_str()), Acad::eOk);
    EXPECT_NE(dump(&db).find("AcDbProxyEntity h=50 layer=0 color=256 lw=-1 of=KORVFUTURE items=2"),
              std::string::npos)
        << dump(&db);
    ASSERT_EQ(db.saveAs(folder.wpath("kept.dxf").c_str()), Acad::eOk);
    const std::string kept = dxf_files::read_text(folder.path("kept.dxf"));
    EXPECT_NE(kept.find("  0\nCLASS\n  1\nKORVFUTURE\n  2\nKORVFuture_thing\n  3\nKORVDBX\n"),
              std::string::npos);
    EXPECT_NE(kept.find("100\nKORVFuture_thing\n 40\n2.5\n"), std::string::npos);
}

TEST_F(StructuralFiles, MalformedLibraryDataFailsTheRead) {
    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    const AcDbObjectId wall =
        host_test::add_wall(drawing, L"W1", AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0), 3.0);
    host_test::add_wall_reinforcement(drawing, AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0), {wall});
    host_test::add_level(drawing, L"L1", 2.5);
    host_test::add_beam_plan_rep(drawing, wall);
    ASSERT_EQ(db->saveAs(folder.wpath("good.dxf").c_str()), Acad::eOk);
    const std::string good = dxf_files::read_text(folder.path("good.dxf"));
    const std::string wall_handle = drawing_dump::handle(wall);
    struct Damage {
        const char* what;
        std::string from, to;
        Acad::ErrorStatus expected;
    } damages[] = {
        {"kind out of range", "100\nKORVLinear_structural_member\n 70\n3\n",
         "100\nKORVLinear_structural_member\n 70\n9\n", Acad::eBadDxfSequence},
        {"GUID-less text", "W1\n  3\n\n 90\n0\n 91\n0\n",
         "W1\n  3\n\n 90\n1\n 91\n1\n300\nnot a guid\n", Acad::eBadDxfSequence},
        // A dangling reference is no damage to refuse: it reads as none, noted as a repair.
        {"host that is not there", "330\n" + wall_handle + "\n  0\n", "330\nFFFF\n  0\n",
         Acad::eOk},
        {"level without its elevation", "  1\nL1\n 40\n2.5\n", "  1\nL1\n  1\n2.5\n",
         Acad::eBadDxfSequence},
        {"more levels than filed", "100\nKORVLevel_dictionary\n 90\n1\n",
         "100\nKORVLevel_dictionary\n 90\n2\n", Acad::eBadDxfSequence},
        {"negative height", "100\nKORVWall_3\n 40\n3.0\n", "100\nKORVWall_3\n 40\n-3.0\n",
         Acad::eBadDxfSequence},
        {"member handle that is no handle", "320\n" + wall_handle + "\n", "320\nW1\n",
         Acad::eBadDxfSequence},
    };
    for (const Damage& damage : damages) {
        std::string text = good;
        const size_t at = text.find(damage.from);
        ASSERT_NE(at, std::string::npos) << damage.what;
        text.replace(at, damage.from.size(), damage.to);
        dxf_files::write_text(folder.path("bad.dxf"), text);
        AcDbDatabase bad(false, true);
        EXPECT_EQ(bad.readDwgFile(folder.wpath("bad.dxf").c_str()), damage.expected) << damage.what;
        EXPECT_EQ(host_test::read_repairs(&bad).size(), damage.expected == Acad::eOk ? 1u : 0u)
            << damage.what;
        expect_host_clean();
    }
}

}  // namespace
