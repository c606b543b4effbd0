// column_schedule_inventory.h: the schedules of the working drawing's paper space. Nothing
// is cached: every call walks paper space afresh and appends the ids of the schedules of
// its kind in paper-space order (declared with the exports in KORVInventory.h).
#pragma once

#include <list>

#include "StdAfx.h"

// The test that admits one paper-space entity: true when the entity is a schedule of the
// kind asked for. It opens what it needs for read and closes it before it returns.
typedef bool (*Schedule_test)(AcDbObjectId entity_id);

// Appends the ids of the paper-space entities that pass the test, in paper-space order;
// false (ids untouched) when paper space is not available or cannot be walked.
bool get_schedule_ids(Schedule_test is_schedule, std::list<AcDbObjectId>& ids);
