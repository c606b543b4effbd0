// The application frame: message dispatch, the init and unload handlers and the
// registration tables.
#include <arxEntryPoint.h>
#include <gtest/gtest.h>
#include <rxobject.h>

#include <host_test/module_loader.h>
#include <host_test/recorders.h>
#include <string>
#include <vector>

namespace {

// Handlers of codes 0..15, in code order, each answering kRetError so that the dispatcher
// must pass the handler's answer on.
class DispatchApp : public AcRxArxApp {
public:
    std::vector<std::string> handled;
    void* lastPacket = nullptr;

#define KORV_TEST_HANDLER(NAME)                 \
    AcRx::AppRetCode NAME(void* pkt) override { \
        handled.push_back(#NAME);               \
        lastPacket = pkt;                       \
        return AcRx::kRetError;                 \
    }
    KORV_TEST_HANDLER(On_kNullMsg)
    KORV_TEST_HANDLER(On_kInitAppMsg)
    KORV_TEST_HANDLER(On_kUnloadAppMsg)
    KORV_TEST_HANDLER(On_kLoadDwgMsg)
    KORV_TEST_HANDLER(On_kUnloadDwgMsg)
    KORV_TEST_HANDLER(On_kInvkSubrMsg)
    KORV_TEST_HANDLER(On_kCfgMsg)
    KORV_TEST_HANDLER(On_kEndMsg)
    KORV_TEST_HANDLER(On_kQuitMsg)
    KORV_TEST_HANDLER(On_kSaveMsg)
    KORV_TEST_HANDLER(On_kDependencyMsg)
    KORV_TEST_HANDLER(On_kNoDependencyMsg)
    KORV_TEST_HANDLER(On_kOleUnloadAppMsg)
    KORV_TEST_HANDLER(On_kPreQuitMsg)
    KORV_TEST_HANDLER(On_kInitDialogMsg)
    KORV_TEST_HANDLER(On_kEndDialogMsg)
#undef KORV_TEST_HANDLER

    void RegisterServerComponents() override {}
};

// The base frame's handlers; records when it registers its server components.
class FrameApp : public AcRxArxApp {
public:
    FrameApp() = default;
    FrameApp(bool unlocked, bool mdiAware) {
        m_bUnlocked = unlocked;
        m_bMDIAware = mdiAware;
    }
    void RegisterServerComponents() override {
        host_test::record_host_call("RegisterServerComponents");
    }
};

}  // namespace

// The test program is the module here: the frame's globals and exported entry point.
IMPLEMENT_ARX_ENTRYPOINT(FrameApp)

namespace {

class AppFrameTest : public ::testing::Test {
protected:
    void SetUp() override { host_test::clear_host_calls(); }
    void TearDown() override {
        host_test::forget_application(&packet);
        _hdllInstance = NULL;
        acrxDbxAppClassTable = nullptr;
        acrxArxAppCommandTable = nullptr;
        acrxArxAppLispTable = nullptr;
    }
    int packet = 0;
};

TEST_F(AppFrameTest, DispatchesEachKnownMessageToItsOwnHandler) {
    const std::vector<std::string> handlers = {
        "On_kNullMsg",         "On_kInitAppMsg",  "On_kUnloadAppMsg",  "On_kLoadDwgMsg",
        "On_kUnloadDwgMsg",    "On_kInvkSubrMsg", "On_kCfgMsg",        "On_kEndMsg",
        "On_kQuitMsg",         "On_kSaveMsg",     "On_kDependencyMsg", "On_kNoDependencyMsg",
        "On_kOleUnloadAppMsg", "On_kPreQuitMsg",  "On_kInitDialogMsg", "On_kEndDialogMsg"};
    for (int code = 0; code <= 15; ++code) {
        DispatchApp app;
        EXPECT_EQ(app.acrxEntryPoint(static_cast<AcRx::AppMsgCode>(code), &packet), AcRx::kRetError)
            << code;
        EXPECT_EQ(app.handled, std::vector<std::string>{handlers[code]}) << code;
        EXPECT_EQ(app.lastPacket, &packet) << code;
    }
}

// Codes of later host releases. 31 is the largest value the enumeration can hold; a larger
// one would be undefined behaviour before it reached the module.
TEST_F(AppFrameTest, AcknowledgesLaterMessagesWithoutHandlingThem) {
    for (int code : {16, 17, 18, 31}) {
        DispatchApp app;
        EXPECT_EQ(app.acrxEntryPoint(static_cast<AcRx::AppMsgCode>(code), &packet), AcRx::kRetOK)
            << code;
        EXPECT_TRUE(app.handled.empty()) << code;
    }
    EXPECT_EQ(host_test::host_call_summary(), "");
}

TEST_F(AppFrameTest, InitAnswersTheLinkerThenRegistersServerComponents) {
    int moduleToken = 0;
    _hdllInstance = reinterpret_cast<HINSTANCE>(&moduleToken);

    EXPECT_EQ(acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);

    EXPECT_EQ(host_test::host_call_summary(),
              "unlockApplication registerAppMDIAware RegisterServerComponents");
    EXPECT_TRUE(host_test::is_unlocked(&packet));
    EXPECT_TRUE(host_test::is_mdi_aware(&packet));
    EXPECT_EQ(acrxGetApp(), &entryPointObject);
    EXPECT_EQ(entryPointObject.GetModuleInstance(), _hdllInstance);

    host_test::clear_host_calls();
    EXPECT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, &packet), AcRx::kRetOK);
    for (auto code : {AcRx::kLoadDwgMsg, AcRx::kUnloadDwgMsg, AcRx::kInvkSubrMsg}) {
        EXPECT_EQ(acrxEntryPoint(code, nullptr), AcRx::kRetOK) << code;
    }
    EXPECT_EQ(host_test::host_call_summary(), "");
}

