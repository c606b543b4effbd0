// gelnsg3d.h: AcGeLinearEnt3d, the straight entities of AcGe, and AcGeLineSeg3d, the bounded
// one between two points.
//
// A linear entity is origin + s * span for s in [lower, upper]; a segment has s in [0, 1]
// and span = end - start. intersectWith answers whether two entities meet in exactly one
// point. Entities that are parallel (their directions parallel at tol) never do, whether
// they are apart, collinear and overlapping or collinear and only touching end to end: they
// have no single crossing point. Otherwise the entities meet when their closest points,
// each kept within its own bounds, are no further apart than equalPoint; that also makes an
// end lying within equalPoint of the other entity count as meeting. A segment no longer than
// equalPoint counts as the point at its start.
#pragma once

#include "gegbl.h"
#include "gepnt3d.h"
#include "gevec3d.h"

class AcGeLinearEnt3d {
public:
    // True when the two entities meet in a single point, written to intPt. False (intPt
    // untouched) when they miss each other, are skew, or are parallel or collinear.
    Adesk::Boolean intersectWith(const AcGeLinearEnt3d& line, AcGePoint3d& intPt,
                                 const AcGeTol& tol = AcGeContext::gTol) const;
    // Directions parallel (AcGeVector3d::isParallelTo); false if either is degenerate.
    Adesk::Boolean isParallelTo(const AcGeLinearEnt3d& line,
                                const AcGeTol& tol = AcGeContext::gTol) const;
    // pnt lies within equalPoint of the entity, bounds included.
    Adesk::Boolean isOn(const AcGePoint3d& pnt, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePoint3d pointOnLine() const { return mOrigin; }
    // The unit direction; the zero vector for a degenerate entity.
    AcGeVector3d direction() const { return mSpan.normal(); }

protected:
    AcGeLinearEnt3d(const AcGePoint3d& origin, const AcGeVector3d& span, double lower, double upper)
        : mOrigin(origin), mSpan(span), mLower(lower), mUpper(upper) {}
    ~AcGeLinearEnt3d() = default;
    AcGeLinearEnt3d(const AcGeLinearEnt3d&) = default;
    AcGeLinearEnt3d& operator=(const AcGeLinearEnt3d&) = default;

    // The point of the entity closest to pnt (parameter clamped to the bounds).
    AcGePoint3d closestPointTo(const AcGePoint3d& pnt) const;
    AcGePoint3d evalPoint(double param) const { return mOrigin + mSpan * param; }

    AcGePoint3d mOrigin;
    AcGeVector3d mSpan;
    double mLower;
    double mUpper;
};

class AcGeLineSeg3d : public AcGeLinearEnt3d {
public:
    // From the origin to (1, 0, 0).
    AcGeLineSeg3d() : AcGeLinearEnt3d(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis, 0.0, 1.0) {}
    AcGeLineSeg3d(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2)
        : AcGeLinearEnt3d(pnt1, pnt2 - pnt1, 0.0, 1.0) {}
    // From pnt to pnt + vec.
    AcGeLineSeg3d(const AcGePoint3d& pnt, const AcGeVector3d& vec)
        : AcGeLinearEnt3d(pnt, vec, 0.0, 1.0) {}

    AcGeLineSeg3d& set(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2) {
        mOrigin = pnt1;
        mSpan = pnt2 - pnt1;
        return *this;
    }
    AcGeLineSeg3d& set(const AcGePoint3d& pnt, const AcGeVector3d& vec) {
        mOrigin = pnt;
        mSpan = vec;
        return *this;
    }

    AcGePoint3d startPoint() const { return mOrigin; }
    AcGePoint3d endPoint() const { return mOrigin + mSpan; }
    AcGePoint3d midPoint() const { return mOrigin + mSpan * 0.5; }
    double length() const { return mSpan.length(); }
};
