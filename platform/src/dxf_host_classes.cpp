// How the host's own classes file themselves in DXF: the common data of every object and
// entity, layers, inserts, lines, arcs, and the kept data of unknown entities.
#include <acdbads.h>
#include <dbents.h>
#include <dbfiler.h>
#include <dbproxy.h>
#include <dbsymtb.h>

#include <cmath>
#include <cstdlib>

#include "db_filing.h"
#include "dxf_filer.h"
#include "host_state.h"
#include "ocs.h"
#include "text.h"

using korv_host::peek;
using korv_host::filing::expect_subclass;
using korv_host::filing::point_of;
using korv_host::filing::read_subclass;
using korv_host::filing::vector_of;

namespace {

constexpr double kDegrees = 180.0 / M_PI;

std::wstring name_of(AcDbObjectId recordId) {
    auto* record = AcDbSymbolTableRecord::cast(peek<AcDbObject>(recordId));
    return record ? record->nameText() : std::wstring();
}

// The record of that name in the table, or the null id.
AcDbObjectId find_record(AcDbObjectId tableId, const std::wstring& name) {
    auto* table = AcDbSymbolTable::cast(peek<AcDbObject>(tableId));
    if (table == nullptr) return AcDbObjectId();
    return table->findNamed(korv_host::upper_case(name), false);
}

// A layer an entity of the file names but the file's layer table lacks is made, as the
// host does when it reads such a file.
AcDbObjectId layer_named(AcDbDatabase* db, const std::wstring& name) {
    AcDbObjectId id = find_record(db->layerTableId(), name);
    if (!id.isNull() || name.empty()) return id;
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return id;
    auto* record = new AcDbLayerTableRecord();
    record->setName(name.c_str());
    if (table->add(id, record) == Acad::eOk) {
        record->close();
    } else {
        delete record;
    }
    table->close();
    return id;
}

bool in_paper_space(const AcDbEntity* entity) {
    // An attribute's owner is its insert: it is in paper space when the insert is.
    AcDbObject* owner = peek<AcDbObject>(entity->ownerId());
    if (auto* insert = AcDbBlockReference::cast(owner)) return in_paper_space(insert);
    auto* record = AcDbBlockTableRecord::cast(owner);
    return record != nullptr && record->nameText().rfind(L"*Paper_Space", 0) == 0;
}

}  // namespace

// ----- objects and entities -----------------------------------------------------------------

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler*) {
    return Acad::eOk;
}
Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler*) const {
    return Acad::eOk;
}

// The object's handle, its persistent reactors ({ACAD_REACTORS}), its extension dictionary
// ({ACAD_XDICTIONARY}) and its owner. Reading sets the owner only for an object that has
// none yet (one its container did not adopt: dictionaries and other objects of OBJECTS).
Acad::ErrorStatus AcDbObject::dxfOutFields(AcDbDxfFiler* filer) const {
    filer->writeHandle(AcDb::kDxfHandle, objectId().handle());
    std::vector<AcDbObjectId> reactors;
    for (const AcDbObjectId& id : persistentReactorIds()) {
        if (id.isValid() && !id.isErased() && id.database() == database()) reactors.push_back(id);
    }
    if (!reactors.empty()) {
        filer->writeString(AcDb::kDxfControlString, L"{ACAD_REACTORS");
        for (const AcDbObjectId& id : reactors) filer->writeObjectId(AcDb::kDxfSoftPointerId, id);
        filer->writeString(AcDb::kDxfControlString, L"}");
    }
    if (mExtensionDictionary.isValid() && !mExtensionDictionary.isErased()) {
        filer->writeString(AcDb::kDxfControlString, L"{ACAD_XDICTIONARY");
        filer->writeObjectId(AcDb::kDxfHardOwnershipId, mExtensionDictionary);
        filer->writeString(AcDb::kDxfControlString, L"}");
    }
    return filer->writeObjectId(AcDb::kDxfSoftPointerId, ownerId());
}

