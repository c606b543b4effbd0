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

// The options every command takes, before or after the command's name.
struct GlobalOptions {
    std::string module;  // --module; empty: the default module
    std::string format;  // --format: "text", "json", "csv"; empty: text
    bool json = false;   // --json, the same as --format json
};

enum class Format { kText, kJson, kCsv };
// --json wins over --format.
Format chosen_format(const GlobalOptions& options);

struct ReportOptions {
    std::vector<std::string> drawings;    // reported in turn
    std::vector<std::string> kinds;       // empty: all
    std::vector<std::string> references;  // empty: all; "-" for the drawing's own objects
};

struct QueryOptions {
    std::string drawing;
    // FUNCTION ARGS..., further calls after a "+" word; made in order on one drawing, so
    // that maintenance calls (add, delete) show their effect on the queries after them.
    std::vector<std::string> words;
    std::string drawing_name;  // empty: the opened drawing's own name
};

// Reports on each drawing in turn: a drawing that cannot be read is reported on err and
// the others still are; a reference that is not resolved is warned about on err. The
// status is the first failure's, else kReference when a reference was not resolved.
ExitCode run_report(const std::string& module_path, const ReportOptions& options, Format format,
                    std::ostream& out, std::ostream& err);
ExitCode run_query(const std::string& module_path, const QueryOptions& options, Format format,
                   std::ostream& out);
// The functions the module exports (checked: the module must load); with names, what each
// named function does in full.
ExitCode run_list_functions(const std::string& module_path, const std::vector<std::string>& names,
                            Format format, std::ostream& out);
// The sample building's report and a few typical queries, each shown with its command.
ExitCode run_tour(const std::string& module_path, const std::string& sample, std::ostream& out);

// The program's arguments for the command-line parser (in the reversed order it takes),
// without the words after a lone "--" that follows the query command: those are call words
// taken as typed (a "-.5" is an argument, not an option), given back in literal.
std::vector<std::string> split_literal_words(int argc, char** argv,
                                             std::vector<std::string>& literal);

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
