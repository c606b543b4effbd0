#include <dbsymtb.h>
#include <host_test/host_test.h>
#include <host_test/read_repairs.h>
#include <host_test/system_variables.h>

#include <algorithm>

#include "host_state.h"

namespace host_test {

long open_object_count() {
    return korv_host::ledger().open_objects;
}
long live_iterator_count() {
    return korv_host::ledger().live_iterators;
}

std::vector<std::string> open_object_descriptions() {
    std::vector<std::string> open;
    for (AcDbDatabase* db : korv_host::live_databases()) {
        for (AcDbStub* stub : db->impl().stubs) {
            if (stub->object != nullptr && stub->object->isOpen()) {
                const int readers = korv_host::ObjectAccess::readers(stub->object);
                open.push_back(
                    korv_host::describe(stub->object) +
                    (readers > 0 ? " (read x" + std::to_string(readers) + ")" : " (write)"));
            }
        }
    }
    return open;
}

std::vector<ReadRepair> read_repairs(const AcDbDatabase* db) {
    return db != nullptr ? db->impl().read_repairs : std::vector<ReadRepair>();
}

std::vector<std::string> host_violations() {
    return korv_host::ledger().violations;
}
void clear_host_violations() {
    korv_host::ledger().violations.clear();
}

AcApDocument* add_document(std::unique_ptr<AcDbDatabase> database, const std::wstring& file_name) {
    AcDbDatabase* db = database.release();
    set_file_name(db, file_name);
    set_original_file_name(db, file_name);
    auto& manager = korv_host::doc_manager();
    manager.documents.push_back(std::make_unique<korv_host::HostDocument>(db, file_name, true));
    return manager.documents.back().get();
}

void set_current_document(AcApDocument* document) {
    korv_host::doc_manager().current = document;
}

void set_working_database(AcDbDatabase* database) {
    acdbHostApplicationServices()->setWorkingDatabase(database);
}

void destroy_document(AcApDocument* document) {
    auto& manager = korv_host::doc_manager();
    if (manager.current == document) manager.current = nullptr;
    if (document && acdbHostApplicationServices()->workingDatabase() == document->database()) {
        set_working_database(nullptr);
    }
    auto& docs = manager.documents;
    docs.erase(std::remove_if(docs.begin(), docs.end(),
                              [document](const auto& held) { return held.get() == document; }),
               docs.end());
}

void set_file_name(AcDbDatabase* database, const std::wstring& file_name) {
    database->impl().file_name = file_name;
    database->impl().has_file_name = true;
}

void set_original_file_name(AcDbDatabase* database, const std::wstring& file_name) {
    database->impl().original_file_name = file_name;
    database->impl().has_original_file_name = true;
}

void reset_host() {
    auto& manager = korv_host::doc_manager();
    manager.current = nullptr;
    set_working_database(nullptr);
    manager.documents.clear();
    clear_faults();
    reset_system_variables();
    clear_assertion_reports();
    clear_host_calls();
    korv_host::ledger() = korv_host::Ledger{};
}

}  // namespace host_test
