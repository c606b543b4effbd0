#include "drawing_session.h"

#include <acadstrc.h>
#include <dbents.h>
#include <dbobjptr.h>
#include <dbsymtb.h>
#include <host_test/host_test.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "progress.h"
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

// Why the file at path cannot be opened, in the user's words; empty when it can.
std::string file_problem(const std::filesystem::path& file, const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (error == std::errc::permission_denied)
        return "permission denied: a folder on the way to " + path + " cannot be searched";
    if (error == std::errc::too_many_symbolic_link_levels)
        return "symbolic link loop: " + path + " leads back to itself";
    if (error == std::errc::not_a_directory)
        return "no such file: " + path + " (a part of the path is a file, not a folder)";
    if (error || !std::filesystem::exists(status)) return "no such file: " + path;
    if (std::filesystem::is_directory(status)) return "not a file: " + path + " is a folder";
    if (!std::filesystem::is_regular_file(status)) return "not a file: " + path;
    if (access(file.c_str(), R_OK) != 0) return "permission denied: " + path + " cannot be read";
    if (valid_utf8(file.string()) != file.string())
        return "the file name " + valid_utf8(path) +
               " is not valid UTF-8, and the host opens files by their names as text: rename it";
    return {};
}

std::filesystem::path existing_file(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(path, error).lexically_normal();
    const std::string problem = error ? "no such file: " + path : file_problem(file, path);
    if (!problem.empty()) throw ToolError(ExitCode::kFile, problem);
    return file;
}

// Why the host could not read a drawing, in plain words, with its status after them.
std::string read_failure(Acad::ErrorStatus es) {
    const char* why = "the host refused it";
    switch (es) {
        case Acad::eBadDxfSequence:
            why =
                "it is not a drawing the host reads (not a DXF file, or a DXF file of "
                "release R12 or older)";
            break;
        case Acad::eDwgNeedsRecovery:
            why = "the file is truncated or damaged";
            break;
        case Acad::eFileAccessErr:
            why = "the file could not be read";
            break;
        case Acad::eFileSharingViolation:
            why = "another program holds the file open for writing";
            break;
        case Acad::eFileNotFound:
            why = "the file is gone";
            break;
        case Acad::eOutOfDisk:
        case Acad::eOutOfMemory:
            why = "the machine ran out of memory or disk space";
            break;
        default:
            break;
    }
    return std::string(why) + " (" + to_utf8(acadErrorStatusText(es)) + ")";
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
    // Not path::wstring(): its conversion follows the locale and refuses non-ASCII names
    // under the C locale, while the host's file names are UTF-8 under every locale.
    file_name_ = from_utf8(file.string());
    auto database = std::make_unique<AcDbDatabase>(false, true);
    Acad::ErrorStatus es;
    {
        const Progress progress("reading " + file.filename().string());
        es = database->readDwgFile(file_name_.c_str());
    }
    if (es != Acad::eOk)
        throw ToolError(ExitCode::kDrawing,
                        "cannot read drawing " + path + ": " + read_failure(es));
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
