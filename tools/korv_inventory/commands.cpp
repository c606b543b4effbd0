#include "commands.h"

#include <host_test/host_test.h>
#include <host_test/recorders.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>

#include "audit.h"
#include "drawing_session.h"
#include "inventory_module.h"
#include "output.h"
#include "report.h"
#include "text.h"

namespace korv_tool {
namespace {

// An opened drawing with the module loaded to ask about it. The drawing is read first, so
// that a wrong path is reported before anything else; the module is told the document goes
// before it is unloaded.
class Workspace {
public:
    Workspace(const std::string& module_path, const std::string& drawing)
        : drawing_(drawing), module_(module_path) {}
    ~Workspace() { module_.forget(drawing_.document()); }

    const DrawingSession& drawing() const { return drawing_; }
    const InventoryModule& module() const { return module_; }

private:
    DrawingSession drawing_;
    InventoryModule module_;
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

size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const ExportedFunction& known_function(const std::string& name) {
    if (const ExportedFunction* found = find_function(name)) return *found;
    if (const ExportedFunction* found = find_function("KORV" + name)) return *found;
    std::string message = "unknown function " + name;
    std::string nearest;
    size_t best = 4;  // suggest only names a few edits away
    for (const ExportedFunction& function : exported_functions()) {
        const size_t distance = std::min(edit_distance(name, function.name),
                                         edit_distance("KORV" + name, function.name));
        if (distance < best) best = distance, nearest = function.name;
    }
    if (!nearest.empty()) message += " (did you mean " + nearest + "?)";
    throw ToolError(ExitCode::kArgument, message + "; list-functions lists them all");
}

std::string shown_path(const std::string& path) {
    std::error_code error;
    const auto relative = std::filesystem::relative(path, std::filesystem::current_path(), error);
    if (error || relative.empty() || relative.native().rfind("..", 0) == 0) return path;
    return relative.string();
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
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

ExitCode run_report(const std::string& module_path, const ReportOptions& options,
                    std::ostream& out) {
    Workspace workspace(module_path, options.drawing);
    note_repairs(workspace.drawing(), std::cerr);
    const Json report = inventory_report(workspace.module(), workspace.drawing());
    if (options.json) {
        out << report.dump(2) << "\n";
    } else {
        print_report(report, out);
    }
    return ExitCode::kSuccess;
}

ExitCode run_query(const std::string& module_path, const QueryOptions& options, std::ostream& out) {
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
        if (!options.json) print_call(record, out);
        answer["calls"].push_back(std::move(record));
    }
    if (options.json) out << answer.dump(2) << "\n";
    return ExitCode::kSuccess;
}

ExitCode run_list_functions(bool json, std::ostream& out) {
    if (json) {
        out << functions_json(exported_functions()).dump(2) << "\n";
    } else {
        print_functions(exported_functions(), out);
    }
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

int run_reporting_errors(const std::function<ExitCode()>& command, std::ostream& err) {
    try {
        return static_cast<int>(command());
    } catch (const ToolError& error) {
        err << "korv-inventory: " << error.what() << "\n";
        return static_cast<int>(error.code());
    } catch (const std::exception& error) {
        err << "korv-inventory: internal error: " << error.what() << "\n";
        return static_cast<int>(ExitCode::kInternal);
    }
}

}  // namespace korv_tool