Acad::ErrorStatus AcDbObject::dxfInFields(AcDbDxfFiler* filer) {
    resbuf rb{};
    Acad::ErrorStatus es;
    std::wstring group;  // the {ACAD_...} group being read, empty outside one
    while ((es = filer->readResBuf(&rb)) == Acad::eOk) {
        AcDbObjectId id;
        if (rb.restype == AcDb::kDxfControlString) {
            group = rb.resval.rstring[0] == L'{' ? rb.resval.rstring + 1 : L"";
            continue;
        }
        if (rb.restype == AcDb::kDxfHandle) continue;
        const bool reference =
            rb.restype == AcDb::kDxfSoftPointerId || rb.restype == AcDb::kDxfHardOwnershipId;
        if (!reference && group.empty()) {
            filer->pushBackItem();
            break;
        }
        if (reference) acdbGetObjectId(id, rb.resval.rlname);
        if (id.isNull() || id == objectId()) continue;
        if (group == L"ACAD_REACTORS" && !hasPersistentReactor(id)) {
            reactorIds().push_back(id);
        } else if (group == L"ACAD_XDICTIONARY") {
            mExtensionDictionary = id;
        } else if (group.empty() && rb.restype == AcDb::kDxfSoftPointerId && mOwnerId.isNull()) {
            mOwnerId = id;
        }
    }
    if (es != Acad::eOk && es != Acad::eEndOfFile) return es;
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbObject::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbEntity");
    if (in_paper_space(this)) filer->writeInt16(static_cast<AcDb::DxfCode>(67), 1);
    const std::wstring layer_name = name_of(mLayerId);
    filer->writeString(AcDb::kDxfLayerName, layer_name.empty() ? L"0" : layer_name.c_str());
    if (mColorIndex != 256)
        filer->writeInt16(AcDb::kDxfColor, static_cast<Adesk::Int16>(mColorIndex));
    if (mLineWeight != AcDb::kLnWtByLayer) {
        filer->writeInt16(AcDb::kDxfLineWeight, static_cast<Adesk::Int16>(mLineWeight));
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = expect_subclass(filer, L"AcDbEntity")) != Acad::eOk) return es;
    return read_subclass(filer, [this](const resbuf& rb) {
        switch (rb.restype) {
            case AcDb::kDxfLayerName: {
                AcDbObjectId layer = layer_named(database(), rb.resval.rstring);
                if (layer.isNull()) return Acad::eBadDxfSequence;
                mLayerId = layer;
                break;
            }
            case AcDb::kDxfColor:
                mColorIndex = static_cast<Adesk::UInt16>(
                    std::abs(rb.resval.rint) > 257 ? 256 : std::abs(rb.resval.rint));
                break;
            case AcDb::kDxfLineWeight:
                mLineWeight = static_cast<AcDb::LineWeight>(rb.resval.rint);
                break;
            default:
                break;  // linetype, transparency, plot style ... are not kept
        }
        return Acad::eOk;
    });
}

// ----- table records --------------------------------------------------------------------------

Acad::ErrorStatus AcDbSymbolTableRecord::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbObject::dxfOutFields(filer);
    return filer->writeString(AcDb::kDxfSubclass, L"AcDbSymbolTableRecord");
}

Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return expect_subclass(filer, L"AcDbSymbolTableRecord");
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbSymbolTableRecord::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbLayerTableRecord");
    filer->writeString(AcDb::kDxfSymbolTableName, nameText().c_str());
    filer->writeInt16(AcDb::kDxfInt16,
                      static_cast<Adesk::Int16>((mFrozen ? 1 : 0) | (mLocked ? 4 : 0)));
    const auto color = static_cast<Adesk::Int16>(mColorIndex == 0 ? 7 : mColorIndex);
    filer->writeInt16(AcDb::kDxfColor, mOff ? static_cast<Adesk::Int16>(-color) : color);
    filer->writeString(AcDb::kDxfLinetypeName, L"Continuous");
    return filer->writeInt16(AcDb::kDxfLineWeight, AcDb::kLnWtByLwDefault);
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = expect_subclass(filer, L"AcDbLayerTableRecord")) != Acad::eOk) return es;
    return read_subclass(filer, [this](const resbuf& rb) {
        if (rb.restype == AcDb::kDxfInt16) {
            mFrozen = (rb.resval.rint & 1) != 0;
            mLocked = (rb.resval.rint & 4) != 0;
        } else if (rb.restype == AcDb::kDxfColor) {
            mOff = rb.resval.rint < 0;
            const int color = std::abs(rb.resval.rint);
            mColorIndex = static_cast<Adesk::UInt16>(color >= 1 && color <= 255 ? color : 7);
        }
        return Acad::eOk;
    });
}

