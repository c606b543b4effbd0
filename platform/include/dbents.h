// dbents.h: entities of the drawing: block references (inserts) and their attributes, the
// plain curves the host layer reads from foreign drawings (lines, arcs), and texts with the
// attribute definitions of blocks.
//
// A block reference owns its attributes: appendAttribute makes an attribute resident and
// owned by the reference, attributeIterator walks them, and erasing the reference erases
// them. An attribute definition in a block's record is what an insert fills in:
// setAttributeFromBlock copies a definition's tag, default text and text properties into an
// attribute and carries its geometry through the reference's block transform.
#pragma once

#include "acstring.h"
#include "dbmain.h"
#include "gescl3d.h"

class AcDbAttribute;
class AcDbAttributeDefinition;

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

    // The reference must be resident (eNoDatabase) and open for write (eNotOpenForWrite);
    // the attribute becomes resident, owned by the reference, and stays open for write
    // (the caller closes it). Can fail as an AppendEntity host operation on the reference.
    Acad::ErrorStatus appendAttribute(AcDbAttribute* pAttr);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& attrId, AcDbAttribute* pAttr);
    // A new iterator over the attributes, in the order they were appended; the caller
    // deletes it.
    AcDbObjectIterator* attributeIterator() const;
    // Opens one of the reference's attributes; eInvalidInput for an id that is not one.
    Acad::ErrorStatus openAttribute(AcDbAttribute*& pAttr, AcDbObjectId attId,
                                    AcDb::OpenMode openMode, bool openErasedOne = false);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: the appended attributes, erased ones included.
    const std::vector<AcDbObjectId>& attributeIds() const { return mAttributeIds; }

private:
    std::vector<AcDbObjectId> mAttributeIds;
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
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

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
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mCenter;
    double mRadius = 0.0;
    double mStartAngle = 0.0;
    double mEndAngle = 0.0;
    AcGeVector3d mNormal = AcGeVector3d::kZAxis;
};

// ---------------------------------------------------------------------------------------
// Texts and attributes

// A single line of text. position() is where a left/base-justified text starts; with any
// other justification the alignment point governs and position() is only what was last set
// (this host has no fonts to place the text by). Points are in world coordinates; the text
// lies in the plane of its normal, turned by rotation() about it.
class AcDbText : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbText);
    AcDbText();
    AcDbText(const AcGePoint3d& position, const ACHAR* text,
             AcDbObjectId style = AcDbObjectId::kNull, double height = 0, double rotation = 0);
    ~AcDbText() override;

    AcGePoint3d position() const { return mPosition; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& pos);
    AcGePoint3d alignmentPoint() const { return mAlignment; }
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& pos);
    // True for left/base justification, where position() governs.
    Adesk::Boolean isDefaultAlignment() const;
    AcGeVector3d normal() const { return mNormal; }
    // eInvalidInput for a zero-length normal.
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double rotation() const { return mRotation; }
    Acad::ErrorStatus setRotation(double rotation);
    double height() const { return mHeight; }
    // eInvalidInput unless positive.
    Acad::ErrorStatus setHeight(double height);
    double widthFactor() const { return mWidthFactor; }
    // eInvalidInput unless positive.
    Acad::ErrorStatus setWidthFactor(double widthFactor);

    // The deprecated form returns a heap copy the caller releases with free() or
    // acutDelString; the others do not allocate.
    ACHAR* textString() const;
    Acad::ErrorStatus textString(AcString& text) const;
    const ACHAR* textStringConst() const { return mText.c_str(); }
    // eInvalidInput for a null string.
    Acad::ErrorStatus setTextString(const ACHAR* text);

    AcDbObjectId textStyle() const { return mStyle; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    AcDb::TextHorzMode horizontalMode() const { return mHorizontal; }
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
    AcDb::TextVertMode verticalMode() const { return mVertical; }
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);

    // Moves both points, turns the normal and the rotation, and scales the height (by the
    // stretch across the text) and the width factor (by the stretch along it relative to
    // that); eInvalidInput for a transform that flattens the text.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    // Copies the text and its properties (not the entity's common properties).
    void copyTextFrom(const AcDbText& source);

