// The level registry: the levels of each drawing, searched on first request and kept.
#include "StdAfx.h"

#include "level_inventory.h"

#include <map>
#include <memory>

#include "KORVInventory.h"
#include "member_inventory.h"

namespace {

typedef std::map<Drawing_key, std::list<KORVLevel>, Drawing_key_less> Level_registry;

Level_registry& level_registry() {
    static Level_registry instance;
    return instance;
}

}  // namespace

bool find_levels(AcDbDatabase* db, std::list<KORVLevel>& levels) {
    if (KORVLevel::find_levels_in_dictionary(db, levels)) return true;
    AcDbBlockTable* pBlockTable = nullptr;
    if (db->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk || pBlockTable == nullptr) {
        return false;
    }
    AcDbBlockTablePointer block_table;
    block_table.acquire(pBlockTable);
    AcDbBlockTableIterator* raw_iterator = nullptr;
    if (block_table->newIterator(raw_iterator, true, true) != Acad::eOk) return false;
    std::unique_ptr<AcDbBlockTableIterator> iterator(raw_iterator);
    bool found = false;
    for (; !iterator->done(); iterator->step()) {
        AcDbBlockTableRecord* raw_record = nullptr;
        if (iterator->getRecord(raw_record, AcDb::kForRead, false) != Acad::eOk) continue;
        AcDbBlockTableRecordPointer record;
        record.acquire(raw_record);
        if (record->isFromExternalReference() && record->xrefStatus() == AcDb::kXrfResolved) {
            found |= KORVLevel::find_levels_in_dictionary(record->xrefDatabase(false), levels);
        }
    }
    return found;
}

void drop_level_inventories(AcApDocument* document) {
    Level_registry& registry = level_registry();
    for (auto entry = registry.begin(); entry != registry.end();) {
        entry = entry->first.first == document ? registry.erase(entry) : std::next(entry);
    }
}

bool KORVget_levels(AcDbDatabase* db, std::list<KORVLevel>& levels) {
    try {
        if (db == nullptr) db = acdbHostApplicationServices()->workingDatabase();
        _ASSERTE(db);
        if (db == nullptr) return false;
        AcApDocument* document = acDocManagerPtr()->curDocument();
        if (document == nullptr) return false;
        const ACHAR* file_name = nullptr;
        if (db->getFilename(file_name) != Acad::eOk || file_name == nullptr || *file_name == 0) {
            return false;
        }
        const Drawing_key key(document, file_name);
        Level_registry& registry = level_registry();
        auto cached = registry.find(key);
        if (cached == registry.end()) {
            std::list<KORVLevel> found;
            if (!find_levels(db, found)) return false;
            cached = registry.emplace(key, std::move(found)).first;
        }
        levels = cached->second;
        return true;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

void KORVclear_level_inventories() {
    level_registry().clear();
}
