// sample_building.h: the sample building of samples/, three drawings that together make a
// small structural model as a drafting office would hold it.
//
//   building.dxf  the host drawing: a 2 x 1 bay frame on grids x = 0, 6, 12 and y = 0, 8,
//                 three storeys (levels 0, 4, 8, 12). Columns C1-C18 (the ground storey's
//                 concrete, C1 imported from the analysis model), beams B1-B21 (seven per
//                 level; B1 and B2 at level 4 concrete and lateral, B1 imported), braces
//                 BR1-BR3 (one diagonal per storey in the bay x 0-6 on grid y = 8), concrete
//                 walls W1 (grid y = 0, x 0-6, imported) and W2 (grid x = 12), concrete
//                 plan reps of B1 and B2 and a wall reinforcement along W1. It references the
//                 stair core twice: at (14,2,0), and turned a quarter turn at (-2,2,0).
//                 Each level's floor slab is outlined over the frame (0,0)-(12,8) in four
//                 slab edge objects, counter-clockwise.
//                 Two grid systems: FRAME, rectangular, lines 1-3 on the x grids and A, B
//                 (trimmed to the frame) on the y grids; CANOPY, radial about (6,14,0),
//                 rays R1-R3 and circles C1, C2.
//                 Levels "Level 1" to "Level 3" at each storey's floor and "Roof" at 12; a
//                 rectangular plan grid callout over the frame and elevation grids along
//                 y = 0 and y = 8.
//                 Last come the marked concrete beamlines CB1 (grid y = 0, level 4, whose
//                 concrete data B1 and B2 carry) and CB2 (grid y = 8, level 8).
//                 Its paper space holds the schedule sheet (schedule_sheet.h): a column schedule
//                 and a concrete column schedule with the rebar diagrams of four types.
//   core.dxf      the stair core, a 4 x 4 box: concrete columns C101-C104 over the full
//                 height, lateral concrete beams B101-B106 at each level, the core wall
//                 W101, the stair drawing referenced at (0.5,0.5,0) (nested reference), and
//                 its roof slab at level 12 outlined in four plain lines on the slab edge
//                 layer.
//   stair.dxf     the stair: flights BR201 and BR202 (braces) and the landing beam B201.
//
// References are stored by file name alone, so the files work from any folder.
#pragma once

#include <acadstrc.h>

#include <filesystem>
#include <optional>

namespace korv_sample {

struct SaveFailure {
    std::filesystem::path file;
    Acad::ErrorStatus status;
};

// Writes stair.dxf, core.dxf and building.dxf into the folder, which must exist; the
// first save that failed, if one did (the files after it are not written).
std::optional<SaveFailure> write_sample_building(const std::filesystem::path& folder);

}  // namespace korv_sample
