// korv_concrete_beamline.h: KORVConcrete_beamline, a line of concrete beams that the beam
// schedule lists under one mark, drawn between two end points in its drawing's coordinates;
// and the ordering of point pairs that lists of beamlines follow.
#pragma once

#include <string>
#include <utility>

#include "StdAfx.h"
#include "korvdbx_api.h"

class KORVDBX_API KORVConcrete_beamline : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_beamline);
    KORVConcrete_beamline();
    ~KORVConcrete_beamline() override;

    // The two ends in positive orientation: with both ends set, the one that KORVPoint3d_less
    // puts first is the start. An end that has not been set answers false.
    virtual bool get_positive_orientation_start_point(AcGePoint3d& point) const;
    virtual bool get_positive_orientation_end_point(AcGePoint3d& point) const;
    // The schedule mark ("CB1"); empty while the beamline is unmarked.
    virtual std::wstring get_mark() const;
    // The stored kind flag: true for a line of girders, false for a line of joists.
    bool get_kind_flag() const;

    // Setters (beamline open for write).
    Acad::ErrorStatus set_start_point(const AcGePoint3d& point);
    Acad::ErrorStatus set_end_point(const AcGePoint3d& point);
    Acad::ErrorStatus set_mark(const std::wstring& mark);
    Acad::ErrorStatus set_kind_flag(bool flag);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    bool mHasStart = false;
    bool mHasEnd = false;
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
    std::wstring mMark;
    bool mKindFlag = false;
};

// Orders pairs of points as a schedule reads beamlines, top floor first and each floor's
// plan from top to bottom: by the first points (higher z first, then higher y, then lower
// x), then by the second points the same way. Exact, with no tolerance: a strict weak
// ordering in which only identical pairs are equivalent.
struct KORVDBX_API KORVPair_point3d_less_z_up_y_down {
    bool operator()(const std::pair<AcGePoint3d, AcGePoint3d>& a,
                    const std::pair<AcGePoint3d, AcGePoint3d>& b) const;
};
