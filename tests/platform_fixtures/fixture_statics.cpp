// The fixture module's static initialiser, in a source file of its own and linked ahead of
// the one with the raw DLL entry, so that only the entry's constructor priority puts the
// entry first. It registers a run-time class, as IMPLEMENT_DYNAMIC does, and records itself.
#include <afxwin.h>

#include <host_test/recorders.h>

namespace {

CRuntimeClass fixtureDocumentClass = {"CFixtureDocument", 0, 1, nullptr};

struct StaticInitialiser {
    StaticInitialiser() {
        host_test::record_host_call("FixtureStaticInit");
        AFX_MODULE_STATE* pModuleState = AfxGetModuleState();
        fixtureDocumentClass.m_pNextClass = pModuleState->m_classList;
        pModuleState->m_classList.m_pHead = &fixtureDocumentClass;
    }
} staticInitialiser;

}  // namespace
