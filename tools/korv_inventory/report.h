// report.h: what the inventories of a drawing hold, gathered through the module.
//
// Each kind is listed by the module's own window query over a window that holds every
// object, so the report shows exactly the records the queries see: columns, beams, braces
// and walls (KORVfind_columns/beams/braces/walls_in_rectangle), concrete plan reps and wall
// rebar configurations (KORVfind_concrete_plan_reps/rebar_configs_in_rectangle). A member
// seen through a reference inserted twice is listed twice, once per insert.
//
// Each item is a record as describe.h writes it, with what the tool reads from the object
// through the host: the start point in the opened drawing's coordinates (placed by the
// insert the record came through), and for members the material, whether it is lateral,
// and the GUIDs it was imported under.
#pragma once

#include "describe.h"
#include "drawing_session.h"
#include "inventory_module.h"

namespace korv_tool {

// {"drawing", "references": [...], "counts": {kind: n}, kind: [item...]...} with the kinds
// "columns", "beams", "braces", "walls", "plan_reps", "rebar_configs" in that order, then
// "grid_systems": [{"name", "kind" ("linear" or "radial"), "lines": [object...]}...], the
// linear systems and then the radial ones, each run in name order
// (KORVget_linear/radial_grid_system_names, KORVget_linear/radial_grid_lines).
Json inventory_report(const InventoryModule& module, const DrawingSession& drawing);

}  // namespace korv_tool
