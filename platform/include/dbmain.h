// dbmain.h: database-resident objects, entities, the drawing database and opening by id.
//
// Ownership mirrors the host: a database owns every object made resident in it and deletes
// them when it is destroyed; callers open objects by id and must close them, and never
// delete a resident object. A new object (made with new, not yet resident) belongs to its
// creator until it is handed to appendAcDbEntity / addAcDbObject / a table's add, which
// makes it resident and leaves it open for write.
//
// Open rules (the host's, with its error codes): any number of readers up to 256
// (eAtMaxReaders beyond); one writer, refused while the object is open for read
// (eWasOpenForRead) or write (eWasOpenForWrite); reading is refused while a writer has it
// (eWasOpenForWrite); erased objects open only when asked for (eWasErased otherwise).
// What the host merely tolerates or crashes on (closing an object that is not open,
// deleting a resident object) is refused here and reported to the test harness.
//
// An object may own an extension dictionary (an AcDbDictionary whose owner it is) and keeps
// a list of persistent reactors: ids of other objects of its database that hear of its
// changes. As in the host, each reactor is opened for notify and called while the object is
// still open: modified() when the object is closed after an open for write, erased() when
// erase() erases or unerases it. Opening for notify ignores other opens (a reactor open for
// write elsewhere is still told); a reactor that is erased, gone, or busy with a notification
// of its own is passed over. Erasing an object erases what it owns (its extension
// dictionary, a dictionary's entries, a reference's attributes) and unerasing restores them,
// each with its own notifications.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "acadstrc.h"
#include "acdb.h"
#include "dbid.h"
#include "gemat3d.h"
#include "gepnt3d.h"
#include "gevec3d.h"
#include "rxboiler.h"

class AcDbDatabase;
class AcDbDwgFiler;
class AcDbDxfFiler;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbSymbolTable;
class AcDbDictionary;
class AcString;

namespace korv_host {
class DatabaseImpl;
struct ObjectAccess;

// Host-internal: the heap database objects and what they own come from (blocks of up to
// 512 bytes; larger ones from the global heap). A block goes back with the size it was
// taken with.
void* take_pooled(size_t bytes);
void give_back_pooled(void* block, size_t bytes) noexcept;

// A standard allocator over a pair of the host's take / give-back functions.
using TakeBytes = void* (*)(size_t);
using GiveBackBytes = void (*)(void*, size_t) noexcept;
template <class T, TakeBytes Take, GiveBackBytes GiveBack>
struct HostAllocator {
    using value_type = T;
    template <class U>
    struct rebind {
        using other = HostAllocator<U, Take, GiveBack>;
    };
    HostAllocator() = default;
    template <class U>
    HostAllocator(const HostAllocator<U, Take, GiveBack>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(Take(n * sizeof(T))); }
    void deallocate(T* block, size_t n) noexcept { GiveBack(block, n * sizeof(T)); }
    template <class U>
    bool operator==(const HostAllocator<U, Take, GiveBack>&) const noexcept {
        return true;
    }
};
template <class T>
using PooledAllocator = HostAllocator<T, take_pooled, give_back_pooled>;
}  // namespace korv_host

class AcDbObject : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbObject);
    ~AcDbObject() override;
    // Objects come from the host's own heap; delete is given the object's size.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const { return mOwnerId; }
    virtual Acad::ErrorStatus setOwnerId(AcDbObjectId objId);
    AcDbDatabase* database() const;
    void getAcDbHandle(AcDbHandle& handle) const;

    Acad::ErrorStatus close();
    Acad::ErrorStatus cancel();
    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    Acad::ErrorStatus erase(Adesk::Boolean erasing = true);

    Adesk::Boolean isErased() const { return mErased; }
    Adesk::Boolean isReadEnabled() const;
    Adesk::Boolean isWriteEnabled() const;
    Adesk::Boolean isNewObject() const { return mStub == nullptr; }
    // True while at least one open of this object has not been closed.
    bool isOpen() const { return mReaders > 0 || mWriter; }
    // Report a use of this object without the open state the host requires.
    void assertReadEnabled() const;
    void assertWriteEnabled(Adesk::Boolean autoUndo = true, Adesk::Boolean recordModified = true);

    // Filing: overrides call their parent first and return the filer's status.
    virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
    virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
    virtual Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);
    virtual Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;

    // Notifications received as a persistent reactor of another object.
    virtual void erased(const AcDbObject* dbObj, Adesk::Boolean bErasing = true);
    virtual void modified(const AcDbObject* dbObj);

    // The extension dictionary; the null id when the object has none.
    AcDbObjectId extensionDictionary() const { return mExtensionDictionary; }
    // Makes an empty extension dictionary, owned by this object and left closed. Requires the
    // object resident (eNoDatabase) and open for write (eNotOpenForWrite); eAlreadyInDb when
    // it has one already.
    Acad::ErrorStatus createExtensionDictionary();
    // Erases the extension dictionary when it is empty and forgets it; eOk when there is
    // none, eNotApplicable (the dictionary kept) when it still has entries.
    Acad::ErrorStatus releaseExtensionDictionary();

    // Adds an object of the same database to the persistent reactors. Requires the object
    // open for write (eNotOpenForWrite); refuses the null id (eNullObjectId), an id naming
    // no live object (eInvalidInput), another database's object (eWrongDatabase), the
    // object itself (eSelfReference) and one already listed (eDuplicateKey).
    Acad::ErrorStatus addPersistentReactor(AcDbObjectId objId);
    // Requires the object open for write; eKeyNotFound when the id is not listed.
    Acad::ErrorStatus removePersistentReactor(AcDbObjectId objId);
    bool hasPersistentReactor(AcDbObjectId objId) const;

    // Host-internal: the persistent reactors in the order they were added, as filing
    // writes them.
    const std::vector<AcDbObjectId>& persistentReactorIds() const;

