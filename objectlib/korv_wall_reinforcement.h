// korv_wall_reinforcement.h: KORVWall_reinforcement, a wall rebar configuration: the
// reinforcement laid along a line of one or more host walls.
#pragma once

#include <deque>

#include "StdAfx.h"
#include "korvdbx_api.h"

class KORVDBX_API KORVWall_reinforcement : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVWall_reinforcement);
    KORVWall_reinforcement();
    ~KORVWall_reinforcement() override;

    // The line the reinforcement runs along; false when it has none yet.
    virtual bool get_wall_linear_geometry(AcGePoint3d& first, AcGePoint3d& second) const;
    // The walls it reinforces, in the order they were given; appended.
    void get_hosts_ids(std::deque<AcDbObjectId>& hosts) const;

    Acad::ErrorStatus set_geometry(const AcGePoint3d& first, const AcGePoint3d& second);
    Acad::ErrorStatus set_hosts(const std::deque<AcDbObjectId>& hosts);

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    bool mHasGeometry = false;
    AcGePoint3d mFirst;
    AcGePoint3d mSecond;
    std::deque<AcDbObjectId> mHosts;
};
