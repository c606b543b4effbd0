// Contract tests of the AcGe layer: tolerance edges, direction tests, matrix inversion as a
// property over random transforms, and segment intersection.
#include <gegbl.h>
#include <gelnsg3d.h>
#include <gemat3d.h>
#include <gepnt2d.h>
#include <gepnt3d.h>
#include <gescl3d.h>
#include <gevec3d.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>

void PrintTo(const AcGePoint3d& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kInf = std::numeric_limits<double>::infinity();

double just_beyond(double value) {
    return std::nextafter(value, kInf);
}

AcGeTol tolerance(double equal_point, double equal_vector) {
    AcGeTol tol;
    tol.setEqualPoint(equal_point);
    tol.setEqualVector(equal_vector);
    return tol;
}

// Restores AcGeContext::gTol when a test that changes it ends.
class GlobalTolGuard {
public:
    GlobalTolGuard() : mSaved(AcGeContext::gTol) {}
    ~GlobalTolGuard() { AcGeContext::gTol = mSaved; }

private:
    AcGeTol mSaved;
};

AcGeVector3d random_vector(std::mt19937& rng, double reach) {
    std::uniform_real_distribution<double> coordinate(-reach, reach);
    return {coordinate(rng), coordinate(rng), coordinate(rng)};
}

// Rotated, scaled (unequal factors, sometimes mirrored), sheared by a second rotation and
// translated: every kind of affine transform a nested block reference can produce.
AcGeMatrix3d random_transform(std::mt19937& rng) {
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    std::uniform_real_distribution<double> factor(0.05, 20.0);
    std::bernoulli_distribution mirrored(0.2);
    AcGeMatrix3d scale;
    AcGeScale3d(mirrored(rng) ? -factor(rng) : factor(rng), factor(rng), factor(rng))
        .getMatrix(scale);
    return AcGeMatrix3d::translation(random_vector(rng, 1000.0)) *
           AcGeMatrix3d::rotation(angle(rng), random_vector(rng, 1.0)) * scale *
           AcGeMatrix3d::rotation(angle(rng), random_vector(rng, 1.0));
}

bool near_point(const AcGePoint3d& a, const AcGePoint3d& b) {
    return a.isEqualTo(b, tolerance(1e-8, 1e-8));
}

}  // namespace

TEST(GeTolerance, DefaultsAreTheHostsAndGTolIsTheDefaultArgument) {
    const AcGeTol tol;
    EXPECT_EQ(tol.equalPoint(), 1e-10);
    EXPECT_EQ(tol.equalVector(), 1e-12);
    EXPECT_EQ(AcGeContext::gTol.equalPoint(), 1e-10);

    GlobalTolGuard guard;
    const AcGePoint3d p(1.0, 2.0, 3.0);
    const AcGePoint3d q(1.0, 2.0, 3.001);
    EXPECT_FALSE(p == q);
    AcGeContext::gTol.setEqualPoint(0.01);
    EXPECT_TRUE(p == q);
    EXPECT_TRUE(p.isEqualTo(q));
    EXPECT_FALSE(p.isEqualTo(q, AcGeTol()));
}

TEST(GeTolerance, PointsAreEqualUpToAndIncludingEqualPoint) {
    const AcGePoint3d origin = AcGePoint3d::kOrigin;
    EXPECT_TRUE(origin.isEqualTo({1e-10, 0.0, 0.0}));
    EXPECT_FALSE(origin.isEqualTo({just_beyond(1e-10), 0.0, 0.0}));
    EXPECT_TRUE(origin == AcGePoint3d(0.0, 0.0, -1e-10));
    EXPECT_TRUE(origin != AcGePoint3d(0.0, just_beyond(1e-10), 0.0));

    // The distance counts, not each coordinate: (3, 4, 0) is 5 away.
    EXPECT_TRUE(origin.isEqualTo({3.0, 4.0, 0.0}, tolerance(5.0, 1e-12)));
    EXPECT_FALSE(origin.isEqualTo({3.0, 4.0, 0.0}, tolerance(std::nextafter(5.0, 0.0), 1e-12)));
    EXPECT_TRUE(AcGePoint2d::kOrigin.isEqualTo({3.0, 4.0}, tolerance(5.0, 1e-12)));
    EXPECT_FALSE(AcGePoint2d::kOrigin.isEqualTo({3.0, 4.0}, tolerance(4.999, 1e-12)));
    EXPECT_FALSE(AcGePoint2d(0.0, 0.0) == AcGePoint2d(0.0, just_beyond(1e-10)));
}

