#include "sample_building.h"

#include "schedule_sheet.h"

#include <dbents.h>  // before dbobjptr.h, which names AcDbBlockReference
#include <dbobjptr.h>
#include <host_test/structure_builder.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace korv_sample {
namespace {

using host_test::DrawingBuilder;
using Member = KORVLinear_structural_member;

constexpr double kStorey = 4.0;
constexpr double kGridX[] = {0.0, 6.0, 12.0};
constexpr double kGridY[] = {0.0, 8.0};

// Identifiers of the analysis model's objects the imported members stand for.
constexpr GUID kColumnGuid = {
    0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
constexpr GUID kBeamGuid = {
    0x7C9E6679, 0x7425, 0x40DE, {0x94, 0x4B, 0xE0, 0x7F, 0xC1, 0xF9, 0x0A, 0xE7}};
constexpr GUID kWallGuid = {
    0x3F2504E0, 0x4F89, 0x11D3, {0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01}};

std::wstring numbered(const wchar_t* prefix, int number) {
    return prefix + std::to_wstring(number);
}

// What the builder does not set: the lateral flag, and the GUIDs of a wall.
void make_lateral(AcDbObjectId id) {
    AcDbObjectPointer<Member> member(id, AcDb::kForWrite);
    if (member.openStatus() == Acad::eOk) member->set_lateral(true);
}

void import_as(AcDbObjectId id, const GUID& guid) {
    AcDbObjectPointer<Member> member(id, AcDb::kForWrite);
    if (member.openStatus() == Acad::eOk) member->set_imported(1, {guid});
}

// ----- the stair ---------------------------------------------------------------------------

std::unique_ptr<AcDbDatabase> stair_drawing() {
    auto drawing = host_test::new_drawing();
    DrawingBuilder stair(drawing.get());
    host_test::add_brace(stair, L"BR201", {0, 0, 0}, {0, 2.5, 2});
    host_test::add_beam(stair, L"B201", {0, 2.5, 2}, {2, 2.5, 2});
    host_test::add_brace(stair, L"BR202", {2, 2.5, 2}, {2, 0, 4});
    return drawing;
}

// ----- the stair core ----------------------------------------------------------------------

std::unique_ptr<AcDbDatabase> core_drawing(std::unique_ptr<AcDbDatabase> stair) {
    auto drawing = host_test::new_drawing();
    DrawingBuilder core(drawing.get());
    const AcGePoint3d corners[] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {4, 4, 0}};
    int number = 101;
    for (const AcGePoint3d& corner : corners)
        host_test::add_column(core, numbered(L"C", number++), corner, 3 * kStorey,
                              Member::kConcrete);
    number = 101;
    for (int level = 1; level <= 3; ++level) {
        const double z = level * kStorey;
        for (double y : {0.0, 4.0}) {
            make_lateral(host_test::add_beam(core, numbered(L"B", number++), {0, y, z}, {4, y, z},
                                             Member::kConcrete));
        }
    }
    host_test::add_wall(core, L"W101", {4, 0, 0}, {4, 4, 0}, 3 * kStorey);
    const AcDbObjectId record = core.attach_xref(L"STAIR", L"stair.dxf", std::move(stair));
    core.insert(record, {{0.5, 0.5, 0}});
    // The roof slab over the core, outlined in plain lines on the slab edge layer.
    const AcGePoint3d roof[] = {
        {0, 0, 3 * kStorey}, {4, 0, 3 * kStorey}, {4, 4, 3 * kStorey}, {0, 4, 3 * kStorey}};
    for (int side = 0; side < 4; ++side) {
        core.add(new AcDbLine(roof[side], roof[(side + 1) % 4]),
                 KORVSlab_edge::get_default_layer_name());
    }
    return drawing;
}

// ----- the building ------------------------------------------------------------------------

std::vector<AcDbObjectId> add_columns(DrawingBuilder& building) {
    std::vector<AcDbObjectId> columns;
    for (int storey = 0; storey < 3; ++storey) {
        const auto material = storey == 0 ? Member::kConcrete : Member::kSteel;
        for (double y : kGridY) {
            for (double x : kGridX) {
                const int number = static_cast<int>(columns.size()) + 1;
                columns.push_back(host_test::add_column(
                    building, numbered(L"C", number), {x, y, storey * kStorey}, kStorey, material));
            }
        }
    }
    return columns;
}

// Per level: the four beams along x (grid y = 0 first), then the three along y. The two on
// grid y = 0 at level 4 are the concrete lateral beams.
std::vector<AcDbObjectId> add_beams(DrawingBuilder& building) {
    std::vector<AcDbObjectId> beams;
    auto add = [&](const AcGePoint3d& start, const AcGePoint3d& end, Member::Material material) {
        const int number = static_cast<int>(beams.size()) + 1;
        beams.push_back(
            host_test::add_beam(building, numbered(L"B", number), start, end, material));
        return beams.back();
    };
    for (int level = 1; level <= 3; ++level) {
        const double z = level * kStorey;
        for (double y : kGridY) {
            for (int bay = 0; bay < 2; ++bay) {
                const bool lateral = level == 1 && y == 0.0;
                const AcDbObjectId beam = add({kGridX[bay], y, z}, {kGridX[bay + 1], y, z},
                                              lateral ? Member::kConcrete : Member::kSteel);
                if (lateral) make_lateral(beam);
            }
        }
        for (double x : kGridX) add({x, 0, z}, {x, 8, z}, Member::kSteel);
    }
    return beams;
}

void add_braces(DrawingBuilder& building) {
    for (int storey = 0; storey < 3; ++storey) {
        const double from_x = storey % 2 == 0 ? 0.0 : 6.0;
        host_test::add_brace(building, numbered(L"BR", storey + 1), {from_x, 8, storey * kStorey},
                             {6.0 - from_x, 8, (storey + 1) * kStorey});
    }
}

// Returns W1.
AcDbObjectId add_walls_and_assemblies(DrawingBuilder& building, AcDbObjectId b1) {
    const AcDbObjectId w1 = host_test::add_wall(building, L"W1", {0, 0, 0}, {6, 0, 0}, kStorey);
    host_test::add_wall(building, L"W2", {12, 0, 0}, {12, 8, 0}, kStorey);
    host_test::add_beam_plan_rep(building, b1);
    host_test::add_wall_reinforcement(building, {0, 0, 0}, {6, 0, 0}, {w1});
    return w1;
}

// The frame's rectangular grid system: lines 1-3 on x = 0, 6, 12 and A on y = 0, all from
// 2 before the frame to 2 past it; B on y = 8 is drawn only over the frame's length. The
// canopy's radial grid system about (6, 14, 0): rays R1-R3 at 45, 90 and 135 degrees from
// radius 2 to 8, and circles C1 and C2 of radius 4 and 8.
void add_grid_systems(DrawingBuilder& building) {
    int number = 1;
    for (double x : kGridX)
        host_test::add_master_grid_line(building, L"FRAME", numbered(L"", number++), {x, -2, 0},
                                        {x, 10, 0});
    host_test::add_master_grid_line(building, L"FRAME", L"A", {-2, 0, 0}, {14, 0, 0});
    host_test::add_trimmed_master_grid_line(building, L"FRAME", L"B", {-2, 8, 0}, {14, 8, 0}, 2,
                                            14);
    const AcGePoint3d center(6, 14, 0);
    for (int ray = 1; ray <= 3; ++ray) {
        const double angle = ray * std::numbers::pi / 4;
        const AcGeVector3d direction(std::cos(angle), std::sin(angle), 0);
        host_test::add_radial_grid_line(building, L"CANOPY", numbered(L"R", ray), center,
                                        center + 2 * direction, center + 8 * direction);
    }
    host_test::add_circle_grid_line(building, L"CANOPY", L"C1", center, 4);
    host_test::add_circle_grid_line(building, L"CANOPY", L"C2", center, 8);
}

// A level at each storey's floor and one at the roof; the frame's plan grid callout and the
// elevation grids of its two long sides.
void add_levels_and_grids(DrawingBuilder& building) {
    host_test::add_level(building, L"Level 1", 0.0);
    host_test::add_level(building, L"Level 2", kStorey);
    host_test::add_level(building, L"Level 3", 2 * kStorey);
    host_test::add_level(building, L"Roof", 3 * kStorey);
    host_test::add_grid_callout(building, L"Frame grid", {kGridX[0], kGridY[0], 0},
                                {kGridX[2], kGridY[1], 0});
    host_test::add_elevation_grid(building, L"South elevation", {kGridX[0], kGridY[0], 0},
                                  {kGridX[2], kGridY[0], 0});
    host_test::add_elevation_grid(building, L"North elevation", {kGridX[0], kGridY[1], 0},
                                  {kGridX[2], kGridY[1], 0});
}

// The marked concrete beamlines: CB1 (a girder line) along grid y = 0 at level 4, whose
// concrete data B1 and B2 carry, and CB2 along grid y = 8 at level 8; B2's plan rep.
void add_concrete_beamlines(DrawingBuilder& building, AcDbObjectId b1, AcDbObjectId b2) {
    const AcDbObjectId cb1 =
        host_test::add_concrete_beamline(building, {0, 0, kStorey}, {12, 0, kStorey}, L"CB1", true);
    host_test::add_concrete_beamline(building, {0, 8, 2 * kStorey}, {12, 8, 2 * kStorey}, L"CB2");
    host_test::set_concrete_data(b1, cb1);
    host_test::set_concrete_data(b2, cb1);
    host_test::add_beam_plan_rep(building, b2);
}

std::unique_ptr<AcDbDatabase> building_drawing(std::unique_ptr<AcDbDatabase> core) {
    auto drawing = host_test::new_drawing();
    DrawingBuilder building(drawing.get());
    import_as(add_columns(building).front(), kColumnGuid);
    const std::vector<AcDbObjectId> beams = add_beams(building);
    import_as(beams.front(), kBeamGuid);
    add_braces(building);
    import_as(add_walls_and_assemblies(building, beams[0]), kWallGuid);
    const AcDbObjectId record = building.attach_xref(L"CORE", L"core.dxf", std::move(core));
    building.insert(record, {{14, 2, 0}});
    building.insert(record, {{-2, 2, 0}, std::numbers::pi / 2});
    // A floor slab over the whole frame at each level, outlined in slab edge objects.
    for (int level = 1; level <= 3; ++level) {
        const double z = level * kStorey;
        host_test::add_slab_outline(building, {{kGridX[0], kGridY[0], z},
                                               {kGridX[2], kGridY[0], z},
                                               {kGridX[2], kGridY[1], z},
                                               {kGridX[0], kGridY[1], z}});
    }
    add_grid_systems(building);
    add_levels_and_grids(building);
    add_concrete_beamlines(building, beams[0], beams[1]);
    add_schedule_sheet(building);
    return drawing;
}

std::optional<SaveFailure> save(AcDbDatabase* drawing, const std::filesystem::path& file) {
    const Acad::ErrorStatus es = drawing->saveAs(file.wstring().c_str());
    if (es != Acad::eOk) return SaveFailure{file, es};
    return std::nullopt;
}

}  // namespace

std::optional<SaveFailure> write_sample_building(const std::filesystem::path& folder) {
    auto stair = stair_drawing();
    if (auto failure = save(stair.get(), folder / "stair.dxf")) return failure;
    auto core = core_drawing(std::move(stair));
    if (auto failure = save(core.get(), folder / "core.dxf")) return failure;
    auto building = building_drawing(std::move(core));
    return save(building.get(), folder / "building.dxf");
}

}  // namespace korv_sample
