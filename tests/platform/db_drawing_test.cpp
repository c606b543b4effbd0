// Contract tests of the drawing entities: attributes on block references and attribute
// definitions in blocks, texts, lightweight polylines, the common entity properties,
// geometric extents, and how these classes file themselves.
#include <dbents.h>
#include <dbobjptr.h>
#include <dbpl.h>
#include <host_test/drawing_builder.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "host_fixture.h"
#include "item_filer.h"

namespace {

using host_test::HostOp;
using DbDrawingTest = HostTest;
using Statuses = std::vector<Acad::ErrorStatus>;

struct Drawing {
    std::unique_ptr<AcDbDatabase> db = host_test::new_drawing();
    host_test::DrawingBuilder builder{db.get()};
};

// "(x,y,z)", coordinates to six significant digits (below 1e-9 as 0).
template <class T>
std::string point_text(const T& p) {
    auto clean = [](double v) { return std::fabs(v) < 1e-9 ? 0.0 : v; };
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "(%g,%g,%g)", clean(p.x), clean(p.y), clean(p.z));
    return buffer;
}
std::string box_text(const AcDbExtents& box) {
    return point_text(box.minPoint()) + " " + point_text(box.maxPoint());
}

// The extents as "(min) (max)", or the failure status.
std::string box_of(AcDbObjectId id) {
    AcDbEntityPointer entity(id);
    AcDbExtents extents;
    const Acad::ErrorStatus es = entity->getGeomExtents(extents);
    return es == Acad::eOk ? box_text(extents) : "status " + std::to_string(es);
}

std::string narrow(const ACHAR* text) {
    const std::wstring wide = text ? text : L"";
    return std::string(wide.begin(), wide.end());
}

// Invisible, constant, verifiable, preset as four digits.
template <class T>
std::string flags_of(const T& attribute) {
    return std::to_string(int(attribute.isInvisible())) +
           std::to_string(int(attribute.isConstant())) +
           std::to_string(int(attribute.isVerifiable())) +
           std::to_string(int(attribute.isPreset()));
}

// A text as one line of its data; attributes and their definitions add tag, flags and the rest.
std::string describe(const AcDbText& text) {
    std::ostringstream out;
    out << narrow(text.textStringConst()) << " at " << point_text(text.position()) << " aligned "
        << point_text(text.alignmentPoint()) << " normal " << point_text(text.normal()) << " h"
        << text.height() << " w" << text.widthFactor() << " r" << text.rotation() << " modes "
        << text.horizontalMode() << "/" << text.verticalMode();
    auto attribute_part = [&](const auto& attribute) {
        out << " tag " << narrow(attribute.tagConst()) << " flags " << flags_of(attribute)
            << " length " << attribute.fieldLength() << " lock " << attribute.lockPositionInBlock();
    };
    if (const auto* definition = AcDbAttributeDefinition::cast(&text)) {
        attribute_part(*definition);
        out << " prompt " << narrow(definition->promptConst());
    }
    if (const auto* attribute = AcDbAttribute::cast(&text)) attribute_part(*attribute);
    return out.str();
}

// A polyline as one line: closure, elevation, normal, then each vertex through the getters.
std::string describe(const AcDbPolyline& polyline) {
    std::ostringstream out;
    out << (polyline.isClosed() ? "closed" : "open") << " at " << polyline.elevation() << " normal "
        << point_text(polyline.normal());
    for (unsigned i = 0; i < polyline.numVerts(); ++i) {
        AcGePoint2d point;
        double bulge = 0, start = 0, end = 0;
        polyline.getPointAt(i, point);
        polyline.getBulgeAt(i, bulge);
        polyline.getWidthsAt(i, start, end);
        out << " | " << point.x << "," << point.y << " b" << bulge << " w" << start << "/" << end
            << " #" << polyline.vertices()[i].identifier;
    }
    return out.str();
}

// The attributes an iterator over the reference visits, as their tags.
std::wstring attribute_tags(AcDbObjectId reference_id) {
    AcDbBlockReferencePointer reference(reference_id);
    std::unique_ptr<AcDbObjectIterator> iterator(reference->attributeIterator());
    std::wstring tags;
    for (iterator->start(); !iterator->done(); iterator->step()) {
        AcDbAttribute* attribute = nullptr;
        EXPECT_EQ(reference->openAttribute(attribute, iterator->objectId(), AcDb::kForRead),
                  Acad::eOk);
        EXPECT_EQ(iterator->entity(), attribute);
        tags += (tags.empty() ? L"" : L" ") + std::wstring(attribute->tagConst());
        attribute->close();
    }
    return tags;
}

