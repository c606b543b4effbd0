// dxf_filer.h: the host's two DXF filers: one that collects what objects write into tags,
// one that hands an object's tags back to it as result buffers.
#pragma once

#include <dbfiler.h>

#include <host_test/read_repairs.h>

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "dxf_tags.h"

namespace korv_host::dxf {

// Collects the items an object writes. Object ids become their handles ("0" for none).
class OutFiler : public AcDbDxfFiler {
public:
    OutFiler(AcDbDatabase* database, TagText& out) : mDatabase(database), mOut(out) {}

    Acad::ErrorStatus filerStatus() const override { return mStatus; }
    AcDb::FilerType filerType() const override { return AcDb::kFileFiler; }
    void setFilerStatus(Acad::ErrorStatus status) override { mStatus = status; }
    void resetFilerStatus() override { mStatus = Acad::eOk; }
    AcDbDatabase* database() const override { return mDatabase; }

    Acad::ErrorStatus readResBuf(resbuf*) override { return Acad::eNoInputFiler; }
    Acad::ErrorStatus pushBackItem() override { return Acad::eNoInputFiler; }
    bool atSubclassData(const ACHAR*) override { return false; }
    bool atEOF() override { return false; }
    bool atEndOfObject() override { return false; }
    bool atExtendedData() override { return false; }

    Acad::ErrorStatus writeResBuf(const resbuf& rb) override;
    Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double val, int prec = kDfltPrec) override;
    // A tag exactly as given (the host's own structure, kept data of unknown objects).
    void writeRaw(int code, std::string_view value) { mOut.add(code, value); }

private:
    Acad::ErrorStatus put(int code, std::string_view value);
    AcDbDatabase* mDatabase;
    TagText& mOut;
    Acad::ErrorStatus mStatus = Acad::eOk;
};

// What reading an object's tags needs from the reader: how handles of the file become ids,
// where repairs are noted, and whether the file's objects carry subclass markers.
struct ReadContext {
    // true with the id of the object made for the handle (null for objects of the file the
    // host does not keep); false for a handle that no object of the file has.
    std::function<bool(uint64_t handle, AcDbObjectId& id)> resolve;
    std::vector<host_test::ReadRepair>* repairs = nullptr;
    // The tags noted so far, by their place among the file's tags: data read more than
    // once, or read by the reader and then by the object, is noted once.
    std::unordered_set<size_t> noted;
    // Files of release 12 and before have no subclass markers: each class then reads its
    // groups from the whole of the object's data, where they stand.
    bool markers_optional = false;
};

// Hands out tags[begin, end) of an object; tags[0] is the file's tag `first_index`.
class InFiler : public AcDbDxfFiler {
public:
    InFiler(AcDbDatabase* database, const Tags& tags, size_t first_index, size_t begin, size_t end,
            uint64_t handle, ReadContext& context)
        : mDatabase(database),
          mTags(tags),
          mFirstIndex(first_index),
          mBegin(begin),
          mPos(begin),
          mEnd(end),
          mHandle(handle),
          mContext(context) {}

    Acad::ErrorStatus filerStatus() const override { return mStatus; }
    AcDb::FilerType filerType() const override { return AcDb::kFileFiler; }
    void setFilerStatus(Acad::ErrorStatus status) override { mStatus = status; }
    void resetFilerStatus() override { mStatus = Acad::eOk; }
    AcDbDatabase* database() const override { return mDatabase; }

    Acad::ErrorStatus readResBuf(resbuf* pRb) override;
    Acad::ErrorStatus pushBackItem() override;
    bool atSubclassData(const ACHAR* subClassName) override;
    bool atEOF() override { return mPos >= mEnd; }
    bool atEndOfObject() override;
    bool atExtendedData() override { return mPos < mEnd && mTags[mPos].code == 1001; }

    Acad::ErrorStatus writeResBuf(const resbuf&) override { return Acad::eNotApplicable; }
    Acad::ErrorStatus writeDouble(AcDb::DxfCode, double, int = kDfltPrec) override {
        return Acad::eNotApplicable;
    }

    // The next tag as it is in the file, object boundaries aside; false at the end.
    bool readRaw(Tag& tag);
    size_t position() const { return mPos; }
    // True once a class read its data from the object's start for want of its marker.
    bool readWithoutMarkers() const { return mUnmarked; }
    void rewind() {
        mPos = mBegin;
        mLastItem = SIZE_MAX;
    }

private:
    Acad::ErrorStatus fail(Acad::ErrorStatus status);
    void note(size_t index, std::string what);
    AcDbDatabase* mDatabase;
    const Tags& mTags;
    size_t mFirstIndex;
    size_t mBegin;
    size_t mPos;
    size_t mEnd;
    uint64_t mHandle;
    size_t mLastItem = SIZE_MAX;
    ReadContext& mContext;
    bool mUnmarked = false;
    std::wstring mText;    // the string of the last item read
    std::wstring mMarker;  // the last subclass marker compared
    Acad::ErrorStatus mStatus = Acad::eOk;
};

}  // namespace korv_host::dxf
