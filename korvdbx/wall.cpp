#include "StdAfx.h"

#include "korv_wall.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVWall_3, KORVLinear_structural_member, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVWALL3, KORVDBX);

KORVWall_3::KORVWall_3() {
    set_kind(kWall);
}

KORVWall_3::KORVWall_3(const AcGePoint3d& start, const AcGePoint3d& end, double start_height,
                       double end_height)
    : KORVLinear_structural_member(kWall, start, end),
      mStartHeight(start_height),
      mEndHeight(end_height) {}

KORVWall_3::~KORVWall_3() = default;

double KORVWall_3::get_start_height(bool) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_start_height");
    return mStartHeight;
}

double KORVWall_3::get_end_height(bool) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_end_height");
    return mEndHeight;
}

Acad::ErrorStatus KORVWall_3::set_heights(double start_height, double end_height) {
    assertWriteEnabled();
    if (start_height < 0.0 || end_height < 0.0) return Acad::eInvalidInput;
    mStartHeight = start_height;
    mEndHeight = end_height;
    return Acad::eOk;
}
