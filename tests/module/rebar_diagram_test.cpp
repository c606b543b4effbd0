// Column rebar diagrams: block names, the primitives' vertices from the library's sizes,
// the layouts of rectangular and circular sections, the placement of a diagram (reuse of a
// definition, the insertion point, attributes, reactors that outlive a save), and the
// results of each failure.
#include <cmath>
#include <cstdio>
#include <functional>

#include "column_rebar_diagram.h"
#include "dxf_files.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

const double kPi = 3.14159265358979323846;
const char* const kAssert = "es == Acad::eOk@column_rebar_diagram";

// "(0.42,-0.14)", rounded to 1e-6.
std::string text(double x, double y) {
    auto round = [](double v) {
        const double r = std::round(v * 1e6) / 1e6;
        return r == 0.0 ? 0.0 : r;
    };
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "(%g,%g)", round(x), round(y));
    return buffer;
}
std::string text(const AcGePoint3d& p) {
    return text(p.x, p.y);
}

// "(x0,y0) (x1,y1)b0.414214 ...": the vertices, each bulge that is not zero after its vertex.
std::string vertices(const AcDbPolyline* polyline) {
    std::string out;
    for (unsigned i = 0; i < polyline->numVerts(); ++i) {
        AcGePoint2d p;
        double bulge = 0.0;
        polyline->getPointAt(i, p);
        polyline->getBulgeAt(i, bulge);
        char b[32] = "";
        if (bulge != 0.0) std::snprintf(b, sizeof b, "b%.6f", bulge);
        out += (out.empty() ? "" : " ") + text(p.x, p.y) + b;
    }
    return out;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : " ") + part;
    return out;
}

// The expected vertex text from points and bulges.
std::string expected(const std::vector<AcGePoint2d>& points, const std::vector<double>& bulges) {
    std::vector<std::string> parts;
    for (size_t i = 0; i < points.size(); ++i) {
        char b[32] = "";
        if (i < bulges.size() && bulges[i] != 0.0) std::snprintf(b, sizeof b, "b%.6f", bulges[i]);
        parts.push_back(text(points[i].x, points[i].y) + b);
    }
    return joined(parts);
}

AcGePoint2d polar(const AcGePoint2d& p, double angle, double r) {
    return AcGePoint2d(p.x + r * std::cos(angle), p.y + r * std::sin(angle));
}

class RebarDiagramTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        database_ = open_document(L"C:/proj/schedule.dwg")->database();
        drawing_ = std::make_unique<DrawingBuilder>(database_);
        W = KORVConcrete_column_schedule::get_drawn_rebar_block_width();
        c = KORVConcrete_column_schedule::get_drawn_corner_radius();
        d = KORVConcrete_column_schedule::get_drawn_rebar_diameter();
        L = KORVConcrete_column_schedule::get_rebar_block_legend_offset_y();
        target_ = host_test::add_concrete_column_schedule(*drawing_, {0, 0, 0}, L"CCS", {L"C1"});
    }
    void TearDown() override {
        KORVConcrete_column_reinforcement::set_layer_name(L"KORV_COLUMN_REBAR");
        KORVSlab_or_wall_reinforcement::set_rebars_two_d_color(1);
        KORVSlab_or_wall_reinforcement::set_rebars_two_d_lineweight(AcDb::kLnWt035);
        ModuleTest::TearDown();
    }

    // Places a diagram with the usual text settings.
    AcDbObjectId draw(AcGePoint3d& point, bool advance, double ratio, int bars_x, int bars_y,
                      bool circular, int legs_x, int legs_y, const std::wstring& type = L"C1") {
        return KORVdraw_rebar_block(2.5, point, advance, type, ratio, bars_x, bars_y, circular,
                                    legs_x, legs_y, target_, AcDbObjectId(), 0.1);
    }

    // The entities of a definition in order: "hoop", "dot(x,y)", "tie(x,y)-(x,y)" (the ends
    // of its straight leg), "ring", "legend(x,y)".
    static std::string definition(AcDbObjectId block) {
        AcDbObjectPointer<AcDbBlockTableRecord> record(block, AcDb::kForRead);
        if (record.openStatus() != Acad::eOk) return "(does not open)";
        AcDbBlockTableRecordIterator* raw = nullptr;
        record->newIterator(raw);
        std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
        std::vector<std::string> parts;
        for (; !it->done(); it->step()) {
            AcDbEntity* entity = nullptr;
            it->getEntity(entity);
            if (auto* polyline = AcDbPolyline::cast(entity)) {
                AcGePoint2d a, b;
                double width = 0.0;
                polyline->getPointAt(0, a);
                polyline->getPointAt(1, b);
                if (polyline->numVerts() == 12) parts.push_back("hoop");
                if (polyline->numVerts() == 2 && polyline->getConstantWidth(width) == Acad::eOk &&
                    width > 0.0) {
                    parts.push_back("dot" + text((a.x + b.x) / 2, (a.y + b.y) / 2));
                } else if (polyline->numVerts() == 2) {
                    parts.push_back("ring");
                }
                if (polyline->numVerts() == 6) {
                    polyline->getPointAt(2, a);
                    polyline->getPointAt(3, b);
                    parts.push_back("tie" + text(a.x, a.y) + "-" + text(b.x, b.y));
                }
            } else if (auto* legend = AcDbAttributeDefinition::cast(entity)) {
                parts.push_back("legend" + text(legend->alignmentPoint()));
            }
            entity->close();
        }
        return joined(parts);
    }

    std::string dots(const std::vector<AcGePoint2d>& centres) const {
        std::vector<std::string> parts;
        for (const AcGePoint2d& p : centres) parts.push_back("dot" + text(p.x, p.y));
        return joined(parts);
    }

    // The paper-space entity ids, in order.
    std::vector<AcDbObjectId> paper_space() const {
        AcDbObjectPointer<AcDbBlockTableRecord> record(drawing_->paper_space(), AcDb::kForRead);
        AcDbBlockTableRecordIterator* raw = nullptr;
        record->newIterator(raw);
        std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
        std::vector<AcDbObjectId> ids;
        for (; !it->done(); it->step()) {
            AcDbObjectId id;
            it->getEntityId(id);
            ids.push_back(id);
        }
        return ids;
    }

    static int block_count(AcDbDatabase* db) {
        AcDbBlockTable* table = nullptr;
        db->getBlockTable(table, AcDb::kForRead);
        AcDbBlockTableIterator* raw = nullptr;
        table->newIterator(raw);
        std::unique_ptr<AcDbBlockTableIterator> it(raw);
        int count = 0;
        for (; !it->done(); it->step()) ++count;
        table->close();
        return count;
    }

    AcDbDatabase* database_ = nullptr;
    std::unique_ptr<DrawingBuilder> drawing_;
    AcDbObjectId target_;
    double W = 0, c = 0, d = 0, L = 0;
};

TEST_F(RebarDiagramTest, BlockNamesSayTheCounts) {
    struct Row {
        int first, second;
        bool circular;
        int legs_x, legs_y;
        const wchar_t* name;
    } rows[] = {
        {4, 2, false, 3, 4, L"KORV_TIE_PATTERN_4_2_3_4"},
        {4, 0, false, 3, 4, L"KORV_TIE_PATTERN_4_3_4"},
        {8, 0, true, 2, 2, L"KORV_TIE_PATTERN_8CIRC__2_2"},
        {12, 3, true, 10, -1, L"KORV_TIE_PATTERN_12CIRC__3_10_-1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(make_tie_pattern_block_name(row.first, row.second, row.circular, row.legs_x,
                                              row.legs_y),
                  row.name);
    }
}

