// structure_builder.h: structural content for test and sample drawings, on top of the
// host's DrawingBuilder: members with names, GUIDs and materials, walls, concrete plan reps,
// wall reinforcements, slab edges, grid lines, and clips of inserts.
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
// A slab edge object from start to end (the slab on its left), on the layer (the current one
// when empty), in the block (model space when null).
AcDbObjectId add_slab_edge(DrawingBuilder& drawing, const AcGePoint3d& start,
                           const AcGePoint3d& end, const std::wstring& layer = L"",
                           AcDbObjectId block = AcDbObjectId());
// A slab's outline through the corners (counter-clockwise seen from above, closed back to
// the first), one slab edge object per side, in order.
std::vector<AcDbObjectId> add_slab_outline(DrawingBuilder& drawing,
                                           const std::vector<AcGePoint3d>& corners);

// Grid lines of the grid system named system, labelled label; in model space unless a
// block is given.
AcDbObjectId add_master_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                  const std::wstring& label, const AcGePoint3d& start,
                                  const AcGePoint3d& end, AcDbObjectId block = AcDbObjectId());
AcDbObjectId add_trimmed_master_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                          const std::wstring& label, const AcGePoint3d& start,
                                          const AcGePoint3d& end, double start_trim,
                                          double end_trim, AcDbObjectId block = AcDbObjectId());
// Along the ray from center, from start to end.
AcDbObjectId add_radial_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                  const std::wstring& label, const AcGePoint3d& center,
                                  const AcGePoint3d& start, const AcGePoint3d& end,
                                  AcDbObjectId block = AcDbObjectId());
AcDbObjectId add_circle_grid_line(DrawingBuilder& drawing, const std::wstring& system,
                                  const std::wstring& label, const AcGePoint3d& center,
                                  double radius, AcDbObjectId block = AcDbObjectId());
// A plan rep of the beam, from its start to its end, referring to it by handle; a
// cantilever's plan rep when asked.
AcDbObjectId add_beam_plan_rep(DrawingBuilder& drawing, AcDbObjectId beam, bool cantilever = false);
// Gives the member concrete data holding the id.
void set_concrete_data(AcDbObjectId member, AcDbObjectId data_id);
// A concrete beamline from start to end with its mark and kind flag, on the layer; an end
// equal to the origin is left unset.
AcDbObjectId add_concrete_beamline(DrawingBuilder& drawing, const AcGePoint3d& start,
                                   const AcGePoint3d& end, const std::wstring& mark,
                                   bool kind_flag = false, const std::wstring& layer = L"");
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

// A level appended to the drawing's level dictionary (made on first use).
void add_level(DrawingBuilder& drawing, const std::wstring& name, double elevation);
// A rectangular plan grid's callout spanning corner1-corner2, in model space.
AcDbObjectId add_grid_callout(DrawingBuilder& drawing, const std::wstring& name,
                              const AcGePoint3d& corner1, const AcGePoint3d& corner2);
// An elevation grid looking at the line start-end, in model space.
AcDbObjectId add_elevation_grid(DrawingBuilder& drawing, const std::wstring& name,
                                const AcGePoint3d& start, const AcGePoint3d& end);

}  // namespace host_test
