// Support relation queries: which member lies under, starts, ends or lies below a point,
// which beams meet at a point, which member ends have no support, and which beams are the
// drawing's own. The library decides the geometry; the module decides the candidates (in
// inventory order, the excluded member never one of them), what an answer writes, and that
// a library failure costs one record only.
#include <cmath>
#include <cwchar>
#include <functional>
#include <random>

#include "member_inventory.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::MemberPlan;
using Member = KORVLinear_structural_member;

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// The exported single-answer searches, all brought to one shape.
typedef std::function<bool(const AcGePoint3d&, const AcDbObjectId&, KORVid_and_filename&)> Single;

bool underlying_concrete_column(const AcGePoint3d& p, const AcDbObjectId& x,
                                KORVid_and_filename& out) {
    return KORVfind_underlying_concrete_column(p, x, nullptr, L"", out);
}
bool starting_concrete_column(const AcGePoint3d& p, const AcDbObjectId& x,
                              KORVid_and_filename& out) {
    return KORVfind_starting_concrete_column(p, x, nullptr, L"", out);
}
bool underlying_beam(const AcGePoint3d& p, const AcDbObjectId& x, KORVid_and_filename& out) {
    return KORVfind_underlying_beam(p, p, x, out);
}
bool brace_underlying_beam(const AcGePoint3d& p, const AcDbObjectId& x, KORVid_and_filename& out) {
    return KORVfind_Vanta_brace_underlying_beam(p, p, x, out);
}

}  // namespace

class SupportQueryTest : public ModuleTest {
protected:
    // A new current drawing at the library's default length tolerance.
    DrawingBuilder open_drawing(const std::wstring& file_name = L"C:/proj/main.dwg") {
        DrawingBuilder drawing(open_document(file_name)->database());
        set_tolerance(drawing.database(), 0.0);
        if (marker_.isNull()) marker_ = drawing.model_space();
        return drawing;
    }
    // A drawing to be attached as a reference, at the default tolerance.
    std::unique_ptr<AcDbDatabase> new_reference_drawing() {
        auto drawing = host_test::new_drawing();
        set_tolerance(drawing.get(), 0.0);
        return drawing;
    }
    void set_tolerance(const AcDbDatabase* database, double tolerance) {
        KORVset_database_length_tolerance(database, tolerance);
    }

    // A member with its lateral role and the support of its ends set.
    static AcDbObjectId add_flagged(DrawingBuilder& drawing, const MemberPlan& plan) {
        const AcDbObjectId id = host_test::add_member(drawing, plan);
        AcDbObjectPointer<Member> member(id, AcDb::kForWrite);
        EXPECT_EQ(member.openStatus(), Acad::eOk);
        if (member.openStatus() == Acad::eOk) {
            member->set_lateral(plan.lateral);
            member->set_unsupported_ends(plan.unsupported_start, plan.unsupported_end);
        }
        return id;
    }
    static MemberPlan spec_of(Member::Kind kind, const std::wstring& name, const AcGePoint3d& start,
                              const AcGePoint3d& end) {
        MemberPlan plan;
        plan.kind = kind;
        plan.name = name;
        plan.start = start;
        plan.end = end;
        return plan;
    }

