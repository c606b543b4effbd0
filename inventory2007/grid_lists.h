// grid_lists.h: the plan, radial plan and elevation grids of the current document.
//
// Each document has one Plan_grid_lists record (plan grids, radial plan grids) and one
// Elevation_grid_list record, made by the first call that needs them: the plan grids and
// the elevation grids are then read once from the working database's model space (ids of
// KORVRectangular_grid_callout and KORVElevation2_0 entities, derived classes included, in
// entity order); radial plan grids are never scanned for. A record is kept whatever its scan
// found, even nothing when model space was unreadable; afterwards only the add functions
// extend it (no duplicate or class test, erased objects never taken out). The maps own their
// records and are keyed by the document alone: external references are never looked at.
#pragma once

#include <list>

#include "StdAfx.h"

struct Plan_grid_lists {
    std::list<AcDbObjectId> plan_grids;
    std::list<AcDbObjectId> radial_plan_grids;
};

struct Elevation_grid_list {
    std::list<AcDbObjectId> elevation_grids;
};

// The current document's records, made and scanned on first use; null when there is no
// current document.
Plan_grid_lists* get_plan_grid_lists();
Elevation_grid_list* get_elevation_grid_list();
// Destroys the document's two records; other documents' records stay.
void drop_grid_lists(AcApDocument* document);
