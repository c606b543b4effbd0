#include "StdAfx.h"

#include <host_test/structure_builder.h>

#include <stdexcept>

namespace host_test {
namespace {

template <class T>
AcDbObjectId append(DrawingBuilder& drawing, T* entity, const std::wstring& layer,
                    AcDbObjectId block) {
    return drawing.add(entity, layer, block);
}

}  // namespace

AcDbObjectId add_member(DrawingBuilder& drawing, const MemberPlan& plan, AcDbObjectId block) {
    auto* member = new KORVLinear_structural_member(plan.kind, plan.start, plan.end);
    member->set_material(plan.material);
    member->set_name(plan.name, plan.section);
    if (!plan.guids.empty()) member->set_imported(1, plan.guids);
    member->set_lateral(plan.lateral);
    member->set_unsupported_ends(plan.unsupported_start, plan.unsupported_end);
    return append(drawing, member, plan.layer, block);
}

AcDbObjectId add_column(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& base,
                        double height, KORVLinear_structural_member::Material material) {
    MemberPlan plan;
    plan.kind = KORVLinear_structural_member::kColumn;
    plan.start = base;
    plan.end = base + AcGeVector3d(0.0, 0.0, height);
    plan.name = name;
    plan.material = material;
    return add_member(drawing, plan);
}

AcDbObjectId add_beam(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                      const AcGePoint3d& end, KORVLinear_structural_member::Material material) {
    MemberPlan plan;
    plan.kind = KORVLinear_structural_member::kBeam;
    plan.start = start;
    plan.end = end;
    plan.name = name;
    plan.material = material;
    return add_member(drawing, plan);
}

AcDbObjectId add_brace(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                       const AcGePoint3d& end) {
    MemberPlan plan;
    plan.kind = KORVLinear_structural_member::kBrace;
    plan.start = start;
    plan.end = end;
    plan.name = name;
    return add_member(drawing, plan);
}

AcDbObjectId add_wall(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                      const AcGePoint3d& end, double height) {
    auto* wall = new KORVWall_3(start, end, height, height);
    wall->set_name(name);
    wall->set_material(KORVLinear_structural_member::kConcrete);
    return drawing.add(wall);
}

AcDbObjectId add_plan_rep(DrawingBuilder& drawing, const AcGePoint3d& start,
                          const AcGePoint3d& end) {
    return drawing.add(new KORVConcrete_lateral_beam_plan_rep(start, end));
}

AcDbObjectId add_wall_reinforcement(DrawingBuilder& drawing, const AcGePoint3d& first,
                                    const AcGePoint3d& second,
                                    const std::deque<AcDbObjectId>& hosts) {
    auto* reinforcement = new KORVWall_reinforcement();
    if (!first.isEqualTo(second)) reinforcement->set_geometry(first, second);
    reinforcement->set_hosts(hosts);
    return drawing.add(reinforcement);
}

AcDbObjectId add_slab_edge(DrawingBuilder& drawing, const AcGePoint3d& start,
                           const AcGePoint3d& end, const std::wstring& layer, AcDbObjectId block) {
    return drawing.add(new KORVSlab_edge(start, end), layer, block);
}

std::vector<AcDbObjectId> add_slab_outline(DrawingBuilder& drawing,
                                           const std::vector<AcGePoint3d>& corners) {
    std::vector<AcDbObjectId> edges;
    for (size_t i = 0; i < corners.size(); ++i)
        edges.push_back(add_slab_edge(drawing, corners[i], corners[(i + 1) % corners.size()]));
    return edges;
}

AcDbObjectId add_master_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                  const std::wstring& label, const AcGePoint3d& start,
                                  const AcGePoint3d& end, AcDbObjectId block) {
    return drawing.add(new KORVMaster_grid_line(system, label, start, end), L"", block);
}

AcDbObjectId add_trimmed_master_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                          const std::wstring& label, const AcGePoint3d& start,
                                          const AcGePoint3d& end, double start_trim,
                                          double end_trim, AcDbObjectId block) {
    return drawing.add(
        new KORVTrimmed_master_grid_line(system, label, start, end, start_trim, end_trim), L"",
        block);
}

AcDbObjectId add_radial_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                  const std::wstring& label, const AcGePoint3d& center,
                                  const AcGePoint3d& start, const AcGePoint3d& end,
                                  AcDbObjectId block) {
    return drawing.add(new KORVRadial_grid_line(system, label, center, start, end), L"", block);
}

AcDbObjectId add_circle_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                  const std::wstring& label, const AcGePoint3d& center,
                                  double radius, AcDbObjectId block) {
    return drawing.add(new KORVCircle_grid_line(system, label, center, radius), L"", block);
}

AcDbObjectId add_beam_plan_rep(DrawingBuilder& drawing, AcDbObjectId beam, bool cantilever) {
    AcDbObjectPointer<KORVLinear_structural_member> member(beam, AcDb::kForRead);
    if (member.openStatus() != Acad::eOk)
        throw std::logic_error("add_beam_plan_rep: beam does not open");
    const AcGePoint3d start = member->stored_start(), end = member->stored_end();
    auto* plan_rep = cantilever ? new KORVConcrete_lat_cant_beam_plan_rep(start, end)
                                : new KORVConcrete_lateral_beam_plan_rep(start, end);
    plan_rep->set_member_handle(beam.handle());
    member.close();
    return drawing.add(plan_rep);
}

