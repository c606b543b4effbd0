// Grid line inventories: the build from a drawing, the grid registry, the queries by grid
// system and the rebuild.
#include "StdAfx.h"

#include "grid_line_inventory.h"

#include "member_inventory.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

namespace {

// ----- registry ------------------------------------------------------------------------------

// Keyed as the member registries are.
typedef Drawing_key Grid_key;
typedef std::map<Grid_key, std::unique_ptr<Grid_line_inventory>, Drawing_key_less> Grid_registry;

Grid_registry& grid_registry() {
    static Grid_registry instance;
    return instance;
}

// The drawing's own name: its file, or for an external reference's database the file it
// was loaded from; empty (after the report) when the host gives none.
std::wstring own_drawing_name(AcDbDatabase* db) {
    const ACHAR* pDrawingName = nullptr;
    if (db->xrefBlockId().isNull()) {
        db->getFilename(pDrawingName);
    } else {
        pDrawingName = db->originalFileName();
    }
    _ASSERTE(pDrawingName);
    return pDrawingName ? pDrawingName : L"";
}

// Builds a new inventory and stores it under the key; null, storing nothing, when the
// build fails.
Grid_line_inventory* build_and_store(const Grid_key& key, AcDbDatabase* db) {
    auto inventory = std::make_unique<Grid_line_inventory>();
    if (!build_grid_line_inventory(*inventory, db)) return nullptr;
    return grid_registry().emplace(key, std::move(inventory)).first->second.get();
}

// ----- build ---------------------------------------------------------------------------------

// Files the entity's id under its kind; radial kinds are tested first. True when filed.
bool file_grid_line(Grid_line_inventory& inventory, AcDbEntity* entity) {
    if (entity->isKindOf(KORVRadial_grid_line::desc()) ||
        entity->isKindOf(KORVCircle_grid_line::desc())) {
        inventory.radial_lines().push_back(entity->objectId());
        return true;
    }
    if (entity->isKindOf(KORVMaster_grid_line::desc()) ||
        entity->isKindOf(KORVTrimmed_master_grid_line::desc())) {
        inventory.linear_lines().push_back(entity->objectId());
        return true;
    }
    return false;
}

// Files the grid lines of the block, setting found when it files one. False when the
// block's entities cannot be walked.
bool scan_block(Grid_line_inventory& inventory, AcDbBlockTableRecord* block, bool& found) {
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (block->newIterator(raw_iterator, true, true) != Acad::eOk) return false;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    for (; !iterator->done(); iterator->step()) {
        AcDbEntity* raw_entity = nullptr;
        if (iterator->getEntity(raw_entity, AcDb::kForRead, false) != Acad::eOk) continue;
        AcDbEntityPointer entity;
        entity.acquire(raw_entity);
        try {
            if (file_grid_line(inventory, entity)) found = true;
        } catch (...) {
            _ASSERTE(false);
        }
    }
    return true;
}

// Scans the block of every resolved external reference. True when every reference is
// resolved, or when some resolved reference holds a grid line.
bool scan_references(Grid_line_inventory& inventory, AcDbDatabase* db) {
    try {
        AcDbBlockTable* raw_table = nullptr;
        if (db->getSymbolTable(raw_table, AcDb::kForRead) != Acad::eOk || raw_table == nullptr)
            return false;
        AcDbBlockTablePointer block_table;
        block_table.acquire(raw_table);
        AcDbBlockTableIterator* raw_iterator = nullptr;
        if (block_table->newIterator(raw_iterator, true, true) != Acad::eOk) return false;
        std::unique_ptr<AcDbBlockTableIterator> iterator(raw_iterator);
        bool all_resolved = true;
        bool any_found = false;
        for (; !iterator->done(); iterator->step()) {
            AcDbBlockTableRecord* raw_record = nullptr;
            if (iterator->getRecord(raw_record, AcDb::kForRead, false) != Acad::eOk) continue;
            AcDbBlockTableRecordPointer record;
            record.acquire(raw_record);
            if (!record->isFromExternalReference()) continue;
            if (record->xrefStatus() == AcDb::kXrfResolved) {
                bool found = false;
                scan_block(inventory, record, found);
                if (found) any_found = true;
            } else {
                all_resolved = false;
            }
        }
        return all_resolved || any_found;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

// ----- queries -------------------------------------------------------------------------------

// Hands each line of the list that opens as a grid line to visit; lines that no longer open
// are passed over.
template <class Visit>
void visit_grid_lines(const std::list<AcDbObjectId>& lines, Visit visit) {
    for (const AcDbObjectId& id : lines) {
        try {
            AcDbObjectPointer<AcDbEntity> entity(id, AcDb::kForRead);
            if (entity.openStatus() != Acad::eOk) continue;
            auto* mgl = dynamic_cast<KORVGrid_line_parent*>(entity.object());
            _ASSERTE(mgl);
            if (mgl == nullptr) continue;
            visit(*mgl);
        } catch (...) {
            _ASSERTE(false);
        }
    }
}

// Clears names and fills it with the grid system names of the lines, once each, ascending.
void grid_system_names(const std::list<AcDbObjectId>& lines, std::list<std::wstring>& names) {
    std::set<std::wstring> distinct;
    visit_grid_lines(
        lines, [&](const KORVGrid_line_parent& line) { distinct.insert(line.grid_system_name()); });
    names.clear();
    names.insert(names.end(), distinct.begin(), distinct.end());
}

// Appends the lines of the named systems (every line when none is named) to ids.
void grid_lines_of_systems(const std::list<AcDbObjectId>& lines,
                           const std::list<std::wstring>& system_names,
                           std::list<AcDbObjectId>& ids) {
    visit_grid_lines(lines, [&](const KORVGrid_line_parent& line) {
        bool matches = system_names.empty();
        for (const std::wstring& name : system_names) {
            if (name == line.grid_system_name()) matches = true;
        }
        if (matches) ids.push_back(line.objectId());
    });
}

// Runs a query on the drawing's inventory; false, running nothing, when there is none. An
// exception that escaped every narrower handler is reported and answers false, so none
// crosses the interface.
template <class Query>
bool with_inventory(AcDbDatabase* db, const std::wstring& drawing_name, Query query) {
    try {
        Grid_line_inventory* inventory = get_grid_line_inventory(db, drawing_name);
        if (inventory == nullptr) return false;
        query(*inventory);
        return true;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

}  // namespace

// ----- inventories ---------------------------------------------------------------------------

bool build_grid_line_inventory(Grid_line_inventory& inventory, AcDbDatabase* db) {
    inventory.linear_lines().clear();
    inventory.radial_lines().clear();
    try {
        {
            AcDbBlockTableRecordPointer model_space(ACDB_MODEL_SPACE, db, AcDb::kForRead);
            if (model_space.openStatus() != Acad::eOk) return false;
            bool found = false;
            if (!scan_block(inventory, model_space, found)) return false;
        }
        return scan_references(inventory, db);
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

Grid_line_inventory* get_grid_line_inventory(AcDbDatabase* db, const std::wstring& drawing_name) {
    if (db == nullptr) db = acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr) return nullptr;
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (document == nullptr) return nullptr;
    const bool is_reference_database = !db->xrefBlockId().isNull();
    if (!is_reference_database && db != document->database() && drawing_name.empty()) {
        return nullptr;
    }
    const Grid_key key(document, drawing_name.empty() ? own_drawing_name(db) : drawing_name);
    auto found = grid_registry().find(key);
    if (found != grid_registry().end()) return found->second.get();
    return build_and_store(key, db);
}

void drop_grid_line_inventories(AcApDocument* document) {
    Grid_registry& registry = grid_registry();
    for (auto entry = registry.begin(); entry != registry.end();) {
        entry = entry->first.first == document ? registry.erase(entry) : std::next(entry);
    }
}

// ----- exported functions --------------------------------------------------------------------

bool KORVget_linear_grid_system_names(std::list<std::wstring>& names, AcDbDatabase* db,
                                      const std::wstring& drawing_name) {
    return with_inventory(db, drawing_name, [&](Grid_line_inventory& inventory) {
        grid_system_names(inventory.linear_lines(), names);
    });
}

bool KORVget_radial_grid_system_names(std::list<std::wstring>& names, AcDbDatabase* db,
                                      const std::wstring& drawing_name) {
    return with_inventory(db, drawing_name, [&](Grid_line_inventory& inventory) {
        grid_system_names(inventory.radial_lines(), names);
    });
}

bool KORVget_grid_system_names(std::list<std::wstring>& names, AcDbDatabase* db,
                               const std::wstring& drawing_name) {
    if (!KORVget_linear_grid_system_names(names, db, drawing_name)) return false;
    std::list<std::wstring> radial_names;
    if (!KORVget_radial_grid_system_names(radial_names, db, drawing_name)) return false;
    names.splice(names.end(), radial_names);
    return true;
}

bool KORVget_linear_grid_lines(const std::list<std::wstring>& system_names, AcDbDatabase* db,
                               const std::wstring& drawing_name, std::list<AcDbObjectId>& ids) {
    return with_inventory(db, drawing_name, [&](Grid_line_inventory& inventory) {
        grid_lines_of_systems(inventory.linear_lines(), system_names, ids);
    });
}

bool KORVget_radial_grid_lines(const std::list<std::wstring>& system_names, AcDbDatabase* db,
                               const std::wstring& drawing_name, std::list<AcDbObjectId>& ids) {
    return with_inventory(db, drawing_name, [&](Grid_line_inventory& inventory) {
        grid_lines_of_systems(inventory.radial_lines(), system_names, ids);
    });
}

void KORVrebuild_grid_inventory(AcDbDatabase* db) {
    try {
        if (db == nullptr) db = acdbHostApplicationServices()->workingDatabase();
        if (db == nullptr) return;
        AcApDocument* document = acDocManagerPtr()->curDocument();
        if (document == nullptr) return;
        const Grid_key key(document, own_drawing_name(db));
        auto found = grid_registry().find(key);
        if (found != grid_registry().end()) {
            // A failed rebuild keeps what it gathered.
            build_grid_line_inventory(*found->second, db);
        } else {
            build_and_store(key, db);
        }
    } catch (...) {
        _ASSERTE(false);
    }
}
