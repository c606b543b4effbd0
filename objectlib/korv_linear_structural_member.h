// korv_linear_structural_member.h: KORVLinear_structural_member, the library's straight
// structural member (column, beam, brace or wall), drawn as an entity of model space.
//
// A member is an axis from a start point to an end point in its drawing's coordinates, a
// kind (which of the four it is), a material, a full name such as "C12", and, when it came
// from an analysis model, a non-zero imported marker and the model's identifiers (GUIDs).
// Accessors require the member open for read. The library has no end offsets: both forms
// of the point accessors give the axis ends.
#pragma once

#include <list>
#include <string>

#include "StdAfx.h"
#include "korvdbx_api.h"

class KORVDBX_API KORVLinear_structural_member : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVLinear_structural_member);

    enum Kind { kColumn = 0, kBeam = 1, kBrace = 2, kWall = 3 };
    enum Material { kSteel = 0, kConcrete = 1, kWood = 2, kOtherMaterial = 3 };

    KORVLinear_structural_member();
    KORVLinear_structural_member(Kind kind, const AcGePoint3d& start, const AcGePoint3d& end);
    ~KORVLinear_structural_member() override;

    // Kind tests: exactly one of the four is true.
    virtual bool is_column() const;
    virtual bool is_beam() const;
    virtual bool is_brace() const;
    virtual bool is_wall() const;

    // Material tests: steel is the library's first material.
    virtual bool is_steel() const;
    virtual bool is_concrete() const;

    // The axis ends. `with_offsets` asks for the working point rather than the stored one;
    // the two coincide in this library.
    virtual AcGePoint3d get_start_point(bool with_offsets) const;
    virtual AcGePoint3d get_end_point(bool with_offsets) const;
    // The stored end point.
    virtual Acad::ErrorStatus get_end_point(AcGePoint3d& end) const;

    // "C12"; with the section appended ("C12 W12X40") when with_section is true and the
    // member has one.
    std::wstring get_full_member_name(bool with_section) const;
    // Non-zero for members imported from an analysis model.
    int get_imported() const;
    // The identifiers of the analysis model's objects this member stands for; appended.
    void get_Vanta_guids(std::list<GUID>& guids) const;

    // Setters (member open for write).
    Acad::ErrorStatus set_kind(Kind kind);
    Acad::ErrorStatus set_material(Material material);
    Acad::ErrorStatus set_points(const AcGePoint3d& start, const AcGePoint3d& end);
    Acad::ErrorStatus set_name(const std::wstring& name, const std::wstring& section = L"");
    Acad::ErrorStatus set_imported(int marker, const std::list<GUID>& guids);

    Kind kind() const;
    Material material() const;
    AcGePoint3d stored_start() const;
    AcGePoint3d stored_end() const;

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    Kind mKind = kBeam;
    Material mMaterial = kSteel;
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
    std::wstring mName;
    std::wstring mSection;
    int mImported = 0;
    std::list<GUID> mGuids;
};

// A kind test, as the inventories take it.
typedef bool (KORVLinear_structural_member::*KORVMember_test)() const;
