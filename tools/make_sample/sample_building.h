// sample_building.h: the sample building of samples/, three drawings that together make a
// small structural model as a drafting office would hold it.
//
//   building.dxf  the host drawing: a 2 x 1 bay frame on grids x = 0, 6, 12 and y = 0, 8,
//                 three storeys (levels 0, 4, 8, 12). Columns C1-C18 (the ground storey's
//                 concrete, C1 imported from the analysis model), beams B1-B21 (seven per
//                 level; B1 and B2 at level 4 concrete and lateral, B1 imported), braces
//                 BR1-BR3 (one diagonal per storey in the bay x 0-6 on grid y = 8), concrete
//                 walls W1 (grid y = 0, x 0-6, imported) and W2 (grid x = 12), a concrete
//                 plan rep along B1 and a wall reinforcement along W1. It references the
//                 stair core twice: at (14,2,0), and turned a quarter turn at (-2,2,0). Its
//                 paper space holds the schedule sheet (schedule_sheet.h): a column schedule
//                 and a concrete column schedule with the rebar diagrams of four types.
//   core.dxf      the stair core, a 4 x 4 box: concrete columns C101-C104 over the full
//                 height, lateral concrete beams B101-B106 at each level, the core wall
//                 W101, and the stair drawing referenced at (0.5,0.5,0) (nested reference).
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
