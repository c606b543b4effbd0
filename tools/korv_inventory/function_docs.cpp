#include "function_docs.h"

#include <map>

#include "output.h"
#include "text.h"

namespace korv_tool {
namespace {

// Texts several functions share.
const std::string kCurrent = " of the current drawing (with its resolved references)";
const std::string kInventoryResult =
    "true when the inventory is available, also when nothing matched; false (no current "
    "document or drawing, or a drawing that cannot be scanned) leaves every output untouched";
const std::string kFoundResult =
    "true when a member was found and written to out; false when none qualified or the "
    "inventory is not available, out then untouched";
const std::string kRecords =
    "appended to, never cleared: one record (id, file_name = the "
    "reference's block name or empty, reference_id = the insert) "
    "per match, in inventory order";
const std::string kOut =
    "written only when the result is true: id and file_name are "
    "assigned, reference_id and handle_text keep what they held";
const std::string kExclude = "a member never taken as the answer (the one being placed), or 0";
const std::string kSupportTolerance =
    "the point is moved into the member's own drawing; what counts as under, on or at a point "
    "is the structural library's test, with the drawing's length tolerance";
const std::string kDrawingArguments =
    "the drawing asked about (the opened drawing) and its name: the inventory is kept per "
    "(current document, drawing name)";
const std::string kElevationTolerance =
    "bounds are compared with a fixed 0.0001 drawing units: a member touching a bound by less "
    "than that is outside";

std::vector<std::pair<std::string, std::string>> window(bool with_clip_2) {
    return {
        {"corner1, corner2", "opposite corners of the selection window"},
        {"crossing", "true: a member crossing the window counts; false: it must lie wholly inside"},
        {"view_direction", "the direction the window is seen along (0,0,1 for the plan)"},
        {with_clip_2 ? "clip_1, clip_2" : "clip_1",
         with_clip_2 ? "keep only what lies in front of depth_1 (clip_1) and behind depth_2 "
                       "(clip_2)"
                     : "keep only what lies in front of depth_1 (the back clip at depth_2 "
                       "always applies)"},
        {"depth_1, depth_2",
         "front and back depths, measured along view_direction from "
         "the origin"}};
}

template <class... Entries>
std::vector<std::pair<std::string, std::string>> with(
    std::vector<std::pair<std::string, std::string>> parameters, Entries... entries) {
    (parameters.push_back(entries), ...);
    return parameters;
}

FunctionDoc rectangle(const std::string& kind, bool by_drawing, bool with_clip_2 = true) {
    auto parameters = window(with_clip_2);
    if (by_drawing)
        parameters.insert(parameters.begin(), {"database, drawing_name", kDrawingArguments});
    parameters.push_back({"result", kRecords});
    return {"The " + kind + (by_drawing ? " of the given drawing" : kCurrent) +
                " that lie in a selection window seen along a view direction, cut by "
                "optional front and back clips.",
            parameters, kInventoryResult,
            "the window test is the structural library's; the window is moved into each "
            "member's own drawing through its insert"};
}

// The rectangle queries over the concrete assemblies of a drawing.
FunctionDoc assemblies(const std::string& kind, const std::string& check) {
    FunctionDoc doc = rectangle(kind, false);
    doc.purpose = "The " + kind +
                  " of the given drawing in a selection window (the crossing "
                  "flag comes first here).";
    doc.parameters.insert(doc.parameters.end() - 1, {"database", "the drawing asked about"});
    doc.result = "true when the inventory exists; otherwise the check \"" + check +
                 "\" is reported and result stays untouched";
    return doc;
}

FunctionDoc between_elevations(const std::string& kind, const std::string& test) {
    return {"The " + kind + kCurrent + " that " + test + ".",
            {{"has_lower, lower", "whether there is a lower bound, and its elevation"},
             {"has_upper, upper", "whether there is an upper bound, and its elevation"},
             {"result", kRecords}},
            kInventoryResult,
            kElevationTolerance};
}

FunctionDoc support(const std::string& purpose, bool by_drawing = false) {
    std::vector<std::pair<std::string, std::string>> parameters = {
        {"point", "the point, in the current drawing's coordinates"}, {"exclude", kExclude}};
    if (by_drawing) parameters.push_back({"database, drawing_name", kDrawingArguments});
    parameters.push_back({"out", kOut});
    return {purpose + " The first record in inventory order that qualifies is the answer.",
            parameters, kFoundResult, kSupportTolerance};
}

FunctionDoc imported(const std::string& kind) {
    return {"The " + kind + kCurrent + " imported from the analysis model under a GUID.",
            {{"guid", "the analysis model's identifier (8-4-4-4-12)"}, {"out", kOut}},
            "true when a " + kind.substr(0, kind.size() - 1) +
                " carries that GUID (also one deleted since); false otherwise, out then "
                "untouched",
            ""};
}

FunctionDoc add_member(const std::string& kind) {
    return {"Records a member just added to the drawing in the " + kind + " inventory" + kCurrent +
                ", so that later queries see it; its number raises the highest "
                "number that new names continue from.",
            {{"member", "the member, open for read (any member: the kind is not checked)"}},
            "true when the inventory is available; false changes nothing",
            ""};
}

FunctionDoc delete_member(const std::string& kind, bool restoring) {
    std::vector<std::pair<std::string, std::string>> parameters = {
        {"member", "the drawing's own member (a member of a reference is never removed)"}};
    if (restoring)
        parameters.push_back({"erasing",
                              "true: remove it from the inventory; false: bring "
                              "back a member removed earlier (an undo)"});
    return {"Takes a member erased from the drawing out of the " + kind + " inventory" + kCurrent +
                (restoring ? ", or puts it back." : "."),
            parameters,
            "true when the inventory is available, whether or not anything moved; imported "
            "GUIDs stay indexed and the highest member number never goes down",
            ""};
}

FunctionDoc new_name(const std::string& kind, const std::string& prefix) {
    return {"The next free " + kind + " name: \"" + prefix +
                "\" followed by one more than the "
                "highest number in the inventory" +
                kCurrent +
                ". The name is not reserved: "
                "two calls without an add in between give the same name.",
            {},
            "the name; \"" + prefix + "\" alone when the inventory is not available",
            ""};
}

FunctionDoc schedules(const std::string& kind) {
    return {"The " + kind + " in the working drawing's paper space.",
            {{"ids", "appended to, never cleared, in paper space order"}},
            "true when paper space was scanned; false (no paper space) leaves ids untouched",
            ""};
}

const std::map<std::string, FunctionDoc>& docs() {
    static const std::map<std::string, FunctionDoc> table = {
        // document lifecycle
        {"KORVcur_document_has_changed",
         {"Whether the host's current document differs from the one seen at the previous "
          "call of this function (the first call compares with none).",
          {},
          "true when the current document changed since the last call",
          ""}},
        {"KORVinventory_document_to_be_destroyed",
         {"Drops every inventory kept for a document that is about to close: levels, grid "
          "lines, the member inventories, grid lists, slab edges and the plan rep index.",
          {{"document", "the document about to be destroyed (the opened drawing's)"}},
          "nothing",
          ""}},
        // database utilities
        {"KORVloadDwgReadOnly",
         {"Reads a drawing into a database of the caller's own. When the file is held by "
          "another program (status 72 or 433) it reads a copy made in the temporary folder "
          "(named dwg*.tmp), which it leaves there for the caller to remove.",
          {{"database", "a new, empty database to read into (the tool makes one for the call)"},
           {"path", "the drawing file to read"},
           {"used_copy", "always written: set false first, true when a copy was read"},
           {"copy_name",
            "written only when a copy was read: the copy's full path; untouched "
            "otherwise (also when making the copy failed)"}},
          "true when the drawing (or its copy) was read",
          ""}},
        {"KORVupdate_entity",
         {"Has the host redraw an entity on screen. Nothing is done for the null id or an id "
          "the host cannot name.",
          {{"entity", "the entity to redraw, or 0"}},
          "nothing: the host's answer is not reported",
          ""}},
        {"KORVget_string_var",
         {"Reads a system variable of the host as text.",
          {{"name", "the system variable (DWGNAME, DWGPREFIX, ...)"},
           {"value",
            "replaced only when the host answers normally with text; untouched "
            "otherwise"}},
          "true when the host answered normally",
          ""}},
        // member maintenance and listing
        {"KORVadd_column", add_member("column")},
        {"KORVadd_beam", add_member("beam")},
        {"KORVadd_brace", add_member("brace")},
        {"KORVdelete_column", delete_member("column", true)},
        {"KORVdelete_beam", delete_member("beam", true)},
        {"KORVdelete_brace", delete_member("brace", false)},
        {"KORVget_imported_column", imported("columns")},
        {"KORVget_imported_beam", imported("beams")},
        {"KORVget_imported_brace", imported("braces")},
        {"KORVget_imported_wall", imported("walls")},
        {"KORVget_new_column_name", new_name("column", "C")},
        {"KORVget_new_beam_name", new_name("beam", "B")},
        {"KORVget_new_brace_name", new_name("brace", "BR")},
        {"KORVget_columns",
         {"Every column" + kCurrent + ", each once even when two inserts show it.",
          {{"ids", "cleared first, then filled in id order"}},
          kInventoryResult,
          ""}},
        {"KORVget_columns_in_database",
         {"The current drawing's own columns (not those of its references).",
          {{"ids", "appended to, never cleared, in inventory order"}},
          kInventoryResult,
          ""}},
        {"KORVget_columns_with_filenames",
         {"The columns" + kCurrent + ", each with the reference it comes through.",
          {{"kind",
            "-1: every column, in inventory order; 0: the columns of the first "
            "material (steel) and 1: the concrete columns, both sorted by start "
            "point; any other value reports the check \"false\" and adds nothing"},
           {"result", "appended to, never cleared (handle_text left empty)"}},
          kInventoryResult,
          ""}},
        // region queries
        {"KORVfind_columns_in_rectangle", rectangle("columns", false)},
        {"KORVfind_beams_in_rectangle", rectangle("beams", true)},
        {"KORVfind_braces_in_rectangle", rectangle("braces", false)},
        {"KORVfind_walls_in_rectangle",
         [] {
             FunctionDoc doc = rectangle("walls", false, false);
             doc.purpose =
                 "The walls of the given drawing that lie in a selection window seen "
                 "along a view direction, cut by an optional front clip and always by "
                 "the back clip.";
             doc.parameters.insert(doc.parameters.end() - 1,
                                   {"database, drawing_name", kDrawingArguments});
             return doc;
         }()},
        {"KORVfind_members_in_rectangle",
         {"The members of the given drawing in a selection window: columns, beams and braces, "
          "and walls when asked.",
          with({{"all_beams", "true: every beam in the window; false: lateral beams only"},
                {"include_walls", "true: walls in the window too"}},
               std::pair<std::string, std::string>{
                   "crossing, corner1, corner2, view_direction, clip_1, clip_2, depth_1, depth_2",
                   "the window, as for the rectangle queries"},
               std::pair<std::string, std::string>{"database, drawing_name", kDrawingArguments},
               std::pair<std::string, std::string>{"result", kRecords}),
          "true when the inventories are available; false leaves result untouched",
          "the window test is the structural library's"}},
        {"KORVfind_columns_in_plane_rectangle",
         {"The columns" + kCurrent + " in a plan rectangle (crossing counts).",
          {{"corner1, corner2", "opposite corners of the rectangle"}, {"result", kRecords}},
          kInventoryResult,
          "the plan test is the structural library's"}},
        {"KORVfind_beams_in_plane_rectangle",
         {"The beams" + kCurrent + " in a plan rectangle.",
          {{"corner1, corner2", "opposite corners of the rectangle"},
           {"crossing", "true: a beam crossing the rectangle counts"},
           {"result", kRecords}},
          kInventoryResult,
          "the plan test is the structural library's"}},
        {"KORVfind_braces_in_plane_rectangle",
         {"The braces" + kCurrent + " wholly inside a plan rectangle.",
          {{"corner1, corner2", "opposite corners of the rectangle"}, {"result", kRecords}},
          kInventoryResult,
          "the plan test is the structural library's"}},
        {"KORVfind_walls_in_plane_rectangle",
         {"The walls" + kCurrent + " in a plan rectangle (crossing counts).",
          {{"corner1, corner2", "opposite corners of the rectangle"}, {"result", kRecords}},
          kInventoryResult,
          "the plan test is the structural library's"}},
        {"KORVfind_beams_intersecting_segment",
         {"The beams" + kCurrent + " whose axis crosses a segment.",
          {{"start, end", "the segment's ends (equal ends match nothing)"},
           {"exclude_touching", "true: a beam only touching the segment at an end is left out"},
           {"result", kRecords}},
          kInventoryResult,
          "intersections with the host's default tolerance"}},
        {"KORVfind_columns_between_elevs",
         between_elevations("columns",
                            "run between two elevations (bottom below the upper "
                            "bound, top above the lower)")},
        {"KORVfind_walls_between_elevs",
         between_elevations("walls",
                            "run between two elevations (base below the upper bound, "
                            "top above the lower)")},
        {"KORVfind_braces_between_elevs",
         between_elevations("braces", "have their top between two elevations")},
        {"KORVfind_lat_beams_between_elevs",
         {"The lateral beams of the current drawing's references (never its own beams) with "
          "an end between two elevations.",
          {{"lower", "the lower bound, always applied (an end must be above it)"},
           {"has_upper, upper",
            "whether there is an upper bound (inclusive), and its "
            "elevation"},
           {"result", kRecords}},
          kInventoryResult,
          kElevationTolerance}},
        {"KORVfind_walls_starting_or_ending_at_point",
         {"The walls" + kCurrent +
              " that start at a point, then those that end there (a "
              "wall with both ends there is listed twice).",
          {{"point", "the point"}, {"exclude", "a wall left out, or 0"}, {"result", kRecords}},
          kInventoryResult,
          "ends coincide within the wall's drawing's length tolerance"}},
        {"KORVfind_layout_columns",
         {"The columns" + kCurrent +
              " that repeat a column from start to end at the given "
              "heights: one record per height at which a column has exactly those ends.",
          {{"start, end", "the column's ends"},
           {"elevations", "heights added to the ends' Z, in order (none: no match)"},
           {"result", kRecords}},
          "true when the inventory is available (the check \"col_inventory\" is reported "
          "otherwise, and result stays untouched)",
          "ends compared with the host's default tolerance"}},
        {"KORVfind_layout_beams",
         {"The beams" + kCurrent +
              " that repeat a beam from start to end at the given "
              "heights: one record per height at which a beam has exactly those ends.",
          {{"start, end", "the beam's ends"},
           {"elevations", "heights added to the ends' Z, in order"},
           {"result", kRecords}},
          "true when the inventory is available (the check \"beam_inventory\" is reported "
          "otherwise, and result stays untouched)",
          "ends compared with the host's default tolerance"}},
        // support relation queries
        {"KORVfind_underlying_column", support("The column" + kCurrent +
                                               " standing under a point (the column a member "
                                               "placed there rests on).")},
        {"KORVfind_underlying_concrete_column",
         support("The concrete column of the given drawing standing under a point.", true)},
        {"KORVfind_underlying_wall", support("The wall" + kCurrent + " under a point.")},
        {"KORVfind_underlying_beam",
         {"The beam" + kCurrent +
              " under point1 that does not also run under point2 (the "
              "beam a member from point1 to point2 rests on). The first qualifying record is the "
              "answer.",
          {{"point1, point2", "the supported member's ends (equal: point1 alone decides)"},
           {"exclude", kExclude},
           {"out", kOut}},
          kFoundResult,
          kSupportTolerance}},
        {"KORVfind_Vanta_brace_underlying_beam",
         {"As find_underlying_beam, with the brace variant of the test: the beam a brace "
          "from point1 to point2 rests on.",
          {{"point1, point2", "the brace's ends"}, {"exclude", kExclude}, {"out", kOut}},
          kFoundResult,
          kSupportTolerance}},
        {"KORVfind_starting_column", support("The column" + kCurrent + " that starts at a point.")},
        {"KORVfind_starting_concrete_column",
         support("The concrete column of the given drawing that starts at a point.", true)},
        {"KORVfind_ending_column", support("The column" + kCurrent + " that ends at a point.")},
        {"KORVfind_wall_below", support("The wall" + kCurrent + " below a point.")},
        {"KORVfind_connecting_beams",
         {"Every beam" + kCurrent + " with an end at a point.",
          {{"point", "the point"}, {"exclude", kExclude}, {"result", kRecords}},
          kInventoryResult,
          "ends coincide within the beam's drawing's length tolerance"}},
        {"KORVget_unsupported_columns",
         {"The columns" + kCurrent + " with an unsupported end, references included.",
          {{"result",
            "appended to, never cleared: (column, 0) for an unsupported start, "
            "(column, 1) for an unsupported end; start first"}},
          kInventoryResult,
          "support is the structural library's test"}},
        {"KORVget_unsupported_beams",
         {"The beams" + kCurrent + " with an unsupported end, references included.",
          {{"result",
            "appended to, never cleared: (beam, 0) for an unsupported start, "
            "(beam, 1) for an unsupported end; start first"}},
          kInventoryResult,
          "support is the structural library's test"}},
        {"KORVget_gravity_beams_in_database",
         {"The current drawing's own beams, lateral and gravity (not those of references).",
          {{"ids", "appended to, never cleared, in inventory order"}},
          kInventoryResult,
          ""}},
        // concrete assemblies
        {"KORVfind_concrete_plan_reps_in_rectangle",
         assemblies("concrete lateral beam plan reps", "plan_reps_inventory")},
        {"KORVfind_rebar_configs_in_rectangle",
         assemblies("wall rebar configurations", "rebar_configs_inventory")},
        // concrete plan reps and beamlines
        {"KORVget_concrete_lateral_beam_plan_rep_id",
         {"The concrete lateral beam plan rep in the current document's model space that "
          "refers to a member, by the member's handle.",
          {{"member_handle", "the member's handle"}},
          "the plan rep's id; the null id when none refers to it or there is no document",
          ""}},
        {"KORVget_concrete_beams_with_filenames",
         {"The concrete beams of a drawing, one per concrete beam object (the first by start "
          "point), ordered by start point.",
          {{"database",
            "the drawing (null or the working database: the current drawing's "
            "inventory; another: a scan of it for this call alone)"},
           {"include_cantilevers", "true: cantilevers too"},
           {"result", "appended to, never cleared"}},
          "true when the beams could be had; false leaves result untouched",
          ""}},
        {"KORVget_concrete_beamlines_ids",
         {"The concrete beamlines of a drawing, its own apart from those of its references, "
          "one per pair of ends (a later beamline with the same ends replaces an earlier).",
          {{"database, drawing_name", kDrawingArguments},
           {"own_ids", "appended to: the drawing's own beamlines, sorted by their ends"},
           {"xref_ids", "appended to: the references' beamlines, sorted by their ends"}},
          "true when the beamline inventory is available; false leaves both lists untouched",
          ""}},
        {"KORVfind_marked_concrete_beamlines_in_database",
         {"The schedule marks of the concrete beamlines in a drawing's model space that lie "
          "within elevation intervals and have the kind asked for.",
          {{"database", "the drawing (required)"},
           {"intervals",
            "(bottom, top) elevation pairs; a beamline is within when some "
            "interval holds it; empty: every beamline"},
           {"flag", "the beamline kind kept"},
           {"marks, ids", "appended to, in parallel: each kept beamline's mark and id"},
           {"message",
            "written only on failure, replaced: why (\"Cannot open model space.\", "
            "\"None of the concrete beams had a schedule mark\", ...)"}},
          "true when model space was read and some beamline within the intervals had a mark "
          "(or none was within); false with message otherwise",
          "the intervals are widened by 0.01 drawing units at each end"}},
        // schedules
        {"KORVget_column_schedule_ids", schedules("column schedules")},
        {"KORVget_concrete_column_schedule_ids", schedules("concrete column schedules")},
        {"KORVget_concrete_beam_schedule_ids", schedules("concrete beam schedules")},
        // levels
        {"KORVget_levels",
         {"The levels of a drawing: its own, or when it defines none, those of its resolved "
          "references. Kept after the first call until cleared.",
          {{"database", "the drawing (null: the working database)"},
           {"levels", "replaced as a whole when the result is true; untouched otherwise"}},
          "true when levels were found (now or earlier)",
          ""}},
        {"KORVclear_level_inventories",
         {"Forgets the levels kept for every drawing, so that the next get_levels reads them "
          "again.",
          {},
          "nothing",
          ""}},
        // grid lines
        {"KORVget_grid_system_names",
         {"The names of a drawing's grid systems, linear and radial.",
          {{"names", "the names"},
           {"database, drawing_name",
            "the drawing (null: the working database) and its name "
            "(empty: the database's own; required for a drawing "
            "that is neither current nor a reference)"}},
          "true when the grid inventory is available",
          ""}},
        {"KORVget_linear_grid_system_names",
         {"The names of a drawing's linear grid systems.",
          {{"names", "cleared first, then filled; untouched when the result is false"},
           {"database, drawing_name", "the drawing and its name, as for get_grid_system_names"}},
          "true when the grid inventory is available",
          ""}},
        {"KORVget_radial_grid_system_names",
         {"The names of a drawing's radial grid systems.",
          {{"names", "cleared first, then filled; untouched when the result is false"},
           {"database, drawing_name", "the drawing and its name, as for get_grid_system_names"}},
          "true when the grid inventory is available",
          ""}},
        {"KORVget_linear_grid_lines",
         {"The linear grid lines of the named grid systems of a drawing.",
          {{"system_names", "the grid systems"},
           {"database, drawing_name", "the drawing and its name, as for get_grid_system_names"},
           {"ids", "appended to, never cleared"}},
          "true when the grid inventory is available, also when no line matched",
          ""}},
        {"KORVget_radial_grid_lines",
         {"The radial grid lines of the named grid systems of a drawing.",
          {{"system_names", "the grid systems"},
           {"database, drawing_name", "the drawing and its name, as for get_grid_system_names"},
           {"ids", "appended to, never cleared"}},
          "true when the grid inventory is available, also when no line matched",
          ""}},
        {"KORVrebuild_grid_inventory",
         {"Reads a drawing's grid lines again, in place, after grid lines were added or "
          "erased.",
          {{"database", "the drawing (null: the working database)"}},
          "nothing",
          ""}},
        // grid lists
        {"KORVget_plan_grid_list",
         {"The plan grids of the current document's model space (kept after the first call).",
          {{"ids", "replaced by the list when the result is true; untouched otherwise"}},
          "false when there is no current document",
          ""}},
        {"KORVget_radial_plan_grid_list",
         {"The radial plan grids of the current document (kept after the first call, filled "
          "by add_radial_plan_grid).",
          {{"ids", "replaced by the list when the result is true; untouched otherwise"}},
          "false when there is no current document",
          ""}},
        {"KORVget_elevation_grid_list",
         {"The elevation grids of the current document's model space (kept after the first "
          "call).",
          {{"ids", "replaced by the list when the result is true; untouched otherwise"}},
          "false when there is no current document",
          ""}},
        {"KORVadd_plan_grid",
         {"Adds a plan grid to the current document's list.",
          {{"grid", "the plan grid, appended at the end"}},
          "nothing (no current document: nothing is done)",
          ""}},
        {"KORVadd_radial_plan_grid",
         {"Adds a radial plan grid to the current document's list.",
          {{"grid", "the radial plan grid, appended at the end"}},
          "nothing (no current document: nothing is done)",
          ""}},
        // slabs
        {"KORVget_slab_edges",
         {"The slab edges of a drawing and of its resolved references.",
          {{"database, drawing_name",
            "the drawing (null: the working database) and its name "
            "(empty: the database's own)"},
           {"second_list", "which of the two lists: both are the same"},
           {"result", "replaced as a whole when the result is true; untouched otherwise"}},
          "true when the slab edge inventory is available",
          ""}},
        {"KORVget_intervals_bounded_by_slab",
         {"The intervals along a line that the drawing's slab edges bound, with their points.",
          {{"database", "the drawing (null: the working database)"},
           {"start, end, side",
            "the line and a point on the slab's side of it, handed to every slab edge "
            "unchanged"},
           {"distance", "how far from the line an edge may lie and still bound it"},
           {"parameters, points", "appended to, never cleared"}},
          "true when the slab edge inventory is available",
          "the interval test is the structural library's"}},
        // column rebar diagrams
        {"KORVdraw_rebar_block",
         {"Places a column's rebar diagram in paper space: a reference to the tie pattern "
          "block for the section (made first when the drawing lacks it), with its attributes "
          "and reactors.",
          {{"placement_value", "passed to the library's step to the next insertion point"},
           {"insert_point",
            "in and out: the insertion point; overwritten with the computed "
            "point when advance_insert_point is true"},
           {"advance_insert_point",
            "true: place after the last diagram, or from the schedule "
            "table's corner held in insert_point when there is none"},
           {"type_text", "the text of the attribute tagged \"Type\""},
           {"aspect_ratio", "section width divided by depth"},
           {"bars_x, bars_y",
            "bars on the faces parallel to X (corners included) and to Y "
            "(between the corners); their sum for a circular section"},
           {"is_circular", "a circular section"},
           {"tie_legs_x, tie_legs_y", "tie legs parallel to Y and to X, hoop sides included"},
           {"reactor_target", "stored in every reactor the call attaches"},
           {"text_style, text_height", "style and height of a new block's legend"}},
          "the new reference's id; the null id when it could not be placed",
          "rows of diagrams are told apart with the drawing's length tolerance, and the "
          "rightmost by more than 0.01"}},
    };
    return table;
}

// The entry of the description that names the parameter ("corner1" in "corner1, corner2").
const std::pair<std::string, std::string>* entry_for(const FunctionDoc& doc,
                                                     const std::string& parameter) {
    for (const auto& entry : doc.parameters) {
        for (size_t begin = 0; begin <= entry.first.size();) {
            size_t end = entry.first.find(", ", begin);
            if (end == std::string::npos) end = entry.first.size();
            if (entry.first.compare(begin, end - begin, parameter) == 0 &&
                end - begin == parameter.size())
                return &entry;
            begin = end + 2;
        }
    }
    return nullptr;
}

const FunctionDoc& doc_of(const ExportedFunction& function) {
    static const FunctionDoc undocumented{"(not described yet)", {}, "", ""};
    const FunctionDoc* doc = function_doc(function.name);
    return doc != nullptr ? *doc : undocumented;
}

// The text broken into lines of at most 90 characters, the first after lead, the others
// indented by four spaces.
std::string wrapped(const std::string& lead, const std::string& text) {
    constexpr size_t kWidth = 90;
    const std::string indent(4, ' ');
    std::string out = lead, line;
    size_t width = display_width(lead);
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find(' ', begin);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(begin, end - begin);
        if (width + 1 + display_width(word) > kWidth && width > indent.size()) {
            out += "\n" + indent;
            width = indent.size();
        } else if (!out.empty() && out.back() != ' ') {
            out += " ";
            ++width;
        }
        out += word;
        width += display_width(word);
        begin = end + 1;
    }
    return out + "\n";
}

}  // namespace

