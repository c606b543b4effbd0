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

double just_beyond(double value) {
    return std::nextafter(value, std::numeric_limits<double>::infinity());
}

AcGeTol tolerance(double equal_point, double equal_vector) {
    AcGeTol tol;
    tol.setEqualPoint(equal_point);
    tol.setEqualVector(equal_vector);
    return tol;
}

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

TEST(GeTolerance, EqualityIsInclusiveAndMeasuresDistance) {
    EXPECT_TRUE(AcGeTol().equalPoint() == 1e-10 && AcGeTol().equalVector() == 1e-12);
    {
        // gTol is the default argument; the saved copy puts it back.
        const AcGeTol saved = AcGeContext::gTol;
        const AcGePoint3d p(1.0, 2.0, 3.0), q(1.0, 2.0, 3.001);
        EXPECT_FALSE(p == q);
        AcGeContext::gTol.setEqualPoint(0.01);
        EXPECT_TRUE(p == q && p.isEqualTo(q));
        EXPECT_FALSE(p.isEqualTo(q, AcGeTol()));
        AcGeContext::gTol = saved;
    }
    const AcGePoint3d origin = AcGePoint3d::kOrigin;
    EXPECT_TRUE(origin.isEqualTo({1e-10, 0.0, 0.0}));
    EXPECT_FALSE(origin.isEqualTo({just_beyond(1e-10), 0.0, 0.0}));
    // The distance counts, not each coordinate: (3, 4, 0) is 5 away.
    EXPECT_TRUE(origin.isEqualTo({3.0, 4.0, 0.0}, tolerance(5.0, 1e-12)));
    EXPECT_FALSE(origin.isEqualTo({3.0, 4.0, 0.0}, tolerance(std::nextafter(5.0, 0.0), 1e-12)));

    // Vectors use equalVector, for equality and for zero length alike.
    const AcGeVector3d edge(0.0, 1e-12, 0.0), beyond(0.0, just_beyond(1e-12), 0.0);
    EXPECT_TRUE(edge.isZeroLength() && AcGeVector3d::kIdentity.isEqualTo(edge));
    EXPECT_FALSE(beyond.isZeroLength() || AcGeVector3d::kIdentity.isEqualTo(beyond));
    EXPECT_TRUE(AcGeVector3d::kZAxis == AcGeVector3d(0.0, 0.0, 1.0 + 1e-13));
}

