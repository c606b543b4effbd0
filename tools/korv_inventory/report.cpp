#include "report.h"

#include <dbents.h>
#include <dbobjptr.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "arguments.h"
#include "progress.h"
#include "drawing_session.h"
#include "text.h"
#include "tool_error.h"

namespace korv_tool {
namespace {

using Records = std::list<KORVid_and_filename>;

// A window holding everything. It looks along Y: an insert turned about Z turns such a view
// with it, so the window the module carries into the reference keeps its size. Seen from
// above, the module would turn the window's corners but not its axes, and an insert turned
// by 45 degrees would shrink the window to a line.
struct EverythingWindow {
    AcGePoint3d low{-1e9, 0.0, -1e9};
    AcGePoint3d high{1e9, 0.0, 1e9};
    AcGeVector3d view{0.0, 1.0, 0.0};
    double front = 1e9;  // nothing is in front of it
    double back = -1e9;  // nor behind it (the wall query always clips behind)
};

// Calls the module's function of that name, typed as KORVInventory.h declares it.
#define CALL_MODULE(name, ...) module.loaded().function<decltype(name)>(#name)(__VA_ARGS__)

// The inventory queries behind each kind, with the everything-window.
std::vector<std::pair<std::string, std::function<void(Records&)>>> kind_queries(
    const InventoryModule& module, const DrawingSession& drawing) {
    const EverythingWindow w;
    AcDbDatabase* db = drawing.database();
    const std::wstring name = drawing.file_name();
    return {
        {"columns",
         [&module, w](Records& r) {
             CALL_MODULE(KORVfind_columns_in_rectangle, w.low, w.high, true, w.view, false, false,
                         w.front, w.back, r);
         }},
        {"beams",
         [&module, w, db, name](Records& r) {
             CALL_MODULE(KORVfind_beams_in_rectangle, db, name, w.low, w.high, true, w.view, false,
                         false, w.front, w.back, r);
         }},
        {"braces",
         [&module, w](Records& r) {
             CALL_MODULE(KORVfind_braces_in_rectangle, w.low, w.high, true, w.view, false, false,
                         w.front, w.back, r);
         }},
        {"walls",
         [&module, w, db, name](Records& r) {
             CALL_MODULE(KORVfind_walls_in_rectangle, w.low, w.high, true, w.view, false, w.front,
                         w.back, db, name, r);
         }},
        {"plan_reps",
         [&module, w, db](Records& r) {
             CALL_MODULE(KORVfind_concrete_plan_reps_in_rectangle, true, w.low, w.high, w.view,
                         false, false, w.front, w.back, db, r);
         }},
        {"rebar_configs",
         [&module, w, db](Records& r) {
             CALL_MODULE(KORVfind_rebar_configs_in_rectangle, true, w.low, w.high, w.view, false,
                         false, w.front, w.back, db, r);
         }},
        {"slab_edges",
         [&module, db, name](Records& r) { CALL_MODULE(KORVget_slab_edges, db, name, false, r); }},
    };
}

#undef CALL_MODULE

AcGeMatrix3d insert_transform(AcDbObjectId insert_id) {
    AcDbObjectPointer<AcDbBlockReference> insert(insert_id, AcDb::kForRead);
    return insert.openStatus() == Acad::eOk ? insert->blockTransform() : AcGeMatrix3d::kIdentity;
}

// Where the record's object sits in the opened drawing. A record of a top-level reference
// names its insert. A record of a nested reference names none: the module placed it by the
// nested reference's insert inside its parent's drawing, the last one when there are
// several (a later insert's record takes the place of an earlier one's).
AcGeMatrix3d placement(const DrawingSession& drawing, const KORVid_and_filename& record) {
    if (!record.reference_id.isNull()) return insert_transform(record.reference_id);
    if (record.file_name.empty()) return AcGeMatrix3d::kIdentity;
    AcDbBlockTableRecordPointer nested(record.file_name.c_str(), drawing.database(),
                                       AcDb::kForRead);
    AcDbObjectIdArray inserts;
    if (nested.openStatus() == Acad::eOk) nested->getBlockReferenceIds(inserts);
    return inserts.isEmpty() ? AcGeMatrix3d::kIdentity
                             : insert_transform(inserts[inserts.length() - 1]);
}

const char* material_text(KORVLinear_structural_member::Material material) {
    switch (material) {
        case KORVLinear_structural_member::kSteel:
            return "steel";
        case KORVLinear_structural_member::kConcrete:
            return "concrete";
        case KORVLinear_structural_member::kWood:
            return "wood";
        case KORVLinear_structural_member::kOtherMaterial:
            break;
    }
    return "other";
}

// The item's ends in the opened drawing, with the top elevation (the higher end's Z; a
// wall's is raised by its height below) and the length between them.
void add_ends(const AcGePoint3d& start, const AcGePoint3d& end, Json& item) {
    item["start"] = describe_point(start);
    item["end"] = describe_point(end);
    item["top"] = clean_number(std::max(start.z, end.z));
    item["length"] = clean_number(start.distanceTo(end));
}

void add_member_facts(const KORVLinear_structural_member& member, const AcGeMatrix3d& place,
                      Json& item) {
    add_ends(place * member.get_start_point(true), place * member.get_end_point(true), item);
    if (auto* wall = KORVWall_3::cast(&member)) {  // its top is the base raised by its height
        const double height = std::max(wall->get_start_height(true), wall->get_end_height(true));
        item["top"] = clean_number(item["top"].get<double>() + height);
    }
    item["material"] = material_text(member.material());
    item["lateral"] = member.is_lateral();
    std::list<GUID> guids;
    member.get_Vanta_guids(guids);
    Json guid_texts = Json::array();
    for (const GUID& guid : guids) guid_texts.push_back(format_guid(guid));
    item["guids"] = guid_texts;
}

// Where a slab outline piece starts and what it is drawn as.
void add_slab_outline_facts(const AcDbEntity* entity, const AcGeMatrix3d& place, Json& item) {
    AcGePoint3d start;
    if (auto* edge = KORVSlab_edge::cast(entity)) {
        start = edge->start_point();
        item["drawn_as"] = "slab edge";
    } else if (auto* line = AcDbLine::cast(entity)) {
        start = line->startPoint();
        item["drawn_as"] = "line";
    } else if (auto* arc = AcDbArc::cast(entity)) {
        const AcGeVector3d radius(std::cos(arc->startAngle()), std::sin(arc->startAngle()), 0.0);
        start = arc->center() + radius * arc->radius();
        item["drawn_as"] = "arc";
    } else if (auto* polyline = AcDbPolyline::cast(entity)) {
        polyline->getPointAt(0, start);
        item["drawn_as"] = "polyline";
    } else {
        return;
    }
    item["start"] = describe_point(place * start);
}

void add_object_facts(AcDbObjectId id, const AcGeMatrix3d& place, Json& item) {
    AcDbEntityPointer entity(id, AcDb::kForRead);
    if (entity.openStatus() != Acad::eOk) return;
    if (auto* member = KORVLinear_structural_member::cast(entity.object())) {
        add_member_facts(*member, place, item);
    } else if (auto* plan_rep = KORVConcrete_lateral_beam_plan_rep::cast(entity.object())) {
        AcGePoint3d start, end;
        AcGeMatrix3d start_frame, end_frame;
        if (plan_rep->get_end_points(true, start, end, start_frame, end_frame))
            add_ends(place * start, place * end, item);
    } else if (auto* reinforcement = KORVWall_reinforcement::cast(entity.object())) {
        AcGePoint3d first, second;
        if (reinforcement->get_wall_linear_geometry(first, second))
            add_ends(place * first, place * second, item);
    } else {
        add_slab_outline_facts(entity.object(), place, item);
    }
}

Json references_json(const DrawingSession& drawing) {
    Json references = Json::array();
    for (const ReferenceSummary& reference : drawing.references()) {
        references.push_back({{"name", to_utf8(reference.name)},
                              {"path", to_utf8(reference.path)},
                              {"status", reference.status},
                              {"inserts", reference.insert_count},
                              {"nested_in", to_utf8(reference.nested_in)}});
    }
    return references;
}

bool wanted(const std::vector<std::string>& filter, const std::string& value) {
    return filter.empty() || std::find(filter.begin(), filter.end(), value) != filter.end();
}

// Every grid system of each kind, linear ones first, with its lines as the module lists
// them.
Json grid_systems_json(const InventoryModule& module, const DrawingSession& drawing) {
    typedef bool Names(std::list<std::wstring>&, AcDbDatabase*, const std::wstring&);
    typedef bool Lines(const std::list<std::wstring>&, AcDbDatabase*, const std::wstring&,
                       std::list<AcDbObjectId>&);
    const struct {
        const char* kind;
        const char* names;
        const char* lines;
    } kinds[] = {
        {"linear", "KORVget_linear_grid_system_names", "KORVget_linear_grid_lines"},
        {"radial", "KORVget_radial_grid_system_names", "KORVget_radial_grid_lines"},
    };
    AcDbDatabase* db = drawing.database();
    const std::wstring drawing_name = drawing.file_name();
    Json systems = Json::array();
    for (const auto& kind : kinds) {
        std::list<std::wstring> names;
        module.loaded().function<Names>(kind.names)(names, db, drawing_name);
        for (const std::wstring& name : names) {
            std::list<AcDbObjectId> lines;
            module.loaded().function<Lines>(kind.lines)({name}, db, drawing_name, lines);
            systems.push_back(
                {{"name", to_utf8(name)}, {"kind", kind.kind}, {"lines", describe_ids(lines)}});
        }
    }
    return systems;
}

// The drawing's levels and the current document's grid lists, each as its query gives it.
void add_levels_and_grid_lists(const InventoryModule& module, const DrawingSession& drawing,
                               Json& report) {
    std::list<KORVLevel> levels;
    module.loaded().function<decltype(KORVget_levels)>("KORVget_levels")(drawing.database(),
                                                                         levels);
    report["levels"] = describe_levels(levels);
    const std::pair<const char*, const char*> grid_lists[] = {
        {"plan_grids", "KORVget_plan_grid_list"},
        {"radial_plan_grids", "KORVget_radial_plan_grid_list"},
        {"elevation_grids", "KORVget_elevation_grid_list"}};
    for (const auto& [key, function] : grid_lists) {
        std::list<AcDbObjectId> ids;
        module.loaded().function<decltype(KORVget_plan_grid_list)>(function)(ids);
        report[key] = describe_ids(ids);
    }
}

// The drawing's concrete beamlines, then those of its references, each in the module's
// order: named by their marks, with their ends in their own drawing's coordinates.
Json beamlines_json(const InventoryModule& module, const DrawingSession& drawing) {
    std::list<AcDbObjectId> own, referenced;
    module.loaded().function<decltype(KORVget_concrete_beamlines_ids)>(
        "KORVget_concrete_beamlines_ids")(drawing.database(), drawing.file_name(), own, referenced);
    own.splice(own.end(), referenced);
    Json items = Json::array();
    for (AcDbObjectId id : own) {
        Json item = describe_object(id);
        item["file_name"] = to_utf8(reference_name_of(id));
        item["reference"] = nullptr;
        AcDbObjectPointer<KORVConcrete_beamline> beamline(id, AcDb::kForRead);
        if (beamline.openStatus() == Acad::eOk) {
            item["name"] = to_utf8(beamline->get_mark());
            AcGePoint3d start, end;
            if (beamline->get_positive_orientation_start_point(start))
                item["start"] = describe_point(start);
            if (beamline->get_positive_orientation_end_point(end))
                item["end"] = describe_point(end);
            item["kind_flag"] = beamline->get_kind_flag();
        }
        items.push_back(item);
    }
    return items;
}

// The schedules of paper space as the module lists them, kind by kind: each object with its
// kind and title.
Json schedules_json(const InventoryModule& module) {
    using List = bool(std::list<AcDbObjectId>&);
    const std::pair<const char*, const char*> kinds[] = {
        {"column schedule", "KORVget_column_schedule_ids"},
        {"concrete column schedule", "KORVget_concrete_column_schedule_ids"},
        {"concrete beam schedule", "KORVget_concrete_beam_schedule_ids"}};
    Json schedules = Json::array();
    for (const auto& [kind, function] : kinds) {
        std::list<AcDbObjectId> ids;
        module.loaded().function<List>(function)(ids);
        for (AcDbObjectId id : ids) {
            Json item = describe_object(id);
            item["kind"] = kind;
            AcDbObjectPointer<KORVSchedule> schedule(id, AcDb::kForRead);
            if (schedule.openStatus() == Acad::eOk) item["title"] = to_utf8(schedule->title());
            schedules.push_back(item);
        }
    }
    return schedules;
}

}  // namespace

Json inventory_report(const InventoryModule& module, const DrawingSession& drawing,
                      const ReportFilter& filter) {
    Json report;
    report["drawing"] = to_utf8(drawing.file_name());
    report["references"] = references_json(drawing);
    report["counts"] = Json::object();
    const auto queries = kind_queries(module, drawing);
    std::vector<std::string> known;
    for (const auto& query : queries) known.push_back(query.first);
    known.push_back("concrete_beamlines");  // listed by the module's own order, not a query
    for (const std::string& kind : filter.kinds) {
        if (std::find(known.begin(), known.end(), kind) == known.end())
            throw ToolError(ExitCode::kArgument, unknown_name_message("kind", kind, known));
    }
    const Progress progress("reporting on " + to_utf8(drawing.file_name()));
    for (const auto& [kind, query] : queries) {
        if (!wanted(filter.kinds, kind)) continue;
        progress.show(kind);
        Records records;
        query(records);
        Json items = Json::array();
        for (const KORVid_and_filename& record : records) {
            const std::string reference =
                record.file_name.empty() ? "-" : to_utf8(record.file_name);
            if (!wanted(filter.references, reference)) continue;
            Json item = describe_record(record);
            add_object_facts(record.id, placement(drawing, record), item);
            items.push_back(item);
        }
        report["counts"][kind] = items.size();
        report[kind] = items;
    }
    report["grid_systems"] = grid_systems_json(module, drawing);
    add_levels_and_grid_lists(module, drawing, report);
    if (wanted(filter.kinds, "concrete_beamlines")) {
        report["concrete_beamlines"] = beamlines_json(module, drawing);
        report["counts"]["concrete_beamlines"] = report["concrete_beamlines"].size();
    }
    report["schedules"] = schedules_json(module);
    return report;
}

}  // namespace korv_tool