TEST(GeTolerance, VectorsUseEqualVectorForEqualityAndZeroLength) {
    const AcGeVector3d edge(0.0, 1e-12, 0.0);
    const AcGeVector3d beyond(0.0, just_beyond(1e-12), 0.0);
    EXPECT_TRUE(edge.isZeroLength());
    EXPECT_FALSE(beyond.isZeroLength());
    EXPECT_TRUE(AcGeVector3d::kIdentity.isEqualTo(edge));
    EXPECT_FALSE(AcGeVector3d::kIdentity.isEqualTo(beyond));
    EXPECT_TRUE(AcGeVector3d::kZAxis == AcGeVector3d(0.0, 0.0, 1.0 + 1e-13));
    EXPECT_TRUE(AcGeVector3d::kZAxis != AcGeVector3d(0.0, 0.0, 1.0 + 1e-11));
    // A displacement of a point tolerance is not a zero vector.
    EXPECT_FALSE(AcGeVector3d(1e-10, 0.0, 0.0).isZeroLength());
    EXPECT_TRUE(AcGeVector3d(0.6, 0.8, 0.0).isUnitLength());
}

TEST(GeVector, ParallelMeansSameOrOppositeDirection) {
    const AcGeVector3d x = AcGeVector3d::kXAxis;
    EXPECT_TRUE(x.isParallelTo({2.0, 0.0, 0.0}));
    EXPECT_TRUE(x.isParallelTo({-3.0, 0.0, 0.0}));
    EXPECT_TRUE(x.isParallelTo({1.0, 1e-13, 0.0}));
    EXPECT_FALSE(x.isParallelTo({1.0, 1e-11, 0.0}));
    EXPECT_FALSE(x.isParallelTo({-1.0, 0.0, 1e-11}));
    EXPECT_FALSE(x.isParallelTo(AcGeVector3d::kYAxis));
    EXPECT_TRUE(x.isParallelTo({1.0, 1e-6, 0.0}, tolerance(1e-10, 1e-5)));
    // Direction, not length: a short vector is as parallel as a long one.
    EXPECT_TRUE(AcGeVector3d(0.0, 0.0, 1e-9).isParallelTo({0.0, 0.0, -1e9}));
    EXPECT_TRUE(x.isCodirectionalTo({5.0, 0.0, 0.0}));
    EXPECT_FALSE(x.isCodirectionalTo({-5.0, 0.0, 0.0}));
    EXPECT_TRUE(AcGeVector2d(1.0, 1.0).isParallelTo({-2.0, -2.0}));
    EXPECT_FALSE(AcGeVector2d(1.0, 1.0).isParallelTo({-2.0, 2.0}));
}

TEST(GeVector, PerpendicularUsesTheNormalisedDotProduct) {
    const AcGeVector3d z = AcGeVector3d::kZAxis;
    EXPECT_TRUE(z.isPerpendicularTo(AcGeVector3d::kXAxis));
    EXPECT_TRUE(z.isPerpendicularTo({0.0, -7.0, 0.0}));
    EXPECT_TRUE(z.isPerpendicularTo({0.0, 1e6, 1e-7}));  // cosine 1e-13
    EXPECT_FALSE(z.isPerpendicularTo({0.0, 1.0, 1e-11}));
    EXPECT_TRUE(z.isPerpendicularTo({0.0, 1.0, 1e-11}, tolerance(1e-10, 1e-10)));
    EXPECT_FALSE(z.isPerpendicularTo(z));
    EXPECT_TRUE(AcGeVector2d(1.0, 2.0).isPerpendicularTo({-2.0, 1.0}));
}

