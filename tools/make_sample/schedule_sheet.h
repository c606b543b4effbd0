// schedule_sheet.h: the building's schedule sheet, in its paper space: a column schedule and
// a concrete column schedule whose table lists four column types, with the rebar diagram of
// each type under the table, placed by the module's KORVdraw_rebar_block as a drafter's
// command would place them:
//   CT1  square, 4 bars a face and 2 between the corners on the sides, 3 by 4 tie legs;
//   CT2  twice as wide as deep, 5 bars on the long faces and none between on the short ones,
//        3 by 2 tie legs;
//   CT3  twice as deep as wide, 3 bars across and 3 between the corners, 2 by 3 tie legs;
//   CT4  circular, 8 bars, 4 by 3 tie legs.
#pragma once

#include <host_test/drawing_builder.h>

namespace korv_sample {

// Draws the sheet into the drawing's paper space; the drawing is made the working database
// while the diagrams are placed.
void add_schedule_sheet(host_test::DrawingBuilder& drawing);

}  // namespace korv_sample
