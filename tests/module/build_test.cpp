// The inventory build: which objects of model space and of the resolved references become
// records, what each record keeps (reference, transform, mapped start point, clip,
// materials), the member number and the GUID index.
#include <limits>
#include <random>

#include "inventory_fixture.h"

using host_test::DrawingBuilder;
using Member = KORVLinear_structural_member;

class BuildTest : public InventoryTest {};

TEST_F(BuildTest, ModelSpaceRecordsAreTheDrawingsOwnInIdOrder) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    const AcDbObjectId c3 = host_test::add_column(main, L"C3", {5, 0, 0}, 3, Member::kSteel);
    host_test::add_column(main, L"C2", {0, 5, 0}, 3, Member::kConcrete);
    host_test::add_member(main,
                          new_member(Member::kColumn, L"C1", {1, 1, 0}, {1, 1, 3})
                              .material(Member::kWood)
                              .layer(L"FROZEN"));  // own entities are never tested for freezing
    main.erase(host_test::add_column(main, L"C9", {9, 9, 0}, 3));
    host_test::add_beam(main, L"B1", {0, 0, 3}, {5, 0, 3});
    host_test::add_wall(main, L"W1", {0, 0, 0}, {0, 5, 0}, 3);
    // A column inside an ordinary block is not the drawing's model space content.
    const AcDbObjectId block = main.define_block(L"DETAIL");
    host_test::add_member(main, new_member(Member::kColumn, L"C8"), block);
    main.insert(block, {{50, 0, 0}});
    main.layer(L"FROZEN", true);  // after the adds, which leave their layer thawed

    Member_inventory* columns = current_column_inventory();
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(record_names(columns), "C3 C2 C1");
    std::string materials;
    for (const auto& entry : columns->records()) {
        const Inventoried_assembly* record = entry.second;
        materials += std::to_string(record->is_first_material()) +
                     std::to_string(record->is_concrete()) + " ";
        EXPECT_TRUE(record->file_name().empty() && record->reference_id().isNull() &&
                    record->transform().isEqualTo(AcGeMatrix3d::kIdentity));
        EXPECT_EQ(clip_text(record), "(0,0,0)");
        EXPECT_EQ(record->handle(), handle_of(record->member_id()));
    }
    EXPECT_EQ(materials, "10 01 00 ");  // steel, concrete, wood
    EXPECT_EQ(text(record_of(columns, c3)->start_point()), "(5,0,0)");
    EXPECT_EQ(record_names(current_beam_inventory()), "B1");
    EXPECT_EQ(record_names(current_wall_inventory()), "W1");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// CORE inserted twice, the second insert clipped and turned, with plan reps and a wall
