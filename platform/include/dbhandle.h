// dbhandle.h: AcDbHandle, an object's persistent 64-bit name within its database. Handles
// are unique per database and survive saving and reading; ids (dbid.h) are per session.
// As text a handle is upper-case hexadecimal without leading zeros ("1F").
#pragma once

#include <cstddef>

#include "AdAChar.h"
#include "adesk.h"

class AcDbHandle {
public:
    enum { kStrSiz = 17 };

    // The host leaves a default-constructed handle uninitialised; this layer makes it null.
    AcDbHandle() = default;
    AcDbHandle(int lo, int hi)
        : mValue((static_cast<Adesk::UInt64>(static_cast<Adesk::UInt32>(hi)) << 32) |
                 static_cast<Adesk::UInt32>(lo)) {}
    // Parses hexadecimal text; text that is not hexadecimal gives the null handle.
    explicit AcDbHandle(const ACHAR* hexString);
    AcDbHandle(Adesk::UInt64 value) : mValue(value) {}

    bool isNull() const { return mValue == 0; }
    void setNull() { mValue = 0; }
    operator Adesk::UInt64() const { return mValue; }
    Adesk::UInt32 low() const { return static_cast<Adesk::UInt32>(mValue); }
    Adesk::UInt32 high() const { return static_cast<Adesk::UInt32>(mValue >> 32); }
    AcDbHandle& operator++() {
        ++mValue;
        return *this;
    }

    // Writes the handle as text into buffer (nBufLen characters including the terminator);
    // false when the buffer is null or too small, the buffer then holding an empty string.
    bool getIntoAsciiBuffer(ACHAR* pBuf, size_t nBufLen) const;
    template <size_t nBufLen>
    bool getIntoAsciiBuffer(wchar_t (&buf)[nBufLen]) const {
        return getIntoAsciiBuffer(buf, nBufLen);
    }

    bool operator==(const AcDbHandle& other) const { return mValue == other.mValue; }
    bool operator!=(const AcDbHandle& other) const { return mValue != other.mValue; }
    bool operator<(const AcDbHandle& other) const { return mValue < other.mValue; }
    bool operator>(const AcDbHandle& other) const { return mValue > other.mValue; }

private:
    Adesk::UInt64 mValue = 0;
};
