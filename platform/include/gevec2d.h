// gevec2d.h: AcGeVector2d, a displacement in a plane (x, y), with the same tolerance rules
// as AcGeVector3d (gevec3d.h): equal when the difference is no longer than equalVector,
// zero length up to equalVector, directions compared as unit vectors.
#pragma once

#include <cmath>

#include "gegbl.h"

class AcGeVector2d {
public:
    constexpr AcGeVector2d() : x(0.0), y(0.0) {}
    constexpr AcGeVector2d(double xx, double yy) : x(xx), y(yy) {}

    static const AcGeVector2d kIdentity;  // the zero vector
    static const AcGeVector2d kXAxis;
    static const AcGeVector2d kYAxis;

    bool isEqualTo(const AcGeVector2d& vec, const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const;
    // A zero-length vector is neither parallel nor perpendicular to anything.
    Adesk::Boolean isParallelTo(const AcGeVector2d& vec,
                                const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isPerpendicularTo(const AcGeVector2d& vec,
                                     const AcGeTol& tol = AcGeContext::gTol) const;

    double length() const { return std::sqrt(x * x + y * y); }
    double lengthSqrd() const { return x * x + y * y; }
    double dotProduct(const AcGeVector2d& vec) const { return x * vec.x + y * vec.y; }
    // Angle from the X axis, counterclockwise, in [0, 2π).
    double angle() const;
    // A vector of zero length (isZeroLength(tol)) is left unchanged.
    AcGeVector2d& normalize(const AcGeTol& tol = AcGeContext::gTol);
    AcGeVector2d normal(const AcGeTol& tol = AcGeContext::gTol) const;
    AcGeVector2d& negate() {
        x = -x;
        y = -y;
        return *this;
    }
    AcGeVector2d& set(double xx, double yy) {
        x = xx;
        y = yy;
        return *this;
    }

    AcGeVector2d operator+(const AcGeVector2d& vec) const { return {x + vec.x, y + vec.y}; }
    AcGeVector2d operator-(const AcGeVector2d& vec) const { return {x - vec.x, y - vec.y}; }
    AcGeVector2d operator-() const { return {-x, -y}; }
    AcGeVector2d operator*(double scl) const { return {x * scl, y * scl}; }
    AcGeVector2d operator/(double scl) const { return {x / scl, y / scl}; }
    AcGeVector2d& operator+=(const AcGeVector2d& vec) { return set(x + vec.x, y + vec.y); }
    AcGeVector2d& operator-=(const AcGeVector2d& vec) { return set(x - vec.x, y - vec.y); }
    AcGeVector2d& operator*=(double scl) { return set(x * scl, y * scl); }
    AcGeVector2d& operator/=(double scl) { return set(x / scl, y / scl); }
    bool operator==(const AcGeVector2d& vec) const { return isEqualTo(vec); }
    bool operator!=(const AcGeVector2d& vec) const { return !isEqualTo(vec); }
    // Index 0 is x; any other index is y.
    double operator[](unsigned int i) const { return i == 0 ? x : y; }
    double& operator[](unsigned int i) { return i == 0 ? x : y; }

    double x, y;
};

inline AcGeVector2d operator*(double scl, const AcGeVector2d& vec) {
    return vec * scl;
}
