#include "ocs.h"

#include <cmath>

namespace korv_host {

Ocs::Ocs(const AcGeVector3d& normal) : z_axis(normal.normal()) {
    const double limit = 1.0 / 64.0;
    if (std::fabs(z_axis.x) < limit && std::fabs(z_axis.y) < limit) {
        x_axis = AcGeVector3d::kYAxis.crossProduct(z_axis).normal();
    } else {
        x_axis = AcGeVector3d::kZAxis.crossProduct(z_axis).normal();
    }
    y_axis = z_axis.crossProduct(x_axis).normal();
}

AcGePoint3d Ocs::to_world(const AcGePoint3d& point) const {
    return AcGePoint3d::kOrigin + x_axis * point.x + y_axis * point.y + z_axis * point.z;
}

AcGePoint3d Ocs::from_world(const AcGePoint3d& point) const {
    const AcGeVector3d v = point.asVector();
    return AcGePoint3d(v.dotProduct(x_axis), v.dotProduct(y_axis), v.dotProduct(z_axis));
}

}  // namespace korv_host
