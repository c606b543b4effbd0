// function_docs.h: what each exported function does, in words for the engineer who calls
// it from `korv-inventory describe`: its purpose, what each argument means, what it does to
// each output (appends to it, clears it first, replaces it, writes it only on failure or
// only in part), what its result says, and the tolerances it compares with. Kept by
// function name, apart from the call table, so that a function's row and its description
// are added independently.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "function_table.h"

namespace korv_tool {

struct FunctionDoc {
    std::string purpose;
    // (name, meaning) for the typed arguments, the drawing's parameters and the outputs,
    // in declaration order; one entry may name several parameters ("corner1, corner2").
    std::vector<std::pair<std::string, std::string>> parameters;
    std::string result;      // what the returned value says
    std::string tolerances;  // empty when it compares nothing
};

// Null for a function without a description.
const FunctionDoc* function_doc(const std::string& name);

// The usage line, then the description laid out for a terminal.
void print_description(const ExportedFunction& function, std::ostream& out);
// {"name", "usage", "purpose", "parameters": [{"name", "kind", "source", "meaning"}...],
//  "returns", "result", "tolerances"}.
Json description_json(const ExportedFunction& function);

}  // namespace korv_tool
