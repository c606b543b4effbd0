// The plan, radial plan and elevation grid lists of each document.
#include "StdAfx.h"

#include "grid_lists.h"

#include <map>
#include <memory>

#include "KORVInventory.h"
#include "database_inv.h"

namespace {

template <class Record>
using Document_map = std::map<AcApDocument*, std::unique_ptr<Record>>;

Document_map<Plan_grid_lists>& plan_grid_map() {
    static Document_map<Plan_grid_lists> instance;
    return instance;
}

Document_map<Elevation_grid_list>& elevation_grid_map() {
    static Document_map<Elevation_grid_list> instance;
    return instance;
}

// Appends the ids of the working database's model space entities of the class (or derived
// from it), in entity order; nothing when model space or its iterator cannot be had.
void scan_model_space(std::list<AcDbObjectId>& ids, AcRxClass* grid_class) {
    AcDbBlockTableRecordPointer model_space;
    AcDbBlockTableRecord* pBlockTableRecord = open_model_space(nullptr, AcDb::kForRead);
    if (pBlockTableRecord == nullptr) return;
    model_space.acquire(pBlockTableRecord);
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (model_space->newIterator(raw_iterator, true, true) != Acad::eOk) return;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    for (; !iterator->done(); iterator->step()) {
        AcDbObjectId entity_id;
        AcDbEntity* raw_entity = nullptr;
        // Entities of other classes are passed over by their id's class, unopened.
        if (iterator->getEntityId(entity_id) != Acad::eOk ||
            !AcRxClass::isDerivedFrom(entity_id.objectClass(), grid_class) ||
            iterator->getEntity(raw_entity, AcDb::kForRead, false) != Acad::eOk) {
            continue;
        }
        AcDbEntityPointer entity;
        entity.acquire(raw_entity);
        if (entity->isKindOf(grid_class)) ids.push_back(entity_id);
    }
}

// The current document's record of the map, made on first use by `fill`.
template <class Record, class Fill>
Record* lookup(Document_map<Record>& map, Fill fill) {
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (document == nullptr) return nullptr;
    auto found = map.find(document);
    if (found != map.end()) return found->second.get();
    auto record = std::make_unique<Record>();
    fill(*record);
    return map.emplace(document, std::move(record)).first->second.get();
}

// Replaces ids with a copy of the current document's list; false without a document.
template <class Record>
bool copy_list(Record* record, std::list<AcDbObjectId> Record::*list,
               std::list<AcDbObjectId>& ids) {
    if (record == nullptr) return false;
    ids = record->*list;
    return true;
}

}  // namespace

Plan_grid_lists* get_plan_grid_lists() {
    return lookup(plan_grid_map(), [](Plan_grid_lists& record) {
        scan_model_space(record.plan_grids, KORVRectangular_grid_callout::desc());
    });
}

Elevation_grid_list* get_elevation_grid_list() {
    return lookup(elevation_grid_map(), [](Elevation_grid_list& record) {
        scan_model_space(record.elevation_grids, KORVElevation2_0::desc());
    });
}

void drop_grid_lists(AcApDocument* document) {
    plan_grid_map().erase(document);
    elevation_grid_map().erase(document);
}

bool KORVget_plan_grid_list(std::list<AcDbObjectId>& ids) {
    return copy_list(get_plan_grid_lists(), &Plan_grid_lists::plan_grids, ids);
}

bool KORVget_radial_plan_grid_list(std::list<AcDbObjectId>& ids) {
    return copy_list(get_plan_grid_lists(), &Plan_grid_lists::radial_plan_grids, ids);
}

bool KORVget_elevation_grid_list(std::list<AcDbObjectId>& ids) {
    return copy_list(get_elevation_grid_list(), &Elevation_grid_list::elevation_grids, ids);
}

void KORVadd_plan_grid(const AcDbObjectId& id) {
    if (Plan_grid_lists* lists = get_plan_grid_lists()) lists->plan_grids.push_back(id);
}

void KORVadd_radial_plan_grid(const AcDbObjectId& id) {
    if (Plan_grid_lists* lists = get_plan_grid_lists()) lists->radial_plan_grids.push_back(id);
}
