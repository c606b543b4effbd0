// The process-wide registry of run-time class descriptors.
#include <rxdlinkr.h>
#include <rxobject.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rx_registry.h"
#include "text.h"

struct AcRxClass::Record {
    std::wstring name;
    std::wstring app_name;
    std::wstring dxf_name;
    AcRxClass* parent = nullptr;
    std::vector<const AcRxClass*> lineage;  // from the root down to the class itself
    int proxy_flags = 0;
    AcRxPseudoConstructor maker = nullptr;
};

namespace {

struct Registry {
    std::map<std::wstring, std::unique_ptr<AcRxClass>> by_name;
    // Every record ever made: a retired descriptor still reads its own.
    std::vector<std::unique_ptr<AcRxClass::Record>> records;
    std::vector<std::unique_ptr<AcRxClass>> retired;  // unregistered, still referenced
};

Registry& registry() {
    static auto& instance = *new Registry;
    return instance;
}

AcRxClass* make_class(const std::wstring& name, AcRxClass* parent) {
    auto& reg = registry();
    auto record = std::make_unique<AcRxClass::Record>();
    record->name = name;
    record->parent = parent;
    auto descriptor = std::make_unique<AcRxClass>(record.get());
    AcRxClass* result = descriptor.get();
    for (const AcRxClass* walk = parent; walk != nullptr; walk = walk->myParent()) {
        record->lineage.insert(record->lineage.begin(), walk);
    }
    record->lineage.push_back(result);
    reg.records.push_back(std::move(record));
    reg.by_name[name] = std::move(descriptor);
    return result;
}

}  // namespace

AcRxObject::~AcRxObject() = default;

AcRxClass* AcRxObject::desc() {
    static AcRxClass* root = make_class(L"AcRxObject", nullptr);
    return root;
}

AcRxClass* AcRxObject::isA() const {
    return AcRxObject::desc();
}

AcRxClass* AcRxClass::desc() {
    static AcRxClass* self = make_class(L"AcRxClass", AcRxObject::desc());
    return self;
}

AcRxClass* AcRxClass::isA() const {
    return AcRxClass::desc();
}
AcRxClass::~AcRxClass() = default;

const ACHAR* AcRxClass::name() const {
    return mRecord->name.c_str();
}
const ACHAR* AcRxClass::appName() const {
    return mRecord->app_name.c_str();
}
const ACHAR* AcRxClass::dxfName() const {
    return mRecord->dxf_name.c_str();
}
AcRxClass* AcRxClass::myParent() const {
    return mRecord->parent;
}
int AcRxClass::proxyFlags() const {
    return mRecord->proxy_flags;
}
AcRxObject* AcRxClass::create() const {
    return mRecord->maker ? mRecord->maker() : nullptr;
}

// Asked for every entity of every scan: the other class is an ancestor exactly when it
// stands at its own depth in this class's lineage.
bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
    if (other == nullptr) return false;
    const size_t depth = other->mRecord->lineage.size() - 1;
    return depth < mRecord->lineage.size() && mRecord->lineage[depth] == other;
}

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int /*dwgVer*/,
                        int /*maintVer*/, int proxyFlags, AcRxPseudoConstructor pseudoConstructor,
                        const ACHAR* dxfName, const ACHAR* appName, AppNameChangeFuncPtr) {
    if (className == nullptr) return nullptr;
    if (AcRxClass* existing = acrxFindAcRxClass(className)) return existing;
    AcRxClass* parent = parentClassName ? acrxFindAcRxClass(parentClassName) : nullptr;
    if (parent == nullptr) parent = AcRxObject::desc();
    AcRxClass* created = make_class(className, parent);
    auto& record = *registry().records.back();
    record.proxy_flags = proxyFlags;
    record.maker = pseudoConstructor;
    record.dxf_name = dxfName ? dxfName : L"";
    record.app_name = appName ? appName : L"";
    return created;
}

AcRxClass* acrxFindAcRxClass(const ACHAR* className) {
    AcRxObject::desc();
    AcRxClass::desc();
    auto& classes = registry().by_name;
    auto found = classes.find(className ? className : L"");
    return found == classes.end() ? nullptr : found->second.get();
}

AcRxClass* acrxFindAcRxClassByDxfName(const ACHAR* dxfName) {
    if (dxfName == nullptr) return nullptr;
    for (auto& [name, descriptor] : registry().by_name) {
        const std::wstring dxf_name = descriptor->dxfName();
        if (!dxf_name.empty() && korv_host::same_name_ignoring_case(dxf_name, dxfName)) {
            return descriptor.get();
        }
    }
    return nullptr;
}

// Descriptors register themselves on first use, so the hierarchy is always complete.
void acrxBuildClassHierarchy() {}

// Removing a class keeps its descriptor alive (objects of it may still exist); it only
// stops it from being found by name, as the host does once a class is unregistered.
void deleteAcRxClass(AcRxClass* pClassObj) {
    if (pClassObj == nullptr) return;
    auto& classes = registry().by_name;
    auto found = classes.find(pClassObj->name());
    if (found != classes.end()) {
        registry().retired.push_back(std::move(found->second));
        classes.erase(found);
    }
}

namespace korv_host {

std::vector<AcRxClass*> registered_classes() {
    std::vector<AcRxClass*> classes;
    for (auto& [name, descriptor] : registry().by_name) classes.push_back(descriptor.get());
    return classes;
}

}  // namespace korv_host
