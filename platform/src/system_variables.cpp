// The system-variable table behind acedGetVar / acedSetVar.
#include "system_variables.h"

#include <acdocman.h>
#include <adscodes.h>
#include <host_test/system_variables.h>
#include <unistd.h>

#include <map>
#include <set>

#include "text.h"

namespace korv_host {
namespace {

struct Table {
    std::map<std::wstring, SystemVariable> values;  // by upper-case name
    std::set<std::wstring> cleared;
};

SystemVariable text(const std::wstring& value, bool read_only = false) {
    return {RTSTR, value, 0, 0.0, read_only};
}
SystemVariable integer(short value) {
    return {RTSHORT, L"", value, 0.0, false};
}

Table defaults() {
    Table table;
    table.values[L"ACADVER"] = text(L"23.1s (LMS Tech)", true);
    table.values[L"LUNITS"] = integer(2);
    table.values[L"LUPREC"] = integer(4);
    for (int i = 1; i <= 5; ++i) table.values[L"USERS" + std::to_wstring(i)] = text(L"");
    return table;
}

Table& table() {
    static auto& instance = *new Table(defaults());
    return instance;
}

std::wstring current_folder() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr) return L"";
    return widen(buffer) + L"/";
}

// DWGNAME and DWGPREFIX of the current document: its file's base name and its folder with
// the trailing separator (the process's folder for a name without one).
std::optional<SystemVariable> document_variable(const std::wstring& name) {
    if (name != L"DWGNAME" && name != L"DWGPREFIX") return std::nullopt;
    AcApDocument* document = acDocManagerPtr()->curDocument();
    if (document == nullptr || document->fileName() == nullptr) return std::nullopt;
    const std::wstring path = document->fileName();
    const size_t slash = path.find_last_of(L"/\\");
    if (name == L"DWGNAME") {
        return text(slash == std::wstring::npos ? path : path.substr(slash + 1), true);
    }
    return text(slash == std::wstring::npos ? current_folder() : path.substr(0, slash + 1), true);
}

}  // namespace

std::optional<SystemVariable> find_system_variable(const std::wstring& name) {
    const std::wstring key = upper_case(name);
    auto& vars = table();
    if (vars.cleared.count(key) != 0) return std::nullopt;
    auto found = vars.values.find(key);
    if (found != vars.values.end()) return found->second;
    return document_variable(key);
}

bool assign_system_variable(const std::wstring& name, const SystemVariable& value) {
    std::optional<SystemVariable> current = find_system_variable(name);
    if (!current || current->read_only || current->type != value.type) return false;
    SystemVariable updated = value;
    updated.read_only = false;
    table().values[upper_case(name)] = updated;
    return true;
}

}  // namespace korv_host

namespace host_test {

namespace {
void put(const std::wstring& name, const korv_host::SystemVariable& value) {
    auto& vars = korv_host::table();
    const std::wstring key = korv_host::upper_case(name);
    std::optional<korv_host::SystemVariable> before = korv_host::find_system_variable(name);
    vars.cleared.erase(key);
    vars.values[key] = value;
    vars.values[key].read_only = before && before->read_only;
}
}  // namespace

void set_string_variable(const std::wstring& name, const std::wstring& value) {
    put(name, {RTSTR, value, 0, 0.0, false});
}
void set_short_variable(const std::wstring& name, short value) {
    put(name, {RTSHORT, L"", value, 0.0, false});
}
void set_real_variable(const std::wstring& name, double value) {
    put(name, {RTREAL, L"", 0, value, false});
}
void clear_system_variable(const std::wstring& name) {
    auto& vars = korv_host::table();
    const std::wstring key = korv_host::upper_case(name);
    vars.values.erase(key);
    vars.cleared.insert(key);
}
void reset_system_variables() {
    korv_host::table() = korv_host::defaults();
}

}  // namespace host_test
