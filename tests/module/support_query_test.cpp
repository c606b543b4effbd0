// Support relation queries: which member lies under, starts, ends or lies below a point,
// which beams meet at a point, which member ends have no support, and which beams are the
// drawing's own. The library decides the geometry; the module decides the candidates (in
// inventory order, the excluded member never one of them), what an answer writes, and that
// a library failure costs one record only.
#include <cmath>
#include <cwchar>
#include <functional>
#include <optional>
#include <random>

#include "member_inventory.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using Member = KORVLinear_structural_member;

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

// The exported single-answer searches, all brought to one shape.
typedef std::function<bool(const AcGePoint3d&, const AcDbObjectId&, KORVid_and_filename&)> Single;

// The concrete column searches, of the current drawing unless a database and name are given.
Single concrete_column(bool starting, AcDbDatabase* database = nullptr,
                       const std::wstring& name = L"") {
    return [=](auto& p, auto& x, auto& out) {
        return starting ? KORVfind_starting_concrete_column(p, x, database, name, out)
                        : KORVfind_underlying_concrete_column(p, x, database, name, out);
    };
}
// The beam searches, whose second point is the first unless given.
Single beam_under(bool brace, std::optional<AcGePoint3d> second = std::nullopt) {
    return [=](auto& p, auto& x, auto& out) {
        return brace ? KORVfind_Vanta_brace_underlying_beam(p, second.value_or(p), x, out)
                     : KORVfind_underlying_beam(p, second.value_or(p), x, out);
    };
}
const Single underlying_concrete_column = concrete_column(false);
const Single starting_concrete_column = concrete_column(true);
const Single underlying_beam = beam_under(false), brace_underlying_beam = beam_under(true);

// A beam with the support of its ends and its lateral role set.
host_test::MemberPlan beam(const std::wstring& name, const AcGePoint3d& start,
                           const AcGePoint3d& end, bool no_start = false, bool no_end = false,
                           Member::Kind kind = Member::kBeam) {
    host_test::MemberPlan plan;
    plan.kind = kind;
    plan.name = name;
    plan.start = start;
    plan.end = end;
    plan.unsupported_start = no_start;
    plan.unsupported_end = no_end;
    return plan;
}

}  // namespace

class SupportQueryTest : public ModuleTest {
protected:
    // A new current drawing, or (no file name) a drawing to be referenced, at the given
    // length tolerance (0: the library's default).
    DrawingBuilder open_drawing(const std::wstring& file_name = L"C:/proj/main.dwg") {
        DrawingBuilder drawing(open_document(file_name)->database());
        KORVset_database_length_tolerance(drawing.database(), 0.0);
        if (marker_.isNull()) marker_ = drawing.model_space();
        return drawing;
    }
    static std::unique_ptr<AcDbDatabase> new_reference_drawing(double tolerance = 0.0) {
        auto drawing = host_test::new_drawing();
        KORVset_database_length_tolerance(drawing.get(), tolerance);
        return drawing;
    }

    // An output holding what no single answer writes: a marker id, file name, reference id
    // and handle text.
    KORVid_and_filename prefilled() const {
        KORVid_and_filename out(marker_, L"before", marker_);
        std::wcscpy(out.handle_text, L"7F");
        return out;
    }
    // Runs one search: "C2@CORE" for what it wrote (never the reference id nor the handle
    // text), "-" for an output left as it was; true must come with a written answer.
    std::string find(const Single& query, const AcGePoint3d& point,
                     AcDbObjectId exclude = AcDbObjectId()) {
        KORVid_and_filename out = prefilled();
        const bool found = query(point, exclude, out);
        EXPECT_EQ(out.reference_id, marker_);
        EXPECT_STREQ(out.handle_text, L"7F");
        std::string text = "-";
        if (out.id != marker_) text = names(std::list<KORVid_and_filename>{out});
        EXPECT_EQ(found, text != "-") << text;
        EXPECT_EQ(out.file_name == L"before", !found);
        expect_host_clean();
        return text;
    }
    // "B1 B4@CORE", after the entry the list held before; every entry names its insert and
    // carries no handle text.
    std::string connecting(const AcGePoint3d& point, AcDbObjectId exclude = AcDbObjectId(),
                           AcDbObjectId insert = AcDbObjectId()) {
        std::list<KORVid_and_filename> result{prefilled()};
        EXPECT_TRUE(KORVfind_connecting_beams(point, exclude, result));
        expect_host_clean();
        EXPECT_EQ(result.front().id, marker_);
        result.pop_front();
        for (const KORVid_and_filename& entry : result) {
            EXPECT_EQ(entry.reference_id, entry.file_name.empty() ? AcDbObjectId() : insert);
            EXPECT_STREQ(entry.handle_text, L"");
        }
        return names(result);
    }
    // "B1:0 B1:1 B2:1", after the entry the list held before.
    std::string unsupported(bool (*query)(std::list<std::pair<AcDbObjectId, int>>&)) {
        std::list<std::pair<AcDbObjectId, int>> result{{marker_, 9}};
        EXPECT_TRUE(query(result));
        expect_host_clean();
        EXPECT_EQ(result.front(), std::make_pair(marker_, 9));
        result.pop_front();
        std::string text;
        for (const auto& [id, end] : result)
            text += (text.empty() ? "" : " ") + name_of(id) + ":" + std::to_string(end);
        return text;
    }

