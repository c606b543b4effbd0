// korv_column_rebar.h: what the library offers for drawing column rebar diagrams: the
// drawn properties of reinforcement, the choice of tied bar positions, the reactor that
// keeps a placed diagram's legend tied to its schedule, and the drawing helpers (donuts,
// polar points, paper space and block table appends, extension dictionaries).
//
// The drawn properties are the product's settings, the same for every drawing; the
// set_... functions change them (as the product's options dialog would).
#pragma once

#include <string>
#include <vector>

#include "StdAfx.h"
#include "korvdbx_api.h"

class KORVDBX_API KORVConcrete_column_reinforcement {
public:
    // The layer column reinforcement is drawn on ("KORV_COLUMN_REBAR" unless set). When not
    // empty, the layer is made in the working database if it has none of that name, so
    // that entities can be put on it.
    static std::wstring get_layer_name();
    static void set_layer_name(const std::wstring& name);

    // Chooses the bar positions along a face that receive a tie leg. `flags` has one entry
    // per bar position (corner bars included), all false; entries 0 and last are the hoop's
    // sides. The rule: the two hoop sides are always tied; the remaining legs go to the
    // interior positions nearest to an even spacing of all legs across the face (a leg
    // that would land on a taken position moves to the nearest free one); with as many
    // legs as positions every position is tied. The vector's size is never changed.
    static void set_tie_location_indices(int tie_legs, int bar_positions, std::vector<bool>& flags);
};

class KORVDBX_API KORVSlab_or_wall_reinforcement {
public:
    // The colour index of reinforcement drawn in 2D (1, red, unless set; 256 is by layer).
    static int get_rebars_two_d_color();
    static void set_rebars_two_d_color(int color);
    // Its lineweight (0.35 mm unless set; kLnWtByLayer is by layer).
    static AcDb::LineWeight get_rebars_two_d_lineweight();
    static void set_rebars_two_d_lineweight(AcDb::LineWeight lineweight);
};

// The reactor of a placed rebar diagram: it lives in the extension dictionary of the
// diagram's reference (or of one of its attributes), listed among that entity's persistent
// reactors, and keeps the id of the object the diagram belongs to (its target). It counts
// what it hears, and remembers the text of the last attribute it heard modified, so that
// the schedule can pick up an edited type. Only the target is filed; what it heard lasts
// while the drawing is open.
class KORVDBX_API KORVTie_pattern_type_reactor : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(KORVTie_pattern_type_reactor);
    KORVTie_pattern_type_reactor();
    explicit KORVTie_pattern_type_reactor(const AcDbObjectId& target);

    AcDbObjectId target_id() const;
    int modified_count() const;
    int erased_count() const;
    std::wstring heard_text() const;

    // Filing (korvdbx/filing.cpp): the target as a soft pointer.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    void erased(const AcDbObject* dbObj, Adesk::Boolean bErasing = true) override;
    void modified(const AcDbObject* dbObj) override;

private:
    AcDbObjectId mTarget;
    int mModified = 0;
    int mErased = 0;
    std::wstring mHeardText;
};

// Appends the entity to the paper space of the database (the working database when null)
// and returns its id, closing the entity when `close_entity` is true and leaving it open
// for write otherwise; the null id (the entity still the caller's) when paper space does
// not open or the append fails.
KORVDBX_API AcDbObjectId KORVadd_to_paper_space(AcDbEntity* entity, bool close_entity,
                                                AcDbDatabase* database = nullptr);
// Adds the record to the working database's block table and returns its id, the record
// left open for write; the null id (the record still the caller's) on failure.
KORVDBX_API AcDbObjectId KORVadd_block_to_table(AcDbBlockTableRecord* record);
// The id of the object's extension dictionary. With kForWrite it is made when the object
// (resident, open for write) has none; the null id when there is none and it cannot be made.
KORVDBX_API AcDbObjectId KORVget_extension_dictionary(AcDbObject* object, AcDb::OpenMode mode);
// A new filled dot (a donut without a hole): a closed polyline of two half-circle arcs of
// width `radius` about the centre, in the plane of the normal; layer set when not empty,
// colour when not 256, lineweight when not kLnWtByLayer. The caller owns it.
KORVDBX_API AcDbPolyline* KORVcreate_donut(const AcGePoint3d& centre, double radius,
                                           const AcGeVector3d& normal, const std::wstring& layer,
                                           int color, AcDb::LineWeight lineweight);
// The point at distance from point in the direction of angle (radians from +X, counter-
// clockwise).
KORVDBX_API AcGePoint2d KORVpolar(const AcGePoint2d& point, double angle, double distance);
