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
#include "text.h"

namespace {

using korv_tool::ExitCode;

const char* const kReportExamples = R"(Examples:
  korv-inventory report samples/building.dxf
  korv-inventory report --json samples/building.dxf other/level2.dxf
  korv-inventory report --kind columns,walls --references -,CORE samples/building.dxf
  korv-inventory report --format csv samples/building.dxf > building.csv
Each kind lists its records as the module's window queries return them: name, id (the
handle, @REFERENCE for an object of a referenced drawing), the reference it comes through,
the handle of that reference's insert, its start and end points in the drawing's
coordinates, its top elevation and its length. With several drawings, --json writes a list
of reports and CSV one table with the drawing in its first column. A reference that is not
resolved is warned about on stderr and makes the exit status 7.)";

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

// The options every command takes, before or after its name.
void add_output_options(CLI::App* command, korv_tool::GlobalOptions& global) {
    command->add_flag("--json", global.json, "Write JSON for scripts (the same as --format json)");
    command->add_option("--format", global.format, "text (the default), json, or csv (report only)")
        ->check(CLI::IsMember({"text", "json", "csv"}));
}

std::vector<std::string> command_names(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
    return names;
}

// An unknown command is a usage error that names the commands there are.
int unknown_command(const CLI::App& app, const std::string& word) {
    std::cerr << "korv-inventory: "
              << korv_tool::unknown_name_message("command", word, command_names(app)) << "\n";
    return static_cast<int>(ExitCode::kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    korv_tool::GlobalOptions global;
    auto module_path = [&] {
        return korv_tool::choose_module_path(
            global.module, korv_tool::installed_or_built(KORV_INSTALLED_MODULE, KORV_MODULE_PATH));
    };
    CLI::App app{
        "The structural inventories of a drawing, through the KORVInventory module,\n"
        "without the CAD host. Without arguments: the sample building's report and a\n"
        "few typical queries. The options --module, --json and --format may stand before\n"
        "or after the command.",
        "korv-inventory"};
    app.footer(korv_tool::exit_code_help());
    app.require_subcommand(0, 1);  // none: the tour of the sample building
    app.fallthrough();
    app.set_version_flag("--version", "korv-inventory " KORV_VERSION);
    app.add_option("--module", global.module,
                   "The module to load (default: $KORV_MODULE, else the built one)");
    add_output_options(&app, global);

    korv_tool::ReportOptions report;
    CLI::App* report_command =
        app.add_subcommand("report", "What the drawings' inventories hold, kind by kind");
    report_command->add_option("drawings", report.drawings, "The drawing files (DXF)")->required();
    report_command
        ->add_option("--kind", report.kinds,
                     "Only these kinds: columns, beams, braces, walls, plan_reps, rebar_configs "
                     "(comma-separated or repeated)")
        ->delimiter(',');
    report_command
        ->add_option("--references", report.references,
                     "Only what comes through these references (their names, comma-separated "
                     "or repeated; - for the drawing's own objects)")
        ->delimiter(',');
    add_output_options(report_command, global);
    report_command->footer(footer(kReportExamples));

    korv_tool::QueryOptions query;
    CLI::App* query_command =
        app.add_subcommand("query", "Call an exported function of the module by its name");
    query_command->add_option("drawing", query.drawing, "The drawing file (DXF)")->required();
    query_command->add_option("call", query.words, "FUNCTION ARGS... [+ FUNCTION ARGS...]");
    query_command->add_option("--drawing-name", query.drawing_name,
                              "The drawing name passed to functions that take one (default: "
                              "the opened drawing's full file name)");
    add_output_options(query_command, global);
    query_command->footer(footer(kQueryExamples));

    std::vector<std::string> described;
    CLI::App* list_command = app.add_subcommand(
        "list-functions", "The module's exported functions with their arguments");
    list_command->add_option("function", described,
                             "Describe these functions in full, as describe does");
    add_output_options(list_command, global);
    list_command->footer(
        footer("Examples:\n  korv-inventory list-functions\n"
               "  korv-inventory list-functions KORVget_columns_with_filenames"));

    CLI::App* describe_command = app.add_subcommand(
        "describe", "What a function does, what its arguments mean and what it writes where");
    describe_command->add_option("function", described, "The functions (KORV prefix optional)")
        ->required();
    add_output_options(describe_command, global);
    describe_command->footer(footer("Example:\n  korv-inventory describe find_underlying_column"));

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

    std::string audit_drawing;
    CLI::App* audit_command =
        app.add_subcommand("audit", "What the host repaired reading the drawing, line by line");
    audit_command->add_option("drawing", audit_drawing, "The drawing file (DXF)")->required();
    add_output_options(audit_command, global);
    audit_command->footer(footer("Example:\n  korv-inventory audit samples/building.dxf"));

    std::vector<std::string> literal_words;  // after "--": call words taken as typed
    try {
        app.parse(korv_tool::split_literal_words(argc, argv, literal_words));
    } catch (const CLI::ExtrasError&) {
        const std::vector<std::string> extras = app.remaining();
        if (app.get_subcommands().empty() && !extras.empty() && extras[0].rfind('-', 0) != 0)
            return unknown_command(app, extras[0]);
        std::cerr << "korv-inventory: unexpected arguments: " << korv_tool::joined(extras)
                  << "\nRun with --help for more information.\n";
        return static_cast<int>(ExitCode::kUsage);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : static_cast<int>(ExitCode::kUsage);
    }
    query.words.insert(query.words.end(), literal_words.begin(), literal_words.end());
    return korv_tool::run_reporting_errors(
        [&] {
            const korv_tool::Format format = korv_tool::chosen_format(global);
            if (report_command->parsed())
                return korv_tool::run_report(module_path(), report, format, std::cout, std::cerr);
            if (query_command->parsed())
                return korv_tool::run_query(module_path(), query, format, std::cout);
            if (list_command->parsed() || describe_command->parsed())
                return korv_tool::run_list_functions(module_path(), described, format, std::cout);
            if (draw_command->parsed()) return korv_tool::run_draw(draw, std::cout);
            if (audit_command->parsed())
                return korv_tool::run_audit(audit_drawing, format == korv_tool::Format::kJson,
                                            std::cout);
            return korv_tool::run_tour(
                module_path(),
                korv_tool::installed_or_built(KORV_INSTALLED_SAMPLE, KORV_SAMPLE_DRAWING),
                std::cout);
        },
        std::cerr);
}
