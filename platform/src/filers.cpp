// The filers' shared behaviour: error recording and the typed DXF writers, which all come
// down to writeResBuf and writeDouble of the concrete filer.
#include <dbfiler.h>

#include <cmath>
#include <cstdarg>
#include <cwchar>

#include "ads_names.h"
#include "dxf_filer.h"

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbDwgFiler, AcRxObject);
ACRX_NO_CONS_DEFINE_MEMBERS(AcDbDxfFiler, AcRxObject);

AcDbDwgFiler::~AcDbDwgFiler() = default;
AcDbDxfFiler::~AcDbDxfFiler() = default;

Acad::ErrorStatus AcDbDwgFiler::dwgVersion(AcDb::DwgVersion& ver,
                                           AcDb::MaintenanceReleaseVersion& maintVer) const {
    ver = AcDb::kDHL_CURRENT;
    maintVer = AcDb::kMReleaseCurrent;
    return Acad::eOk;
}

namespace {

std::wstring format_message(const ACHAR* format, va_list arguments) {
    if (format == nullptr) return L"";
    wchar_t message[512] = {};
    std::vswprintf(message, sizeof message / sizeof message[0], format, arguments);
    return message;
}

resbuf item(AcDb::DxfCode code) {
    resbuf rb{};
    rb.restype = static_cast<short>(code);
    return rb;
}

}  // namespace

Acad::ErrorStatus AcDbDxfFiler::setError(Acad::ErrorStatus status, const ACHAR* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    mErrorMessage = format_message(format, arguments);
    va_end(arguments);
    setFilerStatus(status);
    return status;
}

Acad::ErrorStatus AcDbDxfFiler::setError(const ACHAR* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    mErrorMessage = format_message(format, arguments);
    va_end(arguments);
    setFilerStatus(Acad::eFilerError);
    return Acad::eFilerError;
}

Acad::ErrorStatus AcDbDxfFiler::writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) {
    resbuf rb = item(code);
    korv_host::id_to_name(id, rb.resval.rlname);
    return writeResBuf(rb);
}

Acad::ErrorStatus AcDbDxfFiler::writeString(AcDb::DxfCode code, const ACHAR* pVal) {
    resbuf rb = item(code);
    rb.resval.rstring = const_cast<ACHAR*>(pVal ? pVal : L"");
    return writeResBuf(rb);
}

Acad::ErrorStatus AcDbDxfFiler::writeString(AcDb::DxfCode code, const AcString& val) {
    return writeString(code, val.kwszPtr());
}

Acad::ErrorStatus AcDbDxfFiler::writeBool(AcDb::DxfCode code, bool val) {
    return writeInt16(code, val ? 1 : 0);
}

Acad::ErrorStatus AcDbDxfFiler::writeBoolean(AcDb::DxfCode code, Adesk::Boolean val) {
    return writeBool(code, val);
}

Acad::ErrorStatus AcDbDxfFiler::writeInt8(AcDb::DxfCode code, Adesk::Int8 val) {
    return writeInt16(code, val);
}

Acad::ErrorStatus AcDbDxfFiler::writeInt16(AcDb::DxfCode code, Adesk::Int16 val) {
    resbuf rb = item(code);
    rb.resval.rint = val;
    return writeResBuf(rb);
}

Acad::ErrorStatus AcDbDxfFiler::writeInt32(AcDb::DxfCode code, Adesk::Int32 val) {
    resbuf rb = item(code);
    rb.resval.rlong = val;
    return writeResBuf(rb);
}

Acad::ErrorStatus AcDbDxfFiler::writeInt64(AcDb::DxfCode code, Adesk::Int64 val) {
    resbuf rb = item(code);
    rb.resval.mnInt64 = val;
    return writeResBuf(rb);
}

Acad::ErrorStatus AcDbDxfFiler::writeUInt8(AcDb::DxfCode code, Adesk::UInt8 val) {
    return writeInt16(code, static_cast<Adesk::Int16>(val));
}

Acad::ErrorStatus AcDbDxfFiler::writeUInt16(AcDb::DxfCode code, Adesk::UInt16 val) {
    return writeInt16(code, static_cast<Adesk::Int16>(val));
}

Acad::ErrorStatus AcDbDxfFiler::writeUInt32(AcDb::DxfCode code, Adesk::UInt32 val) {
    return writeInt32(code, static_cast<Adesk::Int32>(val));
}

Acad::ErrorStatus AcDbDxfFiler::writeHandle(AcDb::DxfCode code, const AcDbHandle& val) {
    ACHAR text[AcDbHandle::kStrSiz];
    val.getIntoAsciiBuffer(text);
    return writeString(code, text);
}

Acad::ErrorStatus AcDbDxfFiler::writeAngle(AcDb::DxfCode code, double radians, int prec) {
    return writeDouble(code, radians * 180.0 / M_PI, prec);
}

Acad::ErrorStatus AcDbDxfFiler::writePoint2d(AcDb::DxfCode code, const AcGePoint2d& val, int prec) {
    writeDouble(code, val.x, prec);
    return writeDouble(static_cast<AcDb::DxfCode>(code + 10), val.y, prec);
}

Acad::ErrorStatus AcDbDxfFiler::writePoint3d(AcDb::DxfCode code, const AcGePoint3d& val, int prec) {
    writeDouble(code, val.x, prec);
    writeDouble(static_cast<AcDb::DxfCode>(code + 10), val.y, prec);
    return writeDouble(static_cast<AcDb::DxfCode>(code + 20), val.z, prec);
}

Acad::ErrorStatus AcDbDxfFiler::writeVector2d(AcDb::DxfCode code, const AcGeVector2d& val,
                                              int prec) {
    return writePoint2d(code, AcGePoint2d(val.x, val.y), prec);
}

Acad::ErrorStatus AcDbDxfFiler::writeVector3d(AcDb::DxfCode code, const AcGeVector3d& val,
                                              int prec) {
    return writePoint3d(code, AcGePoint3d(val.x, val.y, val.z), prec);
}

Acad::ErrorStatus AcDbDxfFiler::writeScale3d(AcDb::DxfCode code, const AcGeScale3d& val, int prec) {
    writeDouble(code, val.sx, prec);
    writeDouble(static_cast<AcDb::DxfCode>(code + 1), val.sy, prec);
    return writeDouble(static_cast<AcDb::DxfCode>(code + 2), val.sz, prec);
}
