// Database services: reading a drawing through a temporary copy, redrawing an entity,
// reading a string system variable, and block records by name.
#include "StdAfx.h"

#include "database_inv.h"

#include <cstdlib>

#include "KORVInventory.h"

namespace {

const DWORD kPathBufferLength = 1024;

Acad::ErrorStatus read_for_sharing(AcDbDatabase* database, const wchar_t* path) {
    return database->readDwgFile(path, AcDbDatabase::kForReadAndReadShare, false, nullptr);
}

// A fresh, empty temporary file "dwg….TMP" in the user's temporary folder; false when the
// folder or the name cannot be had.
bool make_temporary_file(wchar_t (&copy)[kPathBufferLength]) {
    wchar_t temporary_folder[kPathBufferLength] = {};
    const DWORD length = GetTempPathW(kPathBufferLength, temporary_folder);
    if (length == 0 || length >= kPathBufferLength) return false;
    return GetTempFileNameW(temporary_folder, L"dwg", 0, copy) != 0;
}

}  // namespace

bool KORVloadDwgReadOnly(AcDbDatabase* database, const std::wstring& path, bool& used_copy,
                         std::wstring& copy_name) {
    used_copy = false;
    if (database == nullptr) return false;
    try {
        Acad::ErrorStatus es = read_for_sharing(database, path.c_str());
        if (es != Acad::eFileAccessErr && es != Acad::eFileSharingViolation) {
            return es == Acad::eOk;
        }
        // The host holds the file (another session has it open): read a copy instead. The
        // copy is the caller's to remove once the database is closed.
        wchar_t copy[kPathBufferLength] = {};
        if (!make_temporary_file(copy) || !CopyFileW(path.c_str(), copy, FALSE)) return false;
        es = read_for_sharing(database, copy);
        used_copy = true;
        copy_name = copy;
        return es == Acad::eOk;
    } catch (...) {
        _ASSERTE(false);
        return false;
    }
}

void KORVupdate_entity(AcDbObjectId id) {
    if (id.isNull()) return;
    ads_name entity_name = {0, 0};
    if (acdbGetAdsName(entity_name, id) != Acad::eOk) return;
    acdbEntUpd(entity_name);
}

bool KORVget_string_var(const wchar_t* name, std::wstring& value) {
    resbuf result = {};
    const int code = acedGetVar(name, &result);
    if (code == RTNORM && result.restype == RTSTR) {
        if (result.resval.rstring != nullptr) {
            value = result.resval.rstring;
            // The host allocated the string for us.
            std::free(result.resval.rstring);
        }
    }
    return code == RTNORM;
}

AcDbBlockTableRecord* open_block_record(const wchar_t* name, AcDbDatabase* database,
                                        AcDb::OpenMode mode) {
    AcDbDatabase* db = database ? database : acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr) return nullptr;
    AcDbBlockTable* pBlockTable = nullptr;
    Acad::ErrorStatus es = db->getBlockTable(pBlockTable, AcDb::kForRead);
    _ASSERTE(es == Acad::eOk);
    if (es != Acad::eOk) return nullptr;
    AcDbBlockTableRecord* pBlockTableRecord = nullptr;
    if (pBlockTable->getAt(name, pBlockTableRecord, mode, false) != Acad::eOk) {
        pBlockTableRecord = nullptr;
    }
    pBlockTable->close();
    return pBlockTableRecord;
}

AcDbBlockTableRecord* open_model_space(AcDbDatabase* database, AcDb::OpenMode mode) {
    return open_block_record(ACDB_MODEL_SPACE, database, mode);
}

AcDbObjectId get_block_record_id(const wchar_t* name, AcDbDatabase* database) {
    AcDbDatabase* db = database ? database : acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr) return AcDbObjectId::kNull;
    AcDbBlockTable* pBlockTable = nullptr;
    Acad::ErrorStatus es = db->getBlockTable(pBlockTable, AcDb::kForRead);
    _ASSERTE(es == Acad::eOk);
    if (es != Acad::eOk) return AcDbObjectId::kNull;
    AcDbObjectId id;
    if (pBlockTable->getIdAt(name, id, false) != Acad::eOk) id.setNull();
    pBlockTable->close();
    return id;
}

std::wstring get_block_name(AcDbObjectId id) {
    std::wstring name;
    try {
        AcDbObjectPointer<AcDbBlockTableRecord> pBlockTableRecord(id, AcDb::kForRead);
        Acad::ErrorStatus es = pBlockTableRecord.openStatus();
        _ASSERTE(es == Acad::eOk);
        if (es != Acad::eOk) return name;
        const ACHAR* record_name = nullptr;
        pBlockTableRecord->getName(record_name);
        if (record_name != nullptr) name = record_name;
    } catch (...) {
        _ASSERTE(false);
    }
    return name;
}
