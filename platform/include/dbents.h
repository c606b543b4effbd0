// dbents.h: entities of the drawing: block references (inserts), and the plain curves the
// host layer reads from foreign drawings (lines, arcs).
#pragma once

#include "dbmain.h"
#include "gescl3d.h"

class AcDbBlockReference : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockReference);
    AcDbBlockReference();
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec);
    ~AcDbBlockReference() override;

    AcDbObjectId blockTableRecord() const { return mBlockId; }
    virtual Acad::ErrorStatus setBlockTableRecord(AcDbObjectId newVal);
    virtual AcGePoint3d position() const { return mPosition; }
    virtual Acad::ErrorStatus setPosition(const AcGePoint3d& newVal);
    AcGeScale3d scaleFactors() const { return mScale; }
    virtual Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);
    double rotation() const { return mRotation; }
    virtual Acad::ErrorStatus setRotation(double newVal);
    AcGeVector3d normal() const { return mNormal; }
    virtual Acad::ErrorStatus setNormal(const AcGeVector3d& newVal);

    // Maps the block definition's coordinates into those of the space holding the
    // reference: the definition's origin goes to position(), then scale, rotation about
    // the normal, and the normal's coordinate system apply.
    AcGeMatrix3d blockTransform() const;
    // Sets position, scale, rotation and normal from a transform built of those parts.
    virtual Acad::ErrorStatus setBlockTransform(const AcGeMatrix3d& xform);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

private:
    AcDbObjectId mBlockId;
    AcGePoint3d mPosition;
    AcGeScale3d mScale;
    double mRotation = 0.0;
    AcGeVector3d mNormal = AcGeVector3d::kZAxis;
};

class AcDbCurve : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbCurve);
    ~AcDbCurve() override;

protected:
    AcDbCurve() = default;
};

class AcDbLine : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbLine);
    AcDbLine() = default;
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : mStart(start), mEnd(end) {}
    ~AcDbLine() override;

    AcGePoint3d startPoint() const { return mStart; }
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& point);
    AcGePoint3d endPoint() const { return mEnd; }
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& point);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

private:
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
};

class AcDbArc : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbArc);
    AcDbArc() = default;
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
        : mCenter(center), mRadius(radius), mStartAngle(startAngle), mEndAngle(endAngle) {}
    ~AcDbArc() override;

    AcGePoint3d center() const { return mCenter; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& point);
    double radius() const { return mRadius; }
    Acad::ErrorStatus setRadius(double radius);
    double startAngle() const { return mStartAngle; }
    Acad::ErrorStatus setStartAngle(double angle);
    double endAngle() const { return mEndAngle; }
    Acad::ErrorStatus setEndAngle(double angle);
    AcGeVector3d normal() const { return mNormal; }

private:
    AcGePoint3d mCenter;
    double mRadius = 0.0;
    double mStartAngle = 0.0;
    double mEndAngle = 0.0;
    AcGeVector3d mNormal = AcGeVector3d::kZAxis;
};
