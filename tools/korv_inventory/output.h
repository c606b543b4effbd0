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

// The JSON document as the tool writes it: indented, with any text that is not valid UTF-8
// (a drawing's malformed name, a typed argument) written with replacement characters
// rather than refused.
std::string json_text(const Json& document);

// The report of report.h.
void print_report(const Json& report, std::ostream& out);
// The items of the reports as CSV (RFC 4180: comma-separated, quoted where needed, CRLF line
// ends), one row per item after a header row, the drawing and the kind in the first two
// columns: a table for a spreadsheet.
void write_report_csv(const Json& reports, std::ostream& out);
// One call record of ExportedFunction::call, with what the tool noted around it.
void print_call(const Json& call, std::ostream& out);
// The table of functions, with their typed arguments and what they give back.
void print_functions(const std::vector<ExportedFunction>& functions, std::ostream& out);
Json functions_json(const std::vector<ExportedFunction>& functions);

}  // namespace korv_tool
