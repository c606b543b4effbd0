// korvdbx.h: the structural object library's declarations that the module calls.
#pragma once

#include "korv_concrete_beamline.h"
#include "korv_concrete_plan_rep.h"
#include "korv_database_services.h"
#include "korv_grid_line.h"
#include "korv_linear_structural_member.h"
#include "korv_slab_edge.h"
#include "korv_wall.h"
#include "korv_wall_reinforcement.h"
// Levels; plan grid callouts and elevation grids.
#include "korv_level.h"
#include "korv_plan_grids.h"

// Schedules and column rebar diagrams.
#include "korv_column_rebar.h"
#include "korv_schedule.h"
