#include "StdAfx.h"

#include "korv_concrete_plan_rep.h"
#include "library_call.h"
#include "window_geometry.h"

ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_lateral_beam_plan_rep, AcDbEntity, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCONCRETELATERALBEAMPLANREP, KORVDBX);

KORVConcrete_lateral_beam_plan_rep::KORVConcrete_lateral_beam_plan_rep() = default;
KORVConcrete_lateral_beam_plan_rep::KORVConcrete_lateral_beam_plan_rep(const AcGePoint3d& start,
                                                                       const AcGePoint3d& end)
    : mStart(start), mEnd(end) {}
KORVConcrete_lateral_beam_plan_rep::~KORVConcrete_lateral_beam_plan_rep() = default;

namespace {

// The frame of an end section: origin at the end point, X along the beam, Z up where the
// beam is not vertical.
AcGeMatrix3d end_frame(const AcGePoint3d& at, const AcGeVector3d& along) {
    AcGeVector3d x = along.normal();
    AcGeVector3d z = AcGeVector3d::kZAxis;
    if (x.isParallelTo(z)) z = AcGeVector3d::kXAxis;
    AcGeVector3d y = z.crossProduct(x).normal();
    z = x.crossProduct(y);
    AcGeMatrix3d frame;
    const AcGeVector3d* axes[] = {&x, &y, &z};
    for (int c = 0; c < 3; ++c) {
        frame.entry[0][c] = axes[c]->x;
        frame.entry[1][c] = axes[c]->y;
        frame.entry[2][c] = axes[c]->z;
    }
    frame.entry[0][3] = at.x;
    frame.entry[1][3] = at.y;
    frame.entry[2][3] = at.z;
    return frame;
}

}  // namespace

bool KORVConcrete_lateral_beam_plan_rep::get_end_points(bool, AcGePoint3d& start, AcGePoint3d& end,
                                                        AcGeMatrix3d& start_frame,
                                                        AcGeMatrix3d& end_frame_out) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_end_points");
    if (mStart.isEqualTo(mEnd)) return false;
    start = mStart;
    end = mEnd;
    start_frame = end_frame(mStart, mEnd - mStart);
    end_frame_out = end_frame(mEnd, mEnd - mStart);
    return true;
}

Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::set_end_points(const AcGePoint3d& start,
                                                                     const AcGePoint3d& end) {
    assertWriteEnabled();
    mStart = start;
    mEnd = end;
    return Acad::eOk;
}

ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_lat_cant_beam_plan_rep, KORVConcrete_lateral_beam_plan_rep,
                        AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        KORVCONCRETELATCANTBEAMPLANREP, KORVDBX);

KORVConcrete_lat_cant_beam_plan_rep::KORVConcrete_lat_cant_beam_plan_rep() = default;
KORVConcrete_lat_cant_beam_plan_rep::KORVConcrete_lat_cant_beam_plan_rep(const AcGePoint3d& start,
                                                                         const AcGePoint3d& end)
    : KORVConcrete_lateral_beam_plan_rep(start, end) {}
KORVConcrete_lat_cant_beam_plan_rep::~KORVConcrete_lat_cant_beam_plan_rep() = default;

bool KORVConcrete_lateral_beam_plan_rep::in_rectangle(const AcGePoint3d& corner1,
                                                      const AcGePoint3d& corner2, bool crossing,
                                                      const AcGeVector3d& view_direction,
                                                      bool clip_1, bool clip_2, double depth_1,
                                                      double depth_2) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("in_rectangle");
    return korvdbx::segment_in_window(mStart, mEnd, corner1, corner2, crossing,
                                      {view_direction, clip_1, clip_2, depth_1, depth_2});
}
