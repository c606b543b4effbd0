#include "window_geometry.h"

#include <algorithm>
#include <cmath>

namespace korvdbx {
namespace {

// The view plane's axes by the host's arbitrary-axis rule.
void view_axes(const AcGeVector3d& direction, AcGeVector3d& x_axis, AcGeVector3d& y_axis) {
    const AcGeVector3d n = direction.normal();
    const double limit = 1.0 / 64.0;
    x_axis = (std::fabs(n.x) < limit && std::fabs(n.y) < limit)
                 ? AcGeVector3d::kYAxis.crossProduct(n)
                 : AcGeVector3d::kZAxis.crossProduct(n);
    x_axis.normalize();
    y_axis = n.crossProduct(x_axis).normal();
}

// Cuts the parameter range [t0, t1] of p(t) = a + t (b - a) to where lower <= f(t) <= upper
// for the linear function f(t) = f0 + t (f1 - f0); false when nothing remains.
bool cut_to_band(double f0, double f1, bool has_lower, double lower, bool has_upper, double upper,
                 double& t0, double& t1) {
    auto keep = [&](double g0, double g1) {  // keep g(t) >= 0
        if (g0 < 0 && g1 < 0) return false;
        if (g0 >= 0 && g1 >= 0) return true;
        const double t = g0 / (g0 - g1);
        if (g0 < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        return t0 <= t1;
    };
    if (has_lower && !keep(f0 - lower, f1 - lower)) return false;
    if (has_upper && !keep(upper - f0, upper - f1)) return false;
    return t0 <= t1;
}

struct Rect {
    double min_x, min_y, max_x, max_y;
    bool contains(double x, double y) const {
        return x >= min_x && x <= max_x && y >= min_y && y <= max_y;
    }
};

// Whether the 2-D segment p-q meets the rectangle (Liang-Barsky).
bool segment_meets_rect(double px, double py, double qx, double qy, const Rect& rect) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = qx - px, dy = qy - py;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {px - rect.min_x, rect.max_x - px, py - rect.min_y, rect.max_y - py};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    return true;
}

}  // namespace

bool segment_in_window(const AcGePoint3d& start, const AcGePoint3d& end, const AcGePoint3d& corner1,
                       const AcGePoint3d& corner2, bool crossing, const Window_view& view) {
    if (view.view_direction.isZeroLength()) return false;
    AcGeVector3d x_axis, y_axis;
    view_axes(view.view_direction, x_axis, y_axis);
    const AcGeVector3d d = view.view_direction;
    double t0 = 0.0, t1 = 1.0;
    if (!cut_to_band(start.asVector().dotProduct(d), end.asVector().dotProduct(d), view.clip_2,
                     view.depth_2, view.clip_1, view.depth_1, t0, t1)) {
        return false;
    }
    const AcGePoint3d a = start + (end - start) * t0;
    const AcGePoint3d b = start + (end - start) * t1;
    const double c1x = corner1.asVector().dotProduct(x_axis),
                 c1y = corner1.asVector().dotProduct(y_axis);
    const double c2x = corner2.asVector().dotProduct(x_axis),
                 c2y = corner2.asVector().dotProduct(y_axis);
    const Rect rect{std::min(c1x, c2x), std::min(c1y, c2y), std::max(c1x, c2x), std::max(c1y, c2y)};
    if (rect.max_x - rect.min_x <= 0.0 || rect.max_y - rect.min_y <= 0.0) return false;
    const double ax = a.asVector().dotProduct(x_axis), ay = a.asVector().dotProduct(y_axis);
    const double bx = b.asVector().dotProduct(x_axis), by = b.asVector().dotProduct(y_axis);
    if (!crossing) return rect.contains(ax, ay) && rect.contains(bx, by);
    return segment_meets_rect(ax, ay, bx, by, rect);
}

double distance_to_segment(const AcGePoint3d& point, const AcGePoint3d& start,
                           const AcGePoint3d& end) {
    const AcGeVector3d along = end - start;
    const double length_squared = along.dotProduct(along);
    if (length_squared == 0.0) return point.distanceTo(start);
    const double t = std::clamp((point - start).dotProduct(along) / length_squared, 0.0, 1.0);
    return point.distanceTo(start + along * t);
}

}  // namespace korvdbx
