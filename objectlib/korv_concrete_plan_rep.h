// korv_concrete_plan_rep.h: KORVConcrete_lateral_beam_plan_rep, the plan representation of
// a concrete lateral beam: the beam's outline as drawn on a floor plan, from its start to
// its end point in its drawing's coordinates.
#pragma once

#include "StdAfx.h"
#include "korvdbx_api.h"

// A plan rep's reference to the beam member it shows: the member's handle, which stays
// what it was when the drawing is saved and read again.
class KORVDBX_API KORVref_to_member {
public:
    KORVref_to_member() = default;
    explicit KORVref_to_member(const AcDbHandle& handle) : mHandle(handle) {}
    // The member's handle; the null handle when the plan rep refers to no member.
    AcDbHandle get_handle() const { return mHandle; }

private:
    AcDbHandle mHandle;
};

class KORVDBX_API KORVConcrete_lateral_beam_plan_rep : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_lateral_beam_plan_rep);
    KORVConcrete_lateral_beam_plan_rep();
    KORVConcrete_lateral_beam_plan_rep(const AcGePoint3d& start, const AcGePoint3d& end);
    ~KORVConcrete_lateral_beam_plan_rep() override;

    // The plan rep's end points and, for each end, the frame of its end section (origin at
    // the end, X along the beam). `with_offsets` has no effect in this library. False when
    // the plan rep has no length.
    virtual bool get_end_points(bool with_offsets, AcGePoint3d& start, AcGePoint3d& end,
                                AcGeMatrix3d& start_frame, AcGeMatrix3d& end_frame) const;
    Acad::ErrorStatus set_end_points(const AcGePoint3d& start, const AcGePoint3d& end);
    // The reference to the beam member the plan rep shows.
    virtual const KORVref_to_member& get_member_ref() const;
    Acad::ErrorStatus set_member_handle(const AcDbHandle& member_handle);
    // The window test of members (KORVLinear_structural_member::in_rectangle) applied to
    // the segment from start to end.
    virtual bool in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool crossing,
                              const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
                              double depth_1, double depth_2) const;

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
    KORVref_to_member mMember;
};

// A cantilever beam's plan rep: supported at its start only.
class KORVDBX_API KORVConcrete_lat_cant_beam_plan_rep : public KORVConcrete_lateral_beam_plan_rep {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_lat_cant_beam_plan_rep);
    KORVConcrete_lat_cant_beam_plan_rep();
    KORVConcrete_lat_cant_beam_plan_rep(const AcGePoint3d& start, const AcGePoint3d& end);
    ~KORVConcrete_lat_cant_beam_plan_rep() override;
};
