// dbxEntryPoint.h: the application frame that every ObjectARX/ObjectDBX module is built on.
//
// The host talks to a loaded application through one exported function, acrxEntryPoint,
// which receives a message code (AcRx::AppMsgCode) and a packet whose meaning depends on the
// message (for kInitAppMsg and kUnloadAppMsg it is the application's id with the dynamic
// linker). A module derives one class from AcRxDbxApp (or AcRxArxApp, arxEntryPoint.h),
// overrides the handlers it cares about, and names it in IMPLEMENT_ARX_ENTRYPOINT, which
// creates the single application object and the exported entry point forwarding to it.
//
// The frame owns the application's registration tables. In the host they are linker
// sections that registration macros fill at build time; here each is a singly linked list of
// entries whose head is defined, per module, by IMPLEMENT_ARX_ENTRYPOINT. This layer offers no
// macro that adds entries, so a module's tables are empty and initialising it registers no
// class, command or LISP function.
#pragma once

#include <cstddef>  // NULL

#include "AdAChar.h"
#include "adesk.h"
#include "rxdefs.h"
#include "rxdlinkr.h"
#include "windows.h"

// The module instance handle, set by the module's DllMain and kept by the application object
// on kInitAppMsg. Defined by IMPLEMENT_ARX_ENTRYPOINT.
extern HINSTANCE _hdllInstance;

// A custom class the application registers on kInitAppMsg and removes on kUnloadAppMsg.
// Entries of one module are listed parents first, as rxInit() requires the parent to exist.
struct AcRxDbxAppClassEntry {
    AcRxClass* (*pfnDesc)();
    void (*pfnRxInit)();
    bool bRegistered;
    AcRxDbxAppClassEntry* pNext;
};

// A command the application adds to the host's command stack on kInitAppMsg.
struct AcRxArxAppCommandEntry {
    const ACHAR* pszCmdGroupName;
    const ACHAR* pszCmdGlobalName;
    const ACHAR* pszCmdLocalName;
    Adesk::Int32 commandFlags;
    void (*pfnCommand)();
    AcRxArxAppCommandEntry* pNext;
};

// A LISP function the application defines in every document on kLoadDwgMsg.
struct AcRxArxAppLispEntry {
    const ACHAR* pszLispFuncName;
    int (*pfnLispFunc)();
    AcRxArxAppLispEntry* pNext;
};

// The module's tables (see above); defined by IMPLEMENT_ARX_ENTRYPOINT.
extern AcRxDbxAppClassEntry* acrxDbxAppClassTable;
extern AcRxArxAppCommandEntry* acrxArxAppCommandTable;
extern AcRxArxAppLispEntry* acrxArxAppLispTable;

class AcRxDbxApp {
public:
    AcRxDbxApp() : m_hdllInstance(NULL), m_bUnlocked(true), m_bMDIAware(true) {}
    virtual ~AcRxDbxApp() = default;
    AcRxDbxApp(const AcRxDbxApp&) = delete;
    AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

