// describe.h: what the module's answers say, as JSON. The module answers with ids and
// records of ids; the tool opens each object for read through the host to name it. Every
// object is also given its address ("2A", or "2A@CORE" for an object of the reference
// CORE's drawing), the form in which a query takes it back as an argument.
//
// A record (KORVid_and_filename) becomes {"name", "class", "handle", "id", "file_name",
// "reference", "handle_text"}: the member's full name (null for an object that is not a
// member, such as a plan rep), its class, its handle in its own drawing, its address, the
// reference it was found through (empty for the drawing's own objects), the handle of that
// reference's insert (null when none), and the handle text the query filled (only when it
// did).
#pragma once

#include <dbid.h>
#include <nlohmann/json.hpp>

#include <list>
#include <string>
#include <utility>

#include "KORVInventory.h"

namespace korv_tool {

using Json = nlohmann::ordered_json;

// The member's full name ("C12") or the grid line's label ("A"); empty when the id opens
// as neither.
std::string member_name(AcDbObjectId id);
// {"name", "class", "handle", "id"}; null for the null id.
Json describe_object(AcDbObjectId id);
Json describe_record(const KORVid_and_filename& record);
Json describe_records(const std::list<KORVid_and_filename>& records);
Json describe_ids(const std::list<AcDbObjectId>& ids);
// [x, y, z], cleaned of rounding noise.
Json describe_point(const AcGePoint3d& point);
Json describe_numbers(const std::list<double>& numbers);
Json describe_points(const std::list<AcGePoint3d>& points);
// The names, in order, as UTF-8 strings.
Json describe_names(const std::list<std::wstring>& names);
// (member, 0) for an unsupported start, (member, 1) for an unsupported end.
Json describe_ends(const std::list<std::pair<AcDbObjectId, int>>& ends);
// [{"name", "elevation"}] for each level, in the list's order.
Json describe_levels(const std::list<KORVLevel>& levels);

}  // namespace korv_tool
