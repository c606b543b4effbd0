#include "audit.h"

#include <host_test/read_repairs.h>

#include <filesystem>

#include "arguments.h"
#include "describe.h"
#include "output.h"
#include "text.h"

namespace korv_tool {
namespace {

std::string hex(uint64_t value) {
    return format_object_address(AcDbHandle(static_cast<Adesk::UInt64>(value)), L"");
}

Json repairs_json(const std::vector<host_test::ReadRepair>& repairs) {
    Json list = Json::array();
    for (const host_test::ReadRepair& repair : repairs) {
        Json item;
        item["line"] = repair.line != 0 ? Json(repair.line) : Json();
        item["handle"] = repair.handle != 0 ? Json(hex(repair.handle)) : Json();
        item["group"] = repair.group >= 0 ? Json(repair.group) : Json();
        item["what"] = repair.what;
        list.push_back(std::move(item));
    }
    return list;
}

std::string file_part(const std::wstring& file_name) {
    return to_utf8(std::filesystem::path(file_name).filename().wstring());
}

}  // namespace

ExitCode run_audit(const std::string& drawing, bool json, std::ostream& out) {
    const DrawingSession session(drawing);
    const std::vector<host_test::ReadRepair> repairs = host_test::read_repairs(session.database());
    if (json) {
        Json answer;
        answer["drawing"] = to_utf8(session.file_name());
        answer["repairs"] = repairs_json(repairs);
        out << answer.dump(2) << "\n";
        return ExitCode::kSuccess;
    }
    const std::string name = file_part(session.file_name());
    if (repairs.empty()) {
        out << name << ": read without repairs\n";
        return ExitCode::kSuccess;
    }
    out << name << ": " << repairs.size() << (repairs.size() == 1 ? " repair" : " repairs")
        << " made reading it\n";
    TextTable table({"line", "handle", "group", "repair"});
    for (const host_test::ReadRepair& repair : repairs) {
        table.add_row({repair.line != 0 ? std::to_string(repair.line) : "-",
                       repair.handle != 0 ? hex(repair.handle) : "-",
                       repair.group >= 0 ? std::to_string(repair.group) : "-", repair.what});
    }
    table.print(out, "  ");
    return ExitCode::kSuccess;
}

void note_repairs(const DrawingSession& drawing, std::ostream& err) {
    const size_t count = host_test::read_repairs(drawing.database()).size();
    if (count == 0) return;
    err << "korv-inventory: " << file_part(drawing.file_name()) << " needed " << count
        << (count == 1 ? " repair" : " repairs") << " to read (korv-inventory audit lists them)\n";
}

}  // namespace korv_tool
