// Host application services, documents, handles as text and error texts.
#include <cwchar>

#include "host_state.h"

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbHostApplicationServices, AcRxObject);
ACRX_NO_CONS_DEFINE_MEMBERS(AcApDocument, AcRxObject);
ACRX_NO_CONS_DEFINE_MEMBERS(AcApDocManager, AcRxObject);

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isErased() const {
    return mId && mId->object && mId->object->isErased();
}

AcRxClass* AcDbObjectId::objectClass() const {
    return mId && mId->object ? mId->object->isA() : nullptr;
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static auto& services = *new AcDbHostApplicationServices;
    return &services;
}

namespace korv_host {

HostDocManager& doc_manager() {
    static auto& manager = *new HostDocManager;
    return manager;
}

HostDocument::~HostDocument() {
    if (mOwns) delete mDatabase;
}

}  // namespace korv_host

AcApDocManager* acDocManagerPtr() {
    return &korv_host::doc_manager();
}

// ----- handles ------------------------------------------------------------------------------

AcDbHandle::AcDbHandle(const ACHAR* hexString) {
    if (hexString == nullptr || *hexString == L'\0') return;
    Adesk::UInt64 value = 0;
    int digits = 0;
    for (const ACHAR* c = hexString; *c; ++c, ++digits) {
        int nibble;
        if (*c >= L'0' && *c <= L'9') {
            nibble = *c - L'0';
        } else if (*c >= L'A' && *c <= L'F') {
            nibble = *c - L'A' + 10;
        } else if (*c >= L'a' && *c <= L'f') {
            nibble = *c - L'a' + 10;
        } else {
            return;  // not hexadecimal: stays null
        }
        if (digits == 16) return;  // more than 64 bits
        value = (value << 4) | static_cast<Adesk::UInt64>(nibble);
    }
    mValue = value;
}

bool AcDbHandle::getIntoAsciiBuffer(ACHAR* pBuf, size_t nBufLen) const {
    if (pBuf == nullptr || nBufLen == 0) return false;
    ACHAR digits[kStrSiz];
    int count = 0;
    Adesk::UInt64 rest = mValue;
    do {
        digits[count++] = L"0123456789ABCDEF"[rest & 0xF];
        rest >>= 4;
    } while (rest != 0);
    if (static_cast<size_t>(count) + 1 > nBufLen) {
        pBuf[0] = L'\0';
        return false;
    }
    for (int i = 0; i < count; ++i) pBuf[i] = digits[count - 1 - i];
    pBuf[count] = L'\0';
    return true;
}

const wchar_t* acadErrorStatusText(Acad::ErrorStatus es) {
    switch (es) {
#define KORV_ES_TEXT(name) \
    case Acad::name:       \
        return L## #name;
        KORV_ES_TEXT(eOk)
        KORV_ES_TEXT(eNotImplementedYet)
        KORV_ES_TEXT(eNotApplicable)
        KORV_ES_TEXT(eInvalidInput)
        KORV_ES_TEXT(eNullObjectPointer)
        KORV_ES_TEXT(eNullObjectId)
        KORV_ES_TEXT(eKeyNotFound)
        KORV_ES_TEXT(eDuplicateKey)
        KORV_ES_TEXT(eInvalidIndex)
        KORV_ES_TEXT(eAlreadyInDb)
        KORV_ES_TEXT(eWrongObjectType)
        KORV_ES_TEXT(eWrongDatabase)
        KORV_ES_TEXT(eNotOpenForRead)
        KORV_ES_TEXT(eNotOpenForWrite)
        KORV_ES_TEXT(eNotThatKindOfClass)
        KORV_ES_TEXT(eBadDxfSequence)
        KORV_ES_TEXT(eFilerError)
        KORV_ES_TEXT(eFileAccessErr)
        KORV_ES_TEXT(eFileNotFound)
        KORV_ES_TEXT(eWasErased)
        KORV_ES_TEXT(ePermanentlyErased)
        KORV_ES_TEXT(eWasOpenForRead)
        KORV_ES_TEXT(eWasOpenForWrite)
        KORV_ES_TEXT(eAtMaxReaders)
        KORV_ES_TEXT(eDuplicateRecordName)
        KORV_ES_TEXT(eSelfReference)
        KORV_ES_TEXT(eWasNotErased)
        KORV_ES_TEXT(eNoDatabase)
        KORV_ES_TEXT(eNotInDatabase)
        KORV_ES_TEXT(eDwgNeedsRecovery)
        KORV_ES_TEXT(eCantOpenFile)
        KORV_ES_TEXT(eFileSharingViolation)
        KORV_ES_TEXT(eUnsupportedFileFormat)
        KORV_ES_TEXT(eRepeatedDwgRead)
#undef KORV_ES_TEXT
        default:
            return L"(other error status)";
    }
}
