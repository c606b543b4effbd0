// Concrete plan rep and wall rebar config records: their window queries (a rebar config
// lies in a window when every host wall that opens does), the slots that answer for them,
// the slots a member query must never reach on them, and a missing inventory.
#include <map>

#include "member_inventory.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;

class ConcreteAssemblyTest : public ModuleTest {
protected:
    DrawingBuilder open_drawing() {
        return DrawingBuilder(open_document(L"C:/proj/main.dwg")->database());
    }

    // Objects without a name of their own are labelled for the result strings.
    AcDbObjectId label(AcDbObjectId id, const std::string& name) {
        labels_[id] = name;
        return id;
    }
    AcDbObjectId plan_rep(DrawingBuilder& drawing, const std::string& name,
                          const AcGePoint3d& start, const AcGePoint3d& end) {
        return label(host_test::add_plan_rep(drawing, start, end), name);
    }
    AcDbObjectId rebar(DrawingBuilder& drawing, const std::string& name, const AcGePoint3d& first,
                       const AcGePoint3d& second, const std::deque<AcDbObjectId>& hosts) {
        return label(host_test::add_wall_reinforcement(drawing, first, second, hosts), name);
    }

    typedef bool (*Window_query)(bool, const AcGePoint3d&, const AcGePoint3d&, const AcGeVector3d&,
                                 bool, bool, double, double, AcDbDatabase*,
                                 std::list<KORVid_and_filename>&);
    struct Window {
        AcGePoint3d corner1, corner2;
        bool crossing = false;
        bool clip_1 = false;
        double depth_1 = 0.0;
        AcDbDatabase* database = nullptr;
    };
    // "R2 P7@CORE" for what a plan view window query appended after the entry the list
    // held; each entry's insert must be `insert` when it came through a reference, and its
    // handle text the object's handle.
    std::string in_window(Window_query query, const Window& w,
                          AcDbObjectId insert = AcDbObjectId()) {
        std::list<KORVid_and_filename> result{{AcDbObjectId(), L"before", AcDbObjectId()}};
        EXPECT_TRUE(query(w.crossing, w.corner1, w.corner2, AcGeVector3d::kZAxis, w.clip_1, false,
                          w.depth_1, 0.0, w.database, result));
        expect_host_clean();
        EXPECT_EQ(result.front().file_name, L"before");
        result.pop_front();
        std::string text;
        for (const KORVid_and_filename& entry : result) {
            EXPECT_EQ(entry.reference_id, entry.file_name.empty() ? AcDbObjectId() : insert);
            ACHAR handle[AcDbHandle::kStrSiz] = {};
            entry.id.handle().getIntoAsciiBuffer(handle);
            EXPECT_STREQ(entry.handle_text, handle);
            text += (text.empty() ? "" : " ") + labels_[entry.id];
            if (!entry.file_name.empty())
                text += "@" + std::string(entry.file_name.begin(), entry.file_name.end());
        }
        return text;
    }

    // The record of the object seen through the insert (null: its own drawing's). A walk
    // rather than a keyed lookup: this file is C++20, where std::pair compares ids by way of
    // their stub pointers, while the module, built as C++17, keys the records by serial.
    static const Inventoried_assembly* record_of(Member_inventory* inventory, AcDbObjectId id,
                                                 AcDbObjectId insert = AcDbObjectId()) {
        if (inventory == nullptr) return nullptr;
        for (const auto& entry : inventory->records()) {
            if (entry.first.first == id && entry.first.second == insert) return entry.second;
        }
        return nullptr;
    }

    std::map<AcDbObjectId, std::string> labels_;
};

