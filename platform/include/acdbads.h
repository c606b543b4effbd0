// acdbads.h: translation between object ids and ADS entity names.
#pragma once

#include "acadstrc.h"
#include "adsdef.h"
#include "dbid.h"

// The entity name of the object: eOk, or eNullObjectId / eInvalidInput (an id that names
// no live object), the name then zeroed.
Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId);
// The object id of an entity name: eOk, or eInvalidAdsName for a name the host never gave
// out, the id then null.
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);
