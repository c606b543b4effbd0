// AcExtensionModule.h: the host SDK's helper for a module that is an MFC extension DLL.
//
// CAcExtensionModule is the module's one record of its extension DLL: whether it is
// attached, the resource handle that was current when it attached (the host's) and the
// module's own. DllMain calls AttachInstance on process attach and DetachInstance on detach.
// AC_IMPLEMENT_EXTENSION_MODULE(name) defines that record once per module (and tells
// CAcModuleResourceOverride where the module's resources are); AC_DECLARE_EXTENSION_MODULE
// makes it known to the module's other source files.
//
// CAcModuleResourceOverride makes a resource handle current for the lifetime of a scope
// (the module's own by default) and restores the previous one when it ends.
#pragma once

#include <cstddef>  // NULL

#include "afxwin.h"
#include "windows.h"

class CAcExtensionModule {
public:
    CAcExtensionModule()
        : m_bAttached(FALSE), m_hDefaultResource(NULL), m_hModuleResource(NULL), m_module() {}
    CAcExtensionModule(const CAcExtensionModule&) = delete;
    CAcExtensionModule& operator=(const CAcExtensionModule&) = delete;

    BOOL Attached() const { return m_bAttached; }
    // The resource handle that was current when the module attached.
    HINSTANCE DefaultResourceInstance() const { return m_hDefaultResource; }
    // The module's own resources: its instance.
    HINSTANCE ModuleResourceInstance() const { return m_hModuleResource; }

    // Initialises the extension DLL and puts it in MFC's resource chain. FALSE when already
    // attached or when MFC refused the DLL.
    BOOL AttachInstance(HINSTANCE hExtInst) {
        if (m_bAttached) return FALSE;
        m_bAttached = AfxInitExtensionModule(m_module, hExtInst);
        if (m_bAttached) {
            m_hDefaultResource = AfxGetResourceHandle();
            m_hModuleResource = hExtInst;
            new CDynLinkLibrary(m_module);  // owned by MFC's chain from here on
        }
        return m_bAttached;
    }

    // Takes the DLL out of MFC's chain; nothing when not attached.
    void DetachInstance() {
        if (!m_bAttached) return;
        AfxTermExtensionModule(m_module);
        m_bAttached = FALSE;
    }

protected:
    BOOL m_bAttached;
    HINSTANCE m_hDefaultResource;
    HINSTANCE m_hModuleResource;
    AFX_EXTENSION_MODULE m_module;
};

class CAcModuleResourceOverride {
public:
    // Makes hInst current, or the module's own resources when hInst is NULL.
    explicit CAcModuleResourceOverride(HINSTANCE hInst = NULL)
        : m_previousResourceInstance(AfxGetResourceHandle()) {
        AfxSetResourceHandle(hInst != NULL ? hInst : ResourceInstance());
    }
    ~CAcModuleResourceOverride() { AfxSetResourceHandle(m_previousResourceInstance); }
    CAcModuleResourceOverride(const CAcModuleResourceOverride&) = delete;
    CAcModuleResourceOverride& operator=(const CAcModuleResourceOverride&) = delete;

    // The module's own resource handle; defined by AC_IMPLEMENT_EXTENSION_MODULE.
    static HINSTANCE ResourceInstance();

private:
    HINSTANCE m_previousResourceInstance;
};

#define AC_DECLARE_EXTENSION_MODULE(exm) extern CAcExtensionModule exm

#define AC_IMPLEMENT_EXTENSION_MODULE(exm)                    \
    CAcExtensionModule exm;                                   \
    HINSTANCE CAcModuleResourceOverride::ResourceInstance() { \
        return exm.ModuleResourceInstance();                  \
    }
