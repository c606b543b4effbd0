// gepnt3d.h: AcGePoint3d, a position in space (x, y, z).
//
// Points and vectors are kept apart as the host keeps them: point - point is a vector,
// point ± vector is a point, and a matrix moves a point by its whole affine transform,
// translation included (a vector only by the linear part). Two points are equal when they
// are no further apart than the tolerance's equalPoint (default AcGeContext::gTol); == and !=
// use gTol.
#pragma once

#include "gegbl.h"
#include "gevec3d.h"

class AcGeMatrix3d;

class AcGePoint3d {
public:
    constexpr AcGePoint3d() : x(0.0), y(0.0), z(0.0) {}
    constexpr AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    static const AcGePoint3d kOrigin;

    bool isEqualTo(const AcGePoint3d& pnt, const AcGeTol& tol = AcGeContext::gTol) const;
    double distanceTo(const AcGePoint3d& pnt) const { return (*this - pnt).length(); }
    AcGeVector3d asVector() const { return {x, y, z}; }
    // Applies the full affine transform leftSide * this, translation included.
    AcGePoint3d& transformBy(const AcGeMatrix3d& leftSide);
    AcGePoint3d& set(double xx, double yy, double zz) {
        x = xx;
        y = yy;
        z = zz;
        return *this;
    }

    AcGePoint3d operator+(const AcGeVector3d& vec) const {
        return {x + vec.x, y + vec.y, z + vec.z};
    }
    AcGePoint3d operator-(const AcGeVector3d& vec) const {
        return {x - vec.x, y - vec.y, z - vec.z};
    }
    AcGeVector3d operator-(const AcGePoint3d& pnt) const {
        return {x - pnt.x, y - pnt.y, z - pnt.z};
    }
    AcGePoint3d& operator+=(const AcGeVector3d& vec) {
        return set(x + vec.x, y + vec.y, z + vec.z);
    }
    AcGePoint3d& operator-=(const AcGeVector3d& vec) {
        return set(x - vec.x, y - vec.y, z - vec.z);
    }
    bool operator==(const AcGePoint3d& pnt) const { return isEqualTo(pnt); }
    bool operator!=(const AcGePoint3d& pnt) const { return !isEqualTo(pnt); }
    // Index 0 is x, 1 is y; any other index is z.
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }

    double x, y, z;
};

// The full affine transform of mat applied to pnt. The bottom row is taken to be
// (0, 0, 0, 1), as it is for every transform the host builds.
AcGePoint3d operator*(const AcGeMatrix3d& mat, const AcGePoint3d& pnt);
