// Clip values of inserts and frozen-layer tests.
#include "StdAfx.h"

#include <unordered_map>

#include "korv_database_services.h"
#include "library_call.h"

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
    if (reference == nullptr)
        return Acad::eNullObjectPointer;
    if (reference->objectId().isNull())
        return Acad::eNotInDatabase;
    if (!reference->isWriteEnabled())
        return Acad::eNotOpenForWrite;
    clips()[reference->objectId()] =
        Clip{clip_normal, front_clip_on, front_clip_depth, back_clip_on, back_clip_depth};
    return Acad::eOk;
}

bool KORVis_on_frozen_layer(const AcDbEntity* entity) {
    if (entity == nullptr)
        return false;
    host_test::library_call_point("KORVis_on_frozen_layer", entity->objectId());
    AcDbObjectPointer<AcDbLayerTableRecord> layer(entity->layerId(), AcDb::kForRead);
    return layer.openStatus() == Acad::eOk && layer->isFrozen();
}

namespace {

constexpr double kDefaultLengthTolerance = 0.0005;

std::unordered_map<const AcDbDatabase*, double>& length_tolerances() {
    static std::unordered_map<const AcDbDatabase*, double> instance;
    return instance;
}

}  // namespace

double KORVget_database_length_tolerance(const AcDbDatabase* database) {
    auto found = length_tolerances().find(database);
    return found == length_tolerances().end() ? kDefaultLengthTolerance : found->second;
}

void KORVset_database_length_tolerance(const AcDbDatabase* database, double tolerance) {
    if (database == nullptr)
        return;
    if (tolerance > 0.0) {
        length_tolerances()[database] = tolerance;
    } else {
        length_tolerances().erase(database);
    }
}
