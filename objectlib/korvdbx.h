// korvdbx.h: the structural object library's declarations that the module calls.
#pragma once

#include "korv_concrete_plan_rep.h"
#include "korv_database_services.h"
#include "korv_linear_structural_member.h"
#include "korv_wall.h"
#include "korv_wall_reinforcement.h"
// Schedules and column rebar diagrams.
#include "korv_column_rebar.h"
#include "korv_schedule.h"
