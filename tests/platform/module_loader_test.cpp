// The host loader against a minimal module: start-up order, exports, messages, unloading.
#include <afxwin.h>
#include <gtest/gtest.h>

#include <host_test/module_loader.h>
#include <host_test/recorders.h>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* kFixturePath = FIXTURE_MODULE_PATH;
constexpr const char* kStartUp =
    "ExtRawDllMain FixtureStaticInit AfxInitExtensionModule CDynLinkLibrary InitAcUiDLL "
    "unlockApplication registerAppMDIAware";

std::string load_error(const std::string& path) {
    try {
        host_test::LoadedModule module(path);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "loaded";
}

std::string detail_of(const std::string& name) {
    for (const auto& call : host_test::host_calls()) {
        if (call.name == name) return call.detail;
    }
    return "<not called>";
}

class ModuleLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { host_test::clear_host_calls(); }
    void TearDown() override { AfxGetModuleState()->m_classList.m_pHead = nullptr; }
};

TEST_F(ModuleLoaderTest, StartsTheModuleInTheHostsOrderAndStopsIt) {
    // A class the host registered before: the module's start-up must leave it where it was.
    CRuntimeClass hostClass = {"CHostFrame", 0, 1, nullptr};
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_classList.m_pHead = &hostClass;
    const HINSTANCE hostResource = AfxGetResourceHandle();

    host_test::LoadedModule module(kFixturePath);

    EXPECT_EQ(host_test::host_call_summary(), kStartUp);
    EXPECT_EQ(detail_of("ExtRawDllMain"), "DLL_PROCESS_ATTACH");
    EXPECT_EQ(detail_of("CDynLinkLibrary"), "bSystem=FALSE");
    EXPECT_TRUE(host_test::is_unlocked(module.app_id()));
    EXPECT_TRUE(host_test::is_mdi_aware(module.app_id()));
    EXPECT_EQ(module.function<HINSTANCE()>("fixture_app_instance")(), module.instance());
    EXPECT_EQ(module.function<HINSTANCE()>("fixture_module_resource")(), module.instance());
    EXPECT_EQ(module.function<HINSTANCE()>("fixture_default_resource")(), hostResource);
    EXPECT_EQ(module.function<HINSTANCE()>("fixture_resource_in_override")(), module.instance());
    EXPECT_EQ(AfxGetResourceHandle(), hostResource);

    // The class the module's constructors registered went to its CDynLinkLibrary.
    EXPECT_EQ(state->m_classList.m_pHead, &hostClass);
    EXPECT_EQ(hostClass.m_pNextClass, nullptr);
    CDynLinkLibrary* library = state->m_libraryList.m_pHead;
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->m_pNextDLL, nullptr);
    EXPECT_EQ(library->m_hModule, module.instance());
    ASSERT_NE(library->m_classList.m_pHead, nullptr);
    EXPECT_STREQ(library->m_classList.m_pHead->m_lpszClassName, "CFixtureDocument");
    EXPECT_EQ(library->m_classList.m_pHead->m_pNextClass, nullptr);

    host_test::clear_host_calls();
    const void* appId = module.app_id();
    module.unload();
    EXPECT_FALSE(module.loaded());
    EXPECT_EQ(host_test::host_call_summary(), "AfxTermExtensionModule");
    EXPECT_EQ(detail_of("AfxTermExtensionModule"), "bAll=FALSE");
    EXPECT_EQ(state->m_libraryList.m_pHead, nullptr);
    EXPECT_FALSE(host_test::is_unlocked(appId));
    EXPECT_EQ(module.symbol("acrxEntryPoint"), nullptr);

    // Loaded again, it starts afresh.
    host_test::clear_host_calls();
    host_test::LoadedModule again(kFixturePath);
    EXPECT_EQ(host_test::host_call_summary(), kStartUp);
    EXPECT_EQ(again.function<HINSTANCE()>("fixture_module_resource")(), again.instance());
}

TEST_F(ModuleLoaderTest, ExportsTheEntryPointsAndNothingElseOfTheFrame) {
    host_test::LoadedModule module(kFixturePath);
    for (const char* name : {"acrxEntryPoint", "acrxGetApiVersion", "DllMain",
                             "fixture_app_instance", "fixture_lock_application"}) {
        EXPECT_NE(module.symbol(name), nullptr) << name;
    }
    EXPECT_EQ(module.function<int()>("acrxGetApiVersion")(), 0x00170001);
    for (const char* name : {"_hdllInstance", "entryPointObject", "_pRawDllMain",
                             "acrxDbxAppClassTable", "FixtureDLL"}) {
        EXPECT_EQ(module.symbol(name), nullptr) << name;
    }
    EXPECT_THROW(module.function<void()>("fixture_missing"), std::runtime_error);
}

TEST_F(ModuleLoaderTest, AnswersOtherMessagesWithOkAndRefusesToUnloadWhileLocked) {
    host_test::LoadedModule module(kFixturePath);
    ASSERT_TRUE(module.function<bool()>("fixture_lock_application")());
    host_test::clear_host_calls();
    for (int code = 0; code <= 31; ++code) {
        if (code == AcRx::kInitAppMsg || code == AcRx::kUnloadAppMsg) continue;
        EXPECT_EQ(module.send(static_cast<AcRx::AppMsgCode>(code)), AcRx::kRetOK) << code;
    }
    EXPECT_THROW(module.unload(), std::runtime_error);
    EXPECT_TRUE(module.loaded());
    EXPECT_EQ(host_test::host_call_summary(), "");

    ASSERT_TRUE(module.function<bool()>("fixture_unlock_application")());
    module.unload();
    EXPECT_FALSE(module.loaded());
}

TEST_F(ModuleLoaderTest, RejectsWhatTheHostCannotLoad) {
    const std::string missing = std::string(kFixturePath) + ".missing";
    EXPECT_NE(load_error(missing).find("module " + missing + ": cannot be loaded"),
              std::string::npos)
        << load_error(missing);

    // A library, but not an application.
    EXPECT_EQ(load_error("libm.so.6"),
              "module libm.so.6: exports no acrxEntryPoint: not an ObjectARX application");

    host_test::LoadedModule module(kFixturePath);
    EXPECT_EQ(load_error(kFixturePath),
              std::string("module ") + kFixturePath + ": is already loaded");
    EXPECT_EQ(module.send(AcRx::kNullMsg), AcRx::kRetOK);
    EXPECT_EQ(host_test::host_call_summary(), kStartUp);
}

}  // namespace
