// ADS services: system variables, result buffers, host-allocated strings, entity names and
// entity redraw.
#include <acdbads.h>
#include <acedads.h>
#include <acutads.h>
#include <acutmem.h>
#include <host_test/recorders.h>

#include <cstdlib>
#include <cwchar>
#include <unordered_set>

#include "ads_names.h"
#include "dxf_tags.h"
#include "host_state.h"
#include "system_variables.h"
#include "text.h"

using host_test::HostOp;

namespace korv_host {

namespace {

std::unordered_set<const AcDbStub*>& given_out() {
    static auto& instance = *new std::unordered_set<const AcDbStub*>;
    return instance;
}

ACHAR* malloc_copy(const ACHAR* text) {
    const size_t length = std::wcslen(text);
    auto* copy = static_cast<ACHAR*>(std::malloc((length + 1) * sizeof(ACHAR)));
    if (copy != nullptr) std::wmemcpy(copy, text, length + 1);
    return copy;
}

// An ADS call's answer to a fault: the fault's own status for a named fault, RTERROR for
// the count-down (whose status is an ErrorStatus, not an RT code).
int rt_fault(const Fault& fault) {
    return fault.from_countdown ? RTERROR : fault.status;
}

bool holds_string(short restype) {
    if (restype == RTSTR) return true;
    if (restype < 0 || restype >= 5000) return false;
    return dxf::value_type(restype) == dxf::ValueType::Text ||
           dxf::value_type(restype) == dxf::ValueType::Binary;
}

}  // namespace

void id_to_name(const AcDbObjectId& id, int64_t (&name)[2]) {
    const AcDbStub* stub = id;
    if (stub == nullptr) {
        name[0] = name[1] = 0;
        return;
    }
    given_out().insert(stub);
    name[0] = static_cast<int64_t>(reinterpret_cast<intptr_t>(stub));
    name[1] = static_cast<int64_t>(stub->serial);
}

bool name_to_id(const int64_t (&name)[2], AcDbObjectId& id) {
    id.setNull();
    if (name[0] == 0 && name[1] == 0) return true;
    const auto* stub = reinterpret_cast<const AcDbStub*>(static_cast<intptr_t>(name[0]));
    if (given_out().count(stub) == 0 || static_cast<int64_t>(stub->serial) != name[1]) {
        return false;
    }
    id = AcDbObjectId(stub);
    return true;
}

}  // namespace korv_host

// ----- system variables ----------------------------------------------------------------------

int acedGetVar(const ACHAR* sym, struct resbuf* result) {
    korv_host::Fault fault = korv_host::check_fault(HostOp::GetVar, nullptr);
    if (fault.fires) return korv_host::rt_fault(fault);
    if (sym == nullptr || result == nullptr) return RTERROR;
    std::optional<korv_host::SystemVariable> variable = korv_host::find_system_variable(sym);
    if (!variable) return RTERROR;
    result->restype = variable->type;
    if (variable->type == RTSTR) {
        result->resval.rstring = korv_host::malloc_copy(variable->text.c_str());
    } else if (variable->type == RTSHORT) {
        result->resval.rint = variable->integer;
    } else {
        result->resval.rreal = variable->real;
    }
    return RTNORM;
}

int acedSetVar(const ACHAR* sym, const struct resbuf* val) {
    if (sym == nullptr || val == nullptr) return RTERROR;
    korv_host::SystemVariable value;
    value.type = val->restype;
    if (val->restype == RTSTR) {
        if (val->resval.rstring == nullptr) return RTERROR;
        value.text = val->resval.rstring;
    } else if (val->restype == RTSHORT) {
        value.integer = val->resval.rint;
    } else if (val->restype == RTREAL) {
        value.real = val->resval.rreal;
    } else {
        return RTERROR;
    }
    return korv_host::assign_system_variable(sym, value) ? RTNORM : RTERROR;
}

// ----- result buffers and strings --------------------------------------------------------------

struct resbuf* acutNewRb(int type) {
    auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
    if (rb != nullptr) rb->restype = static_cast<short>(type);
    return rb;
}

int acutRelRb(struct resbuf* rb) {
    while (rb != nullptr) {
        resbuf* next = rb->rbnext;
        if (korv_host::holds_string(rb->restype)) std::free(rb->resval.rstring);
        std::free(rb);
        rb = next;
    }
    return RTNORM;
}

Acad::ErrorStatus acutNewString(const ACHAR* in, ACHAR*& out) {
    out = nullptr;
    if (in == nullptr) return Acad::eInvalidInput;
    out = korv_host::malloc_copy(in);
    return out != nullptr ? Acad::eOk : Acad::eOutOfMemory;
}

void acutDelString(wchar_t*& p) {
    std::free(p);
    p = nullptr;
}

// ----- entity names ----------------------------------------------------------------------------

Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId) {
    objName[0] = objName[1] = 0;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::GetAdsName, objId);
    if (es != Acad::eOk) return es;
    if (objId.isNull()) return Acad::eNullObjectId;
    if (!objId.isValid()) return Acad::eInvalidInput;
    korv_host::id_to_name(objId, objName);
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName) {
    const int64_t name[2] = {objName[0], objName[1]};
    return korv_host::name_to_id(name, objId) ? Acad::eOk : Acad::eInvalidAdsName;
}

int acdbEntUpd(const ads_name ent) {
    korv_host::Fault fault = korv_host::check_fault(HostOp::EntUpd, nullptr);
    if (fault.fires) return korv_host::rt_fault(fault);
    AcDbObjectId id;
    const int64_t name[2] = {ent[0], ent[1]};
    if (!korv_host::name_to_id(name, id) || !id.isValid() ||
        !id.objectClass()->isDerivedFrom(AcDbEntity::desc())) {
        return RTERROR;
    }
    host_test::record_host_call("acdbEntUpd", korv_host::dxf::format_handle(id.handle()));
    return RTNORM;
}
