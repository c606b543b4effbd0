// The drawing database: its tables, resident objects and file identity.
#include <dbdict.h>

#include <algorithm>

#include "host_state.h"

using host_test::HostOp;

namespace korv_host {

std::vector<AcDbDatabase*>& live_databases() {
    static auto& instance = *new std::vector<AcDbDatabase*>;
    return instance;
}

// The slot of the handle, or of the free slot where it would go.
size_t HandleIndex::slot_of(Adesk::UInt64 handle) const {
    // Fibonacci hashing: the product's top bits spread handles given in sequence.
    const size_t mask = mSlots.size() - 1;
    size_t at = static_cast<size_t>((handle * 0x9E3779B97F4A7C15ull) >> mShift);
    while (mSlots[at] != nullptr && mSlots[at]->handle != handle) at = (at + 1) & mask;
    return at;
}

AcDbStub* HandleIndex::find(Adesk::UInt64 handle) const {
    if (handle == 0 || mSlots.empty()) return nullptr;
    return mSlots[slot_of(handle)];
}

void HandleIndex::insert(AcDbStub* stub) {
    reserve(mSize + 1);
    AcDbStub*& slot = mSlots[slot_of(stub->handle)];
    if (slot == nullptr) ++mSize;
    slot = stub;
}

void HandleIndex::reserve(size_t count) {
    size_t capacity = mSlots.empty() ? 16 : mSlots.size();
    while (count > capacity / 4 * 3) capacity *= 2;
    if (capacity == mSlots.size()) return;
    LargeVector<AcDbStub*> old(capacity);
    old.swap(mSlots);
    mShift = 64;
    for (size_t slots = capacity; slots > 1; slots /= 2) --mShift;
    for (AcDbStub* stub : old) {
        if (stub != nullptr) mSlots[slot_of(stub->handle)] = stub;
    }
}

AcDbObjectId DatabaseImpl::add_object(AcDbObject* object, AcDbObjectId owner,
                                      Adesk::UInt64 handle) {
    if (handle == 0) handle = next_handle;
    if (handle == 0) return AcDbObjectId();
    // After the last handle next_handle wraps to 0: used up, never restarted.
    if (next_handle != 0 && handle >= next_handle) next_handle = handle + 1;
    AcDbStub* stub = new_stub(self, object, handle);
    stubs.push_back(stub);
    by_handle.insert(stub);
    ObjectAccess::stub(object) = stub;
    ObjectAccess::set_owner(object, owner);
    ObjectAccess::open_for_write_as_new(object);
    return AcDbObjectId(stub);
}

}  // namespace korv_host

using korv_host::DatabaseImpl;

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbDatabase, AcRxObject);

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool) : mImpl(new DatabaseImpl(this)) {
    korv_host::live_databases().push_back(this);
    if (!buildDefaultDrawing) return;
    // The default content of a new drawing: tables, the two spaces, layer "0" and the named
    // objects dictionary (made last: the tables and records take the first handles), all closed
    // again, as the host hands a new database over. The records go straight into their
    // tables rather than through add(): making a database is no host operation a caller
    // could see fail, so it neither counts towards nor spends an armed fault.
    DatabaseImpl& impl = *mImpl;
    auto add_record = [&impl](AcDbSymbolTable* table, AcDbSymbolTableRecord* record,
                              const ACHAR* name) {
        record->setName(name);
        const AcDbObjectId id = impl.add_object(record, table->objectId());
        table->appendRecord(id, record->nameText());
        record->close();
        return id;
    };
    auto* block_table = new AcDbBlockTable();
    impl.block_table = impl.add_object(block_table, AcDbObjectId());
    auto* layer_table = new AcDbLayerTable();
    impl.layer_table = impl.add_object(layer_table, AcDbObjectId());
    add_record(block_table, new AcDbBlockTableRecord(), ACDB_MODEL_SPACE);
    add_record(block_table, new AcDbBlockTableRecord(), ACDB_PAPER_SPACE);
    impl.layer_zero = add_record(layer_table, new AcDbLayerTableRecord(), ACDB_LAYER_ZERO);
    block_table->close();
    layer_table->close();
    auto* named_objects = new AcDbDictionary();
    impl.named_objects = impl.add_object(named_objects, AcDbObjectId());
    named_objects->close();
}

