// dbpl.h: the lightweight polyline, a chain of 2-D vertices in the plane of its normal.
//
// Vertices are points of the polyline's own plane (its object coordinate system: the
// normal's arbitrary-axis frame, lifted by the elevation). Each vertex carries the bulge of
// the segment that leaves it (tan of a quarter of the segment's included angle, positive
// counter-clockwise, 0 for a straight segment) and the start and end widths of that segment.
// A closed polyline has a last segment back to its first vertex. Indices outside the vertex
// list answer eInvalidIndex.
#pragma once

#include <vector>

#include "dbents.h"
#include "gepnt2d.h"

class AcDbPolyline : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbPolyline);
    AcDbPolyline();
    // Reserves room for that many vertices; the polyline still has none.
    explicit AcDbPolyline(unsigned int num_verts);
    ~AcDbPolyline() override;

    // Inserts a vertex before index (index == numVerts() appends). A negative width takes
    // the polyline's constant width.
    virtual Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& pt,
                                          double bulge = 0., double startWidth = -1.,
                                          double endWidth = -1., Adesk::Int32 vertexIdentifier = 0);
    virtual Acad::ErrorStatus removeVertexAt(unsigned int index);
    unsigned int numVerts() const { return static_cast<unsigned int>(mVertices.size()); }

    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& pt) const;
    // The vertex in world coordinates.
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& pt) const;
    virtual Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& pt);
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    virtual Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    // eInvalidInput for a negative width.
    virtual Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
    // The width every segment has; eNotApplicable when the segments differ.
    Acad::ErrorStatus getConstantWidth(double& width) const;
    // Gives every segment that width and makes it the default of new vertices;
    // eInvalidInput for a negative width.
    virtual Acad::ErrorStatus setConstantWidth(double width);
    Adesk::Boolean hasBulges() const;
    Adesk::Boolean hasWidth() const;

    double elevation() const { return mElevation; }
    virtual void setElevation(double elev);
    AcGeVector3d normal() const { return mNormal; }
    // eInvalidInput for a zero-length normal.
    virtual Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    Adesk::Boolean isClosed() const { return mClosed; }
    virtual void setClosed(Adesk::Boolean closed);

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: one vertex and the segment leaving it.
    struct Vertex {
        AcGePoint2d point;
        double bulge = 0.0;
        double start_width = 0.0;
        double end_width = 0.0;
        Adesk::Int32 identifier = 0;
    };
    const std::vector<Vertex, korv_host::PooledAllocator<Vertex>>& vertices() const {
        return mVertices;
    }

private:
    std::vector<Vertex, korv_host::PooledAllocator<Vertex>> mVertices;
    AcGeVector3d mNormal = AcGeVector3d::kZAxis;
    double mElevation = 0.0;
    double mConstantWidth = 0.0;
    bool mClosed = false;
};