TEST(GeVector, ZeroVectorHasNoDirection) {
    const AcGeVector3d zero = AcGeVector3d::kIdentity;
    const AcGeVector3d tiny(0.0, 5e-13, 0.0);
    AcGeError flag = AcGe::kOk;
    EXPECT_FALSE(zero.isParallelTo(AcGeVector3d::kZAxis, AcGeContext::gTol, flag));
    EXPECT_EQ(flag, AcGe::k0This);
    EXPECT_FALSE(AcGeVector3d::kZAxis.isPerpendicularTo(tiny, AcGeContext::gTol, flag));
    EXPECT_EQ(flag, AcGe::k0Arg1);
    EXPECT_FALSE(zero.isParallelTo(zero));
    EXPECT_FALSE(zero.isPerpendicularTo(AcGeVector3d::kXAxis));
    EXPECT_FALSE(AcGeVector2d::kIdentity.isParallelTo(AcGeVector2d::kXAxis));

    AcGeVector3d v = tiny;
    v.normalize(AcGeContext::gTol, flag);
    EXPECT_EQ(flag, AcGe::k0This);
    EXPECT_EQ(v.y, 5e-13);
    EXPECT_EQ(zero.normal().length(), 0.0);
    EXPECT_EQ(AcGeVector3d(3.0, 0.0, 4.0).normal().x, 0.6);
    EXPECT_TRUE(AcGeVector3d(0.0, 5e-13, 0.0).normal(tolerance(1e-10, 1e-13)).isUnitLength());
}

TEST(GeVector, PerpVectorAndAnglesOverRandomDirections) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 200; ++i) {
        AcGeVector3d v = random_vector(rng, 10.0);
        if (i % 4 == 0) {
            v.x *= 1e-3;  // near the Z axis, where the arbitrary-axis rule switches
            v.y *= 1e-3;
        }
        const AcGeVector3d perp = v.perpVector();
        EXPECT_TRUE(perp.isUnitLength(tolerance(1e-10, 1e-14)));
        EXPECT_TRUE(perp.isPerpendicularTo(v, tolerance(1e-10, 1e-14)));
        EXPECT_NEAR(v.angleTo(perp), kPi / 2, 1e-14);
        EXPECT_NEAR(v.angleTo(-v), kPi, 1e-15);
    }
}

TEST(GeMatrix, InverseOfRandomAffineTransformsComposesToIdentity) {
    std::mt19937 rng(7);
    const AcGeTol loose = tolerance(1e-8, 1e-11);
    for (int i = 0; i < 500; ++i) {
        const AcGeMatrix3d m = random_transform(rng);
        SCOPED_TRACE(i);
        ASSERT_FALSE(m.isSingular());
        const AcGeMatrix3d inv = m.inverse();
        EXPECT_TRUE((m * inv).isEqualTo(AcGeMatrix3d::kIdentity, loose));
        EXPECT_TRUE((inv * m).isEqualTo(AcGeMatrix3d::kIdentity, loose));

        AcGeMatrix3d out;
        EXPECT_TRUE(m.inverse(out, 1e-12));
        EXPECT_TRUE(out.isEqualTo(inv, AcGeTol()));
        AcGeMatrix3d inverted = m;
        EXPECT_TRUE(inverted.invert().isEqualTo(inv, AcGeTol()));

        const AcGePoint3d p = AcGePoint3d::kOrigin + random_vector(rng, 500.0);
        EXPECT_PRED2(near_point, inv * (m * p), p);
        EXPECT_NEAR(m.det() * inv.det(), 1.0, 1e-12);
    }
}

