// Every exported function, called as the tool calls it on the sample building (external
// references, a nested one), under every failure its call can meet: the n-th host operation
// failing, for n = 0, 1, 2, ... until a run makes fewer, and the n-th library call throwing,
// likewise. After each run no exception has crossed, nothing is open, each output is as it
// was or is the answer of a run without faults less the records a failure cost, the next
// call without faults answers as the inventory the faulted call left lets it, and once
// that inventory is forgotten, as always. A function added to the tool's table is swept
// with no change here; an argument kind the table has not used before needs a value below.
#include <gtest/gtest.h>
#include <host_test/host_test.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "describe.h"
#include "function_table.h"
#include "inventory_module.h"
#include "tool_runner.h"

using namespace korv_tool;

namespace {

// Values for the sample building: a window around it all, the top of a column on grid
// x = 6 at level 4 (where beams meet), a column's handle, the imported wall's GUID.
std::string argument_text(const ParameterInfo& parameter) {
    static const std::map<std::string, std::string> by_name = {
        {"corner1", "-1e3,-1e3,-1e3"},
        {"corner2", "1e3,1e3,1e3"},
        {"start", "0,0,4"},
        {"end", "6,0,4"},
        {"point1", "6,0,4"},
        {"point2", "6,0,4"},
        {"depth_1", "1e3"},
        {"depth_2", "-1e3"},
        {"upper", "8"},
        {"lower", "0"},
        {"path", sample_drawing()},
        {"name", "DWGNAME"},
    };
    static const std::map<std::string, std::string> by_kind = {
        {"point", "6,0,4"},    {"vector", "0,0,1"},
        {"flag", "true"},      {"number", "4"},
        {"integer", "1"},      {"object", "8"},
        {"member", "8"},       {"guid", "3F2504E0-4F89-11D3-9A0C-0305E82C3301"},
        {"elevations", "0,4"}, {"names", "FRAME"},
        {"handle", "8"},       {"intervals", "3.9:4.1"},
        {"text", "T1"},
    };
    if (auto found = by_name.find(parameter.name); found != by_name.end()) return found->second;
    if (auto found = by_kind.find(parameter.kind); found != by_kind.end()) return found->second;
    ADD_FAILURE() << "no sweep value for an argument of kind " << parameter.kind;
    return "";
}

// What an output holds when the function has not written it.
Json untouched(const ParameterInfo& parameter) {
    if (parameter.kind == "record") return describe_record(KORVid_and_filename());
    if (parameter.kind == "flag") return false;
    if (parameter.kind == "text") return "";
    return Json::array();
}

std::vector<AcDbObjectId> paper_space_entities(AcDbDatabase* db) {
    std::vector<AcDbObjectId> ids;
    AcDbBlockTable* blocks = nullptr;
    if (db->getBlockTable(blocks) != Acad::eOk) return ids;
    AcDbBlockTableRecord* paper = nullptr;
    const Acad::ErrorStatus es = blocks->getAt(ACDB_PAPER_SPACE, paper, AcDb::kForRead);
    blocks->close();
    if (es != Acad::eOk) return ids;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (paper->newIterator(iterator) == Acad::eOk) {
        for (; !iterator->done(); iterator->step()) {
            AcDbObjectId id;
            if (iterator->getEntityId(id) == Acad::eOk) ids.push_back(id);
        }
        delete iterator;
    }
    paper->close();
    return ids;
}

// Erases what paper space gained since `before`: a function that draws something new on
// every call would otherwise make each faulted run longer than the last, without end.
void erase_paper_space_entities_since(AcDbDatabase* db, const std::vector<AcDbObjectId>& before) {
    for (const AcDbObjectId& id : paper_space_entities(db)) {
        if (std::find(before.begin(), before.end(), id) != before.end()) continue;
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) continue;
        entity->erase();
        entity->close();
    }
}

// `part` is `whole` with some elements left out, the rest in order.
bool is_sublist(const Json& part, const Json& whole) {
    auto next = whole.begin();
    for (const Json& element : part) {
        next = std::find(next, whole.end(), element);
        if (next == whole.end()) return false;
        ++next;
    }
    return true;
}

class ExportSweep : public ::testing::Test {
protected:
    void SetUp() override { host_test::reset_host(); }
    void TearDown() override { host_test::reset_host(); }

