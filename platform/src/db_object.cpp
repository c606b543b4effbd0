// Resident objects: identity, the open/close discipline, opening by id, extension
// dictionaries and persistent reactors.
#include <dbapserv.h>
#include <dbdict.h>
#include <dbents.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <unordered_map>

#include "host_state.h"
#include "text.h"

using host_test::HostOp;

namespace korv_host {

namespace {
constexpr int kMaxReaders = 256;
}

Ledger& ledger() {
    static auto& instance = *new Ledger;
    return instance;
}

void report_violation(const std::string& what) {
    ledger().violations.push_back(what);
    std::fprintf(stderr, "host misuse: %s\n", what.c_str());
}

std::string describe(const AcDbObject* object) {
    if (object == nullptr) return "null object";
    const AcDbObjectId id = object->objectId();
    const AcDbStub* stub = id;
    const AcRxClass* cls =
        stub != nullptr && stub->resident_class != nullptr ? stub->resident_class : object->isA();
    std::string text = narrow(cls->name());
    if (!id.isNull()) {
        ACHAR handle[AcDbHandle::kStrSiz];
        id.handle().getIntoAsciiBuffer(handle);
        text += " " + narrow(handle);
    }
    return text;
}

AcDbStub* new_stub(AcDbDatabase* database, AcDbObject* object, Adesk::UInt64 handle) {
    // Stubs are never freed before the process ends, so a stale id never dangles.
    static Adesk::UInt64 next_serial = 1;
    return new (take_kept(sizeof(AcDbStub)))
        AcDbStub{next_serial++, database, object, handle, object->isA()};
}

Acad::ErrorStatus ObjectAccess::open(AcDbObject* object, AcDb::OpenMode mode) {
    if (mode == AcDb::kForWrite) {
        if (object->mWriter) return Acad::eWasOpenForWrite;
        if (object->mReaders > 0) return Acad::eWasOpenForRead;
        object->mWriter = true;
        object->mModifiedPending = true;
    } else {
        if (object->mWriter) return Acad::eWasOpenForWrite;
        if (object->mReaders >= kMaxReaders) return Acad::eAtMaxReaders;
        ++object->mReaders;
    }
    ++ledger().open_objects;
    return Acad::eOk;
}

void ObjectAccess::open_for_write_as_new(AcDbObject* object) {
    object->mWriter = true;
    object->mModifiedPending = true;
    ++ledger().open_objects;
}

void ObjectAccess::set_erased_notifying(AcDbObject* object, bool erasing) {
    if (object->mErased == erasing) return;
    object->mErased = erasing;
    object->notifyErased(erasing);
    // What the object owns goes, and comes back, with it.
    std::vector<AcDbObjectId> owned;
    if (!object->mExtensionDictionary.isNull()) owned.push_back(object->mExtensionDictionary);
    if (auto* dictionary = AcDbDictionary::cast(object)) {
        for (const AcDbDictionary::Entry& entry : dictionary->entries()) owned.push_back(entry.id);
    }
    if (auto* reference = AcDbBlockReference::cast(object)) {
        owned.insert(owned.end(), reference->attributeIds().begin(),
                     reference->attributeIds().end());
    }
    for (const AcDbObjectId& id : owned) {
        AcDbObject* child = peek<AcDbObject>(id);
        if (child != nullptr && child->ownerId() == object->objectId())
            set_erased_notifying(child, erasing);
    }
}

}  // namespace korv_host

using korv_host::ObjectAccess;

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbObject, AcRxObject);
ACRX_NO_CONS_DEFINE_MEMBERS(AcDbEntity, AcDbObject);

AcDbObject::~AcDbObject() {
    if (mStub != nullptr && !mHostDeleting) {
        korv_host::report_violation("deleting a database-resident object: " +
                                    korv_host::describe(this));
        // The database still lists it: leave the stub pointing nowhere rather than at freed
        // memory, so the host's later walks skip it.
        mStub->object = nullptr;
    }
    if (isOpen() && mStub != nullptr) {
        korv_host::report_violation("destroying an object that is still open: " +
                                    korv_host::describe(this));
        korv_host::ledger().open_objects -= mReaders + (mWriter ? 1 : 0);
    }
}

AcDbObjectId AcDbObject::objectId() const {
    return AcDbObjectId(mStub);
}

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId objId) {
    mOwnerId = objId;
    return Acad::eOk;
}

AcDbDatabase* AcDbObject::database() const {
    return mStub ? mStub->database : nullptr;
}

void AcDbObject::getAcDbHandle(AcDbHandle& handle) const {
    handle = mStub ? AcDbHandle(mStub->handle) : AcDbHandle();
}