// The hoop runs once around the section, sides on its outline, with both 135° hooks at the
// top-left corner; the shorter side is always the block width.
TEST_F(RebarDiagramTest, TheHoopFollowsTheSectionForEachAspectRatio) {
    struct Row {
        double ratio, X, Y;
    } rows[] = {{1.0, W, W}, {2.0, 2 * W, W}, {0.5, W, 2 * W}};
    const double s = std::sqrt(2.0) / 2.0, b90 = std::tan(kPi / 8), b135 = std::tan(3 * kPi / 16);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ratio);
        const double l = -row.X / 2 + c, r = row.X / 2 - c, t = row.Y / 2 - c, b = -row.Y / 2 + c;
        std::unique_ptr<AcDbPolyline> hoop(create_rectangular_hoop(row.ratio));
        EXPECT_EQ(vertices(hoop.get()),
                  expected({{l - s * c + 2 * c, t - s * c - 2 * c},
                            {l - s * c, t - s * c},
                            {l, row.Y / 2},
                            {r, row.Y / 2},
                            {row.X / 2, t},
                            {row.X / 2, b},
                            {r, -row.Y / 2},
                            {l, -row.Y / 2},
                            {-row.X / 2, b},
                            {-row.X / 2, t},
                            {l + s * c, t + s * c},
                            {l + s * c + 2 * c, t + s * c - 2 * c}},
                           {0, -b135, 0, -b90, 0, -b90, 0, -b90, 0, -b135, 0, 0}));
        EXPECT_FALSE(hoop->isClosed());
        EXPECT_TRUE(hoop->normal().isEqualTo(AcGeVector3d::kZAxis));
    }
    std::unique_ptr<AcDbPolyline> ring(create_circular_hoop());
    EXPECT_EQ(vertices(ring.get()), expected({{W / 2, 0}, {-W / 2, 0}}, {1, 1}));
    EXPECT_TRUE(ring->isClosed());
    std::unique_ptr<AcDbPolyline> dot(create_rebar_dot(AcGePoint3d(1, 2, 0)));
    double width = 0.0;
    EXPECT_EQ(dot->getConstantWidth(width), Acad::eOk);
    EXPECT_DOUBLE_EQ(width, 0.5 * d);
    EXPECT_EQ(vertices(dot.get()), expected({{1 - d / 4, 2}, {1 + d / 4, 2}}, {1, 1}));
}

// One end of a cross-tie hooks 90°, the other 157.5° around the end bar; `alternate` swaps
// them and `side` the side of the bar line the straight leg runs on.
TEST_F(RebarDiagramTest, CrossTiesHookBothEndsOnTheSideAsked) {
    const double b90 = std::tan(kPi / 8), b157 = std::tan(7 * kPi / 32);
    const AcGePoint2d P(-0.3, 0.1), Q(0.3, 0.1), B(0.2, -0.3), T(0.2, 0.3);
    struct Row {
        const char* name;
        std::function<AcDbPolyline*()> make;
        std::string vertices;
    };
    const AcGePoint2d h1(P.x - 1.25 * c, P.y), h4 = polar(Q, 3 * kPi / 8, c);
    const AcGePoint2d g1 = polar(P, -5 * kPi / 8, c);
    const AcGePoint2d v4 = polar(T, kPi / 8, c), w1 = polar(B, -7 * kPi / 8, c);
    const Row rows[] = {
        {"horizontal, alternate, below",
         [&] { return create_horizontal_cross_tie(1, P, Q, true, true); },
         expected({{h1.x, h1.y + 2 * c},
                   h1,
                   {P.x, P.y - c},
                   {Q.x, Q.y - c},
                   h4,
                   polar(h4, 7 * kPi / 8, c)},
                  {0, b90, 0, b157, 0, 0})},
        {"horizontal, not alternate, above",
         [&] { return create_horizontal_cross_tie(2, P, Q, false, false); },
         expected({polar(g1, -kPi / 8, c),
                   g1,
                   {P.x, P.y + c},
                   {Q.x, Q.y + c},
                   {Q.x + 1.25 * c, Q.y},
                   {Q.x + 1.25 * c, Q.y - 2 * c}},
                  {0, -b157, 0, -b90, 0, 0})},
        {"vertical, alternate, left",
         [&] { return create_vertical_cross_tie(1, B, T, true, false); },
         expected({{B.x + 2 * c, B.y - 1.25 * c},
                   {B.x, B.y - 1.25 * c},
                   {B.x - c, B.y},
                   {T.x - c, T.y},
                   v4,
                   polar(v4, -3 * kPi / 8, c)},
                  {0, -b90, 0, -b157, 0, 0})},
        {"vertical, not alternate, right",
         [&] { return create_vertical_cross_tie(0.5, B, T, false, true); },
         expected({polar(w1, 5 * kPi / 8, c),
                   w1,
                   {B.x + c, B.y},
                   {T.x + c, T.y},
                   {T.x, T.y + 1.25 * c},
                   {T.x - 2 * c, T.y + 1.25 * c}},
                  {0, b157, 0, b90, 0, 0})},
    };
    for (const Row& row : rows) {
        std::unique_ptr<AcDbPolyline> tie(row.make());
        EXPECT_EQ(vertices(tie.get()), row.vertices) << row.name;
        EXPECT_FALSE(tie->isClosed()) << row.name;
    }
}

