// The DLL entry: the module is an MFC extension DLL, so its resources join MFC's resource
// chain when it attaches, and the host's UI library is initialised for it.
#include "StdAfx.h"

#include <afxdllx.h>

AC_IMPLEMENT_EXTENSION_MODULE(KORVInventoryDLL)

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        _hdllInstance = hInstance;
        KORVInventoryDLL.AttachInstance(hInstance);
        InitAcUiDLL();
    } else if (dwReason == DLL_PROCESS_DETACH) {
        KORVInventoryDLL.DetachInstance();
    }
    return TRUE;
}
