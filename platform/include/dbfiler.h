// dbfiler.h: filers, the channels through which an object writes and reads its own data.
//
// An object files itself: dwgOutFields/dxfOutFields write its fields into a filer and
// dwgInFields/dxfInFields read them back, each override calling its parent's first. The
// host owns the filers and hands them in; an object never makes one.
//
// AcDbDwgFiler is the binary channel: typed values in a fixed order, no group codes.
// AcDbDxfFiler is the tagged channel of drawing exchange files: every value carries a group
// code (AcDb::DxfCode) that tells its meaning and type, each class's data opens with a
// subclass marker (group 100 with the class name), and a reader walks the items one by
// one as result buffers, pushing back the first item that is not its own.
//
// Reading through an AcDbDxfFiler: readResBuf/readItem fill a resbuf whose restype is the
// group code. Points (groups 10-18, 110-112, 210, 1010-1013) arrive as one item with their
// three coordinates. Strings stay owned by the filer and are valid until the next read.
// Object ids (groups 330-369, 390-399, 480-481) arrive in resval.rlname as an entity name
// (acdbGetObjectId turns it into the id); handles written as text (5, 105, 320-329, 1005)
// arrive as strings. At the end of the object's data (its next object, or its extended
// data, groups 1001 and up) a read
// answers eEndOfFile and atEndOfObject() is true.
#pragma once

#include "AdAChar.h"
#include "acadstrc.h"
#include "acdb.h"
#include "acstring.h"
#include "adsdef.h"
#include "dbhandle.h"
#include "dbid.h"
#include "gepnt2d.h"
#include "gepnt3d.h"
#include "gescl3d.h"
#include "gevec2d.h"
#include "gevec3d.h"
#include "rxboiler.h"

class AcDbDatabase;

