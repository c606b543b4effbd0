#include "StdAfx.h"

#include <algorithm>

#include "korv_slab_edge.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVSlab_edge, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        KORVSLABEDGE, KORVDBX);

KORVSlab_edge::KORVSlab_edge() = default;
KORVSlab_edge::KORVSlab_edge(const AcGePoint3d& start, const AcGePoint3d& end)
    : mStart(start), mEnd(end) {}
KORVSlab_edge::~KORVSlab_edge() = default;

std::wstring KORVSlab_edge::get_default_layer_name() {
    return L"S-SLAB-EDGE";
}

AcGePoint3d KORVSlab_edge::start_point() const {
    assertReadEnabled();
    return mStart;
}

AcGePoint3d KORVSlab_edge::end_point() const {
    assertReadEnabled();
    return mEnd;
}

Acad::ErrorStatus KORVSlab_edge::set_end_points(const AcGePoint3d& start, const AcGePoint3d& end) {
    assertWriteEnabled();
    mStart = start;
    mEnd = end;
    return Acad::eOk;
}

void KORVSlab_edge::get_intervals_aligned_with_edges(const AcGePoint3d& start,
                                                     const AcGePoint3d& end,
                                                     const AcGePoint3d& side, double distance,
                                                     std::list<double>& parameters,
                                                     std::list<AcGePoint3d>& points) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_intervals_aligned_with_edges");
    const AcGeVector3d line = end - start;
    const AcGeVector3d edge = mEnd - mStart;
    if (distance < 0.0 || line.isZeroLength() || edge.isZeroLength() || !edge.isParallelTo(line))
        return;
    const double length_squared = line.lengthSqrd();
    // Parameter along the line of a point's foot, and the point's offset square to the line.
    auto parameter_of = [&](const AcGePoint3d& p) {
        return (p - start).dotProduct(line) / length_squared;
    };
    auto offset_of = [&](const AcGePoint3d& p) { return (p - start) - line * parameter_of(p); };
    const double tolerance = AcGeContext::gTol.equalPoint();
    if (offset_of(mStart).length() > distance + tolerance ||
        offset_of(mEnd).length() > distance + tolerance) {
        return;
    }
    const AcGeVector3d side_offset = offset_of(side);
    if (side_offset.length() > tolerance) {
        const AcGeVector3d slab_side = AcGeVector3d::kZAxis.crossProduct(edge);
        if (slab_side.dotProduct(side_offset) <= 0.0) return;
    }
    const double from = std::max(0.0, std::min(parameter_of(mStart), parameter_of(mEnd)));
    const double to = std::min(1.0, std::max(parameter_of(mStart), parameter_of(mEnd)));
    if ((to - from) * line.length() <= tolerance) return;
    parameters.push_back(from);
    parameters.push_back(to);
    points.push_back(start + line * from);
    points.push_back(start + line * to);
}
