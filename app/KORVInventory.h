// KORVInventory.h: the module's exported interface.
//
// Other modules of the product call these functions on the host's main thread to ask a
// drawing structural questions, to list what it holds and to keep its inventories current.
// Inventory functions return false when the inventory they need is not available (no
// current document, no working database, a drawing that cannot be scanned) and otherwise
// true; output containers are appended to unless a function says otherwise. No exception
// ever leaves these functions.
#pragma once

#include <list>
#include <string>
#include <utility>

#include "StdAfx.h"
#include "korvdbx.h"

#ifdef KORVINVENTORY_EXPORTS
#define KORVINVENTORY_API __declspec(dllexport)
#else
#define KORVINVENTORY_API __declspec(dllimport)
#endif

// One inventoried object as the list queries return it: the object, the external
// reference block it was found through (empty for the drawing's own objects), the insert
// of that reference in the drawing (null for the drawing's own objects and for references
// nested in other references), and, from the rectangle queries only, its handle as text.
struct KORVid_and_filename {
    AcDbObjectId id;
    std::wstring file_name;
    AcDbObjectId reference_id;
    ACHAR handle_text[AcDbHandle::kStrSiz] = {};

    KORVid_and_filename() = default;
    KORVid_and_filename(AcDbObjectId object_id, const std::wstring& name, AcDbObjectId reference)
        : id(object_id), file_name(name), reference_id(reference) {}
    KORVid_and_filename(AcDbObjectId object_id, const std::wstring& name, AcDbObjectId reference,
                        const AcDbHandle& handle)
        : id(object_id), file_name(name), reference_id(reference) {
        handle.getIntoAsciiBuffer(handle_text);
    }
};