TEST(GeMatrix, SingularMatrixIsReportedAndInversionChangesNothing) {
    AcGeMatrix3d flat = AcGeMatrix3d::translation({5.0, 6.0, 7.0});
    flat.entry[2][2] = 0.0;  // projects onto the XY plane
    EXPECT_TRUE(flat.isSingular());
    EXPECT_EQ(flat.det(), 0.0);

    const AcGeMatrix3d marker = AcGeMatrix3d::translation({1.0, 2.0, 3.0});
    AcGeMatrix3d out = marker;
    EXPECT_FALSE(flat.inverse(out, 1e-12));
    EXPECT_TRUE(out.isEqualTo(marker, AcGeTol()));
    EXPECT_TRUE(flat.inverse().isEqualTo(flat, AcGeTol()));
    AcGeMatrix3d inverted = flat;
    EXPECT_TRUE(inverted.invert().isEqualTo(flat, AcGeTol()));
    EXPECT_TRUE(AcGeMatrix3d::scaling(0.0).isSingular());

    // Nearly dependent axes are singular at the relative tolerance, whatever their length.
    AcGeMatrix3d sheared;
    sheared.setCoordSystem({0.0, 0.0, 0.0}, {1e-3, 0.0, 0.0}, {1e-3, 1e-18, 0.0}, {0.0, 0.0, 1e-3});
    EXPECT_TRUE(sheared.isSingular());
    sheared.entry[1][1] = 1e-12;
    EXPECT_FALSE(sheared.isSingular());
    EXPECT_TRUE(sheared.isSingular(tolerance(1e-10, 1e-8)));

    // Tiny scale, far translation and unequal axes are not singular.
    const AcGeMatrix3d far_and_small =
        AcGeMatrix3d::translation({1e9, -1e12, 1e13}) * AcGeMatrix3d::scaling(1e-6);
    AcGeMatrix3d far_inverse;
    ASSERT_TRUE(far_and_small.inverse(far_inverse, 1e-12));
    EXPECT_NEAR(far_inverse.entry[1][1], 1e6, 1e-9);
    EXPECT_NEAR(far_inverse.entry[1][3], 1e18, 1e3);
    EXPECT_NEAR(far_inverse.entry[2][3], -1e19, 1e4);
    AcGeMatrix3d squashed;
    AcGeScale3d(1.0, 1.0, 1e-14).getMatrix(squashed);
    EXPECT_FALSE(squashed.isSingular());
}

TEST(GeMatrix, VectorsIgnoreTranslationPointsDoNot) {
    const AcGeMatrix3d m = AcGeMatrix3d::translation({10.0, 20.0, 30.0}) *
                           AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis);
    const AcGeVector3d v = m * AcGeVector3d(1.0, 0.0, 2.0);
    EXPECT_TRUE(v.isEqualTo({0.0, 1.0, 2.0}, tolerance(1e-10, 1e-15)));
    AcGeVector3d moved(1.0, 0.0, 2.0);
    EXPECT_TRUE(moved.transformBy(m).isEqualTo(v, AcGeTol()));
    EXPECT_TRUE((m * AcGeVector3d::kIdentity).isZeroLength(tolerance(0.0, 0.0)));

    const AcGePoint3d p = m * AcGePoint3d(1.0, 0.0, 2.0);
    EXPECT_PRED2(near_point, p, AcGePoint3d(10.0, 21.0, 32.0));
    AcGePoint3d q(1.0, 0.0, 2.0);
    EXPECT_TRUE(q.transformBy(m).isEqualTo(p, AcGeTol()));
    EXPECT_TRUE((m * AcGePoint3d::kOrigin).asVector().isEqualTo(m.translation()));
}

