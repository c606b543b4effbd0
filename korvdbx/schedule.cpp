// Schedules, their data objects, the drawn sizes and placement steps of rebar diagrams, and
// paper space.
#include "StdAfx.h"

#include <algorithm>

#include "korv_column_rebar.h"
#include "korv_schedule.h"
#include "library_call.h"

ACRX_DXF_DEFINE_MEMBERS(KORVSchedule, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        KORVSCHEDULE, KORVDBX);
ACRX_DXF_DEFINE_MEMBERS(KORVColumn_schedule, KORVSchedule, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCOLUMNSCHEDULE, KORVDBX);
ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_column_schedule, KORVSchedule, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCONCRETECOLUMNSCHEDULE, KORVDBX);
ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_beam_schedule, KORVSchedule, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCONCRETEBEAMSCHEDULE, KORVDBX);
ACRX_DXF_DEFINE_MEMBERS(KORVSchedule_data, AcDbObject, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent,
                        0, KORVSCHEDULEDATA, KORVDBX);
ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_column_schedule_data, KORVSchedule_data, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCONCRETECOLUMNSCHEDULEDATA, KORVDBX);
ACRX_DXF_DEFINE_MEMBERS(KORVConcrete_beam_schedule_data, KORVSchedule_data, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVCONCRETEBEAMSCHEDULEDATA, KORVDBX);

// ----- schedules -------------------------------------------------------------------------------

KORVSchedule::KORVSchedule() = default;
KORVSchedule::~KORVSchedule() = default;

AcGePoint3d KORVSchedule::table_bottom_left() const {
    assertReadEnabled();
    return mCorner;
}

std::wstring KORVSchedule::title() const {
    assertReadEnabled();
    return mTitle;
}

AcDbObjectId KORVSchedule::data_id() const {
    assertReadEnabled();
    return mData;
}

Acad::ErrorStatus KORVSchedule::set_table_bottom_left(const AcGePoint3d& corner) {
    assertWriteEnabled();
    mCorner = corner;
    return Acad::eOk;
}

Acad::ErrorStatus KORVSchedule::set_title(const std::wstring& title) {
    assertWriteEnabled();
    mTitle = title;
    return Acad::eOk;
}

Acad::ErrorStatus KORVSchedule::set_data_id(AcDbObjectId data) {
    assertWriteEnabled();
    mData = data;
    return Acad::eOk;
}

Acad::ErrorStatus KORVSchedule::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    mCorner = xform * mCorner;
    return Acad::eOk;
}

KORVColumn_schedule::KORVColumn_schedule() = default;
KORVColumn_schedule::~KORVColumn_schedule() = default;