protected:
    AcDbObject() = default;

private:
    friend struct korv_host::ObjectAccess;
    void notifyModified();
    void notifyErased(bool erasing);
    std::vector<AcDbObjectId>& reactorIds();
    AcDbStub* mStub = nullptr;
    AcDbObjectId mOwnerId;
    AcDbObjectId mExtensionDictionary;
    std::unique_ptr<std::vector<AcDbObjectId>> mReactorIds;  // made for the first: most have none
    int mReaders = 0;
    int mNotifying = 0;  // reactor calls in progress on this object
    bool mWriter = false;
    bool mModifiedPending = false;  // opened for write since the last close
    bool mErased = false;
    bool mHostDeleting = false;
};

// The world-space box of an entity's geometry. A default-made box is empty (its minimum
// above its maximum) until a point is added.
class AcDbExtents {
public:
    AcDbExtents();
    AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max);

    AcGePoint3d minPoint() const { return mMin; }
    AcGePoint3d maxPoint() const { return mMax; }
    // eInvalidExtents (the box unchanged) when min exceeds max in any coordinate.
    Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
    void addPoint(const AcGePoint3d& pt);
    void addExt(const AcDbExtents& src);
    Acad::ErrorStatus expandBy(const AcGeVector3d& vec);
    // The box of the transformed corners.
    void transformBy(const AcGeMatrix3d& mat);

private:
    AcGePoint3d mMin;
    AcGePoint3d mMax;
};

class AcDbEntity : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbEntity);
    ~AcDbEntity() override;

    // The block table record that owns the entity.
    AcDbObjectId blockId() const { return ownerId(); }

    // The layer name as a heap copy the caller releases with free() or acutDelString.
    // An entity of an external reference's database reports "NAME|layer", NAME being the
    // reference's block name in the host drawing.
    ACHAR* layer() const;
    Acad::ErrorStatus layer(AcString& sName) const;
    AcDbObjectId layerId() const { return mLayerId; }
    // Fails with eKeyNotFound for a layer the entity's database does not have; a new entity
    // looks the name up in the working database (eNoDatabase when there is none).
    virtual Acad::ErrorStatus setLayer(const ACHAR* newVal, Adesk::Boolean doSubents = true,
                                       bool allowHiddenLayer = false);
    virtual Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true,
                                       bool allowHiddenLayer = false);

    Adesk::UInt16 colorIndex() const { return mColorIndex; }
    virtual Acad::ErrorStatus setColorIndex(Adesk::UInt16 color, Adesk::Boolean doSubents = true);
    AcDb::LineWeight lineWeight() const { return mLineWeight; }
    virtual Acad::ErrorStatus setLineWeight(AcDb::LineWeight newVal,
                                            Adesk::Boolean doSubents = true);
    Acad::ErrorStatus setPropertiesFrom(const AcDbEntity* pEntity, Adesk::Boolean doSubents = true);

    virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
    // The world-space box of the entity: exact for lines, arcs and polylines (widths
    // included), a character-cell box for texts (no fonts here: each character is a cell as
    // wide as the text is high, times the width factor), and for block references the boxes
    // of the block's entities under the block transform, with the reference's visible
    // attributes and without the block's non-constant attribute definitions, as the host
    // draws them. eInvalidExtents for an entity without geometry (an empty block, a
    // polyline without vertices, a class this host does not draw).
    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    AcDbEntity() = default;

private:
    friend struct korv_host::ObjectAccess;
    AcDbObjectId mLayerId;
    Adesk::UInt16 mColorIndex = 256;  // ByLayer
    AcDb::LineWeight mLineWeight = AcDb::kLnWtByLayer;
};

