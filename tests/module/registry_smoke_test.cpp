#include "member_inventory.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;

class RegistrySmokeTest : public ModuleTest {};

TEST_F(RegistrySmokeTest, BuildsColumnsOfModelSpaceAndReferences) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    host_test::add_column(main, L"C12", {0, 0, 0}, 3);
    host_test::add_beam(main, L"B3", {0, 0, 3}, {5, 0, 3});
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    host_test::add_column(core_builder, L"C7", {1, 1, 0}, 3);
    AcDbObjectId core_record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
    main.insert(core_record, {{10, 0, 0}});
    main.insert(core_record, {{20, 0, 0}, 1.5707963267948966});

    Member_inventory* columns = current_column_inventory();
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(columns->records().size(), 3u);
    EXPECT_EQ(columns->highest_member_number(), 12);
    EXPECT_EQ(current_column_inventory(), columns);
    EXPECT_EQ(host_test::assertion_summary(), "");
}
