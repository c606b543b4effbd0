#include "output.h"

#include <algorithm>

#include "text.h"

namespace korv_tool {
namespace {

// The member of a JSON object, or null when it has none (const access must not look up a
// missing key).
const Json& field(const Json& object, const char* key) {
    static const Json none;
    const auto found = object.find(key);
    return found == object.end() ? none : *found;
}

std::string text_of(const Json& value) {
    if (value.is_null()) return "-";
    if (value.is_string()) return value.get<std::string>().empty() ? "-" : value.get<std::string>();
    return value.dump();
}

std::string point_text(const Json& point) {
    if (!point.is_array()) return "-";
    std::string text;
    for (const Json& coordinate : point) {
        if (!text.empty()) text += ",";
        text += format_number(coordinate.get<double>());
    }
    return text;
}

std::string number_text(const Json& number) {
    return number.is_number() ? format_number(number.get<double>()) : "-";
}

std::string notes_of(const Json& item) {
    std::string notes;
    if (item.value("lateral", false)) notes += "lateral ";
    if (item.contains("drawn_as")) notes += item["drawn_as"].get<std::string>() + " ";
    for (const Json& guid : item.value("guids", Json::array()))
        notes += "imported " + guid.get<std::string>() + " ";
    if (!notes.empty()) notes.pop_back();
    return notes.empty() ? "-" : notes;
}

void print_references(const Json& references, std::ostream& out) {
    if (references.empty()) {
        out << "References: none\n";
        return;
    }
    out << "References\n";
    TextTable table({"NAME", "PATH", "STATUS", "INSERTS", "NESTED IN"});
    for (const Json& reference : references) {
        table.add_row({text_of(field(reference, "name")), text_of(field(reference, "path")),
                       text_of(field(reference, "status")), text_of(field(reference, "inserts")),
                       text_of(field(reference, "nested_in"))});
    }
    table.print(out, "  ");
}

struct KindTitle {
    const char* kind;   // the report's key
    const char* words;  // in the counts line
    const char* title;  // above its table
};

const std::vector<KindTitle>& kind_titles() {
    static const std::vector<KindTitle> titles = {
        {"columns", "columns", "Columns"},
        {"beams", "beams", "Beams"},
        {"braces", "braces", "Braces"},
        {"walls", "walls", "Walls"},
        {"plan_reps", "concrete plan reps", "Concrete plan reps"},
        {"rebar_configs", "wall rebar configs", "Wall rebar configs"},
        {"slab_edges", "slab edges", "Slab edges"},
        {"concrete_beamlines", "concrete beamlines", "Concrete beamlines"}};
    return titles;
}

// One row per grid line, grouped by system: linear systems first, then radial ones.
void print_grid_systems(const Json& systems, std::ostream& out) {
    out << "\nGrid systems (" << systems.size() << ")\n";
    if (systems.empty()) return;
    TextTable table({"SYSTEM", "KIND", "LINE", "ID", "CLASS"});
    for (const Json& system : systems) {
        const std::string name = field(system, "name").get<std::string>();
        for (const Json& line : field(system, "lines")) {
            table.add_row({name.empty() ? "\"\"" : name, text_of(field(system, "kind")),
                           text_of(field(line, "name")), text_of(field(line, "id")),
                           text_of(field(line, "class"))});
        }
    }
    table.print(out, "  ");
}

void print_kind(const std::string& title, const Json& items, std::ostream& out) {
    out << "\n" << title << " (" << items.size() << ")\n";
    if (items.empty()) return;
    TextTable table({"NAME", "ID", "REFERENCE", "INSERT", "START", "END", "TOP", "LENGTH",
                     "MATERIAL", "NOTES"});
    for (const Json& item : items) {
        table.add_row({text_of(field(item, "name")), text_of(field(item, "id")),
                       text_of(field(item, "file_name")), text_of(field(item, "reference")),
                       point_text(field(item, "start")), point_text(field(item, "end")),
                       number_text(field(item, "top")), number_text(field(item, "length")),
                       text_of(field(item, "material")), notes_of(item)});
    }
    table.print(out, "  ");
}

void print_schedules(const Json& schedules, std::ostream& out) {
    out << "\nSchedules (" << schedules.size() << ")\n";
    if (schedules.empty()) return;
    TextTable table({"KIND", "TITLE", "ID"});
    for (const Json& schedule : schedules) {
        table.add_row({text_of(field(schedule, "kind")), text_of(field(schedule, "title")),
                       text_of(field(schedule, "id"))});
    }
    table.print(out, "  ");
}

// The arguments as "name=value", context ones left out (they are the opened drawing's).
std::string arguments_text(const Json& arguments) {
    std::string text;
    for (const auto& [name, value] : arguments.items()) {
        if (name == "database" || name == "drawing_name" || name == "document") continue;
        text += " " + name + "=" + (value.get<std::string>().empty() ? "\"\"" : text_of(value));
    }
    return text;
}

// Objects as a table; the record columns only for records, the end only for end lists.
void print_rows(const Json& rows, std::ostream& out) {
    if (rows[0].contains("elevation")) {  // levels
        TextTable table({"NAME", "ELEVATION"});
        for (const Json& row : rows)
            table.add_row({text_of(field(row, "name")), text_of(field(row, "elevation"))});
        table.print(out, "    ");
        return;
    }
    const bool has_file = rows[0].contains("file_name");
    const bool has_end = rows[0].contains("end");
    const bool has_text = std::any_of(rows.begin(), rows.end(),
                                      [](const Json& row) { return row.contains("handle_text"); });
    std::vector<std::string> header{"NAME", "ID"};
    if (has_file) header.insert(header.end(), {"FILE_NAME", "REFERENCE_ID"});
    if (has_text) header.push_back("HANDLE_TEXT");
    if (has_end) header.push_back("END");
    TextTable table(header);
    for (const Json& row : rows) {
        std::vector<std::string> cells{text_of(field(row, "name")), text_of(field(row, "id"))};
        if (has_file)
            cells.insert(cells.end(),
                         {text_of(field(row, "file_name")), text_of(field(row, "reference"))});
        if (has_text) cells.push_back(text_of(field(row, "handle_text")));
        if (has_end) cells.push_back(field(row, "end") == 0 ? "start" : "end");
        table.add_row(cells);
    }
    table.print(out, "    ");
}

void print_output(const std::string& name, const Json& value, std::ostream& out) {
    if (value.is_primitive()) {
        out << "  " << name << ": " << text_of(value) << "\n";
        return;
    }
    if (!value.is_array()) {
        out << "  " << name << ":" << (field(value, "id").is_null() ? " none" : "") << "\n";
        if (!field(value, "id").is_null()) print_rows(Json::array({value}), out);
        return;
    }
    out << "  " << name << ": " << value.size() << "\n";
    if (value.empty()) return;
    if (value[0].is_string()) {  // a list of names, one a line; an empty name as ""
        for (const Json& text : value)
            out << "    " << (text.get<std::string>().empty() ? "\"\"" : text_of(text)) << "\n";
        return;
    }
    if (value[0].is_object()) return print_rows(value, out);
    for (const Json& item : value)  // numbers, or points as [x, y, z]
        out << "    " << (item.is_array() ? point_text(item) : format_number(item.get<double>()))
            << "\n";
}

std::string parameter_list(const ExportedFunction& function, ParameterSource source) {
    std::string text;
    for (const ParameterInfo& parameter : function.parameters) {
        if (parameter.source != source) continue;
        if (!text.empty()) text += ", ";
        text += parameter.name + " (" + parameter.kind + ")";
    }
    return text;
}

// "Levels (n)" with each level's name and elevation, then each grid list's objects.
void print_levels_and_grid_lists(const Json& report, std::ostream& out) {
    const Json& levels = field(report, "levels");
    out << "\nLevels (" << levels.size() << ")\n";
    if (!levels.empty()) print_rows(levels, out);
    const std::pair<const char*, const char*> grid_lists[] = {
        {"plan_grids", "Plan grids"},
        {"radial_plan_grids", "Radial plan grids"},
        {"elevation_grids", "Elevation grids"}};
    for (const auto& [key, title] : grid_lists) {
        const Json& ids = field(report, key);
        out << "\n" << title << " (" << ids.size() << ")\n";
        if (!ids.empty()) print_rows(ids, out);
    }
}

}  // namespace

std::string json_text(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

TextTable::TextTable(std::vector<std::string> header) {
    rows_.push_back(std::move(header));
}

void TextTable::add_row(std::vector<std::string> row) {
    rows_.push_back(std::move(row));
}

void TextTable::print(std::ostream& out, const std::string& indent) const {
    std::vector<size_t> widths;
    for (const auto& row : rows_) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], display_width(row[i]));
    }
    for (const auto& row : rows_) {
        std::string line = indent;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - display_width(row[i]) + 2, ' ');
        }
        out << line << "\n";
    }
}