TEST(GeVector, ParallelPerpendicularAndTheZeroVector) {
    const AcGeVector3d x = AcGeVector3d::kXAxis, z = AcGeVector3d::kZAxis;
    struct Case {
        AcGeVector3d a, b;
        bool parallel, perpendicular;
    };
    const AcGeVector3d tiny(0.0, 5e-13, 0.0);
    for (const Case& c :
         {Case{x, {-3.0, 0.0, 0.0}, true, false}, Case{x, {1.0, 1e-13, 0.0}, true, false},
          Case{x, {1.0, 1e-11, 0.0}, false, false}, Case{x, {-1.0, 0.0, 1e-11}, false, false},
          Case{{0.0, 0.0, 1e-9}, {0.0, 0.0, -1e9}, true, false},  // not length
          Case{z, {0.0, -7.0, 0.0}, false, true},
          Case{z, {0.0, 1e6, 1e-7}, false, true},  // cosine 1e-13
          Case{z, {0.0, 1.0, 1e-11}, false, false}, Case{AcGeVector3d::kIdentity, z, false, false},
          Case{z, tiny, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.b.x << " " << c.b.y << " " << c.b.z);
        EXPECT_EQ(c.a.isParallelTo(c.b), c.parallel);
        EXPECT_EQ(c.a.isPerpendicularTo(c.b), c.perpendicular);
    }
    EXPECT_TRUE(x.isParallelTo({1.0, 1e-6, 0.0}, tolerance(1e-10, 1e-5)));
    EXPECT_TRUE(z.isPerpendicularTo({0.0, 1.0, 1e-11}, tolerance(1e-10, 1e-10)));
    EXPECT_FALSE(AcGeVector2d(1.0, 1.0).isParallelTo({-2.0, 2.0}));

    // A zero vector has no direction, and the flag says which one was zero.
    AcGeError flag = AcGe::kOk;
    EXPECT_FALSE(AcGeVector3d::kIdentity.isParallelTo(z, AcGeContext::gTol, flag));
    EXPECT_EQ(flag, AcGe::k0This);
    EXPECT_FALSE(z.isPerpendicularTo(tiny, AcGeContext::gTol, flag));
    EXPECT_EQ(flag, AcGe::k0Arg1);
    AcGeVector3d v = tiny;
    v.normalize(AcGeContext::gTol, flag);
    EXPECT_EQ(flag, AcGe::k0This);
    EXPECT_EQ(v.y, 5e-13);
    EXPECT_TRUE(tiny.normal(tolerance(1e-10, 1e-13)).isUnitLength());

    std::mt19937 rng(20240611);
    for (int i = 0; i < 100; ++i) {
        AcGeVector3d r = random_vector(rng, 10.0);
        if (i % 4 == 0) {
            r.x *= 1e-3;  // near the Z axis, where the arbitrary-axis rule switches
            r.y *= 1e-3;
        }
        const AcGeVector3d perp = r.perpVector();
        EXPECT_TRUE(perp.isUnitLength(tolerance(1e-10, 1e-14)));
        EXPECT_TRUE(perp.isPerpendicularTo(r, tolerance(1e-10, 1e-14)));
        EXPECT_NEAR(r.angleTo(perp), kPi / 2, 1e-14);
    }
}

TEST(GeMatrix, InverseComposesToIdentityOrReportsSingular) {
    std::mt19937 rng(7);
    const AcGeTol loose = tolerance(1e-8, 1e-11);
    for (int i = 0; i < 250; ++i) {
        const AcGeMatrix3d m = random_transform(rng);
        SCOPED_TRACE(i);
        ASSERT_FALSE(m.isSingular());
        const AcGeMatrix3d inv = m.inverse();
        EXPECT_TRUE((m * inv).isEqualTo(AcGeMatrix3d::kIdentity, loose));
        const AcGePoint3d p = AcGePoint3d::kOrigin + random_vector(rng, 500.0);
        EXPECT_PRED2(near_point, inv * (m * p), p);
        EXPECT_NEAR(m.det() * inv.det(), 1.0, 1e-12);
    }

    // A singular matrix is reported and inversion changes nothing.
    AcGeMatrix3d flat = AcGeMatrix3d::translation({5.0, 6.0, 7.0});
    flat.entry[2][2] = 0.0;  // projects onto the XY plane
    EXPECT_TRUE(flat.isSingular());
    const AcGeMatrix3d marker = AcGeMatrix3d::translation({1.0, 2.0, 3.0});
    AcGeMatrix3d out = marker;
    EXPECT_FALSE(flat.inverse(out, 1e-12));
    EXPECT_TRUE(out.isEqualTo(marker, AcGeTol()));

    // Nearly dependent axes are singular at the relative tolerance, whatever their length.
    AcGeMatrix3d sheared;
    sheared.setCoordSystem({0.0, 0.0, 0.0}, {1e-3, 0.0, 0.0}, {1e-3, 1e-18, 0.0}, {0.0, 0.0, 1e-3});
    EXPECT_TRUE(sheared.isSingular());
    sheared.entry[1][1] = 1e-12;
    EXPECT_FALSE(sheared.isSingular());
    EXPECT_TRUE(sheared.isSingular(tolerance(1e-10, 1e-8)));

    // Tiny scale, far translation and unequal axes are not singular.
    AcGeMatrix3d far_inverse;
    ASSERT_TRUE((AcGeMatrix3d::translation({1e9, -1e12, 1e13}) * AcGeMatrix3d::scaling(1e-6))
                    .inverse(far_inverse, 1e-12));
    EXPECT_NEAR(far_inverse.entry[1][3], 1e18, 1e3);
    EXPECT_NEAR(far_inverse.entry[2][3], -1e19, 1e4);
}

TEST(GeMatrix, TransformsProductsAndBuilders) {
    const AcGeMatrix3d move = AcGeMatrix3d::translation({1.0, 0.0, 0.0});
    const AcGeMatrix3d turn = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis);
    const AcGeMatrix3d m = AcGeMatrix3d::translation({10.0, 20.0, 30.0}) * turn;
    // Vectors ignore the translation, points do not.
    AcGeVector3d v(1.0, 0.0, 2.0);
    EXPECT_TRUE(v.transformBy(m).isEqualTo({0.0, 1.0, 2.0}, tolerance(1e-10, 1e-15)));
    AcGePoint3d p(1.0, 0.0, 2.0);
    EXPECT_PRED2(near_point, p.transformBy(m), AcGePoint3d(10.0, 21.0, 32.0));

    // move * turn turns first: (1,0,0) -> (0,1,0) -> (1,1,0).
    EXPECT_PRED2(near_point, (move * turn) * AcGePoint3d(1.0, 0.0, 0.0),
                 AcGePoint3d(1.0, 1.0, 0.0));
    AcGeMatrix3d post = move, pre = move;
    EXPECT_TRUE(post.postMultBy(turn).isEqualTo(move * turn));
    EXPECT_TRUE(pre.preMultBy(turn).isEqualTo(turn * move));

    // Builders about a centre keep the centre fixed.
    const AcGePoint3d c(1.0, 1.0, 5.0);
    EXPECT_PRED2(near_point,
                 AcGeMatrix3d::rotation(kPi / 2, {0.0, 0.0, 3.0}, c) * AcGePoint3d(2.0, 1.0, 5.0),
                 AcGePoint3d(1.0, 2.0, 5.0));
    AcGeMatrix3d placed = turn;
    placed.setTranslation({4.0, 5.0, 6.0});
    EXPECT_PRED2(near_point, placed * AcGePoint3d(1.0, 0.0, 0.0), AcGePoint3d(4.0, 6.0, 6.0));

    const AcGePoint3d o(3.0, 2.0, 1.0);
    const AcGeVector3d x(0.0, 2.0, 0.0), y(-2.0, 0.0, 0.0), z(0.0, 0.0, 2.0);
    AcGeMatrix3d cs;
    cs.setCoordSystem(o, x, y, z);
    const AcGeMatrix3d align =
        AcGeMatrix3d::alignCoordSys(o, x, y, z, AcGePoint3d::kOrigin, AcGeVector3d::kXAxis,
                                    AcGeVector3d::kYAxis, AcGeVector3d::kZAxis);
    EXPECT_TRUE((align * cs).isEqualTo(AcGeMatrix3d::kIdentity));

    // planeToWorld is a right-handed rotation onto the normal; near Z the plane's X axis
    // comes from the world Y axis.
    EXPECT_TRUE((AcGeMatrix3d::planeToWorld({0.0, 0.0, -1.0}) * AcGeVector3d::kXAxis)
                    .isEqualTo({-1.0, 0.0, 0.0}));
    std::mt19937 rng(99);
    const AcGeTol loose = tolerance(1e-10, 1e-14);
    for (int i = 0; i < 100; ++i) {
        const AcGeVector3d n = random_vector(rng, 3.0);
        const AcGeMatrix3d to_world = AcGeMatrix3d::planeToWorld(n);
        EXPECT_TRUE((to_world * AcGeVector3d::kZAxis).isEqualTo(n.normal(), loose));
        EXPECT_NEAR(to_world.det(), 1.0, 1e-14);
        EXPECT_TRUE((to_world * AcGeMatrix3d::worldToPlane(n)).isEqualTo(AcGeMatrix3d(), loose));
    }
}