AcDbObjectId append_attribute(AcDbObjectId reference_id, const ACHAR* tag,
                              const AcGePoint3d& position = {}) {
    AcDbBlockReferencePointer reference(reference_id, AcDb::kForWrite);
    auto* attribute = new AcDbAttribute(position, L"value", tag);
    AcDbObjectId id;
    EXPECT_EQ(reference->appendAttribute(id, attribute), Acad::eOk);
    attribute->close();
    return id;
}

// The world direction of a text's baseline.
AcGeVector3d baseline_of(const AcDbText& text) {
    return AcGeMatrix3d::planeToWorld(text.normal()) *
           AcGeVector3d(std::cos(text.rotation()), std::sin(text.rotation()), 0.0);
}

unsigned test_seed() {
    return static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
}

// ----- attributes ----------------------------------------------------------------------------

TEST_F(DbDrawingTest, AttributesNeedAResidentReferenceAreWalkedInOrderAndGoWithIt) {
    Drawing drawing;
    const AcDbObjectId block = drawing.builder.define_block(L"COL");
    const AcDbObjectId line = drawing.builder.add(new AcDbLine({0, 0, 0}, {1, 1, 0}), L"", block);
    auto has_definitions = [&] {
        AcDbBlockTableRecordPointer record(block);
        return record->hasAttributeDefinitions();
    };
    EXPECT_FALSE(has_definitions());
    const AcDbObjectId definition = drawing.builder.add(
        new AcDbAttributeDefinition({0, 0, 0}, L"1", L"Type", L"Type"), L"", block);
    EXPECT_TRUE(has_definitions());
    drawing.builder.erase(definition);
    EXPECT_FALSE(has_definitions());

    const AcDbObjectId reference_id = drawing.builder.insert(block);
    auto* attribute = new AcDbAttribute({1, 2, 0}, L"C1", L"A");
    AcDbBlockReference loose({0, 0, 0}, block);
    EXPECT_EQ(loose.appendAttribute(attribute), Acad::eNoDatabase);
    {
        AcDbBlockReferencePointer reader(reference_id);
        EXPECT_EQ(reader->appendAttribute(attribute), Acad::eNotOpenForWrite);
    }
    {
        AcDbBlockReferencePointer reference(reference_id, AcDb::kForWrite);
        EXPECT_EQ(reference->appendAttribute(nullptr), Acad::eNullObjectPointer);
        host_test::fail_next(HostOp::AppendEntity, Acad::eOutOfMemory);
        EXPECT_EQ(reference->appendAttribute(attribute), Acad::eOutOfMemory);
        EXPECT_TRUE(attribute->objectId().isNull());
        AcDbObjectId a;
        ASSERT_EQ(reference->appendAttribute(a, attribute), Acad::eOk);
        EXPECT_EQ(attribute->objectId(), a);
        EXPECT_EQ(attribute->ownerId(), reference_id);
        EXPECT_EQ(attribute->layerId(), drawing.db->clayer());
        EXPECT_TRUE(attribute->isWriteEnabled()) << "left open for the caller to close";
        EXPECT_EQ(reference->appendAttribute(attribute), Acad::eAlreadyInDb);
        EXPECT_EQ(attribute->close(), Acad::eOk);
        EXPECT_EQ(reference->attributeIds(), std::vector<AcDbObjectId>{a});
    }
    const AcDbObjectId b = append_attribute(reference_id, L"B");
    const AcDbObjectId c = append_attribute(reference_id, L"C");
    EXPECT_EQ(attribute_tags(reference_id), L"A B C");

    drawing.builder.erase(b);
    EXPECT_EQ(attribute_tags(reference_id), L"A C");
    {
        AcDbBlockReferencePointer reference(reference_id);
        std::unique_ptr<AcDbObjectIterator> iterator(reference->attributeIterator());
        EXPECT_EQ(host_test::live_iterator_count(), 1);
        iterator->start(true);
        EXPECT_EQ(iterator->objectId(), c) << "from the end";
        iterator->step(true, false);
        EXPECT_EQ(iterator->objectId(), b) << "erased ones when asked";
        EXPECT_TRUE(iterator->seek(c));
        iterator->step();
        EXPECT_TRUE(iterator->done());
        EXPECT_TRUE(iterator->objectId().isNull());
        EXPECT_FALSE(iterator->seek(line));

        AcDbAttribute* opened = nullptr;
        EXPECT_EQ(reference->openAttribute(opened, line, AcDb::kForRead), Acad::eInvalidInput);
        EXPECT_EQ(reference->openAttribute(opened, b, AcDb::kForRead), Acad::eWasErased);
        ASSERT_EQ(reference->openAttribute(opened, b, AcDb::kForRead, true), Acad::eOk);
        opened->close();
    }

    drawing.builder.erase(reference_id);
    EXPECT_TRUE(c.isErased());
    {
        AcDbBlockReferencePointer reference(reference_id, AcDb::kForWrite, true);
        ASSERT_EQ(reference->erase(false), Acad::eOk);
    }
    EXPECT_FALSE(c.isErased());
    EXPECT_FALSE(b.isErased()) << "unerasing the reference restores all it owns";
}

