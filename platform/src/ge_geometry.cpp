// Points, vectors, scale factors and straight entities of the AcGe layer, and the shared
// tolerance. The class constants are constant-initialised (constexpr constructors), so they
// are ready before any other static initialiser of the host or the module can read them.
#include <gegbl.h>
#include <gelnsg3d.h>
#include <gemat3d.h>
#include <gepnt2d.h>
#include <gepnt3d.h>
#include <gescl3d.h>
#include <gevec2d.h>
#include <gevec3d.h>

#include <algorithm>
#include <cmath>

AcGeTol AcGeContext::gTol;

const AcGePoint2d AcGePoint2d::kOrigin(0.0, 0.0);
const AcGeVector2d AcGeVector2d::kIdentity(0.0, 0.0);
const AcGeVector2d AcGeVector2d::kXAxis(1.0, 0.0);
const AcGeVector2d AcGeVector2d::kYAxis(0.0, 1.0);
const AcGePoint3d AcGePoint3d::kOrigin(0.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kIdentity(0.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kXAxis(1.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kYAxis(0.0, 1.0, 0.0);
const AcGeVector3d AcGeVector3d::kZAxis(0.0, 0.0, 1.0);
const AcGeScale3d AcGeScale3d::kIdentity(1.0, 1.0, 1.0);

// ---- AcGeVector2d / AcGePoint2d ----

bool AcGeVector2d::isEqualTo(const AcGeVector2d& vec, const AcGeTol& tol) const {
    return (*this - vec).length() <= tol.equalVector();
}

Adesk::Boolean AcGeVector2d::isZeroLength(const AcGeTol& tol) const {
    return length() <= tol.equalVector();
}

Adesk::Boolean AcGeVector2d::isParallelTo(const AcGeVector2d& vec, const AcGeTol& tol) const {
    if (isZeroLength(tol) || vec.isZeroLength(tol)) {
        return false;
    }
    const AcGeVector2d u1 = normal(tol);
    const AcGeVector2d u2 = vec.normal(tol);
    return (u1 - u2).length() < tol.equalVector() || (u1 + u2).length() < tol.equalVector();
}

Adesk::Boolean AcGeVector2d::isPerpendicularTo(const AcGeVector2d& vec, const AcGeTol& tol) const {
    if (isZeroLength(tol) || vec.isZeroLength(tol)) {
        return false;
    }
    return std::fabs(dotProduct(vec)) / (length() * vec.length()) <= tol.equalVector();
}

double AcGeVector2d::angle() const {
    constexpr double kTwoPi = 6.283185307179586476925286766559;
    double result = std::atan2(y, x);
    if (result < 0.0) {
        result += kTwoPi;
    }
    // A tiny negative angle rounds up to exactly 2π, which is the same direction as 0.
    return result >= kTwoPi ? 0.0 : result;
}

AcGeVector2d& AcGeVector2d::normalize(const AcGeTol& tol) {
    if (!isZeroLength(tol)) {
        *this /= length();
    }
    return *this;
}

AcGeVector2d AcGeVector2d::normal(const AcGeTol& tol) const {
    AcGeVector2d result = *this;
    return result.normalize(tol);
}

bool AcGePoint2d::isEqualTo(const AcGePoint2d& pnt, const AcGeTol& tol) const {
    return distanceTo(pnt) <= tol.equalPoint();
}

// ---- AcGeVector3d ----

bool AcGeVector3d::isEqualTo(const AcGeVector3d& vec, const AcGeTol& tol) const {
    return (*this - vec).length() <= tol.equalVector();
}

Adesk::Boolean AcGeVector3d::isZeroLength(const AcGeTol& tol) const {
    return length() <= tol.equalVector();
}

Adesk::Boolean AcGeVector3d::isUnitLength(const AcGeTol& tol) const {
    return std::fabs(length() - 1.0) <= tol.equalVector();
}

Adesk::Boolean AcGeVector3d::isParallelTo(const AcGeVector3d& vec, const AcGeTol& tol) const {
    AcGeError flag = AcGe::kOk;
    return isParallelTo(vec, tol, flag);
}

Adesk::Boolean AcGeVector3d::isParallelTo(const AcGeVector3d& vec, const AcGeTol& tol,
                                          AcGeError& flag) const {
    flag = isZeroLength(tol) ? AcGe::k0This : vec.isZeroLength(tol) ? AcGe::k0Arg1 : AcGe::kOk;
    if (flag != AcGe::kOk) {
        return false;
    }
    const AcGeVector3d u1 = normal(tol);
    const AcGeVector3d u2 = vec.normal(tol);
    return (u1 - u2).length() < tol.equalVector() || (u1 + u2).length() < tol.equalVector();
}

Adesk::Boolean AcGeVector3d::isCodirectionalTo(const AcGeVector3d& vec, const AcGeTol& tol) const {
    if (isZeroLength(tol) || vec.isZeroLength(tol)) {
        return false;
    }
    return (normal(tol) - vec.normal(tol)).length() < tol.equalVector();
}

Adesk::Boolean AcGeVector3d::isPerpendicularTo(const AcGeVector3d& vec, const AcGeTol& tol) const {
    AcGeError flag = AcGe::kOk;
    return isPerpendicularTo(vec, tol, flag);
}

Adesk::Boolean AcGeVector3d::isPerpendicularTo(const AcGeVector3d& vec, const AcGeTol& tol,
                                               AcGeError& flag) const {
    flag = isZeroLength(tol) ? AcGe::k0This : vec.isZeroLength(tol) ? AcGe::k0Arg1 : AcGe::kOk;
    if (flag != AcGe::kOk) {
        return false;
    }
    return std::fabs(dotProduct(vec)) / (length() * vec.length()) <= tol.equalVector();
}

double AcGeVector3d::angleTo(const AcGeVector3d& vec) const {
    // atan2 of |sin| and cos keeps full precision near 0 and π, where acos of the dot
    // product of unit vectors loses half the digits.
    return std::atan2(crossProduct(vec).length(), dotProduct(vec));
}

AcGeVector3d AcGeVector3d::perpVector() const {
    const AcGeVector3d unit = normal();
    if (unit.isZeroLength()) {
        return kXAxis;
    }
    // The arbitrary-axis rule: near the Z axis the X axis is taken from the world Y axis,
    // elsewhere from the world Z axis.
    constexpr double kNearZ = 1.0 / 64.0;
    const bool near_z = std::fabs(unit.x) < kNearZ && std::fabs(unit.y) < kNearZ;
    return (near_z ? kYAxis : kZAxis).crossProduct(unit).normal();
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol) {
    AcGeError flag = AcGe::kOk;
    return normalize(tol, flag);
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol, AcGeError& flag) {
    if (isZeroLength(tol)) {
        flag = AcGe::k0This;
        return *this;
    }
    flag = AcGe::kOk;
    return *this /= length();
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const {
    AcGeVector3d result = *this;
    return result.normalize(tol);
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& leftSide) {
    return *this = leftSide * *this;
}

AcGeVector3d operator*(const AcGeMatrix3d& mat, const AcGeVector3d& vec) {
    const auto& e = mat.entry;
    return {e[0][0] * vec.x + e[0][1] * vec.y + e[0][2] * vec.z,
            e[1][0] * vec.x + e[1][1] * vec.y + e[1][2] * vec.z,
            e[2][0] * vec.x + e[2][1] * vec.y + e[2][2] * vec.z};
}

// ---- AcGePoint3d ----

bool AcGePoint3d::isEqualTo(const AcGePoint3d& pnt, const AcGeTol& tol) const {
    return distanceTo(pnt) <= tol.equalPoint();
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& leftSide) {
    return *this = leftSide * *this;
}

AcGePoint3d operator*(const AcGeMatrix3d& mat, const AcGePoint3d& pnt) {
    const auto& e = mat.entry;
    return {e[0][0] * pnt.x + e[0][1] * pnt.y + e[0][2] * pnt.z + e[0][3],
            e[1][0] * pnt.x + e[1][1] * pnt.y + e[1][2] * pnt.z + e[1][3],
            e[2][0] * pnt.x + e[2][1] * pnt.y + e[2][2] * pnt.z + e[2][3]};
}

// ---- AcGeScale3d ----

bool AcGeScale3d::isEqualTo(const AcGeScale3d& scaleVec, const AcGeTol& tol) const {
    const double eps = tol.equalVector();
    return std::fabs(sx - scaleVec.sx) <= eps && std::fabs(sy - scaleVec.sy) <= eps &&
           std::fabs(sz - scaleVec.sz) <= eps;
}

Adesk::Boolean AcGeScale3d::isProportional(const AcGeTol& tol) const {
    return std::fabs(sx - sy) <= tol.equalVector() && std::fabs(sx - sz) <= tol.equalVector();
}

AcGeMatrix3d& AcGeScale3d::getMatrix(AcGeMatrix3d& mat) const {
    mat.setToIdentity();
    mat.entry[0][0] = sx;
    mat.entry[1][1] = sy;
    mat.entry[2][2] = sz;
    return mat;
}

AcGeScale3d& AcGeScale3d::extractScale(const AcGeMatrix3d& mat) {
    const auto& e = mat.entry;
    return set(AcGeVector3d(e[0][0], e[1][0], e[2][0]).length(),
               AcGeVector3d(e[0][1], e[1][1], e[2][1]).length(),
               AcGeVector3d(e[0][2], e[1][2], e[2][2]).length());
}

// ---- AcGeLinearEnt3d ----

namespace {

// The parameter of the point of (origin + s * span, s in [lower, upper]) nearest to pnt.
double closest_param(const AcGePoint3d& origin, const AcGeVector3d& span, double lower,
                     double upper, const AcGePoint3d& pnt) {
    const double span_sqrd = span.lengthSqrd();
    const double free = span_sqrd > 0.0 ? (pnt - origin).dotProduct(span) / span_sqrd : 0.0;
    return std::clamp(free, lower, upper);
}

}  // namespace

AcGePoint3d AcGeLinearEnt3d::closestPointTo(const AcGePoint3d& pnt) const {
    return evalPoint(closest_param(mOrigin, mSpan, mLower, mUpper, pnt));
}

Adesk::Boolean AcGeLinearEnt3d::isOn(const AcGePoint3d& pnt, const AcGeTol& tol) const {
    return closestPointTo(pnt).isEqualTo(pnt, tol);
}

Adesk::Boolean AcGeLinearEnt3d::isParallelTo(const AcGeLinearEnt3d& line,
                                             const AcGeTol& tol) const {
    return mSpan.isParallelTo(line.mSpan, tol);
}

Adesk::Boolean AcGeLinearEnt3d::intersectWith(const AcGeLinearEnt3d& line, AcGePoint3d& intPt,
                                              const AcGeTol& tol) const {
    const bool this_is_point = mSpan.length() <= tol.equalPoint();
    if (this_is_point || line.mSpan.length() <= tol.equalPoint()) {
        const AcGePoint3d pnt = this_is_point ? mOrigin : line.mOrigin;
        const AcGeLinearEnt3d& other = this_is_point ? line : *this;
        if (!other.isOn(pnt, tol)) {
            return false;
        }
        intPt = pnt;
        return true;
    }
    if (mSpan.isParallelTo(line.mSpan, tol)) {
        return false;
    }
    // Closest points of the two unbounded lines. The cross product's squared length is the
    // well-conditioned form of |d|²|e|² - (d·e)², which cancels badly at shallow angles.
    const AcGeVector3d normal = mSpan.crossProduct(line.mSpan);
    const double denom = normal.lengthSqrd();
    if (denom == 0.0) {
        return false;  // only reachable with a zero equalVector
    }
    const AcGeVector3d offset = line.mOrigin - mOrigin;
    const double free_s = offset.crossProduct(line.mSpan).dotProduct(normal) / denom;
    // Keep each parameter within its entity: clamp s, take the nearest t to that point, then
    // the nearest s to that t (the minimum of the distance over the two parameter ranges).
    double s = std::clamp(free_s, mLower, mUpper);
    const double t =
        closest_param(line.mOrigin, line.mSpan, line.mLower, line.mUpper, evalPoint(s));
    const AcGePoint3d on_line = line.evalPoint(t);
    s = closest_param(mOrigin, mSpan, mLower, mUpper, on_line);
    const AcGePoint3d on_this = evalPoint(s);
    if (!on_this.isEqualTo(on_line, tol)) {
        return false;
    }
    intPt = on_this + (on_line - on_this) * 0.5;
    return true;
}
