// rxdlinkr.h: the host's dynamic linker, the service that loads and unloads applications.
//
// An application is identified by the opaque packet the host hands to its acrxEntryPoint
// with AcRx::kInitAppMsg (the "app id"). With it the application tells the linker whether it
// may be unloaded on request (unlockApplication / lockApplication; locked is the host's
// default) and whether it copes with several open documents (registerAppMDIAware). The
// linker is a host-owned singleton reached through the acrxDynamicLinker macro; applications
// never create or delete it.
//
// Here the linker keeps both answers per app id so that the host loader can refuse to
// unload a locked application; each call is also recorded by the host call recorder.
#pragma once

class AcRxClass;

class AcRxDynamicLinker {
public:
    // Allows the host to unload the application on request. Always true here.
    virtual bool unlockApplication(void* appId) const;
    // Withdraws that permission again. Always true here.
    virtual bool lockApplication(void* appId) const;
    // Declares that the application supports several open documents. Always true here.
    virtual bool registerAppMDIAware(void* appId) const;

protected:
    AcRxDynamicLinker() = default;
    virtual ~AcRxDynamicLinker() = default;
    AcRxDynamicLinker(const AcRxDynamicLinker&) = delete;
    AcRxDynamicLinker& operator=(const AcRxDynamicLinker&) = delete;
};

// The host's linker; never null.
AcRxDynamicLinker* acrxDynamicLinkerPtr();
#define acrxDynamicLinker acrxDynamicLinkerPtr()

// Completes the run-time class tree after an application registered its classes.
void acrxBuildClassHierarchy();
// Unregisters a class an application registered (its descendants must be gone first).
void deleteAcRxClass(AcRxClass* pClassObj);