    // An output holding what no single answer writes: a marker id, file name, reference id
    // and handle text.
    KORVid_and_filename prefilled() const {
        KORVid_and_filename out(marker_, L"before", marker_);
        std::wcscpy(out.handle_text, L"7F");
        return out;
    }
    // "C2@CORE" for what a single answer wrote, "-" for an output left as it was. The
    // reference id and handle text are never written.
    std::string answer(const KORVid_and_filename& out) const {
        EXPECT_EQ(out.reference_id, marker_);
        EXPECT_STREQ(out.handle_text, L"7F");
        if (out.id == marker_) {
            EXPECT_EQ(out.file_name, L"before");
            return "-";
        }
        return name_of(out.id) + (out.file_name.empty() ? "" : "@" + narrow(out.file_name));
    }
    // Runs one search; true must come with a written answer, false with none.
    std::string find(const Single& query, const AcGePoint3d& point,
                     AcDbObjectId exclude = AcDbObjectId()) {
        KORVid_and_filename out = prefilled();
        const bool found = query(point, exclude, out);
        const std::string text = answer(out);
        EXPECT_EQ(found, text != "-") << text;
        expect_host_clean();
        return text;
    }
    std::string find_beam(const AcGePoint3d& point1, const AcGePoint3d& point2,
                          bool brace = false) {
        return find(
            [&](const AcGePoint3d&, const AcDbObjectId& x, KORVid_and_filename& out) {
                return brace ? KORVfind_Vanta_brace_underlying_beam(point1, point2, x, out)
                             : KORVfind_underlying_beam(point1, point2, x, out);
            },
            point1);
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

private:
};

TEST_F(SupportQueryTest, TheFirstMemberInInventoryOrderWinsWhicheverIsNearer) {
    DrawingBuilder main = open_drawing();
    // Each first member is off the point by less than the tolerance; each second sits on it.
    host_test::add_column(main, L"C1", {0.0004, 0, 0}, 3);
    const AcDbObjectId c2 = host_test::add_column(main, L"C2", {0, 0, 0}, 3);
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {0.0004, -5, 0}, {0.0004, 5, 0}, 3);
    host_test::add_wall(main, L"W2", {0, -5, 0}, {0, 5, 0}, 3);
    const AcDbObjectId b1 = host_test::add_beam(main, L"B1", {-5, 0.0004, 3}, {5, 0.0004, 3});
    host_test::add_beam(main, L"B2", {-5, 0, 3}, {5, 0, 3});

    EXPECT_EQ(find(KORVfind_underlying_column, {0, 0, 3}), "C1");
    EXPECT_EQ(find(KORVfind_starting_column, {0, 0, 0}), "C1");
    EXPECT_EQ(find(KORVfind_ending_column, {0, 0, 3}), "C1");
    EXPECT_EQ(find(KORVfind_underlying_wall, {0, 0, 3}), "W1");
    EXPECT_EQ(find(KORVfind_wall_below, {0, 0, 7}), "W1");
    EXPECT_EQ(find(underlying_beam, {0, 0, 3}), "B1");
    EXPECT_EQ(find(brace_underlying_beam, {0, 0, 3}), "B1");

    // Excluding the first leaves the second; excluding some other member changes nothing.
    EXPECT_EQ(find(KORVfind_ending_column, {0, 0, 3}, main.model_space()), "C1");
    EXPECT_EQ(find(KORVfind_underlying_column, {0, 0, 3}, c2), "C1");
    EXPECT_EQ(find(KORVfind_wall_below, {0, 0, 7}, w1), "W2");
    EXPECT_EQ(find(underlying_beam, {0, 0, 3}, b1), "B2");

