#include "StdAfx.h"

#include "korv_linear_structural_member.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVLinear_structural_member, AcDbEntity, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVLINEARSTRUCTURALMEMBER, KORVDBX);

KORVLinear_structural_member::KORVLinear_structural_member() = default;
KORVLinear_structural_member::KORVLinear_structural_member(Kind kind, const AcGePoint3d& start,
                                                           const AcGePoint3d& end)
    : mKind(kind), mStart(start), mEnd(end) {}
KORVLinear_structural_member::~KORVLinear_structural_member() = default;

bool KORVLinear_structural_member::is_column() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_column");
    return mKind == kColumn;
}
bool KORVLinear_structural_member::is_beam() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_beam");
    return mKind == kBeam;
}
bool KORVLinear_structural_member::is_brace() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_brace");
    return mKind == kBrace;
}
bool KORVLinear_structural_member::is_wall() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_wall");
    return mKind == kWall;
}
bool KORVLinear_structural_member::is_steel() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_steel");
    return mMaterial == kSteel;
}
bool KORVLinear_structural_member::is_concrete() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("is_concrete");
    return mMaterial == kConcrete;
}

AcGePoint3d KORVLinear_structural_member::get_start_point(bool) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_start_point");
    return mStart;
}
AcGePoint3d KORVLinear_structural_member::get_end_point(bool) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_end_point");
    return mEnd;
}
Acad::ErrorStatus KORVLinear_structural_member::get_start_point(AcGePoint3d& start) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_start_point");
    start = mStart;
    return Acad::eOk;
}
Acad::ErrorStatus KORVLinear_structural_member::get_end_point(AcGePoint3d& end) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_end_point");
    end = mEnd;
    return Acad::eOk;
}

std::wstring KORVLinear_structural_member::get_full_member_name(bool with_section) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_full_member_name");
    if (with_section && !mSection.empty()) return mName + L" " + mSection;
    return mName;
}

int KORVLinear_structural_member::get_imported() const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_imported");
    return mImported;
}

void KORVLinear_structural_member::get_Vanta_guids(std::list<GUID>& guids) const {
    assertReadEnabled();
    KORV_LIBRARY_CALL("get_Vanta_guids");
    guids.insert(guids.end(), mGuids.begin(), mGuids.end());
}

Acad::ErrorStatus KORVLinear_structural_member::set_kind(Kind kind) {
    assertWriteEnabled();
    mKind = kind;
    return Acad::eOk;
}
Acad::ErrorStatus KORVLinear_structural_member::set_material(Material material) {
    assertWriteEnabled();
    mMaterial = material;
    return Acad::eOk;
}
Acad::ErrorStatus KORVLinear_structural_member::set_points(const AcGePoint3d& start,
                                                           const AcGePoint3d& end) {
    assertWriteEnabled();
    mStart = start;
    mEnd = end;
    return Acad::eOk;
}
Acad::ErrorStatus KORVLinear_structural_member::set_name(const std::wstring& name,
                                                         const std::wstring& section) {
    assertWriteEnabled();
    mName = name;
    mSection = section;
    return Acad::eOk;
}
Acad::ErrorStatus KORVLinear_structural_member::set_imported(int marker,
                                                             const std::list<GUID>& guids) {
    assertWriteEnabled();
    mImported = marker;
    mGuids = guids;
    return Acad::eOk;
}

KORVLinear_structural_member::Kind KORVLinear_structural_member::kind() const {
    return mKind;
}
KORVLinear_structural_member::Material KORVLinear_structural_member::material() const {
    return mMaterial;
}
AcGePoint3d KORVLinear_structural_member::stored_start() const {
    return mStart;
}
AcGePoint3d KORVLinear_structural_member::stored_end() const {
    return mEnd;
}

Acad::ErrorStatus KORVLinear_structural_member::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    mStart = xform * mStart;
    mEnd = xform * mEnd;
    return Acad::eOk;
}
