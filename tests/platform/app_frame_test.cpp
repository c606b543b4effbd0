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

// Handlers of codes 0..15, each recording its own code and answering kRetError so that the
// dispatcher must pass the handler's answer on.
class DispatchApp : public AcRxArxApp {
public:
    std::vector<int> handled;
    void* lastPacket = nullptr;

#define KORV_TEST_HANDLER(CODE)                      \
    AcRx::AppRetCode On_##CODE(void* pkt) override { \
        handled.push_back(AcRx::CODE);               \
        lastPacket = pkt;                            \
        return AcRx::kRetError;                      \
    }
    KORV_TEST_HANDLER(kNullMsg)
    KORV_TEST_HANDLER(kInitAppMsg)
    KORV_TEST_HANDLER(kUnloadAppMsg)
    KORV_TEST_HANDLER(kLoadDwgMsg)
    KORV_TEST_HANDLER(kUnloadDwgMsg)
    KORV_TEST_HANDLER(kInvkSubrMsg)
    KORV_TEST_HANDLER(kCfgMsg)
    KORV_TEST_HANDLER(kEndMsg)
    KORV_TEST_HANDLER(kQuitMsg)
    KORV_TEST_HANDLER(kSaveMsg)
    KORV_TEST_HANDLER(kDependencyMsg)
    KORV_TEST_HANDLER(kNoDependencyMsg)
    KORV_TEST_HANDLER(kOleUnloadAppMsg)
    KORV_TEST_HANDLER(kPreQuitMsg)
    KORV_TEST_HANDLER(kInitDialogMsg)
    KORV_TEST_HANDLER(kEndDialogMsg)
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

// Codes 16 and up belong to later host releases and are acknowledged unhandled. 31 is the
// largest value the enumeration can hold; a larger one would be undefined behaviour before
// it reached the module.
TEST_F(AppFrameTest, DispatchesEachKnownMessageToItsOwnHandler) {
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 31}) {
        DispatchApp app;
        const bool known = code <= 15;
        EXPECT_EQ(app.acrxEntryPoint(static_cast<AcRx::AppMsgCode>(code), &packet),
                  known ? AcRx::kRetError : AcRx::kRetOK)
            << code;
        EXPECT_EQ(app.handled, known ? std::vector<int>{code} : std::vector<int>{}) << code;
        EXPECT_EQ(app.lastPacket, known ? &packet : nullptr) << code;
    }
    EXPECT_EQ(host_test::host_call_summary(), "");
}

TEST_F(AppFrameTest, InitAnswersTheLinkerThenRegistersServerComponents) {
    int moduleToken = 0;
    _hdllInstance = reinterpret_cast<HINSTANCE>(&moduleToken);

    EXPECT_EQ(acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);

    EXPECT_EQ(host_test::host_call_summary(),
              "unlockApplication registerAppMDIAware RegisterServerComponents");
    EXPECT_TRUE(host_test::is_unlocked(&packet) && host_test::is_mdi_aware(&packet));
    EXPECT_EQ(acrxGetApp(), &entryPointObject);
    EXPECT_EQ(entryPointObject.GetModuleInstance(), _hdllInstance);

    host_test::clear_host_calls();
    EXPECT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, &packet), AcRx::kRetOK);
    for (auto code : {AcRx::kLoadDwgMsg, AcRx::kUnloadDwgMsg, AcRx::kInvkSubrMsg}) {
        EXPECT_EQ(acrxEntryPoint(code, nullptr), AcRx::kRetOK) << code;
    }
    EXPECT_EQ(host_test::host_call_summary(), "");

    // A locked, single-document app leaves the linker alone.
    host_test::clear_host_calls();
    FrameApp locked(false, false);
    int other_packet = 0;
    EXPECT_EQ(locked.acrxEntryPoint(AcRx::kInitAppMsg, &other_packet), AcRx::kRetOK);
    EXPECT_EQ(host_test::host_call_summary(), "RegisterServerComponents");
    EXPECT_FALSE(host_test::is_unlocked(&other_packet) || host_test::is_mdi_aware(&other_packet));
    host_test::forget_application(&other_packet);
}

// Registration order, and the order classes are removed in: descendants first.
std::vector<std::string> class_events;

#define KORV_CLASS_HOOKS(WHO, NAME, PARENT)     \
    void init_##WHO() {                         \
        class_events.push_back("rxInit " #WHO); \
        newAcRxClass(NAME, PARENT);             \
    }                                           \
    AcRxClass* desc_##WHO() {                   \
        class_events.push_back("remove " #WHO); \
        return acrxFindAcRxClass(NAME);         \
    }
KORV_CLASS_HOOKS(base, L"KorvFrameTestBase", L"AcRxObject")
KORV_CLASS_HOOKS(derived, L"KorvFrameTestDerived", L"KorvFrameTestBase")
#undef KORV_CLASS_HOOKS

TEST_F(AppFrameTest, RegistersClassesOnceRemovesDescendantsFirstRefusesCommands) {
    AcRxDbxAppClassEntry derived = {desc_derived, init_derived, false, nullptr};
    AcRxDbxAppClassEntry base = {desc_base, init_base, false, &derived};
    acrxDbxAppClassTable = &base;
    FrameApp app;
    class_events.clear();

    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(class_events, (std::vector<std::string>{"rxInit base", "rxInit derived"}));
    EXPECT_TRUE(base.bRegistered && derived.bRegistered);

    class_events.clear();
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kUnloadAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kUnloadAppMsg, &packet), AcRx::kRetOK);
    EXPECT_EQ(class_events, (std::vector<std::string>{"remove derived", "remove base"}));
    EXPECT_FALSE(base.bRegistered || derived.bRegistered);
    EXPECT_EQ(acrxFindAcRxClass(L"KorvFrameTestDerived"), nullptr);

    // This host cannot register commands or LISP functions: an app that has some is refused.
    AcRxArxAppCommandEntry command = {L"KORV", L"KORVTEST", L"KORVTEST", 0, nullptr, nullptr};
    acrxArxAppCommandTable = &command;
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kInitAppMsg, &packet), AcRx::kRetError);
    acrxArxAppCommandTable = nullptr;

    AcRxArxAppLispEntry function = {L"korv-test", nullptr, nullptr};
    acrxArxAppLispTable = &function;
    EXPECT_EQ(app.acrxEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetError);
}

// A class removed stays a valid descriptor for the objects that still have it, and a
// class registered again under its name is a new one; only registered classes are found.
TEST(RxClassRegistry, ARemovedClassStaysValidAndItsNameCanBeRegisteredAgain) {
    AcRxClass* first =
        newAcRxClass(L"KorvReRegistered", L"AcRxObject", 0, 0, 0, nullptr, L"KORV_REREGISTERED");
    ASSERT_EQ(acrxFindAcRxClassByDxfName(L"korv_reregistered"), first);
    deleteAcRxClass(first);
    EXPECT_EQ(acrxFindAcRxClassByDxfName(L"KORV_REREGISTERED"), nullptr);
    AcRxClass* again = newAcRxClass(L"KorvReRegistered", L"AcRxClass");
    ASSERT_NE(again, first);
    EXPECT_EQ(std::wstring(first->name()), L"KorvReRegistered");
    EXPECT_TRUE(first->isDerivedFrom(AcRxObject::desc()));
    EXPECT_FALSE(AcRxClass::isDerivedFrom(first, again) || again->isDerivedFrom(first));
    EXPECT_EQ(acrxFindAcRxClass(L"KorvReRegistered"), again);
    deleteAcRxClass(again);
}

}  // namespace
