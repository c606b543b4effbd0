// adsdef.h: the ADS value types: reals, points, entity names and the result buffer.
//
// A result buffer (resbuf) carries one typed value: restype tells which member of resval
// is set (an RT code from adscodes.h, or a DXF group code when a filer or an entity list
// fills it). Buffers chain through rbnext. Whoever allocated a buffer's string releases it.
//
// An entity name (ads_name) is the session name of a database-resident object, as two
// pointer-sized integers; acdbGetAdsName and acdbGetObjectId translate between it and the
// object's AcDbObjectId.
#pragma once

#include <cstdint>

#include "AdAChar.h"

typedef double ads_real;
typedef ads_real ads_point[3];
typedef int64_t ads_name[2];
typedef ads_real ads_matrix[4][4];
typedef ads_real* ads_pointp;
typedef int64_t* ads_namep;

struct ads_binary {
    short clen;
    char* buf;
};

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    ACHAR* rstring;
    int64_t rlname[2];
    int64_t mnLongPtr;
    int32_t rlong;
    int64_t mnInt64;
    struct ads_binary rbinary;
    unsigned char ihandle[8];
};

struct resbuf {
    struct resbuf* rbnext;
    short restype;
    union ads_u_val resval;
};
