// column_rebar_diagram.h: column rebar diagrams in paper space.
//
// A diagram is a reference of a tie pattern block: a block definition of the working
// drawing, centred on the section, that draws the section's bars as dots, its perimeter
// hoop and its cross-ties with hooked ends, under a "Type" attribute definition. One
// definition serves every section with the same counts (its name says them) and is never
// changed once made. All drawn sizes, the layer, colour and lineweight come from the
// structural object library every time they are needed. Each placed reference and each of
// its attributes carries a tie pattern type reactor in its extension dictionary.
//
// The primitives return new entities that the caller owns until it appends and closes them.
// KORVdraw_rebar_block, the export that places a diagram, is declared in KORVInventory.h.
#pragma once

#include <string>
#include <vector>

#include "StdAfx.h"

// The drawn sizes for an aspect ratio R (section width over depth), read from the library:
// block width W, corner radius c, bar diameter d, legend offset L, and the drawn section
// width X and depth Y (the shorter side W, the longer W·R or W/R).
struct Tie_pattern_sizes {
    double W, c, d, L, X, Y;
};
Tie_pattern_sizes tie_pattern_sizes(double aspect_ratio);

// "KORV_TIE_PATTERN_" + first [+ "CIRC_"] [+ "_" + second when not 0] + "_" + legs x + "_" +
// legs y.
std::wstring make_tie_pattern_block_name(int first_count, int second_count, bool is_circular,
                                         int tie_legs_x, int tie_legs_y);

// ----- primitives ----------------------------------------------------------------------------
// Layer, colour and lineweight of reinforcement, each only when the library gives one.
void apply_rebar_drawing_properties(AcDbEntity* entity);
AcDbPolyline* create_rebar_dot(const AcGePoint3d& centre);
// The open perimeter hoop, ending in two 135° hooks at the top-left corner.
AcDbPolyline* create_rectangular_hoop(double aspect_ratio);
// A closed circle of diameter W about the origin.
AcDbPolyline* create_circular_hoop();
// A cross-tie between the bar centres start (left) and end (right); its straight leg runs c
// below the bar line when side is true, above it otherwise; alternate puts the 90° hook at
// the left end.
AcDbPolyline* create_horizontal_cross_tie(double aspect_ratio, const AcGePoint2d& start,
                                          const AcGePoint2d& end, bool alternate, bool side);
// As above between start (bottom) and end (top); the leg runs c right of the bar line when
// side is true; alternate puts the 90° hook at the bottom.
AcDbPolyline* create_vertical_cross_tie(double aspect_ratio, const AcGePoint2d& start,
                                        const AcGePoint2d& end, bool alternate, bool side);
// The "Type" attribute definition, centred L above the section.
AcDbAttributeDefinition* create_tie_pattern_legend(double aspect_ratio, AcDbObjectId text_style_id,
                                                   double text_height);

// ----- layouts ---------------------------------------------------------------------------------
// New tie pattern definitions in the working drawing's block table; their ids (null when
// the library cannot register them).
AcDbObjectId create_rectangular_tie_pattern_block(double aspect_ratio, int bars_x, int bars_y,
                                                  int tie_legs_x, int tie_legs_y,
                                                  AcDbObjectId text_style_id, double text_height);
AcDbObjectId create_circular_tie_pattern_block(int bar_count, int tie_legs_x, int tie_legs_y,
                                               AcDbObjectId text_style_id, double text_height);

// ----- reactors and placement ----------------------------------------------------------------
// Puts a new tie pattern type reactor holding the target into the extension dictionary of
// the object (resident, open for write) under "KORVLegend_attribute_reactor" and among its
// persistent reactors; nothing when the dictionary cannot be had or the entry not made.
void attach_legend_attribute_reactor(AcDbObject* object, AcDbObjectId reactor_target_id);
// The lowest tie pattern reference of the working drawing's paper space (the rightmost of
// its row), its position and its extents' width over height; false, the outputs untouched,
// when there is none or paper space cannot be walked.
bool find_last_tie_pattern_reference(AcGePoint3d& position, double& ratio);
