// The per-document index from a beam's handle to its lateral concrete plan rep.
#include "StdAfx.h"

#include "lat_conc_beam_plan_rep_inventory.h"

#include <map>
#include <memory>

#include "KORVInventory.h"
#include "database_inv.h"
#include "korvdbx.h"

namespace {

typedef std::map<AcDbHandle, AcDbObjectId> Plan_rep_map;  // beam handle -> plan rep

std::map<AcApDocument*, std::unique_ptr<Plan_rep_map>>& plan_rep_index() {
    static std::map<AcApDocument*, std::unique_ptr<Plan_rep_map>> instance;
    return instance;
}

// Every plan rep of the working drawing's model space under the handle of the beam it
// refers to; a later plan rep of the same beam takes the entry over.
void fill(Plan_rep_map& plan_reps) {
    AcDbBlockTableRecord* pBlockTableRecord = open_model_space(nullptr, AcDb::kForRead);
    if (pBlockTableRecord == nullptr) return;
    AcDbBlockTableRecordPointer model_space;
    model_space.acquire(pBlockTableRecord);
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (model_space->newIterator(raw_iterator, true, true) != Acad::eOk) return;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    for (; !iterator->done(); iterator->step()) {
        try {
            AcDbObjectId entity_id;
            if (iterator->getEntityId(entity_id) != Acad::eOk) continue;
            AcDbObjectPointer<KORVConcrete_lateral_beam_plan_rep> plan_rep(entity_id,
                                                                           AcDb::kForRead);
            if (plan_rep.openStatus() != Acad::eOk) continue;
            const AcDbHandle beam = plan_rep->get_member_ref().get_handle();
            if (!beam.isNull()) plan_reps[beam] = entity_id;
        } catch (...) {
            _ASSERTE(false);
        }
    }
}

}  // namespace

AcDbObjectId KORVget_concrete_lateral_beam_plan_rep_id(const AcDbHandle& member_handle) {
    try {
        AcApDocument* document = acDocManagerPtr()->curDocument();
        if (document == nullptr) return AcDbObjectId::kNull;
        std::unique_ptr<Plan_rep_map>& plan_reps = plan_rep_index()[document];
        if (plan_reps == nullptr) {
            plan_reps = std::make_unique<Plan_rep_map>();
            fill(*plan_reps);
        }
        auto found = plan_reps->find(member_handle);
        return found == plan_reps->end() ? AcDbObjectId::kNull : found->second;
    } catch (...) {
        _ASSERTE(false);
        return AcDbObjectId::kNull;
    }
}

void drop_lat_conc_beam_plan_reps(AcApDocument* document) {
    plan_rep_index().erase(document);
}
