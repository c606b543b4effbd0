// crtdbg.h: the C runtime's debug report, as the module's internal checks use it.
//
// _ASSERTE(expr) reports a failed expression with its text and the source file, then lets
// execution continue with the next statement (the host keeps running after a debug report
// is dismissed). The report goes to the host layer's assertion recorder and to stderr.
#pragma once

#define _CRT_WARN 0
#define _CRT_ERROR 1
#define _CRT_ASSERT 2

#define _CRT_WIDE_HELPER(s) L##s
#define _CRT_WIDE(s) _CRT_WIDE_HELPER(s)

int _CrtDbgReportW(int reportType, const wchar_t* fileName, int lineNumber,
                   const wchar_t* moduleName, const wchar_t* format, ...);

#define _ASSERTE(expr)                                                                      \
    ((!!(expr)) ? (void)0                                                                   \
                : (void)_CrtDbgReportW(_CRT_ASSERT, _CRT_WIDE(__FILE__), __LINE__, nullptr, \
                                       L"%ls", _CRT_WIDE(#expr)))
#define _ASSERT(expr) _ASSERTE(expr)
