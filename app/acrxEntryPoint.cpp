// The application object. The module is a passive service library: it registers no
// commands, no LISP functions and no classes, and answers every host message with the
// wizard frame's defaults; it only declares itself unloadable and MDI aware.
#include "StdAfx.h"

class CInventoryApp : public AcRxArxApp {
public:
    CInventoryApp() : AcRxArxApp() {}

    AcRx::AppRetCode On_kInitAppMsg(void* pkt) override {
        AcRx::AppRetCode retCode = AcRxArxApp::On_kInitAppMsg(pkt);
        return retCode;
    }

    AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override {
        AcRx::AppRetCode retCode = AcRxArxApp::On_kUnloadAppMsg(pkt);
        return retCode;
    }

    void RegisterServerComponents() override {}
};

IMPLEMENT_ARX_ENTRYPOINT(CInventoryApp)
