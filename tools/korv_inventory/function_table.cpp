#include "function_table.h"

#include <algorithm>

#include "function_binding.h"

namespace korv_tool {
namespace {

// A row for a function exported under its own name.
#define KORV_FUNCTION(function, ...) \
    make_function<decltype(function)>(#function, #function __VA_OPT__(, ) __VA_ARGS__)

// The one export with C++ linkage goes by this platform's decoration of its signature.
constexpr const char* kImportedWallSymbol =
    "_Z21KORVget_imported_wallRK5_GUIDR19KORVid_and_filename";

// The window arguments shared by the rectangle queries, in their usual order.
#define KORV_WINDOW \
    "corner1", "corner2", "crossing", "view_direction", "clip_1", "clip_2", "depth_1", "depth_2"

std::vector<ExportedFunction> make_table() {
    return {
        // document lifecycle
        KORV_FUNCTION(KORVcur_document_has_changed),
        KORV_FUNCTION(KORVinventory_document_to_be_destroyed),
        // database utilities: the drawing at PATH is read into a database of the call's own,
        // not the opened drawing
        make_function<decltype(KORVloadDwgReadOnly), NewDatabase, PathArgument,
                      FlagOutput<"used_copy">, TextOutput<"copy_name">>(
            "KORVloadDwgReadOnly", "KORVloadDwgReadOnly", "path"),
        KORV_FUNCTION(KORVupdate_entity, "entity"),
        make_function<decltype(KORVget_string_var), TextArgument, TextOutput<"value">>(
            "KORVget_string_var", "KORVget_string_var", "name"),
        // member maintenance and listing
        KORV_FUNCTION(KORVadd_column, "member"),
        KORV_FUNCTION(KORVadd_beam, "member"),
        KORV_FUNCTION(KORVadd_brace, "member"),
        KORV_FUNCTION(KORVdelete_column, "member", "erasing"),
        KORV_FUNCTION(KORVdelete_beam, "member", "erasing"),
        KORV_FUNCTION(KORVdelete_brace, "member"),
        KORV_FUNCTION(KORVget_imported_column, "guid"),
        KORV_FUNCTION(KORVget_imported_beam, "guid"),
        KORV_FUNCTION(KORVget_imported_brace, "guid"),
        make_function<decltype(KORVget_imported_wall)>("KORVget_imported_wall", kImportedWallSymbol,
                                                       "guid"),
        KORV_FUNCTION(KORVget_new_column_name),
        KORV_FUNCTION(KORVget_new_beam_name),
        KORV_FUNCTION(KORVget_new_brace_name),
        KORV_FUNCTION(KORVget_columns),
        KORV_FUNCTION(KORVget_columns_in_database),
        KORV_FUNCTION(KORVget_columns_with_filenames, "kind"),
        // region queries
        KORV_FUNCTION(KORVfind_columns_in_rectangle, KORV_WINDOW),
        KORV_FUNCTION(KORVfind_beams_in_rectangle, KORV_WINDOW),
        KORV_FUNCTION(KORVfind_braces_in_rectangle, KORV_WINDOW),
        KORV_FUNCTION(KORVfind_walls_in_rectangle, "corner1", "corner2", "crossing",
                      "view_direction", "clip_1", "depth_1", "depth_2"),
        KORV_FUNCTION(KORVfind_members_in_rectangle, "all_beams", "include_walls", "crossing",
                      "corner1", "corner2", "view_direction", "clip_1", "clip_2", "depth_1",
                      "depth_2"),
        KORV_FUNCTION(KORVfind_columns_in_plane_rectangle, "corner1", "corner2"),
        KORV_FUNCTION(KORVfind_beams_in_plane_rectangle, "corner1", "corner2", "crossing"),
        KORV_FUNCTION(KORVfind_braces_in_plane_rectangle, "corner1", "corner2"),
        KORV_FUNCTION(KORVfind_walls_in_plane_rectangle, "corner1", "corner2"),
        KORV_FUNCTION(KORVfind_beams_intersecting_segment, "start", "end", "exclude_touching"),
        KORV_FUNCTION(KORVfind_columns_between_elevs, "has_lower", "lower", "has_upper", "upper"),
        KORV_FUNCTION(KORVfind_walls_between_elevs, "has_lower", "lower", "has_upper", "upper"),
        KORV_FUNCTION(KORVfind_braces_between_elevs, "has_lower", "lower", "has_upper", "upper"),
        KORV_FUNCTION(KORVfind_lat_beams_between_elevs, "lower", "has_upper", "upper"),
        KORV_FUNCTION(KORVfind_walls_starting_or_ending_at_point, "point", "exclude"),
        KORV_FUNCTION(KORVfind_layout_columns, "start", "end", "elevations"),
        KORV_FUNCTION(KORVfind_layout_beams, "start", "end", "elevations"),
        // support relation queries
        KORV_FUNCTION(KORVfind_underlying_column, "point", "exclude"),
        KORV_FUNCTION(KORVfind_underlying_concrete_column, "point", "exclude"),
        KORV_FUNCTION(KORVfind_underlying_wall, "point", "exclude"),
        KORV_FUNCTION(KORVfind_underlying_beam, "point1", "point2", "exclude"),
        KORV_FUNCTION(KORVfind_Vanta_brace_underlying_beam, "point1", "point2", "exclude"),
        KORV_FUNCTION(KORVfind_starting_column, "point", "exclude"),
        KORV_FUNCTION(KORVfind_starting_concrete_column, "point", "exclude"),
        KORV_FUNCTION(KORVfind_ending_column, "point", "exclude"),
        KORV_FUNCTION(KORVfind_wall_below, "point", "exclude"),
        KORV_FUNCTION(KORVfind_connecting_beams, "point", "exclude"),
        KORV_FUNCTION(KORVget_unsupported_columns),
        KORV_FUNCTION(KORVget_unsupported_beams),
        KORV_FUNCTION(KORVget_gravity_beams_in_database),
        // concrete assemblies (the crossing flag comes first here)
        KORV_FUNCTION(KORVfind_concrete_plan_reps_in_rectangle, "crossing", "corner1", "corner2",
                      "view_direction", "clip_1", "clip_2", "depth_1", "depth_2"),
        KORV_FUNCTION(KORVfind_rebar_configs_in_rectangle, "crossing", "corner1", "corner2",
                      "view_direction", "clip_1", "clip_2", "depth_1", "depth_2"),
        // slabs
        KORV_FUNCTION(KORVget_slab_edges, "second_list"),
        make_function<decltype(KORVget_intervals_bounded_by_slab), Binding<AcDbDatabase*>,
                      Binding<const AcGePoint3d&>, Binding<const AcGePoint3d&>,
                      Binding<const AcGePoint3d&>, Binding<double>, NumberListOutput<"parameters">,
                      PointListOutput<"points">>("KORVget_intervals_bounded_by_slab",
                                                 "KORVget_intervals_bounded_by_slab", "start",
                                                 "end", "side", "distance"),
        // grid lines
        KORV_FUNCTION(KORVget_grid_system_names),
        KORV_FUNCTION(KORVget_linear_grid_system_names),
        KORV_FUNCTION(KORVget_radial_grid_system_names),
        KORV_FUNCTION(KORVget_linear_grid_lines, "system_names"),
        KORV_FUNCTION(KORVget_radial_grid_lines, "system_names"),
        KORV_FUNCTION(KORVrebuild_grid_inventory),
        // levels
        KORV_FUNCTION(KORVget_levels),
        KORV_FUNCTION(KORVclear_level_inventories),
        // grid lists
        KORV_FUNCTION(KORVget_plan_grid_list),
        KORV_FUNCTION(KORVget_radial_plan_grid_list),
        KORV_FUNCTION(KORVget_elevation_grid_list),
        KORV_FUNCTION(KORVadd_plan_grid, "grid"),
        KORV_FUNCTION(KORVadd_radial_plan_grid, "grid"),
        // concrete plan reps and beamlines
        KORV_FUNCTION(KORVget_concrete_lateral_beam_plan_rep_id, "member_handle"),
        KORV_FUNCTION(KORVget_concrete_beams_with_filenames, "include_cantilevers"),
        make_function<decltype(KORVget_concrete_beamlines_ids), Binding<AcDbDatabase*>,
                      Binding<const std::wstring&>, IdListOutput<"own_ids">,
                      IdListOutput<"xref_ids">>("KORVget_concrete_beamlines_ids",
                                                "KORVget_concrete_beamlines_ids"),
        make_function<decltype(KORVfind_marked_concrete_beamlines_in_database),
                      Binding<AcDbDatabase*>, Binding<const std::list<std::pair<double, double>>&>,
                      Binding<bool>, TextListOutput<"marks">, IdListOutput<"ids">,
                      MessageOutput<"message">>("KORVfind_marked_concrete_beamlines_in_database",
                                                "KORVfind_marked_concrete_beamlines_in_database",
                                                "intervals", "flag"),
        // schedules
        KORV_FUNCTION(KORVget_column_schedule_ids),
        KORV_FUNCTION(KORVget_concrete_column_schedule_ids),
        KORV_FUNCTION(KORVget_concrete_beam_schedule_ids),
        // column rebar diagrams (placed in the opened drawing's paper space, not saved)
        make_function<decltype(KORVdraw_rebar_block), Binding<double>, PointInOut<"insert_point">,
                      Binding<bool>, WideTextArgument, Binding<double>, Binding<int>, Binding<int>,
                      Binding<bool>, Binding<int>, Binding<int>, Binding<AcDbObjectId>,
                      Binding<AcDbObjectId>, Binding<double>>(
            "KORVdraw_rebar_block", "KORVdraw_rebar_block", "placement_value", "insert_point",
            "advance_insert_point", "type_text", "aspect_ratio", "bars_x", "bars_y", "is_circular",
            "tie_legs_x", "tie_legs_y", "reactor_target", "text_style", "text_height"),
    };
}

#undef KORV_WINDOW
#undef KORV_FUNCTION

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

size_t ExportedFunction::argument_count() const {
    return std::count_if(parameters.begin(), parameters.end(), [](const ParameterInfo& info) {
        return info.source == ParameterSource::kArgument;
    });
}

std::string ExportedFunction::usage() const {
    std::string text = name;
    for (const ParameterInfo& parameter : parameters) {
        if (parameter.source == ParameterSource::kArgument) text += " " + upper(parameter.name);
    }
    return text;
}

Json ExportedFunction::call(const CallContext& context,
                            const std::vector<std::string>& arguments) const {
    if (arguments.size() != argument_count()) {
        throw ToolError(ExitCode::kArgument,
                        name + " takes " + std::to_string(argument_count()) + " argument(s), " +
                            std::to_string(arguments.size()) + " given: " + usage());
    }
    return invoke(context, arguments);
}

const std::vector<ExportedFunction>& exported_functions() {
    static const std::vector<ExportedFunction> table = make_table();
    return table;
}

const ExportedFunction* find_function(const std::string& name) {
    for (const ExportedFunction& function : exported_functions()) {
        if (function.name == name) return &function;
    }
    return nullptr;
}

}  // namespace korv_tool