TEST(GeMatrix, ProductOrderAndBuilders) {
    const AcGeMatrix3d move = AcGeMatrix3d::translation({1.0, 0.0, 0.0});
    const AcGeMatrix3d turn = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis);
    // move * turn turns first: (1,0,0) -> (0,1,0) -> (1,1,0).
    EXPECT_PRED2(near_point, (move * turn) * AcGePoint3d(1.0, 0.0, 0.0),
                 AcGePoint3d(1.0, 1.0, 0.0));
    AcGeMatrix3d post = move;
    AcGeMatrix3d pre = move;
    AcGeMatrix3d times = move;
    EXPECT_TRUE(post.postMultBy(turn).isEqualTo(move * turn));
    EXPECT_TRUE(pre.preMultBy(turn).isEqualTo(turn * move));
    EXPECT_TRUE((times *= turn).isEqualTo(move * turn));
    EXPECT_FALSE(post.isEqualTo(pre));

    // Builders about a centre keep the centre fixed.
    const AcGePoint3d c(1.0, 1.0, 5.0);
    EXPECT_PRED2(near_point, AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, c) * c, c);
    EXPECT_PRED2(near_point,
                 AcGeMatrix3d::rotation(kPi / 2, {0.0, 0.0, 3.0}, c) * AcGePoint3d(2.0, 1.0, 5.0),
                 AcGePoint3d(1.0, 2.0, 5.0));
    EXPECT_PRED2(near_point, AcGeMatrix3d::scaling(3.0, c) * AcGePoint3d(2.0, 1.0, 5.0),
                 AcGePoint3d(4.0, 1.0, 5.0));
    EXPECT_TRUE(AcGeMatrix3d::rotation(1.0, AcGeVector3d::kIdentity).isEqualTo(AcGeMatrix3d()));

    AcGeMatrix3d placed = turn;
    placed.setTranslation({4.0, 5.0, 6.0});
    EXPECT_TRUE(placed.translation().isEqualTo({4.0, 5.0, 6.0}));
    EXPECT_PRED2(near_point, placed * AcGePoint3d(1.0, 0.0, 0.0), AcGePoint3d(4.0, 6.0, 6.0));

    const AcGePoint3d o(3.0, 2.0, 1.0);
    const AcGeVector3d x(0.0, 2.0, 0.0), y(-2.0, 0.0, 0.0), z(0.0, 0.0, 2.0);
    AcGeMatrix3d cs;
    cs.setCoordSystem(o, x, y, z);
    AcGePoint3d o2;
    AcGeVector3d x2, y2, z2;
    cs.getCoordSystem(o2, x2, y2, z2);
    EXPECT_TRUE(o2 == o && x2 == x && y2 == y && z2 == z);
    const AcGeMatrix3d align =
        AcGeMatrix3d::alignCoordSys(o, x, y, z, AcGePoint3d::kOrigin, AcGeVector3d::kXAxis,
                                    AcGeVector3d::kYAxis, AcGeVector3d::kZAxis);
    EXPECT_PRED2(near_point, align * (o + y), AcGePoint3d(0.0, 1.0, 0.0));
    EXPECT_TRUE((align * cs).isEqualTo(AcGeMatrix3d::kIdentity));

    AcGeScale3d scale;
    scale.extractScale(AcGeMatrix3d::rotation(0.3, {1.0, 2.0, 3.0}) * cs);
    EXPECT_TRUE(scale.isEqualTo(AcGeScale3d(2.0), tolerance(1e-10, 1e-14)));
    EXPECT_TRUE(scale.isProportional());
}

TEST(GeMatrix, PlaneToWorldIsARightHandedRotationOntoTheNormal) {
    EXPECT_TRUE(AcGeMatrix3d::planeToWorld(AcGeVector3d::kZAxis).isEqualTo(AcGeMatrix3d()));
    // Near the Z axis the plane's X axis comes from the world Y axis.
    EXPECT_TRUE((AcGeMatrix3d::planeToWorld({0.0, 0.0, -1.0}) * AcGeVector3d::kXAxis)
                    .isEqualTo({-1.0, 0.0, 0.0}));

    std::mt19937 rng(99);
    const AcGeTol loose = tolerance(1e-10, 1e-14);
    for (int i = 0; i < 200; ++i) {
        const AcGeVector3d n = random_vector(rng, 3.0);
        const AcGeMatrix3d m = AcGeMatrix3d::planeToWorld(n);
        EXPECT_TRUE((m * AcGeVector3d::kZAxis).isEqualTo(n.normal(), loose));
        EXPECT_NEAR(m.det(), 1.0, 1e-14);
        EXPECT_TRUE((m * AcGeMatrix3d::worldToPlane(n)).isEqualTo(AcGeMatrix3d(), loose));
    }
}