TEST(GeLineSeg, IntersectionIsTheSameFromEitherSegment) {
    using P = AcGePoint3d;
    using S = AcGeLineSeg3d;
    constexpr double eps = 1e-10;  // gTol's equalPoint
    const S x_unit(P(0, 0, 0), P(1, 0, 0));
    struct Case {
        const char* name;
        S a, b;
        bool meets;
        P at;
    };
    const Case cases[] = {
        {"end_on_interior", x_unit, S(P(1, -1, 0), P(1, 1, 0)), true, P(1, 0, 0)},
        {"gap_within_eps", x_unit, S(P(1 + 0.9 * eps, -1, 0), P(1 + 0.9 * eps, 1, 0)), true,
         P(1, 0, 0)},
        {"gap_of_2eps", x_unit, S(P(1 + 2 * eps, -1, 0), P(1 + 2 * eps, 1, 0)), false, P()},
        {"cross_beyond_both", x_unit, S(P(2, 1, 0), P(2, 3, 0)), false, P()},
        {"shallow_end_near_interior", x_unit,
         S(P(0, 5e-11 + 1e-3 * (1 - 1e-8), 0), P(1 - 1e-8, 5e-11, 0)), true,
         P(1 - 1e-8, 2.5e-11, 0)},
        {"collinear_overlap", S(P(0, 0, 0), P(4, 0, 0)), S(P(6, 0, 0), P(2, 0, 0)), false, P()},
        {"nearly_collinear", x_unit, S(P(0, -1e-13, 0), P(1, 1e-13, 0)), false, P()},
        {"collinear_end_to_end", x_unit, S(P(1, 0, 0), P(2, 0, 0)), false, P()},
        {"skew_within_eps", S(P(0, 0, 0), P(2, 0, 0)), S(P(1, -1, eps / 2), P(1, 1, eps / 2)), true,
         P(1, 0, eps / 4)},
        {"degenerate_on", S(P(1, 1, 1), P(1, 1, 1)), S(P(0, 0, 0), P(2, 2, 2)), true, P(1, 1, 1)},
        {"degenerate_off", S(P(1, 1, 2), P(1, 1, 2)), S(P(0, 0, 0), P(2, 2, 2)), false, P()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const P untouched(-99.0, -99.0, -99.0);
        P ab = untouched, ba = untouched;
        EXPECT_EQ(c.a.intersectWith(c.b, ab), c.meets);
        EXPECT_EQ(c.b.intersectWith(c.a, ba, AcGeContext::gTol), c.meets);
        EXPECT_PRED2(near_point, ab, c.meets ? c.at : untouched);
        // Not just near: the same point, halfway between the two entities' closest points.
        EXPECT_TRUE(ab.isEqualTo(ba, tolerance(1e-13, 1e-13)));
    }

    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> before(-5.0, -0.1), after(0.1, 5.0);
    for (int i = 0; i < 150; ++i) {
        const P x = P::kOrigin + random_vector(rng, 1000.0);
        const AcGeVector3d d = random_vector(rng, 10.0), e = random_vector(rng, 10.0);
        const S a(x + d * before(rng), x + d * after(rng));
        const S b(x + e * before(rng), x + e * after(rng));
        P at;
        SCOPED_TRACE(i);
        ASSERT_TRUE(a.intersectWith(b, at));
        EXPECT_PRED2(near_point, at, x);
        // Lifted off the plane of the two by 1e-6: skew, they miss.
        const AcGeVector3d lift = d.crossProduct(e).normal() * 1e-6;
        EXPECT_FALSE(a.intersectWith(S(b.startPoint() + lift, b.endPoint() + lift), at));
    }
}

}  // namespace
