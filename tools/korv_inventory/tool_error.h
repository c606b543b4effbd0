// tool_error.h: how korv-inventory fails. Every expected failure (a missing file, a drawing
// the host cannot read, an unknown function, an argument that does not parse) is a
// ToolError carrying the message for the user and the exit status that tells scripts which
// of those it was. Anything else escaping a command is a fault of the tool itself.
#pragma once

#include <stdexcept>
#include <string>

namespace korv_tool {

// The program's exit statuses; --help lists them.
enum class ExitCode {
    kSuccess = 0,
    kInternal = 1,   // a fault of the tool (a bug): reported, never expected
    kUsage = 2,      // the command line does not parse (unknown command, missing operand)
    kFile = 3,       // the drawing or the module file does not exist or is not a file
    kDrawing = 4,    // the host could not read the drawing
    kArgument = 5,   // unknown function, wrong number of arguments, malformed argument
    kModule = 6,     // the module could not be loaded or lacks an exported function
    kReference = 7,  // report: a drawing's reference was not resolved (the rest is reported)
};

class ToolError : public std::runtime_error {
public:
    ToolError(ExitCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

private:
    ExitCode code_;
};

// The text --help shows for the exit statuses.
inline const char* exit_code_help() {
    return "Exit status: 0 success (also when a query answers false), 1 internal error\n"
           "(a fault of the tool), 2 usage, 3 file missing or not readable, 4 drawing\n"
           "unreadable, 5 unknown function or bad argument, 6 module not loadable, 7 a\n"
           "reference of a reported drawing not resolved (the report is still written).";
}

}  // namespace korv_tool
