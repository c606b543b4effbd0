#include "commands.h"

#include <host_test/host_test.h>
#include <host_test/recorders.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>

#include "audit.h"
#include "drawing_session.h"
#include "function_docs.h"
#include "inventory_module.h"
#include "output.h"
#include "report.h"
#include "text.h"

namespace korv_tool {
namespace {

// Tells the module that the drawing's document goes, when the drawing does.
class ForgottenAtEnd {
public:
    ForgottenAtEnd(const InventoryModule& module, const DrawingSession& drawing)
        : module_(module), drawing_(drawing) {}
    ~ForgottenAtEnd() { module_.forget(drawing_.document()); }

private:
    const InventoryModule& module_;
    const DrawingSession& drawing_;
};

// An opened drawing with the module loaded to ask about it. The drawing is read first, so
// that a wrong path is reported before anything else; the module is told the document goes
// before it is unloaded.
class Workspace {
public:
    Workspace(const std::string& module_path, const std::string& drawing)
        : drawing_(drawing), module_(module_path) {}

    const DrawingSession& drawing() const { return drawing_; }
    const InventoryModule& module() const { return module_; }

private:
    DrawingSession drawing_;
    InventoryModule module_;
    ForgottenAtEnd forgotten_{module_, drawing_};
};

// One call, with what the host saw the module do during it: the host services it called
// that leave no other trace (a redraw), the internal checks it reported and any object it
// left open.
Json run_call(const Workspace& workspace, const PlannedCall& planned,
              const std::wstring& drawing_name) {
    host_test::clear_assertion_reports();
    host_test::clear_host_calls();
    const long open_before = host_test::open_object_count();
    const CallContext context{workspace.module().loaded(), workspace.drawing(), drawing_name};
    Json record = planned.function->call(context, planned.arguments);
    Json checks = Json::array();
    for (const host_test::AssertionReport& report : host_test::assertion_reports())
        checks.push_back(report.expression + "@" + report.source);
    record["assertions"] = checks;
    const std::vector<host_test::HostCall> calls = host_test::host_calls();
    if (!calls.empty()) {
        record["host_calls"] = Json::array();
        for (const host_test::HostCall& call : calls)
            record["host_calls"].push_back(call.name +
                                           (call.detail.empty() ? "" : " " + call.detail));
    }
    const long left_open = host_test::open_object_count() - open_before;
    if (left_open > 0) record["left_open"] = left_open;
    return record;
}

const ExportedFunction& known_function(const std::string& name) {
    if (const ExportedFunction* found = find_function(name)) return *found;
    if (const ExportedFunction* found = find_function("KORV" + name)) return *found;
    std::vector<std::string> names;
    for (const ExportedFunction& function : exported_functions()) names.push_back(function.name);
    std::string message = "unknown function " + valid_utf8(name);
    const std::string nearest =
        nearest_name(name.rfind("KORV", 0) == 0 ? name : "KORV" + name, names);
    if (!nearest.empty()) message += " (did you mean " + nearest + "?)";
    throw ToolError(ExitCode::kArgument, message + "; list-functions lists them all");
}

std::string shown_path(const std::string& path) {
    std::error_code error;
    const auto folder = std::filesystem::current_path(error);
    const auto relative = std::filesystem::relative(path, folder, error);
    if (error || relative.empty() || relative.native().rfind("..", 0) == 0) return path;
    return relative.string();
}

const char* const kCsvForReportOnly = "--format csv is for report only";

// A warning on err for each reference the host did not resolve; true when there is none.
bool warn_unresolved(const std::string& path, const Json& references, std::ostream& err) {
    bool all_resolved = true;
    for (const Json& reference : references) {
        const std::string status = reference["status"].get<std::string>();
        if (status != "file not found" && status != "unresolved") continue;
        all_resolved = false;
        err << "korv-inventory: warning: " << path << ": reference "
            << valid_utf8(reference["name"].get<std::string>()) << " ("
            << valid_utf8(reference["path"].get<std::string>()) << ") is not resolved: " << status
            << "; its objects are not in the report\n";
    }
    return all_resolved;
}

// What the tour asks of the sample building (tools/make_sample/sample_building.h).
const std::vector<std::vector<std::string>>& tour_queries() {
    static const std::vector<std::vector<std::string>> queries = {
        // the column under the top of ground-floor column C2
        {"KORVfind_underlying_column", "6,0,4", "0"},
        // beams wholly inside the first bay, level 4 only (clipped between depths 3.5 and 4.5)
        {"KORVfind_beams_in_rectangle", "-1,-1,0", "7,9,0", "false", "0,0,1", "true", "true", "4.5",
         "3.5"},
        // columns that run between elevations 4 and 8
        {"KORVfind_columns_between_elevs", "true", "4", "true", "8"},
        // the wall imported under a GUID of the analysis model
        {"KORVget_imported_wall", "3F2504E0-4F89-11D3-9A0C-0305E82C3301"},
    };
    return queries;
}

}  // namespace

std::vector<PlannedCall> plan_calls(const std::vector<std::string>& words) {
    std::vector<PlannedCall> calls;
    bool starts_call = true;
    for (const std::string& word : words) {
        if (word == "+") {
            if (starts_call)
                throw ToolError(ExitCode::kArgument, "a call is empty (two + in a row?)");
            starts_call = true;
        } else if (starts_call) {
            calls.push_back({&known_function(word), {}});
            starts_call = false;
        } else {
            calls.back().arguments.push_back(word);
        }
    }
    if (starts_call) throw ToolError(ExitCode::kArgument, "a function name is missing");
    return calls;
}

Format chosen_format(const GlobalOptions& options) {
    if (options.json || options.format == "json") return Format::kJson;
    return options.format == "csv" ? Format::kCsv : Format::kText;
}

ExitCode run_report(const std::string& module_path, const ReportOptions& options, Format format,
                    std::ostream& out, std::ostream& err) {
    const InventoryModule module(module_path);
    const ReportFilter filter{options.kinds, options.references};
    ExitCode status = ExitCode::kSuccess;
    Json reports = Json::array();
    for (const std::string& path : options.drawings) {
        try {
            const DrawingSession drawing(path);
            note_repairs(drawing, err);
            const ForgottenAtEnd forgotten(module, drawing);
            Json report = inventory_report(module, drawing, filter);
            const bool all_resolved = warn_unresolved(path, report["references"], err);
            if (format == Format::kText) print_report(report, out);
            if (format == Format::kText && &path != &options.drawings.back()) out << "\n";
            reports.push_back(std::move(report));
            if (!all_resolved && status == ExitCode::kSuccess) status = ExitCode::kReference;
        } catch (const ToolError& error) {
            if (error.code() == ExitCode::kArgument) throw;  // the same for every drawing
            err << "korv-inventory: " << error.what() << "\n";
            if (status == ExitCode::kSuccess || status == ExitCode::kReference)
                status = error.code();
        }
    }
    if (format == Format::kJson)
        out << json_text(reports.size() == 1 && options.drawings.size() == 1 ? reports[0]
                                                                             : reports);
    if (format == Format::kCsv) write_report_csv(reports, out);
    return status;
}

ExitCode run_query(const std::string& module_path, const QueryOptions& options, Format format,
                   std::ostream& out) {
    if (format == Format::kCsv) throw ToolError(ExitCode::kUsage, kCsvForReportOnly);
    if (options.words.empty())
        throw ToolError(ExitCode::kUsage,
                        "query needs a function to call: query DRAWING "
                        "FUNCTION ARGS... (list-functions lists them)");
    const std::vector<PlannedCall> calls = plan_calls(options.words);
    Workspace workspace(module_path, options.drawing);
    const std::wstring drawing_name = options.drawing_name.empty()
                                          ? workspace.drawing().file_name()
                                          : from_utf8(options.drawing_name);
    Json answer;
    answer["drawing"] = to_utf8(workspace.drawing().file_name());
    answer["calls"] = Json::array();
    for (const PlannedCall& planned : calls) {
        Json record = run_call(workspace, planned, drawing_name);
        if (format == Format::kText) print_call(record, out);
        answer["calls"].push_back(std::move(record));
    }
    if (format == Format::kJson) out << json_text(answer);
    return ExitCode::kSuccess;
}

ExitCode run_list_functions(const std::string& module_path, const std::vector<std::string>& names,
                            Format format, std::ostream& out) {
    if (format == Format::kCsv) throw ToolError(ExitCode::kUsage, kCsvForReportOnly);
    const InventoryModule module(module_path);  // the list is of what this module exports
    if (names.empty()) {
        if (format == Format::kJson) {
            out << json_text(functions_json(exported_functions()));
        } else {
            print_functions(exported_functions(), out);
        }
        return ExitCode::kSuccess;
    }
    std::vector<const ExportedFunction*> functions;  // all known before anything is written
    for (const std::string& name : names) functions.push_back(&known_function(name));
    Json descriptions = Json::array();
    for (const ExportedFunction* function : functions) {
        if (format == Format::kJson) {
            descriptions.push_back(description_json(*function));
        } else {
            if (function != functions.front()) out << "\n";
            print_description(*function, out);
        }
    }
    if (format == Format::kJson)
        out << json_text(descriptions.size() == 1 ? descriptions[0] : descriptions);
    return ExitCode::kSuccess;
}

ExitCode run_tour(const std::string& module_path, const std::string& sample, std::ostream& out) {
    Workspace workspace(module_path, sample);
    out << "korv-inventory without a command shows the sample building: its inventories and a "
           "few typical\nqueries, each after the command that gives it. korv-inventory --help "
           "lists the commands.\n\n";
    const std::string shown = shown_path(sample);
    out << "$ korv-inventory report " << shown << "\n";
    print_report(inventory_report(workspace.module(), workspace.drawing()), out);
    for (const std::vector<std::string>& words : tour_queries()) {
        out << "\n$ korv-inventory query " << shown << " " << joined(words) << "\n";
        for (const PlannedCall& planned : plan_calls(words))
            print_call(run_call(workspace, planned, workspace.drawing().file_name()), out);
    }
    return ExitCode::kSuccess;
}

std::vector<std::string> split_literal_words(int argc, char** argv,
                                             std::vector<std::string>& literal) {
    std::vector<std::string> words(argv + 1, argv + argc);
    const auto query = std::find(words.begin(), words.end(), "query");
    const auto separator = std::find(query, words.end(), "--");
    if (query != words.end() && separator != words.end()) {
        literal.assign(separator + 1, words.end());
        words.erase(separator, words.end());
    }
    std::reverse(words.begin(), words.end());
    return words;
}

int run_reporting_errors(const std::function<ExitCode()>& command, std::ostream& err) {
    try {
        return static_cast<int>(command());
    } catch (const ToolError& error) {
        err << "korv-inventory: " << error.what() << "\n";
        return static_cast<int>(error.code());
    } catch (const std::bad_alloc&) {
        err << "korv-inventory: out of memory\n";
        return static_cast<int>(ExitCode::kInternal);
    } catch (const std::exception& error) {
        err << "korv-inventory: internal error: " << valid_utf8(error.what()) << "\n";
        return static_cast<int>(ExitCode::kInternal);
    }
}

}  // namespace korv_tool
