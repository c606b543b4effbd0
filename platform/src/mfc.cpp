// The MFC module state shared by the host and its extension DLLs, the extension-module
// calls, the AutoCAD UI library start-up and the raw DLL entry's record.
#include <AcExtensionModule.h>
#include <acui.h>
#include <afxwin.h>

#include <host_test/recorders.h>

namespace {

// The host executable's own instance: the resource handle current before any module.
char host_instance_tag;

AFX_MODULE_STATE& module_state() {
    // Trivially destructible, so it outlives the chain's clean-up at process end.
    static AFX_MODULE_STATE state = [] {
        AFX_MODULE_STATE initial;
        initial.m_hCurrentInstanceHandle = reinterpret_cast<HINSTANCE>(&host_instance_tag);
        initial.m_hCurrentResourceHandle = initial.m_hCurrentInstanceHandle;
        return initial;
    }();
    return state;
}

// Unlinks and deletes the chain's libraries that belong to hModule (all when bAll).
void free_libraries(HMODULE hModule, bool bAll) {
    CDynLinkLibrary** link = &module_state().m_libraryList.m_pHead;
    while (*link != nullptr) {
        CDynLinkLibrary* library = *link;
        if (bAll || library->m_hModule == hModule) {
            *link = library->m_pNextDLL;
            delete library;
        } else {
            link = &library->m_pNextDLL;
        }
    }
}

// Libraries whose module never detached live until the process ends, as under MFC.
struct ChainCleanup {
    ~ChainCleanup() { free_libraries(NULL, true); }
} chain_cleanup;

}  // namespace

AFX_MODULE_STATE* AFXAPI AfxGetModuleState() {
    return &module_state();
}

HINSTANCE AFXAPI AfxGetResourceHandle() {
    return module_state().m_hCurrentResourceHandle;
}

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource) {
    module_state().m_hCurrentResourceHandle = hInstResource;
}

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    host_test::record_host_call("AfxInitExtensionModule");
    if (state.bInitialized) return TRUE;
    AFX_MODULE_STATE& moduleState = module_state();
    state.hModule = hModule;
    state.hResource = hModule;
    // The lists hold exactly what the DLL's static constructors registered since its raw
    // entry; take that and give the lists back what they held before.
    state.pFirstSharedClass = moduleState.m_classList;
    moduleState.m_classList.m_pHead = moduleState.m_pClassInit;
    state.pFirstSharedFactory = moduleState.m_factoryList;
    moduleState.m_factoryList.m_pHead = moduleState.m_pFactoryInit;
    state.bInitialized = TRUE;
    return TRUE;
}

void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
    host_test::record_host_call("AfxTermExtensionModule", bAll ? "bAll=TRUE" : "bAll=FALSE");
    free_libraries(state.hModule, bAll != FALSE);
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule),
      m_hResource(state.hResource),
      m_bSystem(bSystem),
      m_pNextDLL(nullptr) {
    host_test::record_host_call("CDynLinkLibrary", bSystem ? "bSystem=TRUE" : "bSystem=FALSE");
    m_classList.m_pHead = state.pFirstSharedClass;
    m_factoryList.m_pHead = state.pFirstSharedFactory;
    CTypedSimpleList<CDynLinkLibrary*>& chain = module_state().m_libraryList;
    m_pNextDLL = chain.m_pHead;
    chain.m_pHead = this;
}

CDynLinkLibrary::~CDynLinkLibrary() = default;

void InitAcUiDLL() {
    host_test::record_host_call("InitAcUiDLL");
}

void korv_host::note_raw_dll_entry(HINSTANCE /*hInstance*/, DWORD dwReason) {
    host_test::record_host_call("ExtRawDllMain", dwReason == DLL_PROCESS_ATTACH
                                                     ? "DLL_PROCESS_ATTACH"
                                                     : "DLL_PROCESS_DETACH");
}
