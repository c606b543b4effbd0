// The member's window, lateral and support tests.
#include "StdAfx.h"

#include <algorithm>
#include <cmath>

#include "korv_database_services.h"
#include "korv_linear_structural_member.h"
#include "korv_wall.h"
#include "library_call.h"
#include "window_geometry.h"

namespace {

// The member's top line: its axis, or for a wall its base line raised by its heights; for
// a column only the higher end counts.
void top_line(const KORVLinear_structural_member* member, AcGePoint3d& start, AcGePoint3d& end) {
    start = member->stored_start();
    end = member->stored_end();
    if (const KORVWall_3* wall = KORVWall_3::cast(member)) {
        start.z += wall->get_start_height(false);
        end.z += wall->get_end_height(false);
    } else if (member->kind() == KORVLinear_structural_member::kColumn) {
        start = end = start.z > end.z ? start : end;
    }
}

double tolerance_of(const AcDbObject* object) {
    return KORVget_database_length_tolerance(object->database());
}

bool on_top_line(const KORVLinear_structural_member* member, const AcGePoint3d& point,
                 bool include_ends) {
    AcGePoint3d start, end;
    top_line(member, start, end);
    const double tolerance = tolerance_of(member);
    if (korvdbx::distance_to_segment(point, start, end) > tolerance) return false;
    if (include_ends || start.isEqualTo(end)) return true;
    return point.distanceTo(start) > tolerance && point.distanceTo(end) > tolerance;
}

}  // namespace

bool KORVPoint3d_less::operator()(const AcGePoint3d& a, const AcGePoint3d& b) const {
    if (a.x != b.x) return a.x < b.x;
    if (a.y != b.y) return a.y < b.y;
    return a.z < b.z;
}

bool KORVLinear_structural_member::in_rectangle(const AcGePoint3d& corner1,
                                                const AcGePoint3d& corner2, bool crossing,
                                                const AcGeVector3d& view_direction, bool clip_1,
                                                bool clip_2, double depth_1, double depth_2) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("in_rectangle");
    return korvdbx::segment_in_window(mStart, mEnd, corner1, corner2, crossing,
                                      {view_direction, clip_1, clip_2, depth_1, depth_2});
}

bool KORVLinear_structural_member::in_rectangle_horizontal_view(
    const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool crossing,
    const AcGeVector3d& view_direction, bool clip_1, bool clip_2, double depth_1,
    double depth_2) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("in_rectangle_horizontal_view");
    return korvdbx::segment_in_window(mStart, mEnd, corner1, corner2, crossing,
                                      {view_direction, clip_1, clip_2, depth_1, depth_2});
}

bool KORVLinear_structural_member::in_plane_rectangle(const AcGePoint3d& corner1,
                                                      const AcGePoint3d& corner2, bool crossing,
                                                      bool front_on, double front_depth,
                                                      bool back_on, double back_depth) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("in_plane_rectangle");
    return korvdbx::segment_in_window(
        mStart, mEnd, corner1, corner2, crossing,
        {AcGeVector3d::kZAxis, front_on, back_on, front_depth, back_depth});
}

bool KORVLinear_structural_member::is_lateral() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_lateral");
    return mLateral;
}

bool KORVLinear_structural_member::is_under_point(const AcGePoint3d& point) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_under_point");
    return on_top_line(this, point, true);
}

bool KORVLinear_structural_member::is_under_point_inclusive(const AcGePoint3d& point,
                                                            bool include_ends) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_under_point_inclusive");
    return on_top_line(this, point, include_ends);
}

bool KORVLinear_structural_member::is_under_brace_point(const AcGePoint3d& point,
                                                        bool include_ends) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_under_brace_point");
    return on_top_line(this, point, include_ends);
}

bool KORVLinear_structural_member::starts_at_point(const AcGePoint3d& point) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("starts_at_point");
    return point.distanceTo(mStart) <= tolerance_of(this);
}

bool KORVLinear_structural_member::is_below_point(const AcGePoint3d& point) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_below_point");
    AcGePoint3d start, end;
    top_line(this, start, end);
    const double tolerance = tolerance_of(this);
    const AcGePoint3d plan_point(point.x, point.y, 0.0);
    const AcGePoint3d plan_start(start.x, start.y, 0.0), plan_end(end.x, end.y, 0.0);
    if (korvdbx::distance_to_segment(plan_point, plan_start, plan_end) > tolerance) return false;
    const AcGeVector3d along = plan_end - plan_start;
    const double length_squared = along.dotProduct(along);
    const double t =
        length_squared == 0.0
            ? 0.0
            : std::clamp((plan_point - plan_start).dotProduct(along) / length_squared, 0.0, 1.0);
    const double top_z = start.z + (end.z - start.z) * t;
    return point.z >= top_z - tolerance;
}

bool KORVLinear_structural_member::is_unsupported_start() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_unsupported_start");
    return mUnsupportedStart;
}

bool KORVLinear_structural_member::is_unsupported_end() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_unsupported_end");
    return mUnsupportedEnd;
}

Acad::ErrorStatus KORVLinear_structural_member::set_lateral(bool lateral) {
    assertWriteEnabled();
    mLateral = lateral;
    return Acad::eOk;
}

Acad::ErrorStatus KORVLinear_structural_member::set_unsupported_ends(bool start, bool end) {
    assertWriteEnabled();
    mUnsupportedStart = start;
    mUnsupportedEnd = end;
    return Acad::eOk;
}