    AcDbObjectId marker_;
};

// Each first member is off the point by less than the tolerance, each second sits on it:
// the first wins, excluding it gives the second, and so does a library failure in its test.
TEST_F(SupportQueryTest, TheFirstMemberWinsWhicheverIsNearerAndAFailureSkipsItsRecordOnly) {
    DrawingBuilder main = open_drawing();
    const AcDbObjectId c1 =
        host_test::add_column(main, L"C1", {0.0004, 0, 0}, 3, Member::kConcrete);
    const AcDbObjectId c2 = host_test::add_column(main, L"C2", {0, 0, 0}, 3, Member::kConcrete);
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {0.0004, -5, 0}, {0.0004, 5, 0}, 3);
    host_test::add_wall(main, L"W2", {0, -5, 0}, {0, 5, 0}, 3);
    const AcDbObjectId b1 = host_test::add_beam(main, L"B1", {-5, 0.0004, 3}, {5, 0.0004, 3});
    host_test::add_beam(main, L"B2", {-5, 0, 3}, {5, 0, 3});

    struct Case {
        const char* call;
        Single query;
        AcGePoint3d point;
        AcDbObjectId first;
        std::string second;
    };
    const std::vector<Case> cases = {
        {"is_under_point", KORVfind_underlying_column, {0, 0, 3}, c1, "C2"},
        {"is_under_point", underlying_concrete_column, {0, 0, 3}, c1, "C2"},
        {"starts_at_point", KORVfind_starting_column, {0, 0, 0}, c1, "C2"},
        {"starts_at_point", starting_concrete_column, {0, 0, 0}, c1, "C2"},
        {"get_end_point", KORVfind_ending_column, {0, 0, 3}, c1, "C2"},
        {"is_under_point", KORVfind_underlying_wall, {0, 0, 3}, w1, "W2"},
        {"is_below_point", KORVfind_wall_below, {0, 0, 7}, w1, "W2"},
        {"is_under_point", underlying_beam, {0, 0, 3}, b1, "B2"},
        {"is_under_brace_point", brace_underlying_beam, {0, 0, 3}, b1, "B2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call + (" on " + name_of(c.first)));
        EXPECT_EQ(find(c.query, c.point), name_of(c.first));
        EXPECT_EQ(find(c.query, c.point, c.first), c.second);
        host_test::throw_in_library(c.call, 1, c.first);
        EXPECT_EQ(find(c.query, c.point), c.second);
        EXPECT_EQ(host_test::armed_fault_count(), 0);
        EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
        host_test::clear_faults();
        host_test::clear_assertion_reports();
    }
    EXPECT_EQ(connecting({5, 0, 3}), "B1 B2");
    host_test::throw_in_library("get_end_point", 1, b1);
    EXPECT_EQ(connecting({5, 0, 3}), "B2");
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    host_test::clear_assertion_reports();
    // Excluding some other member changes nothing.
    EXPECT_EQ(find(KORVfind_ending_column, {0, 0, 3}, main.model_space()), "C1");
    EXPECT_EQ(find(KORVfind_underlying_column, {0, 0, 3}, c2), "C1");

    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, TheExcludedMemberIsNeverACandidateAndConcreteSearchesSkipOthers) {
    DrawingBuilder main = open_drawing();
    const AcDbObjectId c1 = host_test::add_column(main, L"C1", {0, 0, 0}, 3, Member::kConcrete);
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {10, -5, 0}, {10, 5, 0}, 3);
    const AcDbObjectId b1 = host_test::add_beam(main, L"B1", {20, -5, 3}, {20, 5, 3});
    host_test::add_column(main, L"CS", {30, 0, 0}, 3, Member::kSteel);
    const std::vector<std::tuple<Single, AcGePoint3d, AcDbObjectId>> cases = {
        {KORVfind_underlying_column, {0, 0, 3}, c1}, {underlying_concrete_column, {0, 0, 3}, c1},
        {KORVfind_starting_column, {0, 0, 0}, c1},   {starting_concrete_column, {0, 0, 0}, c1},
        {KORVfind_ending_column, {0, 0, 3}, c1},     {KORVfind_underlying_wall, {10, 0, 3}, w1},
        {KORVfind_wall_below, {10, 0, 5}, w1},       {underlying_beam, {20, 0, 3}, b1},
        {brace_underlying_beam, {20, 1, 3}, b1},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [query, point, only] = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        EXPECT_EQ(find(query, point), name_of(only));
        EXPECT_EQ(find(query, point, only), "-");
    }
    EXPECT_EQ(connecting({20, 5, 3}), "B1");
    EXPECT_EQ(connecting({20, 5, 3}, b1), "");
    EXPECT_EQ(find(KORVfind_starting_column, {30, 0, 0}), "CS");
    EXPECT_EQ(find(underlying_concrete_column, {30, 0, 3}), "-");
    EXPECT_EQ(find(starting_concrete_column, {30, 0, 0}), "-");

    // A side drawing, searched by its database and name; unnamed, a drawing that is neither
    // the document's nor a reference's has no inventory.
    auto side = new_reference_drawing();
    DrawingBuilder side_builder(side.get());
    host_test::add_column(side_builder, L"C40", {5, 5, 0}, 3, Member::kConcrete);
    host_test::add_column(side_builder, L"C41", {5, 5, 0}, 4, Member::kWood);
    const std::wstring named = L"C:/proj/side.dwg";
    EXPECT_EQ(find(concrete_column(false, side.get(), named), {5, 5, 3}), "C40");
    EXPECT_EQ(find(concrete_column(false, side.get(), named), {5, 5, 4}), "-");  // C41 is wood
    EXPECT_EQ(find(concrete_column(true, side.get(), named), {5, 5, 0}), "C40");
    EXPECT_EQ(find(concrete_column(false, side.get()), {5, 5, 3}), "-");
    EXPECT_EQ(find(concrete_column(true, side.get()), {5, 5, 0}), "-");
    EXPECT_EQ(find(underlying_concrete_column, {5, 5, 3}), "-");  // not the side drawing's

    // No current document: no inventory, so every query is false and writes nothing.
    host_test::set_current_document(nullptr);
    for (const auto& [query, point, only] : cases) EXPECT_EQ(find(query, point), "-");
    std::list<KORVid_and_filename> results;
    std::list<std::pair<AcDbObjectId, int>> ends;
    std::list<AcDbObjectId> ids;
    EXPECT_FALSE(KORVfind_connecting_beams({20, 5, 3}, AcDbObjectId(), results));
    EXPECT_FALSE(KORVget_unsupported_columns(ends));
    EXPECT_FALSE(KORVget_unsupported_beams(ends));
    EXPECT_FALSE(KORVget_gravity_beams_in_database(ids));
    EXPECT_TRUE(results.empty() && ends.empty() && ids.empty());
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, TheTwoPointTestRejectsABeamAlsoUnderTheSecondPoint) {
    // B7 comes first: it is made in the referenced drawing before the host's beams.
    auto core = new_reference_drawing();
    DrawingBuilder core_builder(core.get());
    host_test::add_beam(core_builder, L"B7", {0, 0, 3}, {10, 0, 3});
    DrawingBuilder main = open_drawing();
    host_test::add_beam(main, L"B1", {0, 0, 3}, {10, 0, 3});
    host_test::add_beam(main, L"B2", {5, -5, 3}, {5, 5, 3});
    main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)), {{0, 20, 0}});

    for (bool brace : {false, true}) {
        SCOPED_TRACE(brace ? "brace variant" : "plain");
        // Equal points (also within gTol): the first test alone decides.
        EXPECT_EQ(find(beam_under(brace), {5, 0, 3}), "B1");
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{5, 1e-11, 3}), {5, 0, 3}), "B1");
        // B1 also runs under the second point (its end included), B2 does not.
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{8, 0, 3}), {5, 0, 3}), "B2");
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{10, 0, 3}), {5, 0, 3}), "B2");
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{7, 7, 3}), {5, 0, 3}), "B1");
        // Distinct by gTol, yet under both beams within the drawing's tolerance.
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{5.0002, 0, 3}), {5, 0, 3}), "-");
        // The second point is moved into the reference too: (8, 0, 3) is off B7 there.
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{8, 20, 3}), {5, 20, 3}), "-");
        EXPECT_EQ(find(beam_under(brace, AcGePoint3d{8, 0, 3}), {5, 20, 3}), "B7@CORE");
    }
    // At a beam's end only the plain test holds: the brace test leaves the ends out.
    EXPECT_EQ(find(underlying_beam, {10, 0, 3}), "B1");
    EXPECT_EQ(find(brace_underlying_beam, {10, 0, 3}), "-");
    EXPECT_EQ(find(brace_underlying_beam, {5, 5, 3}), "-");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// CORE's members match within CORE's own length tolerance where the insert places them;
