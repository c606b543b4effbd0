// The build under failure: each way the host or the library can fail during a lookup, with
// the result it must give and the exact checks it must report; then every host failure a
// lookup can meet, one after the other.
#include <functional>
#include <set>

#include "inventory_fixture.h"

using host_test::HostOp;

namespace {

using Arm = std::function<void(const ReferencedBuilding&)>;

struct FaultRow {
    const char* name;
    Arm arm;
    // The records of the inventory built despite the fault; null: the build fails.
    const char* records;
    const char* assertions;
};

// The nth open of one of the building's objects fails.
Arm open_fails(AcDbObjectId ReferencedBuilding::*object, int nth = 1) {
    return [=](const ReferencedBuilding& b) {
        host_test::fail_open_of(b.*object, Acad::eWasOpenForWrite, nth);
    };
}
Arm op_fails(HostOp op, int nth, Acad::ErrorStatus status) {
    return [=](const ReferencedBuilding&) { host_test::fail_nth(op, nth, status); };
}
// The named library call throws, for the given member only when one is named.
Arm throws(const char* call, AcDbObjectId ReferencedBuilding::*subject = nullptr) {
    return [=](const ReferencedBuilding& b) {
        host_test::throw_in_library(call, 1, subject ? b.*subject : AcDbObjectId());
    };
}

const char* const kAssert = "es == Acad::eOk@member_inventory";
const char* const kThrown = "false@member_inventory";

const FaultRow kFaultRows[] = {
    {"ModelSpaceDoesNotOpen", open_fails(&ReferencedBuilding::model_space), nullptr, ""},
    {"BlockTableDoesNotOpenForModelSpace", op_fails(HostOp::GetBlockTable, 1, Acad::eFileAccessErr),
     nullptr, ""},
    {"ModelSpaceIteratorFails", op_fails(HostOp::NewEntityIterator, 1, Acad::eOutOfMemory), nullptr,
     kAssert},
    {"EntityDoesNotOpen", open_fails(&ReferencedBuilding::c12), "C7@CORE C7@CORE", ""},
    {"KindTestThrowsForOneEntity", throws("is_column", &ReferencedBuilding::c7), "C12 C7@CORE",
     kThrown},
    {"StartPointThrowsForOneEntity", throws("get_start_point", &ReferencedBuilding::c12),
     "C7@CORE C7@CORE", kThrown},
    {"BlockTableDoesNotOpenForTheReferences",
     op_fails(HostOp::GetBlockTable, 2, Acad::eFileAccessErr), nullptr, ""},
    {"BlockTableIteratorFails", op_fails(HostOp::NewTableIterator, 1, Acad::eOutOfMemory), nullptr,
     ""},
    // Its one open is the reference scan's: the model space scan passes it by its class.
    {"ReferenceInsertDoesNotOpen", open_fails(&ReferencedBuilding::first_insert), "C12 C7@CORE",
     kAssert},
    {"ReferenceBlockIteratorFails", op_fails(HostOp::NewEntityIterator, 2, Acad::eOutOfMemory),
     "C12 C7@CORE", kAssert},
    {"FrozenLayerTestThrows", throws("KORVis_on_frozen_layer"), nullptr, kThrown},
    {"ClipValuesThrow", throws("KORVget_clip_depth_values"), nullptr, kThrown},
};

}  // namespace

class BuildFaultTest : public InventoryTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(BuildFaultTest, GivesItsResultAndReportsExactlyItsChecks) {
    const FaultRow& row = GetParam();
    ReferencedBuilding building = open_referenced_building();
    host_test::clear_faults();
    row.arm(building);

    Member_inventory* columns = current_column_inventory();
    EXPECT_EQ(host_test::armed_fault_count(), 0) << "the fault was never reached";
    EXPECT_EQ(host_test::assertion_summary(), row.assertions);
    expect_host_clean();
    if (row.records == nullptr) {
        EXPECT_EQ(columns, nullptr);
    } else {
        ASSERT_NE(columns, nullptr);
        EXPECT_EQ(record_names(columns), row.records);
        // Where one insert's scan was lost, the other insert's record is the one kept.
        if (record_of(columns, building.c7, building.first_insert) == nullptr) {
            EXPECT_NE(record_of(columns, building.c7, building.second_insert), nullptr);
        }
    }