extern "C" {

// ----- document lifecycle ------------------------------------------------------------------

// True when the host's current document differs from the one seen at the previous call;
// false with no current document.
KORVINVENTORY_API bool KORVcur_document_has_changed();
// Drops every inventory kept for the document, which is about to be destroyed.
KORVINVENTORY_API void KORVinventory_document_to_be_destroyed(AcApDocument* document);

// ----- database utilities --------------------------------------------------------------------

// Reads the drawing into the database (created by the caller, empty). When the host refuses
// the file because another session holds it, reads a temporary copy instead ("dwg….TMP" in
// the temporary folder), reports it through used_copy and copy_name, and leaves it for the
// caller to remove.
KORVINVENTORY_API bool KORVloadDwgReadOnly(AcDbDatabase* database, const std::wstring& path,
                                           bool& used_copy, std::wstring& copy_name);
// Asks the host to redraw the entity; nothing for the null id.
KORVINVENTORY_API void KORVupdate_entity(AcDbObjectId id);
// The string value of a system variable; value is left as it was unless the host answered
// normally with a string. True when the host answered normally.
KORVINVENTORY_API bool KORVget_string_var(const wchar_t* name, std::wstring& value);

// ----- member maintenance and listing (the current drawing's inventories) -----------------

// Records a member the caller added to the drawing (open member, drawing coordinates).
KORVINVENTORY_API bool KORVadd_column(KORVLinear_structural_member* member);
KORVINVENTORY_API bool KORVadd_beam(KORVLinear_structural_member* member);
KORVINVENTORY_API bool KORVadd_brace(KORVLinear_structural_member* member);
// Moves the drawing's own member out of the inventory (erasing) or back (not erasing).
KORVINVENTORY_API bool KORVdelete_column(AcDbObjectId member_id, bool erasing);
KORVINVENTORY_API bool KORVdelete_beam(AcDbObjectId member_id, bool erasing);
KORVINVENTORY_API bool KORVdelete_brace(AcDbObjectId member_id);
// The member imported under the GUID: sets out.id and out.file_name only.
KORVINVENTORY_API bool KORVget_imported_column(const GUID& guid, KORVid_and_filename& out);
KORVINVENTORY_API bool KORVget_imported_beam(const GUID& guid, KORVid_and_filename& out);
KORVINVENTORY_API bool KORVget_imported_brace(const GUID& guid, KORVid_and_filename& out);
// The next free names: "C", "B" or "BR" followed by the highest number seen plus one.
KORVINVENTORY_API std::wstring KORVget_new_column_name();
KORVINVENTORY_API std::wstring KORVget_new_beam_name();
KORVINVENTORY_API std::wstring KORVget_new_brace_name();
// All columns once each, in id order (ids is cleared first).
KORVINVENTORY_API bool KORVget_columns(std::list<AcDbObjectId>& ids);
// The drawing's own columns (appended).
KORVINVENTORY_API bool KORVget_columns_in_database(std::list<AcDbObjectId>& ids);
// kind -1: every record; 0: steel, 1: concrete columns ordered by start point.
KORVINVENTORY_API bool KORVget_columns_with_filenames(int kind,
                                                      std::list<KORVid_and_filename>& result);

// ----- region queries ------------------------------------------------------------------------

KORVINVENTORY_API bool KORVfind_columns_in_rectangle(const AcGePoint3d& corner1,
                                                     const AcGePoint3d& corner2, bool flag,
                                                     const AcGeVector3d& view_direction,
                                                     bool clip_1, bool clip_2, double depth_1,
                                                     double depth_2,
                                                     std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_beams_in_rectangle(
    AcDbDatabase* database, const std::wstring& drawing_name, const AcGePoint3d& corner1,
    const AcGePoint3d& corner2, bool flag, const AcGeVector3d& view_direction, bool clip_1,
    bool clip_2, double depth_1, double depth_2, std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_braces_in_rectangle(const AcGePoint3d& corner1,
                                                    const AcGePoint3d& corner2, bool flag,
                                                    const AcGeVector3d& view_direction, bool clip_1,
                                                    bool clip_2, double depth_1, double depth_2,
                                                    std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_walls_in_rectangle(const AcGePoint3d& corner1,
                                                   const AcGePoint3d& corner2, bool flag,
                                                   const AcGeVector3d& view_direction, bool clip_1,
                                                   double depth_1, double depth_2,
                                                   AcDbDatabase* database,
                                                   const std::wstring& drawing_name,
                                                   std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_members_in_rectangle(
    bool all_beams, bool include_walls, bool flag, const AcGePoint3d& corner1,
    const AcGePoint3d& corner2, const AcGeVector3d& view_direction, bool clip_1, bool clip_2,
    double depth_1, double depth_2, AcDbDatabase* database, const std::wstring& drawing_name,
    std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_columns_in_plane_rectangle(const AcGePoint3d& corner1,
                                                           const AcGePoint3d& corner2,
                                                           std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_beams_in_plane_rectangle(const AcGePoint3d& corner1,
                                                         const AcGePoint3d& corner2, bool flag,
                                                         std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_braces_in_plane_rectangle(const AcGePoint3d& corner1,
                                                          const AcGePoint3d& corner2,
                                                          std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_walls_in_plane_rectangle(const AcGePoint3d& corner1,
                                                         const AcGePoint3d& corner2,
                                                         std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_beams_intersecting_segment(const AcGePoint3d& start,
                                                           const AcGePoint3d& end,
                                                           bool exclude_touching,
                                                           std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_columns_between_elevs(bool has_lower, double lower, bool has_upper,
                                                      double upper,
                                                      std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_walls_between_elevs(bool has_lower, double lower, bool has_upper,
                                                    double upper,
                                                    std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_braces_between_elevs(bool has_lower, double lower, bool has_upper,
                                                     double upper,
                                                     std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_lat_beams_between_elevs(double lower, bool has_upper, double upper,
                                                        std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_walls_starting_or_ending_at_point(
    const AcGePoint3d& point, const AcDbObjectId& exclude, std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_layout_columns(const AcGePoint3d& start, const AcGePoint3d& end,
                                               const std::list<double>& elevations,
                                               std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_layout_beams(const AcGePoint3d& start, const AcGePoint3d& end,
                                             const std::list<double>& elevations,
                                             std::list<KORVid_and_filename>& result);

// ----- support relation queries --------------------------------------------------------------

// Single answers: true when found; only out.id and out.file_name are written.
KORVINVENTORY_API bool KORVfind_underlying_column(const AcGePoint3d& point,
                                                  const AcDbObjectId& exclude,
                                                  KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_underlying_concrete_column(const AcGePoint3d& point,
                                                           const AcDbObjectId& exclude,
                                                           AcDbDatabase* database,
                                                           const std::wstring& drawing_name,
                                                           KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_underlying_wall(const AcGePoint3d& point,
                                                const AcDbObjectId& exclude,
                                                KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_underlying_beam(const AcGePoint3d& point1,
                                                const AcGePoint3d& point2,
                                                const AcDbObjectId& exclude,
                                                KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_Vanta_brace_underlying_beam(const AcGePoint3d& point1,
                                                            const AcGePoint3d& point2,
                                                            const AcDbObjectId& exclude,
                                                            KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_starting_column(const AcGePoint3d& point,
                                                const AcDbObjectId& exclude,
                                                KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_starting_concrete_column(const AcGePoint3d& point,
                                                         const AcDbObjectId& exclude,
                                                         AcDbDatabase* database,
                                                         const std::wstring& drawing_name,
                                                         KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_ending_column(const AcGePoint3d& point, const AcDbObjectId& exclude,
                                              KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_wall_below(const AcGePoint3d& point, const AcDbObjectId& exclude,
                                           KORVid_and_filename& out);
KORVINVENTORY_API bool KORVfind_connecting_beams(const AcGePoint3d& point,
                                                 const AcDbObjectId& exclude,
                                                 std::list<KORVid_and_filename>& result);
// (member id, 0) for an unsupported start, (member id, 1) for an unsupported end.
KORVINVENTORY_API bool KORVget_unsupported_columns(std::list<std::pair<AcDbObjectId, int>>& result);
KORVINVENTORY_API bool KORVget_unsupported_beams(std::list<std::pair<AcDbObjectId, int>>& result);
// The drawing's own beams.
KORVINVENTORY_API bool KORVget_gravity_beams_in_database(std::list<AcDbObjectId>& result);

// ----- concrete assemblies --------------------------------------------------------------------

KORVINVENTORY_API bool KORVfind_concrete_plan_reps_in_rectangle(
    bool flag, const AcGePoint3d& corner1, const AcGePoint3d& corner2,
    const AcGeVector3d& view_direction, bool clip_1, bool clip_2, double depth_1, double depth_2,
    AcDbDatabase* database, std::list<KORVid_and_filename>& result);
KORVINVENTORY_API bool KORVfind_rebar_configs_in_rectangle(bool flag, const AcGePoint3d& corner1,
                                                           const AcGePoint3d& corner2,
                                                           const AcGeVector3d& view_direction,
                                                           bool clip_1, bool clip_2, double depth_1,
                                                           double depth_2, AcDbDatabase* database,
                                                           std::list<KORVid_and_filename>& result);

// ----- slabs -----------------------------------------------------------------------------------

// The slab edges of the drawing (db null: the working database; an empty name: db's own
// drawing): slab edge objects, and lines, arcs and lightweight polylines on the default slab
// edge layer, in model space and through each insert of a resolved reference. Replaces
// edges as a whole; both selector values give the same list. The list is made on the first
// call for a drawing and kept until its document is destroyed.
KORVINVENTORY_API bool KORVget_slab_edges(AcDbDatabase* db, const std::wstring& drawing_name,
                                          bool second_list, std::list<KORVid_and_filename>& edges);
// Asks every slab edge object of db's drawing, in list order, for the intervals of the line
// start-end it bounds (KORVSlab_edge::get_intervals_aligned_with_edges, with the points as
// given, in db's coordinates); the answers are appended to parameters and points.
KORVINVENTORY_API bool KORVget_intervals_bounded_by_slab(AcDbDatabase* db, const AcGePoint3d& start,
                                                         const AcGePoint3d& end,
                                                         const AcGePoint3d& side, double distance,
                                                         std::list<double>& parameters,
                                                         std::list<AcGePoint3d>& points);

// ----- grid lines ---------------------------------------------------------------------------

// The drawing is db (null: the working database) under drawing_name (empty: the database's
// own name; required for a database of no document and no external reference). Grid lines
// are those of its model space and resolved external references, as found when the drawing
// was first asked about or last rebuilt; a grid system is the set of lines of one kind
// (linear or radial) carrying one grid system name. False when the drawing's grid lines
// are not available.
// The linear systems' names, then the radial systems' names, each run ascending (a name of
// both kinds comes twice); names is cleared first. On false names is untouched, or holds
// the linear names when only the radial ones failed.
KORVINVENTORY_API bool KORVget_grid_system_names(std::list<std::wstring>& names, AcDbDatabase* db,
                                                 const std::wstring& drawing_name);
// One kind's system names, once each, ascending; names is cleared first.
KORVINVENTORY_API bool KORVget_linear_grid_system_names(std::list<std::wstring>& names,
                                                        AcDbDatabase* db,
                                                        const std::wstring& drawing_name);
KORVINVENTORY_API bool KORVget_radial_grid_system_names(std::list<std::wstring>& names,
                                                        AcDbDatabase* db,
                                                        const std::wstring& drawing_name);
// Appends the lines of one kind whose system is named in system_names (every line of the
// kind when it is empty), in the order they were found.
KORVINVENTORY_API bool KORVget_linear_grid_lines(const std::list<std::wstring>& system_names,
                                                 AcDbDatabase* db, const std::wstring& drawing_name,
                                                 std::list<AcDbObjectId>& ids);
KORVINVENTORY_API bool KORVget_radial_grid_lines(const std::list<std::wstring>& system_names,
                                                 AcDbDatabase* db, const std::wstring& drawing_name,
                                                 std::list<AcDbObjectId>& ids);
// Scans the drawing's grid lines again, under the database's own name (null db: the working
// database).
KORVINVENTORY_API void KORVrebuild_grid_inventory(AcDbDatabase* db);

// ----- levels --------------------------------------------------------------------------------

// The levels of the drawing (the working database when null): its own, or when it defines
// none those of its resolved external references in block table order. Searched on the first
// call for (current document, the file name the database reports) and kept; levels is
// replaced when levels were found, now or earlier, and left as it was otherwise.
KORVINVENTORY_API bool KORVget_levels(AcDbDatabase* db, std::list<KORVLevel>& levels);
// Forgets every kept level list, of every document: the next KORVget_levels searches again.
KORVINVENTORY_API void KORVclear_level_inventories();

// ----- grid lists (the current document) ------------------------------------------------------

// ids is replaced by a copy of the list; false, ids untouched, without a current document.
// The plan and elevation grids are read once from model space on the first call that needs
// them, then only the add functions extend them; radial plan grids are only ever added.
KORVINVENTORY_API bool KORVget_plan_grid_list(std::list<AcDbObjectId>& ids);
KORVINVENTORY_API bool KORVget_radial_plan_grid_list(std::list<AcDbObjectId>& ids);
KORVINVENTORY_API bool KORVget_elevation_grid_list(std::list<AcDbObjectId>& ids);
// Appends the id (no test of any kind); nothing without a current document.
KORVINVENTORY_API void KORVadd_plan_grid(const AcDbObjectId& id);
KORVINVENTORY_API void KORVadd_radial_plan_grid(const AcDbObjectId& id);

// ----- concrete plan reps and beamlines -------------------------------------------------------

// The plan rep that refers to the beam of that handle, from the current document's index
// (made on its first request, never refreshed); the null id when none.
KORVINVENTORY_API AcDbObjectId
KORVget_concrete_lateral_beam_plan_rep_id(const AcDbHandle& member_handle);
// One concrete beam per concrete data object, in the data objects' id order.
KORVINVENTORY_API bool KORVget_concrete_beams_with_filenames(
    AcDbDatabase* database, bool include_cantilevers, std::list<KORVid_and_filename>& result);
// The drawing's own beamlines and those of its references, each in geometric order.
KORVINVENTORY_API bool KORVget_concrete_beamlines_ids(AcDbDatabase* database,
                                                      const std::wstring& drawing_name,
                                                      std::list<AcDbObjectId>& own_ids,
                                                      std::list<AcDbObjectId>& xref_ids);
// The marked beamlines of the database's model space within the elevation intervals whose
// kind flag equals flag; message is written only when the call fails for a reason the
// caller should be told.
KORVINVENTORY_API bool KORVfind_marked_concrete_beamlines_in_database(
    AcDbDatabase* database, const std::list<std::pair<double, double>>& intervals, bool flag,
    std::list<std::wstring>& marks, std::list<AcDbObjectId>& ids, std::wstring& message);

// ----- schedules -------------------------------------------------------------------------------
// The ids of the schedules of one kind in the working drawing's paper space, appended in
// paper-space order (a concrete schedule only when its data object is there); false, the
// list untouched, when paper space is not available or cannot be walked.
KORVINVENTORY_API bool KORVget_column_schedule_ids(std::list<AcDbObjectId>& ids);
KORVINVENTORY_API bool KORVget_concrete_column_schedule_ids(std::list<AcDbObjectId>& ids);
KORVINVENTORY_API bool KORVget_concrete_beam_schedule_ids(std::list<AcDbObjectId>& ids);
// ----- column rebar diagrams -----------------------------------------------------------------
// Places a column's rebar diagram in the working drawing's paper space: a reference of the
// tie pattern block for the section's counts (made when the drawing has none), on the
// schedule layer, its "Type" attribute given type_text, a tie pattern type reactor holding
// reactor_target_id on the reference and on each attribute. With advance_insert_point the
// insertion point is computed (after the lowest, then rightmost, diagram already placed, or
// under the table whose bottom-left corner insert_point holds) and written back; otherwise
// insert_point is used as it is. Returns the reference's id; the definition's id when the
// definition cannot be opened or walked; the null id after an exception.
KORVINVENTORY_API AcDbObjectId KORVdraw_rebar_block(
    double placement_value, AcGePoint3d& insert_point, bool advance_insert_point,
    const std::wstring& type_text, double aspect_ratio, int bars_x, int bars_y, bool is_circular,
    int tie_legs_x, int tie_legs_y, AcDbObjectId reactor_target_id, AcDbObjectId text_style_id,
    double text_height);
}  // extern "C"

// Exported under its decorated (C++) name.
KORVINVENTORY_API bool KORVget_imported_wall(const GUID& guid, KORVid_and_filename& out);
