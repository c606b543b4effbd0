// Texts, attribute definitions, attributes, and the attributes of block references.
#include <dbents.h>
#include <dbfiler.h>
#include <dbsymtb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cwchar>

#include "db_drawing.h"
#include "db_filing.h"
#include "host_state.h"
#include "ocs.h"

using host_test::HostOp;
using korv_host::peek;
namespace filing = korv_host::filing;

ACRX_DXF_DEFINE_MEMBERS(AcDbText, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, TEXT,
                        AutoCAD);
ACRX_DXF_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, ATTDEF, AutoCAD);
ACRX_DXF_DEFINE_MEMBERS(AcDbAttribute, AcDbText, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        ATTRIB, AutoCAD);
ACRX_NO_CONS_DEFINE_MEMBERS(AcDbObjectIterator, AcRxObject);

namespace {

constexpr double kTwoPi = 2.0 * M_PI;
constexpr double kDegrees = 180.0 / M_PI;

ACHAR* heap_copy(const std::wstring& text) {
    auto* copy = static_cast<ACHAR*>(std::malloc((text.size() + 1) * sizeof(ACHAR)));
    std::wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

double normalized_angle(double radians) {
    double angle = std::fmod(radians, kTwoPi);
    if (angle < 0.0) angle += kTwoPi;
    return angle;
}

// Attribute flags as DXF group 70 packs them.
enum AttributeFlag { kInvisible = 1, kConstant = 2, kVerifiable = 4, kPreset = 8 };

Adesk::Int16 pack_flags(bool invisible, bool constant, bool verifiable, bool preset) {
    return static_cast<Adesk::Int16>((invisible ? kInvisible : 0) | (constant ? kConstant : 0) |
                                     (verifiable ? kVerifiable : 0) | (preset ? kPreset : 0));
}

// The fields attribute definitions and attributes share, as DXF files them after the
// text's own data: version (280, 0), tag, flags, field length, vertical mode and the
// position lock (a second 280). A definition writes its prompt before the tag.
struct Attribute_fields {
    std::wstring& tag;
    Adesk::UInt16& field_length;
    bool& invisible;
    bool& constant;
    bool& verifiable;
    bool& preset;
    bool& lock_position;
};

void write_attribute_fields(AcDbDxfFiler* filer, const std::wstring* prompt,
                            const std::wstring& tag, Adesk::Int16 flags, Adesk::UInt16 field_length,
                            AcDb::TextVertMode vertical_mode, bool lock_position) {
    filer->writeInt16(AcDb::kDxfInt8, 0);
    if (prompt != nullptr) filer->writeString(AcDb::kDxfAttributePrompt, prompt->c_str());
    filer->writeString(AcDb::kDxfAttributeTag, tag.c_str());
    filer->writeInt16(AcDb::kDxfInt16, flags);
    filer->writeInt16(static_cast<AcDb::DxfCode>(73), static_cast<Adesk::Int16>(field_length));
    filer->writeInt16(static_cast<AcDb::DxfCode>(74), static_cast<Adesk::Int16>(vertical_mode));
    filer->writeInt16(AcDb::kDxfInt8, lock_position ? 1 : 0);
}

// Reads one item of the shared fields; `text` takes the vertical mode, `prompt` (when
// given) the prompt. int8_seen counts the 280 groups, the second being the lock.
Acad::ErrorStatus read_attribute_item(const resbuf& rb, const Attribute_fields& fields,
                                      AcDbText& text, std::wstring* prompt, int& int8_seen) {
    switch (rb.restype) {
        case AcDb::kDxfAttributePrompt:
            if (prompt != nullptr) *prompt = rb.resval.rstring;
            break;
        case AcDb::kDxfAttributeTag:
            fields.tag = rb.resval.rstring;
            break;
        case AcDb::kDxfInt16:
            fields.invisible = (rb.resval.rint & kInvisible) != 0;
            fields.constant = (rb.resval.rint & kConstant) != 0;
            fields.verifiable = (rb.resval.rint & kVerifiable) != 0;
            fields.preset = (rb.resval.rint & kPreset) != 0;
            break;
        case 73:
            fields.field_length = static_cast<Adesk::UInt16>(rb.resval.rint);
            break;
        case 74:
            if (rb.resval.rint < AcDb::kTextBase || rb.resval.rint > AcDb::kTextTop) {
                return Acad::eBadDxfSequence;
            }
            return text.setVerticalMode(static_cast<AcDb::TextVertMode>(rb.resval.rint));
        case AcDb::kDxfInt8:
            if (++int8_seen == 2) fields.lock_position = rb.resval.rint != 0;
            break;
        default:
            break;
    }
    return Acad::eOk;
}

bool valid_tag(const ACHAR* tag) {
    return tag != nullptr && *tag != L'\0';
}

}  // namespace

namespace korv_host {

void text_axes(const AcGeVector3d& normal, double rotation, AcGeVector3d& along, AcGeVector3d& up) {
    const Ocs ocs(normal);
    along = ocs.x_axis * std::cos(rotation) + ocs.y_axis * std::sin(rotation);
    up = ocs.z_axis.crossProduct(along);
}

}  // namespace korv_host

// ----- texts ---------------------------------------------------------------------------------

AcDbText::AcDbText() = default;

AcDbText::AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style,
                   double height, double rotation)
    : mPosition(position),
      mRotation(normalized_angle(rotation)),
      mText(text ? text : L""),
      mStyle(style) {
    if (height > 0.0) mHeight = height;
}

