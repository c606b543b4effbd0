// Lightweight polylines: vertices, bulges and widths in the polyline's own plane.
#include <dbfiler.h>
#include <dbpl.h>

#include <algorithm>

#include "db_filing.h"
#include "host_state.h"
#include "ocs.h"

namespace filing = korv_host::filing;

ACRX_DXF_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        LWPOLYLINE, AutoCAD);

AcDbPolyline::AcDbPolyline() = default;
AcDbPolyline::AcDbPolyline(unsigned int num_verts) {
    mVertices.reserve(num_verts);
}
AcDbPolyline::~AcDbPolyline() = default;

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge,
                                            double startWidth, double endWidth,
                                            Adesk::Int32 vertexIdentifier) {
    assertWriteEnabled();
    if (index > numVerts()) return Acad::eInvalidIndex;
    Vertex vertex;
    vertex.point = pt;
    vertex.bulge = bulge;
    vertex.start_width = startWidth < 0.0 ? mConstantWidth : startWidth;
    vertex.end_width = endWidth < 0.0 ? mConstantWidth : endWidth;
    vertex.identifier = vertexIdentifier;
    mVertices.insert(mVertices.begin() + index, vertex);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
    assertWriteEnabled();
    if (index >= numVerts()) return Acad::eInvalidIndex;
    mVertices.erase(mVertices.begin() + index);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& pt) const {
    if (index >= numVerts()) return Acad::eInvalidIndex;
    pt = mVertices[index].point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& pt) const {
    if (index >= numVerts()) return Acad::eInvalidIndex;
    const AcGePoint2d& plane = mVertices[index].point;
    pt = korv_host::Ocs(mNormal).to_world(AcGePoint3d(plane.x, plane.y, mElevation));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& pt) {
    assertWriteEnabled();
    if (index >= numVerts()) return Acad::eInvalidIndex;
    mVertices[index].point = pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
    if (index >= numVerts()) return Acad::eInvalidIndex;
    bulge = mVertices[index].bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
    assertWriteEnabled();
    if (index >= numVerts()) return Acad::eInvalidIndex;
    mVertices[index].bulge = bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth,
                                            double& endWidth) const {
    if (index >= numVerts()) return Acad::eInvalidIndex;
    startWidth = mVertices[index].start_width;
    endWidth = mVertices[index].end_width;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth,
                                            double endWidth) {
    assertWriteEnabled();
    if (index >= numVerts()) return Acad::eInvalidIndex;
    if (startWidth < 0.0 || endWidth < 0.0) return Acad::eInvalidInput;
    mVertices[index].start_width = startWidth;
    mVertices[index].end_width = endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const {
    width = mVertices.empty() ? mConstantWidth : mVertices.front().start_width;
    for (const Vertex& vertex : mVertices) {
        if (vertex.start_width != width || vertex.end_width != width) return Acad::eNotApplicable;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width) {
    assertWriteEnabled();
    if (width < 0.0) return Acad::eInvalidInput;
    mConstantWidth = width;
    for (Vertex& vertex : mVertices) vertex.start_width = vertex.end_width = width;
    return Acad::eOk;
}

Adesk::Boolean AcDbPolyline::hasBulges() const {
    for (const Vertex& vertex : mVertices) {
        if (vertex.bulge != 0.0) return true;
    }
    return false;
}

Adesk::Boolean AcDbPolyline::hasWidth() const {
    for (const Vertex& vertex : mVertices) {
        if (vertex.start_width != 0.0 || vertex.end_width != 0.0) return true;
    }
    return false;
}

void AcDbPolyline::setElevation(double elev) {
    assertWriteEnabled();
    mElevation = elev;
}

Acad::ErrorStatus AcDbPolyline::setNormal(const AcGeVector3d& normal) {
    assertWriteEnabled();
    if (normal.isZeroLength()) return Acad::eInvalidInput;
    mNormal = normal.normal();
    return Acad::eOk;
}

void AcDbPolyline::setClosed(Adesk::Boolean closed) {
    assertWriteEnabled();
    mClosed = closed;
}

// ----- filing -----------------------------------------------------------------------------------

// Count (90), flags (70: 1 closed), the constant width (43) when every segment has it,
// elevation (38), then per vertex its point (10/20), widths (40/41) when they vary, bulge
// (42) and identifier (91) when set, and last the normal (210).
Acad::ErrorStatus AcDbPolyline::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbEntity::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbPolyline");
    filer->writeInt32(AcDb::kDxfInt32, static_cast<Adesk::Int32>(mVertices.size()));
    filer->writeInt16(AcDb::kDxfInt16, mClosed ? 1 : 0);
    double constant = 0.0;
    const bool uniform = getConstantWidth(constant) == Acad::eOk;
    if (uniform) filer->writeDouble(static_cast<AcDb::DxfCode>(43), constant);
    if (mElevation != 0.0) filer->writeDouble(AcDb::kDxfElevation, mElevation);
    for (const Vertex& vertex : mVertices) {
        filer->writePoint2d(AcDb::kDxfXCoord, vertex.point);
        if (!uniform) {
            filer->writeDouble(AcDb::kDxfReal, vertex.start_width);
            filer->writeDouble(AcDb::kDxfTxtStyleXScale, vertex.end_width);
        }
        if (vertex.bulge != 0.0) filer->writeDouble(static_cast<AcDb::DxfCode>(42), vertex.bulge);
        if (vertex.identifier != 0)
            filer->writeInt32(AcDb::kDxfVertexIdentifier, vertex.identifier);
    }
    if (!mNormal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(AcDb::kDxfNormalX, mNormal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbPolyline::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = filing::expect_subclass(filer, L"AcDbPolyline")) != Acad::eOk) return es;
    mVertices.clear();
    long declared = -1;
    es = filing::read_subclass(filer, [&](const resbuf& rb) {
        // Per-vertex groups belong to the vertex last read.
        Vertex* last = mVertices.empty() ? nullptr : &mVertices.back();
        switch (rb.restype) {
            case AcDb::kDxfInt32:
                declared = rb.resval.rlong;
                // The count is the file's word: room for it within reason, not beyond.
                if (declared > 0 && mVertices.empty()) {
                    mVertices.reserve(static_cast<size_t>(std::min(declared, 4096L)));
                }
                break;
            case AcDb::kDxfInt16:
                mClosed = (rb.resval.rint & 1) != 0;
                break;
            case 43:
                if (rb.resval.rreal < 0.0) return Acad::eBadDxfSequence;
                mConstantWidth = rb.resval.rreal;
                break;
            case AcDb::kDxfElevation:
                mElevation = rb.resval.rreal;
                break;
            case AcDb::kDxfXCoord: {
                Vertex vertex;
                vertex.point = AcGePoint2d(rb.resval.rpoint[0], rb.resval.rpoint[1]);
                vertex.start_width = vertex.end_width = mConstantWidth;
                mVertices.push_back(vertex);
                break;
            }
            case AcDb::kDxfReal:
                if (last == nullptr || rb.resval.rreal < 0.0) return Acad::eBadDxfSequence;
                last->start_width = rb.resval.rreal;
                break;
            case AcDb::kDxfTxtStyleXScale:
                if (last == nullptr || rb.resval.rreal < 0.0) return Acad::eBadDxfSequence;
                last->end_width = rb.resval.rreal;
                break;
            case 42:
                if (last == nullptr) return Acad::eBadDxfSequence;
                last->bulge = rb.resval.rreal;
                break;
            case AcDb::kDxfVertexIdentifier:
                if (last == nullptr) return Acad::eBadDxfSequence;
                last->identifier = rb.resval.rlong;
                break;
            case AcDb::kDxfNormalX:
                if (filing::vector_of(rb).isZeroLength()) return Acad::eBadDxfSequence;
                mNormal = filing::vector_of(rb).normal();
                break;
            default:
                break;  // thickness
        }
        return Acad::eOk;
    });
    if (es != Acad::eOk) return es;
    if (declared >= 0 && declared != static_cast<long>(mVertices.size())) {
        return filer->setError(Acad::eBadDxfSequence, L"polyline declares %ld vertices, has %zu",
                               declared, mVertices.size());
    }
    return Acad::eOk;
}