    // Takes the module instance, answers the dynamic linker according to m_bUnlocked and
    // m_bMDIAware, registers server components and the custom classes of the class table.
    virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt) {
        m_hdllInstance = _hdllInstance;
        if (m_bUnlocked) acrxDynamicLinker->unlockApplication(pkt);
        if (m_bMDIAware) acrxDynamicLinker->registerAppMDIAware(pkt);
        RegisterServerComponents();
        int nInitialised = 0;
        for (AcRxDbxAppClassEntry* pEntry = acrxDbxAppClassTable; pEntry != nullptr;
             pEntry = pEntry->pNext) {
            if (pEntry->bRegistered) continue;
            pEntry->pfnRxInit();
            pEntry->bRegistered = true;
            ++nInitialised;
        }
        if (nInitialised > 0) acrxBuildClassHierarchy();
        return AcRx::kRetOK;
    }

    // Removes the registered custom classes, descendants first.
    virtual AcRx::AppRetCode On_kUnloadAppMsg(void* /*pkt*/) {
        removeClasses(acrxDbxAppClassTable);
        return AcRx::kRetOK;
    }

    virtual AcRx::AppRetCode On_kNullMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kLoadDwgMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kInvkSubrMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kCfgMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kEndMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kQuitMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kSaveMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kDependencyMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kNoDependencyMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kOleUnloadAppMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kPreQuitMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kInitDialogMsg(void* /*pkt*/) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode On_kEndDialogMsg(void* /*pkt*/) { return AcRx::kRetOK; }

    // Hands each message the frame knows (0..15) to its handler. Codes of later host
    // releases are acknowledged without doing anything.
    AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
        switch (msg) {
            case AcRx::kNullMsg:
                return On_kNullMsg(pkt);
            case AcRx::kInitAppMsg:
                return On_kInitAppMsg(pkt);
            case AcRx::kUnloadAppMsg:
                return On_kUnloadAppMsg(pkt);
            case AcRx::kLoadDwgMsg:
                return On_kLoadDwgMsg(pkt);
            case AcRx::kUnloadDwgMsg:
                return On_kUnloadDwgMsg(pkt);
            case AcRx::kInvkSubrMsg:
                return On_kInvkSubrMsg(pkt);
            case AcRx::kCfgMsg:
                return On_kCfgMsg(pkt);
            case AcRx::kEndMsg:
                return On_kEndMsg(pkt);
            case AcRx::kQuitMsg:
                return On_kQuitMsg(pkt);
            case AcRx::kSaveMsg:
                return On_kSaveMsg(pkt);
            case AcRx::kDependencyMsg:
                return On_kDependencyMsg(pkt);
            case AcRx::kNoDependencyMsg:
                return On_kNoDependencyMsg(pkt);
            case AcRx::kOleUnloadAppMsg:
                return On_kOleUnloadAppMsg(pkt);
            case AcRx::kPreQuitMsg:
                return On_kPreQuitMsg(pkt);
            case AcRx::kInitDialogMsg:
                return On_kInitDialogMsg(pkt);
            case AcRx::kEndDialogMsg:
                return On_kEndDialogMsg(pkt);
            default:
                return AcRx::kRetOK;
        }
    }

    // COM/registry registration of the module's servers; called during kInitAppMsg.
    virtual void RegisterServerComponents() = 0;

    HINSTANCE& GetModuleInstance() { return m_hdllInstance; }

protected:
    HINSTANCE m_hdllInstance;
    bool m_bUnlocked;
    bool m_bMDIAware;

private:
    // Later entries may derive from earlier ones, so the list is unwound from its tail.
    static void removeClasses(AcRxDbxAppClassEntry* pEntry) {
        if (pEntry == nullptr) return;
        removeClasses(pEntry->pNext);
        if (!pEntry->bRegistered) return;
        deleteAcRxClass(pEntry->pfnDesc());
        pEntry->bRegistered = false;
    }
};

// The module's application object.
AcRxDbxApp* acrxGetApp();

// Defines, once per module, the instance handle, the application object of class CLASSNAME,
// the registration tables and the exported entry point the host calls.
#define IMPLEMENT_ARX_ENTRYPOINT(CLASSNAME)                                                \
    HINSTANCE _hdllInstance = NULL;                                                        \
    AcRxDbxAppClassEntry* acrxDbxAppClassTable = nullptr;                                  \
    AcRxArxAppCommandEntry* acrxArxAppCommandTable = nullptr;                              \
    AcRxArxAppLispEntry* acrxArxAppLispTable = nullptr;                                    \
    CLASSNAME entryPointObject;                                                            \
    AcRxDbxApp* acrxGetApp() {                                                             \
        return &entryPointObject;                                                          \
    }                                                                                      \
    extern "C" __declspec(dllexport) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, \
                                                                     void* pkt) {          \
        return entryPointObject.acrxEntryPoint(msg, pkt);                                  \
    }

#define IMPLEMENT_ARX_ENTRYPOINT_STD(CLASSNAME) IMPLEMENT_ARX_ENTRYPOINT(CLASSNAME)
#define IMPLEMENT_ARX_ENTRYPOINT_CLR(CLASSNAME) IMPLEMENT_ARX_ENTRYPOINT(CLASSNAME)
