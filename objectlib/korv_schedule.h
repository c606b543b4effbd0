// korv_schedule.h: the schedules the product places in paper space (column schedules,
// concrete column schedules, concrete beam schedules), the data objects that hold what the
// two concrete schedules list, and the drawn sizes of the rebar diagrams that a concrete
// column schedule shows under its table.
//
// A schedule is an entity of paper space: a table whose bottom-left corner and title it
// keeps. A concrete schedule points (hard pointer) at its data object, an object of the
// drawing's named objects dictionary that lists the schedule's rows; erasing the data
// leaves the schedule without data. Accessors require the entity open for read.
#pragma once

#include <string>
#include <vector>

#include "StdAfx.h"
#include "korvdbx_api.h"

// What every schedule keeps: its table's bottom-left corner, its title and, for a concrete
// schedule, the id of its data object (null for a column schedule).
class KORVDBX_API KORVSchedule : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVSchedule);
    KORVSchedule();
    ~KORVSchedule() override;

    AcGePoint3d table_bottom_left() const;
    std::wstring title() const;
    AcDbObjectId data_id() const;
    Acad::ErrorStatus set_table_bottom_left(const AcGePoint3d& corner);
    Acad::ErrorStatus set_title(const std::wstring& title);
    Acad::ErrorStatus set_data_id(AcDbObjectId data);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mCorner;
    std::wstring mTitle;
    AcDbObjectId mData;
};

class KORVDBX_API KORVColumn_schedule : public KORVSchedule {
public:
    ACRX_DECLARE_MEMBERS(KORVColumn_schedule);
    KORVColumn_schedule();
    ~KORVColumn_schedule() override;

    // The layer schedules and their rebar diagrams are drawn on ("KORV_SCHEDULE") in the
    // working database, made there the first time it is asked for; the null id without a
    // working database or when the layer cannot be made.
    static AcDbObjectId get_default_layer_id();
};

class KORVDBX_API KORVConcrete_column_schedule : public KORVSchedule {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_column_schedule);
    KORVConcrete_column_schedule();
    ~KORVConcrete_column_schedule() override;

    // The id of the schedule's data object when the entity (open for read) is a concrete
    // column schedule; the null id for any other entity or a null pointer.
    static AcDbObjectId get_schedule_data(const AcDbEntity* schedule);

    // Drawn sizes of a rebar diagram, in paper-space units: the width of a rectangular
    // section's shorter side (a circular section's diameter), the hoop's corner radius, the
    // bar diameter, and the gap between the top of the section and its legend.
    static double get_drawn_rebar_block_width();
    static double get_drawn_corner_radius();
    static double get_drawn_rebar_diameter();
    static double get_rebar_block_legend_offset_y();

    // The insertion point (section centre) of the first diagram under a table whose
    // bottom-left corner is given: the section's left edge and its legend's top half a
    // block width in from the corner.
    static AcGePoint3d increment_table_bottom_left_for_tie_pattern_insert_pt(
        const AcGePoint3d& table_bottom_left, double aspect_ratio);
    // Moves point, the insertion point of the last diagram of a row, to the next diagram's:
    // `column_width` to the right (the width of a schedule column), or further when the two
    // sections (the last one's extents ratio, the next one's aspect ratio) would come
    // closer than half a block width; the row's height is kept.
    static void increment_tie_pattern_insert_pt(double column_width, AcGePoint3d& point,
                                                double last_ratio, double aspect_ratio);
};

class KORVDBX_API KORVConcrete_beam_schedule : public KORVSchedule {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_beam_schedule);
    KORVConcrete_beam_schedule();
    ~KORVConcrete_beam_schedule() override;

    // As KORVConcrete_column_schedule::get_schedule_data, for concrete beam schedules.
    static AcDbObjectId get_schedule_data(const AcDbEntity* schedule);
};

// The rows of a concrete schedule: column types or beam marks, in table order.
class KORVDBX_API KORVSchedule_data : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(KORVSchedule_data);
    KORVSchedule_data();
    ~KORVSchedule_data() override;

    std::vector<std::wstring> rows() const;
    Acad::ErrorStatus set_rows(const std::vector<std::wstring>& rows);

    // Filing (korvdbx/filing.cpp).
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::vector<std::wstring> mRows;
};

class KORVDBX_API KORVConcrete_column_schedule_data : public KORVSchedule_data {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_column_schedule_data);
    KORVConcrete_column_schedule_data();
    ~KORVConcrete_column_schedule_data() override;
};

class KORVDBX_API KORVConcrete_beam_schedule_data : public KORVSchedule_data {
public:
    ACRX_DECLARE_MEMBERS(KORVConcrete_beam_schedule_data);
    KORVConcrete_beam_schedule_data();
    ~KORVConcrete_beam_schedule_data() override;
};

// The paper space record of the database (the working database when null), opened in the
// mode; null when there is no database or it does not open. The caller closes it.
KORVDBX_API AcDbBlockTableRecord* KORVget_the_paper_space(AcDb::OpenMode mode,
                                                          AcDbDatabase* database = nullptr);
