// db_filing.h: small helpers the drawing objects' DXF filing shares: reading one subclass's
// items and turning result buffers into points, vectors and ids.
#pragma once

#include <acdbads.h>
#include <dbfiler.h>
#include <gepnt3d.h>
#include <gevec3d.h>

namespace korv_host::filing {

// Hands each item of the current subclass to take, up to the next subclass marker (left for
// the next reader) or the end of the object's data. A take that fails names its group.
template <class Take>
Acad::ErrorStatus read_subclass(AcDbDxfFiler* filer, Take take) {
    resbuf rb{};
    Acad::ErrorStatus es;
    while ((es = filer->readResBuf(&rb)) == Acad::eOk) {
        if (rb.restype == AcDb::kDxfSubclass) {
            filer->pushBackItem();
            return Acad::eOk;
        }
        es = take(rb);
        if (es != Acad::eOk) return filer->setError(es, L"bad value in group %d", rb.restype);
    }
    return es == Acad::eEndOfFile ? Acad::eOk : es;
}

inline Acad::ErrorStatus expect_subclass(AcDbDxfFiler* filer, const ACHAR* name) {
    if (filer->atSubclassData(name)) return Acad::eOk;
    return filer->setError(Acad::eBadDxfSequence, L"missing subclass %ls", name);
}

inline AcGePoint3d point_of(const resbuf& rb) {
    return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
}

inline AcGeVector3d vector_of(const resbuf& rb) {
    return AcGeVector3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
}

// The id an object-reference item names; null for a name the filer did not give out.
inline AcDbObjectId id_of(const resbuf& rb) {
    AcDbObjectId id;
    acdbGetObjectId(id, rb.resval.rlname);
    return id;
}

}  // namespace korv_host::filing