TEST_F(DbDrawingTest, SetAttributeFromBlockCopiesTheDefinitionAndFollowsAnyPlacement) {
    Drawing drawing;
    const AcDbObjectId block = drawing.builder.define_block(L"TIE", {1, 1, 0});
    AcDbAttributeDefinition definition({1, 2, 0}, L"1", L"Type", L"Column type");
    ASSERT_EQ((Statuses{definition.setHeight(2.5), definition.setRotation(0.1),
                        definition.setHorizontalMode(AcDb::kTextCenter),
                        definition.setVerticalMode(AcDb::kTextBottom),
                        definition.setAlignmentPoint({3, 2, 0}), definition.setPreset(true),
                        definition.setFieldLength(5), definition.setLockPositionInBlock(true)}),
              Statuses(8, Acad::eOk));
    AcDbBlockReference reference({10, 20, 0}, block);
    ASSERT_EQ(reference.setRotation(M_PI / 6), Acad::eOk);
    ASSERT_EQ(reference.setScaleFactors(AcGeScale3d(2, 2, 2)), Acad::eOk);
    const AcGeMatrix3d xform = reference.blockTransform();

    AcDbAttribute attribute;
    ASSERT_EQ(attribute.setAttributeFromBlock(&definition, xform), Acad::eOk);
    // The base point (1,1) goes to (10,20); (1,2) lies 1 above it and (3,2) at (2,1) from it,
    // both turned 30° and doubled. The rotation adds 30°, the height doubles.
    EXPECT_EQ(describe(attribute),
              "1 at (9,21.7321,0) aligned (12.4641,23.7321,0) normal (0,0,1) h5 w1 r0.623599 "
              "modes 1/1 tag Type flags 0001 length 5 lock 1");
    EXPECT_EQ(attribute.setAttributeFromBlock(nullptr, xform), Acad::eNullObjectPointer);

    // Over many placements, turned about any normal and scaled: the attribute sits where the
    // block puts the definition's points, reads along the carried baseline, and grows with it.
    SCOPED_TRACE("seed " + std::to_string(test_seed()));
    std::mt19937 random(test_seed());
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int placement = 0; placement < 60; ++placement) {
        AcDbBlockReference placed({100 * unit(random), 100 * unit(random), 10 * unit(random)},
                                  block);
        AcGeVector3d normal(unit(random), unit(random), unit(random));
        if (normal.isZeroLength(AcGeTol())) normal = AcGeVector3d::kZAxis;
        const double scale = std::exp(2 * unit(random));
        ASSERT_EQ(placed.setNormal(normal), Acad::eOk);
        ASSERT_EQ(placed.setRotation(M_PI * unit(random)), Acad::eOk);
        ASSERT_EQ(placed.setScaleFactors(AcGeScale3d(scale, scale, scale)), Acad::eOk);
        const AcGeMatrix3d placing = placed.blockTransform();

        AcDbAttribute copy;
        ASSERT_EQ(copy.setAttributeFromBlock(&definition, placing), Acad::eOk);
        const double reach = 2e-9 * (200 + scale * 10);
        EXPECT_LT(copy.position().distanceTo(placing * definition.position()), reach);
        EXPECT_LT(copy.alignmentPoint().distanceTo(placing * definition.alignmentPoint()), reach);
        EXPECT_NEAR(copy.height(), 2.5 * scale, 1e-9 * scale);
        EXPECT_NEAR(copy.widthFactor(), 1.0, 1e-9);
        EXPECT_TRUE(copy.normal().isCodirectionalTo(placed.normal()));
        EXPECT_TRUE(
            baseline_of(copy).isCodirectionalTo((placing * baseline_of(definition)).normal()));
    }
}