    // What was stored is what later lookups get; a failed build left nothing behind.
    host_test::clear_assertion_reports();
    Member_inventory* again = current_column_inventory();
    ASSERT_NE(again, nullptr);
    if (columns != nullptr) {
        EXPECT_EQ(again, columns);
    } else {
        EXPECT_EQ(record_names(again), "C12 C7@CORE C7@CORE");
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

INSTANTIATE_TEST_SUITE_P(EveryFailureRow, BuildFaultTest, ::testing::ValuesIn(kFaultRows),
                         [](const ::testing::TestParamInfo<FaultRow>& row) {
                             return std::string(row.param.name);
                         });

class CountDownTest : public InventoryTest {
protected:
    // Runs the lookup on a fresh copy of the building once for each N = 0, 1, 2, ... with
    // the first N host operations succeeding and the next failing, until a run makes fewer
    // than N operations. Every run must give an inventory or null, close everything, and
    // report only checks the lookup has. Returns how many runs gave null and how many gave a
    // partial inventory.
    std::pair<int, int> count_down(const std::function<Member_inventory*()>& lookup,
                                   const std::function<void(const ReferencedBuilding&)>& extend) {
        static const std::set<std::string> known = {
            "es == Acad::eOk@member_inventory", "false@member_inventory",
            "pDrawingName@member_inventory", "db@member_inventory",
            "drawing_name_ptr@member_inventory"};
        size_t complete = 0;
        {
            ReferencedBuilding reference = open_referenced_building(L"C:/proj/reference.dwg");
            extend(reference);
            Member_inventory* whole = lookup();
            EXPECT_NE(whole, nullptr);
            complete = whole ? whole->records().size() : 0;
        }
        int nulls = 0, partials = 0;
        for (long n = 0; n < 5000; ++n) {
            SCOPED_TRACE("host operations allowed: " + std::to_string(n));
            ReferencedBuilding building =
                open_referenced_building(L"C:/proj/run" + std::to_wstring(n) + L".dwg");
            extend(building);
            host_test::clear_faults();
            host_test::clear_assertion_reports();
            host_test::fail_after(n, Acad::eWasOpenForWrite);
            Member_inventory* found = lookup();
            const long operations = host_test::host_operation_count();
            host_test::clear_faults();
            expect_host_clean();
            for (const auto& report : host_test::assertion_reports()) {
                EXPECT_EQ(known.count(report.expression + "@" + report.source), 1u)
                    << report.expression << "@" << report.source;
            }
            if (operations <= n) {  // the fault was never reached: the plain result
                EXPECT_NE(found, nullptr);
                EXPECT_EQ(found ? found->records().size() : 0, complete);
                EXPECT_EQ(host_test::assertion_summary(), "");
                return {nulls, partials};
            }
            if (found == nullptr) {
                ++nulls;
                Member_inventory* retried = lookup();
                EXPECT_NE(retried, nullptr);
                EXPECT_EQ(retried ? retried->records().size() : 0, complete);
            } else {
                EXPECT_LE(found->records().size(), complete);
                partials += found->records().size() < complete;
            }
        }
        ADD_FAILURE() << "the lookup never ran out of host operations";
        return {nulls, partials};
    }
};

TEST_F(CountDownTest, EveryHostFailureInAColumnOrPlanRepLookupEndsInAnInventoryOrNull) {
    const auto columns =
        count_down([] { return current_column_inventory(); }, [](const ReferencedBuilding&) {});
    const auto plan_reps = count_down([] { return get_plan_rep_inventory(nullptr); },
                                      [](const ReferencedBuilding& building) {
                                          host_test::DrawingBuilder main(building.database);
                                          host_test::add_plan_rep(main, {0, 0, 3}, {5, 0, 3});
                                          host_test::DrawingBuilder core(building.core);
                                          host_test::add_plan_rep(core, {1, 0, 3}, {4, 0, 3});
                                      });
    // Some runs lose the whole build (nulls), some only part of it.
    for (const auto& [nulls, partials] : {columns, plan_reps}) {
        EXPECT_GT(nulls, 0);
        EXPECT_GT(partials, 0);
    }
}
