// Concrete plan reps by beam, concrete beams by concrete data, and concrete beamlines: the
// per-document plan rep index, the grouping of concrete beams, the geometric order of the
// beamline lists and the marked-beamline search with its messages.
#include <cmath>
#include <limits>
#include <map>

#include "inventory_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

typedef std::list<std::pair<double, double>> Intervals;

// "CB1 CB2": the beamlines' marks.
std::string marks_of(const std::list<AcDbObjectId>& ids) {
    std::string text;
    for (AcDbObjectId id : ids) {
        AcDbObjectPointer<KORVConcrete_beamline> beamline(id, AcDb::kForRead);
        const std::wstring mark = beamline.openStatus() == Acad::eOk ? beamline->get_mark() : L"?";
        text += (text.empty() ? "" : " ") + std::string(mark.begin(), mark.end());
    }
    return text;
}

std::string joined(const std::list<std::wstring>& texts) {
    std::string text;
    for (const std::wstring& t : texts)
        text += (text.empty() ? "" : " ") + std::string(t.begin(), t.end());
    return text;
}

}  // namespace

class ConcreteBeamlineTest : public InventoryTest {
protected:
    AcDbObjectId concrete_beam(DrawingBuilder& drawing, const std::wstring& name, double x,
                               AcDbObjectId data) {
        const AcDbObjectId beam = host_test::add_beam(drawing, name, {x, 0, 4}, {x + 6, 0, 4},
                                                      KORVLinear_structural_member::kConcrete);
        if (!data.isNull()) host_test::set_concrete_data(beam, data);
        return beam;
    }
    AcDbObjectId beamline(DrawingBuilder& drawing, const std::wstring& mark, const AcGePoint3d& s,
                          const AcGePoint3d& e, bool kind_flag = false) {
        return host_test::add_concrete_beamline(drawing, s, e, mark, kind_flag);
    }
};

// ----- the plan rep index ----------------------------------------------------------------------

