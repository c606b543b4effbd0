// Block table records (entity containers, external references) and block references.
#include <dbents.h>

#include <algorithm>
#include <cmath>

#include "host_state.h"

using host_test::HostOp;
using korv_host::peek;

ACRX_DXF_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent,
                        0, INSERT, AutoCAD);
ACRX_NO_CONS_DEFINE_MEMBERS(AcDbCurve, AcDbEntity);
ACRX_DXF_DEFINE_MEMBERS(AcDbLine, AcDbCurve, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, LINE,
                        AutoCAD);
ACRX_DXF_DEFINE_MEMBERS(AcDbArc, AcDbCurve, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, ARC,
                        AutoCAD);

namespace {

AcDbStub* stub_of(const AcDbObject* object) {
    return object->objectId();
}

// The record whose entities an iteration of `record` walks: the record itself, or the
// model space of the drawing a resolved reference points at.
const AcDbBlockTableRecord* walked_record(const AcDbBlockTableRecord* record) {
    if (record->xrefStatus() != AcDb::kXrfResolved) return record;
    AcDbDatabase* xref = record->xrefDatabase();
    auto* table = xref ? peek<AcDbBlockTable>(xref->blockTableId()) : nullptr;
    if (table == nullptr) return record;
    for (const AcDbObjectId& id : table->recordIds()) {
        auto* candidate = peek<AcDbBlockTableRecord>(id);
        if (candidate && candidate->nameText() == ACDB_MODEL_SPACE) return candidate;
    }
    return record;
}

void register_reference(AcDbObjectId block, AcDbObjectId reference) {
    if (auto* record = peek<AcDbBlockTableRecord>(block)) {
        record->referenceIds().push_back(reference);
    }
}

void unregister_reference(AcDbObjectId block, AcDbObjectId reference) {
    if (auto* record = peek<AcDbBlockTableRecord>(block)) {
        auto& ids = record->referenceIds();
        ids.erase(std::remove(ids.begin(), ids.end(), reference), ids.end());
    }
}

}  // namespace

// ----- block table records -----------------------------------------------------------------

AcDbBlockTableRecord::AcDbBlockTableRecord() = default;
AcDbBlockTableRecord::~AcDbBlockTableRecord() {
    for (AcDbEntity* entity : mPendingEntities) delete entity;
}

void AcDbBlockTableRecord::addPendingEntities() {
    std::vector<AcDbEntity*> pending;
    pending.swap(mPendingEntities);
    for (AcDbEntity* entity : pending) {
        AcDbObjectId id;
        if (appendAcDbEntity(id, entity) == Acad::eOk) {
            entity->close();
        } else {
            delete entity;
        }
    }
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& pOutputId,
                                                         AcDbEntity* pEntity) {
    pOutputId.setNull();
    if (pEntity == nullptr) return Acad::eNullEntityPointer;
    if (!pEntity->objectId().isNull()) return Acad::eAlreadyInDb;
    if (objectId().isNull()) {
        if (std::find(mPendingEntities.begin(), mPendingEntities.end(), pEntity) !=
            mPendingEntities.end()) {
            return Acad::eAlreadyInDb;
        }
        mPendingEntities.push_back(pEntity);
        return Acad::eOk;
    }
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::AppendEntity, stub_of(this));
    if (es != Acad::eOk) return es;
    AcDbDatabase* db = database();
    if (db->impl().handles_exhausted()) return korv_host::DatabaseImpl::kHandlesExhausted;
    pOutputId = db->impl().add_object(pEntity, objectId());
    if (pEntity->layerId().isNull()) {
        korv_host::ObjectAccess::set_layer_id(pEntity, db->impl().layer_zero);
    }
    mEntityIds.push_back(pOutputId);
    if (auto* reference = AcDbBlockReference::cast(pEntity)) {
        register_reference(reference->blockTableRecord(), pOutputId);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* pEntity) {
    AcDbObjectId ignored;
    return appendAcDbEntity(ignored, pEntity);
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& pIterator,
                                                    bool atBeginning, bool skipDeleted) const {
    pIterator = nullptr;
    if (!isReadEnabled()) {
        korv_host::report_violation("newIterator on a block record that is not open: " +
                                    korv_host::describe(this));
        return Acad::eNotOpenForRead;
    }
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::NewEntityIterator, stub_of(this));
    if (es != Acad::eOk) return es;
    pIterator = new AcDbBlockTableRecordIterator(this, &walked_record(this)->entityIds());
    pIterator->start(atBeginning, skipDeleted);
    return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const {
    return nameText() == ACDB_MODEL_SPACE || nameText().rfind(L"*Paper_Space", 0) == 0;
}

