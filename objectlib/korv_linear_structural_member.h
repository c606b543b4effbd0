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

// The concrete design data a concrete member carries: the id of the object that holds the
// design the member shares with the other members of its group.
class KORVDBX_API KORVConcrete_member_data {
public:
    KORVConcrete_member_data() = default;
    explicit KORVConcrete_member_data(AcDbObjectId id) : mId(id) {}
    AcDbObjectId get_id() const { return mId; }

private:
    AcDbObjectId mId;
};

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
    // The stored start and end points.
    virtual Acad::ErrorStatus get_start_point(AcGePoint3d& start) const;
    virtual Acad::ErrorStatus get_end_point(AcGePoint3d& end) const;

    // "C12"; with the section appended ("C12 W12X40") when with_section is true and the
    // member has one.
    std::wstring get_full_member_name(bool with_section) const;
    // Non-zero for members imported from an analysis model.
    int get_imported() const;
    // The identifiers of the analysis model's objects this member stands for; appended.
    void get_Vanta_guids(std::list<GUID>& guids) const;

    // Window tests. The member's axis is seen along view_direction (the view plane's axes
    // follow the host's arbitrary-axis rule, so a view along Z is the plan and a
    // horizontal view has world Z upwards) and cut to the slab the clips keep: with clip_1
    // the part whose depth (point . view_direction) is at most depth_1 (the front clip,
    // towards the viewer), with clip_2 the part whose depth is at least depth_2 (the back
    // clip). With crossing true the member is in the window when what remains crosses the
    // window's rectangle or lies in it; with crossing false it must lie wholly inside.
    // Nothing remaining, or a degenerate window, is never in the window.
    virtual bool in_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2, bool crossing,
                              const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
                              double depth_1, double depth_2) const;
    // The same test for elevation views (view_direction perpendicular to Z).
    virtual bool in_rectangle_horizontal_view(const AcGePoint3d& corner1,
                                              const AcGePoint3d& corner2, bool crossing,
                                              const AcGeVector3d& view_direction, bool clip_1,
                                              bool clip_2, double depth_1, double depth_2) const;
    // The plan window test: the axis seen from above, cut to z <= front_depth (front_on)
    // and z >= back_depth (back_on).
    virtual bool in_plane_rectangle(const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                                    bool crossing, bool front_on, double front_depth, bool back_on,
                                    double back_depth) const;
    // Lateral (part of the lateral force-resisting system).
    virtual bool is_lateral() const;

    // Support tests, with the drawing's length tolerance. A column is under a point sitting
    // on its top (its higher end); a beam, brace or wall is under a point on its top line
    // (a wall's base line raised by its height), ends included.
    virtual bool is_under_point(const AcGePoint3d& point) const;
    // Under the point, the ends counting only when include_ends is true.
    virtual bool is_under_point_inclusive(const AcGePoint3d& point, bool include_ends) const;
    // The brace variant: under the point where a brace lands on the member's top line.
    virtual bool is_under_brace_point(const AcGePoint3d& point, bool include_ends) const;
    virtual bool starts_at_point(const AcGePoint3d& point) const;
    // True when the point is above the member's top line: over the member in plan and no
    // lower than its top there.
    virtual bool is_below_point(const AcGePoint3d& point) const;
    // The member's concrete design data; null when it carries none.
    virtual const KORVConcrete_member_data* get_concrete_data() const;
    // Whether the start / end has no support.
    bool is_unsupported_start() const;
    virtual bool is_unsupported_end() const;

    // Setters (member open for write).
    Acad::ErrorStatus set_kind(Kind kind);
    Acad::ErrorStatus set_material(Material material);
    Acad::ErrorStatus set_points(const AcGePoint3d& start, const AcGePoint3d& end);
    Acad::ErrorStatus set_name(const std::wstring& name, const std::wstring& section = L"");
    Acad::ErrorStatus set_imported(int marker, const std::list<GUID>& guids);
    Acad::ErrorStatus set_lateral(bool lateral);
    Acad::ErrorStatus set_unsupported_ends(bool start, bool end);
    // Gives the member concrete data holding the id.
    Acad::ErrorStatus set_concrete_data(AcDbObjectId id);

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
    bool mLateral = false;
    bool mUnsupportedStart = false;
    bool mUnsupportedEnd = false;
    bool mHasConcreteData = false;
    KORVConcrete_member_data mConcreteData;
};

// Orders points by x, then y, then z, exactly (no tolerance: a strict weak ordering).
struct KORVDBX_API KORVPoint3d_less {
    bool operator()(const AcGePoint3d& a, const AcGePoint3d& b) const;
};

// A kind test, as the inventories take it.
typedef bool (KORVLinear_structural_member::*KORVMember_test)() const;