void set_concrete_data(AcDbObjectId member, AcDbObjectId data_id) {
    AcDbObjectPointer<KORVLinear_structural_member> beam(member, AcDb::kForWrite);
    if (beam.openStatus() != Acad::eOk)
        throw std::logic_error("set_concrete_data: member does not open");
    beam->set_concrete_data(data_id);
}

AcDbObjectId add_concrete_beamline(DrawingBuilder& drawing, const AcGePoint3d& start,
                                   const AcGePoint3d& end, const std::wstring& mark, bool kind_flag,
                                   const std::wstring& layer) {
    auto* beamline = new KORVConcrete_beamline();
    if (start != AcGePoint3d::kOrigin) beamline->set_start_point(start);
    if (end != AcGePoint3d::kOrigin) beamline->set_end_point(end);
    beamline->set_mark(mark);
    beamline->set_kind_flag(kind_flag);
    return drawing.add(beamline, layer);
}

void set_clip(AcDbObjectId reference, const AcGeVector3d& normal, bool front_on, double front_depth,
              bool back_on, double back_depth) {
    AcDbObjectPointer<AcDbBlockReference> insert(reference, AcDb::kForWrite);
    if (insert.openStatus() != Acad::eOk) throw std::logic_error("set_clip: insert does not open");
    KORVset_clip_depth_values(insert, normal, front_on, front_depth, back_on, back_depth);
}

namespace {

template <class Schedule>
AcDbObjectId add_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                          const std::wstring& title, AcDbObjectId data) {
    auto* schedule = new Schedule();
    schedule->set_table_bottom_left(corner);
    schedule->set_title(title);
    schedule->set_data_id(data);
    return drawing.add(schedule, L"", drawing.paper_space());
}

// The data object, kept in the named objects dictionary's "KORV_SCHEDULE_DATA" dictionary
// under the next free key.
template <class Data>
AcDbObjectId add_schedule_data(DrawingBuilder& drawing, const std::vector<std::wstring>& rows) {
    AcDbDictionary* named = nullptr;
    if (drawing.database()->getNamedObjectsDictionary(named, AcDb::kForWrite) != Acad::eOk) {
        throw std::logic_error("add_schedule_data: no named objects dictionary");
    }
    AcDbObjectId folder_id;
    if (named->getAt(L"KORV_SCHEDULE_DATA", folder_id) != Acad::eOk) {
        auto* folder = new AcDbDictionary();
        named->setAt(L"KORV_SCHEDULE_DATA", folder, folder_id);
        folder->close();
    }
    named->close();
    AcDbObjectPointer<AcDbDictionary> folder(folder_id, AcDb::kForWrite);
    if (folder.openStatus() != Acad::eOk) throw std::logic_error("add_schedule_data: folder");
    auto* data = new Data();
    data->set_rows(rows);
    AcDbObjectId id;
    const std::wstring key = L"DATA" + std::to_wstring(folder->numEntries() + 1);
    folder->setAt(key.c_str(), data, id);
    data->close();
    return id;
}

}  // namespace

AcDbObjectId add_column_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                                 const std::wstring& title) {
    return add_schedule<KORVColumn_schedule>(drawing, corner, title, AcDbObjectId());
}

AcDbObjectId add_concrete_column_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                                          const std::wstring& title,
                                          const std::vector<std::wstring>& column_types) {
    return add_schedule<KORVConcrete_column_schedule>(
        drawing, corner, title,
        add_schedule_data<KORVConcrete_column_schedule_data>(drawing, column_types));
}

AcDbObjectId add_concrete_beam_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                                        const std::wstring& title,
                                        const std::vector<std::wstring>& beam_marks) {
    return add_schedule<KORVConcrete_beam_schedule>(
        drawing, corner, title,
        add_schedule_data<KORVConcrete_beam_schedule_data>(drawing, beam_marks));
}

AcDbObjectId schedule_data_of(AcDbObjectId schedule) {
    AcDbObjectPointer<KORVSchedule> entity(schedule, AcDb::kForRead);
    return entity.openStatus() == Acad::eOk ? entity->data_id() : AcDbObjectId();
}

GUID make_guid(unsigned n) {
    GUID guid{};
    guid.Data1 = 0x1000u + n;
    guid.Data2 = static_cast<unsigned short>(n * 7u);
    guid.Data3 = static_cast<unsigned short>(n * 13u);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<unsigned char>(n + i * 31u);
    return guid;
}

void add_level(DrawingBuilder& drawing, const std::wstring& name, double elevation) {
    if (KORVLevel::add_level_to_dictionary(drawing.database(), KORVLevel(name, elevation)) !=
        Acad::eOk) {
        throw std::logic_error("add_level: the level dictionary does not take the level");
    }
}

AcDbObjectId add_grid_callout(DrawingBuilder& drawing, const std::wstring& name,
                              const AcGePoint3d& corner1, const AcGePoint3d& corner2) {
    return drawing.add(new KORVRectangular_grid_callout(name, corner1, corner2));
}

AcDbObjectId add_elevation_grid(DrawingBuilder& drawing, const std::wstring& name,
                                const AcGePoint3d& start, const AcGePoint3d& end) {
    return drawing.add(new KORVElevation2_0(name, start, end));
}

}  // namespace host_test