    // A referenced column made before the drawing's own comes first, whatever its distance.
    auto core = new_reference_drawing();
    DrawingBuilder core_builder(core.get());
    host_test::add_column(core_builder, L"C7", {1.0003, 1, 0}, 3);
    DrawingBuilder second = open_drawing(L"C:/proj/second.dwg");
    host_test::add_column(second, L"C12", {11, 1, 0}, 3);
    second.insert(second.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)), {{10, 0, 0}});
    EXPECT_EQ(find(KORVfind_underlying_column, {11, 1, 3}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_starting_column, {11, 1, 0}), "C7@CORE");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, TheExcludedMemberIsNeverACandidate) {
    DrawingBuilder main = open_drawing();
    const AcDbObjectId c1 = host_test::add_column(main, L"C1", {0, 0, 0}, 3, Member::kConcrete);
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {10, -5, 0}, {10, 5, 0}, 3);
    const AcDbObjectId b1 = host_test::add_beam(main, L"B1", {20, -5, 3}, {20, 5, 3});
    struct Case {
        const char* what;
        Single query;
        AcGePoint3d point;
        AcDbObjectId only;
    };
    const std::vector<Case> cases = {
        {"underlying column", KORVfind_underlying_column, {0, 0, 3}, c1},
        {"underlying concrete column", underlying_concrete_column, {0, 0, 3}, c1},
        {"starting column", KORVfind_starting_column, {0, 0, 0}, c1},
        {"starting concrete column", starting_concrete_column, {0, 0, 0}, c1},
        {"ending column", KORVfind_ending_column, {0, 0, 3}, c1},
        {"underlying wall", KORVfind_underlying_wall, {10, 0, 3}, w1},
        {"wall below", KORVfind_wall_below, {10, 0, 5}, w1},
        {"underlying beam", underlying_beam, {20, 0, 3}, b1},
        {"brace underlying beam", brace_underlying_beam, {20, 1, 3}, b1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(find(c.query, c.point), name_of(c.only));
        EXPECT_EQ(find(c.query, c.point, c.only), "-");
    }
    EXPECT_EQ(connecting({20, 5, 3}), "B1");
    EXPECT_EQ(connecting({20, 5, 3}, b1), "");

    // No current document: no inventory, so every query is false and writes nothing.
    host_test::set_current_document(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(find(c.query, c.point), "-");
    }
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

TEST_F(SupportQueryTest, ConcreteVariantsSearchTheNamedDrawingsConcreteColumns) {
    DrawingBuilder main = open_drawing();
    host_test::add_column(main, L"CS", {0, 0, 0}, 3, Member::kSteel);
    host_test::add_column(main, L"CC", {0, 0, 0}, 3, Member::kConcrete);
    EXPECT_EQ(find(KORVfind_underlying_column, {0, 0, 3}), "CS");
    EXPECT_EQ(find(underlying_concrete_column, {0, 0, 3}), "CC");
    EXPECT_EQ(find(KORVfind_starting_column, {0, 0, 0}), "CS");
    EXPECT_EQ(find(starting_concrete_column, {0, 0, 0}), "CC");

    // A side drawing, searched by its database and name from the current document.
    auto side = host_test::new_drawing();
    set_tolerance(side.get(), 0.0);
    DrawingBuilder side_builder(side.get());
    host_test::add_column(side_builder, L"C40", {5, 5, 0}, 3, Member::kConcrete);
    host_test::add_column(side_builder, L"C41", {5, 5, 0}, 4, Member::kWood);
    auto in_side = [&](const std::wstring& name, bool starting) -> Single {
        return [&side, name, starting](const AcGePoint3d& p, const AcDbObjectId& x,
                                       KORVid_and_filename& out) {
            return starting ? KORVfind_starting_concrete_column(p, x, side.get(), name, out)
                            : KORVfind_underlying_concrete_column(p, x, side.get(), name, out);
        };
    };
    EXPECT_EQ(find(in_side(L"C:/proj/side.dwg", false), {5, 5, 3}), "C40");
    EXPECT_EQ(find(in_side(L"C:/proj/side.dwg", false), {5, 5, 4}), "-");  // C41 is wood
    EXPECT_EQ(find(in_side(L"C:/proj/side.dwg", true), {5, 5, 0}), "C40");
    // Unnamed, a drawing that is neither the document's nor a reference's has no inventory.
    EXPECT_EQ(find(in_side(L"", false), {5, 5, 3}), "-");
    EXPECT_EQ(find(in_side(L"", true), {5, 5, 0}), "-");
    // The current drawing's own search is not the side drawing's.
    EXPECT_EQ(find(underlying_concrete_column, {5, 5, 3}), "-");
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
        // Equal points: the first test alone decides.
        EXPECT_EQ(find_beam({5, 0, 3}, {5, 0, 3}, brace), "B1");
        EXPECT_EQ(find_beam({5, 0, 3}, {5, 1e-11, 3}, brace), "B1");  // equal within gTol
        // B1 also runs under the second point (its end included), B2 does not.
        EXPECT_EQ(find_beam({5, 0, 3}, {8, 0, 3}, brace), "B2");
        EXPECT_EQ(find_beam({5, 0, 3}, {10, 0, 3}, brace), "B2");
        EXPECT_EQ(find_beam({5, 0, 3}, {5, 3, 3}, brace), "B1");
        EXPECT_EQ(find_beam({5, 0, 3}, {7, 7, 3}, brace), "B1");
        // Distinct by gTol, yet under both beams within the drawing's tolerance.
        EXPECT_EQ(find_beam({5, 0, 3}, {5.0002, 0, 3}, brace), "-");
        // The second point is moved into the reference too: (8, 0, 3) is off B7 there.
        EXPECT_EQ(find_beam({5, 20, 3}, {8, 20, 3}, brace), "-");
        EXPECT_EQ(find_beam({5, 20, 3}, {8, 0, 3}, brace), "B7@CORE");
    }
    // At a beam's end only the plain test holds: the brace test leaves the ends out.
    EXPECT_EQ(find_beam({10, 0, 3}, {10, 0, 3}), "B1");
    EXPECT_EQ(find_beam({10, 0, 3}, {10, 0, 3}, true), "-");
    EXPECT_EQ(find_beam({5, 5, 3}, {5, 5, 3}), "B2");
    EXPECT_EQ(find_beam({5, 5, 3}, {5, 5, 3}, true), "-");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, AnEndingColumnMatchesWithinItsOwnDrawingsToleranceThroughAReference) {
    auto core = new_reference_drawing();
    AcDbDatabase* core_database = core.get();
    set_tolerance(core_database, 0.01);
    DrawingBuilder core_builder(core.get());
    host_test::add_column(core_builder, L"C7", {1, 1, 0}, 3);
    DrawingBuilder main = open_drawing();
    host_test::add_column(main, L"C12", {0, 0, 0}, 3);
    // Moved by (20, 0, 0) and turned a quarter: C7's top (1, 1, 3) stands at (19, 1, 3).
    const AcDbObjectId record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
    const AcDbObjectId insert = main.insert(record, {{20, 0, 0}, kQuarterTurn});

    EXPECT_EQ(find(KORVfind_ending_column, {19, 1, 3}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_ending_column, {19.006, 1, 3}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_ending_column, {19, 0.991, 3.003}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_ending_column, {19.02, 1, 3}), "-");
    EXPECT_EQ(find(KORVfind_ending_column, {1, 1, 3}), "-");  // C7's own coordinates
    EXPECT_EQ(find(KORVfind_underlying_column, {19.006, 1, 3}), "C7@CORE");
    EXPECT_EQ(find(KORVfind_starting_column, {19, 1.006, 0}), "C7@CORE");
    // The host's column keeps the host drawing's default tolerance.
    EXPECT_EQ(find(KORVfind_ending_column, {0.0004, 0, 3}), "C12");
    EXPECT_EQ(find(KORVfind_ending_column, {0.006, 0, 3}), "-");

    // Over random placements of the insert: found inside the tolerance, not outside it.
    std::mt19937 random(static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed()));
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0), angle(0.0, 6.283185);
    for (int i = 0; i < 20; ++i) {
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
        const AcGeMatrix3d placement = AcGeMatrix3d::translation(offset) *
                                       AcGeMatrix3d::rotation(rotation, AcGeVector3d::kZAxis);
        const AcGePoint3d top = placement * AcGePoint3d(1, 1, 3);
        const AcGeVector3d slant = AcGeVector3d(std::cos(rotation * 3), 0.5, -0.7).normal();
        SCOPED_TRACE(testing::Message() << "placement " << i << " rotation " << rotation);
        EXPECT_EQ(find(KORVfind_ending_column, top + slant * 0.009), "C7@CORE");
        EXPECT_EQ(find(KORVfind_ending_column, top + slant * 0.011), "-");
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, UnsupportedEndsComeStartFirstForEveryRecord) {
    auto core = new_reference_drawing();
    DrawingBuilder core_builder(core.get());
    MemberPlan b7 = spec_of(Member::kBeam, L"B7", {0, 0, 3}, {5, 0, 3});
    b7.unsupported_start = b7.unsupported_end = true;
    add_flagged(core_builder, b7);
    DrawingBuilder main = open_drawing();
    MemberPlan b1 = spec_of(Member::kBeam, L"B1", {0, 0, 3}, {5, 0, 3});
    b1.unsupported_start = b1.unsupported_end = true;
    const AcDbObjectId b1_id = add_flagged(main, b1);
    MemberPlan b2 = spec_of(Member::kBeam, L"B2", {0, 5, 3}, {5, 5, 3});
    b2.unsupported_end = true;
    add_flagged(main, b2);
    add_flagged(main, spec_of(Member::kBeam, L"B3", {0, 9, 3}, {5, 9, 3}));
    MemberPlan b4 = spec_of(Member::kBeam, L"B4", {0, 12, 3}, {5, 12, 3});
    b4.unsupported_start = true;
    add_flagged(main, b4);
    MemberPlan c1 = spec_of(Member::kColumn, L"C1", {0, 0, 0}, {0, 0, 3});
    c1.unsupported_start = true;
    add_flagged(main, c1);
    add_flagged(main, spec_of(Member::kColumn, L"C2", {5, 0, 0}, {5, 0, 3}));
    const AcDbObjectId record = main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
    main.insert(record, {{0, 20, 0}});
    main.insert(record, {{0, 40, 0}});

    // Referenced members count too, once per insert.
    EXPECT_EQ(unsupported(KORVget_unsupported_beams), "B7:0 B7:1 B7:0 B7:1 B1:0 B1:1 B2:1 B4:0");
    EXPECT_EQ(unsupported(KORVget_unsupported_columns), "C1:0");
    EXPECT_EQ(host_test::assertion_summary(), "");

    // A library failure costs that record only, whatever it had appended already.
    host_test::throw_in_library("is_unsupported_start", 1, b1_id);
    EXPECT_EQ(unsupported(KORVget_unsupported_beams), "B7:0 B7:1 B7:0 B7:1 B2:1 B4:0");
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    host_test::clear_assertion_reports();
    host_test::throw_in_library("is_unsupported_end", 1, b1_id);
    EXPECT_EQ(unsupported(KORVget_unsupported_beams), "B7:0 B7:1 B7:0 B7:1 B1:0 B2:1 B4:0");
    EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
    EXPECT_EQ(host_test::armed_fault_count(), 0);
}

