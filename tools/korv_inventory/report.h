// report.h: what the inventories of a drawing hold, gathered through the module.
//
// Each kind is listed by the module's own window query over a window that holds every
// object, so the report shows exactly the records the queries see: columns, beams, braces
// and walls (KORVfind_columns/beams/braces/walls_in_rectangle), concrete plan reps and wall
// rebar configurations (KORVfind_concrete_plan_reps/rebar_configs_in_rectangle), and slab
// edges (KORVget_slab_edges, which lists them all). A member
// seen through a reference inserted twice is listed twice, once per insert.
//
// Each item is a record as describe.h writes it, with what the tool reads from the object
// through the host: the start and end points in the opened drawing's coordinates (placed
// by the insert the record came through), the top elevation (the higher end's Z; for a
// wall, the top of the wall) and the length between the ends, for members the material,
// whether it is lateral, and the GUIDs it was imported under, and for slab edges what the
// outline piece is drawn as.
#pragma once

#include <string>
#include <vector>

#include "describe.h"
#include "drawing_session.h"
#include "inventory_module.h"

namespace korv_tool {

// What a report keeps: the kinds named (all when empty), and of those the items that come
// through the references named ("-" for the drawing's own objects; all when empty).
struct ReportFilter {
    std::vector<std::string> kinds;
    std::vector<std::string> references;
};

// {"drawing", "references": [...], "counts": {kind: n}, kind: [item...]...} with the kinds
// "columns", "beams", "braces", "walls", "plan_reps", "rebar_configs", "slab_edges" that the
// filter keeps, in that order, then "grid_systems": [{"name", "kind" ("linear" or
// "radial"), "lines": [object...]}...], the linear systems and then the radial ones, each
// run in name order (KORVget_linear/radial_grid_system_names, KORVget_linear/radial_grid_lines).
// Throws ToolError kArgument for a kind it does not know.
Json inventory_report(const InventoryModule& module, const DrawingSession& drawing,
                      const ReportFilter& filter = {});

}  // namespace korv_tool