TEST_F(DbDrawingTest, TextsAndDefinitionsKeepWhatTheyAreGiven) {
    AcDbAttributeDefinition definition({0, 0, 0}, L"7", L"Type", L"Column type");
    auto take = [](ACHAR* copy) {
        const std::wstring text(copy);
        std::free(copy);
        return text;
    };
    EXPECT_EQ(take(definition.tag()) + L"|" + take(definition.prompt()) + L"|" +
                  take(definition.textString()),
              L"Type|Column type|7");
    AcString copy;
    EXPECT_EQ(definition.tag(copy), Acad::eOk);
    EXPECT_EQ(copy.text(), L"Type");
    const std::string before = describe(definition);
    EXPECT_EQ((Statuses{definition.setTag(nullptr), definition.setTag(L""),
                        definition.setTextString(nullptr), definition.setHeight(0.0),
                        definition.setWidthFactor(-1.0), definition.setNormal(AcGeVector3d()),
                        definition.setHorizontalMode(static_cast<AcDb::TextHorzMode>(6)),
                        definition.setVerticalMode(static_cast<AcDb::TextVertMode>(-1))}),
              Statuses(8, Acad::eInvalidInput));
    EXPECT_EQ(describe(definition), before) << "a refused value changes nothing";

    EXPECT_TRUE(definition.isDefaultAlignment());
    ASSERT_EQ(definition.setVerticalMode(AcDb::kTextTop), Acad::eOk);
    EXPECT_FALSE(definition.isDefaultAlignment());
    std::string flags = flags_of(definition);
    for (auto set :
         {&AcDbAttributeDefinition::setInvisible, &AcDbAttributeDefinition::setConstant,
          &AcDbAttributeDefinition::setVerifiable, &AcDbAttributeDefinition::setPreset}) {
        ASSERT_EQ((definition.*set)(true), Acad::eOk);
        flags += " " + flags_of(definition);
    }
    EXPECT_EQ(flags, "0000 1000 1100 1110 1111");
    AcDbText rotated({0, 0, 0}, L"x", AcDbObjectId::kNull, 0.0, -M_PI / 2);
    EXPECT_NEAR(rotated.rotation(), 3 * M_PI / 2, 1e-9) << "angles are kept in [0, 2π)";
    EXPECT_GT(rotated.height(), 0.0) << "no height given: the default size";
}

// ----- polylines ---------------------------------------------------------------------------------

