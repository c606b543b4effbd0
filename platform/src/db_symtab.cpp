// Symbol tables, their records and iterators; block table records and their entities.
#include <acstring.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "host_state.h"
#include "text.h"

using host_test::HostOp;
using korv_host::peek;

namespace {

ACHAR* heap_copy(const std::wstring& text) {
    auto* copy = static_cast<ACHAR*>(std::malloc((text.size() + 1) * sizeof(ACHAR)));
    std::wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

bool require_read(const AcDbObject* object, const char* what) {
    if (object->isReadEnabled()) return true;
    korv_host::report_violation(std::string(what) +
                                " on an object that is not open: " + korv_host::describe(object));
    return false;
}

}  // namespace

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject);
ACRX_NO_CONS_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject);
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent,
                        0, BLOCK_TABLE, AutoCAD);
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, BLOCK_RECORD, AutoCAD);
ACRX_DXF_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent,
                        0, LAYER_TABLE, AutoCAD);
ACRX_DXF_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, LAYER, AutoCAD);

// ----- tables ----------------------------------------------------------------------------

AcDbSymbolTable::~AcDbSymbolTable() = default;

Acad::ErrorStatus AcDbSymbolTable::getIdAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                           bool getErasedRecord) const {
    recordId.setNull();
    if (entryName == nullptr) return Acad::eInvalidInput;
    if (!require_read(this, "symbol table lookup")) return Acad::eNotOpenForRead;
    recordId = findNamed(korv_host::upper_case(entryName), getErasedRecord);
    return recordId.isNull() ? Acad::eKeyNotFound : Acad::eOk;
}

void AcDbSymbolTable::appendRecord(AcDbObjectId id, const std::wstring& name) {
    mPositionsByName[korv_host::upper_case(name)].push_back(mRecordIds.size());
    mRecordIds.push_back(id);
}

AcDbObjectId AcDbSymbolTable::findNamed(const std::wstring& folded, bool getErased,
                                        const AcDbObject* except) const {
    auto found = mPositionsByName.find(folded);
    if (found == mPositionsByName.end()) return AcDbObjectId();
    for (size_t position : found->second) {
        const AcDbObjectId id = mRecordIds[position];
        auto* record = peek<AcDbSymbolTableRecord>(id);
        if (record == nullptr || record == except || (record->isErased() && !getErased)) continue;
        return id;
    }
    return AcDbObjectId();
}

void AcDbSymbolTable::renameRecord(size_t position, const std::wstring& old_name,
                                   const std::wstring& name) {
    auto old_entry = mPositionsByName.find(korv_host::upper_case(old_name));
    if (old_entry != mPositionsByName.end()) {
        std::erase(old_entry->second, position);
        if (old_entry->second.empty()) mPositionsByName.erase(old_entry);
    }
    std::vector<size_t>& positions = mPositionsByName[korv_host::upper_case(name)];
    positions.insert(std::lower_bound(positions.begin(), positions.end(), position), position);
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                         bool getErasedRecord) const {
    return getIdAt(entryName, recordId, getErasedRecord);
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* entryName, AcDbSymbolTableRecord*& pRec,
                                         AcDb::OpenMode openMode, bool openErasedRec) const {
    pRec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getIdAt(entryName, id, openErasedRec);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(pRec, id, openMode, openErasedRec);
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
    AcDbObjectId id;
    return getIdAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    for (const AcDbObjectId& own : mRecordIds) {
        if (own == id) return !id.isErased();
    }
    return false;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& pIterator,
                                               bool atBeginning, bool skipDeleted) const {
    pIterator = nullptr;
    if (!require_read(this, "newIterator")) return Acad::eNotOpenForRead;
    Acad::ErrorStatus es =
        korv_host::fault_status(HostOp::NewTableIterator, static_cast<AcDbStub*>(objectId()));
    if (es != Acad::eOk) return es;
    pIterator = new AcDbSymbolTableIterator(this);
    pIterator->start(atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& recordId, AcDbSymbolTableRecord* pRecord) {
    recordId.setNull();
    if (pRecord == nullptr) return Acad::eNullObjectPointer;
    if (!pRecord->objectId().isNull()) return Acad::eAlreadyInDb;
    if (!pRecord->isKindOf(recordClass())) return Acad::eWrongObjectType;
    if (objectId().isNull()) return Acad::eNoDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (pRecord->nameText().empty()) return Acad::eInvalidSymbolTableName;
    AcDbObjectId existing;
    if (getIdAt(pRecord->nameText().c_str(), existing) == Acad::eOk) {
        return Acad::eDuplicateRecordName;
    }
    Acad::ErrorStatus es =
        korv_host::fault_status(HostOp::AddObject, static_cast<AcDbStub*>(objectId()));
    if (es != Acad::eOk) return es;
    if (database()->impl().handles_exhausted()) return korv_host::DatabaseImpl::kHandlesExhausted;
    recordId = database()->impl().add_object(pRecord, objectId());
    appendRecord(recordId, pRecord->nameText());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* pRecord) {
    AcDbObjectId ignored;
    return add(ignored, pRecord);
}

// ----- table records -----------------------------------------------------------------------

AcDbSymbolTableRecord::~AcDbSymbolTableRecord() = default;

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& pName) const {
    pName = mName.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(AcString& sName) const {
    sName = mName.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& pName) const {
    pName = heap_copy(mName);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* pName) {
    assertWriteEnabled();
    if (pName == nullptr || *pName == L'\0') return Acad::eInvalidInput;
    auto* table = peek<AcDbSymbolTable>(ownerId());
    if (table == nullptr || objectId().isNull()) {
        mName = pName;
        return Acad::eOk;
    }
    if (!table->findNamed(korv_host::upper_case(pName), false, this).isNull()) {
        return Acad::eDuplicateRecordName;
    }
    const auto& ids = table->recordIds();
    auto own = std::find(ids.begin(), ids.end(), objectId());
    if (own != ids.end()) {
        table->renameRecord(static_cast<size_t>(own - ids.begin()), mName, pName);
    }
    mName = pName;
    return Acad::eOk;
}

bool AcDbSymbolTableRecord::isDependent() const {
    return mName.find(L'|') != std::wstring::npos;
}
bool AcDbSymbolTableRecord::isResolved() const {
    return true;
}

// ----- table iterators -----------------------------------------------------------------

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbSymbolTable* table)
    : mIds(table->recordIds()) {
    ++korv_host::ledger().live_iterators;
}

