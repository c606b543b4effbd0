// korv_wall.h: KORVWall_3, a wall: a member of kind wall whose axis runs along its base
// line, with a height at each end (a sloped top when they differ).
#pragma once

#include "korv_linear_structural_member.h"

class KORVDBX_API KORVWall_3 : public KORVLinear_structural_member {
public:
    ACRX_DECLARE_MEMBERS(KORVWall_3);
    KORVWall_3();
    KORVWall_3(const AcGePoint3d& start, const AcGePoint3d& end, double start_height,
               double end_height);
    ~KORVWall_3() override;

    // Heights above the base line at the start and the end. `with_offsets` has no effect in
    // this library (walls have no top offsets).
    virtual double get_start_height(bool with_offsets) const;
    virtual double get_end_height(bool with_offsets) const;
    Acad::ErrorStatus set_heights(double start_height, double end_height);

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    double mStartHeight = 0.0;
    double mEndHeight = 0.0;
};