// Also: the later plan rep of a beam wins, a null member handle is never indexed, and the
// working database is the one read.
TEST_F(ConcreteBeamlineTest, ThePlanRepIndexIsMadeOncePerDocumentAndGoesWithIt) {
    AcApDocument* first = open_document(L"C:/proj/first.dwg");
    DrawingBuilder a(first->database());
    const AcDbObjectId b1 = host_test::add_beam(a, L"B1", {0, 0, 4}, {6, 0, 4});
    const AcDbObjectId b2 = host_test::add_beam(a, L"B2", {0, 8, 4}, {6, 8, 4});
    const AcDbObjectId b3 = host_test::add_beam(a, L"B3", {6, 0, 4}, {6, 8, 4});
    const AcDbObjectId p1 = host_test::add_beam_plan_rep(a, b1);
    host_test::add_beam_plan_rep(a, b2);
    const AcDbObjectId p2_later = host_test::add_beam_plan_rep(a, b2, true);
    host_test::add_plan_rep(a, {6, 0, 4}, {6, 8, 4});  // refers to no beam
    const AcDbHandle unknown(0x7FFF);

    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), p1);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b2.handle()), p2_later);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b3.handle()), AcDbObjectId::kNull);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(unknown), AcDbObjectId::kNull);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(AcDbHandle()), AcDbObjectId::kNull);
    // Drawn after the index was made: not seen.
    host_test::add_beam_plan_rep(a, b3);
    const AcDbObjectId p1_later = host_test::add_beam_plan_rep(a, b1);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b3.handle()), AcDbObjectId::kNull);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), p1);

    // A second document has its own index, though its beam has B1's handle.
    AcApDocument* second = open_document(L"C:/proj/second.dwg");
    DrawingBuilder b(second->database());
    const AcDbObjectId other_b1 = host_test::add_beam(b, L"B1", {0, 0, 4}, {6, 0, 4});
    const AcDbObjectId other_p1 = host_test::add_beam_plan_rep(b, other_b1);
    ASSERT_EQ(other_b1.handle(), b1.handle());
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), other_p1);
    KORVinventory_document_to_be_destroyed(second);
    host_test::set_current_document(first);
    host_test::set_working_database(first->database());
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), p1);  // kept as it was
    KORVinventory_document_to_be_destroyed(first);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), p1_later);  // made anew

    // The working database is read, whichever document is current.
    KORVinventory_document_to_be_destroyed(first);
    host_test::set_working_database(second->database());
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), other_p1);
    host_test::set_current_document(nullptr);
    EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), AcDbObjectId::kNull);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(ConcreteBeamlineTest, APlanRepIndexMadeDespiteAFailureKeepsWhatItFound) {
    struct Row {
        const char* name;
        std::function<void(AcDbObjectId model_space, AcDbObjectId p1)> arm;
        bool finds_b2;
        const char* assertions;
    };
    const Row rows[] = {
        {"model space does not open",
         [](AcDbObjectId ms, AcDbObjectId) { host_test::fail_open_of(ms, Acad::eWasOpenForWrite); },
         false, ""},
        {"iterator fails",
         [](AcDbObjectId, AcDbObjectId) {
             host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory);
         },
         false, ""},
        {"one plan rep raises",
         [](AcDbObjectId, AcDbObjectId p1) {
             host_test::throw_in_library("get_member_ref", 1, p1);
         },
         true, "false@lat_conc_beam_plan_rep_inventory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AcApDocument* document = open_document(L"C:/proj/main.dwg");
        DrawingBuilder drawing(document->database());
        const AcDbObjectId b1 = host_test::add_beam(drawing, L"B1", {0, 0, 4}, {6, 0, 4});
        const AcDbObjectId b2 = host_test::add_beam(drawing, L"B2", {0, 8, 4}, {6, 8, 4});
        const AcDbObjectId p1 = host_test::add_beam_plan_rep(drawing, b1);
        const AcDbObjectId p2 = host_test::add_beam_plan_rep(drawing, b2);
        host_test::clear_assertion_reports();
        row.arm(drawing.model_space(), p1);
        EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), AcDbObjectId::kNull);
        expect_host_clean();
        EXPECT_EQ(host_test::assertion_summary(), row.assertions);
        // The index stands as made, until the document goes.
        EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b2.handle()),
                  row.finds_b2 ? p2 : AcDbObjectId::kNull);
        KORVinventory_document_to_be_destroyed(document);
        EXPECT_EQ(KORVget_concrete_lateral_beam_plan_rep_id(b1.handle()), p1);
        host_test::clear_faults();
    }
}

// ----- concrete beams by concrete data ---------------------------------------------------------

