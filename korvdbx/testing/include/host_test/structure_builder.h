// structure_builder.h: structural content for test and sample drawings, on top of the
// host's DrawingBuilder: members with names, GUIDs and materials, walls, concrete plan reps,
// wall reinforcements, and clips of inserts.
#pragma once

#include <host_test/drawing_builder.h>

#include <list>
#include <string>
#include <vector>

#include "korvdbx.h"

namespace host_test {

struct MemberPlan {
    KORVLinear_structural_member::Kind kind = KORVLinear_structural_member::kColumn;
    AcGePoint3d start;
    AcGePoint3d end;
    std::wstring name;
    KORVLinear_structural_member::Material material = KORVLinear_structural_member::kSteel;
    std::wstring section;
    std::list<GUID> guids;  // non-empty: the member is imported (marker 1)
    std::wstring layer;
    bool lateral = false;
    bool unsupported_start = false;
    bool unsupported_end = false;
};

AcDbObjectId add_member(DrawingBuilder& drawing, const MemberPlan& plan,
                        AcDbObjectId block = AcDbObjectId());
// A column from base up by height.
AcDbObjectId add_column(
    DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& base, double height,
    KORVLinear_structural_member::Material material = KORVLinear_structural_member::kSteel);
AcDbObjectId add_beam(
    DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
    const AcGePoint3d& end,
    KORVLinear_structural_member::Material material = KORVLinear_structural_member::kSteel);
AcDbObjectId add_brace(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                       const AcGePoint3d& end);
AcDbObjectId add_wall(DrawingBuilder& drawing, const std::wstring& name, const AcGePoint3d& start,
                      const AcGePoint3d& end, double height);
AcDbObjectId add_plan_rep(DrawingBuilder& drawing, const AcGePoint3d& start,
                          const AcGePoint3d& end);
// A wall reinforcement along first-second over the host walls; without geometry when
// first equals second.
AcDbObjectId add_wall_reinforcement(DrawingBuilder& drawing, const AcGePoint3d& first,
                                    const AcGePoint3d& second,
                                    const std::deque<AcDbObjectId>& hosts);
// Clips an insert.
void set_clip(AcDbObjectId reference, const AcGeVector3d& normal, bool front_on, double front_depth,
              bool back_on, double back_depth);
// ----- schedules ----------------------------------------------------------------------------
// A schedule in paper space with its table's bottom-left corner and title. A concrete
// schedule also gets its data object, listing the rows, in the named objects dictionary
// (under "KORV_SCHEDULE_DATA"); schedule_data_of gives its id.
AcDbObjectId add_column_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                                 const std::wstring& title);
AcDbObjectId add_concrete_column_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                                          const std::wstring& title,
                                          const std::vector<std::wstring>& column_types);
AcDbObjectId add_concrete_beam_schedule(DrawingBuilder& drawing, const AcGePoint3d& corner,
                                        const std::wstring& title,
                                        const std::vector<std::wstring>& beam_marks);
AcDbObjectId schedule_data_of(AcDbObjectId schedule);

// A GUID whose bytes all derive from n, distinct for distinct n.
GUID make_guid(unsigned n);

}  // namespace host_test
