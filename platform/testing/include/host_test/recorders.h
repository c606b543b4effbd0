// recorders.h: what the host layer saw the module do, for tests to read back.
//
// The assertion recorder keeps every debug report (_ASSERTE) in order: the expression text
// exactly as written in the source and the base name of the source file without its
// extension ("member_inventory"). The call recorder keeps the host services the module only
// calls and whose effect a test cannot otherwise observe (acdbEntUpd, unlockApplication,
// registerAppMDIAware, the MFC and Windows start-up calls).
//
// Both are process-wide, like the host itself; reset_host() (host_test.h) clears them.
#pragma once

#include <string>
#include <vector>

namespace host_test {

struct AssertionReport {
    std::string expression;  // "es == Acad::eOk"
    std::string source;      // "member_inventory"
    int line = 0;
};

std::vector<AssertionReport> assertion_reports();
void clear_assertion_reports();
// The reports as "expression@source" joined by single spaces ("db@member_inventory"), so a
// test can state the whole expected sequence in one line; empty when there were none.
std::string assertion_summary();

struct HostCall {
    std::string name;    // "acdbEntUpd", "InitAcUiDLL", "unlockApplication" ...
    std::string detail;  // call-specific: a handle, an argument in text, or empty
};

std::vector<HostCall> host_calls();
void clear_host_calls();
// Names of the recorded calls joined by single spaces, in call order.
std::string host_call_summary();
// Called by the host layer itself for every recorded service.
void record_host_call(const std::string& name, const std::string& detail = {});

}  // namespace host_test