TEST(GeLineSeg, ConstructorsAndEndPoints) {
    const AcGeLineSeg3d unit;
    EXPECT_TRUE(unit.startPoint() == AcGePoint3d::kOrigin);
    EXPECT_TRUE(unit.endPoint() == AcGePoint3d(1.0, 0.0, 0.0));
    const AcGeLineSeg3d by_points(AcGePoint3d(1.0, 2.0, 3.0), AcGePoint3d(4.0, 6.0, 3.0));
    EXPECT_EQ(by_points.length(), 5.0);
    EXPECT_TRUE(by_points.midPoint() == AcGePoint3d(2.5, 4.0, 3.0));
    const AcGeLineSeg3d by_vector({1.0, 2.0, 3.0}, AcGeVector3d(3.0, 4.0, 0.0));
    EXPECT_TRUE(by_vector.endPoint() == by_points.endPoint());
    EXPECT_TRUE(by_vector.direction().isEqualTo({0.6, 0.8, 0.0}));
    EXPECT_TRUE(by_points.isOn({2.5, 4.0, 3.0}));
    EXPECT_FALSE(by_points.isOn({7.0, 10.0, 3.0}));  // on the line, past the end
}

struct IntersectCase {
    const char* name;
    AcGeLineSeg3d a;
    AcGeLineSeg3d b;
    bool meets;
    AcGePoint3d at;
};

void PrintTo(const IntersectCase& c, std::ostream* os) {
    *os << c.name;
}

class GeLineSegIntersect : public testing::TestWithParam<IntersectCase> {};

TEST_P(GeLineSegIntersect, AnswerIsTheSameFromEitherSegment) {
    const IntersectCase& c = GetParam();
    const AcGePoint3d untouched(-99.0, -99.0, -99.0);
    AcGePoint3d ab = untouched;
    AcGePoint3d ba = untouched;
    EXPECT_EQ(c.a.intersectWith(c.b, ab), c.meets);
    EXPECT_EQ(c.b.intersectWith(c.a, ba, AcGeContext::gTol), c.meets);
    EXPECT_PRED2(near_point, ab, c.meets ? c.at : untouched);
    EXPECT_PRED2(near_point, ba, c.meets ? c.at : untouched);
    // Not just near: the same point, halfway between the two entities' closest points.
    EXPECT_TRUE(ab.isEqualTo(ba, tolerance(1e-13, 1e-13)));
}

