#include "drawing_session.h"

#include <acadstrc.h>
#include <dbents.h>
#include <dbobjptr.h>
#include <dbsymtb.h>
#include <host_test/host_test.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "text.h"
#include "tool_error.h"

namespace korv_tool {
namespace {

std::string status_text(AcDb::XrefStatus status) {
    switch (status) {
        case AcDb::kXrfNotAnXref:
            return "not a reference";
        case AcDb::kXrfResolved:
            return "resolved";
        case AcDb::kXrfUnloaded:
            return "unloaded";
        case AcDb::kXrfUnreferenced:
            return "unreferenced";
        case AcDb::kXrfFileNotFound:
            return "file not found";
        case AcDb::kXrfUnresolved:
            return "unresolved";
    }
    return "unknown";
}

std::wstring name_of(const AcDbSymbolTableRecord* record) {
    const ACHAR* name = nullptr;
    return record->getName(name) == Acad::eOk && name != nullptr ? name : L"";
}

std::filesystem::path existing_file(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(path, error);
    if (error || !std::filesystem::exists(file, error))
        throw ToolError(ExitCode::kFile, "no such file: " + path);
    if (!std::filesystem::is_regular_file(file, error))
        throw ToolError(ExitCode::kFile, "not a file: " + path);
    return file.lexically_normal();
}

ReferenceSummary summary_of(AcDbBlockTableRecord* record) {
    ReferenceSummary summary;
    summary.name = name_of(record);
    const ACHAR* path = nullptr;
    if (record->pathName(path) == Acad::eOk && path != nullptr) summary.path = path;
    summary.status = status_text(record->xrefStatus());
    AcDbObjectIdArray inserts;
    record->getBlockReferenceIds(inserts);
    summary.insert_count = inserts.length();
    if (!inserts.isEmpty()) summary.nested_in = reference_name_of(inserts[0]);
    return summary;
}

}  // namespace

DrawingSession::DrawingSession(const std::string& path) {
    const std::filesystem::path file = existing_file(path);
    file_name_ = file.wstring();
    auto database = std::make_unique<AcDbDatabase>(false, true);
    const Acad::ErrorStatus es = database->readDwgFile(file_name_.c_str());
    if (es != Acad::eOk) {
        throw ToolError(ExitCode::kDrawing,
                        "cannot read drawing " + path + ": " + to_utf8(acadErrorStatusText(es)));
    }
    document_ = host_test::add_document(std::move(database), file_name_);
    host_test::set_current_document(document_);
    host_test::set_working_database(document_->database());
}

DrawingSession::~DrawingSession() {
    host_test::destroy_document(document_);
}

AcDbDatabase* DrawingSession::reference_database(const std::wstring& name) const {
    AcDbBlockTableRecordPointer record(name.c_str(), database(), AcDb::kForRead);
    if (record.openStatus() != Acad::eOk || !record->isFromExternalReference())
        throw std::invalid_argument("the drawing has no reference named " + to_utf8(name));
    AcDbDatabase* referenced = record->xrefDatabase();
    if (referenced == nullptr)
        throw std::invalid_argument("the reference " + to_utf8(name) + " is not resolved");
    return referenced;
}

AcDbObjectId DrawingSession::resolve(const ObjectAddress& address) const {
    if (address.handle.isNull()) return AcDbObjectId::kNull;
    AcDbDatabase* holder =
        address.reference.empty() ? database() : reference_database(address.reference);
    AcDbObjectId id;
    if (holder->getAcDbObjectId(id, false, address.handle) != Acad::eOk || id.isNull()) {
        throw std::invalid_argument(
            "no object has handle " + format_object_address(address.handle, {}) + " in " +
            (address.reference.empty() ? "the drawing"
                                       : "reference " + to_utf8(address.reference)));
    }
    return id;
}

std::vector<ReferenceSummary> DrawingSession::references() const {
    std::vector<ReferenceSummary> references;
    AcDbBlockTablePointer table(database(), AcDb::kForRead);
    AcDbBlockTableIterator* raw_iterator = nullptr;
    if (table.openStatus() != Acad::eOk || table->newIterator(raw_iterator) != Acad::eOk)
        return references;
    std::unique_ptr<AcDbBlockTableIterator> iterator(raw_iterator);
    for (; !iterator->done(); iterator->step()) {
        AcDbBlockTableRecord* raw_record = nullptr;
        if (iterator->getRecord(raw_record) != Acad::eOk) continue;
        AcDbBlockTableRecordPointer record;
        record.acquire(raw_record);
        if (record->isFromExternalReference()) references.push_back(summary_of(record));
    }
    return references;
}

std::wstring reference_name_of(AcDbObjectId id) {
    AcDbDatabase* holder = id.database();
    if (holder == nullptr || holder->xrefBlockId().isNull()) return {};
    AcDbBlockTableRecordPointer record(holder->xrefBlockId(), AcDb::kForRead);
    return record.openStatus() == Acad::eOk ? name_of(record) : std::wstring();
}

}  // namespace korv_tool
