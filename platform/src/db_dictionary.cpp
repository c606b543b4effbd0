// Dictionaries, their iterators and the named objects dictionary of a database.
#include <dbdict.h>
#include <dbfiler.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "db_filing.h"
#include "host_state.h"
#include "text.h"

using host_test::HostOp;
using korv_host::ObjectAccess;
using korv_host::peek;

ACRX_DXF_DEFINE_MEMBERS(AcDbDictionary, AcDbObject, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        DICTIONARY, AutoCAD);

namespace {

bool live(const AcDbObjectId& id) {
    return id.isValid() && !id.isErased();
}

bool require_read(const AcDbObject* object, const char* what) {
    if (object->isReadEnabled()) return true;
    korv_host::report_violation(
        std::string(what) + " on a dictionary that is not open: " + korv_host::describe(object));
    return false;
}

ACHAR* heap_copy(const std::wstring& text) {
    auto* copy = static_cast<ACHAR*>(std::malloc((text.size() + 1) * sizeof(ACHAR)));
    std::wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

AcDbDictionary::AcDbDictionary() = default;
AcDbDictionary::~AcDbDictionary() = default;

std::vector<AcDbDictionary::Entry> AcDbDictionary::entries() const {
    std::vector<Entry> all;
    all.reserve(mEntries.size());
    for (const auto& [folded, entry] : mEntries) all.push_back(entry);
    return all;
}

const AcDbDictionary::Entry* AcDbDictionary::findLive(const ACHAR* key) const {
    auto found = mEntries.find(korv_host::upper_case(key));
    return found != mEntries.end() && live(found->second.id) ? &found->second : nullptr;
}

const AcDbDictionary::Entry* AcDbDictionary::findLive(AcDbObjectId id) const {
    for (const auto& [folded, entry] : mEntries) {
        if (entry.id == id && live(id)) return &entry;
    }
    return nullptr;
}

// ----- lookups -------------------------------------------------------------------------------

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* entryName, AcDbObjectId& entryId) const {
    entryId.setNull();
    if (entryName == nullptr) return Acad::eInvalidKey;
    if (!require_read(this, "getAt")) return Acad::eNotOpenForRead;
    const Entry* entry = findLive(entryName);
    if (entry == nullptr) return Acad::eKeyNotFound;
    entryId = entry->id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* entryName, AcDbObject*& entryObj,
                                        AcDb::OpenMode mode) {
    entryObj = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(entryName, id);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(entryObj, id, mode);
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId objId, AcString& name) const {
    if (!require_read(this, "nameAt")) return Acad::eNotOpenForRead;
    const Entry* entry = findLive(objId);
    if (entry == nullptr) return Acad::eKeyNotFound;
    name = entry->key;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId objId, ACHAR*& name) const {
    name = nullptr;
    AcString text;
    Acad::ErrorStatus es = nameAt(objId, text);
    if (es == Acad::eOk) name = heap_copy(text.text());
    return es;
}

bool AcDbDictionary::has(const ACHAR* entryName) const {
    AcDbObjectId id;
    return getAt(entryName, id) == Acad::eOk;
}

bool AcDbDictionary::has(AcDbObjectId objId) const {
    return require_read(this, "has") && findLive(objId) != nullptr;
}

Adesk::UInt32 AcDbDictionary::numEntries() const {
    if (!require_read(this, "numEntries")) return 0;
    Adesk::UInt32 count = 0;
    for (const auto& [folded, entry] : mEntries) count += live(entry.id) ? 1 : 0;
    return count;
}

// ----- changes -------------------------------------------------------------------------------

std::wstring AcDbDictionary::anonymousKey() {
    for (;;) {
        std::wstring key = L"*A" + std::to_wstring(mNextAnonymous++);
        if (mEntries.count(korv_host::upper_case(key)) == 0) return key;
    }
}

Acad::ErrorStatus AcDbDictionary::setAt(const ACHAR* srchKey, AcDbObject* newValue,
                                        AcDbObjectId& retObjId) {
    retObjId.setNull();
    if (newValue == nullptr) return Acad::eNullObjectPointer;
    if (srchKey == nullptr || *srchKey == L'\0') return Acad::eInvalidKey;
    if (objectId().isNull()) return Acad::eNoDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (newValue == this) return Acad::eSelfReference;
    const bool resident = !newValue->objectId().isNull();
    if (resident && newValue->database() != database()) return Acad::eWrongDatabase;
    const std::wstring key = srchKey[0] == L'*' ? anonymousKey() : std::wstring(srchKey);
    const std::wstring folded = korv_host::upper_case(key);
    auto existing = mEntries.find(folded);
    if (resident && !newValue->ownerId().isNull()) {
        if (newValue->ownerId() != objectId()) return Acad::eAlreadyInDb;
        // Already ours: under this key it is a no-op, under another key a second entry.
        if (existing == mEntries.end() || existing->second.id != newValue->objectId()) {
            return Acad::eAlreadyInDb;
        }
        retObjId = newValue->objectId();
        return Acad::eOk;
    }
    Acad::ErrorStatus es =
        korv_host::fault_status(HostOp::AddObject, static_cast<AcDbStub*>(objectId()));
    if (es != Acad::eOk) return es;
    if (!resident && database()->impl().handles_exhausted()) {
        return korv_host::DatabaseImpl::kHandlesExhausted;
    }

    AcDbObjectId replaced;
    if (existing != mEntries.end()) replaced = existing->second.id;
    if (resident) {
        ObjectAccess::set_owner(newValue, objectId());
        retObjId = newValue->objectId();
    } else {
        retObjId = database()->impl().add_object(newValue, objectId());
    }
    if (!newValue->hasPersistentReactor(objectId())) {
        ObjectAccess::reactor_ids(newValue).push_back(objectId());
    }
    mEntries[folded] = Entry{key, retObjId};

    // The old object of the key goes: no longer ours, no longer watched, erased.
    if (AcDbObject* old = peek<AcDbObject>(replaced)) {
        auto& watchers = ObjectAccess::reactor_ids(old);
        std::erase(watchers, objectId());
        if (old->ownerId() == objectId()) ObjectAccess::set_owner(old, AcDbObjectId());
        ObjectAccess::set_erased_notifying(old, true);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::removeEntry(const std::wstring& folded, AcDbObjectId& returnId) {
    returnId.setNull();
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    auto found = mEntries.find(folded);
    if (found == mEntries.end() || !live(found->second.id)) return Acad::eKeyNotFound;
    returnId = found->second.id;
    mEntries.erase(found);
    if (AcDbObject* object = peek<AcDbObject>(returnId)) {
        std::erase(ObjectAccess::reactor_ids(object), objectId());
        if (object->ownerId() == objectId()) ObjectAccess::set_owner(object, AcDbObjectId());
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* key, AcDbObjectId& returnId) {
    returnId.setNull();
    if (key == nullptr) return Acad::eInvalidKey;
    return removeEntry(korv_host::upper_case(key), returnId);
}

Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* key) {
    AcDbObjectId ignored;
    return remove(key, ignored);
}

Acad::ErrorStatus AcDbDictionary::remove(AcDbObjectId objId) {
    const Entry* entry = findLive(objId);
    if (entry == nullptr) return isWriteEnabled() ? Acad::eKeyNotFound : Acad::eNotOpenForWrite;
    AcDbObjectId ignored;
    return removeEntry(korv_host::upper_case(entry->key), ignored);
}

void AcDbDictionary::setTreatElementsAsHard(bool doIt) {
    assertWriteEnabled();
    mTreatAsHard = doIt;
}

AcDbDictionaryIterator* AcDbDictionary::newIterator() const {
    if (!require_read(this, "newIterator")) return nullptr;
    std::vector<Entry> live_entries;
    for (const auto& [folded, entry] : mEntries) {
        if (live(entry.id)) live_entries.push_back(entry);
    }
    return new AcDbDictionaryIterator(std::move(live_entries));
}

// ----- filing ----------------------------------------------------------------------------------

// 280 marks hard ownership of the entries; 281 is the merge style (1: keep existing). Each
// entry is its key (3) and its object (350 soft or 360 hard owner).
Acad::ErrorStatus AcDbDictionary::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbObject::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbDictionary");
    if (mTreatAsHard) filer->writeInt16(AcDb::kDxfInt8, 1);
    filer->writeInt16(static_cast<AcDb::DxfCode>(281), 1);
    const AcDb::DxfCode owner_code =
        mTreatAsHard ? AcDb::kDxfHardOwnershipId : AcDb::kDxfSoftOwnershipId;
    for (const auto& [folded, entry] : mEntries) {
        if (!live(entry.id)) continue;
        filer->writeString(AcDb::kDxfAttributePrompt, entry.key.c_str());
        filer->writeObjectId(owner_code, entry.id);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbDictionary::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = korv_host::filing::expect_subclass(filer, L"AcDbDictionary")) != Acad::eOk) {
        return es;
    }
    mEntries.clear();
    std::wstring key;
    bool have_key = false;
    return korv_host::filing::read_subclass(filer, [&](const resbuf& rb) {
        switch (rb.restype) {
            case AcDb::kDxfInt8:
                mTreatAsHard = rb.resval.rint != 0;
                break;
            case AcDb::kDxfAttributePrompt:
                key = rb.resval.rstring;
                have_key = !key.empty();
                break;
            case AcDb::kDxfSoftOwnershipId:
            case AcDb::kDxfHardOwnershipId: {
                if (!have_key) return Acad::eBadDxfSequence;
                have_key = false;
                // An entry whose object the reader did not keep is dropped.
                const AcDbObjectId id = korv_host::filing::id_of(rb);
                if (!id.isNull()) mEntries[korv_host::upper_case(key)] = Entry{key, id};
                break;
            }
            default:
                break;  // merge style
        }
        return Acad::eOk;
    });
}

// ----- iterators -------------------------------------------------------------------------------

AcDbDictionaryIterator::AcDbDictionaryIterator(std::vector<AcDbDictionary::Entry> entries)
    : mEntries(std::move(entries)) {
    ++korv_host::ledger().live_iterators;
    skipErased();
}

AcDbDictionaryIterator::~AcDbDictionaryIterator() {
    --korv_host::ledger().live_iterators;
}

void AcDbDictionaryIterator::skipErased() {
    while (!done() && !live(mEntries[mIndex].id)) ++mIndex;
}

bool AcDbDictionaryIterator::done() const {
    return mIndex >= mEntries.size();
}

const ACHAR* AcDbDictionaryIterator::name() const {
    return done() ? nullptr : mEntries[mIndex].key.c_str();
}

AcDbObjectId AcDbDictionaryIterator::objectId() const {
    return done() ? AcDbObjectId() : mEntries[mIndex].id;
}

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& pObject, AcDb::OpenMode openMode) {
    pObject = nullptr;
    if (done()) return Acad::eInvalidIndex;
    return acdbOpenObject(pObject, mEntries[mIndex].id, openMode);
}

bool AcDbDictionaryIterator::next() {
    if (done()) return false;
    ++mIndex;
    skipErased();
    return !done();
}

bool AcDbDictionaryIterator::setPosition(AcDbObjectId objId) {
    for (size_t i = 0; i < mEntries.size(); ++i) {
        if (mEntries[i].id == objId && live(objId)) {
            mIndex = i;
            return true;
        }
    }
    return false;
}

// ----- the named objects dictionary ----------------------------------------------------------

Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& pDict,
                                                          AcDb::OpenMode mode) {
    pDict = nullptr;
    if (mImpl->named_objects.isNull()) return Acad::eNullObjectId;
    return acdbOpenObject(pDict, mImpl->named_objects, mode);
}
