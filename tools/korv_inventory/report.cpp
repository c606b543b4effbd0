#include "report.h"

#include <dbents.h>
#include <dbobjptr.h>

#include <functional>

#include "arguments.h"
#include "text.h"

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

Json point_json(const AcGePoint3d& point) {
    return Json::array({clean_number(point.x), clean_number(point.y), clean_number(point.z)});
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

void add_member_facts(const KORVLinear_structural_member& member, const AcGeMatrix3d& place,
                      Json& item) {
    item["start"] = point_json(place * member.get_start_point(true));
    item["material"] = material_text(member.material());
    item["lateral"] = member.is_lateral();
    std::list<GUID> guids;
    member.get_Vanta_guids(guids);
    Json guid_texts = Json::array();
    for (const GUID& guid : guids) guid_texts.push_back(format_guid(guid));
    item["guids"] = guid_texts;
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
            item["start"] = point_json(place * start);
    } else if (auto* reinforcement = KORVWall_reinforcement::cast(entity.object())) {
        AcGePoint3d first, second;
        if (reinforcement->get_wall_linear_geometry(first, second))
            item["start"] = point_json(place * first);
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

Json inventory_report(const InventoryModule& module, const DrawingSession& drawing) {
    Json report;
    report["drawing"] = to_utf8(drawing.file_name());
    report["references"] = references_json(drawing);
    report["counts"] = Json::object();
    for (const auto& [kind, query] : kind_queries(module, drawing)) {
        Records records;
        query(records);
        Json items = Json::array();
        for (const KORVid_and_filename& record : records) {
            Json item = describe_record(record);
            add_object_facts(record.id, placement(drawing, record), item);
            items.push_back(item);
        }
        report["counts"][kind] = items.size();
        report[kind] = items;
    }
    report["schedules"] = schedules_json(module);
    return report;
}

}  // namespace korv_tool
