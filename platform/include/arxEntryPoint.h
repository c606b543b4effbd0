// arxEntryPoint.h: the application frame of a module that runs inside the editor
// (ObjectARX), on top of the database-only frame of dbxEntryPoint.h.
//
// Besides classes, an editor application may register commands (on kInitAppMsg, removed on
// kUnloadAppMsg) and LISP functions (defined per document on kLoadDwgMsg, undefined on
// kUnloadDwgMsg, called through kInvkSubrMsg). Each handler runs the base frame first and
// answers with its result.
//
// This host has neither a command line nor a LISP interpreter. The tables are always empty
// with the macros this layer provides; should a table hold entries anyway, the handler that
// would register them answers kRetError, so the host refuses the application rather than
// run it without its commands or functions.
#pragma once

#include "dbxEntryPoint.h"

class AcRxArxApp : public AcRxDbxApp {
public:
    AcRxArxApp() = default;

    AcRx::AppRetCode On_kInitAppMsg(void* pkt) override {
        const AcRx::AppRetCode retCode = AcRxDbxApp::On_kInitAppMsg(pkt);
        if (acrxArxAppCommandTable != nullptr) return AcRx::kRetError;
        return retCode;
    }

    // Nothing was registered from the command table, so nothing is removed.
    AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override {
        return AcRxDbxApp::On_kUnloadAppMsg(pkt);
    }

    AcRx::AppRetCode On_kLoadDwgMsg(void* pkt) override {
        const AcRx::AppRetCode retCode = AcRxDbxApp::On_kLoadDwgMsg(pkt);
        if (acrxArxAppLispTable != nullptr) return AcRx::kRetError;
        return retCode;
    }

    // No LISP function was defined, so none is undefined or invoked.
    AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt) override {
        return AcRxDbxApp::On_kUnloadDwgMsg(pkt);
    }

    AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) override {
        return AcRxDbxApp::On_kInvkSubrMsg(pkt);
    }
};