namespace {

using P = AcGePoint3d;
using S = AcGeLineSeg3d;
constexpr double eps = 1e-10;  // gTol's equalPoint

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Ge, GeLineSegIntersect,
    testing::Values(
        IntersectCase{"crossing", S(P(0, 0, 0), P(2, 2, 0)), S(P(0, 2, 0), P(2, 0, 0)), true,
                      P(1, 1, 0)},
        IntersectCase{"crossing_in_3d", S(P(0, 0, 0), P(2, 2, 2)), S(P(2, 0, 1), P(0, 2, 1)), true,
                      P(1, 1, 1)},
        IntersectCase{"end_on_interior", S(P(0, 0, 0), P(1, 0, 0)), S(P(1, -1, 0), P(1, 1, 0)),
                      true, P(1, 0, 0)},
        IntersectCase{"end_to_end_corner", S(P(0, 0, 0), P(1, 0, 0)), S(P(1, 0, 0), P(1, 1, 0)),
                      true, P(1, 0, 0)},
        IntersectCase{"gap_within_equal_point", S(P(0, 0, 0), P(1, 0, 0)),
                      S(P(1 + 0.9 * eps, -1, 0), P(1 + 0.9 * eps, 1, 0)), true, P(1, 0, 0)},
        IntersectCase{"gap_of_twice_equal_point", S(P(0, 0, 0), P(1, 0, 0)),
                      S(P(1 + 2 * eps, -1, 0), P(1 + 2 * eps, 1, 0)), false, P()},
        IntersectCase{"lines_cross_beyond_both", S(P(0, 0, 0), P(1, 0, 0)),
                      S(P(2, 1, 0), P(2, 3, 0)), false, P()},
        IntersectCase{"shallow_end_near_interior", S(P(0, 0, 0), P(1, 0, 0)),
                      S(P(0, 5e-11 + 1e-3 * (1 - 1e-8), 0), P(1 - 1e-8, 5e-11, 0)), true,
                      P(1 - 1e-8, 2.5e-11, 0)},
        IntersectCase{"parallel_apart", S(P(0, 0, 0), P(4, 0, 0)), S(P(0, 1, 0), P(4, 1, 0)), false,
                      P()},
        IntersectCase{"collinear_overlapping", S(P(0, 0, 0), P(4, 0, 0)), S(P(6, 0, 0), P(2, 0, 0)),
                      false, P()},
        IntersectCase{"nearly_collinear_crossing", S(P(0, 0, 0), P(1, 0, 0)),
                      S(P(0, -1e-13, 0), P(1, 1e-13, 0)), false, P()},
        IntersectCase{"collinear_end_to_end", S(P(0, 0, 0), P(1, 0, 0)), S(P(1, 0, 0), P(2, 0, 0)),
                      false, P()},
        IntersectCase{"skew", S(P(0, 0, 0), P(2, 0, 0)), S(P(1, -1, 1), P(1, 1, 1)), false, P()},
        IntersectCase{"skew_within_equal_point", S(P(0, 0, 0), P(2, 0, 0)),
                      S(P(1, -1, eps / 2), P(1, 1, eps / 2)), true, P(1, 0, eps / 4)},
        IntersectCase{"degenerate_on_segment", S(P(1, 1, 1), P(1, 1, 1)), S(P(0, 0, 0), P(2, 2, 2)),
                      true, P(1, 1, 1)},
        IntersectCase{"degenerate_off_segment", S(P(1, 1, 2), P(1, 1, 2)),
                      S(P(0, 0, 0), P(2, 2, 2)), false, P()}),
    [](const testing::TestParamInfo<IntersectCase>& param_info) { return param_info.param.name; });

TEST(GeLineSeg, RandomCrossingSegmentsMeetAtTheirCommonPoint) {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> before(-5.0, -0.1);
    std::uniform_real_distribution<double> after(0.1, 5.0);
    for (int i = 0; i < 300; ++i) {
        const AcGePoint3d x = AcGePoint3d::kOrigin + random_vector(rng, 1000.0);
        const AcGeVector3d d = random_vector(rng, 10.0);
        const AcGeVector3d e = random_vector(rng, 10.0);
        const AcGeLineSeg3d a(x + d * before(rng), x + d * after(rng));
        const AcGeLineSeg3d b(x + e * before(rng), x + e * after(rng));
        AcGePoint3d at;
        SCOPED_TRACE(i);
        ASSERT_TRUE(a.intersectWith(b, at));
        EXPECT_PRED2(near_point, at, x);

        // Lifted off the plane of the two by 1e-6: skew, they miss.
        const AcGeVector3d lift = d.crossProduct(e).normal() * 1e-6;
        const AcGeLineSeg3d lifted(b.startPoint() + lift, b.endPoint() + lift);
        EXPECT_FALSE(a.intersectWith(lifted, at));
    }
}