private:
    AcGePoint3d mPosition;
    AcGePoint3d mAlignment;
    AcGeVector3d mNormal = AcGeVector3d::kZAxis;
    double mRotation = 0.0;
    double mHeight = 0.2;  // the host's default text size, for texts made without one
    double mWidthFactor = 1.0;
    std::wstring mText;
    AcDbObjectId mStyle;
    AcDb::TextHorzMode mHorizontal = AcDb::kTextLeft;
    AcDb::TextVertMode mVertical = AcDb::kTextBase;
};

// What a block asks its inserts to fill in: a tag, a prompt and a default value (the text).
// Constant definitions are drawn as they are in every insert and get no attribute.
class AcDbAttributeDefinition : public AcDbText {
public:
    ACRX_DECLARE_MEMBERS(AcDbAttributeDefinition);
    AcDbAttributeDefinition();
    AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                            const ACHAR* prompt, AcDbObjectId style = AcDbObjectId::kNull);
    ~AcDbAttributeDefinition() override;

    // Heap-copy forms (tag(), prompt()) are released by the caller with free() or
    // acutDelString.
    ACHAR* tag() const;
    Acad::ErrorStatus tag(AcString& tag) const;
    const ACHAR* tagConst() const { return mTag.c_str(); }
    // eInvalidInput for a null or empty tag.
    Acad::ErrorStatus setTag(const ACHAR* tag);
    ACHAR* prompt() const;
    Acad::ErrorStatus prompt(AcString& prompt) const;
    const ACHAR* promptConst() const { return mPrompt.c_str(); }
    Acad::ErrorStatus setPrompt(const ACHAR* prompt);

    Adesk::Boolean isInvisible() const { return mInvisible; }
    Acad::ErrorStatus setInvisible(Adesk::Boolean value);
    Adesk::Boolean isConstant() const { return mConstant; }
    Acad::ErrorStatus setConstant(Adesk::Boolean value);
    Adesk::Boolean isVerifiable() const { return mVerifiable; }
    Acad::ErrorStatus setVerifiable(Adesk::Boolean value);
    Adesk::Boolean isPreset() const { return mPreset; }
    Acad::ErrorStatus setPreset(Adesk::Boolean value);
    Adesk::UInt16 fieldLength() const { return mFieldLength; }
    Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);
    bool lockPositionInBlock() const { return mLockPosition; }
    Acad::ErrorStatus setLockPositionInBlock(bool bValue);

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    friend class AcDbAttribute;
    std::wstring mTag;
    std::wstring mPrompt;
    Adesk::UInt16 mFieldLength = 0;
    bool mInvisible = false;
    bool mConstant = false;
    bool mVerifiable = false;
    bool mPreset = false;
    bool mLockPosition = false;
};

// The value of one attribute definition in one insert, owned by the block reference.
class AcDbAttribute : public AcDbText {
public:
    ACRX_DECLARE_MEMBERS(AcDbAttribute);
    AcDbAttribute();
    AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                  AcDbObjectId style = AcDbObjectId::kNull);
    ~AcDbAttribute() override;

    ACHAR* tag() const;
    Acad::ErrorStatus tag(AcString& tag) const;
    const ACHAR* tagConst() const { return mTag.c_str(); }
    // eInvalidInput for a null or empty tag.
    Acad::ErrorStatus setTag(const ACHAR* tag);

    Adesk::Boolean isInvisible() const { return mInvisible; }
    Acad::ErrorStatus setInvisible(Adesk::Boolean value);
    Adesk::Boolean isConstant() const { return mConstant; }
    Adesk::Boolean isVerifiable() const { return mVerifiable; }
    Adesk::Boolean isPreset() const { return mPreset; }
    Adesk::UInt16 fieldLength() const { return mFieldLength; }
    Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);
    bool lockPositionInBlock() const { return mLockPosition; }
    Acad::ErrorStatus setLockPositionInBlock(bool bValue);

    // Carries the attribute's geometry through the block transform (as transformBy).
    Acad::ErrorStatus setAttributeFromBlock(const AcGeMatrix3d& blkXform);
    // Takes the definition's tag, default text, text properties and flags, then carries the
    // geometry through the block transform; eNullObjectPointer for a null definition.
    Acad::ErrorStatus setAttributeFromBlock(const AcDbAttributeDefinition* pAttdef,
                                            const AcGeMatrix3d& blkXform);

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::wstring mTag;
    Adesk::UInt16 mFieldLength = 0;
    bool mInvisible = false;
    bool mConstant = false;
    bool mVerifiable = false;
    bool mPreset = false;
    bool mLockPosition = false;
};