AcDbDatabase::~AcDbDatabase() {
    auto& live = korv_host::live_databases();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    // References first: their databases point back into this one's block table.
    mImpl->xref_databases.clear();
    for (AcDbStub* stub : mImpl->stubs) {
        if (stub->object != nullptr) korv_host::ObjectAccess::delete_by_host(stub->object);
        stub->object = nullptr;
        stub->database = nullptr;
    }
    delete mImpl;
}

Acad::ErrorStatus AcDbDatabase::getFilename(const ACHAR*& pOutput) const {
    pOutput = nullptr;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::GetFilename, this);
    if (es != Acad::eOk) return es;
    if (!mImpl->has_file_name) return Acad::eNotApplicable;
    pOutput = mImpl->file_name.c_str();
    return Acad::eOk;
}

const ACHAR* AcDbDatabase::originalFileName() const {
    return mImpl->has_original_file_name ? mImpl->original_file_name.c_str() : nullptr;
}

AcDbObjectId AcDbDatabase::xrefBlockId() const {
    return mImpl->xref_block;
}
AcDbObjectId AcDbDatabase::blockTableId() const {
    return mImpl->block_table;
}
AcDbObjectId AcDbDatabase::layerTableId() const {
    return mImpl->layer_table;
}
AcDbObjectId AcDbDatabase::namedObjectsDictionaryId() const {
    return mImpl->named_objects;
}
AcDbObjectId AcDbDatabase::clayer() const {
    return mImpl->layer_zero;
}

namespace {

template <class T>
Acad::ErrorStatus open_table(AcDbObjectId id, HostOp op, const AcDbDatabase* db, T*& table,
                             AcDb::OpenMode mode) {
    table = nullptr;
    Acad::ErrorStatus es = korv_host::fault_status(op, db);
    if (es != Acad::eOk) return es;
    if (id.isNull()) return Acad::eNullObjectId;
    // Opened directly rather than by acdbOpenObject: getting a table is one host operation,
    // of its own kind, so an armed OpenObject fault must not fire here.
    auto* object = korv_host::peek<T>(id);
    if (object == nullptr) return Acad::ePermanentlyErased;
    es = korv_host::ObjectAccess::open(object, mode);
    if (es == Acad::eOk) table = object;
    return es;
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return open_table(mImpl->block_table, HostOp::GetBlockTable, this, pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return open_table(mImpl->layer_table, HostOp::GetLayerTable, this, pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbSymbolTable*& pTable, AcDb::OpenMode mode) {
    AcDbBlockTable* table = nullptr;
    Acad::ErrorStatus es = getSymbolTable(table, mode);
    pTable = table;
    return es;
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbSymbolTable*& pTable, AcDb::OpenMode mode) {
    AcDbLayerTable* table = nullptr;
    Acad::ErrorStatus es = getSymbolTable(table, mode);
    pTable = table;
    return es;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& objId, AcDbObject* pObj) {
    objId.setNull();
    if (pObj == nullptr) return Acad::eNullObjectPointer;
    if (!pObj->objectId().isNull()) return Acad::eAlreadyInDb;
    if (pObj->isKindOf(AcDbEntity::desc())) return Acad::eIllegalEntityType;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::AddObject, this);
    if (es != Acad::eOk) return es;
    if (mImpl->handles_exhausted()) return DatabaseImpl::kHandlesExhausted;
    objId = mImpl->add_object(pObj, AcDbObjectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObject* pObj) {
    AcDbObjectId ignored;
    return addAcDbObject(ignored, pObj);
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& retId, bool,
                                                const AcDbHandle& objHandle, Adesk::UInt32) {
    retId.setNull();
    AcDbStub* found = mImpl->by_handle.find(static_cast<Adesk::UInt64>(objHandle));
    if (found == nullptr || found->object == nullptr) return Acad::eKeyNotFound;
    retId = AcDbObjectId(found);
    return Acad::eOk;
}
