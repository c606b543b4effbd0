// AcGeMatrix3d: products, inversion and the transform builders.
#include <gemat3d.h>

#include <algorithm>
#include <cmath>
#include <utility>

const AcGeMatrix3d AcGeMatrix3d::kIdentity;

namespace {

using Entries = double[4][4];

// The size a pivot of column `column` is measured against. The axes (columns 0-2) are
// measured over the linear block and the translation column by its homogeneous entry alone,
// so neither the drawing's units nor how far the translation reaches changes the answer;
// a column that is zero there (only in projective matrices) falls back to its largest entry.
double column_size(const Entries& in, int column) {
    double size = 0.0;
    if (column < 3) {
        for (int row = 0; row < 3; ++row) {
            size = std::max(size, std::fabs(in[row][column]));
        }
    } else {
        size = std::fabs(in[3][3]);
    }
    if (size == 0.0) {
        for (int row = 0; row < 4; ++row) {
            size = std::max(size, std::fabs(in[row][column]));
        }
    }
    return size;
}

// Gauss-Jordan elimination with partial pivoting. Fails (out untouched) when a pivot is no
// larger than tol times its column's size: row operations commute with scaling a column, so
// this is the absolute test applied to the matrix with every axis scaled to unit size. For an
// affine matrix it fails exactly when the three axes are nearly dependent, however long or
// short they are.
bool invert_entries(const Entries& in, Entries& out, double tol) {
    double work[4][4];
    double result[4][4];
    double sizes[4];
    for (int i = 0; i < 4; ++i) {
        sizes[i] = column_size(in, i);
        for (int j = 0; j < 4; ++j) {
            work[i][j] = in[i][j];
            result[i][j] = i == j ? 1.0 : 0.0;
        }
    }
    for (int k = 0; k < 4; ++k) {
        int pivot_row = k;
        for (int i = k + 1; i < 4; ++i) {
            if (std::fabs(work[i][k]) > std::fabs(work[pivot_row][k])) {
                pivot_row = i;
            }
        }
        // Written so that a NaN pivot also fails. A zero column stays zero under row
        // operations, so a zero size always fails here too.
        if (!(std::fabs(work[pivot_row][k]) > tol * sizes[k])) {
            return false;
        }
        std::swap(work[k], work[pivot_row]);
        std::swap(result[k], result[pivot_row]);
        const double scale = 1.0 / work[k][k];
        for (int j = 0; j < 4; ++j) {
            work[k][j] *= scale;
            result[k][j] *= scale;
        }
        for (int i = 0; i < 4; ++i) {
            const double factor = work[i][k];
            if (i == k || factor == 0.0) {
                continue;
            }
            for (int j = 0; j < 4; ++j) {
                work[i][j] -= factor * work[k][j];
                result[i][j] -= factor * result[k][j];
            }
        }
    }
    std::copy(&result[0][0], &result[0][0] + 16, &out[0][0]);
    return true;
}

}  // namespace

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& mat) const {
    AcGeMatrix3d product;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += entry[i][k] * mat.entry[k][j];
            }
            product.entry[i][j] = sum;
        }
    }
    return product;
}

Adesk::Boolean AcGeMatrix3d::isSingular(const AcGeTol& tol) const {
    Entries scratch;
    return !invert_entries(entry, scratch, tol.equalVector());
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
    return inverse(AcGeContext::gTol);
}

AcGeMatrix3d AcGeMatrix3d::inverse(const AcGeTol& tol) const {
    AcGeMatrix3d result = *this;
    inverse(result, tol.equalVector());
    return result;
}

Adesk::Boolean AcGeMatrix3d::inverse(AcGeMatrix3d& inv, double tol) const {
    return invert_entries(entry, inv.entry, tol);
}

AcGeMatrix3d& AcGeMatrix3d::invert() {
    inverse(*this, AcGeContext::gTol.equalVector());
    return *this;
}

double AcGeMatrix3d::det() const {
    double work[4][4];
    std::copy(&entry[0][0], &entry[0][0] + 16, &work[0][0]);
    double result = 1.0;
    for (int k = 0; k < 4; ++k) {
        int pivot_row = k;
        for (int i = k + 1; i < 4; ++i) {
            if (std::fabs(work[i][k]) > std::fabs(work[pivot_row][k])) {
                pivot_row = i;
            }
        }
        if (work[pivot_row][k] == 0.0) {
            return 0.0;
        }
        if (pivot_row != k) {
            std::swap(work[k], work[pivot_row]);
            result = -result;
        }
        result *= work[k][k];
        for (int i = k + 1; i < 4; ++i) {
            const double factor = work[i][k] / work[k][k];
            for (int j = k; j < 4; ++j) {
                work[i][j] -= factor * work[k][j];
            }
        }
    }
    return result;
}

AcGeMatrix3d AcGeMatrix3d::transpose() const {
    AcGeMatrix3d result;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            result.entry[i][j] = entry[j][i];
        }
    }
    return result;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& mat, const AcGeTol& tol) const {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            // Translation entries are lengths; the rest are dimensionless.
            const double eps = (j == 3 && i < 3) ? tol.equalPoint() : tol.equalVector();
            if (!(std::fabs(entry[i][j] - mat.entry[i][j]) <= eps)) {
                return false;
            }
        }
    }
    return true;
}

