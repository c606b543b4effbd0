// audit.h: what the host's reader repaired in a drawing, as `korv-inventory audit` shows it
// and as report mentions it.
#pragma once

#include <ostream>
#include <string>

#include "drawing_session.h"
#include "tool_error.h"

namespace korv_tool {

// Lists the repairs the host made reading the drawing (not its references), in file
// order: the line, the handle of the object, the group code and what was done.
ExitCode run_audit(const std::string& drawing, bool json, std::ostream& out);

// One line on err saying how many repairs the drawing needed; nothing when it needed none.
void note_repairs(const DrawingSession& drawing, std::ostream& err);

}  // namespace korv_tool
