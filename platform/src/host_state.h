// host_state.h: the host layer's internal state: database internals, the object ledger,
// fault checks and misuse reports. Only host-layer sources include it.
#pragma once

#include <acdocman.h>
#include <dbapserv.h>
#include <dbmain.h>
#include <dbsymtb.h>
#include <host_test/faults.h>
#include <host_test/read_repairs.h>

#include "file_lock.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace korv_host {

// ----- faults -------------------------------------------------------------------------
struct Fault {
    bool fires = false;
    int status = 0;
    bool from_countdown = false;
};
// Counts one host operation and tells whether an armed fault fires on it.
Fault check_fault(host_test::HostOp op, const void* subject);
// The same, for operations that answer in Acad::ErrorStatus: eOk when nothing fires.
inline Acad::ErrorStatus fault_status(host_test::HostOp op, const void* subject) {
    Fault fault = check_fault(op, subject);
    return fault.fires ? static_cast<Acad::ErrorStatus>(fault.status) : Acad::eOk;
}

// ----- ledger and misuse ---------------------------------------------------------------
struct Ledger {
    long open_objects = 0;
    long live_iterators = 0;
    std::vector<std::string> violations;
};
Ledger& ledger();
// Records a use of the host that the real host would tolerate or crash on.
void report_violation(const std::string& what);
std::string describe(const AcDbObject* object);

// ----- memory -------------------------------------------------------------------------
// Arrays of hundreds of thousands of entries, made and dropped whole (object_pool.cpp).
void* take_large(size_t bytes);
void give_back_large(void* block, size_t bytes) noexcept;
// Memory never given back (the process's stubs).
void* take_kept(size_t bytes);

template <class T>
using LargeAllocator = HostAllocator<T, take_large, give_back_large>;
template <class T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

// ----- ids -----------------------------------------------------------------------------
// Makes a stub (creation serial, never reused) for an object entering a database.
AcDbStub* new_stub(AcDbDatabase* database, AcDbObject* object, Adesk::UInt64 handle);

// ----- databases -----------------------------------------------------------------------
// The objects of a database by handle: open addressing in one array of their stubs (the
// stub holds the handle), as a drawing of hundreds of thousands of objects fills it at
// once. An empty slot is null; objects are never taken out (an erased object keeps its
// handle).
class HandleIndex {
public:
    // The stub of the handle; null when no object has it.
    AcDbStub* find(Adesk::UInt64 handle) const;
    size_t count(Adesk::UInt64 handle) const { return find(handle) != nullptr ? 1 : 0; }
    // Under its handle, in place of any stub that had it.
    void insert(AcDbStub* stub);
    void reserve(size_t count);
    size_t size() const { return mSize; }
    void clear() {
        mSlots.clear();
        mShift = 64;
        mSize = 0;
    }

private:
    size_t slot_of(Adesk::UInt64 handle) const;
    LargeVector<AcDbStub*> mSlots;  // a power of two long, at most 3/4 full
    int mShift = 64;                // 64 - log2 of the slots
    size_t mSize = 0;
};

class DatabaseImpl {
public:
    explicit DatabaseImpl(AcDbDatabase* owner) : self(owner) {}

    AcDbDatabase* self;
    LargeVector<AcDbStub*> stubs;  // every object made resident, in creation order
    HandleIndex by_handle;
    Adesk::UInt64 next_handle = 1;
    AcDbObjectId block_table;
    AcDbObjectId layer_table;
    AcDbObjectId named_objects;
    AcDbObjectId layer_zero;
    std::wstring file_name;
    std::wstring original_file_name;
    AcDbObjectId xref_block;  // the host drawing's record, for a reference's database
    bool has_file_name = false;
    bool has_original_file_name = false;
    bool was_read = false;
    FileLock input;  // the drawing file while the database holds it open (readDwgFile)
    // Databases of external references loaded for this drawing (nested ones included).
    std::vector<std::unique_ptr<AcDbDatabase>> xref_databases;
    // What the reader repaired in the drawing file this database was read from.
    std::vector<host_test::ReadRepair> read_repairs;

    // Makes the object resident with a new handle (or the given one) and opens it for
    // write, as the host leaves a freshly added object. The null id, and nothing done, when
    // no handle is left.
    AcDbObjectId add_object(AcDbObject* object, AcDbObjectId owner, Adesk::UInt64 handle = 0);
    // Handles are never given twice: once the last one (FFFFFFFFFFFFFFFF) is taken,
    // next_handle is 0 and no new object can enter the database.
    bool handles_exhausted() const { return next_handle == 0; }
    // The status the host's add operations refuse a new object with then.
    static constexpr Acad::ErrorStatus kHandlesExhausted = Acad::eOutOfRange;
};

std::vector<AcDbDatabase*>& live_databases();

// ----- private state of objects --------------------------------------------------------
struct ObjectAccess {
    static AcDbStub*& stub(AcDbObject* object) { return object->mStub; }
    static void set_owner(AcDbObject* object, AcDbObjectId owner) { object->mOwnerId = owner; }
    static void open_for_write_as_new(AcDbObject* object);
    static void delete_by_host(AcDbObject* object) {
        object->mHostDeleting = true;
        delete object;
    }
    static void set_layer_id(AcDbEntity* entity, AcDbObjectId layer) { entity->mLayerId = layer; }
    static void set_erased(AcDbObject* object, bool erased) { object->mErased = erased; }
    static Acad::ErrorStatus open(AcDbObject* object, AcDb::OpenMode mode);
    static int readers(const AcDbObject* object) { return object->mReaders; }
    // Persistent reactors and extension dictionary, as filing and containers set them
    // (no open-state checks).
    static std::vector<AcDbObjectId>& reactor_ids(AcDbObject* object) {
        return object->reactorIds();
    }
    static void set_extension_dictionary(AcDbObject* object, AcDbObjectId dictionary) {
        object->mExtensionDictionary = dictionary;
    }
    // Erases (or unerases) the object and what it owns, each telling its reactors.
    static void set_erased_notifying(AcDbObject* object, bool erasing);
};

// Host-side access to a record or table without the open ledger (the host's own walks).
template <class T>
T* peek(AcDbObjectId id) {
    AcDbStub* stub = id;
    return stub && stub->object ? static_cast<T*>(stub->object) : nullptr;
}

// ----- documents ------------------------------------------------------------------------
class HostDocument : public AcApDocument {
public:
    HostDocument(AcDbDatabase* database, std::wstring file_name, bool owns_database)
        : mDatabase(database), mFileName(std::move(file_name)), mOwns(owns_database) {}
    ~HostDocument() override;
    AcDbDatabase* database() const override { return mDatabase; }
    const ACHAR* fileName() const override { return mFileName.c_str(); }

private:
    AcDbDatabase* mDatabase;
    std::wstring mFileName;
    bool mOwns;
};

class HostDocManager : public AcApDocManager {
public:
    AcApDocument* curDocument() const override { return current; }
    AcApDocument* mdiActiveDocument() const override { return current; }
    int documentCount() const override { return static_cast<int>(documents.size()); }

    std::vector<std::unique_ptr<HostDocument>> documents;
    AcApDocument* current = nullptr;
};
HostDocManager& doc_manager();

}  // namespace korv_host