AcGeMatrix3d& AcGeMatrix3d::setTranslation(const AcGeVector3d& vec) {
    entry[0][3] = vec.x;
    entry[1][3] = vec.y;
    entry[2][3] = vec.z;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& vec) {
    setToIdentity();
    return setTranslation(vec);
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& vec) {
    AcGeMatrix3d result;
    return result.setToTranslation(vec);
}

AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis,
                                          const AcGePoint3d& center) {
    setToIdentity();
    const AcGeVector3d a = axis.normal();
    if (a.isZeroLength()) {
        return *this;
    }
    // Rodrigues: cos·I + sin·[a]x + (1 - cos)·a aᵀ.
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double t = 1.0 - c;
    entry[0][0] = t * a.x * a.x + c;
    entry[0][1] = t * a.x * a.y - s * a.z;
    entry[0][2] = t * a.x * a.z + s * a.y;
    entry[1][0] = t * a.x * a.y + s * a.z;
    entry[1][1] = t * a.y * a.y + c;
    entry[1][2] = t * a.y * a.z - s * a.x;
    entry[2][0] = t * a.x * a.z - s * a.y;
    entry[2][1] = t * a.y * a.z + s * a.x;
    entry[2][2] = t * a.z * a.z + c;
    // The center stays put: translation = center - R·center.
    return setTranslation(center.asVector() - *this * center.asVector());
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis,
                                    const AcGePoint3d& center) {
    AcGeMatrix3d result;
    return result.setToRotation(angle, axis, center);
}

AcGeMatrix3d& AcGeMatrix3d::setToScaling(double scale, const AcGePoint3d& center) {
    setToIdentity();
    entry[0][0] = entry[1][1] = entry[2][2] = scale;
    return setTranslation(center.asVector() * (1.0 - scale));
}

AcGeMatrix3d AcGeMatrix3d::scaling(double scale, const AcGePoint3d& center) {
    AcGeMatrix3d result;
    return result.setToScaling(scale, center);
}

AcGeMatrix3d& AcGeMatrix3d::setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                           const AcGeVector3d& yAxis, const AcGeVector3d& zAxis) {
    setToIdentity();
    const AcGeVector3d* axes[3] = {&xAxis, &yAxis, &zAxis};
    for (unsigned int column = 0; column < 3; ++column) {
        for (unsigned int row = 0; row < 3; ++row) {
            entry[row][column] = (*axes[column])[row];
        }
    }
    return setTranslation(origin.asVector());
}

void AcGeMatrix3d::getCoordSystem(AcGePoint3d& origin, AcGeVector3d& xAxis, AcGeVector3d& yAxis,
                                  AcGeVector3d& zAxis) const {
    origin.set(entry[0][3], entry[1][3], entry[2][3]);
    xAxis.set(entry[0][0], entry[1][0], entry[2][0]);
    yAxis.set(entry[0][1], entry[1][1], entry[2][1]);
    zAxis.set(entry[0][2], entry[1][2], entry[2][2]);
}

AcGeMatrix3d& AcGeMatrix3d::setToAlignCoordSys(
    const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis, const AcGeVector3d& fromYAxis,
    const AcGeVector3d& fromZAxis, const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
    const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis) {
    AcGeMatrix3d from;
    from.setCoordSystem(fromOrigin, fromXAxis, fromYAxis, fromZAxis);
    setCoordSystem(toOrigin, toXAxis, toYAxis, toZAxis);
    return postMultBy(from.inverse());
}

AcGeMatrix3d AcGeMatrix3d::alignCoordSys(const AcGePoint3d& fromOrigin,
                                         const AcGeVector3d& fromXAxis,
                                         const AcGeVector3d& fromYAxis,
                                         const AcGeVector3d& fromZAxis, const AcGePoint3d& toOrigin,
                                         const AcGeVector3d& toXAxis, const AcGeVector3d& toYAxis,
                                         const AcGeVector3d& toZAxis) {
    AcGeMatrix3d result;
    return result.setToAlignCoordSys(fromOrigin, fromXAxis, fromYAxis, fromZAxis, toOrigin, toXAxis,
                                     toYAxis, toZAxis);
}

AcGeMatrix3d& AcGeMatrix3d::setToPlaneToWorld(const AcGeVector3d& normal) {
    AcGeVector3d zAxis = normal.normal();
    if (zAxis.isZeroLength()) {
        zAxis = AcGeVector3d::kZAxis;
    }
    const AcGeVector3d xAxis = zAxis.perpVector();
    const AcGeVector3d yAxis = zAxis.crossProduct(xAxis).normal();
    return setCoordSystem(AcGePoint3d::kOrigin, xAxis, yAxis, zAxis);
}

AcGeMatrix3d AcGeMatrix3d::planeToWorld(const AcGeVector3d& normal) {
    AcGeMatrix3d result;
    return result.setToPlaneToWorld(normal);
}

AcGeMatrix3d& AcGeMatrix3d::setToWorldToPlane(const AcGeVector3d& normal) {
    // The plane's axes are orthonormal, so the inverse rotation is the transpose.
    return setToPlaneToWorld(normal).transposeIt();
}

AcGeMatrix3d AcGeMatrix3d::worldToPlane(const AcGeVector3d& normal) {
    AcGeMatrix3d result;
    return result.setToWorldToPlane(normal);
}