Acad::ErrorStatus AcDbObject::close() {
    if (mStub == nullptr) return Acad::eNotInDatabase;  // a new object: its creator deletes it
    if (!mWriter && mReaders == 0) {
        korv_host::report_violation("closing an object that is not open: " +
                                    korv_host::describe(this));
        return Acad::eNotOpenForRead;
    }
    // The reactors hear of the change while the object is still open, as in the host: they
    // can read it but not open it for write, so a reactor cannot start an endless round.
    if (mModifiedPending && (mWriter || mReaders == 1)) {
        mModifiedPending = false;
        notifyModified();
    }
    if (mWriter) {
        mWriter = false;
    } else {
        --mReaders;
    }
    --korv_host::ledger().open_objects;
    return Acad::eOk;
}

// Closes without telling the reactors of a change.
Acad::ErrorStatus AcDbObject::cancel() {
    mModifiedPending = false;
    return close();
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    if (mWriter) return Acad::eWasOpenForWrite;
    if (mReaders == 0) return Acad::eNotOpenForRead;
    if (mReaders > 1) return Acad::eWasOpenForRead;
    mReaders = 0;
    mWriter = true;
    mModifiedPending = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    if (!mWriter) return Acad::eNotOpenForWrite;
    mWriter = false;
    mReaders = 1;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(Adesk::Boolean erasing) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (mStub == nullptr) return Acad::eNotInDatabase;
    if (!erasing && !mErased) return Acad::eWasNotErased;
    if (erasing && mErased) return Acad::eWasErased;
    ObjectAccess::set_erased_notifying(this, erasing);
    return Acad::eOk;
}

Adesk::Boolean AcDbObject::isReadEnabled() const {
    return mStub == nullptr || isOpen();
}
Adesk::Boolean AcDbObject::isWriteEnabled() const {
    return mStub == nullptr || mWriter;
}

void AcDbObject::assertReadEnabled() const {
    if (!isReadEnabled()) {
        korv_host::report_violation("reading an object that is not open: " +
                                    korv_host::describe(this));
    }
}

void AcDbObject::assertWriteEnabled(Adesk::Boolean, Adesk::Boolean) {
    if (!isWriteEnabled()) {
        korv_host::report_violation("changing an object not open for write: " +
                                    korv_host::describe(this));
    }
}

void AcDbObject::erased(const AcDbObject*, Adesk::Boolean) {}
void AcDbObject::modified(const AcDbObject*) {}

// ----- persistent reactors -----------------------------------------------------------------

namespace {

// One notification: the reactor counts as open (for notify) while it runs, so the ledger
// shows it and balances again afterwards, even when the reactor throws.
class NotifyOpen {
public:
    explicit NotifyOpen(int& notifying) : mNotifying(notifying) {
        ++mNotifying;
        ++korv_host::ledger().open_objects;
    }
    ~NotifyOpen() {
        --mNotifying;
        --korv_host::ledger().open_objects;
    }
    NotifyOpen(const NotifyOpen&) = delete;
    NotifyOpen& operator=(const NotifyOpen&) = delete;

private:
    int& mNotifying;
};

}  // namespace

void AcDbObject::notifyModified() {
    const std::vector<AcDbObjectId> reactors = persistentReactorIds();  // a reactor may change it
    for (const AcDbObjectId& id : reactors) {
        AcDbObject* reactor = korv_host::peek<AcDbObject>(id);
        if (reactor == nullptr || reactor->mErased || reactor->mNotifying > 0) continue;
        NotifyOpen open(reactor->mNotifying);
        reactor->modified(this);
    }
}

void AcDbObject::notifyErased(bool erasing) {
    const std::vector<AcDbObjectId> reactors = persistentReactorIds();
    for (const AcDbObjectId& id : reactors) {
        AcDbObject* reactor = korv_host::peek<AcDbObject>(id);
        if (reactor == nullptr || reactor->mErased || reactor->mNotifying > 0) continue;
        NotifyOpen open(reactor->mNotifying);
        reactor->erased(this, erasing);
    }
}

Acad::ErrorStatus AcDbObject::addPersistentReactor(AcDbObjectId objId) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (objId.isNull()) return Acad::eNullObjectId;
    if (!objId.isValid()) return Acad::eInvalidInput;
    if (objId.database() != database()) return Acad::eWrongDatabase;
    if (objId == objectId()) return Acad::eSelfReference;
    if (hasPersistentReactor(objId)) return Acad::eDuplicateKey;
    reactorIds().push_back(objId);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::removePersistentReactor(AcDbObjectId objId) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!hasPersistentReactor(objId)) return Acad::eKeyNotFound;
    std::erase(*mReactorIds, objId);
    return Acad::eOk;
}

const std::vector<AcDbObjectId>& AcDbObject::persistentReactorIds() const {
    static const std::vector<AcDbObjectId> none;
    return mReactorIds ? *mReactorIds : none;
}

std::vector<AcDbObjectId>& AcDbObject::reactorIds() {
    if (!mReactorIds) mReactorIds = std::make_unique<std::vector<AcDbObjectId>>();
    return *mReactorIds;
}

