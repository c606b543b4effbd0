// dbdict.h: dictionaries, the containers of a drawing's non-graphical objects.
//
// A dictionary maps keys to the ids of objects it owns. Keys compare without regard to
// case, as the host compares them, keep the case they were given, and are visited in
// sorted (case-folded) order. Putting an object in (setAt) makes it resident when it is not
// yet, makes the dictionary its owner and attaches the dictionary to it as a persistent
// reactor; a key already in use has its old object erased and replaced. A key beginning
// with "*" asks for an anonymous entry: the dictionary makes up a fresh key ("*A1", "*A2",
// ...). An entry whose object is erased is hidden from every lookup, count and walk until
// the object is unerased; removing an entry hands the object back (no owner, no longer
// watched) without erasing it.
//
// Every drawing has a root dictionary, the named objects dictionary
// (AcDbDatabase::getNamedObjectsDictionary), and any object may own an extension
// dictionary (AcDbObject::createExtensionDictionary).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "acstring.h"
#include "dbmain.h"

class AcDbDictionaryIterator;

class AcDbDictionary : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDictionary);
    AcDbDictionary();
    ~AcDbDictionary() override;

    // Lookups need the dictionary open (eNotOpenForRead otherwise, reported as misuse) and
    // answer eKeyNotFound for a key without a live entry.
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& entryId) const;
    // Opens the entry's object (an open by id: erased objects are not opened).
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObject*& entryObj,
                            AcDb::OpenMode mode = AcDb::kForRead);
    // Opens the entry's object as T: eNotThatKindOfClass, the pointer null, for another class.
    template <class T>
    Acad::ErrorStatus getAt(const ACHAR* entryName, T*& entryObj,
                            AcDb::OpenMode mode = AcDb::kForRead) const {
        entryObj = nullptr;
        AcDbObjectId id;
        Acad::ErrorStatus es = getAt(entryName, id);
        if (es != Acad::eOk) return es;
        return acdbOpenObject(entryObj, id, mode);
    }
    // The key of the entry holding that object; eKeyNotFound when it is not an entry.
    Acad::ErrorStatus nameAt(AcDbObjectId objId, AcString& name) const;
    // Deprecated form: a heap copy the caller releases with free() or acutDelString.
    Acad::ErrorStatus nameAt(AcDbObjectId objId, ACHAR*& name) const;

    bool has(const ACHAR* entryName) const;
    bool has(AcDbObjectId objId) const;
    Adesk::UInt32 numEntries() const;

    // Requires the dictionary resident (eNoDatabase) and open for write (eNotOpenForWrite).
    // Refuses a null object (eNullObjectPointer), a null or empty key (eInvalidKey), the
    // dictionary itself (eSelfReference), an object of another database (eWrongDatabase)
    // and one another container owns, or this one under another key (eAlreadyInDb).
    // Making an object resident can fail as an AddObject host operation on the dictionary.
    // A new object is left open for write, as addAcDbObject leaves it; the caller closes it.
    Acad::ErrorStatus setAt(const ACHAR* srchKey, AcDbObject* newValue, AcDbObjectId& retObjId);

    // Take the entry out without erasing its object (dictionary open for write).
    Acad::ErrorStatus remove(const ACHAR* key);
    Acad::ErrorStatus remove(const ACHAR* key, AcDbObjectId& returnId);
    Acad::ErrorStatus remove(AcDbObjectId objId);

    // Whether erasing the dictionary's owner hard-owns the entries (filed with the
    // dictionary; erasing the dictionary erases its entries either way).
    bool isTreatElementsAsHard() const { return mTreatAsHard; }
    void setTreatElementsAsHard(bool doIt);

    // A walk over the live entries in key order; the dictionary must be open. The caller
    // deletes the iterator.
    AcDbDictionaryIterator* newIterator() const;

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: the entries, erased ones included, in key order.
    struct Entry {
        std::wstring key;
        AcDbObjectId id;
    };
    std::vector<Entry> entries() const;

private:
    const Entry* findLive(const ACHAR* key) const;
    const Entry* findLive(AcDbObjectId id) const;
    Acad::ErrorStatus removeEntry(const std::wstring& folded, AcDbObjectId& returnId);
    std::wstring anonymousKey();

    std::map<std::wstring, Entry> mEntries;  // by case-folded key
    bool mTreatAsHard = false;
    unsigned mNextAnonymous = 1;
};

// A walk over a dictionary's entries, from newIterator. It works on a snapshot of the
// entries taken at creation; next() passes over those whose object has been erased since.
class AcDbDictionaryIterator {
public:
    virtual ~AcDbDictionaryIterator();
    AcDbDictionaryIterator(const AcDbDictionaryIterator&) = delete;
    AcDbDictionaryIterator& operator=(const AcDbDictionaryIterator&) = delete;

    const ACHAR* name() const;
    AcDbObjectId objectId() const;
    Acad::ErrorStatus getObject(AcDbObject*& pObject, AcDb::OpenMode openMode = AcDb::kForRead);
    template <class T>
    Acad::ErrorStatus getObject(T*& pObject, AcDb::OpenMode openMode = AcDb::kForRead) {
        pObject = nullptr;
        if (done()) return Acad::eInvalidIndex;
        return acdbOpenObject(pObject, objectId(), openMode);
    }
    bool done() const;
    // Moves to the next live entry; false when the walk is over.
    bool next();
    // Moves to the entry holding that object; false (position kept) when there is none.
    bool setPosition(AcDbObjectId objId);

private:
    friend class AcDbDictionary;
    explicit AcDbDictionaryIterator(std::vector<AcDbDictionary::Entry> entries);
    void skipErased();
    std::vector<AcDbDictionary::Entry> mEntries;
    size_t mIndex = 0;
};
