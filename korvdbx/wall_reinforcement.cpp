#include "StdAfx.h"

#include "korv_wall_reinforcement.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVWall_reinforcement, AcDbEntity, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVWALLREINFORCEMENT, KORVDBX);

KORVWall_reinforcement::KORVWall_reinforcement() = default;
KORVWall_reinforcement::~KORVWall_reinforcement() = default;

bool KORVWall_reinforcement::get_wall_linear_geometry(AcGePoint3d& first,
                                                      AcGePoint3d& second) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_wall_linear_geometry");
    if (!mHasGeometry) return false;
    first = mFirst;
    second = mSecond;
    return true;
}

void KORVWall_reinforcement::get_hosts_ids(std::deque<AcDbObjectId>& hosts) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_hosts_ids");
    hosts.insert(hosts.end(), mHosts.begin(), mHosts.end());
}

Acad::ErrorStatus KORVWall_reinforcement::set_geometry(const AcGePoint3d& first,
                                                       const AcGePoint3d& second) {
    assertWriteEnabled();
    mFirst = first;
    mSecond = second;
    mHasGeometry = true;
    return Acad::eOk;
}

Acad::ErrorStatus KORVWall_reinforcement::set_hosts(const std::deque<AcDbObjectId>& hosts) {
    assertWriteEnabled();
    mHosts = hosts;
    return Acad::eOk;
}