// Walks the objects a complex entity owns (a block reference's attributes). Obtained from
// the owner (attributeIterator) and deleted by the caller; it keeps a snapshot of the ids,
// so objects appended later are not visited. entity() hands out the object without opening
// it, as the host does for objects reached through their open owner: use it only while
// the owner is open, or open objectId() instead.
class AcDbObjectIterator : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbObjectIterator);
    ~AcDbObjectIterator() override;
    AcDbObjectIterator(const AcDbObjectIterator&) = delete;
    AcDbObjectIterator& operator=(const AcDbObjectIterator&) = delete;

    bool done() const;
    void start(bool atEnd = false);
    void step(bool backwards = false, bool skipErasedObjects = true);
    AcDbObjectId objectId() const;
    AcDbEntity* entity();
    bool seek(AcDbObjectId id);
    bool seek(const AcDbEntity* pEnt);

    // Host-internal: made by the owner over its list.
    explicit AcDbObjectIterator(std::vector<AcDbObjectId> ids);

private:
    void skipErased(bool backwards);
    std::vector<AcDbObjectId> mIds;
    long mIndex = 0;
};

class AcDbDatabase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDatabase);

    enum OpenMode {
        kForReadAndReadShare = 1,
        kForReadAndWriteNoShare = 2,
        kForReadAndAllShare = 3,
        kTryForReadShare = 4
    };

    // With buildDefaultDrawing the database holds a block table (with "*Model_Space" and
    // "*Paper_Space"), a layer table (with layer "0") and an empty named objects
    // dictionary; without, it is empty and ready to be read into.
    AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase() override;
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    Acad::ErrorStatus readDwgFile(const ACHAR* fileName, OpenMode shmode = kForReadAndReadShare,
                                  bool bAllowCPConversion = false,
                                  const wchar_t* wszPassword = nullptr);
    Acad::ErrorStatus closeInput(bool bCloseFile = true);
    Acad::ErrorStatus saveAs(const ACHAR* fileName);

    // The file the database was read from or saved to (the pointer is the database's);
    // eNotApplicable with a null pointer for a database that has no file.
    Acad::ErrorStatus getFilename(const ACHAR*& pOutput) const;
    // The file it was first read from (for a reference's database: the referenced file);
    // null for a database that came from no file.
    const ACHAR* originalFileName() const;
    // For a database loaded as an external reference: the referencing block table record
    // in the host drawing; the null id otherwise.
    AcDbObjectId xrefBlockId() const;

    AcDbObjectId blockTableId() const;
    AcDbObjectId layerTableId() const;
    AcDbObjectId namedObjectsDictionaryId() const;
    AcDbObjectId clayer() const;

    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
    Acad::ErrorStatus getBlockTable(AcDbSymbolTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
    Acad::ErrorStatus getLayerTable(AcDbSymbolTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
    // Opens the root dictionary of the drawing's non-graphical objects (an open of that
    // object: an OpenObject fault on its id fails it); eNullObjectId for a database that
    // has none (made without the default drawing and not read).
    Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& pDict,
                                                AcDb::OpenMode mode = AcDb::kForRead);

    // Makes a non-entity object resident (no owner set); it stays open for write.
    Acad::ErrorStatus addAcDbObject(AcDbObjectId& objId, AcDbObject* pObj);
    Acad::ErrorStatus addAcDbObject(AcDbObject* pObj);
    // The id of the object with that handle; eKeyNotFound when there is none.
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& retId, bool createIfNotFound,
                                      const AcDbHandle& objHandle, Adesk::UInt32 xRefId = 0);

    // Host-internal.
    korv_host::DatabaseImpl& impl() const { return *mImpl; }

private:
    korv_host::DatabaseImpl* mImpl;
};

// Opens the object with that id; pClass, when given, must be the object's class or a base
// of it (eNotThatKindOfClass otherwise, the pointer nulled).
Acad::ErrorStatus acdbOpenObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased, const AcRxClass* pClass);
inline Acad::ErrorStatus acdbOpenObject(AcDbObject*& pObj, AcDbObjectId id,
                                        AcDb::OpenMode mode = AcDb::kForRead,
                                        bool openErased = false) {
    return acdbOpenObject(pObj, id, mode, openErased, nullptr);
}
inline Acad::ErrorStatus acdbOpenObject(AcDbEntity*& pEnt, AcDbObjectId id,
                                        AcDb::OpenMode mode = AcDb::kForRead,
                                        bool openErased = false) {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(object, id, mode, openErased, AcDbEntity::desc());
    pEnt = static_cast<AcDbEntity*>(object);
    return es;
}
template <class T_OBJECT>
inline Acad::ErrorStatus acdbOpenObject(T_OBJECT*& pObj, AcDbObjectId id,
                                        AcDb::OpenMode mode = AcDb::kForRead,
                                        bool openErased = false) {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(object, id, mode, openErased, T_OBJECT::desc());
    pObj = static_cast<T_OBJECT*>(object);
    return es;
}
inline Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                            bool openErased = false) {
    return acdbOpenObject(pObj, id, mode, openErased, nullptr);
}
inline Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode,
                                            bool openErased = false) {
    return acdbOpenObject(pEnt, id, mode, openErased);
}