void print_report(const Json& report, std::ostream& out) {
    out << "Drawing " << text_of(field(report, "drawing")) << "\n";
    print_references(report["references"], out);
    std::string counts;
    for (const KindTitle& kind : kind_titles()) {
        if (!report.contains(kind.kind)) continue;  // left out by --kind
        if (!counts.empty()) counts += ", ";
        counts += std::to_string(report["counts"].value(kind.kind, 0)) + " " + kind.words;
    }
    out << "Inventories: " << counts << "\n";
    for (const KindTitle& kind : kind_titles()) {
        if (report.contains(kind.kind)) print_kind(kind.title, report[kind.kind], out);
    }
    print_grid_systems(field(report, "grid_systems"), out);
    print_levels_and_grid_lists(report, out);
    if (report.contains("schedules")) print_schedules(report["schedules"], out);
}

void write_report_csv(const Json& reports, std::ostream& out) {
    auto cell = [](const Json& value) {
        std::string text = value.is_null()     ? ""
                           : value.is_string() ? value.get<std::string>()
                           : value.is_number() ? format_number(value.get<double>())
                                               : value.dump();
        text = valid_utf8(text);
        if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
        std::string quoted = "\"";
        for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    };
    auto coordinates = [&](const Json& point) {
        if (!point.is_array()) return std::string(",,");
        return cell(point[0]) + "," + cell(point[1]) + "," + cell(point[2]);
    };
    out << "drawing,kind,name,class,id,reference,insert,start_x,start_y,start_z,end_x,end_y,"
           "end_z,top,length,material,lateral,guids\r\n";
    for (const Json& report : reports) {
        for (const KindTitle& kind : kind_titles()) {
            if (!report.contains(kind.kind)) continue;
            for (const Json& item : report[kind.kind]) {
                std::string guids;
                for (const Json& guid : item.value("guids", Json::array()))
                    guids += (guids.empty() ? "" : " ") + guid.get<std::string>();
                out << cell(report["drawing"]) << "," << kind.kind << ","
                    << cell(field(item, "name")) << "," << cell(field(item, "class")) << ","
                    << cell(field(item, "id")) << "," << cell(field(item, "file_name")) << ","
                    << cell(field(item, "reference")) << "," << coordinates(field(item, "start"))
                    << "," << coordinates(field(item, "end")) << "," << cell(field(item, "top"))
                    << "," << cell(field(item, "length")) << "," << cell(field(item, "material"))
                    << "," << cell(field(item, "lateral")) << "," << cell(guids) << "\r\n";
            }
        }
    }
}

