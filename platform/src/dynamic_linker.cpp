// The host's dynamic linker: what each loaded application told it about unloading and
// multiple documents, keyed by the application's id.
#include <rxdlinkr.h>

#include <host_test/module_loader.h>
#include <host_test/recorders.h>
#include <set>

namespace {

struct Registrations {
    std::set<const void*> unlocked;
    std::set<const void*> mdi_aware;
};

Registrations& registrations() {
    static auto& instance = *new Registrations;
    return instance;
}

class HostDynamicLinker final : public AcRxDynamicLinker {};

}  // namespace

bool AcRxDynamicLinker::unlockApplication(void* appId) const {
    host_test::record_host_call("unlockApplication");
    registrations().unlocked.insert(appId);
    return true;
}

bool AcRxDynamicLinker::lockApplication(void* appId) const {
    host_test::record_host_call("lockApplication");
    registrations().unlocked.erase(appId);
    return true;
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
    host_test::record_host_call("registerAppMDIAware");
    registrations().mdi_aware.insert(appId);
    return true;
}

AcRxDynamicLinker* acrxDynamicLinkerPtr() {
    static auto& linker = *new HostDynamicLinker;
    return &linker;
}

namespace host_test {

bool is_unlocked(const void* app_id) {
    return registrations().unlocked.count(app_id) != 0;
}

bool is_mdi_aware(const void* app_id) {
    return registrations().mdi_aware.count(app_id) != 0;
}

void forget_application(const void* app_id) {
    registrations().unlocked.erase(app_id);
    registrations().mdi_aware.erase(app_id);
}

}  // namespace host_test