AcDbSymbolTableIterator::~AcDbSymbolTableIterator() {
    --korv_host::ledger().live_iterators;
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    mIndex = atBeginning ? 0 : static_cast<long>(mIds.size()) - 1;
    if (skipDeleted) atBeginning ? skipErasedForward() : skipErasedBackward();
}

bool AcDbSymbolTableIterator::done() const {
    return mIndex < 0 || mIndex >= static_cast<long>(mIds.size());
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    if (done()) return;
    mIndex += forward ? 1 : -1;
    if (skipDeleted) forward ? skipErasedForward() : skipErasedBackward();
}

void AcDbSymbolTableIterator::skipErasedForward() {
    while (!done() && (mIds[mIndex].isErased() || !mIds[mIndex].isValid())) ++mIndex;
}

void AcDbSymbolTableIterator::skipErasedBackward() {
    while (!done() && (mIds[mIndex].isErased() || !mIds[mIndex].isValid())) --mIndex;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    if (done()) return Acad::eInvalidIndex;
    id = mIds[mIndex];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& pRecord,
                                                     AcDb::OpenMode openMode,
                                                     bool openErasedRec) const {
    pRecord = nullptr;
    if (done()) return Acad::eInvalidIndex;
    return acdbOpenObject(pRecord, mIds[mIndex], openMode, openErasedRec);
}

