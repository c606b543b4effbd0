// dbsymtb.h: symbol tables (block table, layer table), their records and iterators.
//
// A table owns its records by id, in the order they were added, and finds them by name
// without regard to case, as the host does. Iterating keeps nothing open; creating an
// iterator requires the table to be open and the caller deletes the iterator.
//
// A block table record holds entities. A record that is an external reference reports its
// status; when resolved, its xrefDatabase() is the referenced drawing's own database and
// iterating the record walks that database's model space, so the entity ids belong to the
// referenced database.
#pragma once

#include "dbmain.h"

#include <string>
#include <unordered_map>
#include <vector>

class AcDbSymbolTableRecord;
class AcDbSymbolTableIterator;
class AcDbBlockTableRecord;
class AcDbBlockTableIterator;
class AcDbBlockTableRecordIterator;
class AcDbLayerTableRecord;
class AcDbLayerTableIterator;

namespace korv_host {
struct TableIteratorAccess;
struct EntityIteratorAccess;
}  // namespace korv_host

class AcDbSymbolTable : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTable);
    ~AcDbSymbolTable() override;

    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbSymbolTableRecord*& pRec,
                            AcDb::OpenMode openMode = AcDb::kForRead,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                            bool getErasedRecord = false) const;
    Acad::ErrorStatus getIdAt(const ACHAR* entryName, AcDbObjectId& recordId,
                              bool getErasedRecord = false) const;
    bool has(const ACHAR* name) const;
    bool has(AcDbObjectId id) const;
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    Acad::ErrorStatus add(AcDbSymbolTableRecord* pRecord);
    Acad::ErrorStatus add(AcDbObjectId& recordId, AcDbSymbolTableRecord* pRecord);

    // Host-internal: the record ids in the order they were added.
    const std::vector<AcDbObjectId>& recordIds() const { return mRecordIds; }
    // Host-internal: the first record (in table order) of the name, case folded, that is not
    // `except`, live unless erased ones are asked for; null when there is none. No open
    // check and no scan.
    AcDbObjectId findNamed(const std::wstring& folded, bool getErased,
                           const AcDbObject* except = nullptr) const;

protected:
    AcDbSymbolTable() = default;
    friend class AcDbDatabase;
    // The class a record of this table must have.
    virtual AcRxClass* recordClass() const = 0;

private:
    friend class AcDbSymbolTableRecord;
    // Host-internal: appends a record made resident as this table's and indexes its name.
    void appendRecord(AcDbObjectId id, const std::wstring& name);
    // Host-internal: the record at `position` now carries `name` instead of `old_name`.
    void renameRecord(size_t position, const std::wstring& old_name, const std::wstring& name);

    std::vector<AcDbObjectId> mRecordIds;
    // Positions in mRecordIds by case-folded name, ascending: lookups without a scan.
    std::unordered_map<std::wstring, std::vector<size_t>> mPositionsByName;
};

class AcDbSymbolTableRecord : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
    ~AcDbSymbolTableRecord() override;

    Acad::ErrorStatus getName(const ACHAR*& pName) const;
    Acad::ErrorStatus getName(AcString& sName) const;
    // Deprecated form: a heap copy the caller releases with free() or acutDelString.
    Acad::ErrorStatus getName(ACHAR*& pName) const;
    // Fails with eInvalidInput for a null or empty name, and with eDuplicateRecordName when
    // the record is in a table that already has another record of that name.
    Acad::ErrorStatus setName(const ACHAR* pName);
    // True for a record that comes from an external reference ("NAME|layer").
    bool isDependent() const;
    bool isResolved() const;

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: the name without copying.
    const std::wstring& nameText() const { return mName; }

protected:
    AcDbSymbolTableRecord() = default;

private:
    std::wstring mName;
};

class AcDbSymbolTableIterator {
public:
    virtual ~AcDbSymbolTableIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& pRecord,
                                AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedRec = false) const;
    Acad::ErrorStatus seek(AcDbObjectId id);
    Acad::ErrorStatus seek(const AcDbSymbolTableRecord* pRecord);

protected:
    explicit AcDbSymbolTableIterator(const AcDbSymbolTable* table);
    AcDbSymbolTableIterator(const AcDbSymbolTableIterator&) = delete;
    AcDbSymbolTableIterator& operator=(const AcDbSymbolTableIterator&) = delete;

private:
    friend class AcDbSymbolTable;
    void skipErasedForward();
    void skipErasedBackward();
    std::vector<AcDbObjectId> mIds;  // a snapshot: records added later are not visited
    long mIndex = 0;
};

// ---------------------------------------------------------------------------------------
// Block table

class AcDbBlockTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTable);
    AcDbBlockTable();
    ~AcDbBlockTable() override;

    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbBlockTableRecord*& pRec,
                            AcDb::OpenMode openMode = AcDb::kForRead,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                            bool getErasedRec = false) const;
    Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    Acad::ErrorStatus add(AcDbBlockTableRecord* pRecord);
    Acad::ErrorStatus add(AcDbObjectId& recordId, AcDbBlockTableRecord* pRecord);

protected:
    AcRxClass* recordClass() const override;
};

class AcDbBlockTableIterator : public AcDbSymbolTableIterator {
public:
    ~AcDbBlockTableIterator() override;
    Acad::ErrorStatus getRecord(AcDbBlockTableRecord*& pRecord,
                                AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedRec = false) const;

protected:
    friend class AcDbBlockTable;
    explicit AcDbBlockTableIterator(const AcDbSymbolTable* table)
        : AcDbSymbolTableIterator(table) {}
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
    typedef AcDbBlockTable TableType;
    AcDbBlockTableRecord();
    ~AcDbBlockTableRecord() override;

