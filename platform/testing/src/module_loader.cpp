// The host loader: opens a module library, runs its start-up in the host's order, delivers
// messages and shuts it down again.
#include <afxwin.h>
#include <dlfcn.h>

#include <host_test/module_loader.h>
#include <set>
#include <stdexcept>
#include <string>

namespace {

using DllMainFunction = BOOL(HINSTANCE, DWORD, LPVOID);
using EntryPointFunction = AcRx::AppRetCode(AcRx::AppMsgCode, void*);
using ApiVersionFunction = int();

// Published for the raw DLL entry, which runs inside dlopen before anything can be passed.
HINSTANCE instance_loading = NULL;

class PublishedInstance {
public:
    explicit PublishedInstance(HINSTANCE instance) { instance_loading = instance; }
    ~PublishedInstance() { instance_loading = NULL; }
    PublishedInstance(const PublishedInstance&) = delete;
    PublishedInstance& operator=(const PublishedInstance&) = delete;
};

// Library handles of the modules loaded now: dlopen hands out the same handle for a file
// that is already open, however it is named.
std::set<void*>& open_modules() {
    static std::set<void*> handles;
    return handles;
}

void* find_symbol(void* handle, const std::string& name) {
    dlerror();
    return dlsym(handle, name.c_str());
}

}  // namespace

HINSTANCE korv_host::instance_being_loaded() {
    return instance_loading;
}

namespace host_test {

struct LoadedModule::State {
    std::string path;
    void* handle = nullptr;
    DllMainFunction* dll_main = nullptr;
    EntryPointFunction* entry_point = nullptr;
    bool loaded = false;
    // Their addresses are the module's instance handle and application id.
    char instance_token = 0;
    char app_token = 0;

    HINSTANCE instance() { return reinterpret_cast<HINSTANCE>(&instance_token); }

    // DllMain on detach, then the library closes; the module is gone afterwards.
    void close(bool attached) {
        if (attached && dll_main != nullptr) dll_main(instance(), DLL_PROCESS_DETACH, nullptr);
        forget_application(&app_token);
        open_modules().erase(handle);
        dlclose(handle);
        handle = nullptr;
        loaded = false;
    }

    [[noreturn]] void fail(const std::string& reason, bool attached) {
        close(attached);
        throw std::runtime_error("module " + path + ": " + reason);
    }
};

LoadedModule::LoadedModule(const std::string& path) : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.path = path;
    {
        PublishedInstance published(state.instance());
        state.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (state.handle == nullptr) {
        const char* reason = dlerror();
        throw std::runtime_error("module " + path +
                                 ": cannot be loaded: " + (reason ? reason : "unknown reason"));
    }
    if (!open_modules().insert(state.handle).second) {
        dlclose(state.handle);  // drop the extra reference only
        throw std::runtime_error("module " + path + ": is already loaded");
    }

    state.dll_main = reinterpret_cast<DllMainFunction*>(find_symbol(state.handle, "DllMain"));
    if (state.dll_main != nullptr &&
        !state.dll_main(state.instance(), DLL_PROCESS_ATTACH, nullptr)) {
        state.fail("DllMain refused DLL_PROCESS_ATTACH", true);
    }

    state.entry_point =
        reinterpret_cast<EntryPointFunction*>(find_symbol(state.handle, "acrxEntryPoint"));
    if (state.entry_point == nullptr) {
        state.fail("exports no acrxEntryPoint: not an ObjectARX application", true);
    }
    auto* api_version =
        reinterpret_cast<ApiVersionFunction*>(find_symbol(state.handle, "acrxGetApiVersion"));
    if (api_version == nullptr) {
        state.fail("exports no acrxGetApiVersion: not built with the host SDK", true);
    }
    const int version = api_version();
    if ((version >> 16) != (kHostApiVersion >> 16)) {
        state.fail("is built for host API release " + std::to_string(version >> 16) + "." +
                       std::to_string(version & 0xFFFF) + ", this host runs " +
                       std::to_string(kHostApiVersion >> 16) + "." +
                       std::to_string(kHostApiVersion & 0xFFFF),
                   true);
    }

    state.loaded = true;
    if (send(AcRx::kInitAppMsg) != AcRx::kRetOK) {
        state.fail("answered kInitAppMsg with an error", true);
    }
}

LoadedModule::~LoadedModule() {
    if (!state_->loaded) return;
    send(AcRx::kUnloadAppMsg);
    state_->close(true);
}

const std::string& LoadedModule::path() const {
    return state_->path;
}
HINSTANCE LoadedModule::instance() const {
    return state_->instance();
}
void* LoadedModule::app_id() const {
    return &state_->app_token;
}
bool LoadedModule::loaded() const {
    return state_->loaded;
}

AcRx::AppRetCode LoadedModule::send(AcRx::AppMsgCode message) {
    const bool about_the_application =
        message == AcRx::kInitAppMsg || message == AcRx::kUnloadAppMsg;
    return send(message, about_the_application ? app_id() : nullptr);
}

AcRx::AppRetCode LoadedModule::send(AcRx::AppMsgCode message, void* packet) {
    if (!state_->loaded) {
        throw std::runtime_error("module " + state_->path + ": is not loaded");
    }
    return state_->entry_point(message, packet);
}

void* LoadedModule::symbol(const std::string& name) const {
    return state_->loaded ? find_symbol(state_->handle, name) : nullptr;
}

void* LoadedModule::required_symbol(const std::string& name) const {
    void* address = symbol(name);
    if (address == nullptr) {
        throw std::runtime_error("module " + state_->path + ": does not export " + name);
    }
    return address;
}

void LoadedModule::unload() {
    if (!state_->loaded) return;
    if (!is_unlocked(app_id())) {
        throw std::runtime_error("module " + state_->path +
                                 ": is locked, the host refuses to unload it");
    }
    if (send(AcRx::kUnloadAppMsg) != AcRx::kRetOK) {
        throw std::runtime_error("module " + state_->path + ": refused kUnloadAppMsg");
    }
    state_->close(true);
}

}  // namespace host_test