// reinforcement beside the members: records per insert, numbers and what stays out of them.
TEST_F(BuildTest, AReferenceInsertedTwiceGivesARecordPerInsertOfEachKind) {
    const GUID guid = host_test::make_guid(9);
    ReferencedBuilding building = open_referenced_building();
    host_test::set_clip(building.second_insert, AcGeVector3d(0, 0, 1), true, 2.5, false, 0.0);
    DrawingBuilder main(building.database);
    host_test::add_member(main, new_member(Member::kBeam, L"B99", {0, 0, 3}, {5, 0, 3})
                                    .material(Member::kConcrete)
                                    .guids({guid}));
    host_test::add_brace(main, L"Brace", {0, 0, 0}, {5, 0, 3});
    const AcDbObjectId plan_rep = host_test::add_plan_rep(main, {0, 0, 3}, {5, 0, 3});
    const AcDbObjectId wall = host_test::add_wall(main, L"W8", {0, 0, 0}, {0, 5, 0}, 3);
    const AcDbObjectId reinforcement =
        host_test::add_wall_reinforcement(main, {0, 1, 0}, {0, 4, 0}, {wall});
    host_test::add_wall_reinforcement(main, {0, 2, 0}, {0, 2, 0}, {wall});  // no geometry
    DrawingBuilder core(building.core);
    const AcDbObjectId core_plan_rep = host_test::add_plan_rep(core, {1, 0, 3}, {4, 0, 3});
    host_test::add_wall(core, L"W31", {0, 0, 0}, {5, 0, 0}, 3);

    Member_inventory* columns = current_column_inventory();
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(record_names(columns), "C12 C7@CORE C7@CORE");
    const Inventoried_assembly* moved = record_of(columns, building.c7, building.first_insert);
    const Inventoried_assembly* turned = record_of(columns, building.c7, building.second_insert);
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(text(moved->start_point()) + text(turned->start_point()), "(11,1,0)(19,1,0)");
    EXPECT_TRUE(moved->transform().isEqualTo(block_transform_of(building.first_insert).inverse()));
    EXPECT_TRUE(
        turned->transform().isEqualTo(block_transform_of(building.second_insert).inverse()));
    // The transform takes points of the host drawing back into CORE's.
    EXPECT_EQ(text(moved->transform() * moved->start_point()) +
                  text(turned->transform() * AcGePoint3d(19, 1, 3)),
              "(1,1,0)(1,1,3)");
    EXPECT_EQ(moved->file_name(), L"CORE");
    EXPECT_EQ(moved->handle(), handle_of(building.c7));
    EXPECT_EQ(turned->handle(), moved->handle());
    EXPECT_EQ(clip_text(moved) + " | " + clip_text(turned),
              "(0,0,0) | (0,0,1) front 2.5 noback 0.0");

    // The highest trailing number; a nameless number (-1) lowers nothing.
    EXPECT_EQ(columns->highest_member_number(), 12);
    EXPECT_EQ(current_brace_inventory()->highest_member_number(), 0);
    EXPECT_EQ(current_wall_inventory()->highest_member_number(), 31);  // from the reference
    EXPECT_EQ(record_names(current_beam_inventory()), "B3 B99");
    EXPECT_EQ(current_beam_inventory()->highest_member_number(), 99);
    EXPECT_NE(current_beam_inventory()->find_imported(guid), nullptr);

    // Plan reps and rebar configs keep their own records and touch neither number nor index.
    Member_inventory* plan_reps = get_plan_rep_inventory(nullptr);
    Member_inventory* rebar_configs = get_rebar_config_inventory(nullptr);
    ASSERT_NE(plan_reps, nullptr);
    ASSERT_NE(rebar_configs, nullptr);
    EXPECT_TRUE(plan_reps->collect_plan_reps() && rebar_configs->collect_rebar_configs());
    EXPECT_EQ(plan_reps->records().size(), 3u);  // its own, and CORE's through each insert
    for (const auto& entry : plan_reps->records()) {
        EXPECT_NE(dynamic_cast<KORVconcrete_plan_rep_inventoried_assembly*>(entry.second), nullptr);
        EXPECT_TRUE(entry.second->is_concrete() && !entry.second->is_first_material());
    }
    const Inventoried_assembly* turned_rep =
        record_of(plan_reps, core_plan_rep, building.second_insert);
    ASSERT_NE(turned_rep, nullptr);
    // CORE's plan rep keeps CORE's coordinates.
    EXPECT_EQ(text(record_of(plan_reps, plan_rep)->start_point()) + text(turned_rep->start_point()),
              "(0,0,3)(1,0,3)");
    EXPECT_TRUE(turned_rep->transform().isEqualTo(turned->transform()));
    ASSERT_EQ(rebar_configs->records().size(), 1u);
    const Inventoried_assembly* config = record_of(rebar_configs, reinforcement);
    ASSERT_NE(config, nullptr);
    EXPECT_NE(dynamic_cast<const KORVWall_rebar_config_inventoried_assembly*>(config), nullptr);
    EXPECT_EQ(text(config->start_point()), "(0,1,0)");
    EXPECT_EQ(config->handle(), handle_of(reinforcement));
    for (Member_inventory* inventory : {plan_reps, rebar_configs}) {
        EXPECT_EQ(inventory->highest_member_number(), 0);
        EXPECT_EQ(inventory->find_imported(guid), nullptr);
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(BuildTest, StartPointsAndTransformsHoldForAnyPlacement) {
    const unsigned seed = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
    std::uniform_real_distribution<double> angle(-7.0, 7.0);
    std::uniform_real_distribution<double> factor(0.2, 5.0);

    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    const AcGePoint3d base(1, 2, 3);
    const AcDbObjectId column = host_test::add_column(core_builder, L"C7", base, 4);
    const AcDbObjectId record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));

    // Where each insert puts a point of CORE: scaled, turned about Z, then moved.
    std::vector<std::pair<AcDbObjectId, host_test::Placement>> inserts;
    for (int i = 0; i < 12; ++i) {
        host_test::Placement placement;
        placement.position = {coordinate(random), coordinate(random), coordinate(random)};
        placement.rotation = angle(random);
        const double uniform = factor(random);
        placement.scale = i % 2 ? AcGeScale3d(uniform, uniform, uniform)
                                : AcGeScale3d(factor(random), factor(random), factor(random));
        inserts.push_back({main.insert(record, placement), placement});
    }
    auto place = [](const host_test::Placement& placement, const AcGePoint3d& p) {
        const double c = std::cos(placement.rotation), s = std::sin(placement.rotation);
        const double x = placement.scale.sx * p.x, y = placement.scale.sy * p.y;
        return AcGePoint3d(placement.position.x + c * x - s * y,
                           placement.position.y + s * x + c * y,
                           placement.position.z + placement.scale.sz * p.z);
    };

    Member_inventory* columns = current_column_inventory();
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(columns->records().size(), inserts.size());
    const AcGePoint3d top = base + AcGeVector3d(0, 0, 4);
    for (const auto& [insert, placement] : inserts) {
        const Inventoried_assembly* seen = record_of(columns, column, insert);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(text(seen->start_point()), text(place(placement, base)));
        EXPECT_EQ(text(seen->transform() * place(placement, top)), text(top));
    }
}