    // One function's sweep under one kind of failure, armed by `arm(n)` for the module's
    // call alone (not the tool's binding of arguments or description of outputs).
    template <class Arm>
    void sweep(const ExportedFunction& function, const CallContext& plain,
               const std::vector<std::string>& arguments, const Json& normal, Arm arm) {
        const std::vector<AcDbObjectId> drawn_before =
            paper_space_entities(plain.drawing.database());
        for (long n = 0;; ++n) {
            SCOPED_TRACE(function.name + " failing at " + std::to_string(n));
            module_->forget(plain.drawing.document());
            bool fired = false;
            CallContext context = plain;
            context.before_call = [&] { arm(n); };
            context.after_call = [&] {
                fired = host_test::armed_fault_count() == 0;
                host_test::clear_faults();
            };
            Json faulted;
            try {
                faulted = function.call(context, arguments);
            } catch (const std::exception& crossed) {
                ADD_FAILURE() << "an exception crossed: " << crossed.what();
                host_test::clear_faults();
            }
            EXPECT_EQ(host_test::open_object_count(), 0);
            EXPECT_EQ(host_test::live_iterator_count(), 0);
            EXPECT_TRUE(host_test::host_violations().empty());
            host_test::clear_host_violations();
            for (const ParameterInfo& parameter : function.parameters) {
                if (parameter.source != ParameterSource::kOutput || faulted.is_null()) continue;
                // A message is written on failure paths only: under a fault, any message.
                if (parameter.kind == "message") continue;
                const Json& seen = faulted["outputs"][parameter.name];
                const Json full = normal["outputs"].value(parameter.name, Json());
                // A single answer may be a later candidate when an earlier one's test failed.
                const bool answered =
                    parameter.kind == "record" && seen.contains("id") && !seen["id"].is_null();
                // A group's representative may be a later member when the first one failed.
                const bool regrouped = function.name == "KORVget_concrete_beams_with_filenames" &&
                                       seen.is_array() && seen.size() <= full.size();
                EXPECT_TRUE(seen == untouched(parameter) || seen == full || answered || regrouped ||
                            (seen.is_array() && is_sublist(seen, full)))
                    << parameter.name << ": " << seen.dump() << "\nwithout faults " << full.dump();
            }
            if (function.name == "KORVdraw_rebar_block") {
                // It draws a new diagram each call, after the last: no two answers are equal,
                // but the next call without faults places one.
                EXPECT_NE(function.call(plain, arguments)["returned"], "0");
                erase_paper_space_entities_since(plain.drawing.database(), drawn_before);
                host_test::clear_assertion_reports();
                if (!fired || testing::Test::HasFailure()) return;
                continue;
            }
            // An entity that did not open was left out of the inventory the faulted call
            // built, which the next call keeps; built again, it is whole.
            const Json next = function.call(plain, arguments);
            EXPECT_TRUE(next == normal || next == faulted) << next.dump();
            module_->forget(plain.drawing.document());
            EXPECT_EQ(function.call(plain, arguments), normal);
            host_test::clear_assertion_reports();
            if (!fired || testing::Test::HasFailure()) return;
        }
    }

    std::unique_ptr<InventoryModule> module_;
};

TEST_F(ExportSweep, EveryExportSurvivesEveryHostFailureAndLibraryThrow) {
    module_ = std::make_unique<InventoryModule>(KORV_MODULE_PATH);
    DrawingSession drawing(sample_drawing());
    const CallContext context{module_->loaded(), drawing, drawing.file_name()};
    for (const ExportedFunction& function : exported_functions()) {
        std::vector<std::string> arguments;
        for (const ParameterInfo& parameter : function.parameters) {
            if (parameter.source == ParameterSource::kArgument)
                arguments.push_back(argument_text(parameter));
        }
        // The answer of a call that follows another, as every faulted run is followed.
        module_->forget(drawing.document());
        function.call(context, arguments);
        const Json normal = function.call(context, arguments);
        host_test::clear_assertion_reports();
        sweep(function, context, arguments, normal,
              [](long n) { host_test::fail_after(n, Acad::eInvalidInput); });
        sweep(function, context, arguments, normal,
              [](long n) { host_test::throw_in_library_after(n); });
        if (HasFailure()) return;  // one function's failures at a time
    }
    module_->forget(drawing.document());
}

}  // namespace
