// windows.h: the few Win32 types, constants and calling-convention words the module and
// the MFC pieces use. On this platform the calling conventions are empty (x86-64 has one)
// and __declspec(dllexport) becomes default symbol visibility.
#pragma once

#include <cstddef>  // NULL, as the real header provides it
#include <cstdint>
#include <cwchar>

#include "guiddef.h"

typedef int BOOL;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef void* LPVOID;
typedef wchar_t WCHAR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY

#define MAX_PATH 260

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define __declspec(what) KORV_DECLSPEC_##what
#define KORV_DECLSPEC_dllexport __attribute__((visibility("default")))
#define KORV_DECLSPEC_dllimport __attribute__((visibility("default")))
#define KORV_DECLSPEC_noinline __attribute__((noinline))

// Win32 file calls used by the module's database utilities (fileapi.h / winbase.h).
DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique,
                      LPWSTR lpTempFileName);
BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);
DWORD GetLastError();

// The C runtime's case-insensitive wide string comparison, which the Windows C runtime
// declares beside the wide string functions: letters compare without regard to case in the
// "C" locale; negative, zero or positive as a sorts before, with or after b.
inline int _wcsicmp(const wchar_t* a, const wchar_t* b) {
    return wcscasecmp(a, b);
}
