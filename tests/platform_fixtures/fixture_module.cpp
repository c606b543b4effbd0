// A minimal application module built like the real one (an MFC extension DLL with DllMain
// and the application frame), so the host loader's tests can watch a module start and stop.
// Its exports let a test look at what the module saw. fixture_statics.cpp holds a static
// initialiser of another source file, as the module's registries are.
#include <windows.h>
#include <afxdllx.h>
#include <AcExtensionModule.h>
#include <acui.h>
#include <arxEntryPoint.h>

AC_IMPLEMENT_EXTENSION_MODULE(FixtureDLL);

class CFixtureApp : public AcRxArxApp {
public:
    AcRx::AppRetCode On_kInitAppMsg(void* pkt) override {
        const AcRx::AppRetCode retCode = AcRxArxApp::On_kInitAppMsg(pkt);
        m_pAppId = pkt;
        return retCode;
    }
    void RegisterServerComponents() override {}
    void* appId() const { return m_pAppId; }

private:
    void* m_pAppId = nullptr;
};

IMPLEMENT_ARX_ENTRYPOINT(CFixtureApp)

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        _hdllInstance = hInstance;
        FixtureDLL.AttachInstance(hInstance);
        InitAcUiDLL();
    } else if (dwReason == DLL_PROCESS_DETACH) {
        FixtureDLL.DetachInstance();
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HINSTANCE fixture_app_instance() {
    return acrxGetApp()->GetModuleInstance();
}

extern "C" __declspec(dllexport) HINSTANCE fixture_module_resource() {
    return FixtureDLL.ModuleResourceInstance();
}

extern "C" __declspec(dllexport) HINSTANCE fixture_default_resource() {
    return FixtureDLL.DefaultResourceInstance();
}

extern "C" __declspec(dllexport) HINSTANCE fixture_resource_in_override() {
    CAcModuleResourceOverride resourceOverride;
    return AfxGetResourceHandle();
}

extern "C" __declspec(dllexport) bool fixture_lock_application() {
    return acrxDynamicLinker->lockApplication(entryPointObject.appId());
}

extern "C" __declspec(dllexport) bool fixture_unlock_application() {
    return acrxDynamicLinker->unlockApplication(entryPointObject.appId());
}
