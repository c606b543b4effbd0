// The assertion and call recorders, and the C runtime's debug report that feeds the first.
#include <crtdbg.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <host_test/recorders.h>
#include <string>
#include <vector>

#include "text.h"

namespace host_test {
namespace {

std::vector<AssertionReport>& reports() {
    static auto& instance = *new std::vector<AssertionReport>;
    return instance;
}

std::vector<HostCall>& calls() {
    static auto& instance = *new std::vector<HostCall>;
    return instance;
}

// "…/inventory2007/member_inventory.cpp" -> "member_inventory".
std::string source_base_name(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = base.find_last_of('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

}  // namespace

std::vector<AssertionReport> assertion_reports() {
    return reports();
}
void clear_assertion_reports() {
    reports().clear();
}

std::string assertion_summary() {
    std::string text;
    for (const auto& report : reports()) {
        if (!text.empty()) text += ' ';
        text += report.expression + "@" + report.source;
    }
    return text;
}

std::vector<HostCall> host_calls() {
    return calls();
}
void clear_host_calls() {
    calls().clear();
}

std::string host_call_summary() {
    std::string text;
    for (const auto& call : calls()) {
        if (!text.empty()) text += ' ';
        text += call.name;
    }
    return text;
}

void record_host_call(const std::string& name, const std::string& detail) {
    calls().push_back({name, detail});
}

void record_assertion(const std::string& expression, const std::string& file, int line) {
    reports().push_back({expression, source_base_name(file), line});
    std::fprintf(stderr, "debug report: %s (%s:%d)\n", expression.c_str(), file.c_str(), line);
}

}  // namespace host_test

int _CrtDbgReportW(int /*reportType*/, const wchar_t* fileName, int lineNumber,
                   const wchar_t* /*moduleName*/, const wchar_t* format, ...) {
    wchar_t message[1024] = {};
    va_list arguments;
    va_start(arguments, format);
    std::vswprintf(message, sizeof message / sizeof message[0], format, arguments);
    va_end(arguments);
    host_test::record_assertion(korv_host::narrow(message),
                                korv_host::narrow(fileName ? fileName : L""), lineNumber);
    return 0;  // 0: the user chose to go on; no break into a debugger
}
