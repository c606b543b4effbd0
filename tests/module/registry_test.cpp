// The drawing registry: one inventory per (current document, drawing name), built on the
// first lookup and kept until the document goes; the lookups that give none; the document
// lifecycle exports.
#include <algorithm>
#include <functional>
#include <set>

#include "inventory_fixture.h"

using host_test::DrawingBuilder;

class RegistryTest : public InventoryTest {};

// Keys are (current document, drawing name as given): a failed build stores nothing, a
// stored inventory is given again without a scan, in its own registry for each kind.
TEST_F(RegistryTest, EachDocumentAndNameKeepsOneInventoryPerKindBuiltOnce) {
    ReferencedBuilding building = open_referenced_building(L"C:/proj/main.dwg");
    host_test::fail_open_of(building.model_space, Acad::eWasOpenForWrite);
    EXPECT_EQ(current_column_inventory(), nullptr);
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    host_test::throw_in_library("KORVis_on_frozen_layer");
    EXPECT_EQ(current_column_inventory(), nullptr);
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    expect_host_clean();
    host_test::clear_assertion_reports();

    Member_inventory* columns = nullptr;
    EXPECT_GT(host_operations_of([&] { columns = current_column_inventory(); }), 0);
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(record_names(columns), "C12 C7@CORE C7@CORE");
    // A rescan would open model space again: make that open fail, and see it never happen.
    host_test::fail_open_of(building.model_space, Acad::eWasOpenForWrite);
    EXPECT_EQ(current_column_inventory(), columns);
    EXPECT_EQ(get_column_inventory(building.database, L"C:/proj/main.dwg"), columns);
    EXPECT_EQ(get_column_inventory(nullptr, L""), columns);  // the name the host reports
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    host_test::clear_faults();
    EXPECT_EQ(host_operations_of([&] { EXPECT_EQ(current_column_inventory(), columns); }), 0);

    Member_inventory* beams = current_beam_inventory();
    EXPECT_EQ(record_names(beams), "B3");
    EXPECT_EQ(record_names(current_brace_inventory()), "");
    const std::set<Member_inventory*> kinds = {columns, beams, current_brace_inventory(),
                                               current_wall_inventory()};
    EXPECT_EQ(kinds.size(), 4u);
    EXPECT_EQ(kinds.count(nullptr), 0u);

    // A name differing in case is another key.
    Member_inventory* upper_case = nullptr;
    EXPECT_GT(host_operations_of([&] {
                  upper_case = get_column_inventory(building.database, L"C:/proj/MAIN.dwg");
              }),
              0);
    ASSERT_NE(upper_case, nullptr);
    EXPECT_NE(upper_case, columns);
    EXPECT_EQ(record_names(upper_case), "C12 C7@CORE C7@CORE");

    // The reference's own drawing, looked up by its database, is keyed under its file.
    Member_inventory* core_in_first = get_column_inventory(building.core, L"");
    ASSERT_NE(core_in_first, nullptr);
    EXPECT_EQ(record_names(core_in_first), "C7");
    EXPECT_EQ(get_column_inventory(building.core, L"C:/proj/core.dwg"), core_in_first);

    // The same drawing name in a second document: a separate inventory of that document.
    AcApDocument* second = open_document(L"C:/proj/main.dwg");
    DrawingBuilder second_builder(second->database());
    host_test::add_column(second_builder, L"C40", {0, 0, 0}, 3);
    Member_inventory* second_columns = current_column_inventory();
    EXPECT_NE(second_columns, columns);
    EXPECT_EQ(record_names(second_columns), "C40");
    Member_inventory* core_in_second = get_column_inventory(building.core, L"");
    ASSERT_NE(core_in_second, nullptr);
    EXPECT_NE(core_in_second, core_in_first);

    // Back in the first document every entry is still there.
    host_test::set_current_document(building.document);
    host_test::set_working_database(building.database);
    EXPECT_EQ(host_operations_of([&] {
                  EXPECT_EQ(current_column_inventory(), columns);
                  EXPECT_EQ(get_column_inventory(building.core, L"C:/proj/core.dwg"),
                            core_in_first);
              }),
              0);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegistryTest, NoDocumentNoWorkingDatabaseOrANamelessForeignDrawingGiveNothing) {
    // Braces run the lookups in order.
    auto nothing_from = [](std::initializer_list<Member_inventory*> found) {
        for (Member_inventory* inventory : found) EXPECT_EQ(inventory, nullptr);
        return host_test::assertion_summary();
    };
    // No document at all, a working database all the same.
    auto side = host_test::new_drawing();
    DrawingBuilder side_builder(side.get());
    host_test::add_column(side_builder, L"C5", {0, 0, 0}, 3);
    host_test::set_file_name(side.get(), L"C:/proj/side.dwg");
    host_test::set_original_file_name(side.get(), L"C:/proj/side.dwg");
    host_test::set_working_database(side.get());
    EXPECT_EQ(nothing_from({current_column_inventory(),
                            get_column_inventory(side.get(), L"C:/proj/side.dwg"),
                            get_plan_rep_inventory(nullptr)}),
              "");
    // A document that is not current.
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    host_test::set_current_document(nullptr);
    EXPECT_EQ(nothing_from(
                  {current_column_inventory(), get_rebar_config_inventory(document->database())}),
              "");
    // A current document and no working database.
    host_test::set_current_document(document);
    host_test::set_working_database(nullptr);
    EXPECT_EQ(nothing_from({current_column_inventory()}), "db@member_inventory");
    host_test::clear_assertion_reports();
    EXPECT_EQ(nothing_from({get_beam_inventory(nullptr, L"C:/proj/main.dwg"),
                            get_plan_rep_inventory(nullptr)}),
              "");
    // A side database, neither the document's nor a reference's, must be named.
    host_test::set_working_database(document->database());
    EXPECT_EQ(
        nothing_from({get_column_inventory(side.get(), L""), get_plan_rep_inventory(side.get()),
                      get_rebar_config_inventory(side.get())}),
        "");
    EXPECT_EQ(record_names(get_column_inventory(side.get(), L"C:/proj/side.dwg")), "C5");
    // As the working database without an original name it cannot be named either.
    auto unnamed = host_test::new_drawing();
    host_test::set_working_database(unnamed.get());
    EXPECT_EQ(nothing_from({current_column_inventory()}), "drawing_name_ptr@member_inventory");
    host_test::set_working_database(document->database());
}