TEST_F(RebarDiagramTest, DrawnPropertiesAreAppliedOnlyWhenTheLibraryGivesThem) {
    auto properties = [](const AcDbEntity* entity) {
        return std::to_string(entity->colorIndex()) + "/" + std::to_string(entity->lineWeight()) +
               "/" + (entity->layerId().isNull() ? "-" : "layer");
    };
    std::unique_ptr<AcDbPolyline> hoop(create_rectangular_hoop(1));
    std::unique_ptr<AcDbPolyline> dot(create_rebar_dot(AcGePoint3d::kOrigin));
    std::unique_ptr<AcDbAttributeDefinition> legend(create_tie_pattern_legend(2, {}, 0.2));
    EXPECT_EQ(properties(hoop.get()), "1/35/layer");
    EXPECT_EQ(hoop->layerId(), drawing_->layer(L"KORV_COLUMN_REBAR"));
    EXPECT_EQ(properties(dot.get()), "1/35/layer");
    EXPECT_EQ(properties(legend.get()), "256/-1/-");
    EXPECT_EQ(text(legend->alignmentPoint()), text(0, W / 2 + L));
    EXPECT_EQ(std::wstring(legend->tagConst()) + legend->promptConst() + legend->textStringConst(),
              L"TypeType1");
    EXPECT_EQ(legend->horizontalMode(), AcDb::kTextCenter);
    EXPECT_EQ(legend->verticalMode(), AcDb::kTextBottom);
    EXPECT_DOUBLE_EQ(legend->height(), 0.2);

    KORVConcrete_column_reinforcement::set_layer_name(L"");
    KORVSlab_or_wall_reinforcement::set_rebars_two_d_color(256);
    KORVSlab_or_wall_reinforcement::set_rebars_two_d_lineweight(AcDb::kLnWtByLayer);
    std::unique_ptr<AcDbPolyline> plain(create_horizontal_cross_tie(1, {0, 0}, {1, 0}, true, true));
    EXPECT_EQ(properties(plain.get()), "256/-1/-");
}

TEST_F(RebarDiagramTest, TheLibraryChoosesTiedBarsSpreadAcrossTheFace) {
    struct Row {
        int legs, positions;
        std::vector<bool> flags;
    } rows[] = {
        {2, 4, {true, false, false, true}},
        {3, 4, {true, false, true, true}},
        {4, 7, {true, false, true, false, true, false, true}},
        {5, 4, {true, true, true, true}},
    };
    for (const Row& row : rows) {
        std::vector<bool> flags(static_cast<size_t>(row.positions), false);
        KORVConcrete_column_reinforcement::set_tie_location_indices(row.legs, row.positions, flags);
        EXPECT_EQ(flags, row.flags) << row.legs << " legs, " << row.positions << " positions";
    }
}

