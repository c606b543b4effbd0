// module_loader.h: loading a module shared library the way the host loads an application.
//
// Loading publishes the instance handle the module will get, opens the library (its MFC raw
// entry runs first, then its static constructors), calls its DllMain with
// DLL_PROCESS_ATTACH, checks that it exports acrxEntryPoint and an acrxGetApiVersion of the
// host's major release, and sends it kInitAppMsg with its application id. Unloading asks the
// dynamic linker whether the application unlocked itself (the host refuses to unload a
// locked one), sends kUnloadAppMsg, calls DllMain with DLL_PROCESS_DETACH and closes the
// library. A module with no exported DllMain is loaded as if it had the C runtime's default
// one, which does nothing.
//
// Instance handles and application ids are opaque tokens owned by the LoadedModule. One file
// is loaded at most once at a time. Not thread-safe, like the host's main thread.
#pragma once

#include <rxdefs.h>
#include <windows.h>

#include <memory>
#include <string>

namespace host_test {

// The host API release this host runs, encoded as acrxGetApiVersion encodes it:
// (major << 16) | minor, 23.1 for AutoCAD 2020.
constexpr int kHostApiVersion = (23 << 16) | 1;

class LoadedModule {
public:
    // Loads and initialises the module. Throws std::runtime_error naming the file and the
    // reason when it cannot be opened, is already loaded, is not an application of this host
    // (no acrxEntryPoint, no or another major acrxGetApiVersion), or refuses DllMain or
    // kInitAppMsg; the library is closed again in each case.
    explicit LoadedModule(const std::string& path);
    // Unloads the module if it is still loaded, locked or not, as the host does at exit.
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const std::string& path() const;
    HINSTANCE instance() const;
    // The packet of kInitAppMsg and kUnloadAppMsg: the application's id with the linker.
    void* app_id() const;
    bool loaded() const;

    // Delivers a message through the module's acrxEntryPoint and returns its answer. The
    // packet is the application id for kInitAppMsg and kUnloadAppMsg, null otherwise.
    // Delivery only: sending kUnloadAppMsg does not unload.
    AcRx::AppRetCode send(AcRx::AppMsgCode message);
    AcRx::AppRetCode send(AcRx::AppMsgCode message, void* packet);

    // The address of an exported name, or null when the module does not export it.
    void* symbol(const std::string& name) const;
    // An exported function of the given type; throws std::runtime_error when not exported.
    template <class Function>
    Function* function(const std::string& name) const {
        return reinterpret_cast<Function*>(required_symbol(name));
    }

    // Unloads the module. Throws std::runtime_error, leaving the module loaded and
    // initialised, when the application is locked or answers kUnloadAppMsg with kRetError.
    // Nothing when already unloaded.
    void unload();

private:
    struct State;
    void* required_symbol(const std::string& name) const;
    std::unique_ptr<State> state_;
};

// What the dynamic linker was told about an application id: whether it may be unloaded
// (unlockApplication, not since withdrawn by lockApplication) and whether it supports several
// documents (registerAppMDIAware).
bool is_unlocked(const void* app_id);
bool is_mdi_aware(const void* app_id);
// Drops everything the linker knows about an application id, as the host does on unload.
void forget_application(const void* app_id);

}  // namespace host_test