// the host's within the host's. A referenced member comes first, whatever its distance.
TEST_F(SupportQueryTest, ReferencedMembersMatchWithinTheirOwnDrawingsTolerance) {
    auto core = new_reference_drawing(0.01);
    DrawingBuilder core_builder(core.get());
    host_test::add_column(core_builder, L"C7", {1, 1, 0}, 3);
    host_test::add_beam(core_builder, L"B7", {0, 0, 3}, {5, 0, 3});
    DrawingBuilder main = open_drawing();
    host_test::add_column(main, L"C12", {0, 0, 0}, 3);
    host_test::add_column(main, L"C13", {19.006, 1, 0}, 3);
    host_test::add_beam(main, L"B1", {0, 0, 3}, {5, 0, 3});
    const AcDbObjectId b2 = host_test::add_beam(main, L"B2", {5, 0, 3}, {5, 5, 3});
    host_test::add_beam(main, L"B3", {5, 5, 3}, {0, 5, 3});
    host_test::add_beam(main, L"B4", {5.0003, 0, 3}, {10, 0, 3});
    host_test::add_beam(main, L"B5", {5, 0.002, 3}, {5, 9, 3});
    host_test::add_beam(main, L"B6", {0, 0, 0}, {10, 0, 0});  // passes under, no end there
    // Moved by (20, 0, 0) and turned a quarter: C7's top (1, 1, 3) stands at (19, 1, 3), B7's
    // end (5, 0, 3) at (20, 5, 3).
    const AcDbObjectId insert =
        main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)),
                    {{20, 0, 0}, kQuarterTurn});

    EXPECT_EQ(find(KORVfind_ending_column, {19, 0.991, 3.003}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_ending_column, {19.02, 1, 3}), "-");
    EXPECT_EQ(find(KORVfind_ending_column, {1, 1, 3}), "-");                 // C7's own coordinates
    EXPECT_EQ(find(KORVfind_underlying_column, {19.006, 1, 3}), "C7@CORE");  // not C13
    EXPECT_EQ(find(KORVfind_starting_column, {19.006, 1, 0}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_ending_column, {0.0004, 0, 3}), "C12");
    EXPECT_EQ(find(KORVfind_ending_column, {0.006, 0, 3}), "-");

    // Beams meet a point at either end, the excluded one never.
    EXPECT_EQ(connecting({5, 0, 3}), "B1 B2 B4");
    EXPECT_EQ(connecting({5, 0, 3}, b2), "B1 B4");
    EXPECT_EQ(connecting({0, 5, 3}), "B3");
    EXPECT_EQ(connecting({5, 0, 0}), "");
    EXPECT_EQ(connecting({20.006, 5, 3}, AcDbObjectId(), insert), "B7@CORE");
    EXPECT_EQ(connecting({20.02, 5, 3}, AcDbObjectId(), insert), "");
    // B7's start (0, 0, 3) stands at (20, 0, 3); where the insert would move that point again,
    // (20, 20, 3), nothing starts.
    EXPECT_EQ(connecting({20, 0.004, 3}, AcDbObjectId(), insert), "B7@CORE");
    EXPECT_EQ(connecting({20, 20, 3}, AcDbObjectId(), insert), "");

    // Over random placements of the insert: found inside the tolerance, not outside it.
    std::mt19937 random(static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed()));
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0), angle(0.0, 6.283185);
    for (int i = 0; i < 10; ++i) {
        const AcGeVector3d offset(coordinate(random), coordinate(random), coordinate(random));
        const double rotation = angle(random);
        {
            AcDbObjectPointer<AcDbBlockReference> reference(insert, AcDb::kForWrite);
            ASSERT_EQ(reference.openStatus(), Acad::eOk);
            reference->setPosition(AcGePoint3d::kOrigin + offset);
            reference->setRotation(rotation);
        }
        // The inventory keeps the placement of its build: each placement gets a new one.
        KORVinventory_document_to_be_destroyed(acDocManagerPtr()->curDocument());
        const AcGePoint3d top = AcGeMatrix3d::translation(offset) *
                                AcGeMatrix3d::rotation(rotation, AcGeVector3d::kZAxis) *
                                AcGePoint3d(1, 1, 3);
        const AcGeVector3d slant = AcGeVector3d(std::cos(rotation * 3), 0.5, -0.7).normal();
        SCOPED_TRACE(testing::Message() << "placement " << i << " rotation " << rotation);
        EXPECT_EQ(find(KORVfind_ending_column, top + slant * 0.009), "C7@CORE");
        EXPECT_EQ(find(KORVfind_ending_column, top + slant * 0.011), "-");
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// Referenced members count for the unsupported ends, once per insert, but the gravity beams
// are the drawing's own only: lateral and gravity ones in inventory order, never a brace.
TEST_F(SupportQueryTest, UnsupportedEndsComeStartFirstAndGravityBeamsAreTheDrawingsOwn) {
    auto core = new_reference_drawing();
    DrawingBuilder core_builder(core.get());
    host_test::add_member(core_builder, beam(L"B7", {0, 0, 3}, {5, 0, 3}, true, true));
    DrawingBuilder main = open_drawing();
    host_test::add_member(main, beam(L"C1", {0, 0, 0}, {0, 0, 3}, true, false, Member::kColumn));
    host_test::add_member(main, beam(L"C2", {5, 0, 0}, {5, 0, 3}, false, false, Member::kColumn));
    const AcDbObjectId record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
    main.insert(record, {{0, 20, 0}});
    main.insert(record, {{0, 40, 0}});
    std::list<AcDbObjectId> ids{marker_};
    EXPECT_TRUE(KORVget_gravity_beams_in_database(ids));  // every beam is a reference's
    EXPECT_EQ(names(ids), "?");
    expect_host_clean();

    const AcDbObjectId b1 =
        host_test::add_member(main, beam(L"B1", {0, 0, 3}, {5, 0, 3}, true, true));
    host_test::MemberPlan b2 = beam(L"B2", {0, 5, 3}, {5, 5, 3}, false, true);
    b2.lateral = true;
    host_test::add_member(main, b2);
    host_test::add_member(main, beam(L"B3", {0, 9, 3}, {5, 9, 3}));
    host_test::add_member(main, beam(L"B4", {0, 12, 3}, {5, 12, 3}, true));
    host_test::add_brace(main, L"BR1", {0, 0, 0}, {5, 0, 3});
    KORVinventory_document_to_be_destroyed(acDocManagerPtr()->curDocument());
    EXPECT_TRUE(KORVget_gravity_beams_in_database(ids));
    EXPECT_EQ(names(ids), "? B1 B2 B3 B4");
    EXPECT_EQ(unsupported(KORVget_unsupported_beams), "B7:0 B7:1 B7:0 B7:1 B1:0 B1:1 B2:1 B4:0");
    EXPECT_EQ(unsupported(KORVget_unsupported_columns), "C1:0");
    EXPECT_EQ(host_test::assertion_summary(), "");

    // A library failure costs that record only, whatever it had appended already.
    for (const auto& [call, left] :
         {std::pair{"is_unsupported_start", "B7:0 B7:1 B7:0 B7:1 B2:1 B4:0"},
          std::pair{"is_unsupported_end", "B7:0 B7:1 B7:0 B7:1 B1:0 B2:1 B4:0"}}) {
        host_test::throw_in_library(call, 1, b1);
        EXPECT_EQ(unsupported(KORVget_unsupported_beams), left);
        EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
        EXPECT_EQ(host_test::armed_fault_count(), 0);
        host_test::clear_assertion_reports();
    }
}