TEST_F(DbDrawingTest, PolylineVerticesAreCheckedByIndexAndWidthsDefaultToTheConstantWidth) {
    AcDbPolyline reserved(8);
    EXPECT_EQ(reserved.numVerts(), 0u);

    AcDbPolyline polyline;
    EXPECT_EQ(polyline.addVertexAt(1, {0, 0}), Acad::eInvalidIndex);
    ASSERT_EQ(polyline.addVertexAt(0, {0, 0}), Acad::eOk);
    ASSERT_EQ(polyline.addVertexAt(1, {2, 0}, 1.0), Acad::eOk);
    ASSERT_EQ(polyline.addVertexAt(1, {1, -1}), Acad::eOk);
    // The bulge stays with its vertex when one is inserted before it.
    EXPECT_EQ(describe(polyline),
              "open at 0 normal (0,0,1) | 0,0 b0 w0/0 #0 | 1,-1 b0 w0/0 #0 | 2,0 b1 w0/0 #0");
    AcGePoint2d point;
    double bulge = 0.0;
    EXPECT_EQ((Statuses{polyline.getPointAt(3, point), polyline.getBulgeAt(3, bulge),
                        polyline.setBulgeAt(3, 1.0), polyline.setPointAt(3, point),
                        polyline.removeVertexAt(3), polyline.setWidthsAt(3, 0.2, 0.3)}),
              Statuses(6, Acad::eInvalidIndex));
    ASSERT_EQ(polyline.setBulgeAt(1, 0.25), Acad::eOk);
    ASSERT_EQ(polyline.removeVertexAt(0), Acad::eOk);
    EXPECT_TRUE(polyline.hasBulges());

    // A vertex in the world: the plane of the normal, lifted by the elevation.
    ASSERT_EQ(polyline.setNormal(-AcGeVector3d::kZAxis), Acad::eOk);
    polyline.setElevation(2.0);
    AcGePoint3d world;
    ASSERT_EQ(polyline.getPointAt(0, world), Acad::eOk);
    EXPECT_EQ(point_text(world), "(-1,-1,-2)");
    EXPECT_EQ(polyline.setNormal(AcGeVector3d()), Acad::eInvalidInput);
    polyline.setClosed(true);
    EXPECT_TRUE(polyline.isClosed());

    // Widths: a new vertex given none takes the constant width.
    double width = -1.0;
    ASSERT_EQ(polyline.getConstantWidth(width), Acad::eOk);
    EXPECT_EQ(width, 0.0);
    ASSERT_EQ(polyline.setConstantWidth(0.5), Acad::eOk);
    ASSERT_EQ(polyline.addVertexAt(2, {3, 0}, 0.0, -1.0, -1.0), Acad::eOk);
    ASSERT_EQ(polyline.getConstantWidth(width), Acad::eOk);
    EXPECT_EQ(width, 0.5);
    ASSERT_EQ(polyline.setWidthsAt(0, 0.2, 0.3), Acad::eOk);
    EXPECT_EQ(describe(polyline),
              "closed at 2 normal (0,0,-1) | 1,-1 b0.25 w0.2/0.3 #0 | 2,0 b1 w0.5/0.5 #0 | 3,0 b0 "
              "w0.5/0.5 #0");
    EXPECT_EQ((Statuses{polyline.getConstantWidth(width), polyline.setWidthsAt(0, -0.2, 0.3),
                        polyline.setConstantWidth(-1.0)}),
              (Statuses{Acad::eNotApplicable, Acad::eInvalidInput, Acad::eInvalidInput}));
    EXPECT_TRUE(polyline.hasWidth());
}

// ----- entity properties -----------------------------------------------------------------------

TEST_F(DbDrawingTest, EntityPropertiesAreSetAndCopied) {
    Drawing drawing;
    const AcDbObjectId beams = drawing.builder.layer(L"Beams");
    const AcDbObjectId line_id = drawing.builder.add(new AcDbLine({0, 0, 0}, {1, 0, 0}));
    const AcDbObjectId text_id = drawing.builder.add(new AcDbText({0, 0, 0}, L"T"));
    {
        AcDbEntityPointer line(line_id, AcDb::kForWrite);
        EXPECT_EQ(line->colorIndex(), 256) << "ByLayer";
        EXPECT_EQ(line->lineWeight(), AcDb::kLnWtByLayer);
        EXPECT_EQ(
            (Statuses{line->setColorIndex(1), line->setColorIndex(300),
                      line->setLineWeight(AcDb::kLnWt035), line->setLayer(L"Nowhere"),
                      line->setLayer(L"BEAMS")}),
            (Statuses{Acad::eOk, Acad::eInvalidInput, Acad::eOk, Acad::eKeyNotFound, Acad::eOk}));
        EXPECT_EQ(line->layerId(), beams);
        AcString name;
        EXPECT_EQ(line->layer(name), Acad::eOk);
        EXPECT_EQ(name.text(), L"Beams");
        EXPECT_EQ(line->setLayer(drawing.db->clayer()), Acad::eOk);
        EXPECT_EQ(line->setLayer(line_id), Acad::eInvalidInput) << "not a layer";
        EXPECT_EQ(line->setLayer(beams, true, false), Acad::eOk);
    }
    AcDbEntityPointer line(line_id);
    AcDbEntityPointer text(text_id, AcDb::kForWrite);
    ASSERT_EQ(text->setPropertiesFrom(line), Acad::eOk);
    EXPECT_EQ(text->colorIndex(), 1);
    EXPECT_EQ(text->lineWeight(), AcDb::kLnWt035);
    EXPECT_EQ(text->layerId(), beams);
    EXPECT_EQ(text->setPropertiesFrom(nullptr), Acad::eNullEntityPointer);
}

