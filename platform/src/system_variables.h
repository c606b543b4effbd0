// system_variables.h: the host's system-variable table (see host_test/system_variables.h).
#pragma once

#include <optional>
#include <string>

namespace korv_host {

struct SystemVariable {
    short type = 0;  // RTSTR, RTSHORT or RTREAL
    std::wstring text;
    short integer = 0;
    double real = 0.0;
    bool read_only = false;
};

// The variable's current value; nothing for an unknown (or cleared) name.
std::optional<SystemVariable> find_system_variable(const std::wstring& name);
// Sets a writable variable of that type: false for unknown, read-only or mistyped.
bool assign_system_variable(const std::wstring& name, const SystemVariable& value);

}  // namespace korv_host
