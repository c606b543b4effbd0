// Concrete beamlines, their ordering of point pairs, and what the schedules read from
// concrete beams: the member a plan rep shows and a member's concrete design data.
#include "StdAfx.h"

#include "korv_concrete_beamline.h"
#include "korv_concrete_plan_rep.h"
#include "korv_linear_structural_member.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_beamline, AcDbEntity, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCONCRETEBEAMLINE, KORVDBX);

KORVConcrete_beamline::KORVConcrete_beamline() = default;
KORVConcrete_beamline::~KORVConcrete_beamline() = default;

bool KORVConcrete_beamline::get_positive_orientation_start_point(AcGePoint3d& point) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_positive_orientation_start_point");
    if (!mHasStart) return false;
    point = mHasEnd && KORVPoint3d_less()(mEnd, mStart) ? mEnd : mStart;
    return true;
}

bool KORVConcrete_beamline::get_positive_orientation_end_point(AcGePoint3d& point) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_positive_orientation_end_point");
    if (!mHasEnd) return false;
    point = mHasStart && KORVPoint3d_less()(mEnd, mStart) ? mStart : mEnd;
    return true;
}

std::wstring KORVConcrete_beamline::get_mark() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_mark");
    return mMark;
}

bool KORVConcrete_beamline::get_kind_flag() const {
    assertReadEnabled();
    return mKindFlag;
}

Acad::ErrorStatus KORVConcrete_beamline::set_start_point(const AcGePoint3d& point) {
    assertWriteEnabled();
    mStart = point;
    mHasStart = true;
    return Acad::eOk;
}

Acad::ErrorStatus KORVConcrete_beamline::set_end_point(const AcGePoint3d& point) {
    assertWriteEnabled();
    mEnd = point;
    mHasEnd = true;
    return Acad::eOk;
}

Acad::ErrorStatus KORVConcrete_beamline::set_mark(const std::wstring& mark) {
    assertWriteEnabled();
    mMark = mark;
    return Acad::eOk;
}

Acad::ErrorStatus KORVConcrete_beamline::set_kind_flag(bool flag) {
    assertWriteEnabled();
    mKindFlag = flag;
    return Acad::eOk;
}

Acad::ErrorStatus KORVConcrete_beamline::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    mStart = xform * mStart;
    mEnd = xform * mEnd;
    return Acad::eOk;
}

namespace {

// Higher z first, then higher y, then lower x; 0 when the points are identical.
int compare_z_up_y_down(const AcGePoint3d& a, const AcGePoint3d& b) {
    if (a.z != b.z) return a.z > b.z ? -1 : 1;
    if (a.y != b.y) return a.y > b.y ? -1 : 1;
    if (a.x != b.x) return a.x < b.x ? -1 : 1;
    return 0;
}

}  // namespace

bool KORVPair_point3d_less_z_up_y_down::operator()(
    const std::pair<AcGePoint3d, AcGePoint3d>& a,
    const std::pair<AcGePoint3d, AcGePoint3d>& b) const {
    const int first = compare_z_up_y_down(a.first, b.first);
    if (first != 0) return first < 0;
    return compare_z_up_y_down(a.second, b.second) < 0;
}

// ----- what the schedules read from beams and plan reps ------------------------------------

const KORVConcrete_member_data* KORVLinear_structural_member::get_concrete_data() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_concrete_data");
    return mHasConcreteData ? &mConcreteData : nullptr;
}

Acad::ErrorStatus KORVLinear_structural_member::set_concrete_data(AcDbObjectId id) {
    assertWriteEnabled();
    mConcreteData = KORVConcrete_member_data(id);
    mHasConcreteData = true;
    return Acad::eOk;
}

const KORVref_to_member& KORVConcrete_lateral_beam_plan_rep::get_member_ref() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_member_ref");
    return mMember;
}

Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::set_member_handle(
    const AcDbHandle& member_handle) {
    assertWriteEnabled();
    mMember = KORVref_to_member(member_handle);
    return Acad::eOk;
}
