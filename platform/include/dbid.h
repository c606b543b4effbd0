// dbid.h: AcDbObjectId, the session identity of a database-resident object, and the typed
// id flavours the filers use.
//
// An id wraps a stub that the host keeps for every object it ever made resident. Stubs
// outlive their objects and their database (a stale id answers isValid() false instead of
// dangling). Ids order by a process-wide creation counter, so "object id order" is
// creation order, deterministic across runs and across databases.
#pragma once

#include "acarray.h"
#include "adesk.h"
#include "dbhandle.h"

class AcDbDatabase;
class AcDbObject;
class AcRxClass;

// Host-internal bookkeeping of one resident object. Module code never touches it.
class AcDbStub {
public:
    Adesk::UInt64 serial = 0;          // creation order, process-wide
    AcDbDatabase* database = nullptr;  // null once the database is gone
    AcDbObject* object = nullptr;      // owned by the database; null once it is gone
    Adesk::UInt64 handle = 0;
    // The object's class as it became resident: misuse is often reported from the object's
    // destructor, where isA() already answers AcDbObject.
    const AcRxClass* resident_class = nullptr;
};

class AcDbObjectId {
public:
    AcDbObjectId() = default;
    AcDbObjectId(const AcDbStub* stub) : mId(const_cast<AcDbStub*>(stub)) {}
    static const AcDbObjectId kNull;

    bool isNull() const { return mId == nullptr; }
    void setNull() { mId = nullptr; }
    AcDbDatabase* database() const { return mId ? mId->database : nullptr; }
    // True for an erased object; false for the null id and for live objects.
    bool isErased() const;
    // True when the id names an object that still exists in a live database.
    bool isValid() const { return mId != nullptr && mId->object != nullptr; }
    bool isWellBehaved() const { return isValid(); }
    AcDbHandle handle() const { return mId ? AcDbHandle(mId->handle) : AcDbHandle(); }
    AcRxClass* objectClass() const;
    Adesk::IntDbId asOldId() const { return mId ? static_cast<Adesk::IntDbId>(mId->serial) : 0; }
    operator AcDbStub*() const { return mId; }

    bool operator<(const AcDbObjectId& other) const { return serial() < other.serial(); }
    bool operator>(const AcDbObjectId& other) const { return serial() > other.serial(); }
    bool operator<=(const AcDbObjectId& other) const { return serial() <= other.serial(); }
    bool operator>=(const AcDbObjectId& other) const { return serial() >= other.serial(); }
    bool operator==(const AcDbObjectId& other) const { return mId == other.mId; }
    bool operator!=(const AcDbObjectId& other) const { return mId != other.mId; }
#if __cplusplus > 201703L
    // Without it, C++20 code (std::pair, std::tuple) would order ids through the implicit
    // conversion to a stub pointer, disagreeing with operator< and with C++17 code.
    auto operator<=>(const AcDbObjectId& other) const {
        return serial() <=> other.serial();
    }
#endif

private:
    Adesk::UInt64 serial() const {
        return mId ? mId->serial : 0;
    }
    AcDbStub* mId = nullptr;
};

// Typed ids carry the kind of reference for filing; they behave as plain ids otherwise.
class AcDbHardOwnershipId : public AcDbObjectId {
public:
    AcDbHardOwnershipId() = default;
    AcDbHardOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class AcDbSoftOwnershipId : public AcDbObjectId {
public:
    AcDbSoftOwnershipId() = default;
    AcDbSoftOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class AcDbHardPointerId : public AcDbObjectId {
public:
    AcDbHardPointerId() = default;
    AcDbHardPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class AcDbSoftPointerId : public AcDbObjectId {
public:
    AcDbSoftPointerId() = default;
    AcDbSoftPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};

typedef AcArray<AcDbObjectId> AcDbObjectIdArray;