// ----- extents -----------------------------------------------------------------------------------

TEST_F(DbDrawingTest, CurvesAndTextsHaveExactExtentsAndBoxesGrowAndMove) {
    Drawing drawing;
    auto add = [&](AcDbEntity* entity) { return box_of(drawing.builder.add(entity)); };
    EXPECT_EQ(add(new AcDbLine({1, 2, 3}, {-1, 5, 0})), "(-1,2,0) (1,5,3)");
    EXPECT_EQ(add(new AcDbArc({0, 0, 0}, 2, 0, M_PI / 2)), "(0,0,0) (2,2,0)");
    // Through 0°: the rightmost point is inside the arc, not at an end.
    EXPECT_EQ(add(new AcDbArc({0, 0, 0}, 2, 7 * M_PI / 4, M_PI / 4)),
              "(1.41421,-1.41421,0) (2,1.41421,0)");

    // A character cell is as wide as the text is high.
    EXPECT_EQ(add(new AcDbText({1, 1, 0}, L"ABCD", AcDbObjectId::kNull, 2.0)), "(1,1,0) (9,3,0)");
    auto* right = new AcDbText({0, 0, 0}, L"ABCD", AcDbObjectId::kNull, 2.0);
    right->setHorizontalMode(AcDb::kTextRight);
    right->setVerticalMode(AcDb::kTextTop);
    right->setAlignmentPoint({10, 0, 0});
    EXPECT_EQ(add(right), "(2,-2,0) (10,0,0)");
    EXPECT_EQ(add(new AcDbText({0, 0, 0}, L"")), "status 30") << "eInvalidExtents";

    // A half circle below its chord (counter-clockwise from (0,0) to (2,0)), 0.2 wide.
    auto* polyline = new AcDbPolyline();
    polyline->addVertexAt(0, {0, 0}, 1.0);
    polyline->addVertexAt(1, {2, 0});
    polyline->setConstantWidth(0.2);
    EXPECT_EQ(add(polyline), "(-0.1,-1.1,0) (2.1,0,0)");
    auto* square = new AcDbPolyline();
    for (unsigned i = 0; i < 4; ++i)
        square->addVertexAt(i, {double(i == 1 || i == 2), double(i >= 2)});
    square->setClosed(true);
    square->setBulgeAt(3, 1.0);  // the closing side, counter-clockwise: out to the left
    EXPECT_EQ(add(square), "(-0.5,0,0) (1,1,0)");
    EXPECT_EQ(add(new AcDbPolyline()), "status 30");

    // A free box grows by points, boxes and vectors, and moves with a transform.
    AcDbExtents box;
    box.addPoint({1, 1, 1});
    box.addPoint({-1, 2, 0});
    EXPECT_EQ(box_text(box), "(-1,1,0) (1,2,1)");
    box.addExt(AcDbExtents());
    EXPECT_EQ(box_text(box), "(-1,1,0) (1,2,1)") << "an empty box adds nothing";
    EXPECT_EQ(box.expandBy({1, -1, 0}), Acad::eOk);
    EXPECT_EQ(box_text(box), "(-1,0,0) (2,2,1)");
    box.transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis));
    EXPECT_EQ(box_text(box), "(-2,-1,0) (0,2,1)");
    EXPECT_EQ(box.set({1, 0, 0}, {0, 1, 1}), Acad::eInvalidExtents);
    EXPECT_EQ(AcDbExtents().expandBy({1, 1, 1}), Acad::eInvalidExtents);
}

