// korv_level.h: KORVLevel, a floor level of a building (its name and its elevation in the
// drawing's units), and the level dictionary the library keeps in a drawing.
//
// Levels are values: callers keep them in lists, copy and assign them. A drawing's levels
// live in one KORVLevel_dictionary object, filed in the named objects dictionary under the
// key "KORV_LEVELS", in the order they were added (the order of the storeys, bottom up, as
// the product adds them). A level files itself through its four filing operations; the
// dictionary files its levels one after the other.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "StdAfx.h"
#include "korvdbx_api.h"

// No virtual destructor: a level is never owned through a pointer to a base (final).
class KORVDBX_API KORVLevel final {
public:
    KORVLevel();
    KORVLevel(const std::wstring& name, double elevation);
    KORVLevel(const KORVLevel&) = default;
    KORVLevel& operator=(const KORVLevel&) = default;

    const std::wstring& get_name() const { return mName; }
    double get_elevation() const { return mElevation; }

    // Filing, in slot order (korvdbx/filing.cpp): the name, then the elevation (DXF groups
    // 1 and 40, read in that order; another group there fails the read with
    // eBadDxfSequence).
    virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
    virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
    virtual Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);
    virtual Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;

    // Appends the levels of the database's level dictionary to `levels` (nothing already
    // there is removed) and answers whether the dictionary holds at least one level. False,
    // with nothing appended, for a null database or a drawing without a level dictionary.
    static bool find_levels_in_dictionary(AcDbDatabase* database, std::list<KORVLevel>& levels);
    // Appends the level to the database's level dictionary, creating the dictionary on first
    // use. The host's status of the first step that failed.
    static Acad::ErrorStatus add_level_to_dictionary(AcDbDatabase* database,
                                                     const KORVLevel& level);

private:
    std::wstring mName;
    double mElevation = 0.0;
};

// The levels of one drawing, in the order they were added.
class KORVDBX_API KORVLevel_dictionary : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(KORVLevel_dictionary);
    KORVLevel_dictionary();
    ~KORVLevel_dictionary() override;

    const std::vector<KORVLevel>& levels() const;
    Acad::ErrorStatus add_level(const KORVLevel& level);

    // Filing (korvdbx/filing.cpp): the count of levels (DXF group 90), then each level.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::vector<KORVLevel> mLevels;
};
