// Clip values of inserts and frozen-layer tests.
#include "StdAfx.h"

#include <unordered_map>

#include "korv_database_services.h"
#include "library_call.h"

#include <host_test/side_data.h>

namespace {

struct Clip {
    AcGeVector3d normal;
    bool front_on = false;
    double front_depth = 0.0;
    bool back_on = false;
    double back_depth = 0.0;
};

// Clips by insert. An insert's clip lives as long as the insert's identity; a stale entry
// for an insert that is gone is never looked up again, since ids are never reused.
std::unordered_map<const AcDbStub*, Clip>& clips() {
    static std::unordered_map<const AcDbStub*, Clip> instance;
    return instance;
}

// Clips travel with their inserts through drawing files as the library's side data
// (application KORVDBX): "CLIP", the direction (1013), then front on/depth and back on/depth
// (1070/1040 each).
Acad::ErrorStatus write_clip(const AcDbObject& object, AcDbDxfFiler& filer) {
    auto found = clips().find(object.objectId());
    if (found == clips().end()) return Acad::eOk;
    const Clip& clip = found->second;
    filer.writeString(AcDb::kDxfXdAsciiString, L"CLIP");
    filer.writeVector3d(AcDb::kDxfXdWorldXDir, clip.normal);
    filer.writeInt16(AcDb::kDxfXdInteger16, clip.front_on ? 1 : 0);
    filer.writeDouble(AcDb::kDxfXdReal, clip.front_depth);
    filer.writeInt16(AcDb::kDxfXdInteger16, clip.back_on ? 1 : 0);
    filer.writeDouble(AcDb::kDxfXdReal, clip.back_depth);
    return filer.filerStatus();
}

Acad::ErrorStatus read_clip(AcDbObject& object, AcDbDxfFiler& filer) {
    resbuf items[6] = {};
    const short expected[6] = {AcDb::kDxfXdAsciiString, AcDb::kDxfXdWorldXDir,
                               AcDb::kDxfXdInteger16,   AcDb::kDxfXdReal,
                               AcDb::kDxfXdInteger16,   AcDb::kDxfXdReal};
    for (int i = 0; i < 6; ++i) {
        if (filer.readItem(&items[i]) != Acad::eOk || items[i].restype != expected[i]) {
            return filer.setError(Acad::eBadDxfSequence, L"malformed insert clip");
        }
        if (i == 0 && std::wstring(items[0].resval.rstring) != L"CLIP") return Acad::eOk;
    }
    const double* direction = items[1].resval.rpoint;
    clips()[object.objectId()] =
        Clip{AcGeVector3d(direction[0], direction[1], direction[2]), items[2].resval.rint != 0,
             items[3].resval.rreal, items[4].resval.rint != 0, items[5].resval.rreal};
    return Acad::eOk;
}

// Clips are filed with their inserts while the library is loaded; a library that unloads
// takes its filer with it, since the host must not call into unloaded code.
struct Clip_filing_registration {
    Clip_filing_registration() {
        host_test::register_side_data({L"KORVDBX", write_clip, read_clip});
    }
    ~Clip_filing_registration() { host_test::unregister_side_data(L"KORVDBX"); }
} clip_filing_registration;

}  // namespace

bool KORVget_clip_depth_values(const AcDbBlockReference* reference, AcGeVector3d& clip_normal,
                               bool& front_clip_on, double& front_clip_depth, bool& back_clip_on,
                               double& back_clip_depth) {
    Clip clip;
    bool has_clip = false;
    if (reference != nullptr) {
        host_test::library_call_point("KORVget_clip_depth_values", reference->objectId());
        auto found = clips().find(reference->objectId());
        if (found != clips().end()) {
            clip = found->second;
            has_clip = true;
        }
    }
    clip_normal = clip.normal;
    front_clip_on = clip.front_on;
    front_clip_depth = clip.front_depth;
    back_clip_on = clip.back_on;
    back_clip_depth = clip.back_depth;
    return has_clip;
}

Acad::ErrorStatus KORVset_clip_depth_values(AcDbBlockReference* reference,
                                            const AcGeVector3d& clip_normal, bool front_clip_on,
                                            double front_clip_depth, bool back_clip_on,
                                            double back_clip_depth) {
    if (reference == nullptr) return Acad::eNullObjectPointer;
    if (reference->objectId().isNull()) return Acad::eNotInDatabase;
    if (!reference->isWriteEnabled()) return Acad::eNotOpenForWrite;
    clips()[reference->objectId()] =
        Clip{clip_normal, front_clip_on, front_clip_depth, back_clip_on, back_clip_depth};
    return Acad::eOk;
}

bool KORVis_on_frozen_layer(const AcDbEntity* entity) {
    if (entity == nullptr) return false;
    host_test::library_call_point("KORVis_on_frozen_layer", entity->objectId());
    AcDbObjectPointer<AcDbLayerTableRecord> layer(entity->layerId(), AcDb::kForRead);
    return layer.openStatus() == Acad::eOk && layer->isFrozen();
}

namespace {

constexpr double kDefaultLengthTolerance = 0.0005;

// Tolerances by drawing, keyed by the drawing's block table: its id is never reused, so a
// new database at the address of a destroyed one does not inherit its setting.
std::unordered_map<const AcDbStub*, double>& length_tolerances() {
    static std::unordered_map<const AcDbStub*, double> instance;
    return instance;
}

const AcDbStub* drawing_key(const AcDbDatabase* database) {
    return database ? static_cast<const AcDbStub*>(database->blockTableId()) : nullptr;
}

}  // namespace

double KORVget_database_length_tolerance(const AcDbDatabase* database) {
    auto found = length_tolerances().find(drawing_key(database));
    return found == length_tolerances().end() ? kDefaultLengthTolerance : found->second;
}

void KORVset_database_length_tolerance(const AcDbDatabase* database, double tolerance) {
    if (database == nullptr) return;
    if (tolerance > 0.0) {
        length_tolerances()[drawing_key(database)] = tolerance;
    } else {
        length_tolerances().erase(drawing_key(database));
    }
}