TEST_F(DbDrawingTest, BlockReferencesAreBoxedByTheirBlockUnderTheTransform) {
    Drawing drawing;
    const AcDbObjectId block = drawing.builder.define_block(L"B");
    drawing.builder.add(new AcDbLine({0, 0, 0}, {1, 0, 0}), L"", block);
    drawing.builder.add(new AcDbArc({0, 0, 0}, 1, 0, M_PI / 2), L"", block);
    // Shown only through attributes: the definition itself adds nothing.
    drawing.builder.add(new AcDbAttributeDefinition({100, 100, 0}, L"1", L"Type", L"Type"), L"",
                        block);
    host_test::Placement placement;
    placement.position = {10, 0, 0};
    placement.rotation = M_PI / 2;
    placement.scale = {2, 2, 2};
    const AcDbObjectId reference = drawing.builder.insert(block, placement);
    EXPECT_EQ(box_of(reference), "(8,0,0) (10,2,0)");

    const AcDbObjectId attribute = append_attribute(reference, L"Type", {20, 5, 0});
    EXPECT_EQ(box_of(reference), "(8,0,0) (21,5.2,0)") << "its own attribute counts";
    {
        AcDbObjectPointer<AcDbAttribute> hidden(attribute, AcDb::kForWrite);
        hidden->setInvisible(true);
    }
    EXPECT_EQ(box_of(reference), "(8,0,0) (10,2,0)") << "an invisible one does not";

    const AcDbObjectId outer = drawing.builder.define_block(L"OUTER");
    drawing.builder.insert(block, {}, L"", outer);
    placement.position = {0, 0, 5};
    placement.rotation = 0;
    placement.scale = {1, 3, 1};
    EXPECT_EQ(box_of(drawing.builder.insert(outer, placement)), "(0,0,5) (1,3,5)");

    const AcDbObjectId empty = drawing.builder.define_block(L"EMPTY");
    EXPECT_EQ(box_of(drawing.builder.insert(empty)), "status 30");
}

// Over many placements about any normal: the box of a placed arc holds every point of the
// arc and is touched by it on all six sides.
TEST_F(DbDrawingTest, APlacedArcIsBoxedExactlyInAnyPlacement) {
    Drawing drawing;
    const AcDbObjectId block = drawing.builder.define_block(L"ARC", {0.3, 0.2, 0});
    const double start = 0.4, end = 2.0 * M_PI - 0.9;
    drawing.builder.add(new AcDbArc({1, 2, 0}, 1.5, start, end), L"", block);

    SCOPED_TRACE("seed " + std::to_string(test_seed()));
    std::mt19937 random(test_seed());
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int round = 0; round < 20; ++round) {
        host_test::Placement placement;
        placement.position = {50 * unit(random), 50 * unit(random), 50 * unit(random)};
        placement.rotation = M_PI * unit(random);
        placement.scale = {std::exp(unit(random)), std::exp(unit(random)), std::exp(unit(random))};
        placement.normal = AcGeVector3d(unit(random), unit(random), unit(random) + 0.01);
        AcDbBlockReferencePointer reference(drawing.builder.insert(block, placement));
        AcDbExtents box;
        ASSERT_EQ(reference->getGeomExtents(box), Acad::eOk);
        const AcGeMatrix3d xform = reference->blockTransform();

        AcDbExtents sampled;
        const int samples = 20000;
        for (int i = 0; i <= samples; ++i) {
            const double t = start + (end - start) * i / samples;
            sampled.addPoint(xform * AcGePoint3d(1 + 1.5 * std::cos(t), 2 + 1.5 * std::sin(t), 0));
        }
        const double reach = 1e-6 * (1 + std::max({placement.scale.sx, placement.scale.sy}));
        for (unsigned k = 0; k < 3; ++k) {
            EXPECT_LE(box.minPoint()[k], sampled.minPoint()[k] + 1e-9);
            EXPECT_GE(box.maxPoint()[k], sampled.maxPoint()[k] - 1e-9);
            EXPECT_NEAR(box.minPoint()[k], sampled.minPoint()[k], reach) << "axis " << k;
            EXPECT_NEAR(box.maxPoint()[k], sampled.maxPoint()[k], reach) << "axis " << k;
        }
    }
}

// ----- filing -----------------------------------------------------------------------------------

// Writes the entity, reads the items back into the resident copy and expects the copy to
// describe as the source does.
template <class T>
void round_trip(AcDbObjectId id, AcDbObjectId copy_id, ItemFiler& filer) {
    std::string written;
    AcDbObjectId layer;
    {
        AcDbObjectPointer<T> source(id);
        ASSERT_EQ(source->dxfOutFields(&filer), Acad::eOk);
        written = describe(*source.object());
        layer = source->layerId();
    }
    AcDbObjectPointer<T> copy(copy_id, AcDb::kForWrite);
    filer.rewind();
    ASSERT_EQ(copy->dxfInFields(&filer), Acad::eOk);
    EXPECT_TRUE(filer.atEOF()) << "every item read";
    EXPECT_EQ(describe(*copy.object()), written);
    EXPECT_EQ(copy->layerId(), layer);
}