Acad::ErrorStatus AcDbSymbolTableIterator::seek(AcDbObjectId id) {
    for (size_t i = 0; i < mIds.size(); ++i) {
        if (mIds[i] == id) {
            mIndex = static_cast<long>(i);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbSymbolTableIterator::seek(const AcDbSymbolTableRecord* pRecord) {
    return pRecord ? seek(pRecord->objectId()) : Acad::eNullObjectPointer;
}

// ----- typed tables ----------------------------------------------------------------------

namespace {

template <class Record, class Table>
Acad::ErrorStatus typed_get_at(const Table* table, const ACHAR* name, Record*& pRec,
                               AcDb::OpenMode mode, bool openErased) {
    AcDbSymbolTableRecord* record = nullptr;
    Acad::ErrorStatus es = table->AcDbSymbolTable::getAt(name, record, mode, openErased);
    pRec = static_cast<Record*>(record);
    return es;
}

template <class Iterator, class Table, class Make>
Acad::ErrorStatus typed_new_iterator(const Table* table, Iterator*& pIterator, bool atBeginning,
                                     bool skipDeleted, Make make) {
    pIterator = nullptr;
    if (!require_read(table, "newIterator")) return Acad::eNotOpenForRead;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::NewTableIterator,
                                                   static_cast<AcDbStub*>(table->objectId()));
    if (es != Acad::eOk) return es;
    pIterator = make();
    pIterator->start(atBeginning, skipDeleted);
    return Acad::eOk;
}

}  // namespace

AcDbBlockTable::AcDbBlockTable() = default;
AcDbBlockTable::~AcDbBlockTable() = default;
AcRxClass* AcDbBlockTable::recordClass() const {
    return AcDbBlockTableRecord::desc();
}

Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* entryName, AcDbBlockTableRecord*& pRec,
                                        AcDb::OpenMode openMode, bool openErasedRec) const {
    return typed_get_at(this, entryName, pRec, openMode, openErasedRec);
}
Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                        bool getErasedRec) const {
    return getIdAt(entryName, recordId, getErasedRec);
}
Acad::ErrorStatus AcDbBlockTable::newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning,
                                              bool skipDeleted) const {
    return typed_new_iterator(this, pIterator, atBeginning, skipDeleted,
                              [this] { return new AcDbBlockTableIterator(this); });
}
Acad::ErrorStatus AcDbBlockTable::add(AcDbBlockTableRecord* pRecord) {
    AcDbObjectId ignored;
    return add(ignored, pRecord);
}
Acad::ErrorStatus AcDbBlockTable::add(AcDbObjectId& recordId, AcDbBlockTableRecord* pRecord) {
    Acad::ErrorStatus es = AcDbSymbolTable::add(recordId, pRecord);
    if (es == Acad::eOk) pRecord->addPendingEntities();
    return es;
}

AcDbBlockTableIterator::~AcDbBlockTableIterator() = default;
Acad::ErrorStatus AcDbBlockTableIterator::getRecord(AcDbBlockTableRecord*& pRecord,
                                                    AcDb::OpenMode openMode,
                                                    bool openErasedRec) const {
    AcDbSymbolTableRecord* record = nullptr;
    Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(record, openMode, openErasedRec);
    pRecord = static_cast<AcDbBlockTableRecord*>(record);
    return es;
}

AcDbLayerTable::AcDbLayerTable() = default;
AcDbLayerTable::~AcDbLayerTable() = default;
AcRxClass* AcDbLayerTable::recordClass() const {
    return AcDbLayerTableRecord::desc();
}

Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* entryName, AcDbLayerTableRecord*& pRec,
                                        AcDb::OpenMode openMode, bool openErasedRec) const {
    return typed_get_at(this, entryName, pRec, openMode, openErasedRec);
}
Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                        bool getErasedRec) const {
    return getIdAt(entryName, recordId, getErasedRec);
}
Acad::ErrorStatus AcDbLayerTable::newIterator(AcDbLayerTableIterator*& pIterator, bool atBeginning,
                                              bool skipDeleted) const {
    return typed_new_iterator(this, pIterator, atBeginning, skipDeleted,
                              [this] { return new AcDbLayerTableIterator(this); });
}
Acad::ErrorStatus AcDbLayerTable::add(AcDbLayerTableRecord* pRecord) {
    return AcDbSymbolTable::add(pRecord);
}
Acad::ErrorStatus AcDbLayerTable::add(AcDbObjectId& recordId, AcDbLayerTableRecord* pRecord) {
    return AcDbSymbolTable::add(recordId, pRecord);
}

AcDbLayerTableIterator::~AcDbLayerTableIterator() = default;
Acad::ErrorStatus AcDbLayerTableIterator::getRecord(AcDbLayerTableRecord*& pRecord,
                                                    AcDb::OpenMode openMode,
                                                    bool openErasedRec) const {
    AcDbSymbolTableRecord* record = nullptr;
    Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(record, openMode, openErasedRec);
    pRecord = static_cast<AcDbLayerTableRecord*>(record);
    return es;
}

AcDbLayerTableRecord::AcDbLayerTableRecord() = default;
AcDbLayerTableRecord::~AcDbLayerTableRecord() = default;

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
    assertWriteEnabled();
    mFrozen = frozen;
    return Acad::eOk;
}
void AcDbLayerTableRecord::setIsOff(bool off) {
    assertWriteEnabled();
    mOff = off;
}
void AcDbLayerTableRecord::setIsLocked(bool locked) {
    assertWriteEnabled();
    mLocked = locked;
}
void AcDbLayerTableRecord::setColorIndex(Adesk::UInt16 color) {
    assertWriteEnabled();
    mColorIndex = color;
}
