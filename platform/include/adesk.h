// adesk.h: the host's fixed-width integer and boolean vocabulary (namespace Adesk).
//
// Mirrors the SDK's adesk.h: Adesk::Boolean is a typedef of bool, the IntN/UIntN types are
// exact-width integers and IntDbId is a pointer-sized integer (what AcDbObjectId::asOldId
// hands out).
#pragma once

#include <cstddef>
#include <cstdint>

struct Adesk {
    typedef int8_t Int8;
    typedef int16_t Int16;
    typedef int32_t Int32;
    typedef int64_t Int64;
    typedef uint8_t UInt8;
    typedef uint16_t UInt16;
    typedef uint32_t UInt32;
    typedef uint64_t UInt64;
    typedef unsigned char Byte;
    typedef bool Boolean;
    typedef intptr_t IntDbId;
    typedef intptr_t LongPtr;
    typedef uintptr_t ULongPtr;
    static constexpr bool kFalse = false;
    static constexpr bool kTrue = true;
};