AcDbObjectId KORVColumn_schedule::get_default_layer_id() {
    host_test::library_call_point("get_default_layer_id", AcDbObjectId());
    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    if (database == nullptr) return AcDbObjectId::kNull;
    AcDbLayerTable* table = nullptr;
    if (database->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return AcDbObjectId::kNull;
    AcDbObjectId layer;
    const ACHAR* const name = L"KORV_SCHEDULE";
    if (table->getAt(name, layer) != Acad::eOk && table->upgradeOpen() == Acad::eOk) {
        auto* record = new AcDbLayerTableRecord();
        record->setName(name);
        if (table->add(layer, record) == Acad::eOk) {
            record->close();
        } else {
            delete record;
            layer.setNull();
        }
    }
    table->close();
    return layer;
}

namespace {

template <class Schedule>
AcDbObjectId schedule_data_of(const AcDbEntity* entity) {
    const auto* schedule = Schedule::cast(entity);
    if (schedule == nullptr) return AcDbObjectId::kNull;
    host_test::library_call_point("get_schedule_data", schedule->objectId());
    return schedule->data_id();
}

}  // namespace

KORVConcrete_column_schedule::KORVConcrete_column_schedule() = default;
KORVConcrete_column_schedule::~KORVConcrete_column_schedule() = default;

AcDbObjectId KORVConcrete_column_schedule::get_schedule_data(const AcDbEntity* schedule) {
    return schedule_data_of<KORVConcrete_column_schedule>(schedule);
}

double KORVConcrete_column_schedule::get_drawn_rebar_block_width() {
    return 1.0;
}

double KORVConcrete_column_schedule::get_drawn_corner_radius() {
    return 0.08;
}

double KORVConcrete_column_schedule::get_drawn_rebar_diameter() {
    return 0.07;
}

double KORVConcrete_column_schedule::get_rebar_block_legend_offset_y() {
    return 0.12;
}

namespace {

// The drawn section's width and depth for an aspect ratio: the shorter side is the block
// width.
double drawn_width(double aspect_ratio) {
    const double w = KORVConcrete_column_schedule::get_drawn_rebar_block_width();
    return aspect_ratio < 1.0 ? w : w * aspect_ratio;
}

double drawn_depth(double aspect_ratio) {
    const double w = KORVConcrete_column_schedule::get_drawn_rebar_block_width();
    return aspect_ratio > 1.0 ? w : w / aspect_ratio;
}

}  // namespace

AcGePoint3d KORVConcrete_column_schedule::increment_table_bottom_left_for_tie_pattern_insert_pt(
    const AcGePoint3d& table_bottom_left, double aspect_ratio) {
    host_test::library_call_point("increment_table_bottom_left_for_tie_pattern_insert_pt",
                                  AcDbObjectId());
    const double gap = 0.5 * get_drawn_rebar_block_width();
    // Room above the section for its legend: the offset and a text of about a quarter block.
    const double legend = get_rebar_block_legend_offset_y() + 0.25 * get_drawn_rebar_block_width();
    return table_bottom_left + AcGeVector3d(gap + 0.5 * drawn_width(aspect_ratio),
                                            -(gap + legend + 0.5 * drawn_depth(aspect_ratio)), 0.0);
}

void KORVConcrete_column_schedule::increment_tie_pattern_insert_pt(double column_width,
                                                                   AcGePoint3d& point,
                                                                   double last_ratio,
                                                                   double aspect_ratio) {
    host_test::library_call_point("increment_tie_pattern_insert_pt", AcDbObjectId());
    const double w = get_drawn_rebar_block_width();
    // The last diagram's extents ratio stands in for its section's: a diagram is as wide as
    // its ratio times its height, and its shorter side is the block width.
    const double last_width = last_ratio > 1.0 ? w * last_ratio : w;
    const double least = 0.5 * last_width + 0.5 * w + 0.5 * drawn_width(aspect_ratio);
    point.x += std::max(column_width, least);
}

KORVConcrete_beam_schedule::KORVConcrete_beam_schedule() = default;
KORVConcrete_beam_schedule::~KORVConcrete_beam_schedule() = default;

AcDbObjectId KORVConcrete_beam_schedule::get_schedule_data(const AcDbEntity* schedule) {
    return schedule_data_of<KORVConcrete_beam_schedule>(schedule);
}

// ----- schedule data -----------------------------------------------------------------------------

KORVSchedule_data::KORVSchedule_data() = default;
KORVSchedule_data::~KORVSchedule_data() = default;

std::vector<std::wstring> KORVSchedule_data::rows() const {
    assertReadEnabled();
    return mRows;
}

Acad::ErrorStatus KORVSchedule_data::set_rows(const std::vector<std::wstring>& rows) {
    assertWriteEnabled();
    mRows = rows;
    return Acad::eOk;
}

KORVConcrete_column_schedule_data::KORVConcrete_column_schedule_data() = default;
KORVConcrete_column_schedule_data::~KORVConcrete_column_schedule_data() = default;
KORVConcrete_beam_schedule_data::KORVConcrete_beam_schedule_data() = default;
KORVConcrete_beam_schedule_data::~KORVConcrete_beam_schedule_data() = default;

// ----- paper space
// ---------------------------------------------------------------------------------

AcDbBlockTableRecord* KORVget_the_paper_space(AcDb::OpenMode mode, AcDbDatabase* database) {
    AcDbDatabase* db = database ? database : acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr) return nullptr;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return nullptr;
    AcDbBlockTableRecord* paper_space = nullptr;
    if (table->getAt(ACDB_PAPER_SPACE, paper_space, mode) != Acad::eOk) paper_space = nullptr;
    table->close();
    return paper_space;
}

AcDbObjectId KORVadd_to_paper_space(AcDbEntity* entity, bool close_entity, AcDbDatabase* database) {
    if (entity == nullptr) return AcDbObjectId::kNull;
    AcDbBlockTableRecord* paper_space = KORVget_the_paper_space(AcDb::kForWrite, database);
    if (paper_space == nullptr) return AcDbObjectId::kNull;
    AcDbObjectId id;
    if (paper_space->appendAcDbEntity(id, entity) != Acad::eOk) id.setNull();
    paper_space->close();
    if (!id.isNull() && close_entity) entity->close();
    return id;
}