// Entities in the order hoop, bars, horizontal ties, vertical ties, legend; ties spaced as
// the bars when the even spacing would be wider, on the bars the library chooses.
TEST_F(RebarDiagramTest, LayoutsPlaceBarsAndTiesByTheCounts) {
    const double e = W / 2 - c;  // corner bar offset of a square section
    const double dx = (W - 2 * c) / 3;
    const double rc = W / 2 - d;
    struct Row {
        const char* name;
        std::function<AcDbObjectId()> make;
        std::string entities;
    };
    const Row rows[] = {
        {"square, 4 by 2 bars, two legs: no cross-tie",
         [] { return create_rectangular_tie_pattern_block(1, 4, 2, 2, 2, {}, 0.1); },
         "hoop " +
             dots({{-e, e},
                   {-e, -e},
                   {-e + dx, e},
                   {-e + dx, -e},
                   {e - dx, e},
                   {e - dx, -e},
                   {e, e},
                   {e, -e},
                   {-e, -e + dx},
                   {e, -e + dx},
                   {-e, e - dx},
                   {e, e - dx}}) +
             " legend" + text(0, W / 2 + L)},
        {"wide, no intermediate bars, three legs across: one tie at mid-height, above",
         [] { return create_rectangular_tie_pattern_block(2, 2, 0, 2, 3, {}, 0.1); },
         "hoop " + dots({{-W + c, e}, {-W + c, -e}, {W - c, e}, {W - c, -e}}) + " tie" +
             text(-W + c, c) + "-" + text(W - c, c) + " legend" + text(0, W / 2 + L)},
        {"square, 5 bars a face, three legs: the library ties the middle bar, right of it",
         [] { return create_rectangular_tie_pattern_block(1, 5, 0, 3, 2, {}, 0.1); },
         "hoop " +
             dots({{-e, e},
                   {-e, -e},
                   {-e / 2, e},
                   {-e / 2, -e},
                   {0, e},
                   {0, -e},
                   {e / 2, e},
                   {e / 2, -e},
                   {e, e},
                   {e, -e}}) +
             " tie" + text(c, -e) + "-" + text(c, e) + " legend" + text(0, W / 2 + L)},
        {"circle, 8 bars, three legs down, four across",
         [] { return create_circular_tie_pattern_block(8, 4, 3, {}, 0.1); },
         "ring " +
             dots({{0, rc},
                   {-rc * std::sqrt(0.5), rc * std::sqrt(0.5)},
                   {-rc, 0},
                   {-rc * std::sqrt(0.5), -rc * std::sqrt(0.5)},
                   {0, -rc},
                   {rc * std::sqrt(0.5), -rc * std::sqrt(0.5)},
                   {rc, 0},
                   {rc * std::sqrt(0.5), rc * std::sqrt(0.5)}}) +
             " tie" + text(-rc, -c) + "-" + text(rc, -c) + " tie" +
             text(-rc / 2 - c, -rc * std::sin(kPi / 3)) + "-" +
             text(-rc / 2 - c, rc * std::sin(kPi / 3)) + " tie" +
             text(rc / 2 + c, -rc * std::sin(kPi / 3)) + "-" +
             text(rc / 2 + c, rc * std::sin(kPi / 3)) + " legend" + text(0, W / 2 + L)},
        {"circle, 6 bars, four legs down: two ties, no leg across",
         [] { return create_circular_tie_pattern_block(6, 2, 4, {}, 0.1); },
         "ring " +
             dots({{0, rc},
                   {-rc * std::sin(kPi / 3), rc / 2},
                   {-rc * std::sin(kPi / 3), -rc / 2},
                   {0, -rc},
                   {rc * std::sin(kPi / 3), -rc / 2},
                   {rc * std::sin(kPi / 3), rc / 2}}) +
             " tie" + text(-rc * std::sin(kPi / 3), -rc / 2 - c) + "-" +
             text(rc * std::sin(kPi / 3), -rc / 2 - c) + " tie" +
             text(-rc * std::sin(kPi / 3), rc / 2 + c) + "-" +
             text(rc * std::sin(kPi / 3), rc / 2 + c) + " legend" + text(0, W / 2 + L)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(definition(row.make()), row.entities);
        expect_host_clean();
    }
}

TEST_F(RebarDiagramTest, ADefinitionIsMadeOnceAndReusedUnchanged) {
    // A definition of the name already there is used as it is.
    const AcDbObjectId own = drawing_->define_block(L"KORV_TIE_PATTERN_4_2_3_4");
    drawing_->add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), L"", own);
    AcGePoint3d point(1, 1, 0);
    const AcDbObjectId first = draw(point, false, 1, 4, 2, false, 3, 4);
    EXPECT_EQ(definition(own), "");
    const int blocks = block_count(database_);
    // A circular section is named by its total bar count.
    const AcDbObjectId circle = draw(point, false, 1, 6, 2, true, 2, 2);
    EXPECT_EQ(block_count(database_), blocks + 1);
    const std::string made = definition(drawing_->block_id(L"KORV_TIE_PATTERN_8CIRC__2_2"));
    draw(point, false, 1, 8, 0, true, 2, 2);
    draw(point, false, 1, 4, 2, false, 3, 4);
    EXPECT_EQ(block_count(database_), blocks + 1);
    EXPECT_EQ(definition(drawing_->block_id(L"KORV_TIE_PATTERN_8CIRC__2_2")), made);
    AcDbObjectPointer<AcDbBlockReference> reference(first, AcDb::kForRead);
    ASSERT_EQ(reference.openStatus(), Acad::eOk);
    EXPECT_EQ(reference->blockTableRecord(), own);
    EXPECT_EQ(paper_space().size(), 5u);  // the schedule and four diagrams
    EXPECT_NE(circle, AcDbObjectId());
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// The insertion point: unchanged without advancing; from the table corner with no diagram
// placed; otherwise from the lowest diagram, the rightmost of its row (Y within the
// drawing's tolerance, X further than 0.01), whatever the name's case.
TEST_F(RebarDiagramTest, DiagramsArePlacedAfterTheLowestThenRightmost) {
    AcGePoint3d point(3, 4, 0);
    const AcDbObjectId fixed = draw(point, false, 2, 4, 0, false, 2, 2);
    EXPECT_EQ(text(point), "(3,4)");
    {
        AcDbObjectPointer<AcDbBlockReference> reference(fixed, AcDb::kForRead);
        EXPECT_EQ(text(reference->position()), "(3,4)");
    }
    drawing_->erase(fixed);
    const AcGePoint3d corner(10, 20, 0);
    point = corner;
    draw(point, true, 2, 4, 0, false, 2, 2);
    EXPECT_EQ(
        text(point),
        text(KORVConcrete_column_schedule::increment_table_bottom_left_for_tie_pattern_insert_pt(
            corner, 2)));

    // Rows of placed diagrams (a block whose extents are twice as wide as high, named in
    // lower case) and the one the next diagram follows; a block of another name never counts.
    const AcDbObjectId row_block = drawing_->define_block(L"korv_tie_pattern_row");
    drawing_->add(new AcDbLine(AcGePoint3d(-1, -0.5, 0), AcGePoint3d(1, 0.5, 0)), L"", row_block);
    const AcDbObjectId other = drawing_->define_block(L"KORV_TIE_PATTERN");
    drawing_->add(new AcDbLine(AcGePoint3d(-1, -1, 0), AcGePoint3d(1, 1, 0)), L"", other);
    const double tol = KORVget_database_length_tolerance(database_);
    struct Row {
        const char* name;
        std::vector<AcGePoint3d> placed;
        size_t winner;
    } rows[] = {
        {"same row: the rightmost", {{0, 0, 0}, {5, 0, 0}, {2, 0, 0}}, 1},
        {"lower wins even when placed earlier", {{0, -1, 0}, {5, 0, 0}}, 0},
        {"within 0.01 to the right: the first stays", {{0, 0, 0}, {0.009, 0, 0}}, 0},
        {"Y within the tolerance: one row, the right one", {{0, 0, 0}, {3, 0.8 * tol, 0}}, 1},
        {"Y within the tolerance: one row, the first", {{3, 0.8 * tol, 0}, {0, 0, 0}}, 0},
        {"Y lower by more than the tolerance", {{0, 0, 0}, {-3, -1.2 * tol, 0}}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (AcDbObjectId id : paper_space()) {
            if (id != target_) drawing_->erase(id);
        }
        drawing_->insert(other, {{0, -50, 0}}, L"", drawing_->paper_space());
        for (const AcGePoint3d& at : row.placed) {
            drawing_->insert(row_block, {at}, L"", drawing_->paper_space());
        }
        AcGePoint3d next = row.placed[row.winner];
        KORVConcrete_column_schedule::increment_tie_pattern_insert_pt(2.5, next, 2.0, 0.5);
        point = corner;
        draw(point, true, 0.5, 4, 0, false, 2, 2);
        EXPECT_EQ(text(point), text(next));
    }
}

// Each attribute definition that is not constant gives the reference an attribute placed
// by the insertion point; only "Type" gets the type text. The reference and every attribute
// carry one reactor holding the target, which a save and reopen keep listening.
TEST_F(RebarDiagramTest, AttributesAndReactorsOutliveASave) {
    const AcDbObjectId block = drawing_->define_block(L"KORV_TIE_PATTERN_4_3_3");
    auto definition_of = [](const wchar_t* tag, const wchar_t* value, bool constant,
                            AcDb::TextHorzMode mode) {
        auto* attribute =
            new AcDbAttributeDefinition(AcGePoint3d(0, 0.6, 0), value, tag, tag, AcDbObjectId());
        attribute->setConstant(constant);
        attribute->setHorizontalMode(mode);
        attribute->setVerticalMode(AcDb::kTextBottom);
        attribute->setAlignmentPoint(AcGePoint3d(0.5, 0.6, 0));
        return attribute;
    };
    drawing_->add(definition_of(L"Fixed", L"F", true, AcDb::kTextCenter), L"", block);
    drawing_->add(definition_of(L"Type", L"1", false, AcDb::kTextCenter), L"", block);
    drawing_->add(definition_of(L"type", L"2", false, AcDb::kTextRight), L"", block);
    AcGePoint3d point(10, 5, 0);
    const AcDbObjectId placed = draw(point, false, 1, 4, 0, false, 3, 3, L"C7");
    EXPECT_EQ(host_test::assertion_summary(), "");

    // "tag=text@(x,y) modes" per attribute and "reactor->target" per entity.
    auto describe = [](AcDbDatabase* db, AcDbObjectId reference_id, AcDbObjectId target) {
        std::vector<AcDbObjectId> entities = {reference_id};
        std::string out;
        {
            AcDbObjectPointer<AcDbBlockReference> reference(reference_id, AcDb::kForRead);
            std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
            for (; !it->done(); it->step()) {
                entities.push_back(it->objectId());
                AcDbObjectPointer<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
                const std::wstring tag = attribute->tagConst(),
                                   value = attribute->textStringConst();
                out += std::string(tag.begin(), tag.end()) + "=" +
                       std::string(value.begin(), value.end()) + "@" +
                       text(attribute->alignmentPoint()) + " " +
                       std::to_string(attribute->horizontalMode()) +
                       std::to_string(attribute->verticalMode()) + "; ";
            }
        }
        for (AcDbObjectId id : entities) {
            AcDbObjectPointer<AcDbEntity> entity(id, AcDb::kForRead);
            AcDbObjectPointer<AcDbDictionary> dictionary(entity->extensionDictionary(),
                                                         AcDb::kForRead);
            if (dictionary.openStatus() != Acad::eOk) {
                out += "no dictionary; ";
                continue;
            }
            AcDbObjectId reactor_id;
            dictionary->getAt(L"KORVLegend_attribute_reactor", reactor_id);
            AcDbObjectPointer<KORVTie_pattern_type_reactor> reactor(reactor_id, AcDb::kForRead);
            out += std::to_string(dictionary->numEntries()) + " entry, " +
                   (reactor.openStatus() == Acad::eOk && reactor->target_id() == target
                        ? "holds the target"
                        : "no reactor for the target") +
                   (entity->persistentReactorIds() == std::vector<AcDbObjectId>{reactor_id}
                        ? ", listed; "
                        : ", not listed; ");
        }
        (void)db;
        return out;
    };
    const std::string expected_text =
        "Type=C7@(10.5,5.6) 11; type=2@(10.5,5.6) 21; "
        "1 entry, holds the target, listed; 1 entry, holds the target, listed; "
        "1 entry, holds the target, listed; ";
    EXPECT_EQ(describe(database_, placed, target_), expected_text);

    dxf_files::ScratchFolder folder;
    AcDbHandle placed_handle, target_handle;
    {
        AcDbObjectPointer<AcDbEntity> entity(placed, AcDb::kForRead);
        entity->getAcDbHandle(placed_handle);
        AcDbObjectPointer<AcDbEntity> target(target_, AcDb::kForRead);
        target->getAcDbHandle(target_handle);
    }
    ASSERT_EQ(database_->saveAs(folder.wpath("sheet.dxf").c_str()), Acad::eOk);
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDwgFile(folder.wpath("sheet.dxf").c_str()), Acad::eOk);
    AcDbObjectId placed_back, target_back;
    ASSERT_EQ(back.getAcDbObjectId(placed_back, false, placed_handle), Acad::eOk);
    ASSERT_EQ(back.getAcDbObjectId(target_back, false, target_handle), Acad::eOk);
    EXPECT_EQ(describe(&back, placed_back, target_back), expected_text);

    // A later change of the attribute is heard by its reactor, and only by it.
    AcDbObjectId attribute_id, reactor_id, reference_reactor_id;
    {
        AcDbObjectPointer<AcDbBlockReference> reference(placed_back, AcDb::kForRead);
        reference_reactor_id = reference->persistentReactorIds().front();
        std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
        attribute_id = it->objectId();
    }
    {
        AcDbObjectPointer<AcDbAttribute> attribute(attribute_id, AcDb::kForWrite);
        reactor_id = attribute->persistentReactorIds().front();
        attribute->setTextString(L"C9");
    }
    AcDbObjectPointer<KORVTie_pattern_type_reactor> heard(reactor_id, AcDb::kForRead);
    ASSERT_EQ(heard.openStatus(), Acad::eOk);
    EXPECT_EQ(heard->modified_count(), 1);
    EXPECT_EQ(heard->heard_text(), L"C9");
    AcDbObjectPointer<KORVTie_pattern_type_reactor> other(reference_reactor_id, AcDb::kForRead);
    EXPECT_EQ(other->modified_count(), 0);
}

