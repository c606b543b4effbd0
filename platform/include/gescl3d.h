// gescl3d.h: AcGeScale3d, three scale factors along X, Y and Z (a block reference's
// scale). Factors are dimensionless, so comparisons use the tolerance's equalVector.
#pragma once

#include "gegbl.h"

class AcGeMatrix3d;

class AcGeScale3d {
public:
    constexpr AcGeScale3d() : sx(1.0), sy(1.0), sz(1.0) {}
    constexpr explicit AcGeScale3d(double factor) : sx(factor), sy(factor), sz(factor) {}
    constexpr AcGeScale3d(double xFactor, double yFactor, double zFactor)
        : sx(xFactor), sy(yFactor), sz(zFactor) {}

    static const AcGeScale3d kIdentity;  // (1, 1, 1)

    // Each factor within equalVector of the other's.
    bool isEqualTo(const AcGeScale3d& scaleVec, const AcGeTol& tol = AcGeContext::gTol) const;
    // All three factors equal within equalVector (a uniform scale).
    Adesk::Boolean isProportional(const AcGeTol& tol = AcGeContext::gTol) const;
    // The matrix that scales by these factors about the origin.
    AcGeMatrix3d& getMatrix(AcGeMatrix3d& mat) const;
    // The lengths of the three axis columns of mat's linear part. Lengths are never negative,
    // so a mirroring matrix gives positive factors.
    AcGeScale3d& extractScale(const AcGeMatrix3d& mat);
    AcGeScale3d& set(double xFactor, double yFactor, double zFactor) {
        sx = xFactor;
        sy = yFactor;
        sz = zFactor;
        return *this;
    }

    AcGeScale3d operator*(const AcGeScale3d& scaleVec) const {
        return {sx * scaleVec.sx, sy * scaleVec.sy, sz * scaleVec.sz};
    }
    AcGeScale3d operator*(double factor) const { return {sx * factor, sy * factor, sz * factor}; }
    AcGeScale3d& operator*=(const AcGeScale3d& scaleVec) { return *this = *this * scaleVec; }
    AcGeScale3d& operator*=(double factor) { return *this = *this * factor; }
    bool operator==(const AcGeScale3d& scaleVec) const { return isEqualTo(scaleVec); }
    bool operator!=(const AcGeScale3d& scaleVec) const { return !isEqualTo(scaleVec); }
    // Index 0 is sx, 1 is sy; any other index is sz.
    double operator[](unsigned int i) const { return i == 0 ? sx : i == 1 ? sy : sz; }
    double& operator[](unsigned int i) { return i == 0 ? sx : i == 1 ? sy : sz; }

    double sx, sy, sz;
};

inline AcGeScale3d operator*(double factor, const AcGeScale3d& scaleVec) {
    return scaleVec * factor;
}
