// korv_grid_line.h: the grid lines of structural grids, drawn as entities of model space.
//
// Every grid line belongs to a grid system, named by a wide string the line carries
// (grid_system_name; several lines of one system carry the same name) and bears a label of
// its own ("A", "3"). Straight lines are master grid lines, whole or trimmed to a part of
// their length; lines of a radial grid are radial lines (straight, along a ray from the
// grid's centre) and circle lines (arcs of the grid's circles, drawn as whole circles).
// The name and the label are read inline, without a call into the library; setters
// require the line open for write.
#pragma once

#include <string>

#include "StdAfx.h"
#include "korvdbx_api.h"

class KORVDBX_API KORVGrid_line_parent : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVGrid_line_parent);
    KORVGrid_line_parent();
    ~KORVGrid_line_parent() override;

    const std::wstring& grid_system_name() const { return mGridSystemName; }
    const std::wstring& label() const { return mLabel; }
    Acad::ErrorStatus set_grid_system_name(const std::wstring& name);
    Acad::ErrorStatus set_label(const std::wstring& label);

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    std::wstring mGridSystemName;
    std::wstring mLabel;
};

// A straight grid line from its start to its end point.
class KORVDBX_API KORVMaster_grid_line : public KORVGrid_line_parent {
public:
    ACRX_DECLARE_MEMBERS(KORVMaster_grid_line);
    KORVMaster_grid_line();
    KORVMaster_grid_line(const std::wstring& grid_system_name, const std::wstring& label,
                         const AcGePoint3d& start, const AcGePoint3d& end);
    ~KORVMaster_grid_line() override;

    AcGePoint3d start_point() const { return mStart; }
    AcGePoint3d end_point() const { return mEnd; }
    Acad::ErrorStatus set_points(const AcGePoint3d& start, const AcGePoint3d& end);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
};

// A master grid line drawn over part of its length only: from start_trim to end_trim,
// distances along the line from its start point.
class KORVDBX_API KORVTrimmed_master_grid_line : public KORVMaster_grid_line {
public:
    ACRX_DECLARE_MEMBERS(KORVTrimmed_master_grid_line);
    KORVTrimmed_master_grid_line();
    KORVTrimmed_master_grid_line(const std::wstring& grid_system_name, const std::wstring& label,
                                 const AcGePoint3d& start, const AcGePoint3d& end,
                                 double start_trim, double end_trim);
    ~KORVTrimmed_master_grid_line() override;

    double start_trim() const { return mStartTrim; }
    double end_trim() const { return mEndTrim; }

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    double mStartTrim = 0.0;
    double mEndTrim = 0.0;
};

// A straight grid line of a radial grid, along the ray from the grid's centre through its
// end point; a master grid line whose start is the point on the ray nearest the centre it
// is drawn from.
class KORVDBX_API KORVRadial_grid_line : public KORVMaster_grid_line {
public:
    ACRX_DECLARE_MEMBERS(KORVRadial_grid_line);
    KORVRadial_grid_line();
    KORVRadial_grid_line(const std::wstring& grid_system_name, const std::wstring& label,
                         const AcGePoint3d& center, const AcGePoint3d& start,
                         const AcGePoint3d& end);
    ~KORVRadial_grid_line() override;

    AcGePoint3d center() const { return mCenter; }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mCenter;
};

// A circle of a radial grid, about the grid's centre in the XY plane.
class KORVDBX_API KORVCircle_grid_line : public KORVGrid_line_parent {
public:
    ACRX_DECLARE_MEMBERS(KORVCircle_grid_line);
    KORVCircle_grid_line();
    KORVCircle_grid_line(const std::wstring& grid_system_name, const std::wstring& label,
                         const AcGePoint3d& center, double radius);
    ~KORVCircle_grid_line() override;

    AcGePoint3d center() const { return mCenter; }
    double radius() const { return mRadius; }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mCenter;
    double mRadius = 0.0;
};