bool AcDbObject::hasPersistentReactor(AcDbObjectId objId) const {
    for (const AcDbObjectId& id : persistentReactorIds()) {
        if (id == objId) return true;
    }
    return false;
}

// ----- extension dictionaries ----------------------------------------------------------------

Acad::ErrorStatus AcDbObject::createExtensionDictionary() {
    if (mStub == nullptr) return Acad::eNoDatabase;
    if (!mWriter) return Acad::eNotOpenForWrite;
    if (!mExtensionDictionary.isNull()) return Acad::eAlreadyInDb;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::AddObject, mStub);
    if (es != Acad::eOk) return es;
    if (database()->impl().handles_exhausted()) return korv_host::DatabaseImpl::kHandlesExhausted;
    auto* dictionary = new AcDbDictionary();
    dictionary->setTreatElementsAsHard(true);
    mExtensionDictionary = database()->impl().add_object(dictionary, objectId());
    dictionary->close();
    // The owner hears of its dictionary's changes from now on, as in the host.
    ObjectAccess::reactor_ids(dictionary).push_back(objectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::releaseExtensionDictionary() {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (mExtensionDictionary.isNull()) return Acad::eOk;
    if (auto* dictionary = korv_host::peek<AcDbDictionary>(mExtensionDictionary)) {
        for (const AcDbDictionary::Entry& entry : dictionary->entries()) {
            if (entry.id.isValid() && !entry.id.isErased()) return Acad::eNotApplicable;
        }
        ObjectAccess::set_erased_notifying(dictionary, true);
    }
    mExtensionDictionary.setNull();
    return Acad::eOk;
}

// ----- entities --------------------------------------------------------------------------

AcDbEntity::~AcDbEntity() = default;

ACHAR* AcDbEntity::layer() const {
    std::wstring name = L"0";
    if (auto* record = korv_host::peek<AcDbLayerTableRecord>(mLayerId)) name = record->nameText();
    AcDbDatabase* db = database();
    if (db != nullptr && !db->xrefBlockId().isNull()) {
        if (auto* xref = korv_host::peek<AcDbBlockTableRecord>(db->xrefBlockId())) {
            name = xref->nameText() + L"|" + name;
        }
    }
    auto* copy = static_cast<ACHAR*>(std::malloc((name.size() + 1) * sizeof(ACHAR)));
    std::wmemcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

Acad::ErrorStatus AcDbEntity::layer(AcString& sName) const {
    ACHAR* copy = layer();
    sName = copy;
    std::free(copy);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* newVal, Adesk::Boolean, bool) {
    assertWriteEnabled();
    if (newVal == nullptr || *newVal == L'\0') return Acad::eInvalidInput;
    // A new entity takes its layer from the working database, as in the host.
    AcDbDatabase* db = database() ? database() : acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr) return Acad::eNoDatabase;
    auto* table = korv_host::peek<AcDbLayerTable>(db->layerTableId());
    if (table == nullptr) return Acad::eKeyNotFound;
    const AcDbObjectId id = table->findNamed(korv_host::upper_case(newVal), false);
    if (id.isNull()) return Acad::eKeyNotFound;
    mLayerId = id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId newVal, Adesk::Boolean, bool) {
    assertWriteEnabled();
    auto* record = korv_host::peek<AcDbObject>(newVal);
    if (record == nullptr || !record->isKindOf(AcDbLayerTableRecord::desc())) {
        return Acad::eInvalidInput;
    }
    if (database() != nullptr && newVal.database() != database()) return Acad::eWrongDatabase;
    mLayerId = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 color, Adesk::Boolean) {
    assertWriteEnabled();
    if (color > 257) return Acad::eInvalidInput;
    mColorIndex = color;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean) {
    assertWriteEnabled();
    mLineWeight = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setPropertiesFrom(const AcDbEntity* pEntity, Adesk::Boolean) {
    assertWriteEnabled();
    if (pEntity == nullptr) return Acad::eNullEntityPointer;
    if (database() == nullptr || pEntity->database() == database()) mLayerId = pEntity->mLayerId;
    mColorIndex = pEntity->mColorIndex;
    mLineWeight = pEntity->mLineWeight;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) {
    return Acad::eNotApplicable;
}

// ----- opening by id -------------------------------------------------------------------

Acad::ErrorStatus acdbOpenObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased, const AcRxClass* pClass) {
    pObj = nullptr;
    if (id.isNull()) return Acad::eNullObjectId;
    AcDbStub* stub = id;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::OpenObject, stub);
    if (es != Acad::eOk) return es;
    if (stub->object == nullptr) return Acad::ePermanentlyErased;
    AcDbObject* object = stub->object;
    if (object->isErased() && !openErased) return Acad::eWasErased;
    if (pClass != nullptr && !object->isKindOf(pClass)) return Acad::eNotThatKindOfClass;
    es = ObjectAccess::open(object, mode);
    if (es == Acad::eOk) pObj = object;
    return es;
}