TEST_F(RebarDiagramTest, FailuresGiveTheirResults) {
    const AcDbObjectId existing = drawing_->define_block(L"KORV_TIE_PATTERN_4_3_3");
    drawing_->add(create_tie_pattern_legend(1, {}, 0.1), L"", existing);
    struct Row {
        const char* name;
        std::function<void()> arm;
        bool advance;
        // What the call returns: the reference, the definition or the null id.
        enum { kReference, kDefinition, kNull } returned;
        size_t references;  // tie pattern references in paper space afterwards
        const char* assertions;
    };
    const Row rows[] = {
        {"the definition does not open",
         [&] { host_test::fail_open_of(existing, Acad::eWasOpenForWrite); }, false,
         Row::kDefinition, 0, kAssert},
        {"no iterator over the definition",
         [] { host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory); }, false,
         Row::kDefinition, 1, "pIterator@column_rebar_diagram"},
        {"paper space unreadable while placing: the table corner",
         [this] { host_test::fail_open_of(drawing_->paper_space(), Acad::eWasOpenForWrite); }, true,
         Row::kReference, 1, "pBTR@column_rebar_diagram"},
        {"the library throws before the reference is in paper space",
         [] { host_test::throw_in_library("get_default_layer_id"); }, false, Row::kNull, 0,
         "false@column_rebar_diagram"},
        {"the library throws while attributes are made",
         [] { host_test::throw_in_library("KORVget_extension_dictionary", 2); }, false, Row::kNull,
         1, "false@column_rebar_diagram"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (AcDbObjectId id : paper_space()) {
            if (id != target_) drawing_->erase(id);
        }
        host_test::clear_assertion_reports();
        AcGePoint3d point(1, 1, 0);
        row.arm();
        const AcDbObjectId result = draw(point, row.advance, 1, 4, 0, false, 3, 3);
        const std::vector<AcDbObjectId> placed = paper_space();
        ASSERT_EQ(placed.size(), row.references + 1);
        switch (row.returned) {
            case Row::kReference:
                EXPECT_EQ(result, placed.back());
                EXPECT_EQ(text(point),
                          text(KORVConcrete_column_schedule::
                                   increment_table_bottom_left_for_tie_pattern_insert_pt(
                                       AcGePoint3d(1, 1, 0), 1)));
                break;
            case Row::kDefinition:
                EXPECT_EQ(result, existing);
                break;
            case Row::kNull:
                EXPECT_EQ(result, AcDbObjectId());
                break;
        }
        EXPECT_EQ(host_test::assertion_summary(), row.assertions);
        host_test::clear_faults();
        expect_host_clean();
    }
}

}  // namespace