void print_call(const Json& call, std::ostream& out) {
    out << call["function"].get<std::string>() << arguments_text(call["arguments"]) << "\n";
    if (!call["returned"].is_null())
        out << "  returned: " << text_of(field(call, "returned")) << "\n";
    for (const auto& [name, value] : call["outputs"].items()) print_output(name, value, out);
    for (const Json& host_call : call.value("host_calls", Json::array()))
        out << "  host call: " << host_call.get<std::string>() << "\n";
    for (const Json& check : call.value("assertions", Json::array()))
        out << "  internal check reported: " << check.get<std::string>() << "\n";
    if (call.value("left_open", 0) > 0)
        out << "  objects left open by the call: " << call["left_open"] << "\n";
}

void print_functions(const std::vector<ExportedFunction>& functions, std::ostream& out) {
    for (const ExportedFunction& function : functions) {
        out << function.usage() << "\n";
        const std::string arguments = parameter_list(function, ParameterSource::kArgument);
        const std::string context = parameter_list(function, ParameterSource::kContext);
        const std::string outputs = parameter_list(function, ParameterSource::kOutput);
        const std::string made = parameter_list(function, ParameterSource::kMade);
        if (!arguments.empty()) out << "    arguments: " << arguments << "\n";
        if (!context.empty()) out << "    from the drawing: " << context << "\n";
        if (!made.empty()) out << "    made for the call: " << made << "\n";
        out << "    returns: " << function.returns << "\n";
        if (!outputs.empty()) out << "    outputs: " << outputs << "\n";
    }
}

Json functions_json(const std::vector<ExportedFunction>& functions) {
    Json list = Json::array();
    for (const ExportedFunction& function : functions) {
        Json parameters = Json::array();
        for (const ParameterInfo& parameter : function.parameters) {
            static const char* sources[] = {"argument", "drawing", "output", "made"};
            parameters.push_back({{"name", parameter.name},
                                  {"kind", parameter.kind},
                                  {"source", sources[static_cast<int>(parameter.source)]}});
        }
        list.push_back({{"name", function.name},
                        {"symbol", function.symbol},
                        {"usage", function.usage()},
                        {"returns", function.returns},
                        {"parameters", parameters}});
    }
    return list;
}

}  // namespace korv_tool
