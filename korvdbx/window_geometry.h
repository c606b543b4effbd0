// window_geometry.h: the library's window tests on a segment, shared by members and plan
// reps (see KORVLinear_structural_member::in_rectangle for the rules).
#pragma once

#include "StdAfx.h"

namespace korvdbx {

struct Window_view {
    AcGeVector3d view_direction;
    bool clip_1 = false;  // keep depth <= depth_1
    bool clip_2 = false;  // keep depth >= depth_2
    double depth_1 = 0.0;
    double depth_2 = 0.0;
};

bool segment_in_window(const AcGePoint3d& start, const AcGePoint3d& end, const AcGePoint3d& corner1,
                       const AcGePoint3d& corner2, bool crossing, const Window_view& view);

// The distance from point to the segment start-end.
double distance_to_segment(const AcGePoint3d& point, const AcGePoint3d& start,
                           const AcGePoint3d& end);

}  // namespace korvdbx
