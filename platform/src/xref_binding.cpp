#include "xref_binding.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "host_state.h"
#include "host_work.h"
#include "text.h"

namespace fs = std::filesystem;

namespace korv_host {
namespace {

constexpr size_t kMaxNesting = 16;

// The drawings being loaded right now, outermost first: a reference to one of them would
// load forever.
std::vector<std::string>& loading() {
    static auto& files = *new std::vector<std::string>;
    return files;
}

void set_file_names(AcDbDatabase* db, const std::wstring& file_name) {
    DatabaseImpl& impl = db->impl();
    impl.file_name = impl.original_file_name = file_name;
    impl.has_file_name = impl.has_original_file_name = true;
}

std::vector<AcDbObjectId> xref_records(AcDbDatabase* db) {
    std::vector<AcDbObjectId> ids;
    auto* table = peek<AcDbBlockTable>(db->blockTableId());
    if (table == nullptr) return ids;
    for (const AcDbObjectId& id : table->recordIds()) {
        auto* record = peek<AcDbBlockTableRecord>(id);
        if (record && !record->isErased() && record->isFromExternalReference()) ids.push_back(id);
    }
    return ids;
}

// The host's record of that name, made (as a reference to path) when missing. Null when
// the name is taken by a block that is not a reference.
AcDbObjectId host_record_for(AcDbDatabase* host, const AcDbBlockTableRecord& nested) {
    AcDbBlockTable* table = nullptr;
    if (host->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId();
    AcDbObjectId id;
    const ACHAR* path = nullptr;
    nested.pathName(path);
    if (table->getAt(nested.nameText().c_str(), id) == Acad::eOk) {
        table->close();
        auto* existing = peek<AcDbBlockTableRecord>(id);
        return existing && existing->isFromExternalReference() ? id : AcDbObjectId();
    }
    auto* record = new AcDbBlockTableRecord();
    record->setName(nested.nameText().c_str());
    record->setPathName(path);
    if (table->add(id, record) == Acad::eOk) {
        record->close();
    } else {
        delete record;
    }
    table->close();
    return id;
}

std::string portable(const std::wstring& path) {
    std::string text = narrow(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

// Where the saved path points from a drawing in folder; empty when nothing is there. A
// reference saved as a DWG file is also found as the DXF file beside where it points,
// since this host reads DXF only.
std::string find_referenced(const std::wstring& saved, const fs::path& folder) {
    const fs::path path(portable(saved));
    std::vector<fs::path> candidates;
    candidates.push_back(path.is_absolute() ? path : folder / path);
    candidates.push_back(folder / path.filename());
    if (same_name_ignoring_case(widen(path.extension().string()), L".dwg")) {
        for (size_t i = 0, saved_count = candidates.size(); i < saved_count; ++i)
            candidates.push_back(fs::path(candidates[i]).replace_extension(".dxf"));
    }
    for (const fs::path& candidate : candidates) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) return candidate.lexically_normal().string();
    }
    return std::string();
}

bool would_recurse(const std::string& file) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(file, error);
    for (const std::string& open : loading()) {
        if (fs::weakly_canonical(open, error) == canonical) return true;
    }
    return loading().size() >= kMaxNesting;
}

void load_one(AcDbDatabase* host, AcDbObjectId record_id, const fs::path& folder) {
    auto* record = peek<AcDbBlockTableRecord>(record_id);
    const ACHAR* saved = nullptr;
    record->pathName(saved);
    const std::string file = find_referenced(saved, folder);
    if (file.empty()) return set_xref_status(record_id, AcDb::kXrfFileNotFound);
    if (would_recurse(file)) return set_xref_status(record_id, AcDb::kXrfUnresolved);
    auto referenced = std::make_unique<AcDbDatabase>(false, true);
    const std::wstring name = widen(file);
    if (referenced->readDwgFile(name.c_str(), AcDbDatabase::kForReadAndAllShare) != Acad::eOk) {
        return set_xref_status(record_id, AcDb::kXrfUnresolved);
    }
    bind_xref(host, record_id, std::move(referenced), name);
}

}  // namespace

void set_xref_status(AcDbObjectId record_id, AcDb::XrefStatus status) {
    auto* record = peek<AcDbBlockTableRecord>(record_id);
    if (record == nullptr) return;
    auto& binding = record->xrefBinding();
    binding.status = status;
    binding.database = nullptr;
}

void bind_xref(AcDbDatabase* host, AcDbObjectId record_id, std::unique_ptr<AcDbDatabase> referenced,
               const std::wstring& file_name) {
    auto* record = peek<AcDbBlockTableRecord>(record_id);
    if (record == nullptr || referenced == nullptr) return;
    HostWork host_work;
    AcDbDatabase* bound = referenced.get();
    bound->impl().xref_block = record_id;
    set_file_names(bound, file_name);
    auto& binding = record->xrefBinding();
    binding.status = AcDb::kXrfResolved;
    binding.database = bound;
    host->impl().xref_databases.push_back(std::move(referenced));
    mirror_nested_references(host, bound);
}

void mirror_nested_references(AcDbDatabase* host, AcDbDatabase* referenced) {
    HostWork host_work;
    for (const AcDbObjectId& nested_id : xref_records(referenced)) {
        auto* nested = peek<AcDbBlockTableRecord>(nested_id);
        const AcDbObjectId mirror_id = host_record_for(host, *nested);
        auto* mirror = peek<AcDbBlockTableRecord>(mirror_id);
        if (mirror == nullptr) continue;
        auto& binding = mirror->xrefBinding();
        binding = nested->xrefBinding();
        // A record that already mirrors a deeper reference keeps pointing at the records
        // whose block references really insert it.
        if (binding.referencesFrom.isNull()) binding.referencesFrom = nested_id;
        if (binding.database != nullptr) binding.database->impl().xref_block = mirror_id;
    }
}

void load_xrefs(AcDbDatabase* host, const std::wstring& host_file) {
    HostWork host_work;
    const std::string file = portable(host_file);
    const fs::path folder = fs::path(file).parent_path();
    loading().push_back(file);
    std::set<AcDbObjectId> done;
    // References inserted in this drawing first: loading them mirrors the ones they hold,
    // which are then not loaded a second time on their own.
    for (int pass = 0; pass < 2; ++pass) {
        for (const AcDbObjectId& id : xref_records(host)) {
            auto* record = peek<AcDbBlockTableRecord>(id);
            if (done.count(id) != 0 || !record->xrefBinding().referencesFrom.isNull()) continue;
            if (pass == 0 && record->referenceIds().empty()) continue;
            load_one(host, id, folder);
            done.insert(id);
        }
    }
    loading().pop_back();
}

}  // namespace korv_host
