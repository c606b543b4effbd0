// Schedule ids: column, concrete column and concrete beam schedules in paper space.
#include "StdAfx.h"

#include "column_schedule_inventory.h"

#include <memory>

#include "KORVInventory.h"

namespace {

bool is_column_schedule(AcDbObjectId entity_id) {
    AcDbObjectPointer<KORVColumn_schedule> schedule(entity_id, AcDb::kForRead);
    return schedule.openStatus() == Acad::eOk;
}

// A concrete schedule qualifies when the library gives it a data object of the Data class.
template <class Schedule, class Data>
bool has_schedule_data(AcDbObjectId entity_id) {
    AcDbObjectId data_id;
    {
        AcDbObjectPointer<AcDbEntity> entity(entity_id, AcDb::kForRead);
        if (entity.openStatus() != Acad::eOk) return false;
        data_id = Schedule::get_schedule_data(entity.object());
    }
    AcDbObjectPointer<Data> data(data_id, AcDb::kForRead);
    return data.openStatus() == Acad::eOk;
}

}  // namespace

bool get_schedule_ids(Schedule_test is_schedule, std::list<AcDbObjectId>& ids) {
    AcDbBlockTableRecord* pBTR = KORVget_the_paper_space(AcDb::kForRead, nullptr);
    _ASSERTE(pBTR);
    if (pBTR == nullptr) return false;
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (pBTR->newIterator(raw_iterator, true, true) != Acad::eOk || raw_iterator == nullptr) {
        delete raw_iterator;
        pBTR->close();
        return false;
    }
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    for (; !iterator->done(); iterator->step(true, true)) {
        try {
            AcDbObjectId entity_id;
            if (iterator->getEntityId(entity_id) != Acad::eOk) continue;
            if (is_schedule(entity_id)) ids.push_back(entity_id);
        } catch (...) {
            _ASSERTE(false);
        }
    }
    iterator.reset();
    pBTR->close();
    return true;
}

bool KORVget_column_schedule_ids(std::list<AcDbObjectId>& ids) {
    return get_schedule_ids(is_column_schedule, ids);
}

bool KORVget_concrete_column_schedule_ids(std::list<AcDbObjectId>& ids) {
    return get_schedule_ids(
        has_schedule_data<KORVConcrete_column_schedule, KORVConcrete_column_schedule_data>, ids);
}

bool KORVget_concrete_beam_schedule_ids(std::list<AcDbObjectId>& ids) {
    return get_schedule_ids(
        has_schedule_data<KORVConcrete_beam_schedule, KORVConcrete_beam_schedule_data>, ids);
}