bool AcDbBlockTableRecord::isAnonymous() const {
    return !isLayout() && !nameText().empty() && nameText()[0] == L'*';
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
    for (const AcDbObjectId& id : mEntityIds) {
        auto* entity = peek<AcDbEntity>(id);
        if (entity && !entity->isErased() && entity->isKindOf(AcDbAttributeDefinition::desc())) {
            return true;
        }
    }
    return false;
}

AcDb::XrefStatus AcDbBlockTableRecord::xrefStatus() const {
    return isFromExternalReference() ? mXref.status : AcDb::kXrfNotAnXref;
}

AcDbDatabase* AcDbBlockTableRecord::xrefDatabase(bool incUnres) const {
    if (!isFromExternalReference()) return nullptr;
    if (mXref.status == AcDb::kXrfResolved || incUnres) return mXref.database;
    return nullptr;
}

Acad::ErrorStatus AcDbBlockTableRecord::getBlockReferenceIds(AcDbObjectIdArray& ids, bool,
                                                             bool) const {
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::GetBlockReferenceIds, stub_of(this));
    if (es != Acad::eOk) return es;
    const AcDbBlockTableRecord* source = this;
    if (!mXref.referencesFrom.isNull()) {
        source = peek<AcDbBlockTableRecord>(mXref.referencesFrom);
        if (source == nullptr) return Acad::eOk;
    }
    for (const AcDbObjectId& id : source->mReferenceIds) {
        if (id.isValid() && !id.isErased()) ids.append(id);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& pt) {
    assertWriteEnabled();
    mOrigin = pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::pathName(const ACHAR*& pPath) const {
    pPath = mPathName.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setPathName(const ACHAR* pathStr) {
    assertWriteEnabled();
    mPathName = pathStr ? pathStr : L"";
    if (!mPathName.empty() && mXref.status == AcDb::kXrfNotAnXref) {
        mXref.status = AcDb::kXrfUnresolved;
    }
    return Acad::eOk;
}

// ----- entity iterators ------------------------------------------------------------------

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* record,
                                                           const std::vector<AcDbObjectId>* ids)
    : mRecord(const_cast<AcDbBlockTableRecord*>(record)), mIds(ids) {
    ++korv_host::ledger().live_iterators;
}

AcDbBlockTableRecordIterator::~AcDbBlockTableRecordIterator() {
    --korv_host::ledger().live_iterators;
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    mIndex = atBeginning ? 0 : static_cast<long>(mIds->size()) - 1;
    if (skipDeleted) skipErased(atBeginning);
}

bool AcDbBlockTableRecordIterator::done() const {
    return mIndex < 0 || mIndex >= static_cast<long>(mIds->size());
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    if (done()) return;
    mIndex += forward ? 1 : -1;
    if (skipDeleted) skipErased(forward);
}

void AcDbBlockTableRecordIterator::skipErased(bool forward) {
    while (!done()) {
        const AcDbObjectId& id = (*mIds)[mIndex];
        if (id.isValid() && !id.isErased()) return;
        mIndex += forward ? 1 : -1;
    }
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& entityId) const {
    if (done()) return Acad::eInvalidIndex;
    entityId = (*mIds)[mIndex];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& pEntity,
                                                          AcDb::OpenMode openMode,
                                                          bool openErasedEntity) const {
    pEntity = nullptr;
    if (done()) return Acad::eInvalidIndex;
    return acdbOpenObject(pEntity, (*mIds)[mIndex], openMode, openErasedEntity);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(AcDbObjectId id) {
    for (size_t i = 0; i < mIds->size(); ++i) {
        if ((*mIds)[i] == id) {
            mIndex = static_cast<long>(i);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(const AcDbEntity* pEntity) {
    return pEntity ? seek(pEntity->objectId()) : Acad::eNullEntityPointer;
}

// ----- block references ------------------------------------------------------------------

namespace {

// The object coordinate system of a normal: the host's arbitrary-axis rule.
void ocs_axes(const AcGeVector3d& normal, AcGeVector3d& x_axis, AcGeVector3d& y_axis) {
    const double limit = 1.0 / 64.0;
    AcGeVector3d n = normal;
    n.normalize();
    if (std::fabs(n.x) < limit && std::fabs(n.y) < limit) {
        x_axis = AcGeVector3d::kYAxis.crossProduct(n);
    } else {
        x_axis = AcGeVector3d::kZAxis.crossProduct(n);
    }
    x_axis.normalize();
    y_axis = n.crossProduct(x_axis);
    y_axis.normalize();
}

AcGeMatrix3d columns(const AcGeVector3d& x, const AcGeVector3d& y, const AcGeVector3d& z,
                     const AcGeVector3d& t) {
    AcGeMatrix3d m;
    const AcGeVector3d* axes[] = {&x, &y, &z, &t};
    for (int c = 0; c < 4; ++c) {
        m.entry[0][c] = axes[c]->x;
        m.entry[1][c] = axes[c]->y;
        m.entry[2][c] = axes[c]->z;
        m.entry[3][c] = c == 3 ? 1.0 : 0.0;
    }
    return m;
}

}  // namespace

AcDbBlockReference::AcDbBlockReference() = default;
AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec)
    : mBlockId(blockTableRec), mPosition(position) {}
AcDbBlockReference::~AcDbBlockReference() = default;

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId newVal) {
    assertWriteEnabled();
    if (!objectId().isNull()) {
        unregister_reference(mBlockId, objectId());
        register_reference(newVal, objectId());
    }
    mBlockId = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& newVal) {
    assertWriteEnabled();
    mPosition = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& scale) {
    assertWriteEnabled();
    if (scale.sx == 0.0 || scale.sy == 0.0 || scale.sz == 0.0) return Acad::eInvalidInput;
    mScale = scale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double newVal) {
    assertWriteEnabled();
    mRotation = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& newVal) {
    assertWriteEnabled();
    if (newVal.isZeroLength()) return Acad::eInvalidInput;
    mNormal = newVal.normal();
    return Acad::eOk;
}

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
    AcGeVector3d ocs_x, ocs_y;
    ocs_axes(mNormal, ocs_x, ocs_y);
    const double c = std::cos(mRotation), s = std::sin(mRotation);
    // Block axes after rotation in the OCS, then scaled.
    const AcGeVector3d x_axis = (ocs_x * c + ocs_y * s) * mScale.sx;
    const AcGeVector3d y_axis = (ocs_y * c - ocs_x * s) * mScale.sy;
    const AcGeVector3d z_axis = mNormal.normal() * mScale.sz;
    AcGePoint3d origin;
    if (auto* record = peek<AcDbBlockTableRecord>(mBlockId)) origin = record->origin();
    const AcGeVector3d shift = x_axis * origin.x + y_axis * origin.y + z_axis * origin.z;
    return columns(x_axis, y_axis, z_axis, mPosition.asVector() - shift);
}

Acad::ErrorStatus AcDbBlockReference::setBlockTransform(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGeVector3d x(xform.entry[0][0], xform.entry[1][0], xform.entry[2][0]);
    AcGeVector3d y(xform.entry[0][1], xform.entry[1][1], xform.entry[2][1]);
    AcGeVector3d z(xform.entry[0][2], xform.entry[1][2], xform.entry[2][2]);
    if (x.isZeroLength() || y.isZeroLength() || z.isZeroLength()) return Acad::eInvalidInput;
    // A mirrored transform keeps a positive x scale and flips z.
    const double handedness = x.crossProduct(y).dotProduct(z) < 0 ? -1.0 : 1.0;
    mScale = AcGeScale3d(x.length(), y.length(), z.length() * handedness);
    mNormal = (z * handedness).normal();
    AcGeVector3d ocs_x, ocs_y;
    ocs_axes(mNormal, ocs_x, ocs_y);
    const AcGeVector3d unit_x = x.normal();
    mRotation = std::atan2(unit_x.dotProduct(ocs_y), unit_x.dotProduct(ocs_x));
    AcGePoint3d origin;
    if (auto* record = peek<AcDbBlockTableRecord>(mBlockId)) origin = record->origin();
    mPosition = xform * origin;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& xform) {
    return setBlockTransform(xform * blockTransform());
}

// ----- lines and arcs --------------------------------------------------------------------

AcDbCurve::~AcDbCurve() = default;
AcDbLine::~AcDbLine() = default;
AcDbArc::~AcDbArc() = default;

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& point) {
    assertWriteEnabled();
    mStart = point;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& point) {
    assertWriteEnabled();
    mEnd = point;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    mStart = xform * mStart;
    mEnd = xform * mEnd;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& point) {
    assertWriteEnabled();
    mCenter = point;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setRadius(double radius) {
    assertWriteEnabled();
    if (radius <= 0.0) return Acad::eInvalidInput;
    mRadius = radius;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setStartAngle(double angle) {
    assertWriteEnabled();
    mStartAngle = angle;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setEndAngle(double angle) {
    assertWriteEnabled();
    mEndAngle = angle;
    return Acad::eOk;
}