TEST_F(AppFrameTest, LockedSingleDocumentAppLeavesTheLinkerAlone) {
    FrameApp app(false, false);
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(host_test::host_call_summary(), "RegisterServerComponents");
    EXPECT_FALSE(host_test::is_unlocked(&packet));
    EXPECT_FALSE(host_test::is_mdi_aware(&packet));
}

// Registration order, and the order classes are removed in: descendants first.
std::vector<std::string> class_events;

void initBase() {
    class_events.push_back("rxInit base");
    newAcRxClass(L"KorvFrameTestBase", L"AcRxObject");
}
void initDerived() {
    class_events.push_back("rxInit derived");
    newAcRxClass(L"KorvFrameTestDerived", L"KorvFrameTestBase");
}
AcRxClass* baseDesc() {
    class_events.push_back("remove base");
    return acrxFindAcRxClass(L"KorvFrameTestBase");
}
AcRxClass* derivedDesc() {
    class_events.push_back("remove derived");
    return acrxFindAcRxClass(L"KorvFrameTestDerived");
}

TEST_F(AppFrameTest, RegistersTheClassTableOnceAndRemovesItDescendantsFirst) {
    AcRxDbxAppClassEntry derived = {derivedDesc, initDerived, false, nullptr};
    AcRxDbxAppClassEntry base = {baseDesc, initBase, false, &derived};
    acrxDbxAppClassTable = &base;
    FrameApp app;
    class_events.clear();

    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(class_events, (std::vector<std::string>{"rxInit base", "rxInit derived"}));
    EXPECT_TRUE(base.bRegistered && derived.bRegistered);
    ASSERT_NE(acrxFindAcRxClass(L"KorvFrameTestDerived"), nullptr);

    class_events.clear();
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kUnloadAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kUnloadAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(class_events, (std::vector<std::string>{"remove derived", "remove base"}));
    EXPECT_FALSE(base.bRegistered || derived.bRegistered);
    EXPECT_EQ(acrxFindAcRxClass(L"KorvFrameTestDerived"), nullptr);
    EXPECT_EQ(acrxFindAcRxClass(L"KorvFrameTestBase"), nullptr);
}

// This host cannot register commands or LISP functions: an app that has some is refused.
TEST_F(AppFrameTest, RefusesCommandsAndLispFunctionsItCannotServe) {
    FrameApp app;
    AcRxArxAppCommandEntry command = {L"KORV", L"KORVTEST", L"KORVTEST", 0, nullptr, nullptr};
    acrxArxAppCommandTable = &command;
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetError);
    acrxArxAppCommandTable = nullptr;

    AcRxArxAppLispEntry function = {L"korv-test", nullptr, nullptr};
    acrxArxAppLispTable = &function;
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetError);
}

}  // namespace
