// rxobject.h: AcRxObject, the root of the host's run-time typed classes, and AcRxClass, the
// run-time class descriptor that isKindOf/cast/desc walk.
//
// Every class in the host layer and in libraries built on it declares its descriptor with
// ACRX_DECLARE_MEMBERS (rxboiler.h). Descriptors live in one process-wide registry, keyed
// by class name, so a module and a library that load separately share them, as in the host.
// A class registers itself on the first desc() call (its parent first); libraries that
// call rxInit() explicitly get the same descriptor.
#pragma once

#include "AdAChar.h"
#include "adesk.h"

class AcRxClass;
class AcRxObject;

typedef AcRxObject* (*AcRxPseudoConstructor)();
typedef void (*AppNameChangeFuncPtr)(const AcRxClass* classObj, ACHAR*& newAppName, int saveVer);

class AcRxObject {
public:
    virtual ~AcRxObject();
    static AcRxClass* desc();
    static AcRxObject* cast(const AcRxObject* inPtr) { return const_cast<AcRxObject*>(inPtr); }
    virtual AcRxClass* isA() const;
    inline bool isKindOf(const AcRxClass* aClass) const;

protected:
    AcRxObject() = default;
    AcRxObject(const AcRxObject&) = default;
    AcRxObject& operator=(const AcRxObject&) = default;
};

class AcRxClass : public AcRxObject {
public:
    static AcRxClass* desc();
    AcRxClass* isA() const override;

    const ACHAR* name() const;
    const ACHAR* appName() const;
    const ACHAR* dxfName() const;
    AcRxClass* myParent() const;
    int proxyFlags() const;
    // Creates an instance through the class's pseudo-constructor; null when it has none.
    AcRxObject* create() const;
    bool isDerivedFrom(const AcRxClass* other) const;
    static bool isDerivedFrom(const AcRxClass* derived, const AcRxClass* base) {
        return derived != nullptr && derived->isDerivedFrom(base);
    }

    // Host-internal: the registry makes descriptors.
    struct Record;
    explicit AcRxClass(Record* record) : mRecord(record) {}
    ~AcRxClass() override;

private:
    // Stops pClass->isKindOf(...) from compiling: a descriptor is tested with isDerivedFrom.
    bool isKindOf(void*) const;
    Record* mRecord;
};

inline bool AcRxObject::isKindOf(const AcRxClass* aClass) const {
    return AcRxClass::isDerivedFrom(isA(), aClass);
}

// Registers a class under its name, its parent looked up by name (which must be registered).
// A second registration of the same name returns the existing descriptor.
AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer = 0,
                        int maintVer = 0, int proxyFlags = 0,
                        AcRxPseudoConstructor pseudoConstructor = nullptr,
                        const ACHAR* dxfName = nullptr, const ACHAR* appName = nullptr,
                        AppNameChangeFuncPtr func = nullptr);
// The descriptor of that class name, or null.
AcRxClass* acrxFindAcRxClass(const ACHAR* className);
// The descriptor whose DXF name is that (case-insensitive), or null.
AcRxClass* acrxFindAcRxClassByDxfName(const ACHAR* dxfName);