// ----- inserts, lines, arcs ---------------------------------------------------------------------

Acad::ErrorStatus AcDbBlockReference::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbEntity::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbBlockReference");
    for (const AcDbObjectId& id : mAttributeIds) {
        if (id.isValid() && !id.isErased()) {
            filer->writeInt16(AcDb::kDxfHasSubentities, 1);  // attributes follow
            break;
        }
    }
    filer->writeString(AcDb::kDxfBlockName, name_of(mBlockId).c_str());
    filer->writePoint3d(AcDb::kDxfXCoord, korv_host::Ocs(mNormal).from_world(mPosition));
    filer->writeScale3d(static_cast<AcDb::DxfCode>(41), mScale);
    filer->writeAngle(AcDb::kDxfAngle, mRotation);
    return filer->writeVector3d(AcDb::kDxfNormalX, mNormal);
}

Acad::ErrorStatus AcDbBlockReference::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = expect_subclass(filer, L"AcDbBlockReference")) != Acad::eOk) return es;
    AcGePoint3d ocs_position;
    es = read_subclass(filer, [&](const resbuf& rb) {
        switch (rb.restype) {
            case AcDb::kDxfBlockName: {
                AcDbObjectId block = find_record(database()->blockTableId(), rb.resval.rstring);
                if (block.isNull()) return Acad::eDwgNeedsRecovery;  // inserts nothing
                return setBlockTableRecord(block);
            }
            case AcDb::kDxfXCoord:
                ocs_position = point_of(rb);
                break;
            case 41:
                mScale.sx = rb.resval.rreal;
                break;
            case 42:
                mScale.sy = rb.resval.rreal;
                break;
            case 43:
                mScale.sz = rb.resval.rreal;
                break;
            case AcDb::kDxfAngle:
                mRotation = rb.resval.rreal / kDegrees;
                break;
            case AcDb::kDxfNormalX:
                if (vector_of(rb).isZeroLength()) return Acad::eBadDxfSequence;
                mNormal = vector_of(rb).normal();
                break;
            default:
                break;  // attribute flag, array layout: not kept
        }
        return Acad::eOk;
    });
    if (es != Acad::eOk) return es;
    // A zero scale is kept, as the host keeps it: such inserts are common in other
    // programs' drawings (a flat block scaled 0 in Z) and show nothing wrong in plan.
    if (mBlockId.isNull()) return filer->setError(Acad::eBadDxfSequence, L"insert without block");
    mPosition = korv_host::Ocs(mNormal).to_world(ocs_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbEntity::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbLine");
    filer->writePoint3d(AcDb::kDxfXCoord, mStart);
    return filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mEnd);
}

Acad::ErrorStatus AcDbLine::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = expect_subclass(filer, L"AcDbLine")) != Acad::eOk) return es;
    return read_subclass(filer, [this](const resbuf& rb) {
        if (rb.restype == 10) mStart = point_of(rb);
        if (rb.restype == 11) mEnd = point_of(rb);
        return Acad::eOk;
    });
}

Acad::ErrorStatus AcDbArc::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbEntity::dxfOutFields(filer);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbCircle");
    filer->writePoint3d(AcDb::kDxfXCoord, korv_host::Ocs(mNormal).from_world(mCenter));
    filer->writeDouble(AcDb::kDxfReal, mRadius);
    filer->writeVector3d(AcDb::kDxfNormalX, mNormal);
    filer->writeString(AcDb::kDxfSubclass, L"AcDbArc");
    filer->writeAngle(AcDb::kDxfAngle, mStartAngle);
    return filer->writeAngle(static_cast<AcDb::DxfCode>(51), mEndAngle);
}