TEST_F(RegistryTest, ADrawingWithoutAFileNameIsKeyedUnderAnEmptyName) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    host_test::add_column(main, L"C1", {0, 0, 0}, 3);

    host_test::fail_next(host_test::HostOp::GetFilename, Acad::eNotApplicable);
    Member_inventory* nameless = get_column_inventory(nullptr, L"");
    ASSERT_NE(nameless, nullptr);
    EXPECT_EQ(record_names(nameless), "C1");
    EXPECT_EQ(host_test::assertion_summary(), "pDrawingName@member_inventory");
    host_test::clear_assertion_reports();

    Member_inventory* named = get_column_inventory(nullptr, L"");
    ASSERT_NE(named, nullptr);
    EXPECT_NE(named, nameless);
    EXPECT_EQ(current_column_inventory(), named);

    host_test::fail_next(host_test::HostOp::GetFilename, Acad::eNotApplicable);
    EXPECT_EQ(get_column_inventory(nullptr, L""), nameless);
    EXPECT_EQ(host_test::assertion_summary(), "pDrawingName@member_inventory");
}

TEST_F(RegistryTest, DestroyingADocumentDropsItsEntriesAndNoOthers) {
    // Every lookup kind under the current document, the reference's drawing included; the
    // last one scans the reference's model space, the others the document's.
    auto lookups = [](const ReferencedBuilding& building) {
        return std::vector<std::function<Member_inventory*()>>{
            current_column_inventory,
            current_beam_inventory,
            current_brace_inventory,
            current_wall_inventory,
            [] { return get_plan_rep_inventory(nullptr); },
            [] { return get_rebar_config_inventory(nullptr); },
            [core = building.core] { return get_column_inventory(core, L""); }};
    };
    auto look_everything_up = [&](const ReferencedBuilding& building) {
        std::vector<Member_inventory*> found;
        for (const auto& lookup : lookups(building)) found.push_back(lookup());
        return found;
    };
    // "S" for each lookup that scans: a scan opens model space, which is made to fail.
    auto which_scan = [&](const ReferencedBuilding& building) {
        std::string scanned;
        const auto all = lookups(building);
        for (size_t i = 0; i < all.size(); ++i) {
            host_test::fail_open_of(
                i + 1 == all.size() ? building.core_model_space : building.model_space,
                Acad::eWasOpenForWrite);
            Member_inventory* found = all[i]();
            scanned += host_test::armed_fault_count() == 0 && found == nullptr ? 'S' : '-';
            host_test::clear_faults();
        }
        return scanned;
    };

    ReferencedBuilding first = open_referenced_building(L"C:/proj/first.dwg");
    const std::vector<Member_inventory*> in_first = look_everything_up(first);
    ReferencedBuilding second = open_referenced_building(L"C:/proj/second.dwg");
    const std::vector<Member_inventory*> in_second = look_everything_up(second);
    for (Member_inventory* inventory : in_first) ASSERT_NE(inventory, nullptr);
    ASSERT_EQ(std::count(in_second.begin(), in_second.end(), nullptr), 0);

    AcApDocument* untouched = open_document(L"C:/proj/empty.dwg");
    KORVinventory_document_to_be_destroyed(untouched);  // no entries: nothing changes
    KORVinventory_document_to_be_destroyed(first.document);

    host_test::set_current_document(second.document);
    host_test::set_working_database(second.database);
    EXPECT_EQ(which_scan(second), "-------");
    EXPECT_EQ(look_everything_up(second), in_second);
    host_test::set_current_document(first.document);
    host_test::set_working_database(first.database);
    EXPECT_EQ(which_scan(first), "SSSSSSS");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(RegistryTest, CurDocumentHasChangedReportsEachChangeOfTheCurrentDocumentOnce) {
    // The last seen document outlives tests: start from a document this test made.
    AcApDocument* first = open_document(L"C:/proj/first.dwg");
    KORVcur_document_has_changed();
    EXPECT_FALSE(KORVcur_document_has_changed());

    AcApDocument* second = open_document(L"C:/proj/second.dwg");
    EXPECT_TRUE(KORVcur_document_has_changed());
    EXPECT_FALSE(KORVcur_document_has_changed());

    host_test::set_current_document(nullptr);
    EXPECT_FALSE(KORVcur_document_has_changed());
    host_test::set_current_document(second);  // no document in between is no change
    EXPECT_FALSE(KORVcur_document_has_changed());

    host_test::set_current_document(first);
    host_test::set_working_database(first->database());
    Member_inventory* columns = current_column_inventory();
    EXPECT_TRUE(KORVcur_document_has_changed());
    EXPECT_FALSE(KORVcur_document_has_changed());
    host_test::set_current_document(second);
    EXPECT_TRUE(KORVcur_document_has_changed());
    host_test::set_current_document(first);
    EXPECT_TRUE(KORVcur_document_has_changed());
    // The poll leaves the registries alone.
    EXPECT_EQ(host_operations_of([&] { EXPECT_EQ(current_column_inventory(), columns); }), 0);
    EXPECT_EQ(host_test::assertion_summary(), "");
}
