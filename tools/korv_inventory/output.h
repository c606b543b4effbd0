// output.h: the readable text forms of the tool's answers. The JSON forms (--json) carry
// the same content; these lay it out as tables for a terminal, with "-" for a field that
// has no value.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "describe.h"
#include "function_table.h"

namespace korv_tool {

// Rows of cells under a header, each column as wide as its widest cell.
class TextTable {
public:
    explicit TextTable(std::vector<std::string> header);
    void add_row(std::vector<std::string> row);
    void print(std::ostream& out, const std::string& indent) const;

private:
    std::vector<std::vector<std::string>> rows_;
};

// The report of report.h.
void print_report(const Json& report, std::ostream& out);
// One call record of ExportedFunction::call, with what the tool noted around it.
void print_call(const Json& call, std::ostream& out);
// The table of functions, with their typed arguments and what they give back.
void print_functions(const std::vector<ExportedFunction>& functions, std::ostream& out);
Json functions_json(const std::vector<ExportedFunction>& functions);

}  // namespace korv_tool