TEST_F(DbDrawingTest, TextsAttributesAndPolylinesFileTheirDataAndReadItBack) {
    Drawing drawing;
    drawing.builder.layer(L"Legend");
    auto* text = new AcDbText({1, 2, 3}, L"Column", AcDbObjectId::kNull, 2.5, 0.5);
    text->setNormal(AcGeVector3d(0, 1, 1));
    text->setWidthFactor(0.8);
    text->setHorizontalMode(AcDb::kTextMid);
    text->setVerticalMode(AcDb::kTextVertMid);
    text->setAlignmentPoint({4, 5, 6});
    ItemFiler text_items;
    round_trip<AcDbText>(drawing.builder.add(text, L"Legend"), drawing.builder.add(new AcDbText()),
                         text_items);

    auto* definition = new AcDbAttributeDefinition({1, 1, 0}, L"1", L"Type", L"Column type");
    definition->setConstant(true);
    definition->setPreset(true);
    definition->setFieldLength(4);
    definition->setVerticalMode(AcDb::kTextTop);
    definition->setLockPositionInBlock(true);
    ItemFiler definition_items;
    round_trip<AcDbAttributeDefinition>(drawing.builder.add(definition),
                                        drawing.builder.add(new AcDbAttributeDefinition()),
                                        definition_items);
    EXPECT_EQ(definition_items.section(L"AcDbAttributeDefinition"),
              "280=0\n3=Column type\n2=Type\n70=10\n73=4\n74=3\n280=1\n");

    const AcDbObjectId reference = drawing.builder.insert(drawing.builder.define_block(L"COL"));
    const AcDbObjectId attribute_id = append_attribute(reference, L"Type", {2, 2, 0});
    {
        AcDbObjectPointer<AcDbAttribute> attribute(attribute_id, AcDb::kForWrite);
        attribute->setInvisible(true);
    }
    ItemFiler attribute_items;
    round_trip<AcDbAttribute>(attribute_id, append_attribute(reference, L"Other"), attribute_items);
    EXPECT_EQ(attribute_items.section(L"AcDbAttribute"),
              "280=0\n2=Type\n70=1\n73=0\n74=0\n280=0\n");

    auto* polyline = new AcDbPolyline();
    polyline->addVertexAt(0, {0, 0}, 0.5, 0.1, 0.2, 7);
    polyline->addVertexAt(1, {3, 0});
    polyline->addVertexAt(2, {3, 4}, -1.0);
    polyline->setClosed(true);
    polyline->setElevation(1.5);
    polyline->setNormal(AcGeVector3d(1, 0, 0));
    ItemFiler items;
    round_trip<AcDbPolyline>(drawing.builder.add(polyline), drawing.builder.add(new AcDbPolyline()),
                             items);
    EXPECT_EQ(items.section(L"AcDbPolyline"),
              "90=3\n70=1\n38=1.5\n10=0\n20=0\n40=0.1\n41=0.2\n42=0.5\n91=7\n10=3\n20=0\n40=0\n"
              "41=0\n10=3\n20=4\n40=0\n41=0\n42=-1\n210=1\n220=0\n230=0\n");

    // A file that declares more vertices than it has is refused.
    auto count = std::find_if(items.items().begin(), items.items().end(),
                              [](const ItemFiler::Item& item) { return item.value.restype == 90; });
    ASSERT_NE(count, items.items().end());
    count->value.resval.rlong = 4;
    AcDbObjectPointer<AcDbPolyline> broken(drawing.builder.add(new AcDbPolyline()),
                                           AcDb::kForWrite);
    items.rewind();
    EXPECT_EQ(broken->dxfInFields(&items), Acad::eBadDxfSequence);

    for (auto [name, cls] : {std::pair{L"TEXT", AcDbText::desc()},
                             std::pair{L"ATTDEF", AcDbAttributeDefinition::desc()},
                             std::pair{L"ATTRIB", AcDbAttribute::desc()},
                             std::pair{L"LWPOLYLINE", AcDbPolyline::desc()}}) {
        EXPECT_EQ(acrxFindAcRxClassByDxfName(name), cls) << cls->name();
    }
}

}  // namespace
