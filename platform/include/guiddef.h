// guiddef.h: the 16-byte GUID. The tag is _GUID, as on Windows, because the tag is part of
// decorated export names. Data1 is 32 bits (Windows' unsigned long).
#pragma once

#include <cstdint>

typedef struct _GUID {
    uint32_t Data1;
    unsigned short Data2;
    unsigned short Data3;
    unsigned char Data4[8];
} GUID;