AcDbText::~AcDbText() = default;

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& pos) {
    assertWriteEnabled();
    mPosition = pos;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& pos) {
    assertWriteEnabled();
    mAlignment = pos;
    return Acad::eOk;
}

Adesk::Boolean AcDbText::isDefaultAlignment() const {
    return mHorizontal == AcDb::kTextLeft && mVertical == AcDb::kTextBase;
}

Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& normal) {
    assertWriteEnabled();
    if (normal.isZeroLength()) return Acad::eInvalidInput;
    mNormal = normal.normal();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setRotation(double rotation) {
    assertWriteEnabled();
    mRotation = normalized_angle(rotation);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setHeight(double height) {
    assertWriteEnabled();
    if (!(height > 0.0)) return Acad::eInvalidInput;
    mHeight = height;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setWidthFactor(double widthFactor) {
    assertWriteEnabled();
    if (!(widthFactor > 0.0)) return Acad::eInvalidInput;
    mWidthFactor = widthFactor;
    return Acad::eOk;
}

ACHAR* AcDbText::textString() const {
    return heap_copy(mText);
}

Acad::ErrorStatus AcDbText::textString(AcString& text) const {
    text = mText;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setTextString(const ACHAR* text) {
    assertWriteEnabled();
    if (text == nullptr) return Acad::eInvalidInput;
    mText = text;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style) {
    assertWriteEnabled();
    mStyle = style;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode mode) {
    assertWriteEnabled();
    if (mode < AcDb::kTextLeft || mode > AcDb::kTextFit) return Acad::eInvalidInput;
    mHorizontal = mode;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode mode) {
    assertWriteEnabled();
    if (mode < AcDb::kTextBase || mode > AcDb::kTextTop) return Acad::eInvalidInput;
    mVertical = mode;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGeVector3d along, up;
    korv_host::text_axes(mNormal, mRotation, along, up);
    const AcGeVector3d new_along = xform * along;
    const AcGeVector3d new_up = xform * up;
    const AcGeVector3d new_normal = new_along.crossProduct(new_up);
    if (new_along.isZeroLength() || new_normal.isZeroLength()) return Acad::eInvalidInput;
    // The stretch along the baseline and the stretch across it (the upright's part that is
    // square to the new baseline): a shear leans the characters but does not heighten them.
    const double along_scale = new_along.length();
    const double across_scale = new_normal.length() / along_scale;
    mPosition = xform * mPosition;
    mAlignment = xform * mAlignment;
    mNormal = new_normal.normal();
    const korv_host::Ocs ocs(mNormal);
    const AcGeVector3d unit = new_along.normal();
    mRotation =
        normalized_angle(std::atan2(unit.dotProduct(ocs.y_axis), unit.dotProduct(ocs.x_axis)));
    mHeight *= across_scale;
    mWidthFactor *= along_scale / across_scale;
    return Acad::eOk;
}

void AcDbText::copyTextFrom(const AcDbText& source) {
    mPosition = source.mPosition;
    mAlignment = source.mAlignment;
    mNormal = source.mNormal;
    mRotation = source.mRotation;
    mHeight = source.mHeight;
    mWidthFactor = source.mWidthFactor;
    mText = source.mText;
    mStyle = source.mStyle;
    mHorizontal = source.mHorizontal;
    mVertical = source.mVertical;
}

// Points are filed in the text's own coordinate system, as the drawing format keeps planar
// entities. The vertical mode belongs to the second AcDbText section of a plain text; the
// attribute classes file it in their own sections.
Acad::ErrorStatus AcDbText::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbEntity::dxfOutFields(filer);
    const korv_host::Ocs ocs(mNormal);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbText");
    filer->writePoint3d(AcDb::kDxfXCoord, ocs.from_world(mPosition));
    filer->writeDouble(AcDb::kDxfTxtSize, mHeight);
    filer->writeString(AcDb::kDxfText, mText.c_str());
    if (mRotation != 0.0) filer->writeAngle(AcDb::kDxfAngle, mRotation);
    if (mWidthFactor != 1.0) filer->writeDouble(AcDb::kDxfTxtStyleXScale, mWidthFactor);
    auto* style = AcDbSymbolTableRecord::cast(peek<AcDbObject>(mStyle));
    filer->writeString(AcDb::kDxfTextStyleName, style ? style->nameText().c_str() : L"Standard");
    if (mHorizontal != AcDb::kTextLeft) {
        filer->writeInt16(static_cast<AcDb::DxfCode>(72), static_cast<Adesk::Int16>(mHorizontal));
    }
    if (!isDefaultAlignment()) {
        filer->writePoint3d(static_cast<AcDb::DxfCode>(11), ocs.from_world(mAlignment));
    }
    if (!mNormal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(AcDb::kDxfNormalX, mNormal);
    if (isA() == AcDbText::desc()) {
        filer->writeString(AcDb::kDxfSubclass, L"AcDbText");
        filer->writeInt16(static_cast<AcDb::DxfCode>(73), static_cast<Adesk::Int16>(mVertical));
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbText::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = filing::expect_subclass(filer, L"AcDbText")) != Acad::eOk) return es;
    AcGePoint3d ocs_position, ocs_alignment;
    es = filing::read_subclass(filer, [&](const resbuf& rb) {
        switch (rb.restype) {
            case AcDb::kDxfXCoord:
                ocs_position = filing::point_of(rb);
                break;
            case 11:
                ocs_alignment = filing::point_of(rb);
                break;
            case AcDb::kDxfTxtSize:
                if (!(rb.resval.rreal > 0.0)) return Acad::eBadDxfSequence;
                mHeight = rb.resval.rreal;
                break;
            case AcDb::kDxfText:
                mText = rb.resval.rstring;
                break;
            case AcDb::kDxfAngle:
                mRotation = normalized_angle(rb.resval.rreal / kDegrees);
                break;
            case AcDb::kDxfTxtStyleXScale:
                if (!(rb.resval.rreal > 0.0)) return Acad::eBadDxfSequence;
                mWidthFactor = rb.resval.rreal;
                break;
            case 72:
                if (rb.resval.rint < AcDb::kTextLeft || rb.resval.rint > AcDb::kTextFit) {
                    return Acad::eBadDxfSequence;
                }
                mHorizontal = static_cast<AcDb::TextHorzMode>(rb.resval.rint);
                break;
            case AcDb::kDxfNormalX:
                if (filing::vector_of(rb).isZeroLength()) return Acad::eBadDxfSequence;
                mNormal = filing::vector_of(rb).normal();
                break;
            default:
                break;  // style name (no text styles here), thickness, oblique angle
        }
        return Acad::eOk;
    });
    if (es != Acad::eOk) return es;
    if (filer->atSubclassData(L"AcDbText")) {
        es = filing::read_subclass(filer, [this](const resbuf& rb) {
            if (rb.restype != 73) return Acad::eOk;
            if (rb.resval.rint < AcDb::kTextBase || rb.resval.rint > AcDb::kTextTop) {
                return Acad::eBadDxfSequence;
            }
            mVertical = static_cast<AcDb::TextVertMode>(rb.resval.rint);
            return Acad::eOk;
        });
        if (es != Acad::eOk) return es;
    }
    const korv_host::Ocs ocs(mNormal);
    mPosition = ocs.to_world(ocs_position);
    mAlignment = ocs.to_world(ocs_alignment);
    return Acad::eOk;
}

// ----- attribute definitions -----------------------------------------------------------------

AcDbAttributeDefinition::AcDbAttributeDefinition() = default;

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text,
                                                 const ACHAR* tag, const ACHAR* prompt,
                                                 AcDbObjectId style)
    : AcDbText(position, text, style), mTag(tag ? tag : L""), mPrompt(prompt ? prompt : L"") {}

AcDbAttributeDefinition::~AcDbAttributeDefinition() = default;

ACHAR* AcDbAttributeDefinition::tag() const {
    return heap_copy(mTag);
}

Acad::ErrorStatus AcDbAttributeDefinition::tag(AcString& tag) const {
    tag = mTag;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setTag(const ACHAR* tag) {
    assertWriteEnabled();
    if (!valid_tag(tag)) return Acad::eInvalidInput;
    mTag = tag;
    return Acad::eOk;
}

ACHAR* AcDbAttributeDefinition::prompt() const {
    return heap_copy(mPrompt);
}

Acad::ErrorStatus AcDbAttributeDefinition::prompt(AcString& prompt) const {
    prompt = mPrompt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const ACHAR* prompt) {
    assertWriteEnabled();
    if (prompt == nullptr) return Acad::eInvalidInput;
    mPrompt = prompt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setInvisible(Adesk::Boolean value) {
    assertWriteEnabled();
    mInvisible = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setConstant(Adesk::Boolean value) {
    assertWriteEnabled();
    mConstant = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setVerifiable(Adesk::Boolean value) {
    assertWriteEnabled();
    mVerifiable = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setPreset(Adesk::Boolean value) {
    assertWriteEnabled();
    mPreset = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setFieldLength(Adesk::UInt16 length) {
    assertWriteEnabled();
    mFieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setLockPositionInBlock(bool bValue) {
    assertWriteEnabled();
    mLockPosition = bValue;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbText::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbAttributeDefinition");
    write_attribute_fields(filer, &mPrompt, mTag,
                           pack_flags(mInvisible, mConstant, mVerifiable, mPreset), mFieldLength,
                           verticalMode(), mLockPosition);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbText::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = filing::expect_subclass(filer, L"AcDbAttributeDefinition")) != Acad::eOk) return es;
    int int8_seen = 0;
    const Attribute_fields fields{mTag,        mFieldLength, mInvisible,   mConstant,
                                  mVerifiable, mPreset,      mLockPosition};
    es = filing::read_subclass(filer, [&](const resbuf& rb) {
        return read_attribute_item(rb, fields, *this, &mPrompt, int8_seen);
    });
    if (es != Acad::eOk) return es;
    if (mTag.empty())
        return filer->setError(Acad::eBadDxfSequence, L"attribute definition without tag");
    return Acad::eOk;
}

// ----- attributes ------------------------------------------------------------------------------

AcDbAttribute::AcDbAttribute() = default;

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                             AcDbObjectId style)
    : AcDbText(position, text, style), mTag(tag ? tag : L"") {}

AcDbAttribute::~AcDbAttribute() = default;

ACHAR* AcDbAttribute::tag() const {
    return heap_copy(mTag);
}

Acad::ErrorStatus AcDbAttribute::tag(AcString& tag) const {
    tag = mTag;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setTag(const ACHAR* tag) {
    assertWriteEnabled();
    if (!valid_tag(tag)) return Acad::eInvalidInput;
    mTag = tag;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setInvisible(Adesk::Boolean value) {
    assertWriteEnabled();
    mInvisible = value;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setFieldLength(Adesk::UInt16 length) {
    assertWriteEnabled();
    mFieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setLockPositionInBlock(bool bValue) {
    assertWriteEnabled();
    mLockPosition = bValue;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcGeMatrix3d& blkXform) {
    return transformBy(blkXform);
}

Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcDbAttributeDefinition* pAttdef,
                                                       const AcGeMatrix3d& blkXform) {
    assertWriteEnabled();
    if (pAttdef == nullptr) return Acad::eNullObjectPointer;
    copyTextFrom(*pAttdef);
    mTag = pAttdef->mTag;
    mFieldLength = pAttdef->mFieldLength;
    mInvisible = pAttdef->mInvisible;
    mConstant = pAttdef->mConstant;
    mVerifiable = pAttdef->mVerifiable;
    mPreset = pAttdef->mPreset;
    mLockPosition = pAttdef->mLockPosition;
    return transformBy(blkXform);
}

Acad::ErrorStatus AcDbAttribute::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbText::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbAttribute");
    write_attribute_fields(filer, nullptr, mTag,
                           pack_flags(mInvisible, mConstant, mVerifiable, mPreset), mFieldLength,
                           verticalMode(), mLockPosition);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAttribute::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbText::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = filing::expect_subclass(filer, L"AcDbAttribute")) != Acad::eOk) return es;
    int int8_seen = 0;
    const Attribute_fields fields{mTag,        mFieldLength, mInvisible,   mConstant,
                                  mVerifiable, mPreset,      mLockPosition};
    es = filing::read_subclass(filer, [&](const resbuf& rb) {
        return read_attribute_item(rb, fields, *this, nullptr, int8_seen);
    });
    if (es != Acad::eOk) return es;
    if (mTag.empty()) return filer->setError(Acad::eBadDxfSequence, L"attribute without tag");
    return Acad::eOk;
}

// ----- the attributes of block references --------------------------------------------------------

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& attrId, AcDbAttribute* pAttr) {
    attrId.setNull();
    if (pAttr == nullptr) return Acad::eNullObjectPointer;
    if (objectId().isNull()) return Acad::eNoDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!pAttr->objectId().isNull()) return Acad::eAlreadyInDb;
    Acad::ErrorStatus es =
        korv_host::fault_status(HostOp::AppendEntity, static_cast<AcDbStub*>(objectId()));
    if (es != Acad::eOk) return es;
    AcDbDatabase* db = database();
    if (db->impl().handles_exhausted()) return korv_host::DatabaseImpl::kHandlesExhausted;
    attrId = db->impl().add_object(pAttr, objectId());
    if (pAttr->layerId().isNull()) korv_host::ObjectAccess::set_layer_id(pAttr, db->clayer());
    mAttributeIds.push_back(attrId);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* pAttr) {
    AcDbObjectId ignored;
    return appendAttribute(ignored, pAttr);
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
    return new AcDbObjectIterator(mAttributeIds);
}

Acad::ErrorStatus AcDbBlockReference::openAttribute(AcDbAttribute*& pAttr, AcDbObjectId attId,
                                                    AcDb::OpenMode openMode, bool openErasedOne) {
    pAttr = nullptr;
    if (std::find(mAttributeIds.begin(), mAttributeIds.end(), attId) == mAttributeIds.end()) {
        return Acad::eInvalidInput;
    }
    return acdbOpenObject(pAttr, attId, openMode, openErasedOne);
}

// ----- object iterators
// ----------------------------------------------------------------------------

AcDbObjectIterator::AcDbObjectIterator(std::vector<AcDbObjectId> ids) : mIds(std::move(ids)) {
    ++korv_host::ledger().live_iterators;
    skipErased(false);
}

AcDbObjectIterator::~AcDbObjectIterator() {
    --korv_host::ledger().live_iterators;
}

bool AcDbObjectIterator::done() const {
    return mIndex < 0 || mIndex >= static_cast<long>(mIds.size());
}

void AcDbObjectIterator::start(bool atEnd) {
    mIndex = atEnd ? static_cast<long>(mIds.size()) - 1 : 0;
    skipErased(atEnd);
}

void AcDbObjectIterator::step(bool backwards, bool skipErasedObjects) {
    if (done()) return;
    mIndex += backwards ? -1 : 1;
    if (skipErasedObjects) skipErased(backwards);
}

void AcDbObjectIterator::skipErased(bool backwards) {
    while (!done() && (!mIds[mIndex].isValid() || mIds[mIndex].isErased())) {
        mIndex += backwards ? -1 : 1;
    }
}

AcDbObjectId AcDbObjectIterator::objectId() const {
    return done() ? AcDbObjectId() : mIds[mIndex];
}

AcDbEntity* AcDbObjectIterator::entity() {
    return peek<AcDbEntity>(objectId());
}

bool AcDbObjectIterator::seek(AcDbObjectId id) {
    auto found = std::find(mIds.begin(), mIds.end(), id);
    if (found == mIds.end()) return false;
    mIndex = static_cast<long>(found - mIds.begin());
    return true;
}

bool AcDbObjectIterator::seek(const AcDbEntity* pEnt) {
    return pEnt != nullptr && seek(pEnt->objectId());
}
