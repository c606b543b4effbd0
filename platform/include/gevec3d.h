// gevec3d.h: AcGeVector3d, a displacement or direction in space (x, y, z).
//
// Vectors are values: they have no position, so a matrix moves them by its linear part only
// (rotation, scale, shear) and never by its translation. Comparisons follow the host's rules
// with an AcGeTol (default AcGeContext::gTol):
//   equal           |v1 - v2| <= equalVector
//   zero length     |v| <= equalVector
//   parallel        |u1 - u2| < equalVector or |u1 + u2| < equalVector (u: the unit vectors;
//                   opposite directions are parallel)
//   perpendicular   |v1 . v2| / (|v1| |v2|) <= equalVector
// A zero-length vector has no direction, so it is neither parallel nor perpendicular to any
// vector (itself included); the overloads with an AcGeError flag say which operand was zero.
#pragma once

#include <cmath>

#include "gegbl.h"

class AcGeMatrix3d;

class AcGeVector3d {
public:
    constexpr AcGeVector3d() : x(0.0), y(0.0), z(0.0) {}
    constexpr AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    static const AcGeVector3d kIdentity;  // the zero vector
    static const AcGeVector3d kXAxis;
    static const AcGeVector3d kYAxis;
    static const AcGeVector3d kZAxis;

    bool isEqualTo(const AcGeVector3d& vec, const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isUnitLength(const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isParallelTo(const AcGeVector3d& vec,
                                const AcGeTol& tol = AcGeContext::gTol) const;
    // flag: kOk, or k0This / k0Arg1 when this vector / vec is of zero length (then false).
    Adesk::Boolean isParallelTo(const AcGeVector3d& vec, const AcGeTol& tol, AcGeError& flag) const;
    // Parallel and pointing the same way: |u1 - u2| < equalVector.
    Adesk::Boolean isCodirectionalTo(const AcGeVector3d& vec,
                                     const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isPerpendicularTo(const AcGeVector3d& vec,
                                     const AcGeTol& tol = AcGeContext::gTol) const;
    Adesk::Boolean isPerpendicularTo(const AcGeVector3d& vec, const AcGeTol& tol,
                                     AcGeError& flag) const;

    double length() const { return std::sqrt(lengthSqrd()); }
    double lengthSqrd() const { return x * x + y * y + z * z; }
    double dotProduct(const AcGeVector3d& vec) const { return x * vec.x + y * vec.y + z * vec.z; }
    AcGeVector3d crossProduct(const AcGeVector3d& vec) const {
        return {y * vec.z - z * vec.y, z * vec.x - x * vec.z, x * vec.y - y * vec.x};
    }
    // The unsigned angle between the two vectors, in [0, π]; 0 when either is the zero vector.
    double angleTo(const AcGeVector3d& vec) const;
    // A unit vector perpendicular to this one, chosen by the drawing's arbitrary-axis rule
    // (the X axis of the plane whose normal is this vector); kXAxis for the zero vector.
    AcGeVector3d perpVector() const;

    // Scales to unit length. A vector of zero length (isZeroLength(tol)) is left unchanged:
    // there is no direction to keep.
    AcGeVector3d& normalize(const AcGeTol& tol = AcGeContext::gTol);
    // As above; flag is k0This when the vector was left unchanged, else kOk.
    AcGeVector3d& normalize(const AcGeTol& tol, AcGeError& flag);
    AcGeVector3d normal(const AcGeTol& tol = AcGeContext::gTol) const;
    AcGeVector3d& negate() { return set(-x, -y, -z); }
    // Applies the linear part of leftSide (leftSide * this); translation does not move a vector.
    AcGeVector3d& transformBy(const AcGeMatrix3d& leftSide);
    AcGeVector3d& set(double xx, double yy, double zz) {
        x = xx;
        y = yy;
        z = zz;
        return *this;
    }

    AcGeVector3d operator+(const AcGeVector3d& vec) const {
        return {x + vec.x, y + vec.y, z + vec.z};
    }
    AcGeVector3d operator-(const AcGeVector3d& vec) const {
        return {x - vec.x, y - vec.y, z - vec.z};
    }
    AcGeVector3d operator-() const { return {-x, -y, -z}; }
    AcGeVector3d operator*(double scl) const { return {x * scl, y * scl, z * scl}; }
    AcGeVector3d operator/(double scl) const { return {x / scl, y / scl, z / scl}; }
    AcGeVector3d& operator+=(const AcGeVector3d& vec) {
        return set(x + vec.x, y + vec.y, z + vec.z);
    }
    AcGeVector3d& operator-=(const AcGeVector3d& vec) {
        return set(x - vec.x, y - vec.y, z - vec.z);
    }
    AcGeVector3d& operator*=(double scl) { return set(x * scl, y * scl, z * scl); }
    AcGeVector3d& operator/=(double scl) { return set(x / scl, y / scl, z / scl); }
    bool operator==(const AcGeVector3d& vec) const { return isEqualTo(vec); }
    bool operator!=(const AcGeVector3d& vec) const { return !isEqualTo(vec); }
    // Index 0 is x, 1 is y; any other index is z.
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }

    double x, y, z;
};

inline AcGeVector3d operator*(double scl, const AcGeVector3d& vec) {
    return vec * scl;
}
// The linear part of mat applied to vec (the translation column is ignored).
AcGeVector3d operator*(const AcGeMatrix3d& mat, const AcGeVector3d& vec);
