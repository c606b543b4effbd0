// Contract tests of block reference transforms: known points through a rotated, scaled,
// moved insert of a block with a base point; the arbitrary-axis rule for normals; and, over
// many random placements, inversion and the setBlockTransform round trip.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <cmath>
#include <random>
#include <sstream>

#include "host_fixture.h"

namespace {

using DbGeometryTest = HostTest;

constexpr double kPi = 3.14159265358979323846;

std::string text(const AcGePoint3d& p) {
    std::ostringstream out;
    out << "(" << p.x << ", " << p.y << ", " << p.z << ")";
    return out.str();
}

AcGeTol tolerance(double equal_point, double equal_vector) {
    AcGeTol tol;
    tol.setEqualPoint(equal_point);
    tol.setEqualVector(equal_vector);
    return tol;
}

// A block reference that is never made resident: blockTransform needs only its block.
std::unique_ptr<AcDbBlockReference> reference(AcDbObjectId block, const AcGePoint3d& position,
                                              double rotation, const AcGeScale3d& scale,
                                              const AcGeVector3d& normal = AcGeVector3d::kZAxis) {
    auto ref = std::make_unique<AcDbBlockReference>(position, block);
    EXPECT_EQ(ref->setRotation(rotation), Acad::eOk);
    EXPECT_EQ(ref->setScaleFactors(scale), Acad::eOk);
    EXPECT_EQ(ref->setNormal(normal), Acad::eOk);
    return ref;
}

struct Mapping {
    AcGePoint3d block_point;
    AcGePoint3d expected;
};

void expect_maps(const AcGeMatrix3d& transform, const std::vector<Mapping>& mappings) {
    const AcGeMatrix3d inverse = transform.inverse();
    const AcGeTol tol = tolerance(1e-9, 1e-12);
    for (const Mapping& m : mappings) {
        const AcGePoint3d mapped = transform * m.block_point;
        EXPECT_TRUE(mapped.isEqualTo(m.expected, tol))
            << text(m.block_point) << " -> " << text(mapped) << ", expected " << text(m.expected);
        const AcGePoint3d back = inverse * m.expected;
        EXPECT_TRUE(back.isEqualTo(m.block_point, tol))
            << text(m.expected) << " <- " << text(back) << ", expected " << text(m.block_point);
    }
}

TEST_F(DbGeometryTest, KnownPointsThroughTurnedScaledMovedAndTiltedInserts) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    // Quarter turn, x scaled by 2 and y by 3, base point (10, 0, 0) placed at (100, 50, 0).
    expect_maps(
        reference(drawing.define_block(L"COL", {10, 0, 0}), {100, 50, 0}, kPi / 2, {2, 3, 1})
            ->blockTransform(),
        {{{10, 0, 0}, {100, 50, 0}},
         {{11, 0, 0}, {100, 52, 0}},
         {{10, 1, 0}, {97, 50, 0}},
         {{10, 0, 1}, {100, 50, 1}},
         {{0, 0, 0}, {100, 30, 0}}});
    // The normal sets the axes by the arbitrary-axis rule. Along world X the block's x runs
    // along world Y and its y along world Z.
    const AcDbObjectId block = drawing.define_block(L"MARK");
    expect_maps(reference(block, {1, 2, 3}, 0, {1, 1, 1}, AcGeVector3d::kXAxis)->blockTransform(),
                {{{1, 0, 0}, {1, 3, 3}}, {{0, 1, 0}, {1, 2, 4}}, {{0, 0, 1}, {2, 2, 3}}});
    // Seen from below: x runs along -X, y stays along Y.
    expect_maps(reference(block, {0, 0, 0}, 0, {1, 1, 1}, -AcGeVector3d::kZAxis)->blockTransform(),
                {{{1, 0, 0}, {-1, 0, 0}}, {{0, 1, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 0, -1}}});
}

// Property over random placements: position, rotation, per-axis scale (sometimes mirrored),
// any normal, blocks with base points away from the origin.
TEST_F(DbGeometryTest, RandomPlacementsInvertAndRoundTrip) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> coordinate(-1e4, 1e4);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    std::uniform_real_distribution<double> factor(0.05, 20.0);
    std::bernoulli_distribution mirrored(0.25);
    std::vector<AcDbObjectId> blocks;
    for (int i = 0; i < 5; ++i) {
        blocks.push_back(drawing.define_block(L"B" + std::to_wstring(i),
                                              {unit(rng) * 100, unit(rng) * 100, unit(rng) * 10}));
    }
    auto random_point = [&] {
        return AcGePoint3d(coordinate(rng), coordinate(rng), coordinate(rng));
    };
    auto random_factor = [&] { return mirrored(rng) ? -factor(rng) : factor(rng); };
    const AcGeTol tol = tolerance(1e-6, 1e-9);

    for (int trial = 0; trial < 200; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        AcGeVector3d normal;
        do {
            normal.set(unit(rng), unit(rng), unit(rng));
        } while (normal.length() < 0.1);
        const AcGeScale3d scale(random_factor(), random_factor(), random_factor());
        const AcDbObjectId block = blocks[trial % blocks.size()];
        const auto ref = reference(block, random_point(), angle(rng), scale, normal.normal());
        const AcGeMatrix3d transform = ref->blockTransform();

        ASSERT_TRUE((transform.inverse() * transform).isEqualTo(AcGeMatrix3d::kIdentity, tol));
        const AcGePoint3d p = random_point();
        ASSERT_TRUE((transform.inverse() * (transform * p)).isEqualTo(p, tol)) << text(p);

        // setBlockTransform recovers a placement with the same transform, and the very same
        // placement when nothing is mirrored.
        AcDbBlockReference copy(AcGePoint3d::kOrigin, block);
        ASSERT_EQ(copy.setBlockTransform(transform), Acad::eOk);
        ASSERT_TRUE(copy.blockTransform().isEqualTo(transform, tol));
        if (scale.sx > 0 && scale.sy > 0 && scale.sz > 0) {
            EXPECT_TRUE(copy.position().isEqualTo(ref->position(), tol)) << text(copy.position());
            EXPECT_TRUE(copy.scaleFactors().isEqualTo(scale, tol));
            EXPECT_TRUE(copy.normal().isEqualTo(ref->normal(), tol));
            EXPECT_NEAR(std::remainder(copy.rotation() - ref->rotation(), 2 * kPi), 0.0, 1e-9);
        }

        // Moving the reference composes the move after its own transform.
        const AcGeMatrix3d move = AcGeMatrix3d::translation(random_point().asVector()) *
                                  AcGeMatrix3d::rotation(angle(rng), normal, random_point()) *
                                  AcGeMatrix3d::scaling(factor(rng), random_point());
        ASSERT_EQ(ref->transformBy(move), Acad::eOk);
        ASSERT_TRUE(ref->blockTransform().isEqualTo(move * transform, tolerance(1e-4, 1e-9)));
    }
}

}  // namespace
