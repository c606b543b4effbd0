// rxboiler.h / dbboiler.h: the boilerplate macros that give a class its run-time descriptor.
//
// ACRX_DECLARE_MEMBERS(C) goes inside the class; one of the DEFINE macros goes in exactly
// one source file. desc() registers the class on first use (parent first), so the
// descriptor exists whether or not the owning library called rxInit().
#pragma once

#include "rxobject.h"

class AcDbSystemInternals;

#define ACRX_DECLARE_MEMBERS(CLASS_NAME)                                             \
public:                                                                              \
    AcRxClass* isA() const override;                                                 \
    static AcRxClass* gpDesc;                                                        \
    static AcRxClass* desc();                                                        \
    static CLASS_NAME* cast(const AcRxObject* inPtr) {                               \
        return (inPtr == nullptr || !inPtr->isKindOf(CLASS_NAME::desc()))            \
                   ? nullptr                                                         \
                   : const_cast<CLASS_NAME*>(static_cast<const CLASS_NAME*>(inPtr)); \
    }                                                                                \
    static void rxInit();                                                            \
    static void rxInit(AppNameChangeFuncPtr)

#define ACDB_DECLARE_MEMBERS(CLASS_NAME)       \
protected:                                     \
    explicit CLASS_NAME(AcDbSystemInternals*); \
    ACRX_DECLARE_MEMBERS(CLASS_NAME)

#define KORV_RX_DEFINE_CORE(CLASS_NAME, PARENT_CLASS, DWG_VERSION, MAINT_VERSION, PROXY_FLAGS, \
                            MAKER, DXF_NAME, APP_NAME)                                         \
    AcRxClass* CLASS_NAME::gpDesc = nullptr;                                                   \
    AcRxClass* CLASS_NAME::isA() const {                                                       \
        return CLASS_NAME::desc();                                                             \
    }                                                                                          \
    AcRxClass* CLASS_NAME::desc() {                                                            \
        if (gpDesc == nullptr) CLASS_NAME::rxInit();                                           \
        return gpDesc;                                                                         \
    }                                                                                          \
    void CLASS_NAME::rxInit(AppNameChangeFuncPtr func) {                                       \
        if (gpDesc != nullptr) return;                                                         \
        PARENT_CLASS::desc();                                                                  \
        gpDesc = newAcRxClass(ACRX_T(#CLASS_NAME), ACRX_T(#PARENT_CLASS), DWG_VERSION,         \
                              MAINT_VERSION, PROXY_FLAGS, MAKER, DXF_NAME, APP_NAME, func);    \
    }                                                                                          \
    void CLASS_NAME::rxInit() {                                                                \
        CLASS_NAME::rxInit(static_cast<AppNameChangeFuncPtr>(nullptr));                        \
    }                                                                                          \
    static_assert(true, "")

#define KORV_RX_MAKER(CLASS_NAME) \
    ([]() -> AcRxObject* { return static_cast<AcRxObject*>(new CLASS_NAME()); })

#define ACRX_NO_CONS_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS) \
    KORV_RX_DEFINE_CORE(CLASS_NAME, PARENT_CLASS, 0, 0, 0, nullptr, nullptr, nullptr)

#define ACRX_CONS_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS, VERNO)                                  \
    KORV_RX_DEFINE_CORE(CLASS_NAME, PARENT_CLASS, VERNO, 0, 0, KORV_RX_MAKER(CLASS_NAME), nullptr, \
                        nullptr)

#define ACRX_DXF_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS, DWG_VERSION, MAINTENANCE_VERSION,      \
                                PROXY_FLAGS, DXF_NAME, APP)                                      \
    KORV_RX_DEFINE_CORE(CLASS_NAME, PARENT_CLASS, DWG_VERSION, MAINTENANCE_VERSION, PROXY_FLAGS, \
                        KORV_RX_MAKER(CLASS_NAME), ACRX_T(#DXF_NAME), ACRX_T(#APP))

#define ACRX_DEFINE_MEMBERS(CLASS_NAME) ACRX_NO_CONS_DEFINE_MEMBERS(CLASS_NAME, AcRxObject)
