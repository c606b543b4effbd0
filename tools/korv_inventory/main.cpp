// korv-inventory: inspect the structural inventories of a drawing without the CAD host.
//
// The program opens a drawing file (with the drawings it references) as the current
// document of the host layer, loads the KORVInventory module as the host does, and asks it
// what the drawing holds (report) or calls any of its exported functions by name (query).
// Without arguments it does both on the sample building in samples/.
#include <CLI/CLI.hpp>

#include <iostream>

#include "audit.h"
#include "commands.h"
#include "drawing_picture.h"
#include "install_layout.h"
#include "inventory_module.h"

namespace {

using korv_tool::ExitCode;

const char* const kReportExamples = R"(Examples:
  korv-inventory report samples/building.dxf
  korv-inventory report --json samples/building.dxf
Each kind lists its records as the module's window queries return them: name, id (the
handle, @REFERENCE for an object of a referenced drawing), the reference it comes through,
the handle of that reference's insert, and its start point in the drawing's coordinates.)";

const char* const kQueryExamples =
    R"(Arguments, in the order of the function's declaration (list-functions shows them):
  point, vector   x,y,z                 6,0,4
  flag            true or false         true
  number          decimal               -3.5
  object, member  HANDLE[@REFERENCE]    1F, 2A@CORE (0 for the null id)
  guid            8-4-4-4-12            3F2504E0-4F89-11D3-9A0C-0305E82C3301
  elevations      n,n,...               4,8,12 (none for an empty list)
  path, text      as typed              other/level2.dxf, DWGNAME
The database and drawing-name parameters are the opened drawing's, except that
KORVloadDwgReadOnly reads PATH into a new database of its own. When the host refuses PATH
(held by another program) it reads a copy in the temporary folder; used_copy and copy_name
report that copy, which is left there: as for any caller, removing it is yours. A call
that has the host redraw an entity shows that as a host call.
Several calls can be made in order on one drawing, separated by a lone +. Put -- before
arguments that start with "-." to keep them from being read as options.

Examples:
  korv-inventory query samples/building.dxf KORVfind_underlying_column 6,0,4 0
  korv-inventory query samples/building.dxf KORVfind_columns_between_elevs true 4 true 8
  korv-inventory query --json samples/building.dxf KORVfind_beams_in_rectangle \
      -1,-1,0 7,9,0 false 0,0,1 true true 4.5 3.5
  korv-inventory query samples/building.dxf KORVget_columns + KORVget_new_column_name
  korv-inventory query samples/building.dxf KORVloadDwgReadOnly other/level2.dxf)";

std::string footer(const char* examples) {
    return std::string(examples) + "\n\n" + korv_tool::exit_code_help();
}

}  // namespace

int main(int argc, char** argv) {
    std::string module_option;
    auto module_path = [&] {
        return korv_tool::choose_module_path(
            module_option, korv_tool::installed_or_built(KORV_INSTALLED_MODULE, KORV_MODULE_PATH));
    };
    CLI::App app{
        "The structural inventories of a drawing, through the KORVInventory module,\n"
        "without the CAD host. Without arguments: the sample building's report and a\n"
        "few typical queries.",
        "korv-inventory"};
    app.footer(korv_tool::exit_code_help());
    app.require_subcommand(0, 1);  // none: the tour of the sample building
    app.fallthrough();
    app.add_option("--module", module_option,
                   "The module to load (default: $KORV_MODULE, else the module built with this "
                   "program)");

    korv_tool::ReportOptions report;
    CLI::App* report_command =
        app.add_subcommand("report", "What the drawing's inventories hold, kind by kind");
    report_command->add_option("drawing", report.drawing, "The drawing file (DXF)")->required();
    report_command->add_flag("--json", report.json, "Write JSON for scripts");
    report_command->footer(footer(kReportExamples));

    korv_tool::QueryOptions query;
    CLI::App* query_command =
        app.add_subcommand("query", "Call an exported function of the module by its name");
    query_command->add_option("drawing", query.drawing, "The drawing file (DXF)")->required();
    query_command->add_option("call", query.words, "FUNCTION ARGS... [+ FUNCTION ARGS...]")
        ->required();
    query_command->add_option("--drawing-name", query.drawing_name,
                              "The drawing name passed to functions that take one (default: "
                              "the opened drawing's full file name)");
    query_command->add_flag("--json", query.json, "Write JSON for scripts");
    query_command->footer(footer(kQueryExamples));

    bool list_json = false;
    CLI::App* list_command = app.add_subcommand(
        "list-functions", "The module's exported functions with their arguments");
    list_command->add_flag("--json", list_json, "Write JSON for scripts");
    list_command->footer(footer("Example:\n  korv-inventory list-functions"));

    korv_tool::DrawOptions draw;
    CLI::App* draw_command = app.add_subcommand(
        "draw", "A picture of the drawing's model space, paper space or one block");
    draw_command->add_option("drawing", draw.drawing, "The drawing file (DXF)")->required();
    draw_command->add_option("-o,--output", draw.output, "The picture: FILE.svg, .png or .pdf")
        ->required();
    draw_command->add_option("--space", draw.space, "model (default) or paper")
        ->check(CLI::IsMember({"model", "paper"}));
    draw_command->add_option("--block", draw.block, "Draw this block definition instead");
    draw_command->add_option("--size", draw.size, "Pixels of the longer side (default 1600)");
    draw_command->footer(
        footer("Examples:\n  korv-inventory draw samples/building.dxf -o plan.png\n"
               "  korv-inventory draw samples/building.dxf --space paper -o "
               "sheet.pdf"));

    bool audit_json = false;
    std::string audit_drawing;
    CLI::App* audit_command =
        app.add_subcommand("audit", "What the host repaired reading the drawing, line by line");
    audit_command->add_option("drawing", audit_drawing, "The drawing file (DXF)")->required();
    audit_command->add_flag("--json", audit_json, "Write JSON for scripts");
    audit_command->footer(footer("Example:\n  korv-inventory audit samples/building.dxf"));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : static_cast<int>(ExitCode::kUsage);
    }
    return korv_tool::run_reporting_errors(
        [&] {
            if (report_command->parsed())
                return korv_tool::run_report(module_path(), report, std::cout);
            if (query_command->parsed())
                return korv_tool::run_query(module_path(), query, std::cout);
            if (list_command->parsed()) return korv_tool::run_list_functions(list_json, std::cout);
            if (draw_command->parsed()) return korv_tool::run_draw(draw, std::cout);
            if (audit_command->parsed())
                return korv_tool::run_audit(audit_drawing, audit_json, std::cout);
            return korv_tool::run_tour(
                module_path(),
                korv_tool::installed_or_built(KORV_INSTALLED_SAMPLE, KORV_SAMPLE_DRAWING),
                std::cout);
        },
        std::cerr);
}
