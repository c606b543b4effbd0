// getol.h: AcGeTol, the pair of tolerances every geometric comparison of the host takes.
//
// equalPoint is a distance: two points no further apart than it are the same point.
// equalVector bounds the length of the difference of two vectors; for direction tests
// (parallel, perpendicular) it is applied to unit vectors and so is dimensionless. The
// defaults are the host's, 1e-10 and 1e-12. Every `tol` argument of the AcGe classes
// defaults to the shared AcGeContext::gTol (gegbl.h).
#pragma once

class AcGeTol {
public:
    constexpr AcGeTol() = default;

    double equalPoint() const { return mEqualPoint; }
    double equalVector() const { return mEqualVector; }
    void setEqualPoint(double value) { mEqualPoint = value; }
    void setEqualVector(double value) { mEqualVector = value; }

private:
    double mEqualPoint = 1e-10;
    double mEqualVector = 1e-12;
};
