// dbobjptr.h: smart pointers that own one open of one object.
//
// The pointer opens on construction and closes on destruction (or deletes the object
// when it is new and was never made resident), so "everything opened is closed on every
// path" holds by scope. openStatus() tells whether the open succeeded; the pointer is
// null otherwise. Pointers are not copyable.
#pragma once

#include "dbsymtb.h"

class AcDbDictionary;

template <class T_OBJECT>
class AcDbObjectPointerBase {
public:
    AcDbObjectPointerBase() = default;
    virtual ~AcDbObjectPointerBase() { closeInternal(); }
    AcDbObjectPointerBase(const AcDbObjectPointerBase&) = delete;
    AcDbObjectPointerBase& operator=(const AcDbObjectPointerBase&) = delete;

    Acad::ErrorStatus openStatus() const { return m_status; }
    T_OBJECT* object() { return m_ptr; }
    const T_OBJECT* object() const { return m_ptr; }
    T_OBJECT* operator->() { return m_ptr; }
    const T_OBJECT* operator->() const { return m_ptr; }
    operator T_OBJECT*() { return m_ptr; }
    operator const T_OBJECT*() const { return m_ptr; }

    Acad::ErrorStatus open(AcDbObjectId objId, AcDb::OpenMode openMode = AcDb::kForRead,
                           bool openErased = false) {
        closeInternal();
        m_status = acdbOpenObject(m_ptr, objId, openMode, openErased);
        return m_status;
    }
    // Takes over an object that is open (or new) and leaves pObj null.
    Acad::ErrorStatus acquire(T_OBJECT*& pObj) {
        if (pObj == nullptr) return Acad::eNullObjectPointer;
        closeInternal();
        m_ptr = pObj;
        pObj = nullptr;
        m_status = Acad::eOk;
        return m_status;
    }
    // Gives the object up without closing it.
    Acad::ErrorStatus release(T_OBJECT*& pReleased) {
        if (m_ptr == nullptr) return Acad::eNullObjectPointer;
        pReleased = m_ptr;
        m_ptr = nullptr;
        m_status = Acad::eNullObjectPointer;
        return Acad::eOk;
    }
    Acad::ErrorStatus close() {
        if (m_ptr == nullptr) return Acad::eNullObjectPointer;
        closeInternal();
        return Acad::eOk;
    }
    // Replaces the held object with a new, non-resident one.
    Acad::ErrorStatus create() {
        closeInternal();
        m_ptr = new T_OBJECT();
        m_status = Acad::eOk;
        return m_status;
    }

protected:
    void closeInternal() {
        if (m_ptr != nullptr) {
            if (m_ptr->objectId().isNull()) {
                delete m_ptr;
            } else {
                m_ptr->close();
            }
        }
        m_ptr = nullptr;
        m_status = Acad::eNullObjectPointer;
    }
    T_OBJECT* m_ptr = nullptr;
    Acad::ErrorStatus m_status = Acad::eNullObjectPointer;
};

template <class T_OBJECT>
class AcDbObjectPointer : public AcDbObjectPointerBase<T_OBJECT> {
public:
    AcDbObjectPointer() = default;
    AcDbObjectPointer(AcDbObjectId objId, AcDb::OpenMode mode = AcDb::kForRead,
                      bool openErased = false) {
        this->open(objId, mode, openErased);
    }
};

template <class T_OBJECT>
class AcDbSymbolTablePointer : public AcDbObjectPointerBase<T_OBJECT> {
public:
    AcDbSymbolTablePointer() = default;
    AcDbSymbolTablePointer(AcDbObjectId objId, AcDb::OpenMode mode = AcDb::kForRead) {
        this->open(objId, mode, false);
    }
    AcDbSymbolTablePointer(AcDbDatabase* pDb, AcDb::OpenMode mode = AcDb::kForRead) {
        if (pDb == nullptr) return;  // status stays eNullObjectPointer
        this->m_status = pDb->getSymbolTable(this->m_ptr, mode);
        if (this->m_status != Acad::eOk) this->m_ptr = nullptr;
    }
};

template <class T_OBJECT>
class AcDbSymbolTableRecordPointer : public AcDbObjectPointerBase<T_OBJECT> {
public:
    AcDbSymbolTableRecordPointer() = default;
    AcDbSymbolTableRecordPointer(AcDbObjectId objId, AcDb::OpenMode mode = AcDb::kForRead,
                                 bool openErased = false) {
        this->open(objId, mode, openErased);
    }
    // Opens the record of that name in the database's table; a null database is refused
    // (there is no fall-back to the working database).
    AcDbSymbolTableRecordPointer(const ACHAR* name, AcDbDatabase* pDb,
                                 AcDb::OpenMode mode = AcDb::kForRead, bool openErased = false) {
        if (name == nullptr) {
            this->m_status = Acad::eInvalidInput;
            return;
        }
        if (pDb == nullptr) return;
        typename T_OBJECT::TableType* table = nullptr;
        this->m_status = pDb->getSymbolTable(table, AcDb::kForRead);
        if (this->m_status != Acad::eOk) return;
        this->m_status = table->getAt(name, this->m_ptr, mode, openErased);
        if (this->m_status != Acad::eOk) this->m_ptr = nullptr;
        table->close();
    }
};

typedef AcDbObjectPointer<AcDbEntity> AcDbEntityPointer;
typedef AcDbObjectPointer<AcDbDictionary> AcDbDictionaryPointer;
typedef AcDbObjectPointer<AcDbBlockReference> AcDbBlockReferencePointer;
typedef AcDbSymbolTablePointer<AcDbBlockTable> AcDbBlockTablePointer;
typedef AcDbSymbolTablePointer<AcDbLayerTable> AcDbLayerTablePointer;
typedef AcDbSymbolTableRecordPointer<AcDbBlockTableRecord> AcDbBlockTableRecordPointer;
typedef AcDbSymbolTableRecordPointer<AcDbLayerTableRecord> AcDbLayerTableRecordPointer;