TEST_F(SupportQueryTest, GravityBeamsInDatabaseAreTheDrawingsOwnBeamsOnly) {
    auto make_core = [&] {
        auto core = new_reference_drawing();
        DrawingBuilder core_builder(core.get());
        host_test::add_beam(core_builder, L"B7", {0, 0, 3}, {5, 0, 3});
        host_test::add_beam(core_builder, L"B8", {0, 5, 3}, {5, 5, 3});
        return core;
    };
    // Every beam of this drawing comes from its reference.
    DrawingBuilder first = open_drawing(L"C:/proj/first.dwg");
    host_test::add_column(first, L"C1", {0, 0, 0}, 3);
    first.insert(first.attach_xref(L"CORE", L"C:/proj/core.dwg", make_core()), {{10, 0, 0}});
    std::list<AcDbObjectId> ids{marker_};
    EXPECT_TRUE(KORVget_gravity_beams_in_database(ids));
    EXPECT_EQ(ids, std::list<AcDbObjectId>{marker_});
    expect_host_clean();

    // Lateral and gravity beams of the drawing itself, in inventory order; never a brace.
    auto core = make_core();
    DrawingBuilder second = open_drawing(L"C:/proj/second.dwg");
    MemberPlan b1 = spec_of(Member::kBeam, L"B1", {0, 0, 3}, {5, 0, 3});
    b1.lateral = true;
    add_flagged(second, b1);
    add_flagged(second, spec_of(Member::kBeam, L"B2", {0, 5, 3}, {5, 5, 3}));
    host_test::add_brace(second, L"BR1", {0, 0, 0}, {5, 0, 3});
    second.insert(second.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)), {{10, 0, 0}});
    std::list<AcDbObjectId> own{marker_};
    EXPECT_TRUE(KORVget_gravity_beams_in_database(own));
    EXPECT_EQ(names(own), "? B1 B2");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, ConnectingBeamsMeetThePointAtEitherEndWithinTolerance) {
    auto core = new_reference_drawing();
    set_tolerance(core.get(), 0.01);
    DrawingBuilder core_builder(core.get());
    host_test::add_beam(core_builder, L"B7", {0, 0, 3}, {5, 0, 3});
    DrawingBuilder main = open_drawing();
    host_test::add_beam(main, L"B1", {0, 0, 3}, {5, 0, 3});
    const AcDbObjectId b2 = host_test::add_beam(main, L"B2", {5, 0, 3}, {5, 5, 3});
    host_test::add_beam(main, L"B3", {5, 5, 3}, {0, 5, 3});
    host_test::add_beam(main, L"B4", {5.0003, 0, 3}, {10, 0, 3});
    host_test::add_beam(main, L"B5", {5, 0.002, 3}, {5, 9, 3});
    host_test::add_beam(main, L"B6", {0, 0, 0}, {10, 0, 0});  // passes under, no end there
    const AcDbObjectId insert =
        main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)), {{0, 10, 0}});

    EXPECT_EQ(connecting({5, 0, 3}), "B1 B2 B4");
    EXPECT_EQ(connecting({5, 0, 3}, b2), "B1 B4");
    EXPECT_EQ(connecting({0, 5, 3}), "B3");
    EXPECT_EQ(connecting({5, 0, 0}), "");
    // B7's end is at (5, 10, 3) in the host, matched within CORE's own tolerance.
    EXPECT_EQ(connecting({5.006, 10, 3}, AcDbObjectId(), insert), "B7@CORE");
    EXPECT_EQ(connecting({5.02, 10, 3}, AcDbObjectId(), insert), "");
    EXPECT_EQ(connecting({5, 0, 3}, AcDbObjectId(), insert), "B1 B2 B4");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SupportQueryTest, ALibraryFailureInARecordTestSkipsThatRecordOnly) {
    DrawingBuilder main = open_drawing();
    const AcDbObjectId c1 = host_test::add_column(main, L"C1", {0, 0, 0}, 3, Member::kConcrete);
    host_test::add_column(main, L"C2", {0, 0, 0}, 3, Member::kConcrete);
    const AcDbObjectId w1 = host_test::add_wall(main, L"W1", {0, -5, 0}, {0, 5, 0}, 3);
    host_test::add_wall(main, L"W2", {-5, 0, 0}, {5, 0, 0}, 3);
    const AcDbObjectId b1 = host_test::add_beam(main, L"B1", {-5, 0, 3}, {5, 0, 3});
    host_test::add_beam(main, L"B2", {0, -5, 3}, {0, 5, 3});
    host_test::add_beam(main, L"B3", {5, 0, 3}, {5, 5, 3});

    struct Case {
        const char* call;
        AcDbObjectId subject;
        std::function<std::string()> run;
        std::string without, with;  // the answers without and with the failure
    };
    const AcGePoint3d top(0, 0, 3);
    const std::vector<Case> cases = {
        {"is_under_point", c1, [&] { return find(KORVfind_underlying_column, top); }, "C1", "C2"},
        {"is_under_point", c1, [&] { return find(underlying_concrete_column, top); }, "C1", "C2"},
        {"is_under_point", w1, [&] { return find(KORVfind_underlying_wall, top); }, "W1", "W2"},
        {"is_under_point", b1, [&] { return find(underlying_beam, top); }, "B1", "B2"},
        {"is_under_brace_point", b1, [&] { return find(brace_underlying_beam, top); }, "B1", "B2"},
        {"starts_at_point", c1,
         [&] {
             return find(KORVfind_starting_column, {0, 0, 0});
         },
         "C1", "C2"},
        {"starts_at_point", c1,
         [&] {
             return find(starting_concrete_column, {0, 0, 0});
         },
         "C1", "C2"},
        {"get_end_point", c1, [&] { return find(KORVfind_ending_column, top); }, "C1", "C2"},
        {"is_below_point", w1,
         [&] {
             return find(KORVfind_wall_below, {0, 0, 4});
         },
         "W1", "W2"},
        {"get_end_point", b1,
         [&] {
             return connecting({5, 0, 3});
         },
         "B1 B3", "B3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call + (" on " + name_of(c.subject)));
        EXPECT_EQ(c.run(), c.without);
        host_test::throw_in_library(c.call, 1, c.subject);
        EXPECT_EQ(c.run(), c.with);
        EXPECT_EQ(host_test::armed_fault_count(), 0);
        EXPECT_EQ(host_test::assertion_summary(), "false@member_inventory");
        host_test::clear_faults();
        host_test::clear_assertion_reports();
    }
}
