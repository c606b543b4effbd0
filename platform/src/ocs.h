// ocs.h: the object coordinate system of a normal (the host's arbitrary-axis rule), in
// which drawing files store the planar data of inserts and arcs.
#pragma once

#include <gepnt3d.h>
#include <gevec3d.h>

namespace korv_host {

struct Ocs {
    AcGeVector3d x_axis, y_axis, z_axis;
    explicit Ocs(const AcGeVector3d& normal);
    AcGePoint3d to_world(const AcGePoint3d& point) const;
    AcGePoint3d from_world(const AcGePoint3d& point) const;
};

}  // namespace korv_host
