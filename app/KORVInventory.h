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