const FunctionDoc* function_doc(const std::string& name) {
    const auto found = docs().find(name);
    return found == docs().end() ? nullptr : &found->second;
}

void print_description(const ExportedFunction& function, std::ostream& out) {
    const FunctionDoc& doc = doc_of(function);
    out << function.usage() << "\n" << wrapped("  ", doc.purpose);
    static const char* sources[] = {"argument", "from the drawing", "output", "made for the call"};
    for (const ParameterInfo& parameter : function.parameters) {
        const auto* entry = entry_for(doc, parameter.name);
        out << wrapped("  " + parameter.name + " (" + parameter.kind + ", " +
                           sources[static_cast<int>(parameter.source)] + "):",
                       entry != nullptr ? entry->second : "-");
    }
    out << wrapped("  returns (" + function.returns + "):", doc.result);
    if (!doc.tolerances.empty()) out << wrapped("  tolerances:", doc.tolerances);
}

Json description_json(const ExportedFunction& function) {
    const FunctionDoc& doc = doc_of(function);
    Json description = functions_json({function})[0];
    description.erase("symbol");
    for (Json& parameter : description["parameters"]) {
        const auto* entry = entry_for(doc, parameter["name"].get<std::string>());
        parameter["meaning"] = entry != nullptr ? Json(entry->second) : Json();
    }
    description["purpose"] = doc.purpose;
    description["result"] = doc.result;
    description["tolerances"] = doc.tolerances;
    return description;
}

}  // namespace korv_tool
