#include "describe.h"

#include <dbents.h>  // before dbobjptr.h, which names AcDbBlockReference
#include <dbobjptr.h>

#include "arguments.h"
#include "drawing_session.h"
#include "text.h"

namespace korv_tool {
namespace {

Json handle_json(AcDbObjectId id) {
    if (id.isNull()) return nullptr;
    return format_object_address(id.handle(), {});
}

}  // namespace

std::string member_name(AcDbObjectId id) {
    AcDbEntityPointer entity(id, AcDb::kForRead);
    if (entity.openStatus() != Acad::eOk) return {};
    if (auto* member = KORVLinear_structural_member::cast(entity.object()))
        return to_utf8(member->get_full_member_name(false));
    if (auto* line = dynamic_cast<const KORVGrid_line_parent*>(entity.object()))
        return to_utf8(line->label());
    return {};
}

Json describe_object(AcDbObjectId id) {
    if (id.isNull()) return nullptr;
    const std::string name = member_name(id);
    Json object;
    object["name"] = name.empty() ? Json() : Json(name);
    object["class"] = id.objectClass() ? to_utf8(id.objectClass()->name()) : "";
    object["handle"] = handle_json(id);
    object["id"] = format_object_address(id.handle(), reference_name_of(id));
    return object;
}

Json describe_record(const KORVid_and_filename& record) {
    Json object = describe_object(record.id);
    if (object.is_null())
        object = {{"name", nullptr}, {"class", nullptr}, {"handle", nullptr}, {"id", nullptr}};
    object["file_name"] = to_utf8(record.file_name);
    object["reference"] = handle_json(record.reference_id);
    if (record.handle_text[0] != L'\0') object["handle_text"] = to_utf8(record.handle_text);
    return object;
}

Json describe_records(const std::list<KORVid_and_filename>& records) {
    Json list = Json::array();
    for (const KORVid_and_filename& record : records) list.push_back(describe_record(record));
    return list;
}

Json describe_ids(const std::list<AcDbObjectId>& ids) {
    Json list = Json::array();
    for (AcDbObjectId id : ids) list.push_back(describe_object(id));
    return list;
}

Json describe_point(const AcGePoint3d& point) {
    return Json::array({clean_number(point.x), clean_number(point.y), clean_number(point.z)});
}

Json describe_numbers(const std::list<double>& numbers) {
    Json list = Json::array();
    for (double number : numbers) list.push_back(clean_number(number));
    return list;
}

Json describe_points(const std::list<AcGePoint3d>& points) {
    Json list = Json::array();
    for (const AcGePoint3d& point : points) list.push_back(describe_point(point));
    return list;
}

Json describe_names(const std::list<std::wstring>& names) {
    Json list = Json::array();
    for (const std::wstring& name : names) list.push_back(to_utf8(name));
    return list;
}

Json describe_ends(const std::list<std::pair<AcDbObjectId, int>>& ends) {
    Json list = Json::array();
    for (const auto& [id, end] : ends) {
        Json object = describe_object(id);
        object["end"] = end;
        list.push_back(object);
    }
    return list;
}

Json describe_levels(const std::list<KORVLevel>& levels) {
    Json list = Json::array();
    for (const KORVLevel& level : levels) {
        list.push_back({{"name", to_utf8(level.get_name())},
                        {"elevation", clean_number(level.get_elevation())}});
    }
    return list;
}

}  // namespace korv_tool
