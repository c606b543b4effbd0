#include "StdAfx.h"

#include "korv_plan_grids.h"

ACRX_DXF_DEFINE_MEMBERS(KORVRectangular_grid_callout, AcDbEntity, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVRECTANGULARGRIDCALLOUT, KORVDBX);

KORVRectangular_grid_callout::KORVRectangular_grid_callout() = default;
KORVRectangular_grid_callout::KORVRectangular_grid_callout(const std::wstring& name,
                                                           const AcGePoint3d& corner1,
                                                           const AcGePoint3d& corner2)
    : mName(name), mCorner1(corner1), mCorner2(corner2) {}
KORVRectangular_grid_callout::~KORVRectangular_grid_callout() = default;

const std::wstring& KORVRectangular_grid_callout::get_name() const {
    assertReadEnabled();
    return mName;
}

void KORVRectangular_grid_callout::get_corners(AcGePoint3d& corner1, AcGePoint3d& corner2) const {
    assertReadEnabled();
    corner1 = mCorner1;
    corner2 = mCorner2;
}

ACRX_DXF_DEFINE_MEMBERS(KORVElevation2_0, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        KORVELEVATION2_0, KORVDBX);

KORVElevation2_0::KORVElevation2_0() = default;
KORVElevation2_0::KORVElevation2_0(const std::wstring& name, const AcGePoint3d& start,
                                   const AcGePoint3d& end)
    : mName(name), mStart(start), mEnd(end) {}
KORVElevation2_0::~KORVElevation2_0() = default;

const std::wstring& KORVElevation2_0::get_name() const {
    assertReadEnabled();
    return mName;
}

void KORVElevation2_0::get_line(AcGePoint3d& start, AcGePoint3d& end) const {
    assertReadEnabled();
    start = mStart;
    end = mEnd;
}