// Also: referenced objects, and a library failure in a window test skips that record only.
TEST_F(ConcreteAssemblyTest, ARebarConfigIsInAWindowWhenEveryHostThatOpensIs) {
    auto core = host_test::new_drawing();
    AcDbDatabase* core_database = core.get();
    DrawingBuilder core_builder(core.get());
    const AcDbObjectId w7 = host_test::add_wall(core_builder, L"W7", {0, 0, 3}, {10, 0, 3}, 3);
    rebar(core_builder, "R7", {0, 0, 3}, {10, 0, 3}, {w7});
    plan_rep(core_builder, "P7", {0, 0, 3}, {10, 0, 3});
    DrawingBuilder main = open_drawing();
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {0, 0, 0}, {10, 0, 0}, 3);
    const AcDbObjectId w2 = host_test::add_wall(main, L"W2", {20, 0, 0}, {30, 0, 0}, 3);
    const AcDbObjectId w3 = host_test::add_wall(main, L"W3", {0, 5, 0}, {10, 5, 0}, 3);
    const AcDbObjectId w4 = host_test::add_wall(main, L"W4", {0, 8, 0}, {10, 8, 0}, 3);
    const AcDbObjectId w5 = host_test::add_wall(main, L"W5", {0, 9, 0}, {10, 9, 0}, 3);
    const AcDbObjectId r1 = rebar(main, "R1", {0, 0, 0}, {30, 0, 0}, {w1, w2});  // one outside
    rebar(main, "R2", {0, 0, 0}, {10, 0, 0}, {w1, w3});                          // all hosts inside
    rebar(main, "R3", {0, 8, 0}, {10, 8, 0}, {w4, w5});                          // all hosts erased
    rebar(main, "R4", {0, 5, 0}, {10, 5, 0}, {w4, w3});  // the host that opens is inside
    rebar(main, "R5", {0, 7, 0}, {10, 7, 0}, {});        // no host at all
    rebar(main, "R6", {0, 6, 0}, {0, 6, 0}, {w3});       // no geometry: never inventoried
    const AcDbObjectId p1 = plan_rep(main, "P1", {0, 0, 3}, {10, 0, 3});
    plan_rep(main, "P2", {0, 5, 3}, {10, 5, 3});
    main.erase(w4);
    main.erase(w5);

    const Window all{{-100, -100, 0}, {100, 100, 0}};
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, {{-1, -1, 0}, {11, 11, 0}}), "R2 R4");
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, all), "R1 R2 R4");
    // The crossing flag reaches the host walls' test: W2 crosses this window.
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, {{-1, -1, 0}, {25, 11, 0}}), "R2 R4");
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, {{-1, -1, 0}, {25, 11, 0}, true}),
              "R1 R2 R4");
    EXPECT_EQ(in_window(KORVfind_concrete_plan_reps_in_rectangle, all), "P1 P2");

    // Referenced objects are where the insert places them: moved by (200, 0, 10) and turned a
    // quarter, CORE's (0..10, 0, 3) runs along (200, 0..10, 13), out of the window above.
    const AcDbObjectId insert =
        main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)),
                    {{200, 0, 10}, 1.5707963267948966});
    KORVinventory_document_to_be_destroyed(acDocManagerPtr()->curDocument());  // rebuilt
    Window around{{199, -1, 0}, {201, 11, 0}};
    EXPECT_EQ(in_window(KORVfind_concrete_plan_reps_in_rectangle, around, insert), "P7@CORE");
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, around, insert), "R7@CORE");
    // Depths are measured in the host: CORE's plan rep at elevation 3 stands at 13.
    around.clip_1 = true;
    around.depth_1 = 14;
    EXPECT_EQ(in_window(KORVfind_concrete_plan_reps_in_rectangle, around, insert), "P7@CORE");
    around.depth_1 = 12;
    EXPECT_EQ(in_window(KORVfind_concrete_plan_reps_in_rectangle, around, insert), "");
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, around, insert), "");
    // Asked for CORE's own inventory, its objects are where CORE has them.
    const Window core_own{{-1, -1, 0}, {11, 1, 0}, false, false, 0.0, core_database};
    EXPECT_EQ(in_window(KORVfind_concrete_plan_reps_in_rectangle, core_own), "P7");
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, core_own), "R7");
    EXPECT_EQ(in_window(KORVfind_rebar_configs_in_rectangle, all), "R1 R2 R4");
    EXPECT_EQ(host_test::assertion_summary(), "");

    const std::vector<std::tuple<const char*, AcDbObjectId, Window_query, std::string>> failures = {
        {"in_rectangle", p1, KORVfind_concrete_plan_reps_in_rectangle, "P2"},
        {"get_hosts_ids", r1, KORVfind_rebar_configs_in_rectangle, "R2 R4"},
        // A host wall whose test raises keeps the first config that asks it out.
        {"in_rectangle", w1, KORVfind_rebar_configs_in_rectangle, "R2 R4"},
    };
    for (const auto& [call, subject, query, left] : failures) {
        SCOPED_TRACE(call);
        host_test::throw_in_library(call, 1, subject);
        EXPECT_EQ(in_window(query, all), left);
        EXPECT_EQ(host_test::armed_fault_count(), 0);
        EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
        host_test::clear_faults();
        host_test::clear_assertion_reports();
    }
}

