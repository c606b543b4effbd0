#include <host_test/faults.h>

#include <stdexcept>
#include <vector>

#include "host_state.h"

namespace host_test {
namespace {

struct Rule {
    HostOp op;
    const void* subject;  // null: any subject
    int status;
    int remaining;  // uses to let pass before firing, plus one
};

struct LibraryRule {
    std::string call;
    AcDbObjectId subject;
    int remaining;
};

struct FaultState {
    std::vector<Rule> rules;
    std::vector<LibraryRule> library_rules;
    long operations = 0;
    long countdown = -1;  // successes left before the count-down fault; -1 when unarmed
    int countdown_status = 0;
    long library_countdown = -1;  // library calls left before the throw; -1 when unarmed
};

FaultState& state() {
    static auto& instance = *new FaultState;
    return instance;
}

}  // namespace

const char* host_op_name(HostOp op) {
    switch (op) {
        case HostOp::OpenObject:
            return "OpenObject";
        case HostOp::GetBlockTable:
            return "GetBlockTable";
        case HostOp::GetLayerTable:
            return "GetLayerTable";
        case HostOp::NewTableIterator:
            return "NewTableIterator";
        case HostOp::NewEntityIterator:
            return "NewEntityIterator";
        case HostOp::GetFilename:
            return "GetFilename";
        case HostOp::GetBlockReferenceIds:
            return "GetBlockReferenceIds";
        case HostOp::AppendEntity:
            return "AppendEntity";
        case HostOp::AddObject:
            return "AddObject";
        case HostOp::ReadDwgFile:
            return "ReadDwgFile";
        case HostOp::SaveAs:
            return "SaveAs";
        case HostOp::GetVar:
            return "GetVar";
        case HostOp::GetAdsName:
            return "GetAdsName";
        case HostOp::GetTempPath:
            return "GetTempPath";
        case HostOp::GetTempFileName:
            return "GetTempFileName";
        case HostOp::CopyFile:
            return "CopyFile";
        case HostOp::EntUpd:
            return "EntUpd";
    }
    return "?";
}

void fail_nth(HostOp op, int nth, int status) {
    fail_at(op, nullptr, status, nth);
}

void fail_at(HostOp op, const void* subject, int status, int nth) {
    state().rules.push_back({op, subject, status, nth < 1 ? 1 : nth});
}

void fail_after(long successes, Acad::ErrorStatus status) {
    state().countdown = successes < 0 ? 0 : successes;
    state().countdown_status = status;
}

void clear_faults() {
    state() = FaultState{};
}

long host_operation_count() {
    return state().operations;
}

int armed_fault_count() {
    return static_cast<int>(state().rules.size() + state().library_rules.size()) +
           (state().countdown >= 0 ? 1 : 0) + (state().library_countdown >= 0 ? 1 : 0);
}

void throw_in_library(const std::string& call, int nth, AcDbObjectId subject) {
    state().library_rules.push_back({call, subject, nth < 1 ? 1 : nth});
}

void throw_in_library_after(long calls) {
    state().library_countdown = calls < 0 ? 0 : calls;
}

void library_call_point(const char* call, AcDbObjectId subject) {
    if (state().library_countdown == 0) {
        state().library_countdown = -1;
        throw std::runtime_error(std::string("injected library failure in ") + call);
    }
    if (state().library_countdown > 0) --state().library_countdown;
    auto& rules = state().library_rules;
    for (auto rule = rules.begin(); rule != rules.end(); ++rule) {
        if (rule->call != call || (!rule->subject.isNull() && rule->subject != subject)) continue;
        // Every matching rule counts this call, so a later rule is not starved by an earlier
        // one that has not reached its turn yet.
        if (--rule->remaining > 0) continue;
        rules.erase(rule);
        throw std::runtime_error(std::string("injected library failure in ") + call);
    }
}

}  // namespace host_test

namespace korv_host {

bool& faults_suspended() {
    static bool suspended = false;
    return suspended;
}

Fault check_fault(host_test::HostOp op, const void* subject) {
    // The host's own work inside one operation (reading a drawing) is not a host operation
    // of the caller's: it neither counts nor fails.
    if (faults_suspended()) return {};
    auto& faults = host_test::state();
    ++faults.operations;
    if (faults.countdown >= 0) {
        if (faults.countdown == 0) {
            faults.countdown = -1;
            return {true, faults.countdown_status, true};
        }
        --faults.countdown;
    }
    for (auto rule = faults.rules.begin(); rule != faults.rules.end(); ++rule) {
        if (rule->op != op || (rule->subject != nullptr && rule->subject != subject)) continue;
        if (--rule->remaining > 0) continue;
        int status = rule->status;
        faults.rules.erase(rule);
        return {true, status, false};
    }
    return {};
}

}  // namespace korv_host
