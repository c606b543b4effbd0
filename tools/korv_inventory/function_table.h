// function_table.h: every function the module exports, as the tool calls it by name.
//
// A row names the function, the symbol the module exports it under, and the names of the
// arguments the user types; the rest is read from the function's declared type in
// KORVInventory.h (function_binding.h): which parameters are typed arguments and of what
// kind, which come from the opened drawing (the database, its drawing name, the document),
// and which are output containers whose contents are the call's results. So a function
// added to the header needs one row here, and a test checks that the table and the
// module's export list agree.
#pragma once

#include <host_test/module_loader.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <vector>

#include "drawing_session.h"

namespace korv_tool {

using Json = nlohmann::ordered_json;

enum class ParameterSource {
    kArgument,  // typed by the user
    kContext,   // taken from the opened drawing
    kOutput,    // a container the function fills, printed as a result
    kMade,      // made by the tool for the call alone (a new database to read into)
};

struct ParameterInfo {
    std::string name;  // "corner1"; for context and output parameters a fixed name
    std::string kind;  // "point", "flag", "object", "database", "record list", ...
    ParameterSource source = ParameterSource::kArgument;
};

// What a call needs besides its typed arguments.
struct CallContext {
    const host_test::LoadedModule& module;
    const DrawingSession& drawing;
    std::wstring drawing_name;  // for the functions that take one; the drawing's by default
    // Run right before and right after the module's function itself, once the arguments
    // are bound and before the outputs are described (a test arms failures for the call
    // alone). Not run after a call that throws.
    std::function<void()> before_call = {};
    std::function<void()> after_call = {};
};

struct ExportedFunction {
    std::string name;     // as KORVInventory.h declares it
    std::string symbol;   // as the module exports it
    std::string returns;  // "flag", "name" or "nothing"
    std::vector<ParameterInfo> parameters;

    size_t argument_count() const;
    // "KORVfind_underlying_column POINT EXCLUDE"
    std::string usage() const;
    // Calls the function with one text per typed argument and returns the call's record:
    // {"function", "arguments", "returned", "outputs"}. Throws ToolError kArgument when the
    // number of texts is wrong or one does not parse or names no object.
    Json call(const CallContext& context, const std::vector<std::string>& arguments) const;

    // Binds, calls and describes; made by make_function from the declared type.
    std::function<Json(const CallContext&, const std::vector<std::string>&)> invoke;
};

// In the order of KORVInventory.h.
const std::vector<ExportedFunction>& exported_functions();
// Null when the module exports no function of that name.
const ExportedFunction* find_function(const std::string& name);

}  // namespace korv_tool
