// gepnt2d.h: AcGePoint2d, a position in a plane (x, y), as lightweight polylines store their
// vertices. Two points are equal when they are no further apart than equalPoint.
#pragma once

#include <cmath>

#include "gegbl.h"
#include "gevec2d.h"

class AcGePoint2d {
public:
    constexpr AcGePoint2d() : x(0.0), y(0.0) {}
    constexpr AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}

    static const AcGePoint2d kOrigin;

    bool isEqualTo(const AcGePoint2d& pnt, const AcGeTol& tol = AcGeContext::gTol) const;
    double distanceTo(const AcGePoint2d& pnt) const { return (*this - pnt).length(); }
    AcGeVector2d asVector() const { return {x, y}; }
    AcGePoint2d& set(double xx, double yy) {
        x = xx;
        y = yy;
        return *this;
    }

    AcGePoint2d operator+(const AcGeVector2d& vec) const { return {x + vec.x, y + vec.y}; }
    AcGePoint2d operator-(const AcGeVector2d& vec) const { return {x - vec.x, y - vec.y}; }
    AcGeVector2d operator-(const AcGePoint2d& pnt) const { return {x - pnt.x, y - pnt.y}; }
    AcGePoint2d& operator+=(const AcGeVector2d& vec) { return set(x + vec.x, y + vec.y); }
    AcGePoint2d& operator-=(const AcGeVector2d& vec) { return set(x - vec.x, y - vec.y); }
    bool operator==(const AcGePoint2d& pnt) const { return isEqualTo(pnt); }
    bool operator!=(const AcGePoint2d& pnt) const { return !isEqualTo(pnt); }
    // Index 0 is x; any other index is y.
    double operator[](unsigned int i) const { return i == 0 ? x : y; }
    double& operator[](unsigned int i) { return i == 0 ? x : y; }

    double x, y;
};
