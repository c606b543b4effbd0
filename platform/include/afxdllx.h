// afxdllx.h: the raw DLL entry of an MFC extension DLL. Include it in exactly one source
// file of the DLL, the one that defines DllMain.
//
// The C runtime calls the raw entry (through _pRawDllMain) on process attach before it runs
// the DLL's static constructors. It sets the classes and factories registered so far aside in
// the module state and empties both lists, so that the lists then hold only what the DLL's
// own constructors register, until AfxInitExtensionModule captures that and puts the old
// lists back.
//
// On this platform the ordering comes from a constructor of priority 101, which runs before
// every ordinary static constructor of the shared library; it passes the instance handle the
// host loader published for the library being loaded. DllMain is declared with default
// visibility because the loader finds it by name, where Windows uses the image's entry
// point. On detach the raw entry has nothing to do, so it is not called then.
#pragma once

#include "afxwin.h"
#include "windows.h"

extern "C" __declspec(dllexport) BOOL WINAPI
    DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

static BOOL WINAPI ExtRawDllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/) {
    korv_host::note_raw_dll_entry(hInstance, dwReason);
    if (dwReason == DLL_PROCESS_ATTACH) {
        AFX_MODULE_STATE* pModuleState = AfxGetModuleState();
        pModuleState->m_pClassInit = pModuleState->m_classList;
        pModuleState->m_pFactoryInit = pModuleState->m_factoryList;
        pModuleState->m_classList.m_pHead = nullptr;
        pModuleState->m_factoryList.m_pHead = nullptr;
    }
    return TRUE;
}

// Each DLL has its own pointer, as each has its own C runtime.
extern "C" {
__attribute__((visibility("hidden")))
BOOL(WINAPI* _pRawDllMain)(HINSTANCE, DWORD, LPVOID) = &ExtRawDllMain;
}

namespace {
__attribute__((constructor(101))) void korvRawDllMainOnAttach() {
    _pRawDllMain(korv_host::instance_being_loaded(), DLL_PROCESS_ATTACH, nullptr);
}
}  // namespace
