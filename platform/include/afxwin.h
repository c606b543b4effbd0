// afxwin.h: the part of MFC that an MFC extension DLL meets while it starts and stops.
//
// An extension DLL shares the MFC module state of the host executable: one AFX_MODULE_STATE
// holding the current resource handle (where resources are looked up first), the list of
// run-time classes and of OLE class factories, and the chain of CDynLinkLibrary objects
// through which the host finds resources and classes of every loaded extension DLL.
// Starting one takes three steps: the raw DLL entry (afxdllx.h) moves the classes known so
// far aside before the DLL's static constructors run; AfxInitExtensionModule captures what
// those constructors registered and puts the old lists back; a heap CDynLinkLibrary joins
// the chain, which owns it from then on. AfxTermExtensionModule leaves the chain and frees
// the DLL's CDynLinkLibrary objects.
//
// Here the module state is process-wide, as it is for extension DLLs, and the host executable
// has an instance handle of its own, the initial resource handle. Every start-up call is
// recorded by the host call recorder.
#pragma once

#include <cstddef>  // NULL

#include "windows.h"

#define AFXAPI

class CDynLinkLibrary;

// Run-time class information of a CObject-derived class.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CRuntimeClass* m_pNextClass;
};

// An OLE class factory registered by a DLL.
class COleObjectFactory {
public:
    COleObjectFactory* m_pNextFactory = nullptr;
};

// An intrusive singly linked list: TYPE is a pointer to an element that carries its own
// link. Converting the list to TYPE gives its head, which is how MFC hands a whole list on.
template <class TYPE>
class CTypedSimpleList {
public:
    TYPE m_pHead = nullptr;

    bool IsEmpty() const { return m_pHead == nullptr; }
    TYPE GetHead() const { return m_pHead; }
    operator TYPE() const { return m_pHead; }
};

class AFX_MODULE_STATE {
public:
    HINSTANCE m_hCurrentInstanceHandle = NULL;
    HINSTANCE m_hCurrentResourceHandle = NULL;
    CTypedSimpleList<CRuntimeClass*> m_classList;
    CTypedSimpleList<COleObjectFactory*> m_factoryList;
    // What the classes and factory lists held when a DLL's raw entry set them aside.
    CRuntimeClass* m_pClassInit = nullptr;
    COleObjectFactory* m_pFactoryInit = nullptr;
    // The CDynLinkLibrary chain, most recent first.
    CTypedSimpleList<CDynLinkLibrary*> m_libraryList;
};

// The state shared by the host executable and every extension DLL; never null.
AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
// Where resources are looked up first: the module state's current resource handle.
HINSTANCE AFXAPI AfxGetResourceHandle();
void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);

// What an extension DLL keeps about itself between start-up and shut-down; zero it first.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
    CRuntimeClass* pFirstSharedClass;
    COleObjectFactory* pFirstSharedFactory;
};

// Captures the classes and factories the DLL's static constructors registered and restores
// the lists the raw entry set aside. A second call for the same state does nothing more.
// TRUE on success.
BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
// Frees this DLL's CDynLinkLibrary objects (every DLL's with bAll); call on process detach.
void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// A loaded extension DLL's place in the resource and class chain. Create it with new after a
// successful AfxInitExtensionModule; the chain owns it and AfxTermExtensionModule deletes it.
class CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule;
    HMODULE m_hResource;
    CTypedSimpleList<CRuntimeClass*> m_classList;
    CTypedSimpleList<COleObjectFactory*> m_factoryList;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;
};

// Host hooks of the raw DLL entry (afxdllx.h); not part of MFC.
namespace korv_host {
// The instance handle of the library the host loader is loading; NULL outside a load.
HINSTANCE instance_being_loaded();
// Records that a DLL's raw entry ran.
void note_raw_dll_entry(HINSTANCE hInstance, DWORD dwReason);
}  // namespace korv_host
