// Slab edges: which entities of a drawing and its references are slab edges, how long a
// drawing's list is kept, what the interval question hands each edge, and the failures.
#include <cmath>
#include <functional>
#include <map>

#include "dxf_files.h"
#include "ezdxf_runner.h"
#include "inventory_fixture.h"
#include "slab_inventory.h"

using host_test::DrawingBuilder;

namespace {

const std::wstring kSlabLayer = KORVSlab_edge::get_default_layer_name();

AcDbPolyline* new_polyline(std::initializer_list<AcGePoint2d> vertices) {
    auto* polyline = new AcDbPolyline();
    for (const AcGePoint2d& vertex : vertices)
        polyline->addVertexAt(polyline->numVerts(), vertex, 0.0, 0.0, 0.0);
    return polyline;
}

}  // namespace

class SlabTest : public InventoryTest {
protected:
    void TearDown() override {
        for (AcApDocument* document : read_documents_)
            KORVinventory_document_to_be_destroyed(document);
        InventoryTest::TearDown();
    }

    // Appends the entity and remembers it under the label.
    AcDbObjectId add(DrawingBuilder& drawing, const std::string& label, AcDbEntity* entity,
                     const std::wstring& layer = L"", AcDbObjectId block = AcDbObjectId()) {
        return remember(label, drawing.add(entity, layer, block));
    }
    AcDbObjectId remember(const std::string& label, AcDbObjectId id) {
        labels_[id] = label;
        return id;
    }

    // "own edge@CORE/first": each item's label, the reference block it came through and
    // the label of the insert it names.
    std::string text(const std::list<KORVid_and_filename>& items) const {
        std::string out;
        for (const KORVid_and_filename& item : items) {
            if (!out.empty()) out += ' ';
            out += label(item.id);
            if (!item.file_name.empty())
                out += "@" + std::string(item.file_name.begin(), item.file_name.end());
            if (!item.reference_id.isNull()) out += "/" + label(item.reference_id);
        }
        return out;
    }
    std::string label(AcDbObjectId id) const {
        auto found = labels_.find(id);
        return found == labels_.end() ? "?" : found->second;
    }

    // The edges both selectors give, which must agree; "(false)" when the call fails.
    std::string edges(AcDbDatabase* db = nullptr, const std::wstring& drawing_name = L"") {
        std::list<KORVid_and_filename> first, second;
        if (!KORVget_slab_edges(db, drawing_name, false, first)) return "(false)";
        EXPECT_TRUE(KORVget_slab_edges(db, drawing_name, true, second));
        EXPECT_EQ(text(first), text(second));
        expect_host_clean();
        return text(first);
    }

    // "0 0.5 | (0,0,0) (4,0,0)": what the interval question appended after the lists'
    // first entries, or "(false)".
    std::string intervals(const AcGePoint3d& start, const AcGePoint3d& end, const AcGePoint3d& side,
                          double distance) {
        std::list<double> parameters{-1.0};
        std::list<AcGePoint3d> points{AcGePoint3d(-1, -1, -1)};
        const bool answered = KORVget_intervals_bounded_by_slab(nullptr, start, end, side, distance,
                                                                parameters, points);
        expect_host_clean();
        EXPECT_EQ(parameters.front(), -1.0);
        EXPECT_EQ(InventoryTest::text(points.front()), "(-1,-1,-1)");
        if (!answered) return "(false)";
        return numbers_and_points(parameters, points, 1);
    }

    // "0.25 0.5 | (2,0,0) (4,0,0)": the numbers and points after the first `skip` of each.
    static std::string numbers_and_points(const std::list<double>& parameters,
                                          const std::list<AcGePoint3d>& points, size_t skip) {
        std::string out;
        for (auto p = std::next(parameters.begin(), skip); p != parameters.end(); ++p) {
            char number[32];
            std::snprintf(number, sizeof number, "%g", std::round(*p * 1e6) / 1e6);
            out += (out.empty() ? "" : " ") + std::string(number);
        }
        out += " |";
        for (auto p = std::next(points.begin(), skip); p != points.end(); ++p)
            out += " " + InventoryTest::text(*p);
        return out;
    }

