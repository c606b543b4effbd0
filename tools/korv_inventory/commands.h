// commands.h: the program's commands, from parsed options to an exit status. Each opens
// what it needs (the drawing as the current document, the module as the host loads it),
// writes its answer to out as text or JSON, and throws ToolError for an expected failure,
// which run_reporting_errors turns into a message and the matching exit status.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "function_table.h"
#include "tool_error.h"

namespace korv_tool {

struct ReportOptions {
    std::string drawing;
    bool json = false;
};

struct QueryOptions {
    std::string drawing;
    // FUNCTION ARGS..., further calls after a "+" word; made in order on one drawing, so
    // that maintenance calls (add, delete) show their effect on the queries after them.
    std::vector<std::string> words;
    std::string drawing_name;  // empty: the opened drawing's own name
    bool json = false;
};

ExitCode run_report(const std::string& module_path, const ReportOptions& options,
                    std::ostream& out);
ExitCode run_query(const std::string& module_path, const QueryOptions& options, std::ostream& out);
ExitCode run_list_functions(bool json, std::ostream& out);
// The sample building's report and a few typical queries, each shown with its command.
ExitCode run_tour(const std::string& module_path, const std::string& sample, std::ostream& out);

// Runs the command; a ToolError becomes "korv-inventory: message" on err and its status,
// any other exception an internal error.
int run_reporting_errors(const std::function<ExitCode()>& command, std::ostream& err);

struct PlannedCall {
    const ExportedFunction* function = nullptr;
    std::vector<std::string> arguments;
};
// Splits the words at "+" into calls. A function may be named with or without its "KORV"
// prefix. Throws ToolError kArgument for an unknown function (suggesting the nearest
// names) or an empty call.
std::vector<PlannedCall> plan_calls(const std::vector<std::string>& words);

}  // namespace korv_tool
