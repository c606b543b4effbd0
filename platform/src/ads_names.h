// ads_names.h: entity names (ads_name) as this host hands them out: the id's stub and its
// creation serial. Only names the host gave out translate back, so a made-up name is
// refused instead of being followed.
#pragma once

#include <adsdef.h>
#include <dbid.h>

namespace korv_host {

void id_to_name(const AcDbObjectId& id, int64_t (&name)[2]);
// False for a name the host never gave out; the null name gives the null id.
bool name_to_id(const int64_t (&name)[2], AcDbObjectId& id);

}  // namespace korv_host
