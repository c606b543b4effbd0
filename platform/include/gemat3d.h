// gemat3d.h: AcGeMatrix3d, a 4x4 transform of space in homogeneous coordinates.
//
// entry[row][col]: the upper-left 3x3 block is the linear part (its columns are the images
// of the X, Y and Z axes), entry[0..2][3] is the translation and the bottom row stays
// (0, 0, 0, 1) for every builder here. Matrices act on column vectors from the left, so
// A * B applies B first; a point is moved by the whole transform, a vector by the linear
// part only (gepnt3d.h, gevec3d.h). The default matrix is the identity.
//
// Inversion is a general 4x4 Gauss-Jordan elimination with partial pivoting. The matrix is
// singular at tolerance t when some pivot is no larger than t times its column's size, an
// axis column measured over the linear block and the translation column by entry[3][3]. For
// the affine matrices the host builds that means: singular exactly when the three axes are
// nearly dependent. Neither the drawing's units, nor a tiny or huge scale, nor a far
// translation makes a matrix singular (a block scaled by 1e-6 at 1e9 still inverts).
//
// inverse() and inverse(tol) on a singular matrix return the matrix unchanged, and invert()
// leaves it unchanged: a failed inversion loses nothing. Callers that must know ask
// isSingular() or use inverse(inv, tol), which returns false and leaves inv untouched.
#pragma once

#include "gegbl.h"
#include "gepnt3d.h"
#include "gevec3d.h"

class AcGeMatrix3d {
public:
    constexpr AcGeMatrix3d()
        : entry{{1.0, 0.0, 0.0, 0.0},
                {0.0, 1.0, 0.0, 0.0},
                {0.0, 0.0, 1.0, 0.0},
                {0.0, 0.0, 0.0, 1.0}} {}

    static const AcGeMatrix3d kIdentity;

    AcGeMatrix3d& setToIdentity() { return *this = AcGeMatrix3d(); }

    // Products: A * B applies B first. operator*= and postMultBy set this = this * m;
    // preMultBy sets this = m * this.
    AcGeMatrix3d operator*(const AcGeMatrix3d& mat) const;
    AcGeMatrix3d& operator*=(const AcGeMatrix3d& mat) { return *this = *this * mat; }
    AcGeMatrix3d& preMultBy(const AcGeMatrix3d& leftSide) { return *this = leftSide * *this; }
    AcGeMatrix3d& postMultBy(const AcGeMatrix3d& rightSide) { return *this = *this * rightSide; }
    AcGeMatrix3d& setToProduct(const AcGeMatrix3d& mat1, const AcGeMatrix3d& mat2) {
        return *this = mat1 * mat2;
    }

    // Singularity at tol.equalVector(); see the header comment for the rule.
    Adesk::Boolean isSingular(const AcGeTol& tol = AcGeContext::gTol) const;
    // The inverse, or the matrix unchanged when it is singular at gTol / tol.
    AcGeMatrix3d inverse() const;
    AcGeMatrix3d inverse(const AcGeTol& tol) const;
    // Writes the inverse to inv and returns true; returns false and leaves inv untouched when
    // the matrix is singular at tol (a relative pivot tolerance, as isSingular uses).
    Adesk::Boolean inverse(AcGeMatrix3d& inv, double tol) const;
    // Replaces the matrix by its inverse; a singular matrix is left unchanged.
    AcGeMatrix3d& invert();
    double det() const;
    AcGeMatrix3d transpose() const;
    AcGeMatrix3d& transposeIt() { return *this = transpose(); }

    // Linear-part entries within equalVector, translation entries within equalPoint.
    bool isEqualTo(const AcGeMatrix3d& mat, const AcGeTol& tol = AcGeContext::gTol) const;
    bool operator==(const AcGeMatrix3d& mat) const { return isEqualTo(mat); }
    bool operator!=(const AcGeMatrix3d& mat) const { return !isEqualTo(mat); }

    // Translation.
    AcGeVector3d translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }
    // Replaces only the translation column; the linear part is kept.
    AcGeMatrix3d& setTranslation(const AcGeVector3d& vec);
    AcGeMatrix3d& setToTranslation(const AcGeVector3d& vec);
    static AcGeMatrix3d translation(const AcGeVector3d& vec);

    // Rotation by angle (radians, counterclockwise looking down axis towards its origin)
    // about the line through center along axis. A zero-length axis gives the identity.
    AcGeMatrix3d& setToRotation(double angle, const AcGeVector3d& axis,
                                const AcGePoint3d& center = AcGePoint3d::kOrigin);
    static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                                 const AcGePoint3d& center = AcGePoint3d::kOrigin);

    // Uniform scaling by scale about center.
    AcGeMatrix3d& setToScaling(double scale, const AcGePoint3d& center = AcGePoint3d::kOrigin);
    static AcGeMatrix3d scaling(double scale, const AcGePoint3d& center = AcGePoint3d::kOrigin);

    // The transform from a coordinate system to the world: the axes become the columns of
    // the linear part and origin the translation. The axes are taken as given (not
    // normalised or made orthogonal).
    AcGeMatrix3d& setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                 const AcGeVector3d& yAxis, const AcGeVector3d& zAxis);
    void getCoordSystem(AcGePoint3d& origin, AcGeVector3d& xAxis, AcGeVector3d& yAxis,
                        AcGeVector3d& zAxis) const;
    // Maps the "from" coordinate system onto the "to" one: fromOrigin goes to toOrigin and
    // each from-axis to the matching to-axis.
    AcGeMatrix3d& setToAlignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                     const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                     const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                     const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis);
    static AcGeMatrix3d alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                      const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                      const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                      const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis);

    // The rotation from the plane through the origin with this normal (its X axis chosen by
    // the drawing's arbitrary-axis rule, as entity coordinate systems are) to the world, and
    // back. A zero-length normal is taken as the Z axis.
    AcGeMatrix3d& setToPlaneToWorld(const AcGeVector3d& normal);
    static AcGeMatrix3d planeToWorld(const AcGeVector3d& normal);
    AcGeMatrix3d& setToWorldToPlane(const AcGeVector3d& normal);
    static AcGeMatrix3d worldToPlane(const AcGeVector3d& normal);

    // entry[row][column]; indices must be below 4.
    double operator()(unsigned int row, unsigned int column) const { return entry[row][column]; }
    double& operator()(unsigned int row, unsigned int column) { return entry[row][column]; }

    double entry[4][4];
};