// The slots of a plan rep and a rebar config record: the cantilever test, the elevation test
// of a plan rep's ends in its own drawing, the member-only slots that report "false", and the
// rest that answer quietly.
TEST_F(ConcreteAssemblyTest, PlanRepAndRebarConfigSlots) {
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    const AcDbObjectId p7 = plan_rep(core_builder, "P7", {0, 0, 3}, {10, 0, 5});
    const AcDbObjectId p8 = label(
        core_builder.add(new KORVConcrete_lat_cant_beam_plan_rep({0, 0, 3}, {4, 0, 3})), "P8");
    DrawingBuilder main = open_drawing();
    const AcDbObjectId p1 = plan_rep(main, "P1", {0, 0, 3}, {10, 0, 5});
    const AcDbObjectId p2 =
        label(main.add(new KORVConcrete_lat_cant_beam_plan_rep({10, 0, 3}, {13, 0, 3})), "P2");
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {0, 0, 0}, {10, 0, 0}, 3);
    const AcDbObjectId r1 = rebar(main, "R1", {0, 0, 0}, {10, 0, 0}, {w1});
    const AcDbObjectId insert =
        main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)), {{50, 0, 10}});

    Member_inventory* plan_reps = get_plan_rep_inventory(nullptr);
    ASSERT_NE(plan_reps, nullptr);
    ASSERT_EQ(plan_reps->records().size(), 4u);
    const Inventoried_assembly* own = record_of(plan_reps, p1);
    const Inventoried_assembly* referenced = record_of(plan_reps, p7, insert);
    const Inventoried_assembly* config_record = record_of(get_rebar_config_inventory(nullptr), r1);
    const Inventoried_assembly* wall = record_of(current_wall_inventory(), w1);
    ASSERT_TRUE(own && referenced && config_record && wall);
    EXPECT_NE(dynamic_cast<const KORVconcrete_plan_rep_inventoried_assembly*>(own), nullptr);
    const auto* config =
        dynamic_cast<const KORVWall_rebar_config_inventoried_assembly*>(config_record);
    ASSERT_NE(config, nullptr);

    // Cantilever: the two cantilever plan reps only.
    EXPECT_FALSE(own->is_cantilever());
    EXPECT_TRUE(record_of(plan_reps, p2)->is_cantilever());
    EXPECT_TRUE(record_of(plan_reps, p8, insert)->is_cantilever());
    EXPECT_FALSE(config->is_cantilever());
    EXPECT_FALSE(wall->is_cantilever());

    for (const Inventoried_assembly* record : {own, config_record}) {
        SCOPED_TRACE(labels_[record->member_id()]);
        EXPECT_TRUE(record->is_concrete());
        EXPECT_FALSE(record->is_first_material());
        // Points on the plan rep itself: a member's record would answer true to most.
        const AcGePoint3d on(5, 0, 4);
        EXPECT_FALSE(record->is_under_point(on));
        EXPECT_FALSE(record->starts_at_point({0, 0, 3}));
        EXPECT_FALSE(record->is_under_brace_point(on, false));
        EXPECT_FALSE(record->is_under_point_inclusive(on));
        EXPECT_FALSE(record->is_below_point({5, 0, 9}));
        EXPECT_FALSE(record->in_plane_rectangle({-1, -1, 0}, {11, 1, 0}, true));
        EXPECT_FALSE(record->intersects_segment({5, -5, 4}, {5, 5, 4}, false));
        std::string seven;
        for (int i = 0; i < 7; ++i) seven += (i ? " " : "") + std::string("false@member_inventory");
        EXPECT_EQ(host_test::assertion_summary(), seven);
        for (const host_test::AssertionReport& report : host_test::assertion_reports())
            EXPECT_GT(report.line, 0);
        host_test::clear_assertion_reports();

        // Without a report: never a wall, always lateral, never connected.
        EXPECT_FALSE(record->is_wall_between_elevs(false, 0.0, false, 0.0));
        EXPECT_TRUE(record->is_lateral());
        int end_index = 7;
        EXPECT_FALSE(record->connects_at_point({0, 0, 3}, end_index));
        EXPECT_EQ(end_index, 7);
        expect_host_clean();
        EXPECT_EQ(host_test::assertion_summary(), "");
    }
    // The rebar config is never a brace nor a lateral beam, whatever the bounds.
    EXPECT_FALSE(config->is_brace_between_elevs(false, 0.0, false, 0.0));
    EXPECT_FALSE(config->is_lateral_beam_between_elevs(-100.0, false, 0.0));
    EXPECT_FALSE(config->is_lateral_beam_between_elevs(-100.0, true, 100.0));

    // A plan rep is between elevations when it is below the upper bound at its start (less
    // 0.0001) and above the lower bound at its end; a referenced one stands 10 higher.
    const std::vector<std::tuple<const Inventoried_assembly*, bool, double, bool, double, bool>>
        elevations = {
            {own, false, 0.0, false, 0.0, true},
            {own, false, 0.0, true, 3.0002, true},
            {own, false, 0.0, true, 3.00005, false},
            {own, true, 4.9998, false, 0.0, true},
            {own, true, 4.99995, false, 0.0, false},
            {own, true, 3.5, true, 4.0, true},
            {referenced, false, 0.0, true, 13.0002, true},
            {referenced, false, 0.0, true, 3.0002, false},
            {referenced, true, 14.9998, false, 0.0, true},
            {referenced, true, 4.9998, true, 12.0, false},
        };
    for (const auto& [record, has_lower, lower, has_upper, upper, between] : elevations) {
        EXPECT_EQ(record->is_brace_between_elevs(has_lower, lower, has_upper, upper), between)
            << labels_[record->member_id()] << " " << lower << " " << upper;
    }
    // End points: the plan rep's own (a referenced one's in CORE's coordinates), the rebar
    // config's line.
    AcGePoint3d start, end;
    EXPECT_TRUE(referenced->get_end_points(start, end));
    EXPECT_TRUE(start.isEqualTo({0, 0, 3}) && end.isEqualTo({10, 0, 5}));
    EXPECT_TRUE(config->get_end_points(start, end));
    EXPECT_TRUE(start.isEqualTo({0, 0, 0}) && end.isEqualTo({10, 0, 0}));
    expect_host_clean();
    EXPECT_EQ(host_test::assertion_summary(), "");

    // End points the library cannot give, or a plan rep that no longer opens: between no
    // elevations, and no cantilever.
    host_test::throw_in_library("get_end_points", 1, p1);
    EXPECT_FALSE(own->is_brace_between_elevs(false, 0.0, false, 0.0));
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    host_test::clear_assertion_reports();
    main.erase(p1);
    main.erase(p2);
    EXPECT_FALSE(own->is_brace_between_elevs(false, 0.0, false, 0.0));
    EXPECT_FALSE(own->get_end_points(start, end));
    EXPECT_FALSE(record_of(plan_reps, p2)->is_cantilever());
    expect_host_clean();
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(ConcreteAssemblyTest, AMissingInventoryIsReportedAndAppendsNothing) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    plan_rep(main, "P1", {0, 0, 3}, {10, 0, 3});
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {0, 0, 0}, {10, 0, 0}, 3);
    rebar(main, "R1", {0, 0, 0}, {10, 0, 0}, {w1});
    const AcGePoint3d corner1(-1, -1, 0), corner2(11, 1, 0);
    // False, the list as it was, nothing left open, and the report of the missing inventory.
    auto run = [&](bool plan_reps, AcDbDatabase* database) {
        std::list<KORVid_and_filename> result(1);
        EXPECT_FALSE((plan_reps ? KORVfind_concrete_plan_reps_in_rectangle
                                : KORVfind_rebar_configs_in_rectangle)(
            false, corner1, corner2, AcGeVector3d::kZAxis, false, false, 0.0, 0.0, database,
            result));
        EXPECT_EQ(result.size(), 1u);
        expect_host_clean();
        EXPECT_EQ(host_test::assertion_summary(), plan_reps
                                                      ? "plan_reps_inventory@member_inventory"
                                                      : "rebar_configs_inventory@member_inventory");
        host_test::clear_assertion_reports();
    };
    // No current document.
    host_test::set_current_document(nullptr);
    run(true, nullptr);
    run(false, nullptr);
    run(true, document->database());

    // A database that is neither the document's nor a reference's cannot be keyed.
    host_test::set_current_document(document);
    auto side = host_test::new_drawing();
    run(true, side.get());
    run(false, side.get());

    // A drawing whose model space does not open has no inventory; the next call builds it.
    DrawingBuilder third(open_document(L"C:/proj/third.dwg")->database());
    plan_rep(third, "P3", {0, 0, 3}, {10, 0, 3});
    host_test::fail_open_of(third.model_space(), Acad::eWasOpenForWrite);
    run(true, nullptr);
    host_test::fail_open_of(third.model_space(), Acad::eWasOpenForWrite);
    run(false, nullptr);
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    EXPECT_EQ(in_window(KORVfind_concrete_plan_reps_in_rectangle, {corner1, corner2}), "P3");
    EXPECT_EQ(host_test::assertion_summary(), "");
}