    // A drawing read from a file, made a document of its own, current and working.
    AcApDocument* open_read_drawing(std::unique_ptr<AcDbDatabase> db, const std::wstring& name) {
        AcApDocument* document = host_test::add_document(std::move(db), name);
        read_documents_.push_back(document);
        host_test::set_current_document(document);
        host_test::set_working_database(document->database());
        return document;
    }

private:
    std::map<AcDbObjectId, std::string> labels_;
    std::vector<AcApDocument*> read_documents_;
};

TEST_F(SlabTest, SlabEdgeObjectsOnAnyLayerAndCurvesOnTheSlabLayerByTheNameAfterItsFirstBar) {
    struct Row {
        const char* label;
        std::function<AcDbEntity*()> make;
        const wchar_t* layer;
        bool listed;
    };
    auto line = [] { return new AcDbLine({0, 0, 0}, {4, 0, 0}); };
    auto pline = [] { return new_polyline({{0, 0}, {4, 0}, {4, 4}}); };
    const Row rows[] = {
        {"line", line, L"S-SLAB-EDGE", true},
        {"line in another case", line, L"s-Slab-edge", true},
        {"arc",
         [] {
             return new AcDbArc({0, 0, 0}, 2, 0, 1);
         },
         L"S-SLAB-EDGE", true},
        {"polyline", pline, L"S-SLAB-EDGE", true},
        {"one prefix", pline, L"CORE|S-SLAB-EDGE", true},
        {"two prefixes", pline, L"CORE|STAIR|S-SLAB-EDGE", false},
        {"prefix only", line, L"S-SLAB-EDGE|WALLS", false},
        {"longer name", line, L"S-SLAB-EDGES", false},
        {"text",
         [] {
             return new AcDbText({0, 0, 0}, L"SLAB", AcDbObjectId(), 0.2, 0);
         },
         L"S-SLAB-EDGE", false},
        {"edge on 0",
         [] {
             return new KORVSlab_edge({0, 0, 0}, {4, 0, 0});
         },
         L"0", true},
        {"edge on frozen",
         [] {
             return new KORVSlab_edge({0, 0, 0}, {4, 0, 0});
         },
         L"FROZEN", true},
    };
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    std::string expected;
    for (const Row& row : rows) {
        add(main, row.label, row.make(), row.layer);
        if (row.listed) expected += (expected.empty() ? "" : " ") + std::string(row.label);
    }
    main.erase(add(main, "erased", line(), L"S-SLAB-EDGE"));
    main.layer(L"FROZEN", true);
    // A slab edge object inside an ordinary block is not model space content.
    const AcDbObjectId block = main.define_block(L"DETAIL");
    add(main, "in a block", new KORVSlab_edge({0, 0, 0}, {1, 0, 0}), L"", block);
    main.insert(block);

    EXPECT_EQ(edges(), expected);
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// The host's edge first, then the references in block table order, each once per insert not
// on a frozen layer; an unresolved reference gives nothing.
TEST_F(SlabTest, EachInsertOfAResolvedReferenceContributesItsEdgesAgain) {
    ReferencedBuilding building = open_referenced_building();
    remember("first", building.first_insert);
    remember("second", building.second_insert);
    DrawingBuilder main(building.database);
    add(main, "own", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
    DrawingBuilder core(building.core);
    add(core, "core line", new AcDbLine({0, 0, 0}, {4, 0, 0}), kSlabLayer);
    add(core, "two prefixes", new AcDbLine({0, 0, 0}, {4, 0, 0}), L"A|" + kSlabLayer);
    add(core, "core edge", new KORVSlab_edge({4, 0, 0}, {4, 4, 0}), L"FROZEN_IN_CORE");
    core.layer(L"FROZEN_IN_CORE", true);  // the reference's own layers are not looked at
    main.insert(building.core_record, {{30, 0, 0}}, L"XREF_FROZEN");
    main.layer(L"XREF_FROZEN", true);
    auto stair = host_test::new_drawing();
    DrawingBuilder stair_builder(stair.get());
    add(stair_builder, "later", new KORVSlab_edge({0, 0, 0}, {1, 0, 0}));
    auto unresolved = host_test::new_drawing();
    DrawingBuilder unresolved_builder(unresolved.get());
    add(unresolved_builder, "unresolved", new KORVSlab_edge({0, 0, 0}, {1, 0, 0}));
    main.insert(main.attach_xref(L"LOST", L"C:/proj/lost.dwg", std::move(unresolved),
                                 AcDb::kXrfUnresolved));
    remember("later insert",
             main.insert(main.attach_xref(L"LATER", L"C:/proj/later.dwg", std::move(stair))));

    EXPECT_EQ(edges(),
              "own core line@CORE/first core edge@CORE/first core line@CORE/second "
              "core edge@CORE/second later@LATER/later insert");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SlabTest, AReferenceNestedInAnotherGivesItsEdgesWithoutAnInsert) {
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    auto stair = host_test::new_drawing();
    DrawingBuilder stair_builder(stair.get());
    add(stair_builder, "stair", new AcDbArc({0, 0, 0}, 1, 0, 2), kSlabLayer);
    auto core = host_test::new_drawing();
    DrawingBuilder core_builder(core.get());
    core_builder.insert(core_builder.attach_xref(L"STAIR", L"C:/proj/stair.dwg", std::move(stair)));
    main.insert(main.attach_xref(L"CORE", L"C:/proj/core.dwg", std::move(core)));
    EXPECT_EQ(edges(), "stair@STAIR");
}

TEST_F(SlabTest, AListIsKeptUntilItsDocumentIsDestroyedAndReplacesTheCallersList) {
    AcApDocument* first = open_document(L"C:/proj/first.dwg");
    DrawingBuilder first_drawing(first->database());
    add(first_drawing, "a", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
    EXPECT_EQ(edges(), "a");
    add(first_drawing, "b", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
    EXPECT_EQ(edges(), "a");  // the new edge is not seen
    EXPECT_EQ(intervals({0, 0, 0}, {4, 0, 0}, {0, 0, 0}, 0.1), "0 1 | (0,0,0) (4,0,0)");

    AcApDocument* second = open_document(L"C:/proj/second.dwg");
    DrawingBuilder second_drawing(second->database());
    add(second_drawing, "c", new AcDbLine({0, 0, 0}, {4, 0, 0}), kSlabLayer);
    std::list<KORVid_and_filename> replaced{KORVid_and_filename(), KORVid_and_filename()};
    ASSERT_TRUE(KORVget_slab_edges(nullptr, L"", false, replaced));
    EXPECT_EQ(text(replaced), "c");
    // The first document's list seen under its name while the second is current is a
    // list of its own, made now.
    EXPECT_EQ(edges(first->database(), L"C:/proj/first.dwg"), "a b");
    add(second_drawing, "d", new AcDbLine({0, 0, 0}, {4, 0, 0}), kSlabLayer);

    KORVinventory_document_to_be_destroyed(first);
    EXPECT_EQ(edges(), "c");  // the second document's list stays
    host_test::set_current_document(first);
    host_test::set_working_database(first->database());
    EXPECT_EQ(edges(), "a b");  // made anew
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// The line's points reach every edge as given: CORE's edge, inserted moved and turned,
// answers in CORE's own coordinates both times. Plain curves are not asked; an edge that
// raises is reported and the next one is asked.
TEST_F(SlabTest, TheIntervalQuestionGoesToEverySlabEdgeObjectWithThePointsAsGiven) {
    open_document(L"C:/proj/plain.dwg");
    DrawingBuilder plain(acdbHostApplicationServices()->workingDatabase());
    add(plain, "line", new AcDbLine({0, 0, 0}, {8, 0, 0}), kSlabLayer);
    add(plain, "pline", new_polyline({{0, 0}, {8, 0}}), kSlabLayer);
    EXPECT_EQ(edges(), "line pline");
    EXPECT_EQ(intervals({0, 0, 0}, {8, 0, 0}, {4, 1, 0}, 0.1), " |");

    ReferencedBuilding building = open_referenced_building();
    DrawingBuilder main(building.database);
    const AcDbObjectId own = add(main, "own", new KORVSlab_edge({0, 0, 0}, {2, 0, 0}));
    add(main, "line", new AcDbLine({0, 0, 0}, {8, 0, 0}), kSlabLayer);
    DrawingBuilder core(building.core);
    add(core, "core edge", new KORVSlab_edge({2, 0, 0}, {4, 0, 0}));
    EXPECT_EQ(intervals({0, 0, 0}, {8, 0, 0}, {4, 1, 0}, 0.1),
              "0 0.25 0.25 0.5 0.25 0.5 | (0,0,0) (2,0,0) (2,0,0) (4,0,0) (2,0,0) (4,0,0)");
    EXPECT_EQ(host_test::assertion_summary(), "");

    host_test::throw_in_library("get_intervals_aligned_with_edges", 1, own);
    EXPECT_EQ(intervals({0, 0, 0}, {8, 0, 0}, {4, 1, 0}, 0.1),
              "0.25 0.5 0.25 0.5 | (2,0,0) (4,0,0) (2,0,0) (4,0,0)");
    EXPECT_EQ(host_test::assertion_summary(), "false@slab_inventory");
    host_test::clear_assertion_reports();

    // An edge erased after the list was made is passed by.
    main.erase(own);
    EXPECT_EQ(intervals({0, 0, 0}, {8, 0, 0}, {4, -1, 0}, 0.1), " |");  // the other side
    EXPECT_EQ(intervals({0, 0, 0}, {8, 0, 0}, {4, 1, 0}, 0.1),
              "0.25 0.5 0.25 0.5 | (2,0,0) (4,0,0) (2,0,0) (4,0,0)");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(SlabTest, WithoutADrawingBothCallsAnswerFalseAndLeaveTheirOutputsAlone) {
    struct Row {
        const char* name;
        std::function<AcDbDatabase*(AcApDocument*, AcDbDatabase*)> arrange;
        const char* assertions;
    };
    const Row rows[] = {
        {"no current document",
         [](AcApDocument*, AcDbDatabase*) {
             host_test::set_current_document(nullptr);
             return nullptr;
         },
         ""},
        {"no working database",
         [](AcApDocument*, AcDbDatabase*) {
             host_test::set_working_database(nullptr);
             return nullptr;
         },
         "db@slab_inventory"},
        {"an unnamed drawing of no document",
         [](AcApDocument*, AcDbDatabase* side) { return side; }, ""},
    };
    auto side = host_test::new_drawing();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AcApDocument* document = open_document(L"C:/proj/main.dwg");
        DrawingBuilder main(document->database());
        add(main, "edge", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
        AcDbDatabase* db = row.arrange(document, side.get());
        std::list<KORVid_and_filename> edges{KORVid_and_filename()};
        std::list<double> parameters{7.0};
        std::list<AcGePoint3d> points{AcGePoint3d(7, 7, 7)};
        for (bool selector : {false, true})
            EXPECT_FALSE(KORVget_slab_edges(db, L"", selector, edges));
        EXPECT_FALSE(KORVget_intervals_bounded_by_slab(db, {0, 0, 0}, {4, 0, 0}, {0, 1, 0}, 1,
                                                       parameters, points));
        EXPECT_EQ(edges.size(), 1u);
        EXPECT_TRUE(edges.front().id.isNull());
        EXPECT_EQ(numbers_and_points(parameters, points, 0), "7 | (7,7,7)");
        EXPECT_EQ(host_test::assertion_summary(),
                  std::string(row.assertions).empty()
                      ? ""
                      : std::string(row.assertions) + " " + row.assertions + " " + row.assertions);
        host_test::clear_assertion_reports();
        expect_host_clean();
    }
    // Named by its caller, the side drawing has a list; the interval question never names
    // one.
    DrawingBuilder side_builder(side.get());
    add(side_builder, "side edge", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
    EXPECT_EQ(edges(side.get(), L"C:/proj/side.dwg"), "side edge");
}

// Failures inside the build: the list is made from what could be read, kept, and never
// made again.
TEST_F(SlabTest, ABuildThatMeetsAFailureKeepsWhatItFound) {
    struct Row {
        const char* name;
        std::function<void(const ReferencedBuilding&)> arm;
        const char* edges;
        const char* assertions;
    };
    const Row rows[] = {
        {"model space does not open",
         [](const ReferencedBuilding& b) {
             host_test::fail_open_of(b.model_space, Acad::eWasOpenForWrite);
         },
         "", ""},
        {"model space iterator fails",
         [](const ReferencedBuilding&) {
             host_test::fail_next(host_test::HostOp::NewEntityIterator, Acad::eOutOfMemory);
         },
         "core@CORE/first core@CORE/second other@OTHER/o", ""},
        {"block table does not open for the references",
         [](const ReferencedBuilding&) {
             host_test::fail_nth(host_test::HostOp::GetBlockTable, 2, Acad::eFileAccessErr);
         },
         "own", ""},
        // Its first open is the model space scan's, which passes it by as no slab edge.
        {"an insert does not open",
         [](const ReferencedBuilding& b) {
             host_test::fail_open_of(b.first_insert, Acad::eWasOpenForWrite, 2);
         },
         "own core@CORE/second other@OTHER/o", "es == Acad::eOk@slab_inventory"},
        {"the reference's iterator fails once",
         [](const ReferencedBuilding&) {
             host_test::fail_nth(host_test::HostOp::NewEntityIterator, 2, Acad::eOutOfMemory);
         },
         "own core@CORE/second other@OTHER/o", ""},
        {"the frozen-layer test raises for CORE",
         [](const ReferencedBuilding&) { host_test::throw_in_library("KORVis_on_frozen_layer"); },
         "own other@OTHER/o", "false@slab_inventory"},
    };
    int run = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReferencedBuilding building =
            open_referenced_building(L"C:/proj/run" + std::to_wstring(++run) + L".dwg");
        remember("first", building.first_insert);
        remember("second", building.second_insert);
        DrawingBuilder main(building.database);
        add(main, "own", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
        DrawingBuilder core(building.core);
        add(core, "core", new KORVSlab_edge({0, 0, 0}, {4, 0, 0}));
        auto other = host_test::new_drawing();
        DrawingBuilder other_builder(other.get());
        add(other_builder, "other", new AcDbLine({0, 0, 0}, {1, 0, 0}), kSlabLayer);
        remember("o",
                 main.insert(main.attach_xref(L"OTHER", L"C:/proj/other.dwg", std::move(other)),
                             {{50, 0, 0}}));
        host_test::clear_faults();
        host_test::clear_assertion_reports();
        row.arm(building);
        std::list<KORVid_and_filename> found{KORVid_and_filename()};
        EXPECT_TRUE(KORVget_slab_edges(nullptr, L"", false, found));
        EXPECT_EQ(host_test::armed_fault_count(), 0) << "the fault was never reached";
        EXPECT_EQ(text(found), row.edges);
        EXPECT_EQ(host_test::assertion_summary(), row.assertions);
        expect_host_clean();
        host_test::clear_assertion_reports();
        EXPECT_EQ(edges(), row.edges);  // kept, not made again
        EXPECT_EQ(host_test::assertion_summary(), "");
    }
}

// ----- the library's slab edge ----------------------------------------------------------------

TEST_F(SlabTest, ASlabEdgeGivesTheStretchOfTheLineItRunsAlongWithItsSlabOnTheSide) {
    struct Row {
        const char* name;
        AcGePoint3d edge_start, edge_end;
        AcGePoint3d side;
        double distance;
        const char* answer;
    };
    // The line runs from (0,0,4) to (8,0,4), a beam at level 4.
    const Row rows[] = {
        {"along it, slab on the side's side",
         {2, 0, 4},
         {6, 0, 4},
         {4, 3, 4},
         0.1,
         "0.25 0.75 | (2,0,4) (6,0,4)"},
        {"slab on the other side", {6, 0, 4}, {2, 0, 4}, {4, 3, 4}, 0.1, " |"},
        {"drawn the other way, asked from that side",
         {6, 0, 4},
         {2, 0, 4},
         {4, -3, 4},
         0.1,
         "0.25 0.75 | (2,0,4) (6,0,4)"},
        {"side on the line: either side",
         {6, 0, 4},
         {2, 0, 4},
         {9, 0, 4},
         0.1,
         "0.25 0.75 | (2,0,4) (6,0,4)"},
        {"beside it within the distance",
         {2, 0.3, 4},
         {6, 0.3, 4},
         {4, 3, 4},
         0.5,
         "0.25 0.75 | (2,0,4) (6,0,4)"},
        {"beside it beyond the distance", {2, 0.3, 4}, {6, 0.3, 4}, {4, 3, 4}, 0.2, " |"},
        {"at another level", {2, 0, 0}, {6, 0, 0}, {4, 3, 4}, 0.2, " |"},
        {"longer than the line", {-2, 0, 4}, {10, 0, 4}, {4, 3, 4}, 0, "0 1 | (0,0,4) (8,0,4)"},
        {"half past its end", {6, 0, 4}, {12, 0, 4}, {4, 3, 4}, 0, "0.75 1 | (6,0,4) (8,0,4)"},
        {"beyond its end", {9, 0, 4}, {12, 0, 4}, {4, 3, 4}, 0, " |"},
        {"touching its end", {8, 0, 4}, {12, 0, 4}, {4, 3, 4}, 0, " |"},
        {"across it", {4, -2, 4}, {4, 2, 4}, {4, 3, 4}, 5, " |"},
        {"askew", {2, 0, 4}, {6, 0.4, 4}, {4, 3, 4}, 5, " |"},
        {"a point", {2, 0, 4}, {2, 0, 4}, {4, 3, 4}, 5, " |"},
        {"a negative distance", {2, 0, 4}, {6, 0, 4}, {4, 3, 4}, -1, " |"},
    };
    AcApDocument* document = open_document(L"C:/proj/main.dwg");
    DrawingBuilder main(document->database());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const AcDbObjectId id = host_test::add_slab_edge(main, row.edge_start, row.edge_end);
        AcDbObjectPointer<KORVSlab_edge> edge(id, AcDb::kForRead);
        ASSERT_EQ(edge.openStatus(), Acad::eOk);
        std::list<double> parameters{9.0};
        std::list<AcGePoint3d> points{AcGePoint3d(9, 9, 9)};
        edge->get_intervals_aligned_with_edges({0, 0, 4}, {8, 0, 4}, row.side, row.distance,
                                               parameters, points);
        EXPECT_EQ(parameters.front(), 9.0);  // appended to, never cleared
        EXPECT_EQ(numbers_and_points(parameters, points, 1), row.answer);
        std::list<double> none;
        std::list<AcGePoint3d> no_points;
        edge->get_intervals_aligned_with_edges({1, 1, 4}, {1, 1, 4}, row.side, 5, none, no_points);
        EXPECT_TRUE(none.empty() && no_points.empty()) << "a line of no length";
    }
}

// ----- drawings of other programs ------------------------------------------------------------

namespace {

std::string point_text(const AcGePoint3d& p) {
    char buffer[96];
    auto r = [](double v) { return std::abs(v) < 1e-9 ? 0.0 : std::round(v * 1e6) / 1e6; };
    std::snprintf(buffer, sizeof buffer, "(%g,%g,%g)", r(p.x), r(p.y), r(p.z));
    return buffer;
}

// "AcDbArc S-SLAB-EDGE (6,0,0) (6,6,0)": the class, the layer and the points a curve runs
// through (an arc by its ends and radius, a polyline by its vertices).
std::string curve_text(AcDbObjectId id) {
    AcDbEntityPointer entity(id, AcDb::kForRead);
    if (entity.openStatus() != Acad::eOk) return "?";
    AcString layer;
    entity->layer(layer);
    const std::wstring layer_name = layer.kwszPtr();
    const std::wstring class_name = entity->isA()->name();
    std::string out = std::string(class_name.begin(), class_name.end()) + " " +
                      std::string(layer_name.begin(), layer_name.end());
    if (auto* line = AcDbLine::cast(entity.object())) {
        out += " " + point_text(line->startPoint()) + " " + point_text(line->endPoint());
    } else if (auto* arc = AcDbArc::cast(entity.object())) {
        auto at = [&](double angle) {
            return arc->center() +
                   AcGeVector3d(std::cos(angle), std::sin(angle), 0) * arc->radius();
        };
        out += " " + point_text(at(arc->startAngle())) + " " + point_text(at(arc->endAngle())) +
               " r=" + std::to_string(arc->radius()).substr(0, 4);
    } else if (auto* polyline = AcDbPolyline::cast(entity.object())) {
        for (unsigned i = 0; i < polyline->numVerts(); ++i) {
            AcGePoint3d vertex;
            polyline->getPointAt(i, vertex);
            out += " " + point_text(vertex);
        }
    }
    return out;
}

}  // namespace

// An outline drawn by another program as a line, an arc and a polyline on the slab layer,
// beside a circle and old-style 2D and 3D polylines on it, gives the edges our own builder's
// outline gives.
TEST_F(SlabTest, AnOutlineFromAnotherProgramGivesTheEdgesOfTheSameOutlineDrawnHere) {
    if (!ezdxf_runner::available()) GTEST_SKIP() << "ezdxf cannot be installed";
    dxf_files::ScratchFolder folder;
    const std::string script = R"PY(
import sys, ezdxf
doc = ezdxf.new('R2010')
doc.layers.add('S-SLAB-EDGE')
msp = doc.modelspace()
on = {'layer': 'S-SLAB-EDGE'}
msp.add_circle((3, 3), 1, dxfattribs=on)
msp.add_line((0, 0), (6, 0), dxfattribs=on)
msp.add_arc((6, 3), 3, -90, 90, dxfattribs=on)
msp.add_polyline2d([(0, 8), (6, 8)], dxfattribs=on)
msp.add_lwpolyline([(6, 6), (0, 6), (0, 0)], dxfattribs=on)
msp.add_polyline3d([(0, 9, 0), (6, 9, 1)], dxfattribs=on)
msp.add_line((0, 0), (0, 6), dxfattribs={'layer': '0'})
doc.saveas(sys.argv[1])
)PY";
    ASSERT_TRUE(ezdxf_runner::script_succeeds(script, folder.path("outline.dxf")));
    auto read = std::make_unique<AcDbDatabase>(false, true);
    ASSERT_EQ(read->readDwgFile(folder.wpath("outline.dxf").c_str()), Acad::eOk);
    open_read_drawing(std::move(read), folder.wpath("outline.dxf"));
    std::list<KORVid_and_filename> theirs;
    ASSERT_TRUE(KORVget_slab_edges(nullptr, L"", false, theirs));
    EXPECT_EQ(intervals({0, 0, 0}, {6, 0, 0}, {3, 3, 0}, 1), " |");

    AcApDocument* document = open_document(L"C:/proj/outline.dwg");
    DrawingBuilder main(document->database());
    main.add(new AcDbLine({0, 0, 0}, {6, 0, 0}), kSlabLayer);
    main.add(new AcDbArc({6, 3, 0}, 3, -kQuarterTurn, kQuarterTurn), kSlabLayer);
    main.add(new_polyline({{6, 6}, {0, 6}, {0, 0}}), kSlabLayer);
    main.add(new AcDbLine({0, 0, 0}, {0, 6, 0}));
    std::list<KORVid_and_filename> ours;
    ASSERT_TRUE(KORVget_slab_edges(nullptr, L"", false, ours));

    auto describe = [](const std::list<KORVid_and_filename>& items) {
        std::string out;
        for (const KORVid_and_filename& item : items) out += curve_text(item.id) + "\n";
        return out;
    };
    EXPECT_EQ(describe(theirs),
              "AcDbLine S-SLAB-EDGE (0,0,0) (6,0,0)\n"
              "AcDbArc S-SLAB-EDGE (6,0,0) (6,6,0) r=3.00\n"
              "AcDbPolyline S-SLAB-EDGE (6,6,0) (0,6,0) (0,0,0)\n");
    EXPECT_EQ(describe(ours), describe(theirs));
    EXPECT_EQ(host_test::assertion_summary(), "");
}
