// system_variables.h: the host's system-variable table, as tests steer it.
//
// acedGetVar reads this table. Its defaults: ACADVER (string, read-only), LUNITS 2 and
// LUPREC 4 (shorts), USERS1..USERS5 (empty strings), and DWGNAME/DWGPREFIX, which follow
// the current document unless set here. A variable set here keeps that value (read-only
// ones included) until reset_host(); a cleared one no longer exists, so acedGetVar answers
// RTERROR for it as for any unknown name.
#pragma once

#include <string>

namespace host_test {

void set_string_variable(const std::wstring& name, const std::wstring& value);
void set_short_variable(const std::wstring& name, short value);
void set_real_variable(const std::wstring& name, double value);
void clear_system_variable(const std::wstring& name);
// Back to the defaults (reset_host does this).
void reset_system_variables();

}  // namespace host_test