    // A resident record must be open for write; the entity becomes resident, owned by the
    // record, and stays open for write (the caller closes it). A record not yet in a
    // database, as the host allows while a block is being filled, keeps the entity (still
    // new: the output id is null and close() leaves it alone) and makes it resident, closed,
    // when the record is added to a block table; a record destroyed unadded deletes it.
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* pEntity);
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& pOutputId, AcDbEntity* pEntity);
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;

    bool isFromExternalReference() const { return !mPathName.empty(); }
    bool isFromOverlayReference() const { return mOverlaid; }
    bool isAnonymous() const;
    bool isLayout() const;
    bool hasAttributeDefinitions() const;
    AcDb::XrefStatus xrefStatus() const;
    // The referenced drawing's database when resolved (also when unresolved with incUnres,
    // if one exists); null otherwise.
    AcDbDatabase* xrefDatabase(bool incUnres = false) const;
    // The block references that insert this block. For a reference nested inside another
    // external reference these live in the parent reference's database.
    Acad::ErrorStatus getBlockReferenceIds(AcDbObjectIdArray& ids, bool bDirectOnly = true,
                                           bool bForceValidity = false) const;
    AcGePoint3d origin() const { return mOrigin; }
    Acad::ErrorStatus setOrigin(const AcGePoint3d& pt);
    Acad::ErrorStatus pathName(const ACHAR*& pPath) const;
    Acad::ErrorStatus setPathName(const ACHAR* pathStr);

    // Host-internal state of the record (entities, references, xref binding).
    struct XrefBinding {
        AcDb::XrefStatus status = AcDb::kXrfNotAnXref;
        AcDbDatabase* database = nullptr;  // the referenced drawing, when loaded
        AcDbObjectId referencesFrom;       // nested: the parent database's record
    };
    const std::vector<AcDbObjectId>& entityIds() const { return mEntityIds; }
    std::vector<AcDbObjectId>& referenceIds() { return mReferenceIds; }
    XrefBinding& xrefBinding() { return mXref; }
    const XrefBinding& xrefBinding() const { return mXref; }
    void setOverlaid(bool overlaid) { mOverlaid = overlaid; }
    // Called by the block table once the record is resident: the entities appended before.
    void addPendingEntities();

private:
    std::vector<AcDbEntity*> mPendingEntities;
    std::vector<AcDbObjectId> mEntityIds;
    std::vector<AcDbObjectId> mReferenceIds;
    AcGePoint3d mOrigin;
    std::wstring mPathName;
    bool mOverlaid = false;
    XrefBinding mXref;
};

class AcDbBlockTableRecordIterator {
public:
    virtual ~AcDbBlockTableRecordIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& entityId) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& pEntity, AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedEntity = false) const;
    AcDbBlockTableRecord* blockTableRecord() const { return mRecord; }
    Acad::ErrorStatus seek(AcDbObjectId id);
    Acad::ErrorStatus seek(const AcDbEntity* pEntity);

private:
    friend class AcDbBlockTableRecord;
    friend struct korv_host::EntityIteratorAccess;
    AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* record,
                                 const std::vector<AcDbObjectId>* ids);
    AcDbBlockTableRecordIterator(const AcDbBlockTableRecordIterator&) = delete;
    AcDbBlockTableRecordIterator& operator=(const AcDbBlockTableRecordIterator&) = delete;
    void skipErased(bool forward);
    AcDbBlockTableRecord* mRecord;
    const std::vector<AcDbObjectId>* mIds;  // the walked record's entity list
    long mIndex = 0;
};

// ---------------------------------------------------------------------------------------
// Layer table

class AcDbLayerTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTable);
    AcDbLayerTable();
    ~AcDbLayerTable() override;

    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbLayerTableRecord*& pRec,
                            AcDb::OpenMode openMode = AcDb::kForRead,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                            bool getErasedRec = false) const;
    Acad::ErrorStatus newIterator(AcDbLayerTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    Acad::ErrorStatus add(AcDbLayerTableRecord* pRecord);
    Acad::ErrorStatus add(AcDbObjectId& recordId, AcDbLayerTableRecord* pRecord);

protected:
    AcRxClass* recordClass() const override;
};

class AcDbLayerTableIterator : public AcDbSymbolTableIterator {
public:
    ~AcDbLayerTableIterator() override;
    Acad::ErrorStatus getRecord(AcDbLayerTableRecord*& pRecord,
                                AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedRec = false) const;

protected:
    friend class AcDbLayerTable;
    explicit AcDbLayerTableIterator(const AcDbSymbolTable* table)
        : AcDbSymbolTableIterator(table) {}
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
    typedef AcDbLayerTable TableType;
    AcDbLayerTableRecord();
    ~AcDbLayerTableRecord() override;

    bool isFrozen() const { return mFrozen; }
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isOff() const { return mOff; }
    void setIsOff(bool off);
    bool isLocked() const { return mLocked; }
    void setIsLocked(bool locked);
    Adesk::UInt16 colorIndex() const { return mColorIndex; }
    void setColorIndex(Adesk::UInt16 color);

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    bool mFrozen = false;
    bool mOff = false;
    bool mLocked = false;
    Adesk::UInt16 mColorIndex = 7;
};