// Frozen, unloaded and unresolved references add nothing; a reference nested in CORE is
// seen with no reference id and its own insert's transform.
TEST_F(BuildTest, OnlyVisibleLoadedReferencesAddRecordsNestedOnesTheirOwnTransform) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    host_test::add_column(main, L"C1", {0, 0, 0}, 3);
    auto drawing_with_column = [](const std::wstring& name, const std::wstring& layer = L"") {
        auto drawing = host_test::new_drawing();
        DrawingBuilder builder(drawing.get());
        host_test::add_member(builder, new_member(Member::kColumn, name).layer(layer));
        if (!layer.empty()) builder.layer(layer, true);
        return drawing;
    };
    // Inserted on a frozen layer and again on a layer that is only off: the second counts,
    // and the reference's own frozen layers are not looked at.
    const AcDbObjectId partly =
        main.attach_xref(L"PARTLY", L"C:/proj/partly.dwg", drawing_with_column(L"C5", L"F"));
    main.insert(partly, {{10, 0, 0}}, L"XREF_FROZEN");
    const AcDbObjectId visible = main.insert(partly, {{20, 0, 0}}, L"XREF_OFF");
    main.insert(main.attach_xref(L"FROZEN", L"C:/proj/frozen.dwg", drawing_with_column(L"C6")),
                {{30, 0, 0}}, L"XREF_FROZEN");
    for (AcDb::XrefStatus status :
         {AcDb::kXrfUnloaded, AcDb::kXrfUnresolved, AcDb::kXrfFileNotFound}) {
        const std::wstring name = L"REF" + std::to_wstring(status);
        const AcDbObjectId record = main.attach_xref(name, L"C:/proj/" + name + L".dwg",
                                                     drawing_with_column(L"C7" + name), status);
        // Content left in the record itself must not count either: only the status tells.
        host_test::add_member(main, new_member(Member::kColumn, L"C8" + name), record);
        main.insert(record, {{40, 0, 0}});
    }
    main.layer(L"XREF_FROZEN", true);
    main.layer(L"XREF_OFF", false, true);
    auto inner = host_test::new_drawing();
    DrawingBuilder inner_builder(inner.get());
    const AcDbObjectId c3 = host_test::add_column(inner_builder, L"C3", {0, 0, 0}, 3);
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    host_test::add_column(core_builder, L"C7", {1, 1, 0}, 3);
    const AcDbObjectId nested = core_builder.insert(
        core_builder.attach_xref(L"INNER", L"C:/proj/inner.dwg", std::move(inner)),
        {{0, 5, 0}, kQuarterTurn});
    const AcDbObjectId core_insert =
        main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)), {{100, 0, 0}});

    Member_inventory* columns = current_column_inventory();
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(record_names(columns), "C1 C5@PARTLY C3@INNER C7@CORE");
    std::vector<AcDbObjectId> references;
    for (const auto& entry : columns->records()) references.push_back(entry.second->reference_id());
    EXPECT_EQ(references,
              (std::vector<AcDbObjectId>{AcDbObjectId(), visible, AcDbObjectId(), core_insert}));
    const Inventoried_assembly* seen = record_of(columns, c3);
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(seen->transform().isEqualTo(block_transform_of(nested).inverse()));
    EXPECT_FALSE(seen->transform().isEqualTo(block_transform_of(core_insert).inverse()));
    EXPECT_EQ(text(seen->start_point()), "(0,5,0)");
    EXPECT_EQ(text(seen->transform() * AcGePoint3d(0, 6, 0)), "(1,0,0)");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(BuildTest, ALaterMemberWithTheSameGuidTakesTheIndexEntryOver) {
    const GUID g1 = host_test::make_guid(1), g2 = host_test::make_guid(2),
               g3 = host_test::make_guid(3), g4 = host_test::make_guid(4);
    ReferencedBuilding building = open_referenced_building();
    DrawingBuilder main(building.database);
    const AcDbObjectId c1 =
        host_test::add_member(main, new_member(Member::kColumn, L"C1").guids({g1, g2}));
    const AcDbObjectId c2 = host_test::add_member(
        main, new_member(Member::kColumn, L"C2", {5, 0, 0}, {5, 0, 3}).guids({g1}));
    const AcDbObjectId b1 = host_test::add_member(
        main, new_member(Member::kBeam, L"B1", {0, 0, 3}, {5, 0, 3}).guids({g3}));
    DrawingBuilder core(building.core);
    const AcDbObjectId c8 =
        host_test::add_member(core, new_member(Member::kColumn, L"C8").guids({g4}));

    Member_inventory* columns = current_column_inventory();
    ASSERT_NE(columns, nullptr);
    using Seen = std::pair<AcDbObjectId, AcDbObjectId>;
    EXPECT_EQ(imported(columns, g1), Seen(c2, AcDbObjectId()));
    EXPECT_EQ(imported(columns, g2), Seen(c1, AcDbObjectId()));
    EXPECT_EQ(imported(columns, g4), Seen(c8, building.second_insert));  // the later insert's
    EXPECT_EQ(imported(columns, g3), Seen());                            // a beam's GUID
    EXPECT_EQ(imported(columns, host_test::make_guid(5)), Seen());
    EXPECT_EQ(imported(current_beam_inventory(), g3), Seen(b1, AcDbObjectId()));
}

TEST_F(BuildTest, MemberNumbersAndRecordMakersWithoutAnObject) {
    const std::pair<const wchar_t*, int> numbers[] = {
        {L"C12", 12},    {L"B12A", 12},
        {L"A1B22C", 22}, {L"X007", 7},
        {L"12", 12},     {L"Column", -1},
        {L"", -1},       {L"C99999999999", std::numeric_limits<int>::max()}};
    for (const auto& [name, number] : numbers) EXPECT_EQ(member_number(name), number) << name;

    Member_inventory inventory(false, false);
    add_member(&inventory, nullptr, {}, L"", AcDbObjectId(), AcGeMatrix3d(), {});
    add_plan_rep(&inventory, nullptr, {}, L"", AcDbObjectId(), AcGeMatrix3d(), {});
    add_rebar_config(&inventory, nullptr, {}, L"", AcDbObjectId(), AcGeMatrix3d(), {});
    EXPECT_TRUE(inventory.records().empty());
    EXPECT_EQ(inventory.highest_member_number(), 0);
    EXPECT_EQ(host_test::assertion_summary(),
              "a@member_inventory a@member_inventory a@member_inventory");
}
