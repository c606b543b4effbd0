// korv_plan_grids.h: the grids drawn as whole objects rather than line by line: the callout
// of a rectangular plan grid and the grid of an elevation view.
#pragma once

#include <string>

#include "StdAfx.h"
#include "korvdbx_api.h"

// The callout of a rectangular plan grid: the grid's name and the rectangle its lines span
// in plan, given by two opposite corners.
class KORVDBX_API KORVRectangular_grid_callout : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVRectangular_grid_callout);
    KORVRectangular_grid_callout();
    KORVRectangular_grid_callout(const std::wstring& name, const AcGePoint3d& corner1,
                                 const AcGePoint3d& corner2);
    ~KORVRectangular_grid_callout() override;

    const std::wstring& get_name() const;
    void get_corners(AcGePoint3d& corner1, AcGePoint3d& corner2) const;

    // Filing (korvdbx/filing.cpp): name 1, corners 10 and 11.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::wstring mName;
    AcGePoint3d mCorner1;
    AcGePoint3d mCorner2;
};

// The grid of an elevation view: its name and the line in plan the view looks at, from its
// start to its end.
class KORVDBX_API KORVElevation2_0 : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVElevation2_0);
    KORVElevation2_0();
    KORVElevation2_0(const std::wstring& name, const AcGePoint3d& start, const AcGePoint3d& end);
    ~KORVElevation2_0() override;

    const std::wstring& get_name() const;
    void get_line(AcGePoint3d& start, AcGePoint3d& end) const;

    // Filing (korvdbx/filing.cpp): name 1, start 10, end 11.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::wstring mName;
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
};