class AcDbDwgFiler : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDwgFiler);
    ~AcDbDwgFiler() override;

    virtual Acad::ErrorStatus filerStatus() const = 0;
    virtual AcDb::FilerType filerType() const = 0;
    virtual void setFilerStatus(Acad::ErrorStatus status) = 0;
    virtual void resetFilerStatus() = 0;
    virtual AcDbDatabase* database() const = 0;
    virtual Acad::ErrorStatus dwgVersion(AcDb::DwgVersion& ver,
                                         AcDb::MaintenanceReleaseVersion& maintVer) const;

    virtual Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* pId) = 0;
    virtual Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) = 0;
    virtual Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* pId) = 0;
    virtual Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) = 0;
    virtual Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* pId) = 0;
    virtual Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) = 0;
    virtual Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* pId) = 0;
    virtual Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) = 0;

    // readString(ACHAR**) allocates; the caller releases with acutDelString or free().
    virtual Acad::ErrorStatus readString(ACHAR** pVal) = 0;
    virtual Acad::ErrorStatus writeString(const ACHAR* pVal) = 0;
    virtual Acad::ErrorStatus readString(AcString& val) = 0;
    virtual Acad::ErrorStatus writeString(const AcString& val) = 0;

    virtual Acad::ErrorStatus readBool(Adesk::Boolean* pVal) = 0;
    virtual Acad::ErrorStatus writeBool(Adesk::Boolean val) = 0;
    virtual Acad::ErrorStatus readInt8(Adesk::Int8* pVal) = 0;
    virtual Acad::ErrorStatus writeInt8(Adesk::Int8 val) = 0;
    virtual Acad::ErrorStatus readInt16(Adesk::Int16* pVal) = 0;
    virtual Acad::ErrorStatus writeInt16(Adesk::Int16 val) = 0;
    virtual Acad::ErrorStatus readInt32(Adesk::Int32* pVal) = 0;
    virtual Acad::ErrorStatus writeInt32(Adesk::Int32 val) = 0;
    virtual Acad::ErrorStatus readInt64(Adesk::Int64* pVal) = 0;
    virtual Acad::ErrorStatus writeInt64(Adesk::Int64 val) = 0;
    virtual Acad::ErrorStatus readUInt8(Adesk::UInt8* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt8(Adesk::UInt8 val) = 0;
    virtual Acad::ErrorStatus readUInt16(Adesk::UInt16* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt16(Adesk::UInt16 val) = 0;
    virtual Acad::ErrorStatus readUInt32(Adesk::UInt32* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt32(Adesk::UInt32 val) = 0;
    virtual Acad::ErrorStatus readUInt64(Adesk::UInt64* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt64(Adesk::UInt64 val) = 0;
    virtual Acad::ErrorStatus readDouble(double* pVal) = 0;
    virtual Acad::ErrorStatus writeDouble(double val) = 0;
    virtual Acad::ErrorStatus readPoint2d(AcGePoint2d* pVal) = 0;
    virtual Acad::ErrorStatus writePoint2d(const AcGePoint2d& val) = 0;
    virtual Acad::ErrorStatus readPoint3d(AcGePoint3d* pVal) = 0;
    virtual Acad::ErrorStatus writePoint3d(const AcGePoint3d& val) = 0;
    virtual Acad::ErrorStatus readVector2d(AcGeVector2d* pVal) = 0;
    virtual Acad::ErrorStatus writeVector2d(const AcGeVector2d& val) = 0;
    virtual Acad::ErrorStatus readVector3d(AcGeVector3d* pVal) = 0;
    virtual Acad::ErrorStatus writeVector3d(const AcGeVector3d& val) = 0;
    virtual Acad::ErrorStatus readScale3d(AcGeScale3d* pVal) = 0;
    virtual Acad::ErrorStatus writeScale3d(const AcGeScale3d& val) = 0;
    virtual Acad::ErrorStatus readAcDbHandle(AcDbHandle* pVal) = 0;
    virtual Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& val) = 0;
    virtual Acad::ErrorStatus readBytes(void* pDest, Adesk::ULongPtr count) = 0;
    virtual Acad::ErrorStatus writeBytes(const void* pSrc, Adesk::ULongPtr count) = 0;

    // The same calls chosen by the value's type.
    Acad::ErrorStatus readItem(AcDbHardOwnershipId* pId) { return readHardOwnershipId(pId); }
    Acad::ErrorStatus writeItem(const AcDbHardOwnershipId& id) { return writeHardOwnershipId(id); }
    Acad::ErrorStatus readItem(AcDbSoftOwnershipId* pId) { return readSoftOwnershipId(pId); }
    Acad::ErrorStatus writeItem(const AcDbSoftOwnershipId& id) { return writeSoftOwnershipId(id); }
    Acad::ErrorStatus readItem(AcDbHardPointerId* pId) { return readHardPointerId(pId); }
    Acad::ErrorStatus writeItem(const AcDbHardPointerId& id) { return writeHardPointerId(id); }
    Acad::ErrorStatus readItem(AcDbSoftPointerId* pId) { return readSoftPointerId(pId); }
    Acad::ErrorStatus writeItem(const AcDbSoftPointerId& id) { return writeSoftPointerId(id); }
    Acad::ErrorStatus readItem(ACHAR** pVal) { return readString(pVal); }
    Acad::ErrorStatus writeItem(const ACHAR* val) { return writeString(val); }
    Acad::ErrorStatus readItem(AcString& val) { return readString(val); }
    Acad::ErrorStatus writeItem(const AcString& val) { return writeString(val); }
    Acad::ErrorStatus readItem(Adesk::Boolean* pVal) { return readBool(pVal); }
    Acad::ErrorStatus writeItem(Adesk::Boolean val) { return writeBool(val); }
    Acad::ErrorStatus readItem(Adesk::Int8* pVal) { return readInt8(pVal); }
    Acad::ErrorStatus writeItem(Adesk::Int8 val) { return writeInt8(val); }
    Acad::ErrorStatus readItem(Adesk::Int16* pVal) { return readInt16(pVal); }
    Acad::ErrorStatus writeItem(Adesk::Int16 val) { return writeInt16(val); }
    Acad::ErrorStatus readItem(Adesk::Int32* pVal) { return readInt32(pVal); }
    Acad::ErrorStatus writeItem(Adesk::Int32 val) { return writeInt32(val); }
    Acad::ErrorStatus readItem(Adesk::Int64* pVal) { return readInt64(pVal); }
    Acad::ErrorStatus writeItem(Adesk::Int64 val) { return writeInt64(val); }
    Acad::ErrorStatus readItem(Adesk::UInt8* pVal) { return readUInt8(pVal); }
    Acad::ErrorStatus writeItem(Adesk::UInt8 val) { return writeUInt8(val); }
    Acad::ErrorStatus readItem(Adesk::UInt16* pVal) { return readUInt16(pVal); }
    Acad::ErrorStatus writeItem(Adesk::UInt16 val) { return writeUInt16(val); }
    Acad::ErrorStatus readItem(Adesk::UInt32* pVal) { return readUInt32(pVal); }
    Acad::ErrorStatus writeItem(Adesk::UInt32 val) { return writeUInt32(val); }
    Acad::ErrorStatus readItem(Adesk::UInt64* pVal) { return readUInt64(pVal); }
    Acad::ErrorStatus writeItem(Adesk::UInt64 val) { return writeUInt64(val); }
    Acad::ErrorStatus readItem(double* pVal) { return readDouble(pVal); }
    Acad::ErrorStatus writeItem(double val) { return writeDouble(val); }
    Acad::ErrorStatus readItem(AcGePoint2d* pVal) { return readPoint2d(pVal); }
    Acad::ErrorStatus writeItem(const AcGePoint2d& val) { return writePoint2d(val); }
    Acad::ErrorStatus readItem(AcGePoint3d* pVal) { return readPoint3d(pVal); }
    Acad::ErrorStatus writeItem(const AcGePoint3d& val) { return writePoint3d(val); }
    Acad::ErrorStatus readItem(AcGeVector2d* pVal) { return readVector2d(pVal); }
    Acad::ErrorStatus writeItem(const AcGeVector2d& val) { return writeVector2d(val); }
    Acad::ErrorStatus readItem(AcGeVector3d* pVal) { return readVector3d(pVal); }
    Acad::ErrorStatus writeItem(const AcGeVector3d& val) { return writeVector3d(val); }
    Acad::ErrorStatus readItem(AcGeScale3d* pVal) { return readScale3d(pVal); }
    Acad::ErrorStatus writeItem(const AcGeScale3d& val) { return writeScale3d(val); }
    Acad::ErrorStatus readItem(AcDbHandle* pVal) { return readAcDbHandle(pVal); }
    Acad::ErrorStatus writeItem(const AcDbHandle& val) { return writeAcDbHandle(val); }

protected:
    AcDbDwgFiler() = default;
};

class AcDbDxfFiler : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDxfFiler);
    ~AcDbDxfFiler() override;

    // Precision of written reals: kDfltPrec writes the shortest text that reads back as the
    // same double; 0..kMaxPrec writes that many decimals.
    enum { kDfltPrec = -1, kMaxPrec = 16 };

    virtual Acad::ErrorStatus filerStatus() const = 0;
    virtual AcDb::FilerType filerType() const = 0;
    virtual void setFilerStatus(Acad::ErrorStatus status) = 0;
    virtual void resetFilerStatus() = 0;
    virtual AcDbDatabase* database() const = 0;

    // Records a failure of the object being read: the status becomes the filer's and the
    // formatted text its error message. Returns the status.
    Acad::ErrorStatus setError(Acad::ErrorStatus status, const ACHAR* format, ...);
    Acad::ErrorStatus setError(const ACHAR* format, ...);
    const ACHAR* errorMessage() const { return mErrorMessage.kwszPtr(); }

    // ----- reading -----
    virtual Acad::ErrorStatus readResBuf(resbuf* pRb) = 0;
    Acad::ErrorStatus readItem(resbuf* pItem) { return readResBuf(pItem); }
    // The item just read is read again by the next read (one item of look-back).
    virtual Acad::ErrorStatus pushBackItem() = 0;
    // True when the next item is the subclass marker of that class; the marker is consumed.
    virtual bool atSubclassData(const ACHAR* subClassName) = 0;
    virtual bool atEOF() = 0;
    virtual bool atEndOfObject() = 0;
    virtual bool atExtendedData() = 0;

    // ----- writing -----
    virtual Acad::ErrorStatus writeResBuf(const resbuf& rb) = 0;
    Acad::ErrorStatus writeItem(const resbuf& item) { return writeResBuf(item); }

    Acad::ErrorStatus writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id);
    Acad::ErrorStatus writeString(AcDb::DxfCode code, const ACHAR* pVal);
    Acad::ErrorStatus writeString(AcDb::DxfCode code, const AcString& val);
    Acad::ErrorStatus writeBool(AcDb::DxfCode code, bool val);
    Acad::ErrorStatus writeBoolean(AcDb::DxfCode code, Adesk::Boolean val);
    Acad::ErrorStatus writeInt8(AcDb::DxfCode code, Adesk::Int8 val);
    Acad::ErrorStatus writeInt16(AcDb::DxfCode code, Adesk::Int16 val);
    Acad::ErrorStatus writeInt32(AcDb::DxfCode code, Adesk::Int32 val);
    Acad::ErrorStatus writeInt64(AcDb::DxfCode code, Adesk::Int64 val);
    Acad::ErrorStatus writeUInt8(AcDb::DxfCode code, Adesk::UInt8 val);
    Acad::ErrorStatus writeUInt16(AcDb::DxfCode code, Adesk::UInt16 val);
    Acad::ErrorStatus writeUInt32(AcDb::DxfCode code, Adesk::UInt32 val);
    Acad::ErrorStatus writeHandle(AcDb::DxfCode code, const AcDbHandle& val);
    virtual Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double val, int prec = kDfltPrec) = 0;
    Acad::ErrorStatus writeAngle(AcDb::DxfCode code, double radians, int prec = kDfltPrec);
    Acad::ErrorStatus writePoint2d(AcDb::DxfCode code, const AcGePoint2d& val,
                                   int prec = kDfltPrec);
    Acad::ErrorStatus writePoint3d(AcDb::DxfCode code, const AcGePoint3d& val,
                                   int prec = kDfltPrec);
    Acad::ErrorStatus writeVector2d(AcDb::DxfCode code, const AcGeVector2d& val,
                                    int prec = kDfltPrec);
    Acad::ErrorStatus writeVector3d(AcDb::DxfCode code, const AcGeVector3d& val,
                                    int prec = kDfltPrec);
    Acad::ErrorStatus writeScale3d(AcDb::DxfCode code, const AcGeScale3d& val,
                                   int prec = kDfltPrec);

    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const ACHAR* val) {
        return writeString(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcString& val) {
        return writeString(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcDbObjectId& id) {
        return writeObjectId(code, id);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, bool val) { return writeBool(code, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::Int8 val) {
        return writeInt8(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::Int16 val) {
        return writeInt16(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::Int32 val) {
        return writeInt32(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::Int64 val) {
        return writeInt64(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::UInt8 val) {
        return writeUInt8(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::UInt16 val) {
        return writeUInt16(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::UInt32 val) {
        return writeUInt32(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcDbHandle& val) {
        return writeHandle(code, val);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, double val, int prec = kDfltPrec) {
        return writeDouble(code, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcGePoint2d& val, int prec = kDfltPrec) {
        return writePoint2d(code, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcGePoint3d& val, int prec = kDfltPrec) {
        return writePoint3d(code, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcGeVector2d& val, int prec = kDfltPrec) {
        return writeVector2d(code, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcGeVector3d& val, int prec = kDfltPrec) {
        return writeVector3d(code, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcGeScale3d& val, int prec = kDfltPrec) {
        return writeScale3d(code, val, prec);
    }

protected:
    AcDbDxfFiler() = default;

private:
    AcString mErrorMessage;
};
