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

AcDbObjectId add_member(DrawingBuilder& drawing, const MemberSpec& spec, AcDbObjectId block) {
    auto* member = new KORVLinear_structural_member(spec.kind, spec.start, spec.end);
    member->set_material(spec.material);
    member->set_name(spec.name, spec.section);
    if (!spec.guids.empty()) member->set_imported(1, spec.guids);
    member->set_lateral(spec.lateral);
    member->set_unsupported_ends(spec.unsupported_start, spec.unsupported_end);
    return append(drawing, member, spec.layer, block);
}

AcDbObjectId add_column(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& base,
                        double height, KORVLinear_structural_member::Material material) {
    MemberSpec spec;
    spec.kind = KORVLinear_structural_member::kColumn;
    spec.start = base;
    spec.end = base + AcGeVector3d(0.0, 0.0, height);
    spec.name = name;
    spec.material = material;
    return add_member(drawing, spec);
}

AcDbObjectId add_beam(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                      const AcGePoint3d& end, KORVLinear_structural_member::Material material) {
    MemberSpec spec;
    spec.kind = KORVLinear_structural_member::kBeam;
    spec.start = start;
    spec.end = end;
    spec.name = name;
    spec.material = material;
    return add_member(drawing, spec);
}

AcDbObjectId add_brace(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                       const AcGePoint3d& end) {
    MemberSpec spec;
    spec.kind = KORVLinear_structural_member::kBrace;
    spec.start = start;
    spec.end = end;
    spec.name = name;
    return add_member(drawing, spec);
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

void set_clip(AcDbObjectId reference, const AcGeVector3d& normal, bool front_on, double front_depth,
              bool back_on, double back_depth) {
    AcDbObjectPointer<AcDbBlockReference> insert(reference, AcDb::kForWrite);
    if (insert.openStatus() != Acad::eOk) throw std::logic_error("set_clip: insert does not open");
    KORVset_clip_depth_values(insert, normal, front_on, front_depth, back_on, back_depth);
}

GUID make_guid(unsigned n) {
    GUID guid{};
    guid.Data1 = 0x1000u + n;
    guid.Data2 = static_cast<unsigned short>(n * 7u);
    guid.Data3 = static_cast<unsigned short>(n * 13u);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<unsigned char>(n + i * 31u);
    return guid;
}

}  // namespace host_test
