// Slab edge inventories: the scan of a drawing for slab edges, the registry and the two
// slab exports.
#include "StdAfx.h"

#include "slab_inventory.h"

void Slab_edge_inventory::clear() {
    m_edges.clear();
    m_edges_2.clear();
}

void Slab_edge_inventory::add(const KORVid_and_filename& edge) {
    m_edges.push_back(edge);
    m_edges_2.push_back(edge);
}

// ----- building ------------------------------------------------------------------------------

namespace {

// The entity's layer name without an external reference's prefix: the part after the
// first "|".
std::wstring unprefixed_layer(const AcDbEntity* entity) {
    AcString layer_name;
    if (entity->layer(layer_name) != Acad::eOk) return std::wstring();
    const std::wstring name = layer_name.kwszPtr();
    const size_t bar = name.find(L'|');
    return bar == std::wstring::npos ? name : name.substr(bar + 1);
}

bool is_slab_edge(const AcDbEntity* entity, const std::wstring& default_layer) {
    if (entity->isKindOf(KORVSlab_edge::desc())) return true;
    if (_wcsicmp(unprefixed_layer(entity).c_str(), default_layer.c_str()) != 0) return false;
    return entity->isKindOf(AcDbPolyline::desc()) || entity->isKindOf(AcDbLine::desc()) ||
           entity->isKindOf(AcDbArc::desc());
}

// Lists the slab edges of the block record, seen through the insert ref when there is one.
void scan_block(Slab_edge_inventory* inventory, AcDbBlockTableRecord* pBlockTableRecord,
                AcDbBlockReference* ref, AcDbDatabase* db) {
    const std::wstring default_layer = KORVSlab_edge::get_default_layer_name();
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (pBlockTableRecord->newIterator(raw_iterator, true, true) != Acad::eOk) return;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    std::wstring file_name;
    AcDbObjectId reference_id;
    if (ref != nullptr) {
        const ACHAR* name = nullptr;
        pBlockTableRecord->getName(name);
        file_name = name ? name : L"";
        if (ref->database() == db) reference_id = ref->objectId();
    }
    for (; !iterator->done(); iterator->step()) {
        AcDbEntity* raw_entity = nullptr;
        if (iterator->getEntity(raw_entity, AcDb::kForRead, false) != Acad::eOk) continue;
        AcDbEntityPointer entity;
        entity.acquire(raw_entity);
        if (is_slab_edge(entity, default_layer)) {
            inventory->add(KORVid_and_filename(entity->objectId(), file_name, reference_id));
        }
    }
}

// Scans the resolved reference once per insert not on a frozen layer.
void scan_reference_inserts(Slab_edge_inventory* inventory, AcDbBlockTableRecord* record,
                            AcDbDatabase* db) {
    AcDbObjectIdArray reference_ids;
    record->getBlockReferenceIds(reference_ids, true, false);
    for (int i = 0; i < reference_ids.length(); ++i) {
        AcDbObjectPointer<AcDbBlockReference> reference(reference_ids[i], AcDb::kForRead);
        Acad::ErrorStatus es = reference.openStatus();
        _ASSERTE(es == Acad::eOk);
        if (es != Acad::eOk || KORVis_on_frozen_layer(reference)) continue;
        scan_block(inventory, record, reference, db);
    }
}

void scan_references(Slab_edge_inventory* inventory, AcDbDatabase* db) {
    AcDbBlockTablePointer block_table(db, AcDb::kForRead);
    if (block_table.openStatus() != Acad::eOk) return;
    AcDbBlockTableIterator* raw_iterator = nullptr;
    if (block_table->newIterator(raw_iterator, true, true) != Acad::eOk) return;
    std::unique_ptr<AcDbBlockTableIterator> iterator(raw_iterator);
    for (; !iterator->done(); iterator->step()) {
        try {
            AcDbBlockTableRecord* raw_record = nullptr;
            if (iterator->getRecord(raw_record, AcDb::kForRead, false) != Acad::eOk) continue;
            AcDbBlockTableRecordPointer record;
            record.acquire(raw_record);
            if (record->isFromExternalReference() && record->xrefStatus() == AcDb::kXrfResolved) {
                scan_reference_inserts(inventory, record, db);
            }
        } catch (...) {
            _ASSERTE(false);
        }
    }
}

}  // namespace

void build_slab_edge_inventory(Slab_edge_inventory* inventory, AcDbDatabase* db) {
    inventory->clear();
    AcDbBlockTableRecordPointer model_space(ACDB_MODEL_SPACE, db, AcDb::kForRead);
    if (model_space.openStatus() != Acad::eOk) return;
    scan_block(inventory, model_space, nullptr, db);
    scan_references(inventory, db);
}

// ----- registry --------------------------------------------------------------------------------

namespace {

Slab_edge_registry& slab_edge_registry() {
    static Slab_edge_registry instance;
    return instance;
}

}  // namespace

Slab_edge_inventory* get_slab_edge_inventory(AcDbDatabase* db, const std::wstring& drawing_name) {
    if (db == nullptr) db = acdbHostApplicationServices()->workingDatabase();
    _ASSERTE(db);
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (db == nullptr || document == nullptr) return nullptr;
    if (is_unnamed_foreign_drawing(db, document, drawing_name)) return nullptr;
    std::wstring name = drawing_name;
    if (name.empty()) {
        const ACHAR* pDrawingName = reported_drawing_name(db);
        _ASSERTE(pDrawingName);
        if (pDrawingName != nullptr) name = pDrawingName;
    }
    const Drawing_key key(document, name);
    Slab_edge_registry& registry = slab_edge_registry();
    auto found = registry.find(key);
    if (found != registry.end()) return found->second.get();
    Slab_edge_inventory* inventory =
        registry.emplace(key, std::make_unique<Slab_edge_inventory>()).first->second.get();
    build_slab_edge_inventory(inventory, db);
    return inventory;
}

void drop_slab_edge_inventories(AcApDocument* document) {
    Slab_edge_registry& registry = slab_edge_registry();
    for (auto entry = registry.begin(); entry != registry.end();) {
        entry = entry->first.first == document ? registry.erase(entry) : std::next(entry);
    }
}

// ----- exports -----------------------------------------------------------------------------------

bool KORVget_slab_edges(AcDbDatabase* db, const std::wstring& drawing_name, bool second_list,
                        std::list<KORVid_and_filename>& edges) {
    try {
        Slab_edge_inventory* inventory = get_slab_edge_inventory(db, drawing_name);
        if (inventory == nullptr) return false;
        edges = inventory->edges(second_list);
        return true;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

bool KORVget_intervals_bounded_by_slab(AcDbDatabase* db, const AcGePoint3d& start,
                                       const AcGePoint3d& end, const AcGePoint3d& side,
                                       double distance, std::list<double>& parameters,
                                       std::list<AcGePoint3d>& points) {
    try {
        Slab_edge_inventory* inventory = get_slab_edge_inventory(db, std::wstring());
        if (inventory == nullptr) return false;
        for (const KORVid_and_filename& item : inventory->edges(false)) {
            try {
                AcDbObjectPointer<KORVSlab_edge> edge(item.id, AcDb::kForRead);
                if (edge.openStatus() != Acad::eOk) continue;
                edge->get_intervals_aligned_with_edges(start, end, side, distance, parameters,
                                                       points);
            } catch (...) {
                _ASSERTE(false);
            }
        }
        return true;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}