Acad::ErrorStatus AcDbArc::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = expect_subclass(filer, L"AcDbCircle")) != Acad::eOk) return es;
    AcGePoint3d ocs_center;
    es = read_subclass(filer, [&](const resbuf& rb) {
        if (rb.restype == AcDb::kDxfXCoord) ocs_center = point_of(rb);
        if (rb.restype == AcDb::kDxfReal) mRadius = rb.resval.rreal;
        if (rb.restype == AcDb::kDxfNormalX) {
            if (vector_of(rb).isZeroLength()) return Acad::eBadDxfSequence;
            mNormal = vector_of(rb).normal();
        }
        return Acad::eOk;
    });
    if (es != Acad::eOk) return es;
    if ((es = expect_subclass(filer, L"AcDbArc")) != Acad::eOk) return es;
    es = read_subclass(filer, [this](const resbuf& rb) {
        if (rb.restype == AcDb::kDxfAngle) mStartAngle = rb.resval.rreal / kDegrees;
        if (rb.restype == 51) mEndAngle = rb.resval.rreal / kDegrees;
        return Acad::eOk;
    });
    if (es != Acad::eOk) return es;
    // A zero radius (a point drawn as an arc) is kept, as the host keeps it.
    if (mRadius < 0.0) return filer->setError(Acad::eBadDxfSequence, L"arc of negative radius");
    mCenter = korv_host::Ocs(mNormal).to_world(ocs_center);
    return Acad::eOk;
}

// ----- unknown entities --------------------------------------------------------------------

ACRX_DXF_DEFINE_MEMBERS(AcDbProxyEntity, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        ACAD_PROXY_ENTITY, AutoCAD);

AcDbProxyEntity::AcDbProxyEntity() = default;
AcDbProxyEntity::~AcDbProxyEntity() = default;

const ACHAR* AcDbProxyEntity::originalClassName() const {
    return mClassName.c_str();
}
const ACHAR* AcDbProxyEntity::originalDxfName() const {
    return mDxfName.c_str();
}
const ACHAR* AcDbProxyEntity::originalAppName() const {
    return mAppName.c_str();
}

void AcDbProxyEntity::setOriginal(const std::wstring& className, const std::wstring& dxfName,
                                  const std::wstring& appName) {
    mClassName = className;
    mDxfName = dxfName;
    mAppName = appName;
}

Acad::ErrorStatus AcDbProxyEntity::dxfOutFields(AcDbDxfFiler* filer) const {
    AcDbEntity::dxfOutFields(filer);
    auto* out = dynamic_cast<korv_host::dxf::OutFiler*>(filer);
    if (out == nullptr) return filer->filerStatus();
    for (const Item& item : mItems) out->writeRaw(item.code, korv_host::narrow(item.text));
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbProxyEntity::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    auto* in = dynamic_cast<korv_host::dxf::InFiler*>(filer);
    if (in == nullptr) return Acad::eOk;
    // The common part reads up to the next subclass marker, or the whole object when the
    // file has none, and passes over the groups it does not know: the kept data is every
    // group but those the common part writes back itself, from the object's start.
    in->rewind();
    bool common = true;
    korv_host::dxf::Tag tag;
    while (in->readRaw(tag)) {
        // The class's own data, or the vertices or attributes that follow.
        if (tag.code == 0 || (tag.code == 100 && tag.value != "AcDbEntity")) common = false;
        const bool written = tag.code == 5 || tag.code == 8 || tag.code == 62 || tag.code == 67 ||
                             tag.code == 100 || tag.code == 102 || tag.code == 330 ||
                             tag.code == 360 || tag.code == 370;
        if (!(common && written)) mItems.push_back({tag.code, korv_host::widen(tag.value)});
    }
    return Acad::eOk;
}