// Also: a side database is read through an inventory of its own, equal start points keep
// inventory order, and a list that already holds entries is appended to after the check.
TEST_F(ConcreteBeamlineTest, ConcreteBeamsAreGroupedByTheirConcreteDataFirstInStartOrder) {
    DrawingBuilder main(open_document(L"C:/proj/main.dwg")->database());
    // The data objects: the later-made D1 has the higher id, so D2's group is listed first.
    const AcDbObjectId d2 = beamline(main, L"D2", {0, 0, 0}, {1, 0, 0});
    const AcDbObjectId d1 = beamline(main, L"D1", {0, 1, 0}, {1, 1, 0});
    const AcDbObjectId d3 = beamline(main, L"D3", {0, 2, 0}, {1, 2, 0});
    concrete_beam(main, L"B1", 5, d1);
    concrete_beam(main, L"B2", 1, d2);
    concrete_beam(main, L"B3", 0, d1);  // first of D1 in start order
    concrete_beam(main, L"B4", 2, d2);
    concrete_beam(main, L"B5", -3, AcDbObjectId());  // no concrete data
    host_test::set_concrete_data(host_test::add_beam(main, L"B6", {-5, 0, 4}, {0, 0, 4}),
                                 d2);  // steel
    concrete_beam(main, L"B7", 9, d3);
    const AcDbObjectId b8 = concrete_beam(main, L"B8", 9, d3);  // same start: B7 first
    // A beam whose plan rep is a cantilever's is still no cantilever record.
    host_test::add_beam_plan_rep(main, b8, true);

    for (bool include_cantilevers : {false, true}) {
        std::list<KORVid_and_filename> result;
        EXPECT_TRUE(KORVget_concrete_beams_with_filenames(nullptr, include_cantilevers, result));
        EXPECT_EQ(names(result), "B2 B3 B7");
        expect_host_clean();
    }
    std::list<KORVid_and_filename> result{{AcDbObjectId(), L"", AcDbObjectId()}};
    EXPECT_TRUE(KORVget_concrete_beams_with_filenames(main.database(), false, result));
    EXPECT_EQ(names(result), "? B2 B3 B7");
    EXPECT_EQ(host_test::assertion_summary(),
              "answer_keys.size() == answer_values.size()@template");

    // A side database: its own beams and those of its reference, each insert's record kept.
    auto side = host_test::new_drawing();
    DrawingBuilder side_builder(side.get());
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    const AcDbObjectId k1 = beamline(core_builder, L"K1", {0, 0, 0}, {1, 0, 0});
    concrete_beam(core_builder, L"B101", 0, k1);
    const AcDbObjectId s1 = beamline(side_builder, L"S1", {0, 0, 0}, {1, 0, 0});
    concrete_beam(side_builder, L"B21", 3, s1);
    side_builder.insert(side_builder.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)),
                        {{-10, 0, 0}});
    result.clear();
    EXPECT_TRUE(KORVget_concrete_beams_with_filenames(side.get(), false, result));
    EXPECT_EQ(names(result), "B101@CORE B21");
    expect_host_clean();
}

TEST_F(ConcreteBeamlineTest, ConcreteBeamsSkipWhatFailsAndFailWithoutAnInventory) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    const AcDbObjectId d1 = beamline(main, L"D1", {0, 0, 0}, {1, 0, 0});
    const AcDbObjectId b1 = concrete_beam(main, L"B1", 0, d1);
    concrete_beam(main, L"B2", 1, d1);
    struct Row {
        const char* name;
        std::function<void()> arm;
        bool returned;
        const char* beams;
        const char* assertions;
    };
    const Row rows[] = {
        {"beam does not open", [&] { host_test::fail_open_of(b1, Acad::eWasOpenForWrite, 2); },
         true, "B2", ""},
        {"concrete data raises", [&] { host_test::throw_in_library("get_concrete_data", 1, b1); },
         true, "B2", "false@member_inventory"},
        {"no inventory",
         [&] { host_test::fail_open_of(main.model_space(), Acad::eWasOpenForWrite); }, false, "",
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        KORVinventory_document_to_be_destroyed(document);
        host_test::clear_assertion_reports();
        row.arm();
        std::list<KORVid_and_filename> result;
        EXPECT_EQ(KORVget_concrete_beams_with_filenames(nullptr, true, result), row.returned);
        EXPECT_EQ(names(result), row.beams);
        EXPECT_EQ(host_test::assertion_summary(), row.assertions);
        expect_host_clean();
        host_test::clear_faults();
    }
    auto side = host_test::new_drawing();
    host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory);
    std::list<KORVid_and_filename> result;
    EXPECT_FALSE(KORVget_concrete_beams_with_filenames(side.get(), true, result));
    host_test::set_current_document(nullptr);
    EXPECT_FALSE(KORVget_concrete_beams_with_filenames(nullptr, true, result));
    EXPECT_TRUE(result.empty());
}

// ----- beamline lists ----------------------------------------------------------------------------

