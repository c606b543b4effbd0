// The structural library stand-in as the inventories rely on it: kind and material tests,
// clip values of inserts, the frozen-layer test, and its call points that tests make throw.
#include <memory>
#include <sstream>
#include <stdexcept>

#include "inventory_fixture.h"

using host_test::DrawingBuilder;
using Member = KORVLinear_structural_member;

class LibraryTest : public ModuleTest {
protected:
    // "column", "beam", ... for whichever kind tests answer true, joined by spaces.
    static std::string kinds_of(AcDbObjectId id) {
        AcDbObjectPointer<Member> member(id, AcDb::kForRead);
        if (member.openStatus() != Acad::eOk) return "?";
        std::string kinds;
        const std::pair<Member::Kind, bool> answers[] = {{Member::kColumn, member->is_column()},
                                                         {Member::kBeam, member->is_beam()},
                                                         {Member::kBrace, member->is_brace()},
                                                         {Member::kWall, member->is_wall()}};
        static const char* const kNames[] = {"column", "beam", "brace", "wall"};
        for (const auto& answer : answers) {
            if (answer.second)
                kinds += (kinds.empty() ? "" : " ") + std::string(kNames[answer.first]);
        }
        return kinds;
    }
};

TEST_F(LibraryTest, EachMemberIsExactlyOneKindAndItsMaterial) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    const AcDbObjectId column = host_test::add_column(main, L"C1", {0, 0, 0}, 3);
    const AcDbObjectId beam =
        host_test::add_beam(main, L"B1", {0, 0, 3}, {5, 0, 3}, Member::kConcrete);
    const AcDbObjectId brace = host_test::add_brace(main, L"BR1", {0, 0, 0}, {5, 0, 3});
    const AcDbObjectId wall = host_test::add_wall(main, L"W1", {0, 0, 0}, {0, 5, 0}, 3);
    const AcDbObjectId wood = host_test::add_member(
        main, new_member(Member::kColumn, L"C2").material(Member::kWood).section(L"W12X40"));
    EXPECT_EQ(
        kinds_of(column) + "," + kinds_of(beam) + "," + kinds_of(brace) + "," + kinds_of(wall),
        "column,beam,brace,wall");

    auto materials_of = [](AcDbObjectId id) {
        AcDbObjectPointer<Member> member(id, AcDb::kForRead);
        return std::to_string(member->is_steel()) + std::to_string(member->is_concrete());
    };
    EXPECT_EQ(materials_of(column), "10");
    EXPECT_EQ(materials_of(beam), "01");
    EXPECT_EQ(materials_of(wall), "01");  // walls are concrete
    EXPECT_EQ(materials_of(wood), "00");

    AcDbObjectPointer<Member> named(wood, AcDb::kForRead);
    EXPECT_EQ(named->get_full_member_name(false), L"C2");
    EXPECT_EQ(named->get_full_member_name(true), L"C2 W12X40");
    EXPECT_EQ(named->get_imported(), 0);
}

TEST_F(LibraryTest, ClipValuesAndFrozenLayersAreThoseOfTheInsertAndEntity) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    const AcDbObjectId block = main.define_block(L"DETAIL");
    const AcDbObjectId plain = main.insert(block, {{1, 0, 0}});
    const AcDbObjectId clipped = main.insert(block, {{2, 0, 0}});
    host_test::set_clip(clipped, AcGeVector3d(0, 0, -1), false, 0.0, true, 4.5);
    // "found normal front_on front back_on back", every output overwritten from junk.
    auto clip_of = [](AcDbObjectId id) {
        std::unique_ptr<AcDbObjectPointer<AcDbBlockReference>> reference;
        if (!id.isNull())
            reference = std::make_unique<AcDbObjectPointer<AcDbBlockReference>>(id, AcDb::kForRead);
        AcGeVector3d normal(9, 9, 9);
        bool front_on = true, back_on = true;
        double front_depth = 9.0, back_depth = 9.0;
        const bool found =
            KORVget_clip_depth_values(reference ? reference->object() : nullptr, normal, front_on,
                                      front_depth, back_on, back_depth);
        std::ostringstream out;
        out << found << " (" << normal.x << "," << normal.y << "," << normal.z << ") " << front_on
            << " " << front_depth << " " << back_on << " " << back_depth;
        return out.str();
    };
    EXPECT_EQ(clip_of(plain), "0 (0,0,0) 0 0 0 0");
    EXPECT_EQ(clip_of(clipped), "1 (0,0,-1) 0 0 1 4.5");
    EXPECT_EQ(clip_of(AcDbObjectId()), "0 (0,0,0) 0 0 0 0");  // no insert: none

    // The frozen-layer test looks at the entity's own layer: frozen, not merely off.
    const AcDbObjectId on_frozen =
        host_test::add_member(main, new_member(Member::kColumn, L"C1").layer(L"HIDDEN"));
    const AcDbObjectId on_off =
        host_test::add_member(main, new_member(Member::kColumn, L"C2").layer(L"DIMMED"));
    main.layer(L"HIDDEN", true);
    main.layer(L"DIMMED", false, true);
    auto frozen = [](AcDbObjectId id) {
        AcDbObjectPointer<AcDbEntity> entity(id, AcDb::kForRead);
        return KORVis_on_frozen_layer(entity);
    };
    EXPECT_TRUE(frozen(on_frozen));
    EXPECT_FALSE(frozen(on_off) || KORVis_on_frozen_layer(nullptr));
    main.layer(L"HIDDEN", false);
    EXPECT_FALSE(frozen(on_frozen));
}

TEST_F(LibraryTest, ThrowInLibraryMakesTheNamedCallThrowOnce) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    const AcDbObjectId c1 = host_test::add_column(main, L"C1", {0, 0, 0}, 3);
    const AcDbObjectId c2 = host_test::add_column(main, L"C2", {5, 0, 0}, 3);
    AcDbObjectPointer<Member> first(c1, AcDb::kForRead);
    AcDbObjectPointer<Member> second(c2, AcDb::kForRead);

    host_test::throw_in_library("is_column");
    EXPECT_FALSE(first->is_beam());  // another call is not affected
    EXPECT_THROW(first->is_column(), std::runtime_error);
    EXPECT_TRUE(first->is_column());  // spent

    host_test::throw_in_library("get_start_point", 2, c2);
    EXPECT_NO_THROW(first->get_start_point(true));
    EXPECT_NO_THROW(first->get_start_point(true));  // another member does not count
    EXPECT_NO_THROW(second->get_start_point(true));
    EXPECT_THROW(second->get_start_point(true), std::runtime_error);
    EXPECT_EQ(host_test::armed_fault_count(), 0);

    host_test::throw_in_library("KORVis_on_frozen_layer");
    EXPECT_THROW(KORVis_on_frozen_layer(first.object()), std::runtime_error);
}