// Also: a beamline on a frozen layer is listed, an insert on a frozen layer is not, and a
// referenced beamline seen through two inserts is listed once.
TEST_F(ConcreteBeamlineTest, BeamlinesAreListedTopFloorFirstAndEachFloorFromTheTopDown) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    main.layer(L"FROZEN", true);
    beamline(main, L"L3", {0, 0, 4}, {6, 0, 4});
    beamline(main, L"L2", {0, 8, 4}, {6, 8, 4});
    beamline(main, L"L4", {6, 8, 4}, {0, 8, 4});  // L2's ends reversed: takes L2's place
    beamline(main, L"L5", {3, 8, 4}, {9, 8, 4});
    beamline(main, L"L6", {0, 8, 4}, {3, 8, 4});
    beamline(main, L"L7", {0, 8, 4}, AcGePoint3d::kOrigin);  // no end
    host_test::add_concrete_beamline(main, {0, 0, 8}, {6, 0, 8}, L"L1", false, L"FROZEN");
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    beamline(core_builder, L"K2", {0, 0, 4}, {4, 0, 4});
    beamline(core_builder, L"K1", {0, 4, 4}, {4, 4, 4});
    const AcDbObjectId core_record =
        main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core));
    main.insert(core_record, {{20, 0, 0}});
    main.insert(core_record, {{30, 0, 0}});
    auto hidden = host_test::new_drawing();
    DrawingBuilder hidden_builder(hidden.get());
    beamline(hidden_builder, L"H1", {0, 0, 4}, {4, 0, 4});
    main.insert(main.attach_xref(L"HIDDEN", L"C:/proj/hidden.dwg", std::move(hidden)), {},
                L"FROZEN");

    std::list<AcDbObjectId> own, referenced;
    EXPECT_TRUE(KORVget_concrete_beamlines_ids(nullptr, L"", own, referenced));
    EXPECT_EQ(marks_of(own), "L1 L6 L4 L5 L3");
    EXPECT_EQ(marks_of(referenced), "K1 K2");
    expect_host_clean();
    // Appended to, the old entries first (the check reports the unequal lists).
    EXPECT_TRUE(KORVget_concrete_beamlines_ids(document->database(), L"", own, referenced));
    EXPECT_EQ(marks_of(own), "L1 L6 L4 L5 L3 L1 L6 L4 L5 L3");
    EXPECT_EQ(host_test::assertion_summary(),
              "answer_keys.size() == answer_values.size()@template "
              "answer_keys.size() == answer_values.size()@template");

    // Built once: a beamline drawn now is not listed; a failed build stores nothing.
    beamline(main, L"L0", {0, 0, 12}, {6, 0, 12});
    own.clear();
    referenced.clear();
    EXPECT_TRUE(KORVget_concrete_beamlines_ids(nullptr, L"", own, referenced));
    EXPECT_EQ(marks_of(own), "L1 L6 L4 L5 L3");
    KORVinventory_document_to_be_destroyed(document);
    host_test::fail_open_of(main.model_space(), Acad::eWasOpenForWrite);
    EXPECT_FALSE(KORVget_concrete_beamlines_ids(nullptr, L"", own, referenced));
    own.clear();
    EXPECT_TRUE(KORVget_concrete_beamlines_ids(nullptr, L"", own, referenced));
    EXPECT_EQ(marks_of(own), "L0 L1 L6 L4 L5 L3");
    expect_host_clean();
}

// ----- the marked-beamline search ----------------------------------------------------------------

TEST_F(ConcreteBeamlineTest, MarkedBeamlinesAreThoseWithinAnIntervalWithTheKindAsked) {
    open_document(L"C:/proj/main.dwg");
    auto drawing = host_test::new_drawing();
    DrawingBuilder side(drawing.get());
    const double at_slack = 4.0 - 0.01;
    const double below_slack = std::nextafter(at_slack, -std::numeric_limits<double>::infinity());
    // Positive orientation puts the lower x first: A's start is at (0, 0, 3.99).
    beamline(side, L"A", {6, 0, 4}, {0, 0, at_slack}, true);
    beamline(side, L"B", {0, 1, below_slack}, {6, 1, 4}, true);
    beamline(side, L"C", {0, 2, 8}, {6, 2, 8 + 0.01}, false);
    beamline(side, L"", {0, 3, 12}, {6, 3, 12}, true);
    beamline(side, L"E", {0, 4, 8}, AcGePoint3d::kOrigin, true);  // no end: out of any interval
    // The search reads the database's own model space only.
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    beamline(core_builder, L"K1", {0, 0, 4}, {4, 0, 4}, true);
    side.insert(side.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)));

    struct Row {
        Intervals intervals;
        bool flag;
        bool returned;
        const char* marks;
        const char* message;
    };
    const Row rows[] = {
        {{}, true, true, "A B E", "kept"},
        {{}, false, true, "C", "kept"},
        {{{4, 4}}, true, true, "A", "kept"},
        {{{4, 4}}, false, true, "", "kept"},  // A is marked but of the other kind
        {{{100, 200}, {8, 8}}, false, true, "C", "kept"},
        {{{8 + 0.02, 9}}, true, true, "", "kept"},  // nothing within
        {{{11, 13}}, true, false, "", "None of the concrete beams had a schedule mark"},
    };
    for (const Row& row : rows) {
        std::list<std::wstring> marks{L"before"};
        std::list<AcDbObjectId> ids{AcDbObjectId()};
        std::wstring message = L"kept";
        EXPECT_EQ(KORVfind_marked_concrete_beamlines_in_database(drawing.get(), row.intervals,
                                                                 row.flag, marks, ids, message),
                  row.returned);
        ids.pop_front();
        EXPECT_EQ(joined(marks), std::string("before") + (*row.marks ? " " : "") + row.marks);
        EXPECT_EQ(marks_of(ids), row.marks);
        EXPECT_EQ(std::string(message.begin(), message.end()), row.message);
        expect_host_clean();
    }
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(ConcreteBeamlineTest, EachFailureOfTheMarkedSearchSaysWhatTheCallerIsTold) {
    open_document(L"C:/proj/main.dwg");
    auto drawing = host_test::new_drawing();
    DrawingBuilder side(drawing.get());
    const AcDbObjectId a = beamline(side, L"A", {0, 0, 4}, {6, 0, 4}, true);
    beamline(side, L"B", {0, 1, 4}, {6, 1, 4}, true);
    struct Row {
        const char* name;
        std::function<void()> arm;
        AcDbDatabase* database;
        bool returned;
        const char* marks;
        const char* message;
        const char* assertions;
    };
    const Row rows[] = {
        {"no database", [] {}, nullptr, false, "", "kept", "db@member_inventory"},
        {"model space does not open",
         [&] { host_test::fail_open_of(side.model_space(), Acad::eWasOpenForWrite); },
         drawing.get(), false, "", "Cannot open model space.", ""},
        {"model space cannot be iterated",
         [] { host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory); }, drawing.get(),
         false, "", "Cannot iterate over model space.", "es == Acad::eOk@member_inventory"},
        {"a beamline raises", [&] { host_test::throw_in_library("get_mark", 1, a); }, drawing.get(),
         true, "B", "kept", "false@member_inventory"},
        {"a beamline does not open", [&] { host_test::fail_open_of(a, Acad::eWasOpenForWrite); },
         drawing.get(), true, "B", "kept", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host_test::clear_assertion_reports();
        row.arm();
        std::list<std::wstring> marks;
        std::list<AcDbObjectId> ids;
        std::wstring message = L"kept";
        EXPECT_EQ(KORVfind_marked_concrete_beamlines_in_database(row.database, {{0, 10}}, true,
                                                                 marks, ids, message),
                  row.returned);
        EXPECT_EQ(joined(marks), row.marks);
        EXPECT_EQ(marks_of(ids), row.marks);
        EXPECT_EQ(std::string(message.begin(), message.end()), row.message);
        EXPECT_EQ(host_test::assertion_summary(), row.assertions);
        expect_host_clean();
        host_test::clear_faults();
    }
}
